// The floor of the tray menu benchmark: a notification-area icon with a
// hidden window and a popup menu of three fixed items, and nothing else.
// bench/menu_driver.exe opens its menu from outside as it opens Talvory's.
//
// The icon, its identifier and its callback message are Talvory's
// (WM_TRAYNOTIFY 0x80C8, identifier 2005); a left or right button press on the
// icon opens the menu, WM_CLOSE or the menu's "Exit" ends the program.
#include "bench_tray_program.h"

namespace {

const UINT ExitCommand = 3;

void OpenMenu(HWND window)
{
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuA(menu, MF_STRING, 1, "First item");
    ::AppendMenuA(menu, MF_STRING, 2, "Second item");
    ::AppendMenuA(menu, MF_STRING, ExitCommand, "Exit");
    if (bench::TrayProgram::Track(window, menu) == ExitCommand) ::PostMessageA(window, WM_CLOSE, 0, 0);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return bench::TrayProgram::Run(instance, "Bare tray menu", OpenMenu);
}
