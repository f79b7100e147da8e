#include "app/TrayIcon.h"

#include "app/AppState.h"
#include "app/TrayMenu.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cstring>

HWND TrayWindowHandle = nullptr;
TrayIconRecord TrayIconData = {};
TrayAnimation TrayIconAnimation = { nullptr, 0, 0 };
const UINT TrayFrameResources[5] = { IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4, IDI_FRAME_5 };

namespace {

BOOL WINAPI ShellNotifyIcon(DWORD message, void* record)
{
    return ::Shell_NotifyIconA(message, static_cast<NOTIFYICONDATAA*>(record));
}

} // namespace

NotifyIconFunction NotifyIcon = ShellNotifyIcon;

void CreateTrayWindow(HWND owner)
{
    if (TrayWindowHandle) return;
    TrayWindowHandle = ::CreateDialogParamA(InstanceHandle, MAKEINTRESOURCEA(IDD_TALVORY_DIALOG), owner,
                                            TrayWindowProc, 0);
    InstallTrayIcon(TrayWindowHandle);
    ::ShowWindow(owner, SW_HIDE);
}

BOOL InstallTrayIcon(HWND window)
{
    TrayIconAnimation.frameCount = 5;
    TrayIconAnimation.icons = new HICON[5];
    for (int i = 0; i < 5; ++i) {
        TrayIconAnimation.icons[i] = static_cast<HICON>(
            ::LoadImageA(InstanceHandle, MAKEINTRESOURCEA(TrayFrameResources[i]), IMAGE_ICON, 32, 32, 0));
    }

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
    if (!TrayIconAnimation.icons || TrayIconAnimation.frameCount <= 0) return;
    TrayIconData.hIcon = TrayIconAnimation.icons[TrayIconAnimation.nextFrame];
    NotifyIcon(NIM_MODIFY, &TrayIconData);
    TrayIconAnimation.nextFrame = (TrayIconAnimation.nextFrame + 1) % TrayIconAnimation.frameCount;
}

void RemoveTrayIcon()
{
    NotifyIcon(NIM_DELETE, &TrayIconData);
}

void ReleaseTrayIconTable()
{
    delete[] TrayIconAnimation.icons;
    TrayIconAnimation.icons = nullptr;
}
