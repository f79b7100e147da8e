// The operations of the phrase table. Each one composes its statement text,
// runs it on a Statement of its own, and fetches only when the statement ran.
// Text values are placed between the quotes of the statement with their
// apostrophes doubled, so a typed value is stored and matched as typed and
// never changes the statement.
#include "store/PhraseStore.h"

#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"
#include "store/StoredText.h"

#include <string>
#include <utility>

namespace {

const char TableName[] = "phrase";

// The two column buffers that the queries of short values (names, keys)
// bind their columns to.
ColumnBuffer ColumnBuffer1;
ColumnBuffer ColumnBuffer2;

CString IdText(PhraseId id)
{
    return CString(std::to_string(id));
}

// The first column of the first row of a query; empty text when there is no
// row. read tells whether the query ran.
CString ReadSingleValue(const CString& text, bool* read = nullptr)
{
    Statement statement;
    bool ran = statement.Execute(text);
    if (read) *read = ran;
    return ran && statement.Fetch() ? statement.Text(1) : CString();
}

// A count read as a single value: 0 when none was read.
int ReadCount(const CString& text)
{
    return static_cast<int>(ParseInteger(ReadSingleValue(text)));
}

bool RunWrite(const CString& text)
{
    Statement statement;
    return statement.Execute(text);
}

CString CountAllStatement()
{
    CString text;
    text.Format("SELECT COUNT(PhraseID) FROM %s", TableName);
    return text;
}

CString InsertStatement(const CString& category, const CString& code, const CString& content)
{
    CString text;
    text.Format("INSERT INTO %s (category, code, content) VALUES ('%s', '%s', '%s')", TableName,
                SqlLiteral(category).GetString(), SqlLiteral(code).GetString(), SqlLiteral(content).GetString());
    return text;
}

// Fills combo with the codes (and ids with the PhraseIDs) of the rows of text,
// whose columns are code and PhraseID; empty codes only when keepEmpty.
void FillPhraseCombo(CComboBox& combo, std::vector<PhraseId>& ids, const CString& text, bool keepEmpty)
{
    combo.ResetContent();
    ids.clear();
    Statement statement;
    if (statement.Execute(text)) {
        statement.Bind(1, ColumnBuffer1);
        statement.Bind(2, ColumnBuffer2);
        while (statement.Fetch()) {
            CString code = statement.BoundText(1, ColumnBuffer1);
            if (code.IsEmpty() && !keepEmpty) continue;
            combo.InsertString(-1, code);
            ids.push_back(ParseInteger(statement.BoundText(2, ColumnBuffer2)));
        }
    }
    combo.SetCurSel(0);
}

} // namespace

void ListCategories()
{
    CString text;
    text.Format("SELECT DISTINCT category FROM %s ORDER BY category ASC", TableName);
    Statement statement;
    if (!statement.Execute(text)) {
        CategoryList.stale = true;
        return;
    }
    statement.Bind(1, ColumnBuffer1);
    std::vector<CString> names;
    while (statement.Fetch()) names.push_back(statement.BoundText(1, ColumnBuffer1));
    CategoryList.names.swap(names);
    CategoryList.stale = false;
}

void FillCategoryCombo(CComboBox& combo)
{
    combo.ResetContent();
    for (const CString& name : CategoryList.names) combo.InsertString(-1, name);
    combo.SetCurSel(0);
}

