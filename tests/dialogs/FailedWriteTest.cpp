// A database the program cannot write to: each dialog says that its change
// failed, reports no success, and keeps what the user typed and chose. (A
// success question after a failure would be left open, which fails the test.)
#include "DialogTestSupport.h"

#include "dialogs/BrevixDlg.h"
#include "dialogs/CategoryDlg.h"
#include "dialogs/DeleteCategory.h"
#include "res/resource.h"

namespace {

using FailedWriteTest = DialogTest;

TEST_F(FailedWriteTest, EveryDialogSaysSoAndKeepsTheInput)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.MakeReadOnly();
    const Table before = Rows();

    RunModal<CBrevixDlg>("Talvory", [](UiDriver& ui, HWND editor) {
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        ui.TypeText(editor, IDC_CONTENT_EDIT, "Good afternoon, team");
        ui.PressButton(editor, IDC_SAVE);
        Answer(ui, "The phrase could not be saved to the database.", IDOK, { "OK" }, MB_ICONEXCLAMATION);
        ui.PressButton(editor, IDC_DELETE_PHRASE);
        Answer(ui, "The phrase could not be deleted from the database.", IDOK);
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_CATEGORY_COMBO), "Work");
        EXPECT_EQ(ui.ComboSelectedText(editor, IDC_PHRASE_COMBO), "Greeting");
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Good afternoon, team");
        Cancel(ui, editor);
    });
    Run(&CBrevixDlg::OnAddNewPhrase, "Add New Phrase", [](UiDriver& ui, HWND adder) {
        ui.SelectComboItem(adder, IDC_ADD_CATEGORY_COMBO, 1);
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "Evening");
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Good evening, team");
        ui.PressButton(adder, IDOK);
        Answer(ui, "The phrase could not be saved to the database.", IDOK);
        EXPECT_EQ(ui.ComboSelectedText(adder, IDC_ADD_CATEGORY_COMBO), "Work");
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT), "Evening");
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CONTENT_EDIT), "Good evening, team");
        Cancel(ui, adder);
    });
    RunModal<CCategoryDlg>("Add Category", [](UiDriver& ui, HWND dialog) {
        ui.SetText(dialog, IDC_CATEGORY_NAME, "Letters");
        ui.PressButton(dialog, IDOK);
        Answer(ui, "The category could not be saved to the database.", IDOK);
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "Letters");
        Cancel(ui, dialog);
    });
    RunModal<CDeleteCategory>("Delete Category", [](UiDriver& ui, HWND dialog) {
        ui.PressButton(dialog, IDOK);
        Answer(ui, "Are you sure you want to delete?", IDYES);
        Answer(ui, "The category could not be deleted from the database.", IDOK);
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), (Items{ "Replies", "Work" }));
        Cancel(ui, dialog);
    });
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(CategoryNames(), (Items{ "Replies", "Work" }));
}

} // namespace
