#include "dialogs/BrevixDlg.h"

#include "AfxApp.h"
#include "app/AboutDlg.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "dialogs/AddPhrase.h"
#include "preview/MenuPreviewManager.h"
#include "store/PhraseStore.h"

IMPLEMENT_DYNAMIC(CBrevixDlg, CDialog)

CBrevixDlg::CBrevixDlg(CWnd* parent) : CDialog(IDD_TALVORY_DIALOG, parent)
{
    m_icon = static_cast<HICON>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_FRAME_1), IMAGE_ICON,
                                             0, 0, LR_DEFAULTSIZE));
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

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));

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
    LoadCategoryPhrases(m_phraseCombo, m_contentEdit, category);
    m_phraseCombo.SetCurSel(0);

    CString code;
    m_phraseCombo.GetLBText(0, code);
    m_contentEdit.SetWindowText(GetContentByCode(category, code));
}

void CBrevixDlg::OnCategoryChange()
{
    CString category = m_categoryCombo.GetSelectedText();
    ListPhraseCodes(m_phraseCombo, category);
    m_contentEdit.SetWindowText(GetContentByCode(category, m_phraseCombo.GetSelectedText()));
}

void CBrevixDlg::OnPhraseChange()
{
    // A shortcut name may be used in several categories: the text shown is
    // the one of the chosen category. Unsaved edits are dropped.
    m_contentEdit.SetWindowText(GetContentByCode(m_categoryCombo.GetSelectedText(),
                                                 m_phraseCombo.GetSelectedText()));
}

void CBrevixDlg::OnSave()
{
    // With no phrase chosen there is nothing to store, and the editor closes.
    if (!m_phraseCombo.GetSelectedText().IsEmpty()) {
        CString content = m_contentEdit.GetWindowText();
        if (!UpdateContent(m_phraseCombo, m_categoryCombo.GetSelectedText(), content)) {
            // Not stored: the editor stays open with the text as typed.
            AfxMessageBox("The phrase could not be saved to the database.");
            return;
        }
    }
    EndDialog(IDOK);
}

void CBrevixDlg::OnDeletePhrase()
{
    bool itemSelected = m_phraseCombo.GetCurSel() >= 0;
    CString category = m_categoryCombo.GetSelectedText();
    CString code = m_phraseCombo.GetSelectedText();

    bool deleted = false;
    int remaining = DeletePhrase(category, code, &deleted);
    // A listed phrase has its row, so deleting nothing means the deletion
    // failed; the editor then keeps its view and the text shown.
    if (itemSelected && !deleted) {
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
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);

    int iconWidth = ::GetSystemMetrics(SM_CXICON);
    int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, m_icon);

    ::EndPaint(m_hWnd, &paint);
}

LRESULT CBrevixDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_icon);
}
