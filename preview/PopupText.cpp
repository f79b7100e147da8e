#include "preview/PopupText.h"

#include "AfxHandles.h"

IMPLEMENT_DYNAMIC(CPopupText, CWnd)

namespace {

// The non-client metrics as they were before the padded border width was
// added: the size every system accepts.
const UINT NonClientMetricsSize = 340;
static_assert(sizeof(NONCLIENTMETRICSA) >= NonClientMetricsSize, "NONCLIENTMETRICSA too small");

} // namespace

CPopupText::CPopupText()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = NonClientMetricsSize;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0) &&
        font.CreateFontIndirect(&metrics.lfMenuFont))
        return;

    // Without the system's menu font, a copy of the default GUI font.
    LOGFONTA fallback = {};
    if (::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof fallback, &fallback))
        font.CreateFontIndirect(&fallback);
}

CPopupText::~CPopupText()
{
    // The window first, while the font it draws with still exists.
    if (IsWindow()) DestroyWindow();
}

BOOL CPopupText::Create(POINT point)
{
    return CreateEx(0, nullptr, nullptr, WS_POPUP | WS_BORDER, point.x, point.y, 0, 0, nullptr, nullptr);
}

void CPopupText::ShowAfter(UINT delay)
{
    if (delay == 0) {
        ShowNow();
        return;
    }
    SetTimer(ShowTimerId, delay);
}

void CPopupText::ShowNow()
{
    ShowWindow(SW_SHOWNA);
    InvalidateRect(nullptr, TRUE);
    UpdateWindow();
    KillTimer(ShowTimerId);
}

void CPopupText::HidePopup()
{
    if (!IsWindow()) return;
    KillTimer(ShowTimerId);
    ShowWindow(SW_HIDE);
}

BOOL CPopupText::PreCreateWindow(CREATESTRUCTA& cs)
{
    // One class for every creation: no class styles, cursor, brush or icon.
    static const char* className = AfxRegisterWndClass(0);
    cs.lpszClass = className;
    cs.style = WS_POPUP | WS_BORDER;
    cs.dwExStyle |= WS_EX_TOOLWINDOW; // kept out of the taskbar
    return TRUE;
}

LRESULT CPopupText::OnPaint(WPARAM, LPARAM)
{
    CPaintDC dc(m_hWnd);
    RECT client;
    GetClientRect(&client);
    CString text = GetWindowText();

    // A brush per paint, so changed system colours show at the next paint.
    CBrushHandle background(::CreateSolidBrush(::GetSysColor(COLOR_INFOBK)));
    ::FillRect(dc, &client, background);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
    CSelectedObject selectedFont(dc, font);
    ::DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return 0;
}

LRESULT CPopupText::OnSetText(WPARAM wParam, LPARAM lParam)
{
    const char* text = reinterpret_cast<const char*>(lParam);
    RECT bounds;
    GetWindowRect(&bounds);
    int currentHeight = bounds.bottom - bounds.top;
    {
        CClientDC dc(m_hWnd);
        CSelectedObject selectedFont(dc, font);
        ::DrawTextA(dc, text ? text : "", -1, &bounds, DT_CALCRECT);
    }

    ::InflateRect(&bounds, margins.cx, margins.cy);
    int height = margins.cy != 0 ? bounds.bottom - bounds.top : currentHeight;
    SetWindowPos(nullptr, 0, 0, bounds.right - bounds.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Default processing stores the text.
    return DefWindowProc(WM_SETTEXT, wParam, lParam);
}

LRESULT CPopupText::OnTimer(WPARAM, LPARAM)
{
    ShowNow();
    return 0;
}
