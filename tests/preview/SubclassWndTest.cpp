// The hook chain on real windows: order, removal, window destruction,
// re-entry and the per-thread message record.
#include "preview/SubclassWnd.h"

#include "AfxApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT TestMessage = WM_APP + 1;
const UINT NestedMessage = WM_APP + 2;
const LRESULT OwnResult = 4711;

std::vector<std::string> trace;

// Seen by the window's own procedure while it handles WM_NCDESTROY.
struct NcDestroyView
{
    bool received = false;
    WNDPROC procedure = nullptr;
    bool hooksStillInstalled = false;
};
NcDestroyView ncDestroy;
std::vector<CSubclassWnd*> watchedHooks;

LRESULT CALLBACK OwnProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TestMessage || message == NestedMessage) {
        trace.push_back("own");
        return OwnResult;
    }
    if (message == WM_NCDESTROY) {
        trace.push_back("own:ncdestroy");
        ncDestroy.received = true;
        ncDestroy.procedure = reinterpret_cast<WNDPROC>(::GetWindowLongA(hwnd, GWL_WNDPROC));
        for (CSubclassWnd* hook : watchedHooks)
            if (hook->hookedWindow || hook->savedWindowProc) ncDestroy.hooksStillInstalled = true;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

class TestWindow
{
public:
    TestWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &OwnProcedure;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TalvorySubclassTestWindow";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~TestWindow()
    {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    HWND hwnd;
};

WNDPROC ProcedureOf(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(::GetWindowLongA(hwnd, GWL_WNDPROC));
}

// Writes its name to the trace for the test messages and WM_NCDESTROY, then
// passes the message on.
class NamedHook : public CSubclassWnd
{
public:
    explicit NamedHook(const char* name) : m_name(name) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == TestMessage || message == NestedMessage || message == WM_DESTROY ||
            message == WM_NCDESTROY)
            trace.push_back(m_name + (message == WM_DESTROY ? ":destroy" : message == WM_NCDESTROY ? ":ncdestroy" : ""));
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }

private:
    std::string m_name;
};

bool NotInstalled(const CSubclassWnd& hook)
{
    return !hook.hookedWindow && !hook.savedWindowProc && !hook.nextHook;
}

class SubclassWndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        trace.clear();
        ncDestroy = NcDestroyView();
        watchedHooks.clear();
        ASSERT_TRUE(::IsWindow(window.hwnd));
    }

    std::vector<std::string> Send(UINT message = TestMessage)
    {
        trace.clear();
        lastResult = ::SendMessageA(window.hwnd, message, 0, 0);
        return trace;
    }

    using Trace = std::vector<std::string>;
    TestWindow window;
    LRESULT lastResult = 0;
};

TEST_F(SubclassWndTest, NewerHookSeesEachMessageFirstAndTheOlderPassesItToTheWindow)
{
    NamedHook older("older");
    NamedHook newer("newer");
    EXPECT_TRUE(older.Install(window.hwnd));
    EXPECT_TRUE(newer.Install(window.hwnd));

    EXPECT_EQ(Send(), (Trace{ "newer", "older", "own" }));
    EXPECT_EQ(lastResult, OwnResult);

    EXPECT_EQ(ProcedureOf(window.hwnd), &SubclassWindowProc);
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), &newer);
    EXPECT_EQ(newer.nextHook, &older);
    EXPECT_EQ(older.nextHook, nullptr);
    EXPECT_EQ(newer.savedWindowProc, &OwnProcedure);
    EXPECT_EQ(older.savedWindowProc, &OwnProcedure);
    EXPECT_EQ(newer.hookedWindow, window.hwnd);
    EXPECT_EQ(older.hookedWindow, window.hwnd);
}

