// talvory-remote.exe: drives a running Talvory.exe from outside, as a user
// would, for scripts/screenshots.sh. Run it under Wine in Talvory's prefix:
//
//   talvory-remote menu X Y              puts the pointer at (X, Y) and presses on the tray icon
//   talvory-remote keys KEY...           presses keys in the open menu (down, up, left, right, return, escape)
//   talvory-remote find X Y              puts the pointer at (X, Y), presses the find window's chord
//                                        (Ctrl+Alt+F) and waits for the window
//   talvory-remote dialog CAPTION        waits for Talvory's dialog of that caption
//   talvory-remote select CAPTION ID N   chooses item N of the dialog's combo box ID, as the user does
//   talvory-remote text CAPTION ID TEXT  types TEXT into the dialog's control ID
//   talvory-remote close CAPTION         presses the dialog's Cancel and waits until it has gone
//   talvory-remote bounds MARGIN [tray]  prints WxH+X+Y around Talvory's visible dialogs, or with
//                                        "tray" around all its visible windows (menus, preview) and
//                                        the Wine System Tray, for cropping a screen picture
//
// The tray window is the hidden dialog of the Talvory process that is owned
// by another dialog of it. Exits 1 with a message when something is not found
// within ten seconds.
#include "delivery/KeyChord.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT TrayNotify = 0x80C8;  // WM_TRAYNOTIFY of the tray icon
const UINT TrayIconId = 2005;
const DWORD TimeoutMs = 10000;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "talvory-remote: %s\n", what.c_str());
    std::exit(1);
}

DWORD TalvoryProcessId()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = ::Process32First(snapshot, &entry); more && !found; more = ::Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, "Talvory.exe") == 0) found = entry.th32ProcessID;
    ::CloseHandle(snapshot);
    if (!found) Fail("Talvory.exe is not running");
    return found;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string CaptionOf(HWND window)
{
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK Collect(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The process's top-level windows, of the class when one is given.
std::vector<HWND> WindowsOf(DWORD process, const char* className = nullptr)
{
    std::vector<HWND> all, found;
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process && (!className || ClassOf(window) == className)) found.push_back(window);
    }
    return found;
}

template <typename Find> HWND WaitFor(Find find, const std::string& what)
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < TimeoutMs; ::Sleep(50))
        if (HWND window = find()) return window;
    Fail("no " + what + " within ten seconds");
}

HWND TrayWindow(DWORD process)
{
    for (HWND window : WindowsOf(process, "#32770")) {
        HWND owner = ::GetWindow(window, GW_OWNER);
        if (owner && !::IsWindowVisible(window) && ClassOf(owner) == "#32770") return window;
    }
    return nullptr;
}

HWND VisibleMenu(DWORD process)
{
    for (HWND window : WindowsOf(process, "#32768"))
        if (::IsWindowVisible(window)) return window;
    return nullptr;
}

HWND Dialog(DWORD process, const std::string& caption)
{
    return WaitFor(
        [&]() -> HWND {
            for (HWND window : WindowsOf(process, "#32770"))
                if (::IsWindowVisible(window) && CaptionOf(window) == caption) return window;
            return nullptr;
        },
        "dialog \"" + caption + "\"");
}

UINT KeyCode(const std::string& name)
{
    const struct { const char* name; UINT key; } keys[] = {
        { "down", VK_DOWN }, { "up", VK_UP }, { "left", VK_LEFT }, { "right", VK_RIGHT },
        { "return", VK_RETURN }, { "escape", VK_ESCAPE },
    };
    for (const auto& k : keys)
        if (name == k.name) return k.key;
    Fail("unknown key " + name);
}

void Bounds(DWORD process, int margin, bool withTray)
{
    std::vector<HWND> windows = WindowsOf(process, withTray ? nullptr : "#32770");
    if (HWND tray = withTray ? ::FindWindowA(nullptr, "Wine System Tray") : nullptr) windows.push_back(tray);
    RECT all = { 0, 0, 0, 0 };
    for (HWND window : windows) {
        RECT rect;
        if (!::IsWindowVisible(window) || !::GetWindowRect(window, &rect) || ::IsRectEmpty(&rect)) continue;
        if (::IsRectEmpty(&all)) all = rect;
        else ::UnionRect(&all, &all, &rect);
    }
    if (::IsRectEmpty(&all)) Fail("Talvory shows no window");
    int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    LONG left = all.left - margin < 0 ? 0 : all.left - margin;
    LONG top = all.top - margin < 0 ? 0 : all.top - margin;
    LONG right = all.right + margin > width ? width : all.right + margin;
    LONG bottom = all.bottom + margin > height ? height : all.bottom + margin;
    std::printf("%ldx%ld+%ld+%ld\n", right - left, bottom - top, left, top);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) Fail("usage: talvory-remote menu|find|keys|dialog|select|text|close|bounds ...");
    std::string command = argv[1];
    DWORD process = TalvoryProcessId();

    if (command == "menu" && argc == 4) {
        HWND tray = WaitFor([&] { return TrayWindow(process); }, "tray window");
        ::SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3]));
        ::PostMessageA(tray, TrayNotify, TrayIconId, WM_LBUTTONDOWN);
        WaitFor([&] { return VisibleMenu(process); }, "tray menu");
    } else if (command == "find" && argc == 4) {
        WaitFor([&] { return TrayWindow(process); }, "tray window");
        ::SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3]));
        PressKeyChord({VK_CONTROL, VK_MENU, 'F'});
        Dialog(process, "Find phrase");
    } else if (command == "keys" && argc >= 3) {
        HWND menu = WaitFor([&] { return VisibleMenu(process); }, "open menu");
        for (int i = 2; i < argc; ++i) {
            UINT key = KeyCode(argv[i]);
            ::PostMessageA(menu, WM_KEYDOWN, key, 0);
            ::PostMessageA(menu, WM_KEYUP, key, 0xC0000000);
            ::Sleep(150);
        }
    } else if (command == "dialog" && argc == 3) {
        Dialog(process, argv[2]);
    } else if (command == "select" && argc == 5) {
        HWND dialog = Dialog(process, argv[2]);
        int id = std::atoi(argv[3]);
        HWND combo = ::GetDlgItem(dialog, id);
        if (!combo) Fail("the dialog has no control " + std::string(argv[3]));
        ::SendMessageA(combo, CB_SETCURSEL, std::atoi(argv[4]), 0);
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    } else if (command == "text" && argc == 5) {
        HWND dialog = Dialog(process, argv[2]);
        if (!::SetDlgItemTextA(dialog, std::atoi(argv[3]), argv[4])) Fail("could not type into the dialog");
    } else if (command == "close" && argc == 3) {
        HWND dialog = Dialog(process, argv[2]);
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        WaitFor([&]() -> HWND { return ::IsWindow(dialog) && ::IsWindowVisible(dialog) ? nullptr : dialog; },
                "closing of \"" + std::string(argv[2]) + "\"");
    } else if (command == "bounds" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "tray"))) {
        Bounds(process, std::atoi(argv[2]), argc == 4);
    } else {
        Fail("unknown command or wrong arguments: " + command);
    }
    return 0;
}
