// The Add New Phrase dialog as the tray menu's "Add phrase" opens it: through
// the editor's OnAddNewPhrase, with no editor on screen.
#include "DialogTestSupport.h"

#include "dialogs/AddPhrase.h"
#include "dialogs/BrevixDlg.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

namespace {

const char AddedAsk[] = "Phrase added successfully, would you like to add another one?";
const char EmptyContentAsk[] = "Content is Empty. Do you really want to save?";

using Table = std::vector<std::vector<std::string>>;

class AddPhraseTest : public DialogTest
{
protected:
    // The category list as the main window's initialisation left it, then
    // the tray menu's command.
    void RunAddPhrase(std::function<void(UiDriver&, HWND)> script)
    {
        ListCategories();
        UiDriver user;
        user.Start([script](UiDriver& ui) { script(ui, ui.WaitForDialog("Add New Phrase")); });
        CBrevixDlg::OnAddNewPhrase();
        EXPECT_TRUE(user.Finish()) << user.Transcript();
        seen = user.MessageBoxes();
    }
};

TEST_F(AddPhraseTest, OpensWithTheCategoriesAndAProposedShortcutAndAddsOnYesNo)
{
    db.Insert("Replies", "", "");
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");

    RunAddPhrase([](UiDriver& ui, HWND adder) {
        EXPECT_EQ(ui.ComboItems(adder, IDC_ADD_CATEGORY_COMBO), (Items{ "Replies", "Work" }));
        EXPECT_EQ(ui.ComboSelection(adder, IDC_ADD_CATEGORY_COMBO), 0);
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 4");
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "");
        EXPECT_EQ(ui.FocusWindow(adder), ::GetDlgItem(adder, IDOK)) << "\"Add Phrase\" has the focus";

        ui.SelectComboItem(adder, IDC_ADD_CATEGORY_COMBO, 1);
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Good evening, team");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(adder);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].buttons, (Items{ "Yes", "No" }));
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(seen[0].caption, AfxGetAppName());
    EXPECT_EQ(Rows().back(), (std::vector<std::string>{ "Work", "Shortcut 4", "Good evening, team" }));
}

TEST_F(AddPhraseTest, YesToAnotherProposesTheNextNameEmptiesTheTextAndKeepsTheCategory)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "", "");

    RunAddPhrase([](UiDriver& ui, HWND adder) {
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 3");
        ui.SelectComboItem(adder, IDC_ADD_CATEGORY_COMBO, 1);
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "Greeting");
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Good morning, team");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDYES);

        EXPECT_TRUE(::IsWindowVisible(adder));
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 4");
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "");
        EXPECT_EQ(ui.ComboSelectedText(adder, IDC_ADD_CATEGORY_COMBO), "Work");

        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "See you tomorrow");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(adder);
    });
    EXPECT_EQ(Rows(), (Table{ { "Replies", "Accept", "Yes, gladly." },
                              { "Work", "", "" },
                              { "Work", "Greeting", "Good morning, team" },
                              { "Work", "Shortcut 4", "See you tomorrow" } }));
}

TEST_F(AddPhraseTest, EmptyShortcutIsRefusedFirstAndLeavesTheFieldsAsTyped)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");

    RunAddPhrase([](UiDriver& ui, HWND adder) {
        // Both empty: the shortcut comes first.
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox("Please enter a Shortcut name"), IDOK);

        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Text without a name");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox("Please enter a Shortcut name"), IDOK);
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "");
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "Text without a name");
        ui.PressButton(adder, IDCANCEL);
        ui.WaitUntilGone(adder);
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].buttons, Items{ "OK" });
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(db.Rows().size(), 1u);
}

TEST_F(AddPhraseTest, EmptyTextIsAskedAboutNoKeepsTheDialogYesStoresItUnderTheEmptyCategory)
{
    // No category at all: the empty selection is the empty category name.
    RunAddPhrase([](UiDriver& ui, HWND adder) {
        EXPECT_EQ(ui.ComboItems(adder, IDC_ADD_CATEGORY_COMBO), Items{});
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 1");

        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox(EmptyContentAsk), IDNO);
        EXPECT_TRUE(::IsWindowVisible(adder));
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 1");

        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox(EmptyContentAsk), IDYES);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(adder);
    });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].buttons, (Items{ "Yes", "No" }));
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(Rows(), (Table{ { "", "Shortcut 1", "" } }));
}

