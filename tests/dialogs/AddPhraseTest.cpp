// The Add New Phrase dialog as the tray menu's "Add phrase" opens it, through
// the editor's OnAddNewPhrase, and as the editor's button opens it.
#include "DialogTestSupport.h"

#include "dialogs/BrevixDlg.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

namespace {

const char AddedAsk[] = "Phrase added successfully, would you like to add another one?";
const char EmptyContentAsk[] = "Content is Empty. Do you really want to save?";
const char NoShortcut[] = "Please enter a Shortcut name";

class AddPhraseTest : public DialogTest
{
protected:
    // The category list as the main window's initialisation left it, then the menu's command.
    static void RunAddPhrase(const Script& script)
    {
        ListCategories();
        Run(&CBrevixDlg::OnAddNewPhrase, "Add New Phrase", script);
    }
};

TEST_F(AddPhraseTest, AddsWithTheProposedNameAndOnYesProposesTheNextKeepingTheCategory)
{
    db.Insert("Replies", "", "");
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");

    RunAddPhrase([](UiDriver& ui, HWND adder) {
        EXPECT_EQ(ui.ComboItems(adder, IDC_ADD_CATEGORY_COMBO), (Items{ "Replies", "Work" }));
        EXPECT_EQ(ui.ComboSelectedText(adder, IDC_ADD_CATEGORY_COMBO), "Replies");
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 4");
        EXPECT_EQ(ui.FocusWindow(adder), ::GetDlgItem(adder, IDOK)) << "\"Add Phrase\" has the focus";

        ui.SelectComboItem(adder, IDC_ADD_CATEGORY_COMBO, 1);
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Good evening, team");
        ui.PressButton(adder, IDOK);
        Answer(ui, AddedAsk, IDYES, { "Yes", "No" }, MB_ICONEXCLAMATION);
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 5");
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "");
        EXPECT_EQ(ui.ComboSelectedText(adder, IDC_ADD_CATEGORY_COMBO), "Work");

        // Enter in the text starts a new line; Enter in the shortcut name adds.
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "See you");
        ui.PressKeyIn(adder, IDC_ADD_CONTENT_EDIT, VK_END);
        ui.PressKey(adder, VK_RETURN);
        ui.WaitUntil([&] { return ui.Text(adder, IDC_ADD_CONTENT_EDIT) == "See you\r\n"; }, "a new line");
        ui.PressKeyIn(adder, IDC_SHORTCUT_EDIT, VK_RETURN);
        Answer(ui, AddedAsk, IDNO);
        ui.WaitUntilGone(adder);
    });
    EXPECT_EQ(Rows(), (Table{ { "Replies", "", "" },
                              { "Replies", "Accept", "Yes, gladly." },
                              { "Work", "Greeting", "Good morning, team" },
                              { "Work", "Shortcut 4", "Good evening, team" },
                              { "Work", "Shortcut 5", "See you\r\n" } }));
}

TEST_F(AddPhraseTest, RefusesAnEmptyNameFirstAndAsksAboutAnEmptyText)
{
    // No category at all: the empty selection is the empty category name.
    RunAddPhrase([](UiDriver& ui, HWND adder) {
        EXPECT_EQ(ui.ComboItems(adder, IDC_ADD_CATEGORY_COMBO), Items{});
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Shortcut 1");
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "");
        ui.PressButton(adder, IDOK);
        Answer(ui, NoShortcut, IDOK, { "OK" }, MB_ICONEXCLAMATION);
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Text without a name");
        ui.PressButton(adder, IDOK);
        Answer(ui, NoShortcut, IDOK);
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "Text without a name");

        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "Blank");
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "");
        ui.PressButton(adder, IDOK);
        Answer(ui, EmptyContentAsk, IDNO, { "Yes", "No" }, MB_ICONQUESTION);
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Blank");
        ui.PressButton(adder, IDOK);
        Answer(ui, EmptyContentAsk, IDYES);
        Answer(ui, AddedAsk, IDNO);
        ui.WaitUntilGone(adder);
    });
    EXPECT_EQ(Rows(), (Table{ { "", "Blank", "" } }));
}

// Long texts and names with apostrophes and line breaks, added from the
// editor: stored whole, the text's apostrophes as the bytes 0xAC 0x60, the
// name as typed. The editor shows the stored bytes; its Save stores as typed.
TEST_F(AddPhraseTest, LongTextsAndApostrophesRoundTripThroughAddEditAndSave)
{
    db.Insert("Notes", "", "");
    const std::string typed = LongText(70000, "Don't forget: it's Anna's turn on Friday's call.\r\n");
    std::string stored = typed;
    for (size_t at = stored.find('\''); at != std::string::npos; at = stored.find('\'', at + 2))
        stored.replace(at, 1, "\xAC`");
    const std::string name = "Anna's " + LongText(300, "reminder ");
    const std::string edited = LongText(70000, "It's Bob's turn now.\r\n");

    RunModal<CBrevixDlg>("Talvory", [&](UiDriver& ui, HWND editor) {
        ui.PressButton(editor, IDC_ADD_NEW_PHRASE);
        HWND adder = ui.WaitForDialog("Add New Phrase");
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, name);
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, typed);
        ui.PressButton(adder, IDOK);
        Answer(ui, AddedAsk, IDNO);
        ui.WaitUntilGone(adder);

        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 0);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), name);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), stored);
        ui.TypeText(editor, IDC_CONTENT_EDIT, edited);
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    });
    EXPECT_EQ(Rows(), (Table{ { "Notes", "", "" }, { "Notes", name, edited } }));
}

} // namespace
