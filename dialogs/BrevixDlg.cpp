#include "dialogs/BrevixDlg.h"

#include "AfxApp.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "res/resource.h"

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

    CenterWindow();
    ShowWindow(SW_HIDE);

    if (!TrayWindowHandle) CreateTrayWindow(m_hWnd);

    return TRUE;
}
