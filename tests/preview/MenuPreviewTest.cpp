// The preview against a real tracked menu, built like the tray menu and owned
// by a hidden window the manager hooks; a UiDriver script walks it with keys
// and pointer moves and watches the popup. This platform reports no
// MF_MOUSESELECT: where a test needs it, the script sends what Windows sends.
#include "support/UiDriver.h"

#include "preview/MenuPreviewManager.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {

const int Hello = 11, Signature = 12, Blank = 13, Farewell = 14, Large = 5000, Huge = 123456;
const UINT HelloCommand = FirstPhraseCommand + Hello, SignatureCommand = FirstPhraseCommand + Signature,
           BlankCommand = FirstPhraseCommand + Blank, FarewellCommand = FirstPhraseCommand + Farewell,
           LargeCommand = FirstPhraseCommand + Large;
const char SignaturePreview[] = "Kind regards, the whole team of us ...";
// Rows of the Greetings submenu.
const int SignatureRow = 1, BlankRow = 2, SeparatorRow = 3, FarewellRow = 4, LargeRow = 5;
// Long enough that "at once" and "after the wait" cannot be confused.
const UINT LongDelay = 10000;
// Asks the owner's thread to move the pointer: moved from another thread,
// this platform puts it back.
const UINT MoveCursorMessage = WM_APP + 50;

LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MoveCursorMessage) ::SetCursorPos(static_cast<int>(wParam), static_cast<int>(lParam));
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// An older hook on the owner: it sees each WM_MENUSELECT after the manager
// has handled it, so a recorded notification has had its effect.
struct SelectRecorder : CSubclassWnd
{
    struct Select
    {
        UINT count, id, flags;
        DWORD tick;
    };
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_MENUSELECT) {
            std::lock_guard<std::mutex> guard(lock);
            last = { last.count + 1, LOWORD(wParam), HIWORD(wParam), ::GetTickCount() };
        }
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
    Select Last()
    {
        std::lock_guard<std::mutex> guard(lock);
        return last;
    }
    std::mutex lock;
    Select last = {};
};

class MenuPreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PhraseContents.Set(Hello, "Hello there");
        PhraseContents.Set(Signature, "Kind regards, the whole team of us here today");
        PhraseContents.Set(Farewell, "Goodbye");
        PhraseContents.Set(Large, "Large key text");
        PhraseContents.Set(Huge, "Huge key text");
        // Texts that a wrong mapping of category and Toolbox identifiers would find.
        PhraseContents.Set(1, "category position taken for a phrase");
        PhraseContents.Set(50019 - FirstPhraseCommand, "Toolbox identifier taken for a phrase");
        ResetPhraseCommands();
        hugeCommand = CommandForPhrase(Huge);

        WNDCLASSA wc = {};
        wc.lpfnWndProc = &OwnerProcedure;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TalvoryPreviewTestOwner";
        ::RegisterClassA(&wc);
        owner = ::CreateWindowExA(0, wc.lpszClassName, "Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ASSERT_TRUE(owner);

        greetings = ::CreatePopupMenu();
        for (UINT id : { HelloCommand, SignatureCommand, BlankCommand, 0u, FarewellCommand, LargeCommand, hugeCommand })
            ::AppendMenuA(greetings, id ? MF_STRING : MF_SEPARATOR, id, id ? "phrase" : nullptr);
        toolbox = ::CreatePopupMenu();
        ::AppendMenuA(toolbox, MF_STRING, 50019, "Add Category");
        menu = ::CreatePopupMenu();
        ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(greetings), "Greetings");
        ::AppendMenuA(menu, MF_STRING, 1, "Notes"); // a category without phrases: its position
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(toolbox), "Toolbox");

        recorder.Install(owner);
        MenuPreviewManager.Install(owner);
    }

    void TearDown() override
    {
        ::DestroyWindow(owner); // removes both hooks
        ::DestroyMenu(menu);
    }

    // Tracks the menu on this thread, as the tray does, while script runs on
    // a driver thread; closes what the script left open. Returns the command.
    UINT Track(const std::function<void(UiDriver&)>& script)
    {
        std::atomic<bool> open{ true };
        UiDriver user(5000);
        ::SetCursorPos(1200, 1000); // away from the menu: only the script selects with the mouse
        user.Start([&](UiDriver& ui) {
            struct Closer // lets the last keys act, then escapes what is still open
            {
                std::atomic<bool>& open;
                HWND owner;
                ~Closer()
                {
                    for (int i = 0; i < 25 && open; ++i, ::Sleep(200))
                        if (i >= 5) ::PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 1);
                }
            } closer{ open, owner };
            ui.WaitUntil([] { return CMenuPreviewManager::FindMenuWindow() != nullptr; }, "the menu");
            script(ui);
        });
        ::SetForegroundWindow(owner);
        UINT command = static_cast<UINT>(
            ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, 100, 100, 0, owner, nullptr));
        open = false;
        user.Finish();
        return command;
    }

    // A key as the menu loop reads it (posted to the owner: a submenu window
    // may close, and its posted messages with it, before the key is read).
    void Key(UINT key)
    {
        ::PostMessageA(owner, WM_KEYDOWN, key, 1);
        ::PostMessageA(owner, WM_KEYUP, key, 0xC0000001);
    }
    // With a timeout: the tracking thread answers only while the menu is open.
    void SendToOwner(UINT message, WPARAM wParam, LPARAM lParam)
    {
        DWORD_PTR result;
        ::SendMessageTimeoutA(owner, message, wParam, lParam, SMTO_NORMAL, 3000, &result);
    }
    void MoveCursor(int x, int y) { SendToOwner(MoveCursorMessage, x, y); }
    // The notifications Windows sends.
    void Notify(UINT itemId, UINT flags, HMENU submenu)
    {
        SendToOwner(WM_MENUSELECT, MAKEWPARAM(itemId, flags), reinterpret_cast<LPARAM>(submenu));
    }
    void NotifyIdle(HWND menuWindow) { SendToOwner(WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(menuWindow)); }
    RECT ItemRect(int row)
    {
        RECT rect = {};
        ::GetMenuItemRect(nullptr, greetings, row, &rect);
        return rect;
    }
    // Waits until the owner is told of a newly highlighted item; returns when
    // the manager had handled it.
    DWORD Highlighted(UiDriver& ui, UINT before, UINT expectedId)
    {
        ui.WaitUntil([&] { return recorder.Last().count > before; }, "item " + std::to_string(expectedId));
        SelectRecorder::Select last = recorder.Last();
        EXPECT_EQ(last.id, expectedId);
        return last.tick;
    }
    DWORD Select(UiDriver& ui, UINT key, UINT expectedId)
    {
        UINT before = recorder.Last().count;
        Key(key);
        return Highlighted(ui, before, expectedId);
    }
    // Moves the pointer onto a row of the Greetings submenu.
    DWORD Point(UiDriver& ui, int row, UINT expectedId)
    {
        UINT before = recorder.Last().count;
        RECT item = ItemRect(row);
        MoveCursor(item.left + 10, (item.top + item.bottom) / 2);
        return Highlighted(ui, before, expectedId);
    }
    DWORD OpenGreetings(UiDriver& ui)
    {
        Select(ui, VK_DOWN, 0); // a category item carries its position
        return Select(ui, VK_RIGHT, HelloCommand);
    }

    static void SleepUntil(DWORD tick)
    {
        int left = static_cast<int>(tick - ::GetTickCount());
        if (left > 0) ::Sleep(left);
    }
    HWND Popup() { return MenuPreviewManager.popup.m_hWnd; }
    bool Visible() { return Popup() && ::IsWindowVisible(Popup()); }
    void WaitVisible(UiDriver& ui) { ui.WaitUntil([&] { return Visible(); }, "the preview"); }
    std::string PopupText()
    {
        char text[256] = {};
        DWORD_PTR copied;
        ::SendMessageTimeoutA(Popup(), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000,
                              &copied);
        return text;
    }

    // The popup stands at the item's row, its left edge 50 pixels inside the
    // menu's right edge, as high as the row and as wide as its text in the
    // font it draws with plus 4 pixels on each side.
    void ExpectBeside(int row, const char* text)
    {
        RECT menuRect = {}, item = ItemRect(row), popup = {}, measured = {};
        ::GetWindowRect(CMenuPreviewManager::FindMenuWindow(), &menuRect);
        ::GetWindowRect(Popup(), &popup);
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ previous = ::SelectObject(dc, MenuPreviewManager.popup.font.GetSafeHandle());
        ::DrawTextA(dc, text, -1, &measured, DT_CALCRECT);
        ::SelectObject(dc, previous);
        ::ReleaseDC(nullptr, dc);
        EXPECT_EQ(popup.left, menuRect.right - 50) << text;
        EXPECT_EQ(popup.top, item.top) << text;
        EXPECT_EQ(popup.bottom - popup.top, item.bottom - item.top) << text;
        EXPECT_EQ(popup.right - popup.left, measured.right + 8) << text;
    }

    HWND owner = nullptr;
    HMENU menu = nullptr, greetings = nullptr, toolbox = nullptr;
    UINT hugeCommand = 0;
    SelectRecorder recorder;
};

