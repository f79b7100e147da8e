// COleDataSource::DoDragDrop with the standard drop source: the wait before
// the drag, and the drop on a real OLE drop target under the cursor.
#include "AfxApp.h"
#include "AfxDataSource.h"
#include "AfxWnd.h"
#include "DeliveryChild.h"
#include "DeliveryTestSupport.h"
#include "support/DropTargetWindow.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

// Long enough that a drag starting within the test's bounds was not started by the delay.
const UINT LongDelay = 10000;
const DWORD WellBeforeLongDelay = 5000;

} // namespace

class DragDropTest : public OleTest
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

TEST_F(DragDropTest, RestingCursorDropsAfterTheDragDelay)
{
    DataSourcePtr source = TextSource("Thank you for your letter.");
    DWORD start = ::GetTickCount();
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    DWORD elapsed = ::GetTickCount() - start;

    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "Thank you for your letter.");
    EXPECT_TRUE(target->Drops()[0].terminated);
    EXPECT_EQ(target->Drops()[0].effectsOffered, DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    // Nothing moved the mouse: the drag waited for the delay (200 ms unless configured).
    EXPECT_GE(elapsed, AfxGetDragSettings().delay);
    EXPECT_LT(elapsed, AfxGetDragSettings().delay + 5000);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(DragDropTest, LeavingTheStartSquareStartsTheDrag)
{
    POINT centre = target->Centre();
    COleDropSource dropSource;
    dropSource.m_dragDelay = LongDelay;
    ASSERT_EQ(dropSource.m_dragMinDist, AfxGetDragSettings().minDistance);
    int inside = dropSource.m_dragMinDist - 1;
    int outside = dropSource.m_dragMinDist + 1;

    DataSourcePtr source = TextSource("moved");
    DuringDragWait mouse([&](HWND) {
        // Within the square around the start: still waiting.
        ::SetCursorPos(centre.x + inside, centre.y - inside);
        ::Sleep(500);
        ::SetCursorPos(centre.x - outside, centre.y);
    });
    DWORD start = ::GetTickCount();
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY, nullptr, &dropSource);
    DWORD elapsed = ::GetTickCount() - start;
    mouse.Finish();

    EXPECT_TRUE(dropSource.m_bDragStarted);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "moved");
    EXPECT_GE(elapsed, 500u);
    EXPECT_LT(elapsed, WellBeforeLongDelay);
}

TEST_F(DragDropTest, CursorAtScreenOriginStartsWithoutWaiting)
{
    DropTargetWindow corner(0, 0, 200, 200);
    ::SetCursorPos(0, 0);
    PumpMessages();
    POINT cursor;
    ::GetCursorPos(&cursor);
    ASSERT_EQ(cursor.x, 0);
    ASSERT_EQ(cursor.y, 0);

    COleDropSource dropSource;
    dropSource.m_dragDelay = LongDelay;
    DataSourcePtr source = TextSource("corner");
    DWORD start = ::GetTickCount();
    source->DoDragDrop(DROPEFFECT_COPY, nullptr, &dropSource);
    EXPECT_LT(::GetTickCount() - start, WellBeforeLongDelay);
    ASSERT_EQ(corner.Drops().size(), 1u);
    EXPECT_EQ(corner.Drops()[0].text, "corner");
}

TEST_F(DragDropTest, GivenStartRectangleIsUsedAsIs)
{
    // The cursor lies outside the given rectangle: the first mouse message starts the drag.
    POINT centre = target->Centre();
    RECT away = {centre.x + 50, centre.y + 50, centre.x + 60, centre.y + 60};
    COleDropSource dropSource;
    dropSource.m_dragDelay = LongDelay;
    DataSourcePtr source = TextSource("rectangle");
    DuringDragWait mouse([&](HWND) { ::SetCursorPos(centre.x + 1, centre.y); });
    DWORD start = ::GetTickCount();
    source->DoDragDrop(DROPEFFECT_COPY, &away, &dropSource);
    mouse.Finish();
    EXPECT_LT(::GetTickCount() - start, WellBeforeLongDelay);
    EXPECT_TRUE(::EqualRect(&dropSource.m_rectStartDrag, &away));
    EXPECT_EQ(target->Drops().size(), 1u);
}

