// The floor of the tray menu benchmark: a notification-area icon with a
// hidden window and a popup menu of three fixed items, and nothing else.
// bench/menu_driver.exe opens its menu from outside as it opens Talvory's.
//
// The icon, its identifier and its callback message are Talvory's
// (WM_TRAYNOTIFY 0x80C8, identifier 2005); a left or right button press on the
// icon opens the menu, WM_CLOSE or the menu's "Exit" ends the program.
#include <windows.h>
#include <shellapi.h>

namespace {

const UINT WM_TRAYNOTIFY = 0x80C8;
const UINT TrayIconId = 2005;
const UINT ExitCommand = 3;

NOTIFYICONDATAA icon;

void OpenMenu(HWND window)
{
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuA(menu, MF_STRING, 1, "First item");
    ::AppendMenuA(menu, MF_STRING, 2, "Second item");
    ::AppendMenuA(menu, MF_STRING, ExitCommand, "Exit");
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(window);
    UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                     cursor.x, cursor.y, 0, window, nullptr));
    ::DestroyMenu(menu);
    if (chosen == ExitCommand) ::PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TRAYNOTIFY && (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN)) {
        OpenMenu(window);
        return 0;
    }
    if (message == WM_CLOSE) {
        ::Shell_NotifyIconA(NIM_DELETE, &icon);
        ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BareTrayMenu";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, "BareTrayMenu", "Bare tray menu", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr);

    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = TrayIconId;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = WM_TRAYNOTIFY;
    icon.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    lstrcpyA(icon.szTip, "Bare tray menu");
    ::Shell_NotifyIconA(NIM_ADD, &icon);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
