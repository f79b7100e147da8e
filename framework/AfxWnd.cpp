#include "AfxWnd.h"

#include "AfxState.h"

#include <cstdio>
#include <map>
#include <tuple>

namespace {

const char WindowObjectProperty[] = "Talvory.CWnd";

// The object whose window CreateEx is creating on this thread, linked to its
// handle at the first message the window receives.
thread_local CWnd* windowBeingCreated = nullptr;

} // namespace

const CRuntimeClass CObject::classInfo = { "CObject", nullptr };
IMPLEMENT_DYNAMIC(CWnd, CObject)

CWnd::~CWnd()
{
    if (m_ownsWindow && m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    DetachFromHandle();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd) return nullptr;
    return static_cast<CWnd*>(::GetPropA(hWnd, WindowObjectProperty));
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    ::SetPropA(hWnd, WindowObjectProperty, this);
}

void CWnd::DetachFromHandle()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) ::RemovePropA(m_hWnd, WindowObjectProperty);
    m_hWnd = nullptr;
}

CString CWnd::GetWindowText() const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return CString();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return CString(std::move(text));
}

void CWnd::CenterWindow(HWND alternateOwner)
{
    HWND reference = alternateOwner ? alternateOwner : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area;
    if (reference && ::IsWindowVisible(reference) && !::IsIconic(reference)) {
        ::GetWindowRect(reference, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(0);
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU idOrMenu)
{
    CREATESTRUCTA cs = {};
    cs.dwExStyle = static_cast<LONG>(exStyle);
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    if (!PreCreateWindow(cs)) return FALSE;

    CWnd* previous = windowBeingCreated;
    windowBeingCreated = this;
    HWND hWnd = ::CreateWindowExA(static_cast<DWORD>(cs.dwExStyle), cs.lpszClass, cs.lpszName,
                                  static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    windowBeingCreated = previous;
    if (!hWnd) return FALSE;
    m_ownsWindow = true;
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ProcessWindowMessage(m_hWnd, message, wParam, lParam, result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* window = FromHandlePermanent(hWnd);
    if (!window && windowBeingCreated) {
        window = windowBeingCreated;
        windowBeingCreated = nullptr;
        window->Attach(hWnd);
    }
    if (!window) return ::DefWindowProcA(hWnd, message, wParam, lParam);

    AfxMessageRecordScope record(hWnd, message, wParam, lParam);
    LRESULT result = window->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        window->DetachFromHandle();
        window->m_ownsWindow = false;
    }
    return result;
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::string> registered;
    auto key = std::make_tuple(classStyle, cursor, background, icon);
    auto found = registered.find(key);
    if (found != registered.end()) return found->second.c_str();

    char name[64];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()),
                  classStyle, static_cast<void*>(cursor), static_cast<void*>(background),
                  static_cast<void*>(icon));
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::FrameworkWindowProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    ::RegisterClassA(&wc);
    return registered.emplace(key, name).first->second.c_str();
}
