// The notification-area icon: its hidden receiver window, its record, its
// installation and its five-frame animation.
#pragma once

#include "AfxHandles.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

// The callback message of the icon (WM_APP + 200).
const UINT WM_TRAYNOTIFY = 0x80C8;
const UINT TrayIconId = 2005;

// The first-version notification-icon record, which every shell accepts;
// today's headers declare a larger NOTIFYICONDATAA. Its fields lie where the
// platform's own record has them: 88 bytes in a 32-bit program, 104 in a
// 64-bit one (handles are 8 bytes there, aligned to 8).
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
static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V1_SIZE, "the shell's first-version record");

extern HWND TrayWindowHandle;
extern TrayIconRecord TrayIconData;

// The animation: the frames' icons in the order they are shown, and the next one.
struct TrayAnimation
{
    std::vector<CIconHandle> icons;
    size_t nextFrame;
};
extern TrayAnimation TrayIconAnimation;

// Shell_NotifyIconA, called through this pointer so that the calls can be
// observed; it points at the shell's function.
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, void* record);
extern NotifyIconFunction NotifyIcon;

// Creates the hidden tray window (once per process) owned by owner, installs
// the icon, and hides owner again.
void CreateTrayWindow(HWND owner);
// Loads the frames and adds the icon showing frame 0 for window.
BOOL InstallTrayIcon(HWND window);
// The one-second thread timer's callback: shows the next frame, adding the
// icon again when the notification area does not know it (until Exit).
void CALLBACK AnimateTrayIcon(HWND, UINT, UINT_PTR, DWORD);
// Removes the icon from the notification area.
void RemoveTrayIcon();
// Releases the frames at shutdown.
void ReleaseTrayIconTable();
