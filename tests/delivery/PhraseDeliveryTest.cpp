// CopyPhraseToClipboard and DropPhraseAtCursor on the real clipboard and a
// real OLE drop target under the cursor.
#include "AfxInit.h"
#include "support/ClipboardText.h"
#include "DeliveryChild.h"
#include "DeliveryTestSupport.h"
#include "support/DropTargetWindow.h"
#include "delivery/PhraseDelivery.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string TextFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
    char full[MAX_PATH];
    ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    return full;
}

} // namespace

class ClipboardDeliveryTest : public OleTest
{
};

TEST_F(ClipboardDeliveryTest, TextArrivesAsClipboardText)
{
    ASSERT_TRUE(PutClipboardText("before"));
    CopyPhraseToClipboard("Dear Sir or Madam,");
    ClipboardText seen = ReadClipboardText();
    EXPECT_TRUE(seen.present);
    EXPECT_EQ(seen.text, "Dear Sir or Madam,");
    EXPECT_TRUE(seen.terminated);
    ASSERT_NE(AfxClipboardSource, nullptr);
    EXPECT_EQ(::OleIsCurrentClipboard(AfxClipboardSource), S_OK);
}

TEST_F(ClipboardDeliveryTest, BytesArePassedUnchanged)
{
    // The clipboard step itself turns nothing: a stored pair, a lone not-sign
    // and a lone grave accent stay as they are.
    const std::string text = "a\xAC`b \xAC c ` d\xE9";
    CopyPhraseToClipboard(CString(text));
    EXPECT_EQ(ReadClipboardText().text, text);
}

TEST_F(ClipboardDeliveryTest, EmptyTextLeavesTheClipboardAsItWas)
{
    ASSERT_TRUE(PutClipboardText("previous content"));
    CopyPhraseToClipboard("");
    EXPECT_EQ(ReadClipboardText().text, "previous content");
    EXPECT_EQ(AfxClipboardSource, nullptr);
}

TEST_F(ClipboardDeliveryTest, HeldClipboardIsLeftAloneWithoutHarm)
{
    ASSERT_TRUE(PutClipboardText("held content"));
    {
        HeldClipboard held;
        ASSERT_TRUE(held.IsHeld());
        CopyPhraseToClipboard("cannot be placed");
        EXPECT_EQ(AfxClipboardSource, nullptr);
    }
    EXPECT_EQ(ReadClipboardText().text, "held content");
    // The next delivery works again.
    CopyPhraseToClipboard("placed later");
    EXPECT_EQ(ReadClipboardText().text, "placed later");
}

TEST_F(ClipboardDeliveryTest, TextOutlivesTheDeliveringProcess)
{
    ASSERT_TRUE(PutClipboardText("before"));
    std::string text = "Yours faithfully,\r\nA. Writer \xAC";
    ASSERT_EQ(RunDeliveryHelper("deliver \"" + TextFile("phrase.txt", text) + "\""), 0);
    ClipboardText seen = ReadClipboardText();
    EXPECT_TRUE(seen.present);
    EXPECT_EQ(seen.text, text);
    EXPECT_TRUE(seen.terminated);
}

TEST_F(ClipboardDeliveryTest, LongTextOutlivesTheDeliveringProcessWhole)
{
    std::string text = SampleText(65536);
    ASSERT_EQ(RunDeliveryHelper("deliver \"" + TextFile("long.txt", text) + "\""), 0);
    ClipboardText seen = ReadClipboardText();
    EXPECT_EQ(seen.text.size(), text.size());
    EXPECT_TRUE(seen.text == text);
    EXPECT_TRUE(seen.terminated);
}

class ClipboardLengthTest : public OleTest, public ::testing::WithParamInterface<size_t>
{
};

TEST_P(ClipboardLengthTest, TextOfAnyLengthArrivesWholeAndTerminated)
{
    std::string text = SampleText(GetParam());
    CopyPhraseToClipboard(CString(text));
    ClipboardText seen = ReadClipboardText();
    EXPECT_EQ(seen.text.size(), text.size());
    EXPECT_TRUE(seen.text == text);
    EXPECT_TRUE(seen.terminated);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ClipboardLengthTest, ::testing::Values(1, 1023, 1024, 4095, 4096, 65536));

