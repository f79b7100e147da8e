#include "UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

std::string ClassOf(HWND window)
{
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsDialogClass(HWND window) { return ClassOf(window) == "#32770"; }

int ControlId(HWND control) { return static_cast<int>(::GetWindowLongPtrA(control, GWLP_ID)) & 0xFFFF; }

std::string WithoutMnemonic(std::string caption)
{
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    return caption;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The visible top-level windows of the thread, or of every thread when threadId is 0.
std::vector<HWND> VisibleWindows(DWORD threadId = 0)
{
    std::vector<HWND> windows, visible;
    if (threadId) ::EnumThreadWindows(threadId, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    else ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (::IsWindowVisible(window)) visible.push_back(window);
    return visible;
}

UINT IconKind(HICON icon)
{
    const std::pair<LPCSTR, UINT> known[] = { { IDI_ASTERISK, MB_ICONINFORMATION }, { IDI_QUESTION, MB_ICONQUESTION },
                                              { IDI_EXCLAMATION, MB_ICONEXCLAMATION }, { IDI_HAND, MB_ICONERROR } };
    for (const auto& k : known)
        if (::LoadIconA(nullptr, k.first) == icon) return k.second;
    return icon ? 0xFFFFFFFF : 0;  // 0xFFFFFFFF: an icon of its own
}

// A message box: a dialog holding a text and push buttons with the standard
// answer identifiers, and nothing the user could type into. False otherwise.
bool ReadMessageBox(HWND box, UiDriver::MessageBoxSeen& seen)
{
    if (!IsDialogClass(box)) return false;
    seen = UiDriver::MessageBoxSeen{};
    seen.window = box;
    seen.caption = UiDriver::Text(box);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        std::string kind = ClassOf(child);
        LONG style = static_cast<LONG>(::GetWindowLongPtrA(child, GWL_STYLE));
        if (_stricmp(kind.c_str(), "Button") == 0) {
            int id = ControlId(child);
            if ((style & BS_TYPEMASK) == BS_GROUPBOX || id < IDOK || id > 11) return false;
            if (::IsWindowVisible(child)) seen.buttons.push_back(WithoutMnemonic(UiDriver::Text(child)));
        } else if (_stricmp(kind.c_str(), "Static") != 0 || (style & SS_TYPEMASK) == SS_BITMAP) {
            return false;
        } else if ((style & SS_TYPEMASK) == SS_ICON) {
            DWORD_PTR icon = 0;
            if (::IsWindowVisible(child)) ::SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_NORMAL, 5000, &icon);
            if (icon) seen.icon = IconKind(reinterpret_cast<HICON>(icon));
        } else if (ControlId(child) == 0xFFFF) {
            seen.text += UiDriver::Text(child);
        }
    }
    return !seen.buttons.empty() && !seen.text.empty();
}

std::string Shorten(const std::string& text)
{
    if (text.size() <= 60) return text;
    return text.substr(0, 60) + "... (" + std::to_string(text.size()) + " characters)";
}

} // namespace

UiDriver::UiDriver(DWORD timeoutMs)
    : m_timeoutMs(timeoutMs), m_uiThreadId(::GetCurrentThreadId()), m_startTick(::GetTickCount())
{
}

UiDriver::~UiDriver() { Finish(); }

void UiDriver::Start(std::function<void(UiDriver&)> script)
{
    Finish();
    m_done = false;
    m_thread = std::thread([this, script = std::move(script)] {
        bool completed = false;
        try {
            script(*this);
            // The user is done: what the script opened must be closed by now.
            WaitUntil(
                [this] {
                    for (HWND window : VisibleWindows(m_uiThreadId))
                        if (IsDialogClass(window)) return false;
                    return true;
                },
                "the dialogs to close after the user's last action");
            completed = true;
        } catch (const Abort&) {
            // Already reported by Fail.
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the user's script stopped: " << e.what() << "\n" << Transcript();
        }
        if (!completed) CloseLeftovers();
        m_completed = completed;
        m_done = true;
    });
}

bool UiDriver::Finish()
{
    // Keep this thread's windows answering while the script ends: its last
    // actions may still be talking to them.
    for (MSG msg; m_thread.joinable() && !m_done; ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (m_thread.joinable()) m_thread.join();
    return m_completed;
}

void UiDriver::Fail(const std::string& reason)
{
    Note("FAILED: " + reason);
    ADD_FAILURE() << reason << "\nWhat the user did and saw:\n" << Transcript();
    throw Abort{};
}

void UiDriver::Note(const std::string& line)
{
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%6lu ms  ", static_cast<unsigned long>(::GetTickCount() - m_startTick));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_transcript.push_back(stamp + line);
}

std::string UiDriver::Transcript() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::ostringstream out;
    for (const std::string& line : m_transcript) out << "  " << line << "\n";
    return out.str();
}

void UiDriver::WaitUntil(const std::function<bool()>& condition, const std::string& what)
{
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > m_timeoutMs) Fail("timed out waiting for " + what);
        ::Sleep(20);
    }
}

HWND UiDriver::WaitForWindow(const WindowQuery& query)
{
    DWORD process = query.processId ? query.processId : ::GetCurrentProcessId();
    std::string what = "a window";
    if (!query.className.empty()) what += " of class " + query.className;
    if (!query.caption.empty()) what += " captioned \"" + query.caption + "\"";
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleWindows()) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == process &&
                    (query.className.empty() || _stricmp(ClassOf(window).c_str(), query.className.c_str()) == 0) &&
                    (query.caption.empty() || Text(window) == query.caption)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        what);
    Note("saw " + what);
    return found;
}

