// The tray window's dialog procedure: the tray menu and its commands.
#pragma once

#include "AfxString.h"

#include <windows.h>

// Returns FALSE for every message; opens the tray menu on a left or right
// button press on the icon, and ends the program as Exit does on WM_CLOSE.
INT_PTR CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the menu, tracks it at the cursor with the main window as owner,
// and dispatches the chosen command; nothing while the menu is open already.
// Opened by the hotkey, the window that was in the foreground is activated
// again when the menu closes, unless the command opens a dialog.
void OpenTrayMenu(bool fromHotkey = false);
// True while the tray menu is built or tracked.
bool TrayMenuIsOpen();
// Reads the categories and their phrases and inserts one item per category
// at the top of popup, each with a submenu of its phrases when it has any;
// when they cannot be read, one grayed item saying why.
void InsertCategorySubmenus(HMENU popup);
// Carries out the command chosen in the tray menu (0: dismissed).
void DispatchTrayCommand(UINT commandId);
