// The Add Category and Delete Category dialogs as the tray menu runs them:
// modal, with no parent, over the hidden main window.
#include "DialogTestSupport.h"

#include "dialogs/CategoryDlg.h"
#include "dialogs/DeleteCategory.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

namespace {

const char AddedAsk[] = "Category added Successfully. Would you like to add another one?";
const char Duplicate[] = "Category already in database, please select another name";
const char SureAsk[] = "Are you sure you want to delete?";

using Table = std::vector<std::vector<std::string>>;

class AddCategoryTest : public DialogTest
{
protected:
    INT_PTR RunAddCategory(std::function<void(UiDriver&, HWND)> script)
    {
        CCategoryDlg dialog;
        return RunModal(dialog, [script](UiDriver& ui) { script(ui, ui.WaitForDialog("Add Category")); });
    }
};

class DeleteCategoryTest : public DialogTest
{
protected:
    INT_PTR RunDeleteCategory(std::function<void(UiDriver&, HWND)> script)
    {
        CDeleteCategory dialog;
        return RunModal(dialog, [script](UiDriver& ui) { script(ui, ui.WaitForDialog("Delete Category")); });
    }
};

// --- Add Category ------------------------------------------------------------

TEST_F(AddCategoryTest, AddsACategoryRowAndRefusesTheSameNameAfterYes)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    ListCategories();

    INT_PTR result = RunAddCategory([](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "");
        ui.SetText(dialog, IDC_CATEGORY_NAME, "Letters");
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDYES);
        EXPECT_TRUE(::IsWindowVisible(dialog));
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "Letters");

        // "Add" again with the name kept: it exists now.
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(Duplicate), IDOK);
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "Letters");

        ui.SetText(dialog, IDC_CATEGORY_NAME, "Notes");
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(dialog);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].buttons, (Items{ "Yes", "No" }));
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(seen[1].buttons, Items{ "OK" });
    EXPECT_EQ(seen[1].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(Rows(), (Table{ { "Replies", "Accept", "Yes, gladly." }, { "Letters", "", "" }, { "Notes", "", "" } }));
    // Shown at once by whatever reads the category list next (the tray menu).
    EXPECT_EQ(CategoryNames(), (Items{ "Letters", "Notes", "Replies" }));
}

TEST_F(AddCategoryTest, RefusesANameInUseByPhrasesOrByABareCategoryRow)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Bare", "", "");

    RunAddCategory([](UiDriver& ui, HWND dialog) {
        for (const char* name : { "Replies", "Bare" }) {
            ui.SetText(dialog, IDC_CATEGORY_NAME, name);
            ui.PressButton(dialog, IDOK);
            ui.Answer(ui.WaitForMessageBox(Duplicate), IDOK);
            EXPECT_TRUE(::IsWindowVisible(dialog));
            EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), name);
        }
        ui.PressButton(dialog, IDCANCEL);
        ui.WaitUntilGone(dialog);
    });
    EXPECT_EQ(db.Rows().size(), 2u);
}

TEST_F(AddCategoryTest, EnterWithAnEmptyNameAddsTheEmptyCategory)
{
    INT_PTR result = RunAddCategory([](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.FocusWindow(dialog), ::GetDlgItem(dialog, IDOK)) << "\"Add\" has the focus";
        ui.PressKey(dialog, VK_RETURN);
        ui.Answer(ui.WaitForMessageBox(AddedAsk), IDNO);
        ui.WaitUntilGone(dialog);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Rows(), (Table{ { "", "", "" } }));
}

TEST_F(AddCategoryTest, FailedWriteSaysSoAndKeepsTheName)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.MakeReadOnly();

    RunAddCategory([](UiDriver& ui, HWND dialog) {
        ui.SetText(dialog, IDC_CATEGORY_NAME, "Letters");
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox("The category could not be saved to the database."), IDOK);
        EXPECT_TRUE(ui.MessageBoxesOnceIdle(dialog).empty()) << "no success question after a failed write";
        EXPECT_TRUE(::IsWindowVisible(dialog));
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "Letters");
        ui.PressButton(dialog, IDCANCEL);
        ui.WaitUntilGone(dialog);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(seen[0].buttons, Items{ "OK" });
    EXPECT_EQ(db.Rows().size(), 1u);
    EXPECT_EQ(CategoryNames(), Items{ "Replies" });
}

// --- Delete Category ---------------------------------------------------------

TEST_F(DeleteCategoryTest, NoLeavesTheStoreAndTheListUnchanged)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");

    RunDeleteCategory([](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), (Items{ "Replies", "Work" }));
        EXPECT_EQ(ui.ComboSelection(dialog, IDC_DELETE_COMBO), 0);
        ui.ClickButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(SureAsk), IDNO);
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), (Items{ "Replies", "Work" }));
        ui.PressButton(dialog, IDCANCEL);
        ui.WaitUntilGone(dialog);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].buttons, (Items{ "Yes", "No" }));
    EXPECT_EQ(seen[0].icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(db.Rows().size(), 2u);
}

TEST_F(DeleteCategoryTest, YesDeletesEveryRowOfTheSelectedItemAndStaysOpen)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "", "");
    db.Insert("Work", "Greeting", "Good morning, team");
    db.Insert("Replies", "Decline", "Sorry, I cannot.");
    db.Insert("Work", "Thanks", "Thank you all");

    INT_PTR result = RunDeleteCategory([](UiDriver& ui, HWND dialog) {
        ui.SelectComboItem(dialog, IDC_DELETE_COMBO, 1);
        // Text typed into the field is not the choice: the list item is.
        ui.SetText(dialog, IDC_DELETE_COMBO, "Replies");
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(SureAsk), IDYES);
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), Items{ "Replies" });
        EXPECT_EQ(ui.ComboSelection(dialog, IDC_DELETE_COMBO), 0);
        EXPECT_TRUE(::IsWindowVisible(dialog));
        ui.PressKey(dialog, VK_ESCAPE);
        ui.WaitUntilGone(dialog);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(seen.size(), 1u) << "no failure reported";
    EXPECT_EQ(Rows(), (Table{ { "Replies", "Accept", "Yes, gladly." }, { "Replies", "Decline", "Sorry, I cannot." } }));
    EXPECT_EQ(CategoryNames(), Items{ "Replies" });
}

TEST_F(DeleteCategoryTest, WithAnEmptyListDeletesNothingAndSaysNothingMore)
{
    RunDeleteCategory([](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), Items{});
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(SureAsk), IDYES);
        EXPECT_TRUE(ui.MessageBoxesOnceIdle(dialog).empty());
        ui.PressButton(dialog, IDCANCEL);
        ui.WaitUntilGone(dialog);
    });
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(db.Rows().empty());
}

TEST_F(DeleteCategoryTest, FailedDeletionSaysSoAndKeepsTheCategory)
{
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.MakeReadOnly();

    RunDeleteCategory([](UiDriver& ui, HWND dialog) {
        ui.PressButton(dialog, IDOK);
        ui.Answer(ui.WaitForMessageBox(SureAsk), IDYES);
        ui.Answer(ui.WaitForMessageBox("The category could not be deleted from the database."), IDOK);
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), Items{ "Replies" });
        ui.PressButton(dialog, IDCANCEL);
        ui.WaitUntilGone(dialog);
    });
    EXPECT_EQ(db.Rows().size(), 1u);
}

} // namespace
