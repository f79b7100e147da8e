// The preview window's painting.
#include "preview/PopupText.h"

#include <gtest/gtest.h>

namespace {

// Tooltip colours of the test's own while it runs, so that no other system
// colour can pass for them.
struct TooltipColours
{
    const int elements[2] = { COLOR_INFOBK, COLOR_INFOTEXT };
    const COLORREF saved[2] = { ::GetSysColor(COLOR_INFOBK), ::GetSysColor(COLOR_INFOTEXT) };
    const COLORREF background = RGB(255, 255, 160), text = RGB(0, 0, 160);
    TooltipColours()
    {
        const COLORREF colours[2] = { background, text };
        ::SetSysColors(2, elements, colours);
    }
    ~TooltipColours() { ::SetSysColors(2, elements, saved); }
};

TEST(PopupTextTest, PaintsItsTextInTheTooltipColours)
{
    TooltipColours colours;
    CPopupText popup;
    ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
    popup.SetWindowPos(HWND_TOPMOST, 300, 300, 10, 24, SWP_NOACTIVATE);
    popup.SetWindowText("MMMMMMMM");
    popup.ShowNow();
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 200; ::Sleep(10)) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }

    RECT client;
    popup.GetClientRect(&client);
    HDC dc = ::GetDC(popup.m_hWnd);
    COLORREF corner = ::GetPixel(dc, 1, 1);
    bool textFound = false;
    for (int x = 0; x < client.right && !textFound; ++x)
        for (int y = 0; y < client.bottom && !textFound; ++y) textFound = ::GetPixel(dc, x, y) == colours.text;
    ::ReleaseDC(popup.m_hWnd, dc);
    EXPECT_EQ(corner, colours.background);
    EXPECT_TRUE(textFound);
}

} // namespace
