#include "app/AboutDlg.h"

#include "AfxState.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CAboutDlg, CDialog)

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_picture.Reset(static_cast<HBITMAP>(
        ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_ABOUT_PICTURE), IMAGE_BITMAP, 0, 0, 0)));
    ::SendDlgItemMessageA(m_hWnd, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(m_picture.Get()));
    CenterWindow();
    return TRUE;
}
