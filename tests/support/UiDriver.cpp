#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The visible top-level windows of a thread, or of a process when thread is 0.
std::vector<HWND> VisibleWindows(DWORD thread, DWORD process) {
    std::vector<HWND> all, visible;
    if (thread) EnumThreadWindows(thread, Collect, reinterpret_cast<LPARAM>(&all));
    else EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (IsWindowVisible(window) && (thread || owner == process)) visible.push_back(window);
    }
    return visible;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        if (GetTickCount() - start > timeoutMs) return false;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&msg)) TranslateMessage(&msg);
    }
    return true;
}

void UiDriver::Start(std::function<void(UiDriver&)> script) {
    Finish();
    m_done = false;
    m_thread = std::thread([this, script] {
        try {
            script(*this);
            WaitUntil([this] {
                for (HWND window : VisibleWindows(m_uiThread, 0))
                    if (ClassOf(window) == "#32770" || ClassOf(window) == "#32768") return false;
                return true;
            }, "the windows to close after the user's last action");
            m_completed = true;
        } catch (const Abort&) {
            m_completed = false;
            CloseLeftovers();
        }
        m_done = true;
    });
}

bool UiDriver::Finish() {
    PumpUntil([this] { return m_done.load(); }, INFINITE);
    if (m_thread.joinable()) m_thread.join();
    return m_completed;
}

void UiDriver::Note(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_transcript += "  " + std::to_string(GetTickCount() - m_start) + " ms  " + line + "\n";
}

void UiDriver::Fail(const std::string& reason) {
    Note("FAILED: " + reason);
    std::lock_guard<std::mutex> lock(m_mutex);
    ADD_FAILURE() << reason << "\nWhat the user did and saw:\n" << m_transcript;
    throw Abort{};
}

void UiDriver::WaitUntil(const std::function<bool()>& condition, const std::string& what) {
    for (DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start > m_timeoutMs) Fail("timed out waiting for " + what);
}

HWND UiDriver::WaitFor(const std::function<bool(HWND)>& match, DWORD process, const std::string& what) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : VisibleWindows(0, process ? process : GetCurrentProcessId()))
            if (match(window)) found = window;
        return found != nullptr;
    }, what);
    Note("saw " + what);
    return found;
}

HWND UiDriver::WaitForWindow(const std::string& caption, const std::string& className, DWORD process) {
    return WaitFor([&](HWND window) { return ClassOf(window) == className && (caption.empty() || Text(window) == caption); },
                   process, className + " \"" + caption + "\"");
}

void UiDriver::WaitUntilGone(HWND window) {
    WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, "\"" + Text(window) + "\" to close");
}

// A message box is a dialog with the static text 0xFFFF.
void UiDriver::Answer(const std::string& text, int answer, DWORD process) {
    HWND box = WaitFor([&](HWND window) {
        return ClassOf(window) == "#32770" && Text(window, 0xFFFF).find(text) != std::string::npos;
    }, process, "a message box saying \"" + text + "\"");
    Note("answered " + std::to_string(answer));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(box); }, "the message box to close");
}

DWORD_PTR UiDriver::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, m_timeoutMs, &result))
        Fail("a window did not handle message " + std::to_string(message) + " in time");
    return result;
}

void UiDriver::PressButton(HWND dialog, int id) {
    Note("pressed \"" + Text(dialog, id) + "\"");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void UiDriver::TypeText(HWND dialog, int id, const std::string& text) {
    Send(GetDlgItem(dialog, id), EM_SETSEL, 0, -1);
    Send(GetDlgItem(dialog, id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void UiDriver::SelectComboItem(HWND dialog, int id, int index) {
    Send(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Note("chose \"" + Text(dialog, id) + "\" in " + std::to_string(id));
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND UiDriver::Focus(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void UiDriver::PressKey(HWND dialog, int id, UINT key) {
    if (Focus(dialog) != GetDlgItem(dialog, id)) Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, 0)) << 16;
    PostMessageA(Focus(dialog), WM_KEYDOWN, key, 1 | scan);
    PostMessageA(Focus(dialog), WM_KEYUP, key, static_cast<LPARAM>(1 | scan | 0xC0000000u));
}

// The menu's own loop reads the keys, whichever of its windows they are posted to.
void UiDriver::PressMenuKeys(HWND menuWindow, const std::vector<UINT>& keys) {
    for (UINT key : keys) {
        Note("pressed key " + std::to_string(key) + " in the menu");
        PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        PostMessageA(menuWindow, WM_KEYUP, key, static_cast<LPARAM>(0xC0000000u));
        Sleep(60);
    }
}

std::string UiDriver::Text(HWND window) {
    DWORD_PTR length = 0, copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length) || !length) return "";
    std::string text(length + 1, '\0');
    SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, 5000, &copied);
    return text.substr(0, copied);
}

Strings UiDriver::ComboItems(HWND dialog, int id) {
    Strings items(static_cast<size_t>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < items.size(); ++i) {  // CB_ERR (-1) when the list changed meanwhile
        items[i].resize(static_cast<size_t>(std::max(0L, static_cast<long>(SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0)))) + 1);
        LRESULT copied = SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&items[i][0]));
        items[i].resize(static_cast<size_t>(std::max(0L, std::min(static_cast<long>(copied), static_cast<long>(items[i].size()) - 1))));
    }
    return items;
}

void UiDriver::CloseLeftovers() {
    for (DWORD start = GetTickCount(); GetTickCount() - start < m_timeoutMs; Sleep(200)) {
        bool open = false;
        for (HWND window : VisibleWindows(m_uiThread, 0)) {
            if (ClassOf(window) == "#32768") PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            // A dialog under a message box is disabled: the box goes first.
            if (ClassOf(window) == "#32770" && IsWindowEnabled(window)) {
                int id = GetDlgItem(window, IDCANCEL) ? IDCANCEL : GetDlgItem(window, IDNO) ? IDNO : IDOK;
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
            }
            open = open || ClassOf(window) == "#32768" || ClassOf(window) == "#32770";
        }
        if (!open) return;
    }
}
