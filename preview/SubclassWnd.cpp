#include "preview/SubclassWnd.h"

#include "AfxApp.h"

IMPLEMENT_DYNAMIC(CSubclassWnd, CObject)

CHookMap& CHookMap::Instance()
{
    static CHookMap map;
    return map;
}

CSubclassWnd* CHookMap::HeadFor(HWND window)
{
    void* head = nullptr;
    if (!Instance().Lookup(window, head)) return nullptr;
    return static_cast<CSubclassWnd*>(head);
}

CSubclassWnd::CSubclassWnd()
{
    // Make the map now: objects are destroyed in the reverse order of their
    // construction, so the map outlives this hook even when both are static.
    CHookMap::Instance();
}

CSubclassWnd::~CSubclassWnd()
{
    if (hookedWindow) Remove();
}

BOOL CSubclassWnd::Install(HWND window)
{
    if (!window) {
        if (hookedWindow) Remove();
        return TRUE;
    }

    CHookMap& map = CHookMap::Instance();
    nextHook = CHookMap::HeadFor(window);
    map.SetAt(window, this);
    if (!nextHook) {
        savedWindowProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWindowProc)));
    } else {
        savedWindowProc = nextHook->savedWindowProc;
    }
    hookedWindow = window;
    return TRUE;
}

void CSubclassWnd::Remove()
{
    HWND window = hookedWindow;
    CSubclassWnd* head = CHookMap::HeadFor(window);
    if (head == this) {
        if (nextHook) {
            CHookMap::Instance().SetAt(window, nextHook);
        } else {
            CHookMap::Instance().RemoveKey(window);
            // The window's own procedure goes back, whatever it has now.
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedWindowProc));
        }
    } else {
        for (CSubclassWnd* hook = head; hook; hook = hook->nextHook) {
            if (hook->nextHook == this) {
                hook->nextHook = nextHook;
                break;
            }
        }
    }
    nextHook = nullptr;
    savedWindowProc = nullptr;
    hookedWindow = nullptr;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (nextHook) return nextHook->WindowProc(message, wParam, lParam);
    return ::CallWindowProcA(savedWindowProc, hookedWindow, message, wParam, lParam);
}

LRESULT CALLBACK SubclassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Default processing run from inside a hook reads the thread's message
    // record, so it must describe this message; nested dispatches restore it.
    AfxMessageRecordScope record(hwnd, message, wParam, lParam);

    CSubclassWnd* head = CHookMap::HeadFor(hwnd);
    if (!head) {
        // Only reachable when other code kept this procedure after the hooks
        // put the window's own one back; nothing is left to pass the message to.
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    if (message == WM_NCDESTROY) {
        // The window is going away: unhook everything, newest first, and give
        // the last message to the window's own procedure only.
        WNDPROC ownProc = head->savedWindowProc;
        while (CSubclassWnd* hook = CHookMap::HeadFor(hwnd)) hook->Remove();
        return ::CallWindowProcA(ownProc, hwnd, message, wParam, lParam);
    }

    return head->WindowProc(message, wParam, lParam);
}
