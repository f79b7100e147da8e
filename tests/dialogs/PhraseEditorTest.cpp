// The phrase editor run as the tray menu's "Edit phrase" runs it: modal, with
// no parent, over the hidden main window, against a real database.
#include "DialogTestSupport.h"

#include "dialogs/BrevixDlg.h"
#include "res/resource.h"
#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

namespace {

const char EditorCaption[] = "Talvory";

class PhraseEditorTest : public DialogTest
{
protected:
    INT_PTR RunEditor(std::function<void(UiDriver&, HWND)> script)
    {
        CBrevixDlg editor;
        return RunModal(editor, [script](UiDriver& ui) { script(ui, ui.WaitForDialog(EditorCaption)); });
    }
};

// --- What the editor shows ---------------------------------------------------

TEST_F(PhraseEditorTest, EmptyTableShowsEmptyListsAndSaveClosesStoringNothing)
{
    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), Items{});
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{});
        EXPECT_EQ(ui.ComboSelection(editor, IDC_CATEGORY_COMBO), CB_ERR);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "");
        ui.TypeText(editor, IDC_CONTENT_EDIT, "typed with nothing chosen");
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.empty()) << "nothing to save is no failure";
    EXPECT_TRUE(db.Rows().empty());
}

TEST_F(PhraseEditorTest, CategoryRowShowsAsBlankItemAfterOpeningButNotAfterACategoryChange)
{
    db.Insert("Letters", "", "");
    db.Insert("Letters", "Opening", "Dear Sir or Madam,");
    db.Insert("Notes", "", "");

    RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Letters", "Notes" }));
        EXPECT_EQ(ui.ComboSelection(editor, IDC_CATEGORY_COMBO), 0);
        // Opening lists every row of the first category, its category row too.
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), (Items{ "", "Opening" }));
        EXPECT_EQ(ui.ComboSelection(editor, IDC_PHRASE_COMBO), 0);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "") << "the blank item's text is the category row's";

        // A category whose only row is its category row: an empty list.
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{});
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "");

        // Back again: the phrases only, the first chosen, its text shown.
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 0);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "Opening" });
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Opening");
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Dear Sir or Madam,");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
}

TEST_F(PhraseEditorTest, SameShortcutNameInTwoCategoriesShowsTheChosenCategorysText)
{
    db.Insert("Home", "Greeting", "Hi, love");
    db.Insert("Work", "Greeting", "Good morning, team");

    RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Hi, love");
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Good morning, team");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 0);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Good morning, team");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
}

TEST_F(PhraseEditorTest, ChoosingAnotherPhraseShowsItsTextAndDropsTheUnsavedEdit)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Replies", "Decline", "Sorry, I cannot.");

    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        ui.TypeText(editor, IDC_CONTENT_EDIT, "an edit never saved");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 1);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Sorry, I cannot.");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 0);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Yes, gladly.");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase WHERE code = 'Accept'"), "Yes, gladly.");
}

TEST_F(PhraseEditorTest, OpeningReloadsThePreviewTexts)
{
    db.InsertWithId(7, "Replies", "Accept", "Yes, gladly.");
    RunEditor([](UiDriver& ui, HWND editor) {
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(PhraseContents[7], "Yes, gladly.");
}

// --- Save ------------------------------------------------------------------

TEST_F(PhraseEditorTest, SaveStoresOnlyTheChosenPhraseOfTheChosenCategoryAndCloses)
{
    db.Insert("Home", "Bye", "See you");
    db.Insert("Home", "Greeting", "Hi, love");
    db.Insert("Work", "Greeting", "Good morning, team");

    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Greeting");
        ui.TypeText(editor, IDC_CONTENT_EDIT, "Good afternoon, team");
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{ { "Home", "Bye", "See you" },
                                                              { "Home", "Greeting", "Hi, love" },
                                                              { "Work", "Greeting", "Good afternoon, team" } }));
}

TEST_F(PhraseEditorTest, SaveWithTheBlankItemOfACategoryRowStoresNothingAndCloses)
{
    db.Insert("Letters", "", "");
    db.Insert("Letters", "Opening", "Dear Sir or Madam,");

    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "");
        ui.TypeText(editor, IDC_CONTENT_EDIT, "text for no phrase");
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{ { "Letters", "", "" },
                                                              { "Letters", "Opening", "Dear Sir or Madam," } }));
}

