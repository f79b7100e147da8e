// The hook chain on real windows: order, removal, the window's destruction
// and re-entry.
#include "preview/SubclassWnd.h"

#include "AfxApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT TestMessage = WM_APP + 1;
const LRESULT OwnResult = 4711;

using Trace = std::vector<std::string>;
Trace trace;
WNDPROC procedureAtNcDestroy = nullptr;

LRESULT CALLBACK OwnProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TestMessage) {
        trace.push_back("own");
        return OwnResult;
    }
    if (message == WM_NCDESTROY) {
        trace.push_back("own:ncdestroy");
        procedureAtNcDestroy = reinterpret_cast<WNDPROC>(::GetWindowLongA(hwnd, GWL_WNDPROC));
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND NewWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &OwnProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TalvorySubclassTestWindow";
    ::RegisterClassA(&wc); // fails harmlessly the second time
    return ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                             nullptr);
}

WNDPROC ProcedureOf(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(::GetWindowLongA(hwnd, GWL_WNDPROC));
}

bool NotInstalled(const CSubclassWnd& hook)
{
    return !hook.hookedWindow && !hook.savedWindowProc && !hook.nextHook;
}

// Writes its name to the trace, then passes the message on.
class NamedHook : public CSubclassWnd
{
public:
    explicit NamedHook(const char* name) : name(name) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == TestMessage) trace.push_back(name);
        if (message == WM_DESTROY) trace.push_back(name + ":destroy");
        if (message == WM_NCDESTROY) trace.push_back(name + ":ncdestroy");
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }

    std::string name;
};

// Who saw a test message, on its way to the window's own procedure.
Trace Send(HWND window)
{
    trace.clear();
    EXPECT_EQ(::SendMessageA(window, TestMessage, 0, 0), OwnResult);
    return trace;
}

TEST(SubclassWndTest, HooksRunNewestFirstAndRemovalKeepsTheRestOfTheChain)
{
    HWND window = NewWindow(), other = NewWindow();
    NamedHook free("free"), elsewhere("elsewhere");
    elsewhere.Install(other);
    {
        NamedHook oldest("oldest"), middle("middle"), newest("newest");
        EXPECT_TRUE(oldest.Install(window));
        middle.Install(window);
        newest.Install(window);
        EXPECT_EQ(Send(window), (Trace{ "newest", "middle", "oldest", "own" }));

        // A hook that is not installed has nothing to remove.
        EXPECT_TRUE(free.Install(nullptr));
        EXPECT_TRUE(NotInstalled(free));

        EXPECT_TRUE(middle.Install(nullptr));
        EXPECT_TRUE(NotInstalled(middle));
        EXPECT_EQ(Send(window), (Trace{ "newest", "oldest", "own" }));
        oldest.Install(nullptr); // the older of two
        EXPECT_EQ(Send(window), (Trace{ "newest", "own" }));
        EXPECT_EQ(ProcedureOf(window), &SubclassWindowProc);
        newest.Install(nullptr); // the only one: the window's own procedure comes back
        EXPECT_TRUE(NotInstalled(newest));
        EXPECT_EQ(ProcedureOf(window), &OwnProcedure);
        EXPECT_EQ(Send(window), (Trace{ "own" }));

        // Installed again; removing the newer leaves the older in charge.
        oldest.Install(window);
        newest.Install(window);
        newest.Install(nullptr);
        EXPECT_EQ(Send(window), (Trace{ "oldest", "own" }));
        EXPECT_EQ(ProcedureOf(window), &SubclassWindowProc);
    } // oldest's destructor removes it
    EXPECT_EQ(ProcedureOf(window), &OwnProcedure);
    EXPECT_EQ(CHookMap::HeadFor(window), nullptr);
    EXPECT_EQ(Send(other), (Trace{ "elsewhere", "own" }));
    ::DestroyWindow(window);
    ::DestroyWindow(other);
}

TEST(SubclassWndTest, DestroyingTheWindowRemovesTheHooksBeforeItsOwnProcedureSeesNcDestroy)
{
    HWND window = NewWindow();
    NamedHook older("older"), newer("newer");
    older.Install(window);
    newer.Install(window);

    trace.clear();
    ASSERT_TRUE(::DestroyWindow(window));

    // WM_DESTROY still passes the chain; WM_NCDESTROY reaches only the window's
    // own procedure, by then back in place.
    EXPECT_EQ(trace, (Trace{ "newer:destroy", "older:destroy", "own:ncdestroy" }));
    EXPECT_EQ(procedureAtNcDestroy, &OwnProcedure);
    EXPECT_TRUE(NotInstalled(older));
    EXPECT_TRUE(NotInstalled(newer));
    EXPECT_EQ(CHookMap::HeadFor(window), nullptr);
    EXPECT_TRUE(newer.Install(nullptr));
}

// Notes the thread's message record ("message/wParam", relative to
// TestMessage) on entry and, for TestMessage, again after a nested message.
class ReentrantHook : public CSubclassWnd
{
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        Note();
        if (message == TestMessage) {
            ::SendMessageA(hookedWindow, TestMessage + 1, 21, 0);
            Note();
        }
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
    void Note()
    {
        const MSG& record = AfxGetThreadState()->m_lastSentMsg;
        notes.push_back(std::to_string(record.message - TestMessage) + "/" + std::to_string(record.wParam) +
                        (record.hwnd == hookedWindow ? "" : " elsewhere"));
    }
    Trace notes;
};

TEST(SubclassWndTest, ReentryRestoresTheMessageRecordOfTheOuterMessage)
{
    HWND window = NewWindow();
    ReentrantHook hook;
    hook.Install(window);
    MSG& record = AfxGetThreadState()->m_lastSentMsg;
    record = MSG{};
    record.message = 0x7777;
    record.time = 99999;

    ::SendMessageA(window, TestMessage, 11, 0);

    EXPECT_EQ(hook.notes, (Trace{ "0/11", "1/21", "0/11" }));
    EXPECT_EQ(record.message, 0x7777u);
    EXPECT_EQ(record.time, 99999u);
    ::DestroyWindow(window);
}

} // namespace
