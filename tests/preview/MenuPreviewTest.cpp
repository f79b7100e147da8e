// The preview against real tracked menus: the main thread tracks a tray-like
// menu owned by a hooked window; a driver thread walks it and watches the
// popup. Windows reports mouse-highlighted items with MF_MOUSESELECT, this
// platform does not: where a test needs that report, the driver sends the
// notification Windows would send.
#include "TrackedMenu.h"

#include "preview/MenuPreviewManager.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace TestPhrases;

const UINT HelloCommand = FirstPhraseCommand + Hello;
const UINT SignatureCommand = FirstPhraseCommand + Signature;
const UINT BlankCommand = FirstPhraseCommand + Blank;
const UINT FarewellCommand = FirstPhraseCommand + Farewell;
const UINT LargeCommand = FirstPhraseCommand + Large;
const UINT DearCommand = FirstPhraseCommand + Dear;

const char HelloPreview[] = "Hello there...";
const char SignaturePreview[] = "Kind regards, the whole team of us ...";

// Positions in the Greetings submenu.
const int SeparatorPosition = 3;
const int FarewellPosition = 4;

// Long enough that "at once" and "after the wait" cannot be confused.
const UINT LongDelay = 10000;

class MenuPreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestPhrases::Load();
        ASSERT_TRUE(::IsWindow(owner.hwnd));
        recorder.Install(owner.hwnd);
        MenuPreviewManager.Install(owner.hwnd);
    }

    void TearDown() override
    {
        MenuPreviewManager.Install(nullptr);
        recorder.Install(nullptr);
        MenuPreviewManager.showDelay = 1000;
    }

    UINT Track(const std::function<void(MenuDriver&)>& script)
    {
        return TrackWithDriver(menu.popup, owner.hwnd, script);
    }

    MenuNotification LastSelect()
    {
        MenuNotification last = {};
        for (const MenuNotification& note : recorder.Snapshot())
            if (note.message == WM_MENUSELECT) last = note;
        return last;
    }

    // Presses key, expects expectedId to be highlighted, and returns the tick
    // at which the manager had handled that notification (0 on failure).
    DWORD Select(MenuDriver& d, UINT key, UINT expectedId)
    {
        if (!d.KeyAndWaitSelect(key, recorder)) return 0;
        MenuNotification last = LastSelect();
        d.Expect(LOWORD(last.wParam) == expectedId,
                 "highlighted " + std::to_string(LOWORD(last.wParam)) + ", expected " + std::to_string(expectedId));
        return last.tick;
    }

    // Moves the pointer onto the item at position of submenu, and waits until
    // the owner has been told about a newly highlighted item.
    void PointAt(MenuDriver& d, HMENU submenu, int position)
    {
        RECT item = MenuDriver::ItemRect(submenu, position);
        size_t before = recorder.Count();
        d.MoveCursor(item.left + 10, (item.top + item.bottom) / 2);
        d.Expect(MenuDriver::WaitFor([&] { return LastSelectIndex() >= before; }, 3000),
                 "no WM_MENUSELECT after pointing at item " + std::to_string(position));
    }

    size_t LastSelectIndex()
    {
        std::vector<MenuNotification> log = recorder.Snapshot();
        for (size_t i = log.size(); i-- > 0;)
            if (log[i].message == WM_MENUSELECT) return i;
        return 0;
    }

    // Opens Greetings and highlights its first phrase; returns that tick.
    DWORD OpenGreetings(MenuDriver& d)
    {
        Select(d, VK_DOWN, 0); // the category: its position
        return Select(d, VK_RIGHT, HelloCommand);
    }

    static void SleepUntil(DWORD tick)
    {
        DWORD now = ::GetTickCount();
        if (static_cast<int>(tick - now) > 0) ::Sleep(tick - now);
    }

    bool WaitVisible(MenuDriver& d, DWORD timeoutMs = 5000)
    {
        return MenuDriver::WaitFor([&] { return d.PopupVisible(); }, timeoutMs);
    }

    bool WaitHidden(MenuDriver& d, DWORD timeoutMs = 3000)
    {
        return MenuDriver::WaitFor([&] { return !d.PopupVisible(); }, timeoutMs);
    }

    // Sends the notification Windows sends for a highlighted item.
    // (With a timeout, as the main thread answers only while the menu is open.)
    void Notify(UINT itemId, UINT flags, HMENU submenu)
    {
        DWORD_PTR result;
        ::SendMessageTimeoutA(owner.hwnd, WM_MENUSELECT, MAKEWPARAM(itemId, flags),
                              reinterpret_cast<LPARAM>(submenu), SMTO_NORMAL, 3000, &result);
    }

    void NotifyIdle(HWND menuWindow)
    {
        DWORD_PTR result;
        ::SendMessageTimeoutA(owner.hwnd, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(menuWindow),
                              SMTO_NORMAL, 3000, &result);
    }

    OwnerWindow owner;
    NotificationRecorder recorder;
    TestMenu menu;
};

