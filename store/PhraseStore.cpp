// The operations of the phrase table. Each one composes its statement text,
// runs it on a Statement of its own, and fetches only when the statement ran.
// Text values are placed between the quotes of the statement with their
// apostrophes doubled, so a typed value is stored and matched as typed and
// never changes the statement.
#include "store/PhraseStore.h"

#include "store/PhraseCommandIds.h"
#include "store/StoreSession.h"
#include "store/StoredText.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

const char TableName[] = "phrase";

// The column buffers that the queries of short values (names, keys) bind
// their columns to; per thread, as the connection is.
thread_local ColumnBuffer ColumnBuffer1;
thread_local ColumnBuffer ColumnBuffer2;
thread_local ColumnBuffer ColumnBuffer3;

// True when name and the length bytes of text differ in nothing but the
// case of ASCII letters.
bool SameNameIgnoringCase(const CString& name, const char* text, size_t length)
{
    if (static_cast<size_t>(name.GetLength()) != length) return false;
    for (size_t i = 0; i < length; ++i) {
        char x = name.GetString()[i], y = text[i];
        if (x != y && !(x >= 'A' && x <= 'Z' && x + ('a' - 'A') == y) && !(y >= 'A' && y <= 'Z' && y + ('a' - 'A') == x))
            return false;
    }
    return true;
}

CString IdText(PhraseId id)
{
    return CString(std::to_string(id));
}

// The condition that the text of a phrase is stored: equal to it, or, for
// an empty text, empty or NULL.
CString ContentIs(const CString& stored)
{
    if (stored.IsEmpty()) return "(content = '' OR content IS NULL)";
    CString condition;
    condition.Format("content = '%s'", SqlLiteral(stored).GetString());
    return condition;
}

// The first column of the first row of a query; empty text when there is no
// row. read tells whether the query ran, found whether a row came.
CString ReadSingleValue(const CString& text, bool* read = nullptr, bool* found = nullptr)
{
    Statement statement;
    bool ran = statement.Execute(text);
    bool fetched = ran && statement.Fetch();
    if (read) *read = ran;
    if (found) *found = fetched;
    return fetched ? statement.Text(1) : CString();
}

// A count read as a single value: 0 when none was read.
int ReadCount(const CString& text)
{
    return static_cast<int>(ParseInteger(ReadSingleValue(text)));
}

ChangeOutcome RunChange(const CString& text)
{
    Statement statement;
    return statement.Change(text);
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
        CategoryList().stale = true;
        return;
    }
    statement.Bind(1, ColumnBuffer1);
    std::vector<CString> names;
    while (statement.Fetch()) names.push_back(statement.BoundText(1, ColumnBuffer1));
    CategoryList().names.swap(names);
    CategoryList().stale = false;
}

