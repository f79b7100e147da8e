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

struct NamedHook : CSubclassWnd {
    explicit NamedHook(char name) : name(name) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == EM_GETLIMITTEXT) trace += name;
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
    char name;
};

// The hooks a message passes on its way to the window's own procedure (an
// edit control's, the only one that answers EM_GETLIMITTEXT).
std::string Route(HWND window) {
    trace.clear();
    return SendMessageA(window, EM_GETLIMITTEXT, 0, 0) ? trace + "own" : trace;
}

}  // namespace

TEST(SubclassWnd, HooksRunNewestFirstAndTheLastOneOutGivesTheWindowBack) {
    HWND window = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
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