HWND UiDriver::WaitForDialog(const std::string& caption)
{
    return WaitForWindow({ "#32770", caption });
}

UiDriver::MessageBoxSeen UiDriver::WaitForMessageBox(const std::string& text)
{
    MessageBoxSeen found, box;
    for (DWORD start = ::GetTickCount(); !found.window; ::Sleep(20)) {
        std::string open;
        for (HWND window : VisibleWindows(m_uiThreadId)) {
            if (!ReadMessageBox(window, box)) continue;
            if (box.text == text) found = box;
            open += " \"" + Shorten(box.text) + "\"";
        }
        if (!found.window && ::GetTickCount() - start > m_timeoutMs)
            Fail("timed out waiting for the message box \"" + text + "\" (open:" + (open.empty() ? " none" : open) + ")");
    }
    Note("saw message box \"" + found.text + "\" (" + std::to_string(found.buttons.size()) + " buttons, icon " +
         std::to_string(found.icon) + ")");
    return found;
}

void UiDriver::WaitUntilGone(HWND window)
{
    WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); },
              "the window \"" + Text(window) + "\" to close");
    Note("saw the window close");
}

void UiDriver::Answer(const MessageBoxSeen& box, int buttonId)
{
    HWND button = ::GetDlgItem(box.window, buttonId);
    Note("answered \"" + (button ? WithoutMnemonic(Text(button)) : std::to_string(buttonId)) + "\"");
    ::PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    WaitUntil([&] { return !::IsWindow(box.window); }, "the message box \"" + box.text + "\" to close");
}

HWND UiDriver::Control(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) Fail("the dialog has no control " + std::to_string(id));
    return control;
}

DWORD_PTR UiDriver::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, m_timeoutMs, &result))
        Fail("the window did not handle message " + std::to_string(message) + " in time");
    return result;
}

void UiDriver::PressButton(HWND dialog, int id)
{
    HWND button = Control(dialog, id);
    Note("pressed \"" + WithoutMnemonic(Text(button)) + "\"");
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void UiDriver::PressButtonAndWait(HWND dialog, int id)
{
    HWND button = Control(dialog, id);
    Note("pressed \"" + WithoutMnemonic(Text(button)) + "\" and waited");
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void UiDriver::SetText(HWND dialog, int id, const std::string& text)
{
    Note("set control " + std::to_string(id) + " to \"" + Shorten(text) + "\"");
    Send(Control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void UiDriver::TypeText(HWND dialog, int id, const std::string& text)
{
    HWND control = Control(dialog, id);
    Note("typed into control " + std::to_string(id) + ": \"" + Shorten(text) + "\"");
    Send(control, EM_SETSEL, 0, -1);
    Send(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void UiDriver::SelectComboItem(HWND dialog, int id, int index)
{
    HWND combo = Control(dialog, id);
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Note("chose item " + std::to_string(index) + " (\"" + ComboSelectedText(dialog, id) + "\") of control " +
         std::to_string(id));
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
}

HWND UiDriver::FocusWindow(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void UiDriver::PressKey(HWND dialog, UINT virtualKey)
{
    HWND target = FocusWindow(dialog);
    if (!target) target = dialog;
    LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(virtualKey, 0)) << 16;
    Note("pressed key " + std::to_string(virtualKey) + " in a window of class " + ClassOf(target));
    ::PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | scan);
    ::PostMessageA(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | scan | 0xC0000000u));
}

void UiDriver::PressMenuKeys(HWND menuWindow, const std::vector<UINT>& keys)
{
    for (UINT key : keys) {
        Note("pressed key " + std::to_string(key) + " in the menu");
        ::PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        ::PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000000);
        ::Sleep(60);
    }
}

void UiDriver::PressKeyIn(HWND dialog, int id, UINT virtualKey)
{
    Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(dialog, id)), TRUE);
    PressKey(dialog, virtualKey);
}

std::string UiDriver::Text(HWND window)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length) || length == 0)
        return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, 5000,
                          &copied);
    text.resize(copied);
    return text;
}

std::string UiDriver::Text(HWND dialog, int id) { return Text(Control(dialog, id)); }

std::vector<std::string> UiDriver::ComboItems(HWND dialog, int id)
{
    HWND combo = Control(dialog, id);
    std::vector<std::string> items;
    int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string item(Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) + 1, '\0');
        auto copied = static_cast<int>(
            Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0])));
        item.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        items.push_back(item);
    }
    return items;
}

std::string UiDriver::ComboSelectedText(HWND dialog, int id)
{
    auto selection = static_cast<int>(Send(Control(dialog, id), CB_GETCURSEL, 0, 0));
    std::vector<std::string> items = ComboItems(dialog, id);
    return selection >= 0 && selection < static_cast<int>(items.size()) ? items[static_cast<size_t>(selection)] : "";
}

void UiDriver::CloseLeftovers()
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < m_timeoutMs; ::Sleep(200)) {
        bool open = false;
        for (HWND window : VisibleWindows(m_uiThreadId)) {
            // A dialog under a message box is disabled: the box goes first.
            if (!IsDialogClass(window) || !::IsWindowEnabled(window)) continue;
            open = true;
            MessageBoxSeen box;
            Note("closing a window left open: \"" + (ReadMessageBox(window, box) ? box.text : Text(window)) + "\"");
            int id = ::GetDlgItem(window, IDCANCEL) ? IDCANCEL : ::GetDlgItem(window, IDNO) ? IDNO : IDOK;
            ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        }
        if (!open) return;
    }
}