void FillCategoryCombo(CComboBox& combo)
{
    combo.ResetContent();
    for (const CString& name : CategoryList().names) combo.InsertString(-1, name);
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

StoredPhrase ReadPhrase(PhraseId phraseId)
{
    CString text;
    text.Format("SELECT content FROM %s WHERE PhraseID = %s", TableName, IdText(phraseId).GetString());
    StoredPhrase phrase;
    phrase.text = ReadSingleValue(text, &phrase.read, &phrase.found);
    return phrase;
}

StoredPhrase ReadPhraseForCommand(UINT commandId)
{
    PhraseId phraseId = 0;
    if (!PhraseForCommand(commandId, phraseId)) {
        StoredPhrase none;
        none.read = true;
        return none;
    }
    return ReadPhrase(phraseId);
}

ChangeOutcome UpdateContent(PhraseId phraseId, const CString& content, const CString& shownStored)
{
    CString text;
    text.Format("UPDATE %s SET content = '%s' WHERE PhraseID = %s AND %s", TableName,
                SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString(),
                ContentIs(shownStored).GetString());
    return RunChange(text);
}

ChangeOutcome ReplaceContent(PhraseId phraseId, const CString& content)
{
    CString text;
    text.Format("UPDATE %s SET content = '%s' WHERE PhraseID = %s", TableName,
                SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString());
    return RunChange(text);
}

ChangeOutcome DeletePhraseById(PhraseId phraseId, const CString& shownStored)
{
    CString text;
    text.Format("DELETE FROM %s WHERE PhraseID = %s AND %s", TableName, IdText(phraseId).GetString(),
                ContentIs(shownStored).GetString());
    return RunChange(text);
}

ChangeOutcome DeletePhraseWhatever(PhraseId phraseId)
{
    CString text;
    text.Format("DELETE FROM %s WHERE PhraseID = %s", TableName, IdText(phraseId).GetString());
    return RunChange(text);
}

ChangeOutcome DeletePhrase(const CString& category, const CString& code)
{
    CString text;
    text.Format("DELETE FROM %s WHERE category = '%s' AND code = '%s'", TableName, SqlLiteral(category).GetString(),
                SqlLiteral(code).GetString());
    return RunChange(text);
}

ChangeOutcome DeleteCategoryRows(const CString& category)
{
    CString text;
    text.Format("DELETE FROM %s WHERE category = '%s'", TableName, SqlLiteral(category).GetString());
    return RunChange(text);
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
    return RunChange(InsertStatement(category, CString(), CString())) == ChangeOutcome::Done;
}

bool AddPhrase(CComboBox& categoryCombo, const CString& code, const CString& content)
{
    return RunChange(InsertStatement(categoryCombo.GetSelectedText(), code, StoredPhraseText(content))) ==
           ChangeOutcome::Done;
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

int ForEachMenuRow(const std::function<void(size_t category, const char* code, PhraseId id)>& visit)
{
    // A database that counts its revisions (a team's server) is asked first
    // whether anything changed since the last reading: one small answer
    // instead of every row, when nothing did.
    MenuRowsCache& cache = CurrentStore().menuRows;
    long long revision = 0;
    const bool counted = DatabaseCountsRevisions();
    if (counted) {
        bool read = false;
        revision = ParseInteger(ReadSingleValue("SELECT revision FROM phrase_revision", &read));
        if (!read) {
            CategoryList().stale = true;
            return -1;
        }
        if (cache.valid && cache.revision == revision && cache.generation == DatabaseGeneration()) {
            for (const MenuRowsCache::Row& row : cache.rows) visit(row.category, cache.codes.c_str() + row.code, row.id);
            CategoryList().names = cache.names;
            CategoryList().stale = false;
            return static_cast<int>(cache.rows.size());
        }
    }
    cache.valid = false;
    cache.rows.clear();
    cache.codes.clear();

    // Every row in the database's order of category and shortcut name, in
    // one round trip (an index on the two columns serves it as it stands).
    // A category's rows stand together; the database compares names without
    // regard to case, so a row begins a new category when its name differs
    // from the row before in more than the case of its letters (ASCII, as
    // every phrase database folds them). The spelling of a category's first
    // row names it.
    CString text;
    text.Format("SELECT category, code, PhraseID FROM %s ORDER BY category, code", TableName);
    Statement statement;
    if (!statement.Execute(text)) {
        CategoryList().stale = true;
        return -1;
    }
    ColumnBuffer& categoryBuffer = ColumnBuffer1;
    ColumnBuffer& codeBuffer = ColumnBuffer2;
    ColumnBuffer& idBuffer = ColumnBuffer3;
    statement.Bind(1, categoryBuffer);
    statement.Bind(2, codeBuffer);
    statement.Bind(3, idBuffer);
    std::vector<CString> names;
    int rows = 0;
    while (statement.Fetch()) {
        // A row without a category belongs to none.
        if (categoryBuffer.indicator == SQL_NULL_DATA) continue;
        ++rows;
        // Names longer than the buffer are compared whole.
        bool whole = categoryBuffer.indicator >= 0 && categoryBuffer.indicator < static_cast<SQLLEN>(sizeof categoryBuffer.text);
        if (names.empty() || !whole ||
            !SameNameIgnoringCase(names.back(), categoryBuffer.text, static_cast<size_t>(categoryBuffer.indicator))) {
            CString name = statement.BoundText(1, categoryBuffer);
            if (names.empty() || !SameNameIgnoringCase(names.back(), name.GetString(), static_cast<size_t>(name.GetLength())))
                names.push_back(std::move(name));
        }
        // A key's digits always fit the buffer; a shortcut name that did not is read again whole.
        PhraseId id = ParseInteger(idBuffer.indicator == SQL_NULL_DATA ? "" : idBuffer.text);
        const size_t category = names.size() - 1;
        CString longCode;
        const char* code = statement.BoundChars(2, codeBuffer, longCode);
        visit(category, code, id);
        if (counted) {
            cache.rows.push_back({category, id, cache.codes.size()});
            cache.codes.append(code);
            cache.codes.push_back('\0');
        }
    }
    if (counted) {
        cache.names = names;
        cache.revision = revision;
        cache.generation = DatabaseGeneration();
        cache.valid = true;
    }
    CategoryList().names.swap(names);
    CategoryList().stale = false;
    return rows;
}

int ForEachPhrase(
    const std::function<void(const char* category, const char* code, const char* content, PhraseId id)>& visit)
{
    // A buffer of its own for the text, so that most texts arrive whole
    // with the row; a longer one is read again whole.
    thread_local ColumnBuffer contentBuffer;
    CString text;
    text.Format("SELECT category, code, PhraseID, content FROM %s WHERE code <> '' AND category IS NOT NULL "
                "ORDER BY category, code, PhraseID",
                TableName);
    Statement statement;
    if (!statement.Execute(text)) return -1;
    statement.Bind(1, ColumnBuffer1);
    statement.Bind(2, ColumnBuffer2);
    statement.Bind(3, ColumnBuffer3);
    statement.Bind(4, contentBuffer);
    int rows = 0;
    CString category, code, content;
    while (statement.Fetch()) {
        ++rows;
        PhraseId id = ParseInteger(ColumnBuffer3.indicator == SQL_NULL_DATA ? "" : ColumnBuffer3.text);
        // Columns are read again in ascending order, should they not fit.
        const char* categoryText = statement.BoundChars(1, ColumnBuffer1, category);
        const char* codeText = statement.BoundChars(2, ColumnBuffer2, code);
        visit(categoryText, codeText, statement.BoundChars(4, contentBuffer, content), id);
    }
    return rows;
}
