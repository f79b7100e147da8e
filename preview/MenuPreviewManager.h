// CMenuPreviewManager: a hook on the window that owns the tray menu while it
// is tracked. From the menu notifications it receives (WM_MENUSELECT,
// WM_ENTERIDLE) it places the preview popup beside the highlighted phrase and
// shows the phrase's first words, after a second, or at once while a preview
// is already showing.
#pragma once

#include "preview/PopupText.h"
#include "preview/SubclassWnd.h"

#include <windows.h>

class CMenuPreviewManager : public CSubclassWnd
{
    // No destructor of its own: at exit the popup (window and font) goes
    // first, then the base class removes the hook if it is still installed.
public:
    // Watches WM_MENUSELECT and WM_ENTERIDLE and passes every message on.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // A new item is highlighted (flags 0xFFFF: the menu is closing).
    void OnMenuSelect(UINT itemId, UINT flags, HMENU menu);
    // The menu loop is idle; a mouse-selected preview hides when the pointer
    // has left the menu window, and any preview when the menu window it stands
    // beside has closed.
    void OnEnterIdle(UINT reason, HWND menuWindow);
    // The place of itemId's row beside the open menu window, in screen
    // coordinates: left at the menu window's right edge, the item's own width
    // and height. Empty when the menu has no such item or no menu window is open.
    RECT LocateItemRect(HMENU menu, UINT itemId) const;
    // The open menu window: the first top-level window of the menu class.
    static HWND FindMenuWindow();

    CPopupText popup;
    // The item highlighted last was selected with the mouse.
    bool mouseSelected = false;
    // A preview has been showing since the menu opened: show the next at once.
    bool showImmediately = false;
    // The wait before the first preview, in milliseconds.
    UINT showDelay = 1000;
    // The menu window the popup was last placed beside; null once that
    // preview is over.
    HWND previewMenuWindow = nullptr;

    // The popup's left edge lies this far left of the menu window's right
    // edge. None: a narrow menu's item would be hidden under its own preview.
    static const int PopupOverlap = 0;
};

// The one manager, installed on the main window by its initialisation.
extern CMenuPreviewManager MenuPreviewManager;
