#include "dialogs/DeleteCategory.h"

#include "AfxApp.h"
#include "store/PhraseStore.h"

IMPLEMENT_DYNAMIC(CDeleteCategory, CDialog)

CDeleteCategory::CDeleteCategory(CWnd* parent) : CDialog(IDD_DELETE_CATEGORY, parent)
{
}

void CDeleteCategory::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DELETE_COMBO, m_categoryCombo);
}

BOOL CDeleteCategory::OnInitDialog()
{
    CDialog::OnInitDialog();
    ReloadCategories();
    return TRUE;
}

void CDeleteCategory::ReloadCategories()
{
    ListCategories();
    FillCategoryCombo(m_categoryCombo);
    m_categoryCombo.SetCurSel(0);
}

void CDeleteCategory::OnDeleteCategory()
{
    if (AfxMessageBox("Are you sure you want to delete?", MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    // Only the selected list item counts, not text typed into the field; with
    // nothing selected the empty name is passed on like any other.
    bool itemSelected = m_categoryCombo.GetCurSel() >= 0;
    CString name = m_categoryCombo.GetSelectedText();

    // A category that someone else deleted meanwhile is simply gone from the list.
    if (DeleteCategoryRows(name) == ChangeOutcome::Failed && itemSelected)
        AfxMessageBox(L"The category could not be deleted from the database. " + LastStoreFailure().reason);

    // The dialog stays open for further deletions.
    ReloadCategories();
}