// A press or release of either button, or Esc, during the wait: no drag.
class DragCancelTest : public DragDropTest, public ::testing::WithParamInterface<std::pair<UINT, WPARAM>>
{
};

TEST_P(DragCancelTest, InputDuringTheWaitCancelsTheDrag)
{
    COleDropSource dropSource;
    dropSource.m_dragDelay = LongDelay;
    DataSourcePtr source = TextSource("never dropped");
    UINT message = GetParam().first;
    WPARAM wParam = GetParam().second;
    DuringDragWait user([&](HWND capture) { ::PostMessageA(capture, message, wParam, 0); });
    DWORD start = ::GetTickCount();
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, nullptr, &dropSource);
    DWORD elapsed = ::GetTickCount() - start;
    user.Finish();

    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_FALSE(dropSource.m_bDragStarted);
    EXPECT_LT(elapsed, WellBeforeLongDelay);
    EXPECT_EQ(target->DragEnterCount(), 0);
    EXPECT_TRUE(target->Drops().empty());
    EXPECT_EQ(::GetCapture(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Inputs, DragCancelTest,
                         ::testing::Values(std::make_pair(UINT(WM_LBUTTONDOWN), WPARAM(MK_LBUTTON)),
                                           std::make_pair(UINT(WM_LBUTTONUP), WPARAM(0)),
                                           std::make_pair(UINT(WM_RBUTTONDOWN), WPARAM(MK_RBUTTON)),
                                           std::make_pair(UINT(WM_RBUTTONUP), WPARAM(0)),
                                           std::make_pair(UINT(WM_KEYDOWN), WPARAM(VK_ESCAPE))));

namespace {

// A main window that gives the mouse capture away when told to.
class CaptureStealingWindow : public CWnd
{
public:
    static const UINT StealCapture = WM_APP + 1;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == StealCapture) {
            ::SetCapture(reinterpret_cast<HWND>(wParam));
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST_F(DragDropTest, MainWindowHoldsTheCaptureAndLosingItEndsTheWait)
{
    CWinApp app;
    CaptureStealingWindow mainWindow;
    ASSERT_TRUE(mainWindow.CreateEx(0, AfxRegisterWndClass(0), "Main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = &mainWindow;
    HWND thief = target->Handle();

    COleDropSource dropSource;
    dropSource.m_dragDelay = LongDelay;
    DataSourcePtr source = TextSource("captured");
    DuringDragWait other([&](HWND capture) {
        // Sent, so it runs on the waiting thread while the wait looks at its queue.
        ::SendMessageA(capture, CaptureStealingWindow::StealCapture, reinterpret_cast<WPARAM>(thief), 0);
    });
    DWORD start = ::GetTickCount();
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY, nullptr, &dropSource);
    HWND captureSeen = other.Finish();

    EXPECT_EQ(captureSeen, mainWindow.m_hWnd);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_LT(::GetTickCount() - start, WellBeforeLongDelay);
    EXPECT_TRUE(target->Drops().empty());
    // The capture that someone else took is left to them.
    EXPECT_EQ(::GetCapture(), thief);
    ::ReleaseCapture();
    app.m_pMainWnd = nullptr;
}

TEST_F(DragDropTest, HeldButtonCarriesTheDragUntilItIsReleased)
{
    // The left button is down when the drag is offered: it becomes the drop
    // button, the drag goes on while it is held and drops at its release.
    INPUT press = {};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &press, sizeof press);
    for (int i = 0; i < 100 && ::GetKeyState(VK_LBUTTON) >= 0; ++i) {
        ::Sleep(10);
        PumpMessages();
    }
    ASSERT_LT(::GetKeyState(VK_LBUTTON), 0);

    COleDropSource dropSource;
    dropSource.m_dragDelay = 100;
    DataSourcePtr source = TextSource("held");
    DWORD releaseTick = 0;
    DWORD owner = ::GetCurrentThreadId();
    std::thread user([&] {
        // Wait until the platform's drag loop holds the mouse (another window than the wait's).
        HWND waitCapture = nullptr;
        DWORD begin = ::GetTickCount();
        while (::GetTickCount() - begin < 10000) {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            ::GetGUIThreadInfo(owner, &info);
            if (info.hwndCapture && !waitCapture) waitCapture = info.hwndCapture;
            if (info.hwndCapture && info.hwndCapture != waitCapture) break;
            ::Sleep(5);
        }
        ::Sleep(600);
        releaseTick = ::GetTickCount();
        INPUT release = {};
        release.type = INPUT_MOUSE;
        release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(1, &release, sizeof release);
    });
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY, nullptr, &dropSource);
    user.join();

    EXPECT_EQ(dropSource.m_dwButtonDrop, DWORD(MK_LBUTTON));
    EXPECT_EQ(dropSource.m_dwButtonCancel, DWORD(MK_RBUTTON));
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    ASSERT_EQ(target->Drops().size(), 1u);
    EXPECT_EQ(target->Drops()[0].text, "held");
    // Dropped at the release, not before.
    EXPECT_GE(static_cast<LONG>(target->LastDropTick() - releaseTick), 0);
}

TEST(DropSourceTest, QueryContinueDragFollowsTheDropAndCancelButtons)
{
    COleDropSource leftDrag;
    leftDrag.m_dwButtonDrop = MK_LBUTTON;
    leftDrag.m_dwButtonCancel = MK_RBUTTON;
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(leftDrag.QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(leftDrag.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);

    // Offered with no button held (after a menu choice): the first query drops.
    COleDropSource noButton;
    EXPECT_EQ(noButton.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(noButton.QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
    EXPECT_EQ(noButton.GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

namespace {

// Sets a "windows" profile value for the test and puts the previous one back.
class ProfileValue
{
public:
    ProfileValue(const char* key, const char* value) : m_key(key)
    {
        char previous[64] = {};
        m_existed = ::GetProfileStringA("windows", key, "", previous, sizeof previous) > 0;
        m_previous = previous;
        ::WriteProfileStringA("windows", key, value);
    }
    ~ProfileValue() { ::WriteProfileStringA("windows", m_key, m_existed ? m_previous.c_str() : nullptr); }

private:
    const char* m_key;
    bool m_existed = false;
    std::string m_previous;
};

// What a fresh process reads: the settings, then a drop source's copy of
// them after DragDelay was changed to 1500 meanwhile.
std::string SettingsReadByAnotherProcess()
{
    ::DeleteFileA("settings.txt");
    if (RunDeliveryHelper("drag-settings settings.txt") != 0) return "(helper failed)";
    std::ifstream file("settings.txt");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

// The settings are read once per process, so each case reads them in a fresh one.
TEST(DragSettingsTest, DefaultsWithoutProfileValues)
{
    char value[64];
    bool delaySet = ::GetProfileStringA("windows", "DragDelay", "", value, sizeof value) > 0;
    bool distanceSet = ::GetProfileStringA("windows", "DragMinDist", "", value, sizeof value) > 0;
    if (delaySet || distanceSet) GTEST_SKIP() << "this Windows sets its own drag values";
    ProfileValue restoreDelay("DragDelay", nullptr);
    EXPECT_EQ(SettingsReadByAnotherProcess(), "2 200\n2 200\n");
}

TEST(DragSettingsTest, ProfileValuesAreReadOncePerProcess)
{
    ProfileValue delay("DragDelay", "750");
    ProfileValue distance("DragMinDist", "7");
    EXPECT_EQ(SettingsReadByAnotherProcess(), "7 750\n7 750\n");
}
