// The preview window's painting and lifetime.
#include "preview/PopupText.h"

#include <gtest/gtest.h>

namespace {

TEST(PopupTextTest, PaintsItsTextInTooltipColoursAndGoesWithItsObject)
{
    HWND hwnd = nullptr;
    {
        CPopupText popup;
        ASSERT_TRUE(popup.Create(POINT{ 0, 0 }));
        hwnd = popup.m_hWnd;
        popup.SetWindowPos(HWND_TOPMOST, 300, 300, 10, 24, SWP_NOACTIVATE);
        popup.SetWindowText("MMMMMMMM");
        popup.ShowNow();
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 200; ::Sleep(10)) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        }

        RECT client;
        popup.GetClientRect(&client);
        HDC dc = ::GetDC(hwnd);
        COLORREF background = ::GetPixel(dc, 1, 1);
        bool textFound = false;
        for (int x = 0; x < client.right && !textFound; ++x)
            for (int y = 0; y < client.bottom && !textFound; ++y)
                textFound = ::GetPixel(dc, x, y) == ::GetSysColor(COLOR_INFOTEXT);
        ::ReleaseDC(hwnd, dc);
        EXPECT_EQ(background, ::GetSysColor(COLOR_INFOBK));
        EXPECT_TRUE(textFound);
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

} // namespace
