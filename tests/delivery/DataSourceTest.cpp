// The framework's pieces of delivery: COleDataSource as an IDataObject, its
// standard drop source with a real OLE drop target under the cursor, the drag
// settings, and CSharedFile.
#include "AfxDataSource.h"
#include "AfxSharedFile.h"
#include "DeliveryTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// Long enough that a drag within the test's bounds was not started by the delay.
const UINT LongDelay = 10000;

} // namespace

TEST(DataSourceTest, ServesOwnCopiesOfTheCachedTextOnly)
{
    DataSourcePtr source = TextSource("Kind regards");
    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC anyMedium = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_FILE};
    FORMATETC stream = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    FORMATETC unicode = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(source->QueryGetData(&text), S_OK);
    EXPECT_EQ(source->QueryGetData(&anyMedium), S_OK);
    EXPECT_EQ(source->QueryGetData(&unicode), DV_E_FORMATETC);
    EXPECT_EQ(source->QueryGetData(&stream), DV_E_TYMED);
    STGMEDIUM medium = {};
    EXPECT_TRUE(FAILED(source->GetData(&unicode, &medium)));

    // Each receiver owns its block: changing and freeing it leaves the cache alone.
    for (int receiver = 0; receiver < 2; ++receiver) {
        ASSERT_EQ(source->GetData(&anyMedium, &medium), S_OK);
        EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
        char* bytes = static_cast<char*>(::GlobalLock(medium.hGlobal));
        EXPECT_STREQ(bytes, "Kind regards");
        bytes[0] = 'X';
        ::GlobalUnlock(medium.hGlobal);
        ::ReleaseStgMedium(&medium);
    }
    // A caller's block too small for the text is refused, not overrun.
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, 4);
    EXPECT_EQ(source->GetDataHere(&text, &medium), STG_E_MEDIUMFULL);
    ::GlobalFree(medium.hGlobal);
}

// The block keeps a zero byte after the data, also when the data fills a step
// of 4096 bytes exactly; the second half of each text makes the block grow.
TEST(SharedFileTest, DataIsAlwaysFollowedByAZeroByte)
{
    for (size_t length : {size_t(1), size_t(4095), size_t(4096), size_t(8192)}) {
        std::string text = SampleText(length);
        CSharedFile file;
        ASSERT_TRUE(file.Write(text.data(), UINT(length / 2)));
        ASSERT_TRUE(file.Write(text.data() + length / 2, UINT(length - length / 2)));
        HGLOBAL block = file.Detach();
        ASSERT_NE(block, nullptr);
        ASSERT_GT(::GlobalSize(block), length);
        const char* bytes = static_cast<const char*>(::GlobalLock(block));
        EXPECT_EQ(std::string(bytes, length), text);
        EXPECT_EQ(bytes[length], '\0') << length;
        ::GlobalUnlock(block);
        ::GlobalFree(block);
    }
}

using DragDropTest = DropTest;

TEST_F(DragDropTest, ClickEscOrLostCaptureDuringTheWaitCancelsTheDrag)
{
    const std::pair<UINT, WPARAM> inputs[] = {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0},
                                              {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_RBUTTONUP, 0},
                                              {WM_KEYDOWN, VK_ESCAPE},      {WM_CANCELMODE, 0}};
    for (const auto& input : inputs) {
        COleDropSource dropSource;
        dropSource.m_dragDelay = LongDelay;
        DataSourcePtr source = TextSource("never dropped");
        // Cancel mode makes the capture window give the capture up.
        std::thread user = WhenCaptured([&](HWND capture) {
            if (input.first == WM_CANCELMODE) ::SendMessageA(capture, input.first, 0, 0);
            else ::PostMessageA(capture, input.first, input.second, 0);
        });
        DWORD effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, nullptr, &dropSource);
        user.join();
        EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE)) << input.first;
        EXPECT_FALSE(dropSource.m_bDragStarted) << input.first;
        EXPECT_EQ(::GetCapture(), nullptr);
    }
    EXPECT_EQ(target->DragEnterCount(), 0);
}

TEST_F(DragDropTest, LeavingTheStartSquareStartsTheDrag)
{
    POINT centre = target->Centre();
    COleDropSource dropSource;
    dropSource.m_dragDelay = LongDelay;
    int distance = dropSource.m_dragMinDist;
    DataSourcePtr source = TextSource("moved");
    std::thread mouse = WhenCaptured([&](HWND) {
        ::SetCursorPos(centre.x + distance - 1, centre.y - distance + 1);
        ::Sleep(500);
        ::SetCursorPos(centre.x - distance - 1, centre.y);
    });
    DWORD start = ::GetTickCount();
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY, nullptr, &dropSource);
    DWORD elapsed = ::GetTickCount() - start;
    mouse.join();

    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "moved");
    // Not on the move within the square, and well before the delay.
    EXPECT_GE(elapsed, 500u);
    EXPECT_LT(elapsed, LongDelay / 2);
}

TEST_F(DragDropTest, DropSourceFollowsTheDropAndCancelButtons)
{
    COleDropSource leftDrag;
    leftDrag.m_dwButtonDrop = MK_LBUTTON;
    leftDrag.m_dwButtonCancel = MK_RBUTTON;
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(leftDrag.QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    // Offered with no button held (after a menu choice): the first query drops.
    COleDropSource noButton;
    EXPECT_EQ(noButton.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(noButton.QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
}

// The drag settings are read once per process, and each test runs in a process of its own.
TEST_F(DragDropTest, DefaultSettingsWithoutProfileValues)
{
    char value[16];
    if (::GetProfileStringA("windows", "DragDelay", "", value, sizeof value) > 0 ||
        ::GetProfileStringA("windows", "DragMinDist", "", value, sizeof value) > 0)
        GTEST_SKIP() << "this Windows sets its own drag values";
    EXPECT_EQ(AfxGetDragSettings().minDistance, 2);
    EXPECT_EQ(AfxGetDragSettings().delay, 200u);
}

TEST_F(DragDropTest, SettingsAreReadFromTheProfileOncePerProcess)
{
    char delay[16] = "", distance[16] = "";
    bool hadDelay = ::GetProfileStringA("windows", "DragDelay", "", delay, sizeof delay) > 0;
    bool hadDistance = ::GetProfileStringA("windows", "DragMinDist", "", distance, sizeof distance) > 0;
    ::WriteProfileStringA("windows", "DragDelay", "750");
    ::WriteProfileStringA("windows", "DragMinDist", "7");
    EXPECT_EQ(AfxGetDragSettings().minDistance, 7);
    EXPECT_EQ(AfxGetDragSettings().delay, 750u);
    ::WriteProfileStringA("windows", "DragDelay", "1500");
    EXPECT_EQ(COleDropSource().m_dragDelay, 750u);

    ::WriteProfileStringA("windows", "DragDelay", hadDelay ? delay : nullptr);
    ::WriteProfileStringA("windows", "DragMinDist", hadDistance ? distance : nullptr);
}
