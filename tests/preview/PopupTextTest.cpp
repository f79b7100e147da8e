// The preview window on its own: creation, sizing to its text, painting and
// the delayed show.
#include "preview/PopupText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Pumps messages until condition holds or timeoutMs pass; true when it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        Pump();
        if (condition()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// The width and height DrawText gives text in the system's menu font.
SIZE MenuFontTextSize(const char* text)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = 340;
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0);
    HFONT font = ::CreateFontIndirectA(&metrics.lfMenuFont);
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, font);
    RECT rect = { 0, 0, 0, 0 };
    ::DrawTextA(dc, text, -1, &rect, DT_CALCRECT);
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return SIZE{ rect.right - rect.left, rect.bottom - rect.top };
}

RECT WindowRectOf(HWND hwnd)
{
    RECT rect = {};
    ::GetWindowRect(hwnd, &rect);
    return rect;
}

class PopupTextTest : public ::testing::Test
{
protected:
    void TearDown() override { Pump(); }
    CPopupText popup;
};

TEST_F(PopupTextTest, CreatesAHiddenBorderedToolWindowOfItsOwnClass)
{
    ASSERT_TRUE(popup.Create(POINT{ 40, 50 }));
    HWND hwnd = popup.m_hWnd;
    ASSERT_TRUE(::IsWindow(hwnd));

    EXPECT_FALSE(::IsWindowVisible(hwnd));
    LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_BORDER | WS_CHILD | WS_CAPTION | WS_VISIBLE | WS_THICKFRAME),
              static_cast<LONG>(WS_POPUP | WS_BORDER));
    EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), nullptr);
    RECT rect = WindowRectOf(hwnd);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(rect.bottom - rect.top, 0);

    // Its messages go through the object.
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &popup);
    EXPECT_STREQ(popup.GetRuntimeClass()->m_lpszClassName, "CPopupText");

    // A second popup shares the class.
    CPopupText second;
    ASSERT_TRUE(second.Create(POINT{ 0, 0 }));
    char firstClass[64] = {}, secondClass[64] = {};
    ::GetClassNameA(hwnd, firstClass, sizeof firstClass);
    ::GetClassNameA(second.m_hWnd, secondClass, sizeof secondClass);
    EXPECT_STREQ(firstClass, secondClass);
}

TEST_F(PopupTextTest, DrawsWithTheSystemMenuFont)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = 340;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0));
    LOGFONTA used = {};
    ASSERT_TRUE(::GetObjectA(popup.font.GetSafeHandle(), sizeof used, &used));
    EXPECT_EQ(used.lfHeight, metrics.lfMenuFont.lfHeight);
    EXPECT_EQ(used.lfWeight, metrics.lfMenuFont.lfWeight);
    EXPECT_STREQ(used.lfFaceName, metrics.lfMenuFont.lfFaceName);
}

TEST_F(PopupTextTest, NewTextSetsTheWidthFromTheTextPlusTheMargins)
{
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.margins = SIZE{ 4, 0 };
    popup.SetWindowPos(HWND_TOPMOST, 120, 130, 70, 19, SWP_NOACTIVATE);

    const char text[] = "Kind regards, the whole team ...";
    popup.SetWindowText(text);

    SIZE measured = MenuFontTextSize(text);
    RECT rect = WindowRectOf(popup.m_hWnd);
    EXPECT_EQ(rect.left, 120);
    EXPECT_EQ(rect.top, 130);
    EXPECT_EQ(rect.right - rect.left, measured.cx + 8);
    // No vertical margin: the height stays the item's.
    EXPECT_EQ(rect.bottom - rect.top, 19);
    EXPECT_EQ(popup.GetWindowText(), text);
    EXPECT_FALSE(popup.IsWindowVisible());

    // With a vertical margin the height follows the text too.
    popup.margins = SIZE{ 4, 4 };
    popup.SetWindowText("Hi...");
    rect = WindowRectOf(popup.m_hWnd);
    EXPECT_EQ(rect.right - rect.left, MenuFontTextSize("Hi...").cx + 8);
    EXPECT_EQ(rect.bottom - rect.top, MenuFontTextSize("Hi...").cy + 8);
}

