// The preview beside the highlighted phrase of the real tray menu: the
// phrase's first words, with its apostrophes, in a popup that waits a second
// before it first shows, stands beside the submenu, leaves a phrase without text alone,
// and stays for a keyboard user wherever the pointer rests.
#include "support/AppTest.h"

#include "preview/MenuPreviewManager.h"

#include <algorithm>

namespace {

bool PreviewShowing() { return MenuPreviewManager.popup.IsWindow() && MenuPreviewManager.popup.IsWindowVisible(); }

}  // namespace

TEST_F(AppTest, PreviewShowsThePhrasesFirstWordsBesideItAfterASecond) {
    // PhraseIDs of their own: the preview keeps the texts of earlier tests in this process.
    db.Insert("Greetings", "1 first", "Kind regards, the whole team of us here today", 701);
    db.Insert("Greetings", "2 blank", "", 702);
    db.Insert("Greetings", "3 last", "It\xAC`s goodbye", 703);
    StartProgram();
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        HMENU phrases = GetSubMenu(reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0)), 0);
        auto highlight = [&](const char* keys, UINT row) {  // returns when the row was seen highlighted
            ui.PressMenuKeys(menu, keys);
            ui.WaitUntil([&] { return (GetMenuState(phrases, row, MF_BYPOSITION) & MF_HILITE) != 0; }, "a highlight");
            return GetTickCount();
        };
        DWORD first = highlight("DR", 0);
        // Left for a phrase without text before the second is up: no preview comes.
        if (highlight("D", 1) - first > 700) ui.Fail("the keys took too long to judge the wait");
        Sleep(static_cast<DWORD>(std::max(0, static_cast<int>(first + 1600 - GetTickCount()))));
        if (PreviewShowing()) ui.Fail("a preview showed beside a phrase without text");

        DWORD last = highlight("D", 2);
        ui.WaitUntil(PreviewShowing, "the preview");
        EXPECT_GE(GetTickCount() - last, 700u) << "the first preview came before its second was up";
        EXPECT_EQ(UiDriver::Text(MenuPreviewManager.popup.m_hWnd), "It's goodbye...");
        HWND submenu = FindWindowExA(nullptr, nullptr, "#32768", nullptr);
        if (submenu == menu) submenu = FindWindowExA(nullptr, menu, "#32768", nullptr);
        RECT menuRect, popup;
        GetWindowRect(submenu, &menuRect);
        GetWindowRect(MenuPreviewManager.popup.m_hWnd, &popup);
        EXPECT_EQ(popup.left, menuRect.right) << "the preview stands beside the submenu, its items not hidden";

        // Highlighted with the keyboard, the preview stays while the pointer
        // rests off the submenu (where the menu opened).
        DWORD_PTR result;
        SendMessageTimeoutA(mainWindow.m_hWnd, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(submenu), SMTO_NORMAL, 5000, &result);
        if (!PreviewShowing()) ui.Fail("a keyboard user's preview went with the pointer off the menu");
        ui.PressMenuKeys(menu, "XX");
    });
    EXPECT_FALSE(PreviewShowing());
}
