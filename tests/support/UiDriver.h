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

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using Strings = std::vector<std::string>;

// Dispatches this thread's messages until condition() holds (true) or timeoutMs have passed (false).
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

class UiDriver {
public:
    ~UiDriver() { Finish(); }
    void Start(std::function<void(UiDriver&)> script);
    // Waits for the script's end, this thread's windows answering meanwhile; true when it ran through.
    bool Finish();

    void WaitUntil(const std::function<bool()>& condition, const std::string& what);
    // A visible top-level window of the process (0: this one) with that caption (any when empty) and class.
    HWND WaitForWindow(const std::string& caption, const std::string& className = "#32770", DWORD process = 0);
    // Waits for a message box of the process whose text contains text,
    // presses the button answer and waits until the box has gone.
    void Answer(const std::string& text, int answer, DWORD process = 0);
    // Presses the button (posted: it returns at once); with says, answers the message box that follows.
    void PressButton(HWND dialog, int id, const std::string& says = "", int answer = IDOK);
    // As typing or pasting does: the control's text limit applies.
    void TypeText(HWND dialog, int id, const std::string& text);
    void SelectComboItem(HWND dialog, int id, int index);  // as a choice from the list
    void PressKey(HWND dialog, int id, UINT key);           // in the control, given the focus first
    void PressMenuKeys(HWND menuWindow, const std::vector<UINT>& keys);

    static std::string Text(HWND window);
    static std::string Text(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }
    static Strings ComboItems(HWND dialog, int id);
    static HWND Focus(HWND window);  // the focus of the window's thread
    [[noreturn]] void Fail(const std::string& reason);

private:
    struct Abort {};
    HWND WaitFor(const std::function<bool(HWND)>& match, DWORD process, const std::string& what);
    void CloseLeftovers();

    const DWORD m_uiThread = GetCurrentThreadId();
    std::thread m_thread;
    std::atomic<bool> m_done{true};
    bool m_completed = false;
};
