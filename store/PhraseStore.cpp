// The operations of the phrase table. Each one composes its statement text,
// opens a statement on the process's connection, runs and fetches it only
// when the statement could be opened, and releases it before returning.
// Text values are placed between the quotes of the statement with their
// apostrophes doubled, so a typed value is stored and matched as typed and
// never changes the statement.
#include "store/PhraseStore.h"

#include "store/CategoryList.h"
#include "store/OdbcConnection.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"

#include <string>
#include <utility>
#include <vector>

namespace {

const char TableName[] = "phrase";

// The first column of the first row of a query, or empty text when there is
// no row or the store is unavailable.
CString ReadSingleValue(const CString& statement)
{
    CString value;
    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        PrepareAndExecute(statement);
        if (FetchRow()) value = ColumnText(1);
    }
    ReleaseStatement();
    return value;
}

// A count read as a single value: 0 when none was read.
int ReadCount(const CString& statement)
{
    CString value = ReadSingleValue(statement);
    return value.IsEmpty() ? 0 : LeadingInteger(value);
}

CString CountAllStatement()
{
    CString statement;
    statement.Format("SELECT COUNT(PhraseID) FROM %s", TableName);
    return statement;
}

CString InsertStatement(const CString& category, const CString& code, const CString& content)
{
    CString statement;
    statement.Format("INSERT INTO %s (category, code, content) VALUES ('%s', '%s', '%s')", TableName,
                     SqlLiteral(category).GetString(), SqlLiteral(code).GetString(), SqlLiteral(content).GetString());
    return statement;
}

// Phrase text as the Add Phrase dialog stores it: each apostrophe becomes the
// bytes 0xAC 0x60 (the lead byte 0xAC inserted before it, then every
// apostrophe character turned into a backquote). Text is walked by characters
// of the ANSI code page, so in a double-byte code page whose lead bytes
// include 0xAC the apostrophe stays, behind its 0xAC.
CString StoredPhraseText(const CString& typed)
{
    std::string text = typed.str();
    if (text.empty()) return typed;

    auto findApostrophe = [&text](size_t from) -> size_t {
        for (size_t i = from; i < text.size();) {
            if (text[i] == '\'') return i;
            i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size() ? 2 : 1;
        }
        return std::string::npos;
    };
    for (size_t p = findApostrophe(0); p != std::string::npos;) {
        text.insert(p, 1, static_cast<char>(0xAC));
        if (p + 2 >= text.size()) break;
        p = findApostrophe(p + 2);
    }
    for (size_t i = 0; i < text.size();) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
            i += 2;
            continue;
        }
        if (text[i] == '\'') text[i] = '`';
        ++i;
    }
    return CString(std::move(text));
}

} // namespace

void ListCategories()
{
    CString statement;
    statement.Format("SELECT DISTINCT category FROM %s ORDER BY category ASC", TableName);

    // The query runs twice: once to size the names array, once to fill it.
    int count = 0;
    OpenStatement();
    bool counted = StatementSlot != SQL_NULL_HSTMT;
    if (counted) {
        CategoryList.count = 0;
        PrepareAndExecute(statement);
        BindColumn(1, ColumnBuffer1);
        while (FetchRow()) ++count;
        ResetCategoryList(count);
    }
    ReleaseStatement();
    if (!counted) return;

    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        PrepareAndExecute(statement);
        BindColumn(1, ColumnBuffer1);
        for (int i = 0; i < CategoryList.count && FetchRow(); ++i)
            CategoryList.names[i] = BoundColumnText(1, ColumnBuffer1);
    }
    ReleaseStatement();
}

void FillCategoryCombo(CComboBox& combo)
{
    combo.ResetContent();
    for (int i = 0; i < CategoryList.count; ++i) combo.InsertString(-1, CategoryList.names[i]);
    combo.SetCurSel(0);
}

void ListPhraseCodes(CComboBox& combo, const CString& category)
{
    CString statement;
    statement.Format("SELECT code FROM %s WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    combo.ResetContent();
    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        PrepareAndExecute(statement);
        BindColumn(1, ColumnBuffer1);
        while (FetchRow()) {
            CString code = BoundColumnText(1, ColumnBuffer1);
            if (!code.IsEmpty()) combo.InsertString(-1, code);
        }
    }
    combo.SetCurSel(0);
    ReleaseStatement();
}

