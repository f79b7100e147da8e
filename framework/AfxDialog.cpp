#include "AfxDialog.h"

#include "AfxApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd) control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && !m_modal && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

HWND CDialog::OwnerWindow() const
{
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    CWnd* mainWindow = AfxGetMainWnd();
    if (mainWindow && mainWindow != this && mainWindow->IsWindow()) return mainWindow->m_hWnd;
    return nullptr;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    if (parent) m_pParentWnd = parent;
    m_modal = false;
    HWND hWnd = ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_templateId),
                                     m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

INT_PTR CDialog::DoModal()
{
    m_modal = true;
    INT_PTR result = ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_templateId),
                                       OwnerWindow(), DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    m_modal = false;
    return result;
}

void CDialog::EndDialog(int result)
{
    if (m_modal) {
        ::EndDialog(m_hWnd, result);
    } else {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        OnOK();
        lResult = 0;
        return TRUE;
    }
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
        OnCancel();
        lResult = 0;
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    // Returning FALSE from the dialog procedure hands the message to the
    // system's dialog processing.
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(hWnd);
        AfxMessageRecordScope record(hWnd, message, wParam, lParam);
        return dialog->OnInitDialog();
    }
    CDialog* dialog = static_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (!dialog) return FALSE;

    AfxMessageRecordScope record(hWnd, message, wParam, lParam);
    LRESULT result = 0;
    BOOL handled = dialog->ProcessWindowMessage(hWnd, message, wParam, lParam, result);
    if (message == WM_NCDESTROY) dialog->DetachFromHandle();
    if (!handled) return FALSE;
    switch (message) {
    // These messages return their value directly from a dialog procedure.
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
