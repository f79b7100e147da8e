#include "UiDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

std::string ClassOf(HWND window)
{
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsDialogClass(HWND window)
{
    return ClassOf(window) == "#32770";
}

int ControlId(HWND control)
{
    return static_cast<int>(::GetWindowLongPtrA(control, GWLP_ID)) & 0xFFFF;
}

std::string WithoutMnemonic(const std::string& caption)
{
    std::string plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ThreadWindows(DWORD threadId)
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(threadId, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A message box: a dialog holding a text and push buttons with the standard
// answer identifiers, and nothing the user could type into.
bool LooksLikeMessageBox(HWND window)
{
    if (!IsDialogClass(window)) return false;
    bool hasButton = false;
    bool hasText = false;
    for (HWND child : ChildrenOf(window)) {
        std::string kind = ClassOf(child);
        LONG style = static_cast<LONG>(::GetWindowLongPtrA(child, GWL_STYLE));
        if (_stricmp(kind.c_str(), "Button") == 0) {
            int id = ControlId(child);
            if ((style & BS_TYPEMASK) == BS_GROUPBOX) return false;
            if (id < IDOK || id > 11) return false;
            hasButton = true;
        } else if (_stricmp(kind.c_str(), "Static") == 0) {
            if ((style & SS_TYPEMASK) != SS_ICON && ControlId(child) == 0xFFFF) hasText = true;
            if ((style & SS_TYPEMASK) == SS_BITMAP) return false;
        } else {
            return false;
        }
    }
    return hasButton && hasText;
}

UINT IconKind(HICON icon)
{
    if (!icon) return 0;
    struct Known
    {
        LPCSTR resource;
        UINT kind;
    };
    const Known known[] = {
        { IDI_ASTERISK, MB_ICONINFORMATION },
        { IDI_QUESTION, MB_ICONQUESTION },
        { IDI_EXCLAMATION, MB_ICONEXCLAMATION },
        { IDI_HAND, MB_ICONERROR },
    };
    for (const Known& k : known)
        if (::LoadIconA(nullptr, k.resource) == icon) return k.kind;
    return 0xFFFFFFFF;  // an icon of its own
}

const char* IconName(UINT kind)
{
    switch (kind) {
    case 0: return "no icon";
    case MB_ICONINFORMATION: return "information icon";
    case MB_ICONQUESTION: return "question icon";
    case MB_ICONEXCLAMATION: return "exclamation icon";
    case MB_ICONERROR: return "error icon";
    default: return "unknown icon";
    }
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

UiDriver::~UiDriver()
{
    if (m_thread.joinable()) Finish();
}

void UiDriver::Start(std::function<void(UiDriver&)> script)
{
    if (m_thread.joinable()) Finish();
    m_started = true;
    m_completed = false;
    m_thread = std::thread([this, script = std::move(script)] {
        bool completed = false;
        try {
            script(*this);
            completed = true;
        } catch (const Abort&) {
            // Already reported by Fail.
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the user's script stopped: " << e.what() << "\n" << Transcript();
        }
        if (completed) {
            // The user is done: what the script opened must be closed by now.
            DWORD start = ::GetTickCount();
            for (;;) {
                bool open = false;
                for (HWND window : ThreadWindows(m_uiThreadId))
                    if (IsDialogClass(window) && ::IsWindowVisible(window)) open = true;
                if (!open) break;
                if (::GetTickCount() - start > m_timeoutMs) {
                    ADD_FAILURE() << "a dialog is still open after the user's last action\n" << Transcript();
                    completed = false;
                    break;
                }
                ::Sleep(20);
            }
        }
        if (!completed) CloseLeftovers();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_completed = completed;
    });
}

bool UiDriver::Finish()
{
    if (!m_thread.joinable()) return m_started && m_completed;
    // Keep this thread's windows answering while the script ends: its last
    // actions may still be talking to them.
    std::atomic<bool> done{ false };
    std::thread waiter([this, &done] {
        m_thread.join();
        done = true;
    });
    while (!done) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    waiter.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_completed;
}

void UiDriver::Fail(const std::string& reason)
{
    Note("FAILED: " + reason);
    ADD_FAILURE() << reason << "\nWhat the user did and saw:\n" << Transcript();
    throw Abort{ reason };
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

std::vector<UiDriver::MessageBoxSeen> UiDriver::MessageBoxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messageBoxes;
}

DWORD UiDriver::ProcessOf(DWORD processId) const
{
    return processId ? processId : ::GetCurrentProcessId();
}

bool UiDriver::WindowMatches(HWND window, const WindowQuery& query) const
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ProcessOf(query.processId)) return false;
    if (query.visible && !::IsWindowVisible(window)) return false;
    if (!query.className.empty() && _stricmp(ClassOf(window).c_str(), query.className.c_str()) != 0) return false;
    if (query.owner && ::GetWindow(window, GW_OWNER) != query.owner) return false;
    if (!query.caption.empty() && Text(window) != query.caption) return false;
    return true;
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
    HWND found = nullptr;
    std::string what = "a window";
    if (!query.className.empty()) what += " of class " + query.className;
    if (!query.caption.empty()) what += " captioned \"" + query.caption + "\"";
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows()) {
                if (WindowMatches(window, query)) {
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
    WindowQuery query;
    query.className = "#32770";
    query.caption = caption;
    return WaitForWindow(query);
}

UiDriver::MessageBoxSeen UiDriver::ReadMessageBox(HWND box)
{
    MessageBoxSeen seen;
    seen.window = box;
    seen.owner = ::GetWindow(box, GW_OWNER);
    seen.caption = Text(box);
    for (HWND child : ChildrenOf(box)) {
        std::string kind = ClassOf(child);
        LONG style = static_cast<LONG>(::GetWindowLongPtrA(child, GWL_STYLE));
        if (_stricmp(kind.c_str(), "Button") == 0) {
            if (!::IsWindowVisible(child)) continue;
            seen.buttons.push_back(WithoutMnemonic(Text(child)));
            seen.buttonIds.push_back(ControlId(child));
        } else if (_stricmp(kind.c_str(), "Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                if (!::IsWindowVisible(child)) continue;
                DWORD_PTR icon = 0;
                ::SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_NORMAL, 5000, &icon);
                seen.icon = IconKind(reinterpret_cast<HICON>(icon));
            } else if (ControlId(child) == 0xFFFF) {
                seen.text += Text(child);
            }
        }
    }
    return seen;
}

std::vector<UiDriver::MessageBoxSeen> UiDriver::OpenMessageBoxes(DWORD processId)
{
    std::vector<MessageBoxSeen> boxes;
    WindowQuery query;
    query.className = "#32770";
    query.processId = processId;
    for (HWND window : TopLevelWindows())
        if (WindowMatches(window, query) && LooksLikeMessageBox(window)) boxes.push_back(ReadMessageBox(window));
    return boxes;
}

std::vector<UiDriver::MessageBoxSeen> UiDriver::MessageBoxesOnceIdle(HWND dialog, DWORD graceMs)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(dialog, &processId);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, m_timeoutMs, &result);
    DWORD start = ::GetTickCount();
    for (;;) {
        std::vector<MessageBoxSeen> boxes = OpenMessageBoxes(processId == ::GetCurrentProcessId() ? 0 : processId);
        if (!boxes.empty() || ::GetTickCount() - start > graceMs) {
            for (const MessageBoxSeen& box : boxes) Note("saw message box \"" + box.text + "\" while none was expected");
            return boxes;
        }
        ::Sleep(20);
    }
}

