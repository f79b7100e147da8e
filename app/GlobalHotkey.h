// The global hotkeys: two key chords that work from any program. One opens
// the tray menu at the mouse pointer and gives activation back to that
// program when the menu closes; the other opens the find window
// (dialogs/FindPhraseDlg.h), which pastes the phrase chosen there at that
// program's caret. The chords are read from HKCU\Software\Talvory, the
// values "Hotkey" and "FindHotkey" (REG_SZ, for example "Ctrl+Alt+Space" or
// "Ctrl+Shift+F12": modifiers Ctrl, Alt, Shift and Win, then one key name);
// Ctrl+Alt+Space and Ctrl+Alt+F when a value is absent or names no chord.
#pragma once

#include "preview/SubclassWnd.h"

#include <windows.h>

struct HotkeyChord
{
    UINT modifiers;  // MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN
    UINT virtualKey;
};

// The chord text names; false when it names none.
bool ParseHotkey(const char* text, HotkeyChord& chord);
// The chord configured for this user, or the default.
HotkeyChord ConfiguredHotkey();
// The find window's chord configured for this user, or the default.
HotkeyChord ConfiguredFindHotkey();

// Registers the configured chords on the main window for as long as it
// lives. Each opens its window when pressed (one menu, one find window at a
// time, never both), or brings an open dialog forward. A chord that another
// program holds is left out, with one line on the debugger output.
class CGlobalHotkey : public CSubclassWnd
{
public:
    explicit CGlobalHotkey(HWND mainWindow);
    ~CGlobalHotkey() override;

    void Unregister();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The tray menu's chord (find false) or the find window's.
    void OnHotkey(bool find);
    // A dialog (or message box) of Talvory's that is open, or null.
    HWND OpenDialog() const;

    bool m_registered = false;
    bool m_findRegistered = false;
    // The window that was active when the find window's chord was pressed.
    HWND m_findPrevious = nullptr;
};