TEST_F(MenuPreviewTest, TheFirstPreviewWaitsASecondAndTheNextFollowAtOnce)
{
    Track([&](UiDriver& ui) {
        DWORD hello = OpenGreetings(ui);
        // Moving on before the second is up starts the wait over.
        SleepUntil(hello + 300);
        DWORD signature = Select(ui, VK_DOWN, SignatureCommand);
        SleepUntil(signature + 700);
        EXPECT_FALSE(Visible()) << "shown before the phrase had been highlighted for a second";
        WaitVisible(ui);
        EXPECT_GE(::GetTickCount() - signature, 900u);
        EXPECT_EQ(PopupText(), SignaturePreview);
        EXPECT_NE(::GetForegroundWindow(), Popup()) << "the preview was activated";
        ExpectBeside(SignatureRow, SignaturePreview);

        MenuPreviewManager.showDelay = LongDelay;
        Point(ui, SeparatorRow, 0);
        EXPECT_TRUE(recorder.Last().flags & MF_SEPARATOR);
        EXPECT_FALSE(Visible()) << "the preview stayed beside the separator";
        Point(ui, FarewellRow, FarewellCommand);
        EXPECT_TRUE(Visible()) << "not previewed at once after the separator";
        EXPECT_EQ(PopupText(), "Goodbye...");
        Select(ui, VK_UP, BlankCommand);
        EXPECT_FALSE(Visible()) << "the previous text stayed beside a phrase without text";
        Select(ui, VK_DOWN, FarewellCommand);
        EXPECT_TRUE(Visible()) << "not previewed at once after a phrase without text";
        // Keys past 4,095 and 9,999 preview their own texts.
        Select(ui, VK_DOWN, LargeCommand);
        EXPECT_TRUE(Visible());
        EXPECT_EQ(PopupText(), "Large key text...");
        ExpectBeside(LargeRow, "Large key text...");
        Select(ui, VK_DOWN, hugeCommand);
        EXPECT_TRUE(Visible());
        EXPECT_EQ(PopupText(), "Huge key text...");

        // A category and a Toolbox command preview nothing, even at once.
        Notify(1, MF_HILITE, menu);
        EXPECT_FALSE(Visible()) << "a category item previewed";
        Notify(50019, MF_HILITE, toolbox);
        EXPECT_FALSE(Visible()) << "a Toolbox item previewed";
    });
}

