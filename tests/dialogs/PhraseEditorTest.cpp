// The phrase editor run as the tray menu's "Edit phrase" runs it: modal, with
// no parent, over the hidden main window, against a real database; and the
// same class as the hidden main window that start-up creates.
#include "DialogTestSupport.h"

#include "app/TrayIcon.h"
#include "dialogs/BrevixDlg.h"
#include "preview/MenuPreviewManager.h"
#include "res/resource.h"
#include "store/PhraseContents.h"

#include <shellapi.h>

namespace {

class PhraseEditorTest : public DialogTest
{
protected:
    static INT_PTR RunEditor(const Script& script) { return RunModal<CBrevixDlg>("Talvory", script); }
};

TEST_F(PhraseEditorTest, EmptyTableShowsEmptyListsAsDoesDeletingTheLastRow)
{
    // Save with nothing chosen closes and stores nothing.
    EXPECT_EQ(IDOK, RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), Items{});
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{});
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "");
        ui.TypeText(editor, IDC_CONTENT_EDIT, "typed with nothing chosen");
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    }));
    EXPECT_EQ(Rows(), Table{});

    db.Insert("Home", "Bye", "See you");
    RunEditor([](UiDriver& ui, HWND editor) {
        ui.PressButton(editor, IDC_DELETE_PHRASE);
        Answer(ui, "There is no phrase in the database", IDOK, { "OK" }, MB_ICONINFORMATION);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), Items{});
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{});
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "");
        Cancel(ui, editor);
    });
    EXPECT_EQ(Rows(), Table{});
}

TEST_F(PhraseEditorTest, CategoryRowIsABlankItemAfterOpeningOnlyAndSavingItStoresNothing)
{
    db.Insert("Letters", "", "");
    db.Insert("Letters", "Opening", "Dear Sir or Madam,");
    db.Insert("Notes", "", "");
    const Table before = Rows();

    RunEditor([](UiDriver& ui, HWND editor) {
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Letters", "Notes" }));
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_CATEGORY_COMBO), "Letters");
        // Opening lists every row of the first category, its category row too.
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), (Items{ "", "Opening" }));
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "");
        // A category change lists the phrases only: none, then the one.
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{});
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 0);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "Opening" });
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Dear Sir or Madam,");
        Cancel(ui, editor);
    });
    EXPECT_EQ(IDOK, RunEditor([](UiDriver& ui, HWND editor) {
        ui.TypeText(editor, IDC_CONTENT_EDIT, "text for no phrase");
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    }));
    EXPECT_EQ(Rows(), before);
}

TEST_F(PhraseEditorTest, ShowsTheChosenCategorysTextAndSaveStoresOnlyThatPhrase)
{
    db.Insert("Home", "Bye", "See you");
    db.Insert("Home", "Greeting", "Hi, love");
    db.Insert("Work", "Greeting", "Good morning, team");

    EXPECT_EQ(IDOK, RunEditor([](UiDriver& ui, HWND editor) {
        // Choosing another phrase drops the unsaved edit.
        ui.TypeText(editor, IDC_CONTENT_EDIT, "an edit never saved");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 1);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Hi, love");
        // The same shortcut name in another category shows that category's text.
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Good morning, team");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 0);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Good morning, team");
        ui.TypeText(editor, IDC_CONTENT_EDIT, "Good afternoon, team");
        ui.PressButton(editor, IDC_SAVE);
        ui.WaitUntilGone(editor);
    }));
    EXPECT_EQ(Rows(), (Table{ { "Home", "Bye", "See you" },
                              { "Home", "Greeting", "Hi, love" },
                              { "Work", "Greeting", "Good afternoon, team" } }));
}

