// DeliverPhrase end to end: a phrase read from a real database reaches the
// clipboard and a real OLE drop target under the cursor.
#include "AfxInit.h"
#include "DeliveryChild.h"
#include "DeliveryTestSupport.h"
#include "delivery/PhraseDelivery.h"
#include "store/PhraseCommandIds.h"
#include "support/ClipboardText.h"
#include "support/DropTargetWindow.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <string>

class DeliverPhraseTest : public OleTest
{
protected:
    void SetUp() override
    {
        OleTest::SetUp();
        target.reset(new DropTargetWindow(300, 300, 400, 300));
        target->PlaceCursorInside();
        ASSERT_TRUE(PutClipboardText("previous content"));
    }
    void TearDown() override
    {
        target.reset();
        OleTest::TearDown();
    }

    // The one text dropped, or "(no drop)".
    std::string Dropped() const
    {
        if (target->Drops().size() != 1) return "(" + std::to_string(target->Drops().size()) + " drops)";
        return target->Drops()[0].text;
    }

    TestDatabase db;
    std::unique_ptr<DropTargetWindow> target;
};

TEST_F(DeliverPhraseTest, StoredPairBecomesAnApostropheBothWays)
{
    db.InsertWithId(5, "Letters", "dont", "don\xAC`t worry; \xAC alone, ` alone, \xAC\xAC``");
    DeliverPhrase(FirstPhraseCommand + 5);
    const std::string expected = "don't worry; \xAC alone, ` alone, \xAC'`";
    ClipboardText seen = ReadClipboardText();
    EXPECT_EQ(seen.text, expected);
    EXPECT_TRUE(seen.terminated);
    EXPECT_EQ(Dropped(), expected);
    EXPECT_TRUE(target->Drops().empty() || target->Drops()[0].terminated);
}

TEST_F(DeliverPhraseTest, LongPhraseIsDeliveredWholeBothWays)
{
    std::string text = SampleText(65536);
    db.InsertWithId(12, "Reports", "long", text);
    DeliverPhrase(FirstPhraseCommand + 12);
    ClipboardText seen = ReadClipboardText();
    EXPECT_EQ(seen.text.size(), text.size());
    EXPECT_TRUE(seen.text == text);
    EXPECT_TRUE(seen.terminated);
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text.size(), text.size());
    EXPECT_TRUE(target->Drops()[0].text == text);
    EXPECT_TRUE(target->Drops()[0].terminated);
}

// Every phrase delivers its own text, also those whose keys do not fit the
// direct command range and get identifiers handed out per menu.
class DeliverPhraseIdTest : public DeliverPhraseTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(DeliverPhraseIdTest, PhraseDeliversItsOwnText)
{
    const int ids[] = {9999, 10001, 10004, 30000};
    for (int id : ids) db.InsertWithId(id, "Numbers", "code " + std::to_string(id), "text of " + std::to_string(id));
    // As the tray menu does when it is built.
    ResetPhraseCommands();
    UINT command = 0;
    for (int id : ids) {
        UINT handedOut = CommandForPhrase(id);
        if (id == GetParam()) command = handedOut;
    }
    ASSERT_NE(command, 0u);

    DeliverPhrase(command);
    std::string expected = "text of " + std::to_string(GetParam());
    EXPECT_EQ(ReadClipboardText().text, expected);
    EXPECT_EQ(Dropped(), expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, DeliverPhraseIdTest, ::testing::Values(9999, 10001, 10004, 30000));

TEST_F(DeliverPhraseTest, CommandStandingForNoPhraseDoesNothing)
{
    db.InsertWithId(3, "Letters", "three", "phrase three");
    ResetPhraseCommands();
    // The plain item of the fourth category, and a mapped identifier not handed out.
    DeliverPhrase(3);
    DeliverPhrase(FirstMappedPhraseCommand);
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    EXPECT_EQ(target->DragEnterCount(), 0);
    EXPECT_TRUE(target->Drops().empty());
}

TEST_F(DeliverPhraseTest, EmptyOrMissingPhraseLeavesTheClipboardAndDropsEmptyText)
{
    db.InsertWithId(7, "Letters", "blank", "");
    DeliverPhrase(FirstPhraseCommand + 7);
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "");
    EXPECT_TRUE(target->Drops()[0].terminated);

    // No row with that key at all: the same.
    DeliverPhrase(FirstPhraseCommand + 8);
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    EXPECT_EQ(target->Drops().size(), 2u);
}

TEST_F(DeliverPhraseTest, HeldClipboardStillGetsTheDrop)
{
    db.InsertWithId(1, "Letters", "hello", "Hello, it\xAC`s me");
    {
        HeldClipboard held;
        ASSERT_TRUE(held.IsHeld());
        DeliverPhrase(FirstPhraseCommand + 1);
    }
    EXPECT_EQ(Dropped(), "Hello, it's me");
    EXPECT_EQ(ReadClipboardText().text, "previous content");
}

TEST_F(DeliverPhraseTest, ClickDuringTheDragDelayKeepsOnlyTheClipboardCopy)
{
    db.InsertWithId(2, "Letters", "bye", "Goodbye");
    ::PostMessageA(target->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    DeliverPhrase(FirstPhraseCommand + 2);
    EXPECT_TRUE(target->Drops().empty());
    EXPECT_EQ(ReadClipboardText().text, "Goodbye");
}

TEST_F(DeliverPhraseTest, AnotherProgramsDeliveryDropsHereAndOutlivesIt)
{
    db.InsertWithId(4, "Letters", "thanks", "Thanks, that\xAC`s kind");
    ASSERT_EQ(RunDeliveryHelper("deliver-phrase " + std::to_string(FirstPhraseCommand + 4)), 0);
    // Dropped on this process's window while the other program ran...
    EXPECT_EQ(Dropped(), "Thanks, that's kind");
    // ...and still on the clipboard after it ended.
    ClipboardText seen = ReadClipboardText();
    EXPECT_EQ(seen.text, "Thanks, that's kind");
    EXPECT_TRUE(seen.terminated);
}
