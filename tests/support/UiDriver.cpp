#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK Collect(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The visible top-level windows of a thread (or of a process when thread is 0).
std::vector<HWND> VisibleWindows(DWORD thread, DWORD process)
{
    std::vector<HWND> all, visible;
    if (thread) ::EnumThreadWindows(thread, Collect, reinterpret_cast<LPARAM>(&all));
    else ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (::IsWindowVisible(window) && (thread || owner == process)) visible.push_back(window);
    }
    return visible;
}

// A message box: a dialog with the static text 0xFFFF.
bool IsMessageBox(HWND window) { return ClassOf(window) == "#32770" && ::GetDlgItem(window, 0xFFFF); }

} // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (DWORD start = ::GetTickCount(); !condition();) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

UiDriver::UiDriver(DWORD timeoutMs)
    : m_timeoutMs(timeoutMs), m_uiThread(::GetCurrentThreadId()), m_startTick(::GetTickCount())
{
}

void UiDriver::Start(std::function<void(UiDriver&)> script)
{
    Finish();
    m_done = false;
    m_thread = std::thread([this, script = std::move(script)] {
        bool completed = false;
        try {
            script(*this);
            WaitUntil(
                [this] {
                    for (HWND window : VisibleWindows(m_uiThread, 0))
                        if (ClassOf(window) == "#32770" || ClassOf(window) == "#32768") return false;
                    return true;
                },
                "the windows to close after the user's last action");
            completed = true;
        } catch (const Abort&) {
        }
        if (!completed) CloseLeftovers();
        m_completed = completed;
        m_done = true;
    });
}

bool UiDriver::Finish()
{
    PumpUntil([this] { return !m_thread.joinable() || m_done; }, INFINITE);
    if (m_thread.joinable()) m_thread.join();
    return m_completed;
}

void UiDriver::Note(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_transcript += "  " + std::to_string(::GetTickCount() - m_startTick) + " ms  " + line + "\n";
}

std::string UiDriver::Transcript() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transcript;
}

void UiDriver::Fail(const std::string& reason)
{
    Note("FAILED: " + reason);
    ADD_FAILURE() << reason << "\nWhat the user did and saw:\n" << Transcript();
    throw Abort{};
}

void UiDriver::WaitUntil(const std::function<bool()>& condition, const std::string& what)
{
    for (DWORD start = ::GetTickCount(); !condition(); ::Sleep(20))
        if (::GetTickCount() - start > m_timeoutMs) Fail("timed out waiting for " + what);
}

HWND UiDriver::WaitForWindow(const std::string& className, const std::string& caption, DWORD processId)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleWindows(0, processId ? processId : ::GetCurrentProcessId()))
                if (ClassOf(window) == className && (caption.empty() || Text(window) == caption)) found = window;
            return found != nullptr;
        },
        "a window " + className + " \"" + caption + "\"");
    Note("saw " + className + " \"" + Text(found) + "\"");
    return found;
}

void UiDriver::WaitUntilGone(HWND window)
{
    WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, "\"" + Text(window) + "\" to close");
}

std::string UiDriver::Answer(const std::string& text, int answer, DWORD processId)
{
    HWND box = nullptr;
    std::string seen, open;
    WaitUntil(
        [&] {
            open.clear();
            for (HWND window : VisibleWindows(0, processId ? processId : ::GetCurrentProcessId())) {
                if (!IsMessageBox(window)) continue;
                seen = Text(::GetDlgItem(window, 0xFFFF));
                open += " \"" + seen + "\"";
                if (seen.find(text) != std::string::npos) box = window;
            }
            return box != nullptr;
        },
        "a message box saying \"" + text + "\" (open:" + open + ")");
    seen = Text(::GetDlgItem(box, 0xFFFF));
    Note("answered " + std::to_string(answer) + " to \"" + seen + "\"");
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    WaitUntil([&] { return !::IsWindow(box); }, "the message box to close");
    return seen;
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
        Fail("a window did not handle message " + std::to_string(message) + " in time");
    return result;
}

