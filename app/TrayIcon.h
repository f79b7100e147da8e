// The notification-area icon: its hidden receiver window, its record, its
// installation and its five-frame animation.
#pragma once

#include <windows.h>

// The callback message of the icon (WM_APP + 200).
const UINT WM_TRAYNOTIFY = 0x80C8;
const UINT TrayIconId = 2005;

// The first-version notification-icon record (88 bytes), which every shell
// accepts; today's headers declare a larger NOTIFYICONDATAA.
#pragma pack(push, 4)
struct TrayIconRecord
{
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};
#pragma pack(pop)
static_assert(sizeof(TrayIconRecord) == 88, "the first-version record is 88 bytes");

extern HWND TrayWindowHandle;
extern TrayIconRecord TrayIconData;

// The animation: the frames' icons in order, their count and the next one.
struct TrayAnimation
{
    HICON* icons;
    int frameCount;
    int nextFrame;
};
extern TrayAnimation TrayIconAnimation;

// The icon resources of the five frames, in the order they are shown.
extern const UINT TrayFrameResources[5];

// Shell_NotifyIconA, called through this pointer so that the calls can be
// observed; it points at the shell's function.
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, void* record);
extern NotifyIconFunction NotifyIcon;

// Creates the hidden tray window (once per process) owned by owner, installs
// the icon, and hides owner again.
void CreateTrayWindow(HWND owner);
// Loads the frames and adds the icon showing frame 0 for window.
BOOL InstallTrayIcon(HWND window);
// The one-second thread timer's callback: shows the next frame.
void CALLBACK AnimateTrayIcon(HWND, UINT, UINT_PTR, DWORD);
// Removes the icon from the notification area.
void RemoveTrayIcon();
// Releases the frame table at shutdown (the icons themselves are shared).
void ReleaseTrayIconTable();
