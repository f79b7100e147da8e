// The Add Category and Delete Category dialogs as the tray menu runs them:
// modal, with no parent, over the hidden main window.
#include "DialogTestSupport.h"

#include "dialogs/CategoryDlg.h"
#include "dialogs/DeleteCategory.h"
#include "res/resource.h"

namespace {

const char AddedAsk[] = "Category added Successfully. Would you like to add another one?";
const char Duplicate[] = "Category already in database, please select another name";
const char SureAsk[] = "Are you sure you want to delete?";

using CategoryDialogsTest = DialogTest;

TEST_F(CategoryDialogsTest, AddCategoryStoresCategoryRowsAndRefusesNamesInUse)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Bare", "", "");

    EXPECT_EQ(IDOK, RunModal<CCategoryDlg>("Add Category", [](UiDriver& ui, HWND dialog) {
        // Enter alone, "Add" having the focus, adds the empty name like any other.
        EXPECT_EQ(ui.FocusWindow(dialog), ::GetDlgItem(dialog, IDOK));
        ui.PressKey(dialog, VK_RETURN);
        Answer(ui, AddedAsk, IDYES, { "Yes", "No" }, MB_ICONQUESTION);

        for (const char* name : { "Replies", "Bare" }) {
            ui.SetText(dialog, IDC_CATEGORY_NAME, name);
            ui.PressButton(dialog, IDOK);
            Answer(ui, Duplicate, IDOK, { "OK" }, MB_ICONINFORMATION);
            EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), name);
        }
        // Yes keeps the name just added in the box; "Add" again refuses it.
        ui.SetText(dialog, IDC_CATEGORY_NAME, "Letters");
        ui.PressButton(dialog, IDOK);
        Answer(ui, AddedAsk, IDYES);
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "Letters");
        ui.PressButton(dialog, IDOK);
        Answer(ui, Duplicate, IDOK);

        ui.SetText(dialog, IDC_CATEGORY_NAME, "Notes");
        ui.PressButton(dialog, IDOK);
        Answer(ui, AddedAsk, IDNO);
        ui.WaitUntilGone(dialog);
    }));
    EXPECT_EQ(Rows(), (Table{ { "Replies", "Accept", "Yes, gladly." },
                              { "Bare", "", "" },
                              { "", "", "" },
                              { "Letters", "", "" },
                              { "Notes", "", "" } }));
    // Shown at once by whatever reads the category list next (the tray menu).
    EXPECT_EQ(CategoryNames(), (Items{ "", "Bare", "Letters", "Notes", "Replies" }));
}

TEST_F(CategoryDialogsTest, DeleteCategoryDeletesEveryRowOfTheSelectedItemAfterYes)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "", "");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.Insert("Replies", "Decline", "Sorry, I cannot.");

    EXPECT_EQ(IDCANCEL, RunModal<CDeleteCategory>("Delete Category", [](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), (Items{ "Replies", "Work" }));
        EXPECT_EQ(ui.ComboSelectedText(dialog, IDC_DELETE_COMBO), "Replies");
        ui.PressButton(dialog, IDOK);
        Answer(ui, SureAsk, IDNO, { "Yes", "No" }, MB_ICONQUESTION);
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), (Items{ "Replies", "Work" }));

        ui.SelectComboItem(dialog, IDC_DELETE_COMBO, 1);
        ui.SetText(dialog, IDC_DELETE_COMBO, "Replies");  // typed into the field: not the choice
        ui.PressButton(dialog, IDOK);
        Answer(ui, SureAsk, IDYES);
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), Items{ "Replies" });
        EXPECT_EQ(ui.ComboSelectedText(dialog, IDC_DELETE_COMBO), "Replies");
        ui.PressKey(dialog, VK_ESCAPE);
        ui.WaitUntilGone(dialog);
    }));
    EXPECT_EQ(Rows(), (Table{ { "Replies", "Accept", "Yes, gladly." }, { "Replies", "Decline", "Sorry, I cannot." } }));
    EXPECT_EQ(CategoryNames(), Items{ "Replies" });

    // With an empty list the empty name is deleted: nothing, and nothing more is said.
    db.Execute("DELETE FROM phrase");
    RunModal<CDeleteCategory>("Delete Category", [](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), Items{});
        ui.PressButton(dialog, IDOK);
        Answer(ui, SureAsk, IDYES);
        Cancel(ui, dialog);
    });
}

} // namespace