TEST_F(SubclassWndTest, RemovingTheNewerLeavesTheOlderAsHead)
{
    NamedHook older("older");
    NamedHook newer("newer");
    older.Install(window.hwnd);
    newer.Install(window.hwnd);

    EXPECT_TRUE(newer.Install(nullptr));

    EXPECT_TRUE(NotInstalled(newer));
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), &older);
    EXPECT_EQ(ProcedureOf(window.hwnd), &SubclassWindowProc);
    EXPECT_EQ(Send(), (Trace{ "older", "own" }));
    EXPECT_EQ(lastResult, OwnResult);
}

TEST_F(SubclassWndTest, RemovingTheOlderUnlinksIt)
{
    NamedHook older("older");
    NamedHook newer("newer");
    older.Install(window.hwnd);
    newer.Install(window.hwnd);

    EXPECT_TRUE(older.Install(nullptr));

    EXPECT_TRUE(NotInstalled(older));
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), &newer);
    EXPECT_EQ(newer.nextHook, nullptr);
    EXPECT_EQ(ProcedureOf(window.hwnd), &SubclassWindowProc);
    EXPECT_EQ(Send(), (Trace{ "newer", "own" }));
}

TEST_F(SubclassWndTest, RemovingAMiddleHookKeepsTheChainAroundIt)
{
    NamedHook oldest("oldest");
    NamedHook middle("middle");
    NamedHook newest("newest");
    oldest.Install(window.hwnd);
    middle.Install(window.hwnd);
    newest.Install(window.hwnd);

    middle.Install(nullptr);

    EXPECT_EQ(newest.nextHook, &oldest);
    EXPECT_EQ(Send(), (Trace{ "newest", "oldest", "own" }));
}

TEST_F(SubclassWndTest, RemovingTheOnlyHookGivesTheWindowItsOwnProcedureBack)
{
    NamedHook only("only");
    only.Install(window.hwnd);
    ASSERT_EQ(ProcedureOf(window.hwnd), &SubclassWindowProc);

    only.Install(nullptr);

    EXPECT_TRUE(NotInstalled(only));
    EXPECT_EQ(ProcedureOf(window.hwnd), &OwnProcedure);
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), nullptr);
    EXPECT_EQ(Send(), (Trace{ "own" }));

    // The hook can go onto the window again afterwards.
    only.Install(window.hwnd);
    EXPECT_EQ(Send(), (Trace{ "only", "own" }));
}

TEST_F(SubclassWndTest, DestructorRemovesAnInstalledHook)
{
    NamedHook older("older");
    older.Install(window.hwnd);
    {
        NamedHook scoped("scoped");
        scoped.Install(window.hwnd);
        EXPECT_EQ(Send(), (Trace{ "scoped", "older", "own" }));
    }
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), &older);
    EXPECT_EQ(Send(), (Trace{ "older", "own" }));
    {
        NamedHook last("last");
        older.Install(nullptr);
        last.Install(window.hwnd);
    }
    EXPECT_EQ(ProcedureOf(window.hwnd), &OwnProcedure);
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), nullptr);
}

TEST_F(SubclassWndTest, DestroyingTheWindowRemovesEveryHookBeforeItsOwnProcedureSeesNcDestroy)
{
    NamedHook oldest("oldest");
    NamedHook middle("middle");
    NamedHook newest("newest");
    oldest.Install(window.hwnd);
    middle.Install(window.hwnd);
    newest.Install(window.hwnd);
    watchedHooks = { &oldest, &middle, &newest };
    HWND hwnd = window.hwnd;

    trace.clear();
    ASSERT_TRUE(::DestroyWindow(hwnd));

    // Up to WM_DESTROY the chain works as ever; WM_NCDESTROY reaches only the
    // window's own procedure, by then restored and with every hook removed.
    EXPECT_EQ(trace, (Trace{ "newest:destroy", "middle:destroy", "oldest:destroy", "own:ncdestroy" }));
    EXPECT_TRUE(ncDestroy.received);
    EXPECT_EQ(ncDestroy.procedure, &OwnProcedure);
    EXPECT_FALSE(ncDestroy.hooksStillInstalled);
    EXPECT_TRUE(NotInstalled(oldest));
    EXPECT_TRUE(NotInstalled(middle));
    EXPECT_TRUE(NotInstalled(newest));
    EXPECT_EQ(CHookMap::HeadFor(hwnd), nullptr);

    // Removing or destroying the hooks afterwards touches nothing.
    EXPECT_TRUE(newest.Install(nullptr));
}

