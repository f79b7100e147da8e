#include "app/TrayIcon.h"

#include "AfxState.h"
#include "app/AppState.h"
#include "app/TrayMenu.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cstring>

HWND TrayWindowHandle = nullptr;
TrayIconRecord TrayIconData = {};
TrayAnimation TrayIconAnimation = {{}, 0};

namespace {

// The icon resources of the five frames, in the order they are shown.
const UINT TrayFrameResources[] = {IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4, IDI_FRAME_5};

BOOL WINAPI ShellNotifyIcon(DWORD message, void* record)
{
    return ::Shell_NotifyIconA(message, static_cast<NOTIFYICONDATAA*>(record));
}

} // namespace

NotifyIconFunction NotifyIcon = ShellNotifyIcon;

void CreateTrayWindow(HWND owner)
{
    if (TrayWindowHandle) return;
    TrayWindowHandle = ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDD_TALVORY_DIALOG), owner,
                                            TrayWindowProc, 0);
    InstallTrayIcon(TrayWindowHandle);
    ::ShowWindow(owner, SW_HIDE);
}

BOOL InstallTrayIcon(HWND window)
{
    TrayIconAnimation.icons.clear();
    for (UINT resource : TrayFrameResources) {
        TrayIconAnimation.icons.emplace_back(static_cast<HICON>(
            ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(resource), IMAGE_ICON, 32, 32, 0)));
    }
    TrayIconAnimation.nextFrame = 0;

    std::memset(&TrayIconData, 0, sizeof TrayIconData);
    TrayIconData.cbSize = sizeof TrayIconData;
    TrayIconData.hWnd = window;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    std::strcpy(TrayIconData.szTip, "Talvory");
    TrayIconData.hIcon = TrayIconAnimation.icons[0];
    TrayIconData.uID = TrayIconId;
    TrayIconData.uCallbackMessage = WM_TRAYNOTIFY;
    return NotifyIcon(NIM_ADD, &TrayIconData);
}

void CALLBACK AnimateTrayIcon(HWND, UINT, UINT_PTR, DWORD)
{
    const auto& icons = TrayIconAnimation.icons;
    if (icons.empty()) return;
    TrayIconData.hIcon = icons[TrayIconAnimation.nextFrame];
    // An icon the notification area does not know is added again: one added
    // before the shell's tray was ready (a start at logon), or lost when the
    // shell restarted. Not once Exit has removed it.
    if (!NotifyIcon(NIM_MODIFY, &TrayIconData) && QuitFlag == 0) NotifyIcon(NIM_ADD, &TrayIconData);
    TrayIconAnimation.nextFrame = (TrayIconAnimation.nextFrame + 1) % icons.size();
}

void RemoveTrayIcon()
{
    NotifyIcon(NIM_DELETE, &TrayIconData);
}

void ReleaseTrayIconTable()
{
    TrayIconAnimation.icons.clear();
}