UiDriver::MessageBoxSeen UiDriver::WaitForMessageBox(const std::string& text, DWORD processId)
{
    MessageBoxSeen found;
    DWORD start = ::GetTickCount();
    for (;;) {
        std::vector<MessageBoxSeen> boxes = OpenMessageBoxes(processId);
        for (const MessageBoxSeen& box : boxes) {
            if (box.text == text) {
                found = box;
                break;
            }
        }
        if (found.window) break;
        if (::GetTickCount() - start > m_timeoutMs) {
            std::string open;
            for (const MessageBoxSeen& box : boxes) open += " \"" + Shorten(box.text) + "\"";
            Fail("timed out waiting for the message box \"" + text + "\"" +
                 (open.empty() ? std::string(" (none open)") : " (open:" + open + ")"));
        }
        ::Sleep(20);
    }
    std::string buttons;
    for (const std::string& b : found.buttons) buttons += (buttons.empty() ? "" : "/") + b;
    Note("saw message box \"" + found.text + "\" [" + buttons + ", " + IconName(found.icon) + "]");
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messageBoxes.push_back(found);
    return found;
}

UiDriver::MessageBoxSeen UiDriver::WaitForAnyMessageBox(DWORD processId)
{
    MessageBoxSeen found;
    WaitUntil(
        [&] {
            std::vector<MessageBoxSeen> boxes = OpenMessageBoxes(processId);
            if (boxes.empty()) return false;
            found = boxes.front();
            return true;
        },
        "a message box");
    Note("saw message box \"" + found.text + "\" (" + IconName(found.icon) + ")");
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messageBoxes.push_back(found);
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
    std::string caption = button ? WithoutMnemonic(Text(button)) : std::to_string(buttonId);
    Note("answered \"" + caption + "\"");
    ::PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    WaitUntil([&] { return !::IsWindow(box.window); }, "the message box \"" + box.text + "\" to close");
}

HWND UiDriver::Control(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) Fail("the dialog has no control " + std::to_string(id));
    return control;
}

