#include "app/GlobalHotkey.h"

#include "AfxString.h"
#include "app/Settings.h"
#include "app/TrayMenu.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int HotkeyId = 1;
// The main window's timer that opens the menu after a press, and its wait:
// long enough for keys sent at once to be through, too short to notice.
const UINT_PTR HotkeyTimerId = 0x7A1;
const UINT ChordSettleTime = 60;
const HotkeyChord DefaultHotkey = {MOD_CONTROL | MOD_ALT, VK_SPACE};
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

HotkeyChord ConfiguredHotkey()
{
    HotkeyChord chord = DefaultHotkey;
    std::wstring text = ReadSetting(L"Hotkey");
    // Key names are ASCII: any other character names no key.
    std::string ascii;
    for (wchar_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    if (!text.empty() && !ParseHotkey(ascii.c_str(), chord)) chord = DefaultHotkey;
    return chord;
}

CGlobalHotkey::CGlobalHotkey(HWND mainWindow)
{
    HotkeyChord chord = ConfiguredHotkey();
    m_registered = ::RegisterHotKey(mainWindow, HotkeyId, chord.modifiers | NoRepeat, chord.virtualKey) != FALSE;
    if (!m_registered) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "The hotkey (modifiers 0x%X, key 0x%X) is taken by another program; Talvory goes on without it\n",
                      chord.modifiers, chord.virtualKey);
        ::OutputDebugStringA(line);
        return;
    }
    Install(mainWindow);
}

CGlobalHotkey::~CGlobalHotkey()
{
    Unregister();
}

void CGlobalHotkey::Unregister()
{
    // Registered, the chord is on the window the hook is installed on.
    if (m_registered) ::UnregisterHotKey(hookedWindow, HotkeyId);
    m_registered = false;
}

void CGlobalHotkey::OnHotkey()
{
    // A dialog of Talvory's is open (the main window owns it and is disabled
    // meanwhile): it comes forward, and no menu opens over it.
    HWND dialog = OpenDialog();
    if (dialog) {
        ::SetForegroundWindow(dialog);
        return;
    }
    // Never a second menu: a press while one is open is left alone.
    if (TrayMenuIsOpen()) return;
    // The menu opens a moment later, once the chord's own key messages are
    // through: keys sent all at once (macro keys, automation tools) would
    // otherwise reach the menu after the hotkey and close it. Presses
    // meanwhile (a burst) restart the wait and open no menu of their own.
    ::SetTimer(hookedWindow, HotkeyTimerId, ChordSettleTime, nullptr);
}

HWND CGlobalHotkey::OpenDialog() const
{
    struct Search
    {
        HWND mainWindow;
        HWND found;
    } search = {hookedWindow, nullptr};
    // The thread's visible, enabled top-level window (a dialog or the
    // message box over it), other than the hidden main and tray windows.
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM parameter) -> BOOL {
        auto* search = reinterpret_cast<Search*>(parameter);
        if (window == search->mainWindow || !::IsWindowVisible(window) || !::IsWindowEnabled(window)) return TRUE;
        char className[16] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, "#32770") != 0) return TRUE;
        search->found = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT CGlobalHotkey::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTKEY && wParam == HotkeyId) {
        OnHotkey();
        return 0;
    }
    if (message == WM_TIMER && wParam == HotkeyTimerId) {
        ::KillTimer(hookedWindow, HotkeyTimerId);
        if (!OpenDialog()) OpenTrayMenu(true);
        return 0;
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}