TEST_F(MenuPreviewTest, TheFirstPreviewWaitsOneSecondAndMovingOnStartsTheWaitOver)
{
    Track([&](MenuDriver& d) {
        DWORD helloTick = OpenGreetings(d);
        SleepUntil(helloTick + 500);
        d.Expect(!d.PopupVisible(), "a preview showed before one second");

        SleepUntil(helloTick + 600);
        DWORD signatureTick = Select(d, VK_DOWN, SignatureCommand);
        // The first phrase's second ends here; the second phrase waits its own.
        SleepUntil(signatureTick + 600);
        d.Expect(!d.PopupVisible(), "the wait did not start over for the next phrase");

        d.Expect(WaitVisible(d), "the preview never showed");
        DWORD shownAfter = ::GetTickCount() - signatureTick;
        d.Expect(shownAfter >= 900, "shown after " + std::to_string(shownAfter) + " ms");
        d.Expect(d.PopupText() == SignaturePreview, "preview text '" + d.PopupText() + "'");
    });
}

TEST_F(MenuPreviewTest, WhileAPreviewShowsTheNextPhrasePreviewsAtOnce)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        if (!WaitVisible(d)) return d.Fail("the first preview never showed");
        d.Expect(d.PopupText() == HelloPreview, "preview text '" + d.PopupText() + "'");
        MenuPreviewManager.showDelay = LongDelay;

        Select(d, VK_DOWN, SignatureCommand);
        d.Expect(d.PopupVisible() && d.PopupText() == SignaturePreview,
                 "next phrase not previewed at once: '" + d.PopupText() + "'");

        // A phrase without text: no preview, and no earlier text beside it.
        Select(d, VK_DOWN, BlankCommand);
        d.Expect(!d.PopupVisible(), "the previous text stayed beside a phrase without text");

        // The keys pass over the separator; the preview keeps coming at once.
        DWORD farewellTick = Select(d, VK_DOWN, FarewellCommand);
        d.Expect(WaitVisible(d, 3000), "not previewed at once after a phrase without text");
        d.Expect(::GetTickCount() - farewellTick < LongDelay / 2, "waited for the delay");
        d.Expect(d.PopupText() == "Goodbye...", "preview text '" + d.PopupText() + "'");
    });
}

TEST_F(MenuPreviewTest, APhraseWithoutTextStopsAPendingPreview)
{
    Track([&](MenuDriver& d) {
        DWORD helloTick = OpenGreetings(d);
        Select(d, VK_DOWN, SignatureCommand);
        Select(d, VK_DOWN, BlankCommand);
        d.Expect(::GetTickCount() - helloTick < 900, "the keys took too long for this test");
        bool appeared = MenuDriver::WaitFor([&] { return d.PopupVisible(); }, 2500);
        d.Expect(!appeared, "a pending preview showed beside a phrase without text: '" + d.PopupText() + "'");
    });
}

