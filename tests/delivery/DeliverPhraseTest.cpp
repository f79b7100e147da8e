// DeliverPhrase end to end: a phrase read from a real database reaches the
// real clipboard and a real OLE drop target under the cursor.
#include "DeliveryTestSupport.h"
#include "delivery/PhraseDelivery.h"
#include "store/PhraseCommandIds.h"
#include "support/ClipboardText.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <string>

class DeliverPhraseTest : public DropTest
{
protected:
    void SetUp() override
    {
        DropTest::SetUp();
        ASSERT_TRUE(PutClipboardText("previous content"));
    }

    // Both ways carried text whole and terminated, and it is the only drop so far.
    void ExpectDelivered(const std::string& text)
    {
        ClipboardText seen = ReadClipboardText();
        EXPECT_TRUE(seen.text == text && seen.terminated) << seen.text.size() << " bytes: " << seen.text.substr(0, 40);
        ASSERT_EQ(target->Drops().size(), 1u);
        const DropTargetWindow::Drop& drop = target->Drops()[0];
        EXPECT_TRUE(drop.text == text && drop.terminated) << drop.text.size() << " bytes: " << drop.text.substr(0, 40);
        EXPECT_EQ(drop.effectsOffered, DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    }

    TestDatabase db;
};

TEST_F(DeliverPhraseTest, StoredPairsBecomeApostrophesLoneBytesStay)
{
    db.InsertWithId(5, "Letters", "dont", "don\xAC`t worry; \xAC alone, ` alone, \xAC\xAC`` it\xAC`s");
    DeliverPhrase(FirstPhraseCommand + 5);
    ExpectDelivered("don't worry; \xAC alone, ` alone, \xAC'` it's");
}

// Long texts (also one filling the clipboard's 4096-byte step exactly), and
// keys beyond the direct command range, whose identifiers are handed out per menu.
TEST_F(DeliverPhraseTest, EveryPhraseIsDeliveredWholeBothWays)
{
    const std::pair<int, std::string> phrases[] = {
        {9999, SampleText(1023)}, {10001, SampleText(4096)}, {10004, SampleText(65536)}, {30000, "thirty thousand"}};
    for (const auto& phrase : phrases)
        db.InsertWithId(phrase.first, "Numbers", std::to_string(phrase.first), phrase.second);
    // As the tray menu does when it is built.
    ResetPhraseCommands();
    UINT commands[4];
    for (int i = 0; i < 4; ++i) commands[i] = CommandForPhrase(phrases[i].first);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(phrases[i].first);
        target.reset(new DropTargetWindow(300, 300, 400, 300));
        DWORD start = ::GetTickCount();
        DeliverPhrase(commands[i]);
        // Nothing moved the mouse: the drop came after the drag delay.
        EXPECT_GE(::GetTickCount() - start, AfxGetDragSettings().delay);
        ExpectDelivered(phrases[i].second);
    }
}

TEST_F(DeliverPhraseTest, CommandStandingForNoPhraseDoesNothing)
{
    db.InsertWithId(3, "Letters", "three", "phrase three");
    ResetPhraseCommands();
    // The plain item of the fourth category, and a mapped identifier not handed out.
    DeliverPhrase(3);
    DeliverPhrase(FirstMappedPhraseCommand);
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    EXPECT_EQ(target->DragEnterCount(), 0);
}

TEST_F(DeliverPhraseTest, EmptyPhraseLeavesTheClipboardAndDropsEmptyText)
{
    db.InsertWithId(7, "Letters", "blank", "");
    DeliverPhrase(FirstPhraseCommand + 7);
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    EXPECT_EQ(AfxClipboardSource, nullptr);
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_TRUE(target->Drops()[0].text.empty() && target->Drops()[0].terminated);
}

TEST_F(DeliverPhraseTest, HeldClipboardStillGetsTheDrop)
{
    db.InsertWithId(1, "Letters", "hello", "Hello, it\xAC`s me");
    // Another thread holds the clipboard open meanwhile.
    HANDLE opened = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        bool held = ::OpenClipboard(nullptr);
        if (held) ::SetEvent(opened);
        ::WaitForSingleObject(release, 30000);
        if (held) ::CloseClipboard();
    });
    EXPECT_EQ(::WaitForSingleObject(opened, 30000), WAIT_OBJECT_0);
    DeliverPhrase(FirstPhraseCommand + 1);
    EXPECT_EQ(AfxClipboardSource, nullptr);
    ::SetEvent(release);
    holder.join();
    ::CloseHandle(opened);
    ::CloseHandle(release);
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "Hello, it's me");
    // Once the clipboard is free, the next delivery reaches it again.
    target.reset(new DropTargetWindow(300, 300, 400, 300));
    DeliverPhrase(FirstPhraseCommand + 1);
    ExpectDelivered("Hello, it's me");
}

TEST_F(DeliverPhraseTest, ClickDuringTheDragDelayKeepsOnlyTheClipboardCopy)
{
    db.InsertWithId(2, "Letters", "bye", "Goodbye");
    // The click is waiting in the queue when the drag's wait begins.
    ::PostMessageA(target->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    DeliverPhrase(FirstPhraseCommand + 2);
    EXPECT_EQ(target->DragEnterCount(), 0);
    EXPECT_EQ(ReadClipboardText().text, "Goodbye");
}

TEST_F(DeliverPhraseTest, AnotherProgramsDeliveryDropsHereAndOutlivesIt)
{
    db.InsertWithId(4, "Letters", "thanks", "Thanks, that\xAC`s kind");
    ASSERT_EQ(RunDeliveryHelper(std::to_string(FirstPhraseCommand + 4)), 0);
    // Dropped on this process's window while the other program ran, and
    // still on the clipboard after it ended.
    ExpectDelivered("Thanks, that's kind");
}
