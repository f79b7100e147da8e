#include "app/GlobalHotkey.h"

#include "AfxString.h"
#include "app/Settings.h"
#include "app/TrayMenu.h"
#include "dialogs/FindPhraseDlg.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int HotkeyId = 1;
const int FindHotkeyId = 2;
// The main window's timers that open the menu or the find window after a
// press, and their wait: long enough for keys sent at once to be through,
// too short to notice.
const UINT_PTR HotkeyTimerId = 0x7A1;
const UINT_PTR FindHotkeyTimerId = 0x7A2;
const UINT ChordSettleTime = 60;
const HotkeyChord DefaultHotkey = {MOD_CONTROL | MOD_ALT, VK_SPACE};
const HotkeyChord DefaultFindHotkey = {MOD_CONTROL | MOD_ALT, 'F'};
// Held down, the chord fires once, not once per key repeat.
const UINT NoRepeat = 0x4000; // MOD_NOREPEAT

struct KeyName
{
    const char* name;
    UINT value;
};

const KeyName Modifiers[] = {
    {"Ctrl", MOD_CONTROL}, {"Control", MOD_CONTROL}, {"Alt", MOD_ALT}, {"Shift", MOD_SHIFT}, {"Win", MOD_WIN},
};

const KeyName Keys[] = {
    {"Space", VK_SPACE},   {"Tab", VK_TAB},         {"Enter", VK_RETURN},  {"Insert", VK_INSERT},
    {"Delete", VK_DELETE}, {"Home", VK_HOME},       {"End", VK_END},       {"PageUp", VK_PRIOR},
    {"PageDown", VK_NEXT}, {"Up", VK_UP},           {"Down", VK_DOWN},     {"Left", VK_LEFT},
    {"Right", VK_RIGHT},   {"Pause", VK_PAUSE},     {"Backspace", VK_BACK}, {"Escape", VK_ESCAPE},
};

template <size_t N>
bool Lookup(const KeyName (&table)[N], const std::string& name, UINT& value)
{
    for (const KeyName& entry : table) {
        if (::lstrcmpiA(entry.name, name.c_str()) == 0) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

bool KeyFromName(const std::string& name, UINT& key)
{
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        key = static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
        return true;
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f') &&
        name.find_first_not_of("0123456789", 1) == std::string::npos) {
        int number = std::atoi(name.c_str() + 1);
        if (number < 1 || number > 24) return false;
        key = VK_F1 + static_cast<UINT>(number - 1);
        return true;
    }
    return Lookup(Keys, name, key);
}

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool ParseHotkey(const char* text, HotkeyChord& chord)
{
    if (!text) return false;
    std::string rest(text);
    HotkeyChord parsed = {0, 0};
    for (;;) {
        size_t plus = rest.find('+');
        std::string part = Trimmed(rest.substr(0, plus));
        if (plus == std::string::npos) {
            if (!KeyFromName(part, parsed.virtualKey)) return false;
            chord = parsed;
            return true;
        }
        UINT modifier = 0;
        if (!Lookup(Modifiers, part, modifier)) return false;
        parsed.modifiers |= modifier;
        rest = rest.substr(plus + 1);
    }
}

namespace {

HotkeyChord ChordSetting(const wchar_t* name, const HotkeyChord& fallback)
{
    HotkeyChord chord = fallback;
    std::wstring text = ReadSetting(name);
    // Key names are ASCII: any other character names no key.
    std::string ascii;
    for (wchar_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    if (!text.empty() && !ParseHotkey(ascii.c_str(), chord)) chord = fallback;
    return chord;
}

// Registers chord on window; a chord another program holds is said on the debugger output.
bool Register(HWND window, int id, const HotkeyChord& chord, const char* what)
{
    if (::RegisterHotKey(window, id, chord.modifiers | NoRepeat, chord.virtualKey)) return true;
    char line[160];
    std::snprintf(line, sizeof line,
                  "%s (modifiers 0x%X, key 0x%X) is taken by another program; Talvory goes on without it\n", what,
                  chord.modifiers, chord.virtualKey);
    ::OutputDebugStringA(line);
    return false;
}

} // namespace

HotkeyChord ConfiguredHotkey()
{
    return ChordSetting(L"Hotkey", DefaultHotkey);
}

HotkeyChord ConfiguredFindHotkey()
{
    return ChordSetting(L"FindHotkey", DefaultFindHotkey);
}

CGlobalHotkey::CGlobalHotkey(HWND mainWindow)
{
    m_registered = Register(mainWindow, HotkeyId, ConfiguredHotkey(), "The hotkey");
    m_findRegistered = Register(mainWindow, FindHotkeyId, ConfiguredFindHotkey(), "The find window's hotkey");
    if (m_registered || m_findRegistered) Install(mainWindow);
}

CGlobalHotkey::~CGlobalHotkey()
{
    Unregister();
}

void CGlobalHotkey::Unregister()
{
    // Registered, the chords are on the window the hook is installed on.
    if (m_registered) ::UnregisterHotKey(hookedWindow, HotkeyId);
    if (m_findRegistered) ::UnregisterHotKey(hookedWindow, FindHotkeyId);
    m_registered = m_findRegistered = false;
}

void CGlobalHotkey::OnHotkey(bool find)
{
    // A dialog of Talvory's is open (the main window owns it and is disabled
    // meanwhile): it comes forward, and no menu opens over it.
    HWND dialog = OpenDialog();
    if (dialog) {
        ::SetForegroundWindow(dialog);
        return;
    }
    // Never a second menu, nor the find window over it: a press while the
    // menu is open is left alone (an open find window is a dialog, above).
    if (TrayMenuIsOpen()) return;
    // The window where the chosen phrase is to be pasted, before Talvory
    // takes the activation.
    if (find) m_findPrevious = ::GetForegroundWindow();
    // The menu or window opens a moment later, once the chord's own key
    // messages are through: keys sent all at once (macro keys, automation
    // tools) would otherwise reach the menu after the hotkey and close it.
    // Presses meanwhile (a burst) restart the wait and open nothing of their own.
    ::SetTimer(hookedWindow, find ? FindHotkeyTimerId : HotkeyTimerId, ChordSettleTime, nullptr);
}

namespace {

struct DialogSearch
{
    HWND mainWindow;
    HWND found;
};

// The thread's visible, enabled top-level dialog (a dialog or the message
// box over it), other than the hidden main and tray windows.
BOOL CALLBACK FindOpenDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    if (window == search->mainWindow || !::IsWindowVisible(window) || !::IsWindowEnabled(window)) return TRUE;
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND CGlobalHotkey::OpenDialog() const
{
    DialogSearch search = {hookedWindow, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindOpenDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT CGlobalHotkey::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTKEY && (wParam == HotkeyId || wParam == FindHotkeyId)) {
        OnHotkey(wParam == FindHotkeyId);
        return 0;
    }
    if (message == WM_TIMER && (wParam == HotkeyTimerId || wParam == FindHotkeyTimerId)) {
        ::KillTimer(hookedWindow, wParam);
        // A dialog or the menu may have opened during the wait.
        if (OpenDialog() || TrayMenuIsOpen()) return 0;
        if (wParam == FindHotkeyTimerId) {
            OpenFindWindow(m_findPrevious);
        } else {
            OpenTrayMenu(true);
        }
        return 0;
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}
