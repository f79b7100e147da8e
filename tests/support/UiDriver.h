// UiDriver: a scripted user for UI tests. The test runs the real modal
// dialog, menu or program on its own thread; between Start and Finish the
// driver runs the user's script on a thread of its own: it waits for
// windows, answers message boxes, presses buttons and keys, types and
// chooses. A wait that times out fails the test and stops the script; so
// does a script that ends while a dialog, message box or menu of the test's
// thread is still open. Those are then closed, so that the test ends
// instead of hanging.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using Strings = std::vector<std::string>;


// Dispatches this thread's messages until condition() holds (true) or timeoutMs have passed (false).
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        if (GetTickCount() - start > timeoutMs) return false;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&msg)) TranslateMessage(&msg);
    }
    return true;
}

class UiDriver {
public:
    ~UiDriver() { Finish(); }
    // Runs script on the driver's thread.
    void Start(std::function<void(UiDriver&)> script) {
        Finish();
        m_done = false;
        m_thread = std::thread([this, script] {
            try {
                script(*this);
                WaitUntil([this] {
                    std::vector<HWND> open = VisibleWindows(m_uiThread, 0);
                    return std::none_of(open.begin(), open.end(), IsDialogOrMenu);
                }, "the windows to close after the user's last action");
                m_completed = true;
            } catch (const Abort&) {
                m_completed = false;
                CloseLeftovers();
            }
            m_done = true;
        });
    }
    // Waits for the script's end, this thread's windows answering meanwhile; true when it ran through.
    bool Finish() {
        PumpUntil([this] { return m_done.load(); }, INFINITE);
        if (m_thread.joinable()) m_thread.join();
        return m_completed;
    }
    void WaitUntil(const std::function<bool()>& condition, const std::string& what) {
        for (DWORD start = GetTickCount(); !condition(); Sleep(20))
            if (GetTickCount() - start > Timeout) Fail("timed out waiting for " + what);
    }
    // A visible top-level window of the process (0: this one) with that caption (any when empty) and class.
    HWND WaitForWindow(const std::string& caption, const std::string& className = "#32770", DWORD process = 0) {
        return WaitFor([&](HWND window) { return ClassOf(window) == className && (caption.empty() || Text(window) == caption); },
                       process, className + " \"" + caption + "\"");
    }
    // Waits for a message box (a dialog with the static text 0xFFFF) of the process whose text
    // contains text, presses the button answer and waits until the box has gone; returns its whole text.
    std::string Answer(const std::string& text, int answer, DWORD process = 0) {
        HWND box = WaitForMessageBox(text, process);
        std::string said = Text(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        WaitUntil([&] { return !IsWindow(box); }, "the message box \"" + text + "\" to close");
        return said;
    }
    HWND WaitForMessageBox(const std::string& text, DWORD process = 0) {
        return WaitFor([&](HWND window) { return ClassOf(window) == "#32770" && Text(window, 0xFFFF).find(text) != std::string::npos; },
                       process, "a message box saying \"" + text + "\"");
    }
    // Presses the button (posted: it returns at once); with says, answers the message box that follows.
    void PressButton(HWND dialog, int id, const std::string& says = "", int answer = IDOK) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        if (!says.empty()) Answer(says, answer);
    }
    // As typing or pasting does: the control's text limit applies.
    void TypeText(HWND dialog, int id, const std::string& text) {
        SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, -1);
        SendDlgItemMessageA(dialog, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // As a choice from the list.
    void SelectComboItem(HWND dialog, int id, int index) {
        SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    // In the control, given the focus first (which selects all of an edit control's text).
    void PressKey(HWND dialog, int id, UINT key) {
        if (Focus(dialog) != GetDlgItem(dialog, id)) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
        LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, 0)) << 16;
        PostMessageA(Focus(dialog), WM_KEYDOWN, key, 1 | scan);
        PostMessageA(Focus(dialog), WM_KEYUP, key, static_cast<LPARAM>(1 | scan | 0xC0000000u));
    }
    // Characters typed on the keyboard, to whichever control has the dialog's focus.
    void Type(HWND dialog, const std::string& characters) {
        for (char c : characters) PostMessageA(Focus(dialog), WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    // Keys in an open menu: Down, Up, Right, Left, Enter, X for Escape ("DRE": Down, Right, Enter).
    // The menu's own loop reads them, whichever of its windows they are posted to.
    void PressMenuKeys(HWND menuWindow, const std::string& keys) {
        Sleep(100);  // a menu just shown may not be reading keys yet
        for (char name : keys) {
            const UINT key = static_cast<unsigned char>("\x28\x26\x27\x25\x0D\x1B"[std::string("DURLEX").find(name)]);
            PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
            PostMessageA(menuWindow, WM_KEYUP, key, static_cast<LPARAM>(0xC0000000u));
            Sleep(60);
        }
    }
    static std::string Text(HWND window) {
        std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
        return text.substr(0, static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    }
    static Strings ComboItems(HWND dialog, int id) {
        Strings items(static_cast<size_t>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0)));
        for (size_t i = 0; i < items.size(); ++i) {  // CB_ERR (-1) when the list changed meanwhile
            items[i].resize(static_cast<size_t>(std::max(0L, static_cast<long>(SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0)))) + 1);
            LRESULT copied = SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&items[i][0]));
            items[i].resize(static_cast<size_t>(std::max(0L, std::min(static_cast<long>(copied), static_cast<long>(items[i].size()) - 1))));
        }
        return items;
    }
    // The focus of the window's thread.
    static HWND Focus(HWND window) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    }
    static std::string Text(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }
    [[noreturn]] void Fail(const std::string& reason) {
        ADD_FAILURE() << reason;
        throw Abort{};
    }

private:
    struct Abort {};
    static const DWORD Timeout = 15000;
    static std::string ClassOf(HWND window) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        return name;
    }
    // The visible top-level windows of a thread, or of a process when thread is 0.
    static std::vector<HWND> VisibleWindows(DWORD thread, DWORD process) {
        std::vector<HWND> visible;
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, nullptr, nullptr));) {
            DWORD owner = 0;
            if (IsWindowVisible(window) && (thread ? GetWindowThreadProcessId(window, &owner) == thread
                                                   : (GetWindowThreadProcessId(window, &owner), owner == process)))
                visible.push_back(window);
        }
        return visible;
    }
    static bool IsDialogOrMenu(HWND window) { return ClassOf(window) == "#32770" || ClassOf(window) == "#32768"; }
    HWND WaitFor(const std::function<bool(HWND)>& match, DWORD process, const std::string& what) {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window : VisibleWindows(0, process ? process : GetCurrentProcessId()))
                if (match(window)) found = window;
            return found != nullptr;
        }, what);
        return found;
    }
    void CloseLeftovers() {
        for (DWORD start = GetTickCount(); GetTickCount() - start < Timeout; Sleep(200)) {
            std::vector<HWND> open = VisibleWindows(m_uiThread, 0);
            for (HWND window : open) {
                if (ClassOf(window) == "#32768") PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
                // A dialog under a message box is disabled: the box goes first.
                int id = GetDlgItem(window, IDCANCEL) ? IDCANCEL : GetDlgItem(window, IDNO) ? IDNO : IDOK;
                if (ClassOf(window) == "#32770" && IsWindowEnabled(window)) PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
            }
            if (std::none_of(open.begin(), open.end(), IsDialogOrMenu)) return;
        }
    }

    const DWORD m_uiThread = GetCurrentThreadId();
    std::thread m_thread;
    std::atomic<bool> m_done{true};
    bool m_completed = false;
};
