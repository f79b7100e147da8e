#include "dialogs/AddPhrase.h"

#include "AfxApp.h"
#include "store/PhraseStore.h"

IMPLEMENT_DYNAMIC(CAddPhrase, CDialog)

CAddPhrase::CAddPhrase(CWnd* parent) : CDialog(IDD_ADD_PHRASE, parent)
{
}

void CAddPhrase::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ADD_CATEGORY_COMBO, m_categoryCombo);
    DDX_Control(pDX, IDC_SHORTCUT_EDIT, m_shortcutEdit);
    DDX_Control(pDX, IDC_ADD_CONTENT_EDIT, m_contentEdit);
}

BOOL CAddPhrase::OnInitDialog()
{
    CDialog::OnInitDialog();

    // Whatever the user types or pastes is taken whole: the controls' own
    // limits (some 30,000 characters) would otherwise cut long phrases.
    m_shortcutEdit.SetLimitText(0);
    m_contentEdit.SetLimitText(0);

    // The categories as the database holds them now: someone else may have
    // added one (a list that cannot be read stays as it was).
    ListCategories();
    FillCategoryCombo(m_categoryCombo);
    m_categoryCombo.SetCurSel(0);
    m_shortcutEdit.SetWindowText(NextShortcutName());
    // Typing goes straight into the shortcut name, replacing the proposal.
    GotoDlgCtrl(m_shortcutEdit);
    return FALSE;
}

void CAddPhrase::OnAddPhrase()
{
    // The name without the blanks around it: " Hello " is the name Hello.
    CString code = m_shortcutEdit.GetWindowText().Trimmed();
    CString content = m_contentEdit.GetWindowText();

    if (code.IsEmpty()) {
        AfxMessageBox("Please enter a Shortcut name", MB_OK);
        return;
    }
    if (content.IsEmpty() &&
        AfxMessageBox("Content is Empty. Do you really want to save?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }

    // Two phrases of a category must not share a shortcut name, compared as
    // the database compares (without regard to case): the editor could not
    // tell them apart. A database that refuses the twin itself (a team's,
    // where two people may add it at the same moment) is answered the same.
    // The dialog keeps what was typed.
    const char twin[] = "This category already has a phrase with that shortcut name, please choose another name.";
    if (CountCategoryCodes(m_categoryCombo.GetSelectedText(), code) != 0) {
        AfxMessageBox(twin, MB_OK | MB_ICONINFORMATION);
        GotoDlgCtrl(m_shortcutEdit);
        return;
    }

    // A phrase that did not reach the database is not reported as added; the
    // dialog keeps everything the user typed so that nothing is lost.
    if (!AddPhrase(m_categoryCombo, code, content)) {
        if (LastStoreFailure().kind == StoreFailureKind::Duplicate) {
            AfxMessageBox(twin, MB_OK | MB_ICONINFORMATION);
        } else {
            AfxMessageBox(L"The phrase could not be saved to the database. " + LastStoreFailure().reason);
        }
        return;
    }

    if (AfxMessageBox("Phrase added successfully, would you like to add another one?", MB_YESNO) == IDNO) {
        EndDialog(IDOK);
        return;
    }
    // The next proposal counts the row just added; the category stays chosen.
    m_shortcutEdit.SetWindowText(NextShortcutName());
    m_contentEdit.SetWindowText("");
}