TEST_F(MenuPreviewTest, ASubmenuItemHidesThePreviewAndTheNextOneWaitsAgain)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        if (!WaitVisible(d)) return d.Fail("the first preview never showed");
        Select(d, VK_DOWN, SignatureCommand);
        d.Expect(MenuPreviewManager.showImmediately, "showImmediately not set while showing");

        // The category highlighted again, as Windows reports it.
        Notify(0, MF_HILITE | MF_POPUP, menu.popup);
        d.Expect(!d.PopupVisible(), "a submenu item did not hide the preview");
        d.Expect(!MenuPreviewManager.showImmediately, "a submenu item left showImmediately set");

        d.Key(VK_LEFT);
        Select(d, VK_DOWN, 1); // Letters
        d.Expect(!d.PopupVisible(), "shown beside the Letters category");
        DWORD dearTick = Select(d, VK_RIGHT, DearCommand);
        SleepUntil(dearTick + 500);
        d.Expect(!d.PopupVisible(), "previewed at once after a submenu item");
        d.Expect(WaitVisible(d), "the preview never showed");
        d.Expect(::GetTickCount() - dearTick >= 900, "did not wait a second");
        d.Expect(d.PopupText() == "Dear Sir or Madam...", "preview text '" + d.PopupText() + "'");
    });
}

TEST_F(MenuPreviewTest, ClosingTheSubmenuHidesItsPreview)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        if (!WaitVisible(d)) return d.Fail("the first preview never showed");
        Select(d, VK_DOWN, SignatureCommand);

        // This platform closes the submenu without a new WM_MENUSELECT.
        d.Key(VK_LEFT);
        d.Expect(WaitHidden(d), "the preview stayed beside a closed submenu");

        // Back in: the wait starts over.
        DWORD helloTick = Select(d, VK_RIGHT, HelloCommand);
        SleepUntil(helloTick + 500);
        d.Expect(!d.PopupVisible(), "previewed at once after the submenu closed");
    });
}

TEST_F(MenuPreviewTest, ChoosingOrDismissingHidesThePreviewAndClearsBothFlags)
{
    UINT chosen = Track([&](MenuDriver& d) {
        OpenGreetings(d);
        if (!WaitVisible(d)) return d.Fail("the first preview never showed");
        Select(d, VK_DOWN, SignatureCommand);
        Notify(SignatureCommand, MF_HILITE | MF_MOUSESELECT, menu.greetings);
        d.Expect(MenuPreviewManager.mouseSelected && MenuPreviewManager.showImmediately, "flags not set");
        d.Key(VK_RETURN);
    });
    EXPECT_EQ(chosen, SignatureCommand);
    EXPECT_FALSE(::IsWindowVisible(MenuPreviewManager.popup.m_hWnd));
    EXPECT_FALSE(MenuPreviewManager.mouseSelected);
    EXPECT_FALSE(MenuPreviewManager.showImmediately);

    // The next menu starts with the one-second wait, and dismissing it hides the preview.
    UINT dismissed = Track([&](MenuDriver& d) {
        DWORD helloTick = OpenGreetings(d);
        SleepUntil(helloTick + 500);
        d.Expect(!d.PopupVisible(), "the next menu previewed at once");
        d.Expect(WaitVisible(d), "the preview never showed");
        Select(d, VK_DOWN, SignatureCommand);
        d.Key(VK_ESCAPE);
        d.Key(VK_ESCAPE);
    });
    EXPECT_EQ(dismissed, 0u);
    EXPECT_FALSE(::IsWindowVisible(MenuPreviewManager.popup.m_hWnd));
    EXPECT_FALSE(MenuPreviewManager.showImmediately);
}

TEST_F(MenuPreviewTest, CrossingASeparatorKeepsThePreviewComingAtOnce)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        if (!WaitVisible(d)) return d.Fail("the first preview never showed");
        MenuPreviewManager.showDelay = LongDelay;

        PointAt(d, menu.greetings, SeparatorPosition);
        d.Expect(HIWORD(LastSelect().wParam) & MF_SEPARATOR, "the separator was not highlighted");
        d.Expect(!d.PopupVisible(), "the preview stayed beside the separator");

        PointAt(d, menu.greetings, FarewellPosition);
        d.Expect(LOWORD(LastSelect().wParam) == FarewellCommand, "Farewell not highlighted");
        d.Expect(WaitVisible(d, 3000), "not previewed at once after the separator");
        d.Expect(d.PopupText() == "Goodbye...", "preview text '" + d.PopupText() + "'");
    });

    // A separator reached before anything showed keeps the wait.
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        PointAt(d, menu.greetings, SeparatorPosition);
        PointAt(d, menu.greetings, FarewellPosition);
        DWORD farewellTick = LastSelect().tick;
        d.Expect(!MenuDriver::WaitFor([&] { return d.PopupVisible(); }, 3000),
                 "previewed before the delay after a separator");
        d.Expect(::GetTickCount() - farewellTick < LongDelay - 1000, "test too slow");
    });
}