TEST_F(PopupTextTest, PaintsTheTextInTooltipColours)
{
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.margins = SIZE{ 4, 0 };
    popup.SetWindowPos(HWND_TOPMOST, 300, 300, 10, 24, SWP_NOACTIVATE);
    popup.SetWindowText("MMMMMMMM");
    popup.ShowNow();
    PumpFor(200);

    RECT client;
    popup.GetClientRect(&client);
    HDC dc = ::GetDC(popup.m_hWnd);
    COLORREF background = ::GetPixel(dc, 1, 1);
    bool textColourFound = false;
    for (int x = 0; x < client.right && !textColourFound; ++x)
        for (int y = 0; y < client.bottom && !textColourFound; ++y)
            textColourFound = ::GetPixel(dc, x, y) == ::GetSysColor(COLOR_INFOTEXT);
    ::ReleaseDC(popup.m_hWnd, dc);

    EXPECT_EQ(background, ::GetSysColor(COLOR_INFOBK));
    EXPECT_TRUE(textColourFound);
}

TEST_F(PopupTextTest, IsAnOrdinaryTargetForTheMouse)
{
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.SetWindowPos(HWND_TOPMOST, 200, 200, 60, 20, SWP_NOACTIVATE);
    EXPECT_EQ(popup.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(230, 210)), HTCLIENT);
}

TEST_F(PopupTextTest, ShowAfterWaitsForTimerOneAndShowNowShowsAtOnce)
{
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.SetWindowPos(HWND_TOPMOST, 10, 10, 50, 20, SWP_NOACTIVATE);

    popup.ShowAfter(0);
    EXPECT_TRUE(popup.IsWindowVisible());
    popup.HidePopup();
    EXPECT_FALSE(popup.IsWindowVisible());

    DWORD start = ::GetTickCount();
    popup.ShowAfter(600);
    EXPECT_FALSE(popup.IsWindowVisible());
    ASSERT_TRUE(PumpUntil([&] { return popup.IsWindowVisible() != FALSE; }, 5000));
    EXPECT_GE(::GetTickCount() - start, 550u);

    // Shown without being activated.
    EXPECT_NE(::GetForegroundWindow(), popup.m_hWnd);
    EXPECT_NE(::GetActiveWindow(), popup.m_hWnd);

    // Any timer message shows it.
    popup.HidePopup();
    popup.SendMessage(WM_TIMER, 7, 0);
    EXPECT_TRUE(popup.IsWindowVisible());
}

TEST_F(PopupTextTest, ArmingAgainStartsTheWaitOver)
{
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.SetWindowPos(HWND_TOPMOST, 10, 10, 50, 20, SWP_NOACTIVATE);

    DWORD start = ::GetTickCount();
    popup.ShowAfter(2000);
    PumpFor(1000);
    popup.ShowAfter(2000);
    // The first wait would have ended at 2 s.
    PumpUntil([&] { return ::GetTickCount() - start > 2600; }, 4000);
    EXPECT_FALSE(popup.IsWindowVisible());
    EXPECT_TRUE(PumpUntil([&] { return popup.IsWindowVisible() != FALSE; }, 5000));
}

TEST_F(PopupTextTest, HidePopupStopsAPendingShow)
{
    popup.HidePopup(); // no window yet: nothing happens
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.SetWindowPos(HWND_TOPMOST, 10, 10, 50, 20, SWP_NOACTIVATE);

    popup.ShowAfter(300);
    popup.HidePopup();
    PumpFor(1000);
    EXPECT_FALSE(popup.IsWindowVisible());

    // Showing at once also stops a pending show: hiding afterwards sticks.
    popup.ShowAfter(300);
    popup.ShowNow();
    popup.ShowWindow(SW_HIDE);
    PumpFor(1000);
    EXPECT_FALSE(popup.IsWindowVisible());
}

TEST_F(PopupTextTest, DestructionDestroysTheWindow)
{
    HWND hwnd = nullptr;
    {
        CPopupText scoped;
        ASSERT_TRUE(scoped.Create(POINT{ 0, 0 }));
        hwnd = scoped.m_hWnd;
        ASSERT_TRUE(::IsWindow(hwnd));
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

} // namespace
