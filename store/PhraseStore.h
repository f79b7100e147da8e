// The operations of the phrase table. Every operation runs its own statement
// on the process's one ODBC connection; reads yield an empty result (no rows,
// 0, empty text) when the store is unavailable, writes report whether they
// happened. Typed values never change a statement: they are stored and
// matched exactly as typed. Every successful write keeps PhraseContents true.
#pragma once

#include "AfxControls.h"
#include "AfxString.h"
#include "store/CategoryList.h"
#include "store/OdbcConnection.h"

#include <functional>
#include <vector>

// Rebuilds CategoryList from the table (left as it was, and marked stale,
// when it cannot be read).
void ListCategories();
// Fills combo from CategoryList: emptied, every name appended in order, item 0 selected.
void FillCategoryCombo(CComboBox& combo);
// Fills combo with the category's non-empty shortcut names, item 0
// selected; ids receives each item's PhraseID, in item order.
void ListPhraseCodes(CComboBox& combo, const CString& category, std::vector<PhraseId>& ids);
// Fills combo with every shortcut name of the category, empty ones (its
// category row) included, item 0 selected; ids as for ListPhraseCodes.
void LoadCategoryPhrases(CComboBox& combo, const CString& category, std::vector<PhraseId>& ids);
// The stored text of a phrase; empty when there is none. read, when given,
// tells whether the database could be read at all.
CString GetContentByPhraseId(PhraseId phraseId, bool* read = nullptr);
// The stored text of the phrase that a tray-menu command identifier stands
// for; empty when none. read as for GetContentByPhraseId.
CString GetContentById(UINT commandId, bool* read = nullptr);
// Stores content (in the stored form) as the text of that one phrase. True when it was stored.
bool UpdateContent(PhraseId phraseId, const CString& content);
// Deletes that one phrase and returns the number of rows left in the whole
// table. deleted, when given, tells whether the row went.
int DeletePhraseById(PhraseId phraseId, bool* deleted = nullptr);
// Deletes the category's rows with that shortcut name; otherwise as DeletePhraseById.
int DeletePhrase(const CString& category, const CString& code, bool* deleted = nullptr);
// Deletes every row of the category, its category row included. True when a row went.
bool DeleteCategoryRows(const CString& category);
// The number of rows of the category, its category row included.
int CountCategoryPhrases(const CString& category);
// The number of the category's rows with that shortcut name, compared as the database compares.
int CountCategoryCodes(const CString& category, const CString& code);
// Stores the category row (empty shortcut name and text) that founds a category.
bool InsertPhrase(const CString& category);
// Stores a phrase under the category selected in categoryCombo, its text in
// the stored form (each apostrophe as the bytes 0xAC 0x60).
bool AddPhrase(CComboBox& categoryCombo, const CString& code, const CString& content);
// "Shortcut " followed by the number of rows plus one; empty when unavailable.
CString NextShortcutName();
// The number of rows of the table, category rows included.
int CountPhrases();
// Reads PhraseContents afresh from the table (kept as it was when the table
// cannot be read); returns the number of rows read.
int LoadAllContents();
// Calls visit(code, PhraseID) for each phrase of the category with a
// non-empty shortcut name, in ascending order of shortcut name, while the
// rows are read: visit must not use the store. Returns the number of rows
// visited; -1 when the phrases could not be read.
int ForEachCategoryPhrase(const CString& category, const std::function<void(const char* code, PhraseId id)>& visit);