TEST_F(AddPhraseTest, EnterInTheShortcutAddsEnterInTheTextStartsANewLine)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");

    RunAddPhrase([](UiDriver& ui, HWND adder) {
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "First line");
        ui.Focus(adder, IDC_ADD_CONTENT_EDIT);
        ui.SetSelection(adder, IDC_ADD_CONTENT_EDIT, 10, 10);
        ui.PressKey(adder, VK_RETURN);
        ui.WaitUntil([&] { return ui.Text(adder, IDC_ADD_CONTENT_EDIT) == "First line\r\n"; }, "a new line");
        EXPECT_TRUE(ui.MessageBoxesOnceIdle(adder).empty());

        ui.PressKeyIn(adder, IDC_SHORTCUT_EDIT, VK_RETURN);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(adder);
    });
    EXPECT_EQ(Rows().back(), (std::vector<std::string>{ "Replies", "Shortcut 2", "First line\r\n" }));
}

TEST_F(AddPhraseTest, FailedWriteSaysSoAndKeepsEverythingTyped)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.MakeReadOnly();

    RunAddPhrase([](UiDriver& ui, HWND adder) {
        ui.SelectComboItem(adder, IDC_ADD_CATEGORY_COMBO, 1);
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "Evening");
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Good evening, team");
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox("The phrase could not be saved to the database."), IDOK);
        EXPECT_TRUE(ui.MessageBoxesOnceIdle(adder).empty()) << "no success question after a failed write";
        EXPECT_TRUE(::IsWindowVisible(adder));
        EXPECT_EQ(ui.ComboSelectedText(adder, IDC_ADD_CATEGORY_COMBO), "Work");
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Evening");
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "Good evening, team");
        ui.PressButton(adder, IDCANCEL);
        ui.WaitUntilGone(adder);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(seen[0].buttons, Items{ "OK" });
    EXPECT_EQ(db.Rows().size(), 2u);
}

// Long text and names, apostrophes and line breaks: added whole; the text's
// apostrophes stored as the bytes 0xAC 0x60, the name as typed. The editor
// then shows the stored bytes and its Save stores its text as typed.
TEST_F(AddPhraseTest, LongTextsAndApostrophesRoundTripThroughAddEditAndSave)
{
    db.Insert("Notes", "", "");
    const std::string line = "Don't forget: it's Anna's turn on Friday's call.\r\n";
    const std::string typed = LongText(line.size() * (65536 / line.size() + 1), line);
    std::string stored = typed;
    for (size_t at = stored.find('\''); at != std::string::npos; at = stored.find('\'', at + 2))
        stored.replace(at, 1, "\xAC`");
    const std::string name = "Anna's " + LongText(300, "reminder ");

    RunAddPhrase([&](UiDriver& ui, HWND adder) {
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, name);
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, typed);
        ui.PressButton(adder, IDOK);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(adder);
    });
    ASSERT_EQ(db.Rows().size(), 2u);
    EXPECT_EQ(db.Rows()[1].code, name);
    EXPECT_EQ(db.Rows()[1].content, stored);

    const std::string edited = "Don't forget: it's " + LongText(10000, "Bob's turn now. ");
    CBrevixDlg editor;
    RunModal(editor, [&](UiDriver& ui) {
        HWND window = ui.WaitForDialog("Talvory");
        ui.SelectComboItem(window, IDC_CATEGORY_COMBO, 0);
        EXPECT_EQ(ui.ComboSelectedText(window, IDC_PHRASE_COMBO), name);
        EXPECT_EQ(ui.Text(window, IDC_CONTENT_EDIT), stored);
        ui.TypeText(window, IDC_CONTENT_EDIT, edited);
        ui.PressButton(window, IDC_SAVE);
        ui.WaitUntilGone(window);
    });
    EXPECT_EQ(db.Rows()[1].code, name);
    EXPECT_EQ(db.Rows()[1].content, edited);
}

} // namespace
