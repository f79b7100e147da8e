// The tray icon's record, its installation and its animation, observed at
// the calls the program makes to the shell.
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

struct NotifyCall
{
    DWORD message;
    TrayIconRecord record;
    DWORD tick;
};
std::vector<NotifyCall> calls;
NotifyIconFunction shellNotifyIcon = nullptr;

BOOL WINAPI RecordingNotifyIcon(DWORD message, void* record)
{
    calls.push_back({ message, *static_cast<TrayIconRecord*>(record), ::GetTickCount() });
    return shellNotifyIcon(message, record);
}

// The pixels of an icon's colour image, to tell which resource it came from.
std::string IconPixels(HICON icon)
{
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    BITMAP bitmap = {};
    ::GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    std::string bits(static_cast<size_t>(bitmap.bmWidthBytes * bitmap.bmHeight), '\0');
    ::GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), &bits[0]);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bits;
}

// The icon resource an icon handle shows, or 0.
UINT FrameResourceOf(HICON icon)
{
    std::string pixels = IconPixels(icon);
    for (UINT resource : { IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4, IDI_FRAME_5 }) {
        HICON reference = static_cast<HICON>(
            ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), IMAGE_ICON, 32, 32, 0));
        bool same = IconPixels(reference) == pixels;
        ::DestroyIcon(reference);
        if (same) return resource;
    }
    return 0;
}

class TrayIconTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InstanceHandle = ::GetModuleHandleA(nullptr);
        shellNotifyIcon = NotifyIcon;
        NotifyIcon = RecordingNotifyIcon;
        owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        // The icon goes with the tray window when the process ends.
        NotifyIcon = shellNotifyIcon;
        ::DestroyWindow(owner);
    }
    static void PumpMessagesFor(DWORD milliseconds)
    {
        DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < milliseconds) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    HWND owner = nullptr;
};

} // namespace

TEST_F(TrayIconTest, TrayWindowIsCreatedOnceAndAddsTheIconWithTheFirstVersionRecord)
{
    CreateTrayWindow(owner);
    ASSERT_NE(TrayWindowHandle, nullptr);
    EXPECT_FALSE(::IsWindowVisible(TrayWindowHandle));
    EXPECT_EQ(::GetWindow(TrayWindowHandle, GW_OWNER), owner);

    ASSERT_EQ(calls.size(), 1u);
    const NotifyCall& add = calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.record.cbSize, 88u);
    EXPECT_EQ(add.record.hWnd, TrayWindowHandle);
    EXPECT_EQ(add.record.uID, 2005u);
    EXPECT_EQ(add.record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.record.uCallbackMessage, 0x80C8u);
    EXPECT_STREQ(add.record.szTip, "Talvory");
    for (size_t i = sizeof "Talvory"; i < sizeof add.record.szTip; ++i) EXPECT_EQ(add.record.szTip[i], 0);
    EXPECT_EQ(FrameResourceOf(add.record.hIcon), static_cast<UINT>(IDI_FRAME_1));

    // A second editor's initialisation does not add a second icon.
    HWND tray = TrayWindowHandle;
    CreateTrayWindow(owner);
    EXPECT_EQ(TrayWindowHandle, tray);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(TrayIconTest, FramesFollowOneAnotherEverySecond)
{
    CreateTrayWindow(owner);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 1000, AnimateTrayIcon);
    PumpMessagesFor(6700);
    ::KillTimer(nullptr, timer);

    std::vector<UINT> shown;
    std::vector<DWORD> ticks;
    for (const NotifyCall& call : calls) {
        if (call.message == NIM_ADD) {
            shown.push_back(FrameResourceOf(call.record.hIcon));
            continue;
        }
        ASSERT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(call.record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_STREQ(call.record.szTip, "Talvory");
        shown.push_back(FrameResourceOf(call.record.hIcon));
        ticks.push_back(call.tick);
    }
    // The icon is added showing the first frame, and the first tick shows it again.
    ASSERT_GE(shown.size(), 7u);
    std::vector<UINT> expected = { IDI_FRAME_1, IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3,
                                   IDI_FRAME_4, IDI_FRAME_5, IDI_FRAME_1 };
    shown.resize(7);
    EXPECT_EQ(shown, expected);
    ASSERT_GE(ticks.size(), 6u);
    for (size_t i = 1; i < 6; ++i) {
        EXPECT_GE(ticks[i] - ticks[i - 1], 700u);
        EXPECT_LE(ticks[i] - ticks[i - 1], 1600u);
    }
}

TEST_F(TrayIconTest, RemovalDeletesTheSameIcon)
{
    CreateTrayWindow(owner);
    RemoveTrayIcon();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[1].record.hWnd, TrayWindowHandle);
    EXPECT_EQ(calls[1].record.uID, 2005u);
}
