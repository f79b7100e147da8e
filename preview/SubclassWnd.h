// Window subclassing for objects that are not windows themselves: a hook
// derived from CSubclassWnd sees every message of an existing window before
// the window's own procedure does. Several hooks may sit on one window; they
// form a chain, newest first, and each passes every message on through the
// base WindowProc.
#pragma once

#include "AfxMap.h"
#include "AfxObject.h"

#include <windows.h>

class CSubclassWnd : public CObject
{
    DECLARE_DYNAMIC(CSubclassWnd)

public:
    // Not installed: all three fields null.
    CSubclassWnd();
    // Removes the hook when it is still installed.
    ~CSubclassWnd() override;
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // A window installs the hook on it (the hook must not be installed
    // elsewhere); null removes the hook from its window, and does nothing when
    // it is not installed. Always TRUE.
    BOOL Install(HWND window);

    // Receives each message of the hooked window. Overrides call this to pass
    // the message on: to the next older hook, or to the window's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The window the hook is installed on; null while not installed.
    HWND hookedWindow = nullptr;
    // The window's own procedure, from before its first hook; the same in
    // every hook of the window. Null while not installed.
    WNDPROC savedWindowProc = nullptr;
    // The hook installed on the same window just before this one (not owned);
    // null for the oldest and while not installed.
    CSubclassWnd* nextHook = nullptr;

private:
    void Remove();

    friend LRESULT CALLBACK SubclassWindowProc(HWND, UINT, WPARAM, LPARAM);
};

// The process's map from a hooked window to the newest hook on it (the head of
// its chain). It owns no hook. A window has an entry exactly while it has at
// least one hook, and exactly then its procedure is SubclassWindowProc.
class CHookMap : public CMapPtrToPtr
{
public:
    // The one map. It is made before the first hook is constructed, so it is
    // destroyed at exit only after every hook with static storage.
    static CHookMap& Instance();

    // The newest hook on window, or null.
    static CSubclassWnd* HeadFor(HWND window);
};

// The procedure put in place on hooked windows.
LRESULT CALLBACK SubclassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
