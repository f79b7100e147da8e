// The skeleton the bare and the plain tray programs share: a hidden window
// with a notification-area icon (Talvory's identifier and callback message);
// a left or right press on the icon calls the program's OpenMenu, WM_CLOSE
// removes the icon and ends the program.
#pragma once

#include "bench_clock.h"

#include <windows.h>
#include <shellapi.h>

namespace bench {

using OpenMenuFunction = void (*)(HWND window);

struct TrayProgram
{
    static NOTIFYICONDATAA& Icon()
    {
        static NOTIFYICONDATAA icon;
        return icon;
    }
    static OpenMenuFunction& OpenMenu()
    {
        static OpenMenuFunction openMenu;
        return openMenu;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_TRAYNOTIFY && (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN)) {
            OpenMenu()(window);
            return 0;
        }
        if (message == WM_CLOSE) {
            ::Shell_NotifyIconA(NIM_DELETE, &Icon());
            ::DestroyWindow(window);
            return 0;
        }
        if (message == WM_DESTROY) {
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    // Creates the window and the icon, then runs the message loop to the end.
    static int Run(HINSTANCE instance, const char* name, OpenMenuFunction openMenu)
    {
        OpenMenu() = openMenu;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = name;
        ::RegisterClassA(&windowClass);
        HWND window =
            ::CreateWindowExA(0, name, name, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);

        NOTIFYICONDATAA& icon = Icon();
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = window;
        icon.uID = TrayIconId;
        icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        icon.uCallbackMessage = WM_TRAYNOTIFY;
        icon.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
        lstrcpynA(icon.szTip, name, sizeof icon.szTip);
        ::Shell_NotifyIconA(NIM_ADD, &icon);

        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        return 0;
    }

    // Tracks menu at the pointer as a tray menu is tracked, destroys it and
    // returns the chosen command (0 for none).
    static UINT Track(HWND window, HMENU menu)
    {
        POINT cursor;
        ::GetCursorPos(&cursor);
        ::SetForegroundWindow(window);
        UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                         cursor.x, cursor.y, 0, window, nullptr));
        ::DestroyMenu(menu);
        return chosen;
    }
};

} // namespace bench
