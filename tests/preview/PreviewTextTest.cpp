// The shortening of phrase texts for the preview.
#include "preview/PreviewText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PreviewTextTest, KeepsTextUpToTheSeventhSeparatorOr1023Bytes)
{
    std::string high; // codes 128 to 255: ordinary characters
    for (int c = 128; c <= 255; ++c) high += static_cast<char>(c);
    const struct
    {
        std::string text, preview;
    } cases[] = {
        { "one two three four five six seven eight nine", "one two three four five six seven ..." },
        { "one two three four five six seven", "one two three four five six seven..." },
        { "Hello", "Hello..." },
        { "   a b c d e f g", "   a b c d ..." },
        { "Dear Sir,\r\nThank you for your letter of today", "Dear Sir,  Thank you for your ..." },
        { "a\tb\x01" "c\x1f" "d", "a b c d..." },
        { high, high + "..." },
        { "Don\xAC\x60t stop\xA0now a b c d e f g", "Don\xAC\x60t stop\xA0now a b c d e ..." },
        { std::string(12, ' '), "       ..." },
        { "   ", "   ..." },
        { "", "" },
        { std::string(5000, 'x'), std::string(1023, 'x') + "..." },
        { std::string(1023, 'y'), std::string(1023, 'y') + "..." },
        { "ab " + std::string(1500, 'z') + " cd", "ab " + std::string(1020, 'z') + "..." },
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakePreviewText(CString(c.text)).str(), c.preview) << "for \"" << c.text.substr(0, 50) << "\"";
}

} // namespace
