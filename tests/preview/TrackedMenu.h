// Test harness for previews against a real tracked menu: a hidden owner window
// standing in for the main window, a menu built like the tray menu, and a
// driver thread that walks the menu (keys posted to the menu window, cursor
// moves) while the main thread is inside TrackPopupMenu, observing the
// preview popup from outside.
#pragma once

#include "preview/SubclassWnd.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A hidden top-level window; its own procedure also moves the pointer on
// request of the driver thread.
class OwnerWindow
{
public:
    OwnerWindow();
    ~OwnerWindow();
    HWND hwnd = nullptr;
};

// One menu notification as the owner window received it.
struct MenuNotification
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD tick;
};

// An older hook on the owner window: it sees each notification after the
// preview manager has handled it, so once a notification is recorded the
// manager's reaction to it is complete.
class NotificationRecorder : public CSubclassWnd
{
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::vector<MenuNotification> Snapshot();
    size_t Count();

private:
    std::mutex m_lock;
    std::vector<MenuNotification> m_log;
};

// The tray-like menu: categories with phrase submenus, a plain category
// without phrases, a separator and the "Toolbox" submenu.
struct TestMenu
{
    TestMenu();
    ~TestMenu();
    HMENU popup = nullptr;
    HMENU greetings = nullptr; // category 0
    HMENU letters = nullptr;   // category 1
    HMENU toolbox = nullptr;
};

// Phrase identities of the test menu and their texts (set in PhraseContents).
namespace TestPhrases {
const int Hello = 1;       // "Hello there"
const int Signature = 2;   // "Kind regards, the whole team of us here today"
const int Blank = 3;       // no text
const int Farewell = 4;    // "Goodbye"
const int Large = 5000;    // past the first 4,096
const int Huge = 123456;   // past 9,999: a mapped command identifier
const int Dear = 10;       // "Dear Sir or Madam"
const int Yours = 11;      // "Yours faithfully"
void Load();
UINT HugeCommand();
} // namespace TestPhrases

// Observations and actions of the driver thread.
class MenuDriver
{
public:
    MenuDriver(std::atomic<bool>& menuOpen, HWND owner) : m_menuOpen(menuOpen), m_owner(owner) {}

    // The menu window opened last (the topmost of the menu class), waiting for one.
    HWND MenuWindow(DWORD timeoutMs = 5000);
    // A key as the menu loop reads it (posted to the owner: a submenu window
    // may close, and its posted messages with it, before the key is read).
    void Key(UINT virtualKey);
    // Presses a key and waits until the owner has received a new WM_MENUSELECT.
    bool KeyAndWaitSelect(UINT virtualKey, NotificationRecorder& recorder, DWORD timeoutMs = 5000);
    void MoveCursor(int x, int y);
    // The screen rectangle of an item of an open menu.
    static RECT ItemRect(HMENU menu, int position);

    static bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);
    static void Sleep(DWORD ms) { ::Sleep(ms); }

    // The preview popup as seen from outside.
    HWND Popup() const;
    bool PopupVisible() const;
    std::string PopupText() const;
    RECT PopupRect() const;

    void Fail(const std::string& what) { failures.push_back(what); }
    void Expect(bool condition, const std::string& what)
    {
        if (!condition) Fail(what);
    }

    std::vector<std::string> failures;

private:
    std::atomic<bool>& m_menuOpen;
    HWND m_owner;
};

// Tracks menu (flags of the tray menu) owned by owner on this thread while
// script runs on a driver thread; closes the menu afterwards if the script
// left it open. Returns the command the tracking returned; failures of the
// script are reported as test failures.
UINT TrackWithDriver(HMENU menu, HWND owner, const std::function<void(MenuDriver&)>& script);
