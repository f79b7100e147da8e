#include "dialogs/BrevixDlg.h"

#include "AfxApp.h"
#include "app/AboutDlg.h"
#include "app/TrayIcon.h"
#include "dialogs/AddPhrase.h"
#include "dialogs/PhraseTextBox.h"
#include "preview/MenuPreviewManager.h"
#include "store/PhraseStore.h"
#include "store/StoredText.h"

IMPLEMENT_DYNAMIC(CBrevixDlg, CDialog)

CBrevixDlg::CBrevixDlg(CWnd* parent)
    : CDialog(IDD_TALVORY_DIALOG, parent),
      m_icon(static_cast<HICON>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_FRAME_1), IMAGE_ICON, 0,
                                             0, LR_DEFAULTSIZE)))
{
}

void CBrevixDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PHRASE_COMBO, m_phraseCombo);
    DDX_Control(pDX, IDC_CONTENT_EDIT, m_contentEdit);
    DDX_Control(pDX, IDC_CATEGORY_COMBO, m_categoryCombo);
}

BOOL CBrevixDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(FALSE);
    if (systemMenu) {
        CString aboutText;
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Get()));

    // The main window is the instance created before the tray window exists.
    // The tray menu is tracked with it as owner, so the preview watches it, for
    // the life of the process; editors have no menu to preview and are not hooked.
    const bool mainInstance = TrayWindowHandle == nullptr;
    if (mainInstance) MenuPreviewManager.Install(m_hWnd);

    CenterWindow();
    ShowWindow(SW_HIDE);

    if (mainInstance) CreateTrayWindow(m_hWnd);

    // The phrase text is taken whole, however long the user makes it.
    m_contentEdit.SetLimitText(0);

    // A locked database holds up the first of these reads only.
    StoreTaskScope task;
    ShowFirstCategory();
    LoadAllContents();
    return TRUE;
}

void CBrevixDlg::ShowFirstCategory()
{
    ListCategories();
    FillCategoryCombo(m_categoryCombo);
    m_categoryCombo.SetCurSel(0);

    CString category;
    m_categoryCombo.GetLBText(0, category);
    LoadCategoryPhrases(m_phraseCombo, category, m_phraseIds);
    m_phraseCombo.SetCurSel(0);
    ShowSelectedPhrase();
}

bool CBrevixDlg::SelectedPhrase(PhraseId& phraseId) const
{
    int index = m_phraseCombo.GetCurSel();
    if (index < 0 || static_cast<size_t>(index) >= m_phraseIds.size() || m_phraseCombo.GetSelectedText().IsEmpty())
        return false;
    phraseId = m_phraseIds[static_cast<size_t>(index)];
    return true;
}

void CBrevixDlg::ShowSelectedPhrase()
{
    PhraseId phraseId = 0;
    CString text;
    if (SelectedPhrase(phraseId)) text = ShownPhraseText(GetContentByPhraseId(phraseId));
    SetPhraseText(m_contentEdit, text);
}

void CBrevixDlg::OnCategoryChange()
{
    ListPhraseCodes(m_phraseCombo, m_categoryCombo.GetSelectedText(), m_phraseIds);
    ShowSelectedPhrase();
}

void CBrevixDlg::OnPhraseChange()
{
    // Unsaved edits are dropped.
    ShowSelectedPhrase();
}

void CBrevixDlg::OnSave()
{
    PhraseId phraseId = 0;
    if (!SelectedPhrase(phraseId)) {
        // Nothing to store the text in: the editor stays open with the text.
        AfxMessageBox("Please pick the phrase to save this text to, or use Add New Phrase to add it as a new "
                      "phrase.",
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!UpdateContent(phraseId, m_contentEdit.GetWindowText())) {
        // Not stored: the editor stays open with the text as typed.
        AfxMessageBox("The phrase could not be saved to the database.");
        return;
    }
    EndDialog(IDOK);
}

void CBrevixDlg::OnDeletePhrase()
{
    bool deleted = false;
    int remaining = 0;
    PhraseId phraseId = 0;
    if (SelectedPhrase(phraseId)) {
        remaining = DeletePhraseById(phraseId, &deleted);
    } else {
        // The blank item, or nothing: the category's rows without a shortcut
        // name (its category row) go.
        remaining = DeletePhrase(m_categoryCombo.GetSelectedText(), CString(), &deleted);
    }
    // A listed item has its row, so deleting nothing means the deletion
    // failed; the editor then keeps its view and the text shown.
    if (m_phraseCombo.GetCurSel() >= 0 && !deleted) {
        AfxMessageBox("The phrase could not be deleted from the database.");
        return;
    }

    if (remaining >= 1) {
        m_phraseCombo.SetCurSel(0);
    } else {
        AfxMessageBox("There is no phrase in the database", MB_OK | MB_ICONINFORMATION);
    }
    ShowFirstCategory();
}

void CBrevixDlg::OnAddNewPhrase()
{
    CAddPhrase dialog;
    dialog.DoModal();
}

void CBrevixDlg::OnAboutBox()
{
    CAboutDlg about;
    about.DoModal();
}

void CBrevixDlg::OnPaintIconic()
{
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);

    int iconWidth = ::GetSystemMetrics(SM_CXICON);
    int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, m_icon);
}

LRESULT CBrevixDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_icon.Get());
}