TEST_F(MenuPreviewTest, TheIdleCheckHidesOnlyAMouseSelectedPreviewOffTheMenu)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        if (!WaitVisible(d)) return d.Fail("the first preview never showed");
        HWND menuWindow = d.MenuWindow();
        RECT menuRect, popupRect = d.PopupRect();
        ::GetWindowRect(menuWindow, &menuRect);
        int rowMiddle = (popupRect.top + popupRect.bottom) / 2;

        // Keyboard-selected: the pointer on the part of the popup that covers
        // the menu changes nothing.
        d.MoveCursor(menuRect.right - 10, rowMiddle);
        d.Sleep(500);
        NotifyIdle(menuWindow);
        d.Expect(d.PopupVisible(), "a keyboard-selected preview was hidden by the idle check");
        d.Expect(LOWORD(LastSelect().wParam) == HelloCommand, "the pointer changed the highlighted item");

        // Mouse-selected, as Windows reports it, with the pointer on the menu: kept.
        MenuPreviewManager.showDelay = LongDelay;
        d.MoveCursor(menuRect.left + 10, rowMiddle);
        d.Sleep(300);
        Notify(HelloCommand, MF_HILITE | MF_MOUSESELECT, menu.greetings);
        NotifyIdle(menuWindow);
        d.Expect(d.PopupVisible(), "hidden while the pointer is on the menu");

        // The pointer onto the popup: off the menu window.
        d.MoveCursor(menuRect.right - 10, rowMiddle);
        d.Sleep(300);
        NotifyIdle(menuWindow);
        d.Expect(!d.PopupVisible(), "a mouse-selected preview stayed with the pointer off the menu");
        d.Expect(MenuPreviewManager.showImmediately, "the idle check changed showImmediately");

        // The next item brings it back at once.
        Select(d, VK_DOWN, SignatureCommand);
        d.Expect(WaitVisible(d, 3000), "not previewed at once after the idle check");
    });
}

TEST_F(MenuPreviewTest, ThePopupStandsBesideTheItemAndTakesItsSizeFromTheText)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        Select(d, VK_DOWN, SignatureCommand);
        if (!WaitVisible(d)) return d.Fail("the preview never showed");

        HWND menuWindow = d.MenuWindow();
        RECT menuRect, items[6];
        ::GetWindowRect(menuWindow, &menuRect);
        for (int i = 0; i < 6; ++i) items[i] = MenuDriver::ItemRect(menu.greetings, i);
        auto height = [](const RECT& r) { return static_cast<int>(r.bottom - r.top); };
        int firstRow = menuRect.top + ::GetSystemMetrics(SM_CYEDGE) + 1;

        // Text width in the menu font, plus the margins of 4.
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = 340;
        ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0);
        HFONT font = ::CreateFontIndirectA(&metrics.lfMenuFont);
        auto textWidth = [&](const std::string& text) {
            HDC dc = ::GetDC(nullptr);
            HGDIOBJ previous = ::SelectObject(dc, font);
            RECT r = { 0, 0, 0, 0 };
            ::DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT);
            ::SelectObject(dc, previous);
            ::ReleaseDC(nullptr, dc);
            return static_cast<int>(r.right - r.left);
        };

        RECT popup = d.PopupRect();
        d.Expect(popup.left == menuRect.right - 50, "left " + std::to_string(popup.left) + ", menu right " +
                                                        std::to_string(menuRect.right));
        d.Expect(popup.top == firstRow + height(items[0]), "top " + std::to_string(popup.top));
        d.Expect(popup.top == items[1].top, "not at the item's row: " + std::to_string(popup.top) + " vs " +
                                                std::to_string(items[1].top));
        d.Expect(height(popup) == height(items[1]), "height " + std::to_string(height(popup)));
        d.Expect(popup.right - popup.left == textWidth(SignaturePreview) + 8,
                 "width " + std::to_string(popup.right - popup.left));

        // Below the separator every row above counts, the separator's too.
        Select(d, VK_DOWN, BlankCommand);
        Select(d, VK_DOWN, FarewellCommand);
        Select(d, VK_DOWN, LargeCommand);
        if (!WaitVisible(d, 3000)) return d.Fail("Large not previewed");
        popup = d.PopupRect();
        int expectedTop = firstRow;
        for (int i = 0; i < 5; ++i) expectedTop += height(items[i]);
        d.Expect(popup.top == expectedTop, "top " + std::to_string(popup.top) + ", expected " +
                                               std::to_string(expectedTop));
        d.Expect(popup.top == items[5].top, "not at the item's row below the separator");
        d.Expect(popup.left == menuRect.right - 50, "moved sideways");
        d.Expect(popup.right - popup.left == textWidth("Large key text...") + 8, "width for the new text");
        ::DeleteObject(font);
    });
}

