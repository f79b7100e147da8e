// The operations of the phrase table. Every operation runs its own statement
// on the process's one ODBC connection; reads yield an empty result (no rows,
// 0, empty text) when the store is unavailable, writes report whether they
// happened. Typed values never change a statement: they are stored and
// matched exactly as typed.
#pragma once

#include "AfxControls.h"
#include "AfxString.h"

#include <functional>

// The distinct category names, ascending as the database sorts them, as last
// rebuilt by ListCategories.
struct CategoryListData
{
    int count;
    CString* names;
};
extern CategoryListData CategoryList;

// Rebuilds CategoryList from the table (left as it was when the store is unavailable).
void ListCategories();
// Fills combo from CategoryList: emptied, every name appended in order, item 0 selected.
void FillCategoryCombo(CComboBox& combo);
// Fills combo with the category's non-empty shortcut names, item 0 selected.
void ListPhraseCodes(CComboBox& combo, const CString& category);
// Fills combo with every shortcut name of the category, empty ones included,
// item 0 selected; sets edit to each row's text in turn.
void LoadCategoryPhrases(CComboBox& combo, CEdit& edit, const CString& category);
// The whole text of the first phrase with that shortcut name in that category; empty when none.
CString GetContentByCode(const CString& category, const CString& code);
// The whole text of the phrase that a tray-menu command identifier stands for; empty when none.
CString GetContentById(UINT commandId);
// Stores content as the text of the phrase selected in phraseCombo within
// category. True when a row was changed; an empty shortcut name changes nothing.
bool UpdateContent(CComboBox& phraseCombo, const CString& category, const CString& content);
// Deletes the category's rows with that shortcut name and returns the number
// of rows left in the whole table. deleted, when given, tells whether a row went.
int DeletePhrase(const CString& category, const CString& code, bool* deleted = nullptr);
// Deletes every row of the category, its category row included. True when a row went.
bool DeleteCategoryRows(const CString& category);
// The number of rows of the category, its category row included.
int CountCategoryPhrases(const CString& category);
// Stores the category row (empty shortcut name and text) that founds a category.
bool InsertPhrase(const CString& category);
// Stores a phrase under the category selected in categoryCombo; each
// apostrophe of the text is stored as the bytes 0xAC 0x60.
bool AddPhrase(CComboBox& categoryCombo, const CString& code, const CString& content);
// "Shortcut " followed by the number of rows plus one; empty when unavailable.
CString NextShortcutName();
// The number of rows of the table, category rows included.
int CountPhrases();
// Refills PhraseContents from the table; returns the number of rows read.
int LoadAllContents();
// Calls visit(code, PhraseID) for each phrase of the category with a
// non-empty shortcut name, in ascending order of shortcut name. Returns the
// number of rows visited.
int ForEachCategoryPhrase(const CString& category, const std::function<void(const CString& code, int phraseId)>& visit);
