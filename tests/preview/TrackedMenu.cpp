#include "TrackedMenu.h"

#include "preview/MenuPreviewManager.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

const char OwnerClassName[] = "TalvoryPreviewTestOwner";
// Asks the owner's thread to move the pointer to (wParam, lParam).
const UINT MoveCursorMessage = WM_APP + 50;

LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MoveCursorMessage) {
        ::SetCursorPos(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void AppendItem(HMENU menu, UINT id, const char* text)
{
    ::AppendMenuA(menu, MF_STRING, id, text);
}

void AppendSubmenu(HMENU menu, HMENU submenu, const char* text)
{
    ::AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text);
}

} // namespace

OwnerWindow::OwnerWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &OwnerProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = OwnerClassName;
    ::RegisterClassA(&wc);
    hwnd = ::CreateWindowExA(0, OwnerClassName, "Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

OwnerWindow::~OwnerWindow()
{
    if (hwnd && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

LRESULT NotificationRecorder::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MENUSELECT || message == WM_ENTERIDLE) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_log.push_back({ message, wParam, lParam, ::GetTickCount() });
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}

std::vector<MenuNotification> NotificationRecorder::Snapshot()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_log;
}

size_t NotificationRecorder::Count()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_log.size();
}

namespace TestPhrases {

namespace {
UINT hugeCommand = 0;
}

void Load()
{
    PhraseContents.Set(Hello, "Hello there");
    PhraseContents.Set(Signature, "Kind regards, the whole team of us here today");
    PhraseContents.Set(Farewell, "Goodbye");
    PhraseContents.Set(Large, "Large key text");
    PhraseContents.Set(Huge, "Huge key text");
    PhraseContents.Set(Dear, "Dear Sir or Madam");
    PhraseContents.Set(Yours, "Yours faithfully");
}

UINT HugeCommand()
{
    if (!hugeCommand) {
        ResetPhraseCommands();
        hugeCommand = CommandForPhrase(Huge);
    }
    return hugeCommand;
}

} // namespace TestPhrases

TestMenu::TestMenu()
{
    using namespace TestPhrases;
    greetings = ::CreatePopupMenu();
    AppendItem(greetings, FirstPhraseCommand + Hello, "hello");
    AppendItem(greetings, FirstPhraseCommand + Signature, "sig");
    AppendItem(greetings, FirstPhraseCommand + Blank, "blank");
    ::AppendMenuA(greetings, MF_SEPARATOR, 0, nullptr);
    AppendItem(greetings, FirstPhraseCommand + Farewell, "bye");
    AppendItem(greetings, FirstPhraseCommand + Large, "large");
    AppendItem(greetings, HugeCommand(), "huge");

    letters = ::CreatePopupMenu();
    AppendItem(letters, FirstPhraseCommand + Dear, "dear");
    AppendItem(letters, FirstPhraseCommand + Yours, "yours");

    toolbox = ::CreatePopupMenu();
    AppendItem(toolbox, 50019, "Add Category");
    AppendItem(toolbox, 50020, "Delete Category");
    AppendItem(toolbox, 50003, "Add phrase");
    AppendItem(toolbox, 50001, "Edit phrase");
    AppendItem(toolbox, 50005, "About us");
    AppendItem(toolbox, 50004, "Exit");

    popup = ::CreatePopupMenu();
    AppendSubmenu(popup, greetings, "Greetings");
    AppendSubmenu(popup, letters, "Letters");
    AppendItem(popup, 2, "Notes"); // a category without phrases: its position
    ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    AppendSubmenu(popup, toolbox, "Toolbox");
}

TestMenu::~TestMenu()
{
    ::DestroyMenu(popup); // with its submenus
}

HWND MenuDriver::MenuWindow(DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] {
        found = CMenuPreviewManager::FindMenuWindow();
        return found != nullptr;
    }, timeoutMs);
    return found;
}

void MenuDriver::Key(UINT virtualKey)
{
    if (!m_menuOpen) {
        Fail("the menu closed before key " + std::to_string(virtualKey));
        return;
    }
    ::PostMessageA(m_owner, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageA(m_owner, WM_KEYUP, virtualKey, 0xC0000001);
}

bool MenuDriver::KeyAndWaitSelect(UINT virtualKey, NotificationRecorder& recorder, DWORD timeoutMs)
{
    auto selects = [&] {
        size_t n = 0;
        for (const MenuNotification& note : recorder.Snapshot())
            if (note.message == WM_MENUSELECT) ++n;
        return n;
    };
    size_t before = selects();
    Key(virtualKey);
    bool selected = WaitFor([&] { return selects() > before; }, timeoutMs);
    if (!selected) Fail("no WM_MENUSELECT after key " + std::to_string(virtualKey));
    return selected;
}

void MenuDriver::MoveCursor(int x, int y)
{
    // Moved by the thread that tracks the menu: moved from here, this
    // platform puts the pointer back at its old place.
    DWORD_PTR result;
    ::SendMessageTimeoutA(m_owner, MoveCursorMessage, static_cast<WPARAM>(x), y, SMTO_NORMAL, 3000, &result);
}

RECT MenuDriver::ItemRect(HMENU menu, int position)
{
    // Without a window the rectangle is taken from the menu's own window.
    RECT rect = {};
    ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &rect);
    return rect;
}

bool MenuDriver::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(10);
    }
}

HWND MenuDriver::Popup() const
{
    return MenuPreviewManager.popup.m_hWnd;
}

bool MenuDriver::PopupVisible() const
{
    HWND popup = Popup();
    return popup && ::IsWindowVisible(popup);
}

std::string MenuDriver::PopupText() const
{
    HWND popup = Popup();
    if (!popup) return std::string();
    // With a timeout: the main thread answers only while it pumps messages.
    char text[2048] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(popup, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000,
                          &copied);
    return text;
}

RECT MenuDriver::PopupRect() const
{
    RECT rect = {};
    if (HWND popup = Popup()) ::GetWindowRect(popup, &rect);
    return rect;
}

UINT TrackWithDriver(HMENU menu, HWND owner, const std::function<void(MenuDriver&)>& script)
{
    std::atomic<bool> menuOpen{ true };
    MenuDriver driver(menuOpen, owner);

    // The pointer stays away from where the menu opens, so that only the
    // script's moves select items with the mouse.
    ::SetCursorPos(1200, 1000);
    std::thread worker([&] {
        if (!driver.MenuWindow()) {
            driver.Fail("the menu window did not appear");
        } else {
            script(driver);
        }
        // Let the script's last keys act, then close whatever it left open,
        // one level per Escape.
        MenuDriver::WaitFor([&] { return !menuOpen; }, 1000);
        for (int i = 0; i < 20 && menuOpen; ++i) {
            ::PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 1);
            ::Sleep(200);
        }
    });

    ::SetForegroundWindow(owner);
    UINT command = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                      100, 100, 0, owner, nullptr));
    menuOpen = false;
    worker.join();
    for (const std::string& failure : driver.failures) ADD_FAILURE() << failure;
    return command;
}