TEST_F(PhraseEditorTest, FailedSaveSaysSoAndKeepsTheEditorOpenWithTheText)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.MakeReadOnly();

    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        ui.TypeText(editor, IDC_CONTENT_EDIT, "Yes, with pleasure.");
        ui.PressButton(editor, IDC_SAVE);
        UiDriver::MessageBoxSeen box = ui.WaitForMessageBox("The phrase could not be saved to the database.");
        ui.Answer(box, IDOK);
        EXPECT_TRUE(::IsWindowVisible(editor)) << "the editor stays open";
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Yes, with pleasure.");
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Accept");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(seen[0].buttons, Items{ "OK" });
    EXPECT_EQ(seen[0].caption, AfxGetAppName());
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase WHERE code = 'Accept'"), "Yes, gladly.");
}

// Long texts, line breaks and apostrophes: typed whole, stored whole, shown whole.
class PhraseEditorLongTextTest : public PhraseEditorTest, public ::testing::WithParamInterface<size_t>
{
};

TEST_P(PhraseEditorLongTextTest, SavedTextIsStoredAndShownWhole)
{
    db.Insert("Notes", "Draft", "short");
    // At least that many characters, in whole lines, each with apostrophes and a line break.
    const std::string line = "It's a line of the draft that's long enough...\r\n";
    const std::string text = LongText(line.size() * ((GetParam() + line.size() - 1) / line.size()), line);

    RunEditor([&](UiDriver& ui, HWND editor) {
        ui.TypeText(editor, IDC_CONTENT_EDIT, text);
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase WHERE code = 'Draft'"), text);

    // Opened again, the editor shows every character that was stored.
    RunEditor([&](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), text);
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
}

INSTANTIATE_TEST_SUITE_P(Lengths, PhraseEditorLongTextTest, ::testing::Values(size_t(10000), size_t(65536)));

// --- Delete Phrase -------------------------------------------------------------

TEST_F(PhraseEditorTest, DeletePhraseDeletesTheChosenRowAndReturnsToTheFirstCategory)
{
    db.Insert("Home", "Bye", "See you");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.Insert("Work", "Thanks", "Thank you all");
    db.Insert("Zoo", "Thanks", "Thanks, keeper");

    RunEditor([](UiDriver& ui, HWND editor) {
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 1);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Thanks");
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);

        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Home", "Work", "Zoo" }));
        EXPECT_EQ(ui.ComboSelection(editor, IDC_CATEGORY_COMBO), 0);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "Bye" });
        EXPECT_EQ(ui.ComboSelection(editor, IDC_PHRASE_COMBO), 0);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "See you");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_TRUE(seen.empty()) << "no question, no message";
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{ { "Home", "Bye", "See you" },
                                                              { "Work", "Greeting", "Good morning, team" },
                                                              { "Zoo", "Thanks", "Thanks, keeper" } }));
}

TEST_F(PhraseEditorTest, DeletingTheLastPhraseRemovesTheCategoryUnlessItHasItsCategoryRow)
{
    db.Insert("Home", "Bye", "See you");
    db.Insert("Kept", "", "");
    db.Insert("Kept", "Only", "the only phrase of Kept");
    db.Insert("Lost", "Single", "the only phrase of Lost");

    RunEditor([](UiDriver& ui, HWND editor) {
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 2);
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Home", "Kept" }));

        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Only");
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Home", "Kept" }));
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_CATEGORY_COMBO), "Home");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{ { "Home", "Bye", "See you" }, { "Kept", "", "" } }));
    EXPECT_EQ(CategoryNames(), (Items{ "Home", "Kept" }));
}

TEST_F(PhraseEditorTest, DeleteWithTheBlankItemRemovesABareCategory)
{
    db.Insert("Bare", "", "");
    db.Insert("Home", "Bye", "See you");

    RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "" });
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), Items{ "Home" });
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "Bye" });
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "See you");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{ { "Home", "Bye", "See you" } }));
}

