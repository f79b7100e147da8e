// Message maps in the style of WTL: each macro expands to one test of a plain
// if-chain inside ProcessWindowMessage. A handled message sets lResult and
// returns TRUE; an unhandled one falls through to the base class's map.
#pragma once

#include <windows.h>

#define BEGIN_MSG_MAP(theClass)                                                         \
public:                                                                                 \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,       \
                              LRESULT& lResult) override                                \
    {                                                                                   \
        (void)hWnd; (void)lResult;

// A command from control id with the given notification code: void handler().
#define ON_NOTIFY_CODE(id, code, handler)                                               \
        if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) { \
            handler();                                                                  \
            lResult = 0;                                                                \
            return TRUE;                                                                \
        }

#define ON_BN_CLICKED(id, handler) ON_NOTIFY_CODE(id, BN_CLICKED, handler)
#define ON_CBN_SELCHANGE(id, handler) ON_NOTIFY_CODE(id, CBN_SELCHANGE, handler)
#define ON_CBN_EDITCHANGE(id, handler) ON_NOTIFY_CODE(id, CBN_EDITCHANGE, handler)
#define ON_CBN_EDITUPDATE(id, handler) ON_NOTIFY_CODE(id, CBN_EDITUPDATE, handler)
#define ON_CBN_SELENDOK(id, handler) ON_NOTIFY_CODE(id, CBN_SELENDOK, handler)

// A command with any notification code (menus, accelerators, IDOK from Enter): void handler().
#define ON_COMMAND(id, handler)                                                         \
        if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                             \
            handler();                                                                  \
            lResult = 0;                                                                \
            return TRUE;                                                                \
        }

// Any message: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(msg, handler)                                                        \
        if (uMsg == (msg)) {                                                            \
            lResult = handler(wParam, lParam);                                          \
            return TRUE;                                                                \
        }

#define CHAIN_MSG_MAP(baseClass)                                                        \
        if (baseClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))       \
            return TRUE;

#define END_MSG_MAP()                                                                   \
        return FALSE;                                                                   \
    }
