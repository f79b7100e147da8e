// UiDriver: a scripted user for UI tests. The test runs the real window or
// modal dialog on its own thread (DoModal, a message loop, another process);
// between Start and Finish the driver runs the user's script on a thread of
// its own: it waits for windows, reads message boxes, presses buttons and
// keys, types and chooses combo-box items with window messages, and notes
// what it did and saw.
//
// The driver's thread is the one that constructs it. A wait that times out
// fails the test and stops the script; so does a script that ends while a
// dialog or message box of the driver's thread is still on screen. The driver
// then closes those windows, so that the test ends instead of hanging.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UiDriver
{
public:
    // What WaitForWindow looks for among the visible top-level windows. Empty
    // texts match anything; processId 0 means this process.
    struct WindowQuery
    {
        std::string className;
        std::string caption;
        DWORD processId = 0;
    };

    struct MessageBoxSeen
    {
        HWND window = nullptr;
        std::string caption;
        std::string text;
        std::vector<std::string> buttons;  // captions without "&" ("Yes", "No"), in window order
        UINT icon = 0;  // MB_ICONINFORMATION, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONERROR or 0
    };

    // timeoutMs bounds every wait.
    explicit UiDriver(DWORD timeoutMs = 15000);
    ~UiDriver();
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    void Start(std::function<void(UiDriver&)> script);
    // Waits for the script's end, keeping this thread's windows answering.
    // True when it ran to its end without failing.
    bool Finish();

    HWND WaitForWindow(const WindowQuery& query);
    HWND WaitForDialog(const std::string& caption);  // of this process
    // A visible message box of the driver's thread whose text is exactly text.
    MessageBoxSeen WaitForMessageBox(const std::string& text);
    void WaitUntilGone(HWND window);  // destroyed or hidden
    void WaitUntil(const std::function<bool()>& condition, const std::string& what);

    // Presses the box's button and waits until the box has gone.
    void Answer(const MessageBoxSeen& box, int buttonId);
    // Posts the button's click notification to the dialog; returns at once.
    void PressButton(HWND dialog, int id);
    // Sends it and waits until the dialog has handled it (for buttons that open no window).
    void PressButtonAndWait(HWND dialog, int id);
    void SetText(HWND dialog, int id, const std::string& text);  // WM_SETTEXT
    // As typing or pasting does (select all, EM_REPLACESEL): the control's text limit applies.
    void TypeText(HWND dialog, int id, const std::string& text);
    // Selects the item and notifies the dialog as the user's choice from the list does.
    void SelectComboItem(HWND dialog, int id, int index);
    // Posts a key press to the window that has the focus on the dialog's thread.
    void PressKey(HWND dialog, UINT virtualKey);
    // Gives the control the focus (WM_NEXTDLGCTL), then PressKey.
    void PressKeyIn(HWND dialog, int id, UINT virtualKey);
    // Presses keys in an open menu, one after another; the menu's own loop
    // reads them whichever of its windows they are posted to.
    void PressMenuKeys(HWND menuWindow, const std::vector<UINT>& keys);

    static std::string Text(HWND window);
    std::string Text(HWND dialog, int id);
    std::vector<std::string> ComboItems(HWND dialog, int id);
    std::string ComboSelectedText(HWND dialog, int id);  // "" when nothing is selected
    static HWND FocusWindow(HWND dialog);

    // One line per action and observation, with the milliseconds since the driver was made.
    std::string Transcript() const;
    void Note(const std::string& line);
    // Fails the test and stops the script.
    [[noreturn]] void Fail(const std::string& reason);

private:
    struct Abort
    {
    };
    HWND Control(HWND dialog, int id);
    // SendMessageTimeout within the timeout; fails the script when the window does not answer.
    DWORD_PTR Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CloseLeftovers();

    DWORD m_timeoutMs;
    DWORD m_uiThreadId;
    DWORD m_startTick;
    std::thread m_thread;
    std::atomic<bool> m_done{ true };
    bool m_completed = false;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_transcript;
};