TEST_F(PhraseEditorTest, DeletingTheLastRowSaysThereIsNoPhraseAndEmptiesTheLists)
{
    db.Insert("Home", "Bye", "See you");

    RunEditor([](UiDriver& ui, HWND editor) {
        ui.PressButton(editor, IDC_DELETE_PHRASE);
        UiDriver::MessageBoxSeen box = ui.WaitForMessageBox("There is no phrase in the database");
        ui.Answer(box, IDOK);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), Items{});
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{});
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(seen[0].buttons, Items{ "OK" });
    EXPECT_TRUE(db.Rows().empty());
}

TEST_F(PhraseEditorTest, FailedDeletionSaysSoAndKeepsTheView)
{
    db.Insert("Home", "Bye", "See you");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.MakeReadOnly();

    RunEditor([](UiDriver& ui, HWND editor) {
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        ui.TypeText(editor, IDC_CONTENT_EDIT, "still typing");
        ui.PressButton(editor, IDC_DELETE_PHRASE);
        ui.Answer(ui.WaitForMessageBox("The phrase could not be deleted from the database."), IDOK);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_CATEGORY_COMBO), "Work");
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Greeting");
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "still typing");
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(db.Rows().size(), 2u);
}

// --- Keys, system menu, Add New Phrase ----------------------------------------

TEST_F(PhraseEditorTest, EnterOutsideTheTextEndsTheEditorWithIdokStoringNothing)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");

    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        ui.TypeText(editor, IDC_CONTENT_EDIT, "never stored");
        ui.PressKeyIn(editor, IDC_PHRASE_COMBO, VK_RETURN);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase"), "Yes, gladly.");
}

TEST_F(PhraseEditorTest, EnterInTheTextStartsANewLineAndEscapeCancels)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");

    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        ui.Focus(editor, IDC_CONTENT_EDIT);
        ui.SetSelection(editor, IDC_CONTENT_EDIT, 12, 12);
        ui.PressKey(editor, VK_RETURN);
        ui.WaitUntil([&] { return ui.Text(editor, IDC_CONTENT_EDIT) == "Yes, gladly.\r\n"; }, "a new line in the text");
        EXPECT_TRUE(::IsWindowVisible(editor));
        ui.PressKeyIn(editor, IDC_CATEGORY_COMBO, VK_ESCAPE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase"), "Yes, gladly.");
}

TEST_F(PhraseEditorTest, SystemMenuOpensTheAboutBoxAndOtherSystemCommandsWorkAsUsual)
{
    INT_PTR result = RunEditor([](UiDriver& ui, HWND editor) {
        HMENU systemMenu = ::GetSystemMenu(editor, FALSE);
        char label[64] = {};
        ::GetMenuStringA(systemMenu, IDM_ABOUTBOX, label, sizeof label, MF_BYCOMMAND);
        EXPECT_STREQ(label, "&About Talvory...");
        HICON icon = reinterpret_cast<HICON>(::SendMessageA(editor, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(editor, WM_QUERYDRAGICON, 0, 0)), icon);

        ui.SendSystemCommand(editor, IDM_ABOUTBOX);
        HWND about = ui.WaitForDialog("About Morvane");
        ui.PressButton(about, IDCANCEL);
        ui.WaitUntilGone(about);
        EXPECT_TRUE(::IsWindowVisible(editor));

        ui.SendSystemCommand(editor, SC_CLOSE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(PhraseEditorTest, AddNewPhraseAddsWithoutReloadingTheEditorsLists)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");

    RunEditor([](UiDriver& ui, HWND editor) {
        ui.PressButton(editor, IDC_ADD_NEW_PHRASE);
        HWND adder = ui.WaitForDialog("Add New Phrase");
        EXPECT_EQ(ui.ComboItems(adder, IDC_ADD_CATEGORY_COMBO), (Items{ "Replies", "Work" }));
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 3");
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "Maybe");
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Perhaps later.");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox("Phrase added successfully, would you like to add another one?"), IDNO);
        ui.WaitUntilGone(adder);

        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "Accept" }) << "not reloaded";
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 0);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), (Items{ "Accept", "Maybe" }));
        ui.PressButton(editor, IDCANCEL);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase WHERE code = 'Maybe' AND category = 'Replies'"),
              "Perhaps later.");
}

} // namespace
