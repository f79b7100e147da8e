// The hotkey as a user writes it in the registry: modifiers, then one key.
#include "app/GlobalHotkey.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Hotkey, ChordsAreReadFromTheirNames) {
    const std::tuple<const char*, bool, UINT, UINT> cases[] = {
        {"Ctrl+Alt+Space", true, MOD_CONTROL | MOD_ALT, VK_SPACE}, {" shift + control + f12 ", true, MOD_SHIFT | MOD_CONTROL, VK_F12},
        {"Win+A", true, MOD_WIN, 'A'}, {"Alt+7", true, MOD_ALT, '7'}, {"PageDown", true, 0, VK_NEXT},
        {"Ctrl+F25", false, 0, 0}, {"Ctrl+Alt", false, 0, 0}, {"Hyper+Q", false, 0, 0}, {"Ctrl+Alt+Space+X", false, 0, 0},
        {"", false, 0, 0}, {"Ctrl++", false, 0, 0}};
    for (const auto& [text, valid, modifiers, key] : cases) {
        HotkeyChord chord = {0, 0};
        EXPECT_EQ(ParseHotkey(text, chord), valid) << text;
        if (valid) {
            EXPECT_EQ(std::make_pair(chord.modifiers, chord.virtualKey), std::make_pair(modifiers, key)) << text;
        }
    }
}