void LoadCategoryPhrases(CComboBox& combo, CEdit& edit, const CString& category)
{
    combo.ResetContent();
    CString statement;
    statement.Format("SELECT code, content FROM %s  WHERE category = '%s'", TableName,
                     SqlLiteral(category).GetString());
    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        PrepareAndExecute(statement);
        while (FetchRow()) {
            CString code = ColumnText(1);
            CString content = ColumnText(2);
            combo.InsertString(-1, code);
            edit.SetWindowText(content);
        }
    }
    combo.SetCurSel(0);
    ReleaseStatement();
}

CString GetContentByCode(const CString& category, const CString& code)
{
    CString statement;
    statement.Format("SELECT content FROM %s WHERE code = '%s' AND category = '%s'", TableName,
                     SqlLiteral(code).GetString(), SqlLiteral(category).GetString());
    return ReadSingleValue(statement);
}

CString GetContentById(UINT commandId)
{
    int phraseId = PhraseForCommand(commandId);
    if (phraseId < 0) return CString();
    CString statement;
    statement.Format("SELECT content FROM %s WHERE PhraseID = %d", TableName, phraseId);
    return ReadSingleValue(statement);
}

bool UpdateContent(CComboBox& phraseCombo, const CString& category, const CString& content)
{
    CString code = phraseCombo.GetSelectedText();
    // An empty shortcut name belongs to category rows, never to a phrase.
    if (code.IsEmpty()) return false;
    CString statement;
    statement.Format("UPDATE %s SET content = '%s' WHERE code = '%s' AND category = '%s'", TableName,
                     SqlLiteral(content).GetString(), SqlLiteral(code).GetString(),
                     SqlLiteral(category).GetString());
    return RunWriteStatement(statement);
}

int DeletePhrase(const CString& category, const CString& code, bool* deleted)
{
    CString statement;
    statement.Format("DELETE FROM %s WHERE category = '%s' AND code = '%s'", TableName,
                     SqlLiteral(category).GetString(), SqlLiteral(code).GetString());
    bool written = RunWriteStatement(statement);
    if (deleted) *deleted = written;
    return CountPhrases();
}

bool DeleteCategoryRows(const CString& category)
{
    CString statement;
    statement.Format("DELETE FROM %s WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    return RunWriteStatement(statement);
}

int CountCategoryPhrases(const CString& category)
{
    CString statement;
    statement.Format("SELECT COUNT(PhraseID) FROM %s WHERE category = '%s'", TableName,
                     SqlLiteral(category).GetString());
    return ReadCount(statement);
}

bool InsertPhrase(const CString& category)
{
    return RunWriteStatement(InsertStatement(category, CString(), CString()));
}

bool AddPhrase(CComboBox& categoryCombo, const CString& code, const CString& content)
{
    CString category = categoryCombo.GetSelectedText();
    return RunWriteStatement(InsertStatement(category, code, StoredPhraseText(content)));
}

CString NextShortcutName()
{
    CString count = ReadSingleValue(CountAllStatement());
    if (count.IsEmpty()) return CString();
    CString name;
    name.Format("%s%d", "Shortcut ", LeadingInteger(count) + 1);
    return name;
}

int CountPhrases()
{
    return ReadCount(CountAllStatement());
}

int LoadAllContents()
{
    CString statement;
    statement.Format("SELECT content , PhraseID FROM %s", TableName);
    int rows = 0;
    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        PrepareAndExecute(statement);
        while (FetchRow()) {
            ++rows;
            CString content = ColumnText(1);
            if (content.IsEmpty()) continue;
            PhraseContents.Set(LeadingInteger(ColumnText(2)), content);
        }
    }
    ReleaseStatement();
    return rows;
}

int ForEachCategoryPhrase(const CString& category, const std::function<void(const CString& code, int phraseId)>& visit)
{
    CString statement;
    statement.Format("SELECT code, PhraseID FROM %s WHERE category = '%s' ORDER BY code ASC", TableName,
                     SqlLiteral(category).GetString());
    // The rows are read whole before anyone is told, so that the visitor may
    // itself use the store.
    std::vector<std::pair<CString, int>> phrases;
    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        PrepareAndExecute(statement);
        BindColumn(1, ColumnBuffer1);
        BindColumn(2, ColumnBuffer2);
        while (FetchRow()) {
            CString code = BoundColumnText(1, ColumnBuffer1);
            if (code.IsEmpty()) continue;
            phrases.emplace_back(code, BoundColumnInteger(ColumnBuffer2));
        }
    }
    ReleaseStatement();
    if (visit)
        for (const auto& phrase : phrases) visit(phrase.first, phrase.second);
    return static_cast<int>(phrases.size());
}
