// The preview beside the highlighted phrase of the real tray menu: the
// phrase's first words in a popup that waits a second before it first shows,
// stands over the submenu's right edge, leaves a phrase without text alone,
// and stays for a keyboard user wherever the pointer rests.
#include "support/AppTest.h"

#include "preview/MenuPreviewManager.h"

#include <algorithm>
#include <mutex>

namespace {

const UINT MoveCursorMessage = WM_APP + 50;

// A hook on the main window, newer than the preview's: it notes each phrase
// highlighted once the preview has handled it, and moves the pointer from
// the menu's own thread (moved from another, Wine puts it back).
struct Highlights : CSubclassWnd {
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == MoveCursorMessage) return SetCursorPos(static_cast<int>(wParam), static_cast<int>(lParam));
        LRESULT result = CSubclassWnd::WindowProc(message, wParam, lParam);
        char text[64] = {};
        if (message == WM_MENUSELECT && lParam && !(HIWORD(wParam) & MF_POPUP)) {
            GetMenuStringA(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), text, sizeof text, MF_BYCOMMAND);
            std::lock_guard<std::mutex> guard(lock);
            last = {text, GetTickCount()};
        }
        return result;
    }
    // Waits until the phrase is highlighted; returns when that was.
    DWORD WaitFor(UiDriver& ui, const std::string& phrase) {
        ui.WaitUntil([&] { std::lock_guard<std::mutex> guard(lock); return last.first == phrase; }, phrase + " highlighted");
        std::lock_guard<std::mutex> guard(lock);
        return last.second;
    }
    std::mutex lock;
    std::pair<std::string, DWORD> last;
};

bool PreviewShowing() { return MenuPreviewManager.popup.IsWindow() && MenuPreviewManager.popup.IsWindowVisible(); }

}  // namespace

TEST_F(AppTest, PreviewShowsThePhrasesFirstWordsBesideItAfterASecond) {
    // PhraseIDs of their own: the preview keeps the texts of earlier tests in this process.
    db.Insert("Greetings", "1 first", "Kind regards, the whole team of us here today", 701);
    db.Insert("Greetings", "2 blank", "", 702);
    db.Insert("Greetings", "3 last", "Goodbye", 703);
    StartProgram();
    Highlights highlights;
    highlights.Install(mainWindow.m_hWnd);
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        ui.PressMenuKeys(menu, {VK_DOWN, VK_RIGHT});
        DWORD first = highlights.WaitFor(ui, "1 first");
        // Left for a phrase without text before the second is up: no preview comes.
        ui.PressMenuKeys(menu, {VK_DOWN});
        if (highlights.WaitFor(ui, "2 blank") - first > 700) ui.Fail("the keys took too long to judge the wait");
        Sleep(static_cast<DWORD>(std::max(0, static_cast<int>(first + 1600 - GetTickCount()))));
        if (PreviewShowing()) ui.Fail("a preview showed beside a phrase without text");

        ui.PressMenuKeys(menu, {VK_DOWN});
        DWORD last = highlights.WaitFor(ui, "3 last");
        ui.WaitUntil(PreviewShowing, "the preview");
        EXPECT_GE(GetTickCount() - last, 700u) << "the first preview came before its second was up";
        EXPECT_EQ(UiDriver::Text(MenuPreviewManager.popup.m_hWnd), "Goodbye...");
        HWND submenu = FindWindowExA(nullptr, nullptr, "#32768", nullptr);
        if (submenu == menu) submenu = FindWindowExA(nullptr, menu, "#32768", nullptr);
        RECT menuRect, item, popup;
        GetWindowRect(submenu, &menuRect);
        GetMenuItemRect(nullptr, reinterpret_cast<HMENU>(SendMessageA(submenu, 0x01E1 /* MN_GETHMENU */, 0, 0)), 2, &item);
        GetWindowRect(MenuPreviewManager.popup.m_hWnd, &popup);
        EXPECT_EQ(popup.left, menuRect.right - 50);
        EXPECT_EQ(popup.top, item.top);

        // Highlighted with the keyboard: the pointer resting off the menu (on
        // the preview, where it covers the submenu) leaves the preview showing.
        DWORD_PTR result;
        SendMessageTimeoutA(mainWindow.m_hWnd, MoveCursorMessage, static_cast<WPARAM>(menuRect.right - 10),
                            (popup.top + popup.bottom) / 2, SMTO_NORMAL, 5000, &result);
        Sleep(300);
        SendMessageTimeoutA(mainWindow.m_hWnd, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(submenu), SMTO_NORMAL, 5000, &result);
        if (!PreviewShowing()) ui.Fail("a keyboard user's preview went with the pointer off the menu");
        ui.PressMenuKeys(menu, {VK_ESCAPE, VK_ESCAPE});
    });
    EXPECT_FALSE(PreviewShowing());
}