TEST_F(MenuPreviewTest, SubmenuItemsAndClosingHideThePreviewAndBringTheWaitBack)
{
    UINT chosen = Track([&](UiDriver& ui) {
        OpenGreetings(ui);
        WaitVisible(ui);
        Select(ui, VK_DOWN, SignatureCommand);
        EXPECT_TRUE(Visible() && MenuPreviewManager.showImmediately) << "not previewed at once";
        // Its category highlighted again, as Windows reports it.
        Notify(0, MF_HILITE | MF_POPUP, menu);
        EXPECT_FALSE(Visible()) << "a submenu item left the preview showing";
        DWORD hello = Select(ui, VK_UP, HelloCommand);
        SleepUntil(hello + 500);
        EXPECT_FALSE(Visible()) << "previewed at once after a submenu item";
        WaitVisible(ui);

        // This platform closes the submenu without reporting the category again.
        Key(VK_LEFT);
        ui.WaitUntil([&] { return !Visible(); }, "the preview to go with its submenu");
        hello = Select(ui, VK_RIGHT, HelloCommand);
        SleepUntil(hello + 500);
        EXPECT_FALSE(Visible()) << "previewed at once after the submenu closed";
        WaitVisible(ui);

        Notify(HelloCommand, MF_HILITE | MF_MOUSESELECT, greetings);
        EXPECT_TRUE(MenuPreviewManager.mouseSelected && MenuPreviewManager.showImmediately);
        Key(VK_RETURN);
    });
    EXPECT_EQ(chosen, HelloCommand);
    EXPECT_FALSE(::IsWindowVisible(Popup()));
    EXPECT_FALSE(MenuPreviewManager.mouseSelected);
    EXPECT_FALSE(MenuPreviewManager.showImmediately);
}

TEST_F(MenuPreviewTest, APhraseWithoutTextStopsAPendingPreviewAndASeparatorKeepsTheWait)
{
    MenuPreviewManager.showDelay = 2000;
    Track([&](UiDriver& ui) {
        DWORD hello = OpenGreetings(ui);
        // A phrase without text stops a pending preview.
        DWORD blank = Point(ui, BlankRow, BlankCommand);
        ASSERT_LT(blank - hello, 1500u) << "the pointer took too long to judge";
        SleepUntil(hello + 2500);
        EXPECT_FALSE(Visible()) << "a pending preview showed beside a phrase without text";
        // Past the separator with nothing showing, the wait stays.
        Point(ui, SeparatorRow, 0);
        DWORD farewell = Point(ui, FarewellRow, FarewellCommand);
        SleepUntil(farewell + 1000);
        EXPECT_FALSE(Visible()) << "previewed at once after the separator";
        WaitVisible(ui);
        EXPECT_EQ(PopupText(), "Goodbye...");
    });
}

TEST_F(MenuPreviewTest, OnlyAMouseSelectedPreviewHidesWhenThePointerLeavesTheMenu)
{
    Track([&](UiDriver& ui) {
        OpenGreetings(ui);
        WaitVisible(ui);
        HWND menuWindow = CMenuPreviewManager::FindMenuWindow();
        RECT menuRect, popupRect;
        ::GetWindowRect(menuWindow, &menuRect);
        ::GetWindowRect(Popup(), &popupRect);
        int row = (popupRect.top + popupRect.bottom) / 2;

        // Keyboard-selected: the pointer on the popup, where it covers the menu, changes nothing.
        MoveCursor(menuRect.right - 10, row);
        ::Sleep(500);
        NotifyIdle(menuWindow);
        EXPECT_TRUE(Visible()) << "a keyboard-selected preview was hidden";
        EXPECT_EQ(recorder.Last().id, HelloCommand) << "the pointer changed the highlighted item";

        // Mouse-selected: kept while the pointer is on the menu, hidden once it is on the popup.
        MenuPreviewManager.showDelay = LongDelay;
        MoveCursor(menuRect.left + 10, row);
        ::Sleep(300);
        Notify(HelloCommand, MF_HILITE | MF_MOUSESELECT, greetings);
        NotifyIdle(menuWindow);
        EXPECT_TRUE(Visible()) << "hidden with the pointer on the menu";
        MoveCursor(menuRect.right - 10, row);
        ::Sleep(300);
        NotifyIdle(menuWindow);
        EXPECT_FALSE(Visible()) << "a mouse-selected preview stayed with the pointer off the menu";

        // The next item brings it back at once.
        Select(ui, VK_DOWN, SignatureCommand);
        EXPECT_TRUE(Visible()) << "not previewed at once after the idle check";
    });
}

} // namespace