void UiDriver::PressButton(HWND dialog, int id)
{
    Note("pressed \"" + Text(dialog, id) + "\"");
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(dialog, id)));
}

void UiDriver::SetText(HWND dialog, int id, const std::string& text)
{
    Note("set control " + std::to_string(id) + " to \"" + text.substr(0, 40) + "\"");
    Send(Control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void UiDriver::TypeText(HWND dialog, int id, const std::string& text)
{
    Note("typed into control " + std::to_string(id) + ": \"" + text.substr(0, 40) + "\"");
    Send(Control(dialog, id), EM_SETSEL, 0, -1);
    Send(Control(dialog, id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void UiDriver::SelectComboItem(HWND dialog, int id, int index)
{
    HWND combo = Control(dialog, id);
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Note("chose \"" + ComboSelection(dialog, id) + "\" in control " + std::to_string(id));
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

HWND UiDriver::Focus(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void UiDriver::PressKey(HWND window, UINT key)
{
    HWND target = Focus(window) ? Focus(window) : window;
    Note("pressed key " + std::to_string(key) + " in a " + ClassOf(target));
    LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(key, 0)) << 16;
    ::PostMessageA(target, WM_KEYDOWN, key, 1 | scan);
    ::PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(1 | scan | 0xC0000000u));
}

void UiDriver::PressKeyIn(HWND dialog, int id, UINT key)
{
    Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(dialog, id)), TRUE);
    PressKey(dialog, key);
}

// The menu's own loop reads the keys, whichever of its windows they are posted to.
void UiDriver::PressMenuKeys(HWND menuWindow, const std::vector<UINT>& keys)
{
    for (UINT key : keys) {
        Note("pressed key " + std::to_string(key) + " in the menu");
        ::PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        ::PostMessageA(menuWindow, WM_KEYUP, key, static_cast<LPARAM>(0xC0000000u));
        ::Sleep(60);
    }
}

std::string UiDriver::Text(HWND window)
{
    DWORD_PTR length = 0, copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length) || !length) return "";
    std::string text(length + 1, '\0');
    ::SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, 5000,
                          &copied);
    text.resize(copied);
    return text;
}

std::string UiDriver::Text(HWND dialog, int id) { return Text(Control(dialog, id)); }

std::vector<std::string> UiDriver::ComboItems(HWND dialog, int id)
{
    HWND combo = Control(dialog, id);
    std::vector<std::string> items(Send(combo, CB_GETCOUNT, 0, 0));
    for (size_t i = 0; i < items.size(); ++i) {  // CB_ERR (-1) when the list changed meanwhile
        auto length = static_cast<LONG_PTR>(Send(combo, CB_GETLBTEXTLEN, i, 0));
        std::string item(static_cast<size_t>(std::max<LONG_PTR>(length, 0)) + 1, '\0');
        auto copied = static_cast<LONG_PTR>(Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0])));
        items[i] = item.substr(0, static_cast<size_t>(std::max<LONG_PTR>(std::min(copied, length), 0)));
    }
    return items;
}

std::string UiDriver::ComboSelection(HWND dialog, int id)
{
    size_t selected = Send(Control(dialog, id), CB_GETCURSEL, 0, 0);
    std::vector<std::string> items = ComboItems(dialog, id);
    return selected < items.size() ? items[selected] : "";
}

void UiDriver::CloseLeftovers()
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < m_timeoutMs; ::Sleep(200)) {
        bool open = false;
        for (HWND window : VisibleWindows(m_uiThread, 0)) {
            if (ClassOf(window) == "#32768") {
                open = true;
                ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            } else if (ClassOf(window) == "#32770" && ::IsWindowEnabled(window)) {
                open = true;  // a dialog under a message box is disabled: the box goes first
                Note("closing \"" + Text(window) + "\", left open");
                int id = ::GetDlgItem(window, IDCANCEL) ? IDCANCEL : ::GetDlgItem(window, IDNO) ? IDNO : IDOK;
                ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
            }
        }
        if (!open) return;
    }
}