TEST_F(SubclassWndTest, HooksOnDifferentWindowsStaySeparate)
{
    TestWindow second;
    NamedHook first("first");
    NamedHook other("other");
    first.Install(window.hwnd);
    other.Install(second.hwnd);

    EXPECT_EQ(Send(), (Trace{ "first", "own" }));
    trace.clear();
    ::SendMessageA(second.hwnd, TestMessage, 0, 0);
    EXPECT_EQ(trace, (Trace{ "other", "own" }));

    first.Install(nullptr);
    EXPECT_EQ(ProcedureOf(window.hwnd), &OwnProcedure);
    EXPECT_EQ(ProcedureOf(second.hwnd), &SubclassWindowProc);
    EXPECT_EQ(CHookMap::HeadFor(second.hwnd), &other);
}

// Sends NestedMessage to its own window while handling TestMessage, and
// looks at the thread's message record at each step.
class ReentrantHook : public CSubclassWnd
{
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const MSG& record = AfxGetThreadState()->m_lastSentMsg;
        if (message == TestMessage) {
            outerOnEntry = record;
            ::SendMessageA(hookedWindow, NestedMessage, 21, 22);
            outerAfterNested = record;
        } else if (message == NestedMessage) {
            nested = record;
        }
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }

    MSG outerOnEntry = {};
    MSG nested = {};
    MSG outerAfterNested = {};
};

bool SameRecord(const MSG& a, const MSG& b)
{
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam &&
           a.time == b.time && a.pt.x == b.pt.x && a.pt.y == b.pt.y;
}

TEST_F(SubclassWndTest, ReentryRestoresTheMessageRecordCurrentOnEntry)
{
    ReentrantHook hook;
    hook.Install(window.hwnd);

    MSG before = {};
    before.hwnd = reinterpret_cast<HWND>(0x1234);
    before.message = 0x7777;
    before.wParam = 1;
    before.lParam = 2;
    before.time = 99999;
    before.pt = POINT{ 321, 654 };
    AfxGetThreadState()->m_lastSentMsg = before;

    ::SendMessageA(window.hwnd, TestMessage, 11, 12);

    // Each dispatch describes its own message...
    EXPECT_EQ(hook.outerOnEntry.hwnd, window.hwnd);
    EXPECT_EQ(hook.outerOnEntry.message, TestMessage);
    EXPECT_EQ(hook.outerOnEntry.wParam, 11u);
    EXPECT_EQ(hook.outerOnEntry.lParam, 12);
    EXPECT_EQ(hook.nested.message, NestedMessage);
    EXPECT_EQ(hook.nested.wParam, 21u);
    EXPECT_EQ(hook.nested.lParam, 22);
    // ...and each return brings back the whole record it found, time and point included.
    EXPECT_TRUE(SameRecord(hook.outerAfterNested, hook.outerOnEntry));
    EXPECT_TRUE(SameRecord(AfxGetThreadState()->m_lastSentMsg, before));
    EXPECT_EQ(hook.outerOnEntry.time, before.time);
    EXPECT_EQ(hook.outerOnEntry.pt.x, before.pt.x);
}

TEST_F(SubclassWndTest, RemovingAFreeHookChangesNothing)
{
    NamedHook installed("installed");
    installed.Install(window.hwnd);
    NamedHook free("free");

    EXPECT_TRUE(free.Install(nullptr));

    EXPECT_TRUE(NotInstalled(free));
    EXPECT_EQ(CHookMap::HeadFor(window.hwnd), &installed);
    EXPECT_EQ(Send(), (Trace{ "installed", "own" }));
}

} // namespace