class DropDeliveryTest : public OleTest
{
protected:
    void SetUp() override
    {
        OleTest::SetUp();
        target.reset(new DropTargetWindow(300, 300, 400, 300));
        target->PlaceCursorInside();
    }
    void TearDown() override
    {
        target.reset();
        OleTest::TearDown();
    }

    std::unique_ptr<DropTargetWindow> target;
};

class DropLengthTest : public DropDeliveryTest, public ::testing::WithParamInterface<size_t>
{
};

TEST_P(DropLengthTest, TextIsDroppedWholeAndTerminatedUnderTheCursor)
{
    std::string text = SampleText(GetParam());
    DropPhraseAtCursor(CString(text));
    ASSERT_EQ(target->Drops().size(), 1u);
    const DropTargetWindow::Drop& drop = target->Drops()[0];
    EXPECT_EQ(drop.text.size(), text.size());
    EXPECT_TRUE(drop.text == text);
    EXPECT_TRUE(drop.terminated);
    EXPECT_EQ(drop.effectsOffered, DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_EQ(drop.keyState & (MK_LBUTTON | MK_RBUTTON), 0u);
}

// 0: an empty text is still offered, as an empty text.
INSTANTIATE_TEST_SUITE_P(Lengths, DropLengthTest, ::testing::Values(0, 1, 1023, 4096, 65536));

TEST_F(DropDeliveryTest, DropDoesNotTouchTheClipboard)
{
    ASSERT_TRUE(PutClipboardText("clipboard"));
    DropPhraseAtCursor("dropped only");
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(ReadClipboardText().text, "clipboard");
}

TEST_F(DropDeliveryTest, ClickDuringTheDragDelayCancelsTheDropButKeepsTheClipboard)
{
    CopyPhraseToClipboard("kept for pasting");
    // The click is waiting in the queue when the drag's wait begins.
    ::PostMessageA(target->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    DropPhraseAtCursor("kept for pasting");
    EXPECT_TRUE(target->Drops().empty());
    EXPECT_EQ(target->DragEnterCount(), 0);
    EXPECT_EQ(ReadClipboardText().text, "kept for pasting");
}

TEST_F(DropDeliveryTest, ClickFromAnotherThreadDuringTheDragDelayCancelsTheDrop)
{
    DuringDragWait user([](HWND capture) { ::PostMessageA(capture, WM_RBUTTONDOWN, MK_RBUTTON, 0); });
    DropPhraseAtCursor("not dropped");
    user.Finish();
    EXPECT_TRUE(target->Drops().empty());
}

TEST_F(DropDeliveryTest, RefusingWindowGetsNothingAndTheClipboardKeepsTheText)
{
    target->SetAccepting(false);
    CopyPhraseToClipboard("refused");
    DropPhraseAtCursor("refused");
    EXPECT_GE(target->DragEnterCount(), 1);
    EXPECT_TRUE(target->Drops().empty());
    EXPECT_EQ(ReadClipboardText().text, "refused");
}

TEST_F(DropDeliveryTest, HeldClipboardStillGetsTheDrop)
{
    ASSERT_TRUE(PutClipboardText("held content"));
    {
        HeldClipboard held;
        ASSERT_TRUE(held.IsHeld());
        CopyPhraseToClipboard("still dropped");
        DropPhraseAtCursor("still dropped");
    }
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "still dropped");
    EXPECT_EQ(ReadClipboardText().text, "held content");
}

TEST(StoredApostropheTest, EachStoredPairBecomesOneApostrophe)
{
    EXPECT_EQ(RestoreStoredApostrophes("don\xAC`t"), "don't");
    EXPECT_EQ(RestoreStoredApostrophes("\xAC`a\xAC`\xAC`b\xAC`"), "'a''b'");
    // Lone bytes stay.
    EXPECT_EQ(RestoreStoredApostrophes("a\xAC b ` c\xAC"), "a\xAC b ` c\xAC");
    // Scanned from the start, replaced text not scanned again: the first
    // pair wins in an overlapping run, and a new pair formed by replacing is kept.
    EXPECT_EQ(RestoreStoredApostrophes("\xAC\xAC``"), "\xAC'`");
    EXPECT_EQ(RestoreStoredApostrophes(""), "");
}