void ListPhraseCodes(CComboBox& combo, const CString& category, std::vector<PhraseId>& ids)
{
    CString text;
    text.Format("SELECT code, PhraseID FROM %s WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    FillPhraseCombo(combo, ids, text, false);
}

void LoadCategoryPhrases(CComboBox& combo, const CString& category, std::vector<PhraseId>& ids)
{
    CString text;
    text.Format("SELECT code, PhraseID FROM %s  WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    FillPhraseCombo(combo, ids, text, true);
}

CString GetContentByPhraseId(PhraseId phraseId, bool* read)
{
    CString text;
    text.Format("SELECT content FROM %s WHERE PhraseID = %s", TableName, IdText(phraseId).GetString());
    return ReadSingleValue(text, read);
}

CString GetContentById(UINT commandId, bool* read)
{
    PhraseId phraseId = 0;
    if (!PhraseForCommand(commandId, phraseId)) {
        if (read) *read = true;
        return CString();
    }
    return GetContentByPhraseId(phraseId, read);
}

bool UpdateContent(PhraseId phraseId, const CString& content)
{
    CString stored = StoredPhraseText(content);
    CString text;
    text.Format("UPDATE %s SET content = '%s' WHERE PhraseID = %s", TableName, SqlLiteral(stored).GetString(),
                IdText(phraseId).GetString());
    if (!RunWrite(text)) return false;
    PhraseContents.Set(phraseId, stored);
    return true;
}

int DeletePhraseById(PhraseId phraseId, bool* deleted)
{
    CString text;
    text.Format("DELETE FROM %s WHERE PhraseID = %s", TableName, IdText(phraseId).GetString());
    bool written = RunWrite(text);
    if (written) PhraseContents.Erase(phraseId);
    if (deleted) *deleted = written;
    return CountPhrases();
}

int DeletePhrase(const CString& category, const CString& code, bool* deleted)
{
    CString text;
    text.Format("DELETE FROM %s WHERE category = '%s' AND code = '%s'", TableName, SqlLiteral(category).GetString(),
                SqlLiteral(code).GetString());
    bool written = RunWrite(text);
    if (written) LoadAllContents();
    if (deleted) *deleted = written;
    return CountPhrases();
}

bool DeleteCategoryRows(const CString& category)
{
    CString text;
    text.Format("DELETE FROM %s WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    if (!RunWrite(text)) return false;
    LoadAllContents();
    return true;
}

int CountCategoryPhrases(const CString& category)
{
    CString text;
    text.Format("SELECT COUNT(PhraseID) FROM %s WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    return ReadCount(text);
}

int CountCategoryCodes(const CString& category, const CString& code)
{
    CString text;
    text.Format("SELECT COUNT(PhraseID) FROM %s WHERE category = '%s' AND code = '%s'", TableName,
                SqlLiteral(category).GetString(), SqlLiteral(code).GetString());
    return ReadCount(text);
}

bool InsertPhrase(const CString& category)
{
    return RunWrite(InsertStatement(category, CString(), CString()));
}

bool AddPhrase(CComboBox& categoryCombo, const CString& code, const CString& content)
{
    CString category = categoryCombo.GetSelectedText();
    CString stored = StoredPhraseText(content);
    if (!RunWrite(InsertStatement(category, code, stored))) return false;

    // The new row is the newest of its category with that shortcut name.
    CString text;
    text.Format("SELECT PhraseID FROM %s WHERE category = '%s' AND code = '%s' ORDER BY PhraseID DESC", TableName,
                SqlLiteral(category).GetString(), SqlLiteral(code).GetString());
    CString id = ReadSingleValue(text);
    if (!id.IsEmpty()) PhraseContents.Set(ParseInteger(id), stored);
    return true;
}

CString NextShortcutName()
{
    CString count = ReadSingleValue(CountAllStatement());
    if (count.IsEmpty()) return CString();
    CString name;
    name.Format("%s%d", "Shortcut ", static_cast<int>(ParseInteger(count)) + 1);
    return name;
}

int CountPhrases()
{
    return ReadCount(CountAllStatement());
}

int LoadAllContents()
{
    CString text;
    text.Format("SELECT content , PhraseID FROM %s", TableName);
    Statement statement;
    if (!statement.Execute(text)) return 0;
    PhraseContentsTable contents;
    int rows = 0;
    while (statement.Fetch()) {
        ++rows;
        CString content = statement.Text(1);
        if (!content.IsEmpty()) contents.Set(ParseInteger(statement.Text(2)), content);
    }
    PhraseContents.Swap(contents);
    return rows;
}

int ForEachCategoryPhrase(const CString& category, const std::function<void(const char* code, PhraseId id)>& visit)
{
    CString text;
    text.Format("SELECT code, PhraseID FROM %s WHERE category = '%s' ORDER BY code ASC", TableName,
                SqlLiteral(category).GetString());
    Statement statement;
    if (!statement.Execute(text)) return -1;
    statement.Bind(1, ColumnBuffer1);
    statement.Bind(2, ColumnBuffer2);
    int count = 0;
    while (statement.Fetch()) {
        // A key's digits always fit the buffer; a shortcut name that did not is read again whole.
        PhraseId id = ParseInteger(ColumnBuffer2.indicator == SQL_NULL_DATA ? "" : ColumnBuffer2.text);
        const SQLLEN length = ColumnBuffer1.indicator;
        if (length == 0 || length == SQL_NULL_DATA) continue;
        if (length > 0 && length < static_cast<SQLLEN>(sizeof ColumnBuffer1.text)) {
            visit(ColumnBuffer1.text, id);
        } else {
            visit(statement.BoundText(1, ColumnBuffer1), id);
        }
        ++count;
    }
    return count;
}
