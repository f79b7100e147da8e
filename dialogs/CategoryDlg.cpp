#include "dialogs/CategoryDlg.h"

#include "AfxApp.h"
#include "store/PhraseStore.h"

IMPLEMENT_DYNAMIC(CCategoryDlg, CDialog)

CCategoryDlg::CCategoryDlg(CWnd* parent) : CDialog(IDD_ADD_CATEGORY, parent)
{
}

void CCategoryDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CATEGORY_NAME, m_nameEdit);
}

BOOL CCategoryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    GotoDlgCtrl(m_nameEdit);
    return FALSE;
}

void CCategoryDlg::OnAddCategory()
{
    // The name without the blanks around it: " Work " is the category Work.
    CString name = m_nameEdit.GetWindowText().Trimmed();
    const char duplicate[] = "Category already in database, please select another name";

    if (name.IsEmpty()) {
        AfxMessageBox("Please enter a Category name", MB_OK);
        return;
    }
    if (CountCategoryPhrases(name) != 0) {
        AfxMessageBox(duplicate, MB_ICONINFORMATION);
    } else if (!InsertPhrase(name)) {
        // Not reported as added: the dialog stays open with the name typed.
        if (LastStoreFailure().kind == StoreFailureKind::Duplicate) {
            AfxMessageBox(duplicate, MB_ICONINFORMATION);
        } else {
            AfxMessageBox(L"The category could not be saved to the database. " + LastStoreFailure().reason);
        }
    } else if (AfxMessageBox("Category added Successfully. Would you like to add another one?",
                             MB_YESNO | MB_ICONQUESTION) == IDNO) {
        EndDialog(IDOK);
    }

    // The other dialogs read the category list as last rebuilt, so it is
    // rebuilt after every attempt.
    ListCategories();
}
