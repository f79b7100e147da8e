// The operations of the phrase table. Every operation runs its own statement
// on the store's connection; reads yield an empty result (no rows, 0, empty
// text) when the store is unavailable, changes report whether they happened
// and, when not, LastStoreFailure says why. Typed values never change a
// statement: they are stored and matched exactly as typed.
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

// A phrase's text as the database holds it now (the stored form).
struct StoredPhrase
{
    bool read = false;   // the database answered
    bool found = false;  // the phrase is there
    CString text;
};
StoredPhrase ReadPhrase(PhraseId phraseId);
// The phrase that a tray-menu command identifier stands for; not found for
// an identifier that stands for none.
StoredPhrase ReadPhraseForCommand(UINT commandId);

// Stores content (in the stored form) as the text of that one phrase, if it
// still holds shownStored (the stored text the user was shown): a phrase
// changed or deleted by someone else meanwhile is NothingMatched.
ChangeOutcome UpdateContent(PhraseId phraseId, const CString& content, const CString& shownStored);
// The same whatever the phrase holds now.
ChangeOutcome ReplaceContent(PhraseId phraseId, const CString& content);
// Deletes that one phrase, if it still holds shownStored (as UpdateContent).
ChangeOutcome DeletePhraseById(PhraseId phraseId, const CString& shownStored);
// Deletes that one phrase, whatever it holds.
ChangeOutcome DeletePhraseWhatever(PhraseId phraseId);
// Deletes the category's rows with that shortcut name.
ChangeOutcome DeletePhrase(const CString& category, const CString& code);
// Deletes every row of the category, its category row included.
ChangeOutcome DeleteCategoryRows(const CString& category);
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

// Reads the whole menu in one statement: rebuilds CategoryList and calls
// visit(category, code, PhraseID) for every row, with category the position
// of the row's category in CategoryList; categories in ascending order as the
// database sorts them, each category's rows in ascending order of shortcut
// name, its category row with an empty code. visit must not use the store.
// Returns the number of rows; -1 when they could not be read.
int ForEachMenuRow(const std::function<void(size_t category, const char* code, PhraseId id)>& visit);

// Reads every phrase for the find window in one statement: calls
// visit(category, code, content, PhraseID) for each row that has a shortcut
// name and a category (category rows are left out, as are rows of no
// category, which the menu does not show either), the text in the stored form, in
// ascending order of category, then of shortcut name, as the database sorts
// them. visit must not use the store. Returns the number of phrases; -1 when
// they could not be read.
int ForEachPhrase(
    const std::function<void(const char* category, const char* code, const char* content, PhraseId id)>& visit);
