// The shortening of phrase texts for the preview.
#include "preview/PreviewText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Preview(const std::string& text)
{
    return MakePreviewText(CString(text)).str();
}

TEST(PreviewTextTest, KeepsTheFirstSevenWordsAndTheSpaceAfterThem)
{
    EXPECT_EQ(Preview("one two three four five six seven eight nine"), "one two three four five six seven ...");
    // Seven words and no more: the text ends before the seventh separator.
    EXPECT_EQ(Preview("one two three four five six seven"), "one two three four five six seven...");
    EXPECT_EQ(Preview("one two three four five six seven "), "one two three four five six seven ...");
}

TEST(PreviewTextTest, ShowsASingleWordDirectlyFollowedByDots)
{
    EXPECT_EQ(Preview("Hello"), "Hello...");
    EXPECT_EQ(Preview("x"), "x...");
}

TEST(PreviewTextTest, EveryControlCharacterBecomesASpaceAndCounts)
{
    // Leading spaces count.
    EXPECT_EQ(Preview("   a b c d e f g"), "   a b c d ...");
    // CR LF counts twice.
    EXPECT_EQ(Preview("Dear Sir,\r\nThank you for your letter of today"), "Dear Sir,  Thank you for your ...");
    // Tabs and other codes from 1 to 31 too.
    EXPECT_EQ(Preview("a\tb\x01" "c\x1f" "d"), "a b c d...");
    EXPECT_EQ(Preview("\n\n\n\n\n\n\n\nafter"), "       ...");
}

TEST(PreviewTextTest, TreatsCodesFrom128To255AsOrdinaryCharacters)
{
    std::string high;
    for (int c = 128; c <= 255; ++c) high += static_cast<char>(c);
    EXPECT_EQ(Preview(high), high + "...");

    // The stored apostrophe pair and a no-break space neither separate nor count.
    EXPECT_EQ(Preview("Don\xAC\x60t stop\xA0now a b c d e f g"), "Don\xAC\x60t stop\xA0now a b c d e ...");
}

TEST(PreviewTextTest, ATextOfSpacesKeepsAtMostSeven)
{
    EXPECT_EQ(Preview(std::string(12, ' ')), "       ...");
    EXPECT_EQ(Preview("   "), "   ...");
}

TEST(PreviewTextTest, AnEmptyTextGivesNoPreview)
{
    EXPECT_EQ(Preview(""), "");
}

TEST(PreviewTextTest, CutsALongTextAt1023Bytes)
{
    EXPECT_EQ(Preview(std::string(5000, 'x')), std::string(1023, 'x') + "...");
    EXPECT_EQ(Preview(std::string(1023, 'y')), std::string(1023, 'y') + "...");
    EXPECT_EQ(Preview(std::string(1024, 'y')), std::string(1023, 'y') + "...");
    // Long words with few separators are cut there too.
    std::string longWords = "ab " + std::string(1500, 'z') + " cd";
    EXPECT_EQ(Preview(longWords), "ab " + std::string(1020, 'z') + "...");
}

} // namespace