void UiDriver::PressButton(HWND dialog, int id)
{
    HWND button = ::GetDlgItem(dialog, id);
    Note("pressed \"" + (button ? WithoutMnemonic(Text(button)) : std::to_string(id)) + "\"");
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void UiDriver::ClickButton(HWND dialog, int id)
{
    HWND button = Control(dialog, id);
    Note("clicked \"" + WithoutMnemonic(Text(button)) + "\"");
    ::PostMessageA(button, BM_CLICK, 0, 0);
}

void UiDriver::PressButtonAndWait(HWND dialog, int id)
{
    HWND button = ::GetDlgItem(dialog, id);
    Note("pressed \"" + (button ? WithoutMnemonic(Text(button)) : std::to_string(id)) + "\"");
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                               SMTO_NORMAL, m_timeoutMs, &result)) {
        Fail("the dialog did not finish handling the button " + std::to_string(id));
    }
}

void UiDriver::SetText(HWND dialog, int id, const std::string& text)
{
    HWND control = Control(dialog, id);
    Note("set control " + std::to_string(id) + " to \"" + Shorten(text) + "\"");
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               m_timeoutMs, &result)) {
        Fail("could not set the text of control " + std::to_string(id));
    }
}

void UiDriver::TypeText(HWND dialog, int id, const std::string& text)
{
    HWND control = Control(dialog, id);
    Note("typed into control " + std::to_string(id) + ": \"" + Shorten(text) + "\"");
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(control, EM_SETSEL, 0, -1, SMTO_NORMAL, m_timeoutMs, &result) ||
        !::SendMessageTimeoutA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               m_timeoutMs, &result)) {
        Fail("could not type into control " + std::to_string(id));
    }
}

void UiDriver::SetSelection(HWND dialog, int id, int start, int end)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(Control(dialog, id), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end),
                          SMTO_NORMAL, m_timeoutMs, &result);
}

void UiDriver::SelectComboItem(HWND dialog, int id, int index)
{
    HWND combo = Control(dialog, id);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, m_timeoutMs, &result);
    Note("chose item " + std::to_string(index) + " (\"" + ComboSelectedText(dialog, id) + "\") of control " +
         std::to_string(id));
    for (WORD code : { WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK) }) {
        if (!::SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(combo),
                                   SMTO_NORMAL, m_timeoutMs, &result)) {
            Fail("the dialog did not finish handling the choice in control " + std::to_string(id));
        }
    }
}

void UiDriver::Focus(HWND dialog, int id)
{
    HWND control = Control(dialog, id);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE, SMTO_NORMAL, m_timeoutMs,
                          &result);
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
    UINT scan = ::MapVirtualKeyA(virtualKey, 0);
    Note("pressed key " + std::to_string(virtualKey) + " in a window of class " + ClassOf(target));
    ::PostMessageA(target, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16)));
    ::PostMessageA(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
}

void UiDriver::PressKeyIn(HWND dialog, int id, UINT virtualKey)
{
    Focus(dialog, id);
    PressKey(dialog, virtualKey);
}

void UiDriver::SendSystemCommand(HWND window, UINT command)
{
    Note("chose system command " + std::to_string(command));
    ::PostMessageA(window, WM_SYSCOMMAND, command, 0);
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

std::string UiDriver::Text(HWND dialog, int id)
{
    return Text(Control(dialog, id));
}

std::vector<std::string> UiDriver::ComboItems(HWND dialog, int id)
{
    HWND combo = Control(dialog, id);
    std::vector<std::string> items;
    DWORD_PTR count = 0;
    ::SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, m_timeoutMs, &count);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        DWORD_PTR length = 0;
        ::SendMessageTimeoutA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL, m_timeoutMs, &length);
        std::string item(static_cast<size_t>(length) + 1, '\0');
        DWORD_PTR copied = 0;
        ::SendMessageTimeoutA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]),
                              SMTO_NORMAL, m_timeoutMs, &copied);
        item.resize(static_cast<int>(copied) > 0 ? copied : 0);
        items.push_back(item);
    }
    return items;
}

int UiDriver::ComboSelection(HWND dialog, int id)
{
    DWORD_PTR selection = 0;
    ::SendMessageTimeoutA(Control(dialog, id), CB_GETCURSEL, 0, 0, SMTO_NORMAL, m_timeoutMs, &selection);
    return static_cast<int>(selection);
}

std::string UiDriver::ComboSelectedText(HWND dialog, int id)
{
    int selection = ComboSelection(dialog, id);
    std::vector<std::string> items = ComboItems(dialog, id);
    if (selection < 0 || selection >= static_cast<int>(items.size())) return std::string();
    return items[static_cast<size_t>(selection)];
}

void UiDriver::CloseLeftovers()
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < m_timeoutMs) {
        std::vector<HWND> open;
        for (HWND window : ThreadWindows(m_uiThreadId))
            if (IsDialogClass(window) && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) open.push_back(window);
        if (open.empty()) return;
        for (HWND window : open) {
            int id = IDCANCEL;
            if (!::GetDlgItem(window, IDCANCEL)) {
                if (::GetDlgItem(window, IDNO)) id = IDNO;
                else if (::GetDlgItem(window, IDOK)) id = IDOK;
            }
            Note("closing a window left open: \"" + Text(window) + "\"");
            ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        }
        ::Sleep(200);
    }
}
