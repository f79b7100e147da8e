// The preview's text (preview/PreviewText.h), and the hooks on a window
// (preview/SubclassWnd.h) through which the preview watches the tray menu.
#include "preview/PreviewText.h"
#include "preview/SubclassWnd.h"

#include <gtest/gtest.h>

#include <string>

TEST(PreviewText, KeepsTheFirstSevenSeparatorsOrAtMost1023Bytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"one two three four five six seven eight nine", "one two three four five six seven ..."},
        {"Dear Sir,\r\nThank you for your letter of today", "Dear Sir,  Thank you for your ..."},
        {"a\tb\x01" "c\x1f" "d \xA0\xFF", "a b c d \xA0\xFF..."},
        {"Hello", "Hello..."},
        {"", ""},
        {std::string(5000, 'x'), std::string(1023, 'x') + "..."},
    };
    for (const auto& c : cases) EXPECT_EQ(MakePreviewText(CString(c.first)).str(), c.second) << c.first.substr(0, 40);
}

namespace {

std::string trace;

LRESULT CALLBACK OwnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) trace += "own";
    return DefWindowProcA(window, message, wParam, lParam);
}

struct NamedHook : CSubclassWnd {
    explicit NamedHook(char name) : name(name) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) trace += name;
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
    char name;
};

// The hooks a message passes on its way to the window's own procedure.
std::string Route(HWND window) {
    trace.clear();
    SendMessageA(window, WM_APP, 0, 0);
    return trace;
}

}  // namespace

TEST(SubclassWnd, HooksRunNewestFirstAndTheLastOneOutGivesTheWindowBack) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = OwnProcedure;
    windowClass.lpszClassName = "TalvoryHookTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "TalvoryHookTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NamedHook a('a'), b('b'), c('c');
    for (NamedHook* hook : {&a, &b, &c}) hook->Install(window);
    EXPECT_EQ(Route(window), "cbaown");
    b.Install(nullptr);
    EXPECT_EQ(Route(window), "caown");
    c.Install(nullptr);
    a.Install(nullptr);
    EXPECT_EQ(Route(window), "own");
    DestroyWindow(window);
}
