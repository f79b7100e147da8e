// UiDriver: a scripted user for UI tests. The test runs the real modal
// dialog, menu or program on its own thread; between Start and Finish the
// driver runs the user's script on a thread of its own: it waits for
// windows, answers message boxes, presses buttons and keys, types and
// chooses, and notes what it did. A wait that times out fails the test and
// stops the script; so does a script that ends while a dialog or message box
// of this process is still open. Windows left open are then closed, so that
// the test ends instead of hanging.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Dispatches this thread's messages until condition() holds (true) or timeoutMs have passed (false).
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

class UiDriver
{
public:
    explicit UiDriver(DWORD timeoutMs = 15000);
    ~UiDriver() { Finish(); }
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    void Start(std::function<void(UiDriver&)> script);
    // Waits for the script's end, this thread's windows answering meanwhile; true when it ran through.
    bool Finish();

    void WaitUntil(const std::function<bool()>& condition, const std::string& what);
    // A visible top-level window of the process (0: this one) of that class and, unless empty, caption.
    HWND WaitForWindow(const std::string& className, const std::string& caption = "", DWORD processId = 0);
    HWND WaitForDialog(const std::string& caption) { return WaitForWindow("#32770", caption); }
    void WaitUntilGone(HWND window);
    // Waits for a message box of the process whose text contains text, presses
    // the button answer and waits until the box has gone; returns its whole text.
    std::string Answer(const std::string& text, int answer, DWORD processId = 0);

    void PressButton(HWND dialog, int id);  // posted: returns at once
    void SetText(HWND dialog, int id, const std::string& text);
    // As typing or pasting does: the control's text limit applies.
    void TypeText(HWND dialog, int id, const std::string& text);
    void SelectComboItem(HWND dialog, int id, int index);  // as a choice from the list
    void PressKey(HWND window, UINT key);                  // to the focus of the window's thread
    void PressKeyIn(HWND dialog, int id, UINT key);        // the control given the focus first
    void PressMenuKeys(HWND menuWindow, const std::vector<UINT>& keys);

    static std::string Text(HWND window);
    std::string Text(HWND dialog, int id);
    std::vector<std::string> ComboItems(HWND dialog, int id);
    std::string ComboSelection(HWND dialog, int id);  // "" when nothing is selected
    static HWND Focus(HWND window);                   // the focus of the window's thread

    void Note(const std::string& line);
    [[noreturn]] void Fail(const std::string& reason);
    std::string Transcript() const;

private:
    struct Abort {};
    HWND Control(HWND dialog, int id);
    DWORD_PTR Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CloseLeftovers();

    DWORD m_timeoutMs, m_uiThread, m_startTick;
    std::thread m_thread;
    std::atomic<bool> m_done{true};
    bool m_completed = false;
    mutable std::mutex m_mutex;
    std::string m_transcript;
};