TEST_F(PhraseEditorTest, DeletePhraseDeletesTheChosenRowAndReturnsToTheFirstCategory)
{
    db.Insert("Bare", "", "");
    db.Insert("Home", "Bye", "See you");
    db.Insert("Kept", "", "");
    db.Insert("Kept", "Only", "the only phrase of Kept");
    db.Insert("Lost", "Single", "the only phrase of Lost");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.Insert("Work", "Thanks", "Thank you all");
    db.Insert("Zoo", "Thanks", "Thanks, keeper");

    RunEditor([](UiDriver& ui, HWND editor) {
        // The blank item of a bare category: the category goes with its row.
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "" });
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Home", "Kept", "Lost", "Work", "Zoo" }));

        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 3);
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 1);
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_CATEGORY_COMBO), "Home");
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), Items{ "Bye" });
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "See you");

        // A category's last phrase takes it along, unless it has its category row.
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 2);
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        ui.PressButtonAndWait(editor, IDC_DELETE_PHRASE);
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), (Items{ "Home", "Kept", "Work", "Zoo" }));
        Cancel(ui, editor);
    });
    EXPECT_EQ(Rows(), (Table{ { "Home", "Bye", "See you" },
                              { "Kept", "", "" },
                              { "Work", "Greeting", "Good morning, team" },
                              { "Zoo", "Thanks", "Thanks, keeper" } }));
    EXPECT_EQ(CategoryNames(), (Items{ "Home", "Kept", "Work", "Zoo" }));
}

TEST_F(PhraseEditorTest, EnterInTheTextStartsANewLineElsewhereItEndsTheEditorWithIdok)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");

    EXPECT_EQ(IDOK, RunEditor([](UiDriver& ui, HWND editor) {
        ui.PressKeyIn(editor, IDC_CONTENT_EDIT, VK_END);
        ui.PressKey(editor, VK_RETURN);
        ui.WaitUntil([&] { return ui.Text(editor, IDC_CONTENT_EDIT) == "Yes, gladly.\r\n"; },
                     "a new line in the text");
        ui.PressKeyIn(editor, IDC_PHRASE_COMBO, VK_RETURN);
        ui.WaitUntilGone(editor);
    }));
    EXPECT_EQ(Rows(), (Table{ { "Replies", "Accept", "Yes, gladly." } }));
}

std::vector<DWORD> iconCalls;

BOOL WINAPI RecordIconCall(DWORD message, void*)
{
    iconCalls.push_back(message);
    return TRUE;
}

TEST_F(PhraseEditorTest, MainInstanceMakesTheTrayWindowOnceAndHooksItselfEditorsDoNot)
{
    db.InsertWithId(7, "Replies", "Accept", "Yes, gladly.");
    TrayWindowHandle = nullptr;  // start-up: nothing made yet
    NotifyIcon = RecordIconCall;

    CBrevixDlg mainDialog;
    ASSERT_TRUE(mainDialog.Create(IDD_TALVORY_DIALOG));
    AfxGetApp()->m_pMainWnd = &mainDialog;
    HWND trayWindow = TrayWindowHandle;
    ASSERT_NE(trayWindow, nullptr);
    EXPECT_EQ(::GetWindow(trayWindow, GW_OWNER), mainDialog.m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(mainDialog.m_hWnd));
    EXPECT_EQ(iconCalls, std::vector<DWORD>{ NIM_ADD });
    EXPECT_EQ(MenuPreviewManager.hookedWindow, mainDialog.m_hWnd);
    EXPECT_EQ(CategoryNames(), Items{ "Replies" });
    EXPECT_EQ(PhraseContents[7], "Yes, gladly.");

    // An editor opened later leaves the tray window, the icon and the hook
    // alone, reloads the preview texts and offers the About box.
    db.InsertWithId(8, "Replies", "Decline", "Sorry, I cannot.");
    EXPECT_EQ(IDCANCEL, RunEditor([&](UiDriver& ui, HWND editor) {
        EXPECT_EQ(CHookMap::HeadFor(editor), nullptr) << "the editor is not hooked";
        EXPECT_EQ(::GetWindow(editor, GW_OWNER), mainDialog.m_hWnd);
        char label[64] = {};
        ::GetMenuStringA(::GetSystemMenu(editor, FALSE), IDM_ABOUTBOX, label, sizeof label, MF_BYCOMMAND);
        EXPECT_STREQ(label, "&About Talvory...");
        ::PostMessageA(editor, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        Cancel(ui, ui.WaitForDialog("About Morvane"));
        ::PostMessageA(editor, WM_SYSCOMMAND, SC_CLOSE, 0);
        ui.WaitUntilGone(editor);
    }));
    EXPECT_EQ(TrayWindowHandle, trayWindow);
    EXPECT_EQ(iconCalls, std::vector<DWORD>{ NIM_ADD });
    EXPECT_EQ(MenuPreviewManager.hookedWindow, mainDialog.m_hWnd);
    EXPECT_EQ(PhraseContents[8], "Sorry, I cannot.");
}

} // namespace