TEST_F(MenuPreviewTest, PhrasesWithLargeKeysPreviewTheirOwnText)
{
    Track([&](MenuDriver& d) {
        OpenGreetings(d);
        Select(d, VK_DOWN, SignatureCommand);
        Select(d, VK_DOWN, BlankCommand);
        Select(d, VK_DOWN, FarewellCommand);
        Select(d, VK_DOWN, LargeCommand);
        d.Expect(WaitVisible(d), "Large not previewed");
        d.Expect(d.PopupText() == "Large key text...", "preview text '" + d.PopupText() + "'");

        Select(d, VK_DOWN, HugeCommand());
        d.Expect(MenuDriver::WaitFor([&] { return d.PopupText() == "Huge key text..."; }, 3000),
                 "preview text '" + d.PopupText() + "'");
        d.Expect(d.PopupVisible(), "Huge not previewed");
    });
}

TEST_F(MenuPreviewTest, CategoryAndToolboxItemsNeverPreview)
{
    // Texts that a wrong mapping of these identifiers would find.
    PhraseContents.Set(2, "category position taken for a phrase");
    PhraseContents.Set(50019 - 40000, "toolbox identifier taken for a phrase");
    Track([&](MenuDriver& d) {
        Select(d, VK_DOWN, 0);
        Select(d, VK_DOWN, 1);
        Select(d, VK_DOWN, 2); // Notes: a category without phrases
        d.Expect(!MenuDriver::WaitFor([&] { return d.PopupVisible(); }, 1500), "a category item previewed");
        Select(d, VK_DOWN, 4); // Toolbox
        Select(d, VK_RIGHT, 50019);
        Select(d, VK_DOWN, 50020);
        d.Expect(!MenuDriver::WaitFor([&] { return d.PopupVisible(); }, 1500), "a Toolbox item previewed");
    });
}

TEST_F(MenuPreviewTest, WithoutAnOpenMenuWindowNothingIsPreviewed)
{
    ASSERT_EQ(CMenuPreviewManager::FindMenuWindow(), nullptr);

    // The first notification of any kind makes the popup, hidden.
    MenuPreviewManager.OnMenuSelect(0, 0xFFFF, nullptr);
    ASSERT_TRUE(MenuPreviewManager.popup.IsWindow());
    EXPECT_FALSE(MenuPreviewManager.popup.IsWindowVisible());
    EXPECT_EQ(MenuPreviewManager.popup.margins.cx, 4);
    EXPECT_EQ(MenuPreviewManager.popup.margins.cy, 0);

    MenuPreviewManager.popup.ShowNow();
    MenuPreviewManager.OnMenuSelect(HelloCommand, MF_HILITE, menu.greetings);
    EXPECT_FALSE(MenuPreviewManager.popup.IsWindowVisible());

    MenuPreviewManager.OnMenuSelect(SignatureCommand, MF_HILITE, menu.greetings);
    DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < 1500) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
    EXPECT_FALSE(MenuPreviewManager.popup.IsWindowVisible());
}

} // namespace
