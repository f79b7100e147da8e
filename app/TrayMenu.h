// The tray window's dialog procedure: the tray menu and its commands.
#pragma once

#include <windows.h>

// Returns FALSE for every message; acts on left or right button presses on the icon.
INT_PTR CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
