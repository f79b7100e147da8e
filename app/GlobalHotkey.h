// The global hotkey: a key chord that opens the tray menu at the mouse pointer
// from any program, and gives activation back to that program when the menu
// closes. The chord is read from HKCU\Software\Talvory, value "Hotkey"
// (REG_SZ, for example "Ctrl+Alt+Space" or "Ctrl+Shift+F12": modifiers Ctrl,
// Alt, Shift and Win, then one key name); Ctrl+Alt+Space when the value is
// absent or names no chord.
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

// Registers the configured chord on the main window for as long as it lives,
// and opens the tray menu when it is pressed (one menu at a time), or brings
// an open dialog forward. A chord that another program holds is left out,
// with one line on the debugger output.
class CGlobalHotkey : public CSubclassWnd
{
public:
    explicit CGlobalHotkey(HWND mainWindow);
    ~CGlobalHotkey() override;

    void Unregister();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnHotkey();
    // A dialog (or message box) of Talvory's that is open, or null.
    HWND OpenDialog() const;

    bool m_registered = false;
};
