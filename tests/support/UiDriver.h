// UiDriver: a scripted user for UI tests. The test runs the real window or
// modal dialog on its own thread (DoModal, a message loop, another process);
// the driver runs the user's script on a thread of its own: it waits for
// windows, reads message boxes, presses buttons, types, chooses combo-box
// items and presses keys with window messages, and records what it saw.
//
//     UiDriver user;
//     user.Start([](UiDriver& ui) {
//         HWND dialog = ui.WaitForDialog("Add Category");
//         ui.SetText(dialog, IDC_CATEGORY_NAME, "Letters");
//         ui.PressButton(dialog, IDOK);
//         ui.Answer(ui.WaitForMessageBox("Category added ..."), IDNO);
//         ui.WaitUntilGone(dialog);
//     });
//     dialog.DoModal();
//     EXPECT_TRUE(user.Finish());
//
// A wait that times out is a test failure: the script stops there, and the
// driver closes the dialogs and message boxes still open on the thread that
// started it, so that the test ends instead of hanging. The same happens when
// the script ends while such a window is still on screen.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UiDriver
{
public:
    // What a wait looks for among the top-level windows. Empty texts and null
    // handles match anything; processId 0 means this process.
    struct WindowQuery
    {
        std::string className;
        std::string caption;
        HWND owner = nullptr;
        DWORD processId = 0;
        bool visible = true;
    };

    // A message box as the user saw it.
    struct MessageBoxSeen
    {
        HWND window = nullptr;
        HWND owner = nullptr;
        std::string caption;
        std::string text;
        // Button captions without their mnemonic marker ("Yes", "No", "OK"), in window order.
        std::vector<std::string> buttons;
        std::vector<int> buttonIds;
        // MB_ICONINFORMATION, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONERROR, or 0 for none.
        UINT icon = 0;
    };

    // Thrown inside the script when it cannot go on; the driver catches it.
    struct Abort
    {
        std::string reason;
    };

    // The thread that constructs the driver is the one whose windows it
    // closes when a script fails. timeoutMs bounds every wait.
    explicit UiDriver(DWORD timeoutMs = 15000);
    ~UiDriver();
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    // Starts the script on the driver thread.
    void Start(std::function<void(UiDriver&)> script);
    // Waits for the script's end (at most timeoutMs after the last action
    // started). True when it ran to its end without failing.
    bool Finish();

    // --- Waiting and finding ---------------------------------------------
    HWND WaitForWindow(const WindowQuery& query);
    // A visible dialog of this process with that caption.
    HWND WaitForDialog(const std::string& caption);
    // A visible message box whose text is exactly text (of this process
    // unless processId names another); it is recorded.
    MessageBoxSeen WaitForMessageBox(const std::string& text, DWORD processId = 0);
    // The first visible message box of the process, whatever its text; recorded.
    MessageBoxSeen WaitForAnyMessageBox(DWORD processId = 0);
    // Waits until window is destroyed or hidden.
    void WaitUntilGone(HWND window);
    // Waits until condition holds (polled).
    void WaitUntil(const std::function<bool()>& condition, const std::string& what);
    // The message boxes open once the dialog's thread has handled what was
    // sent to it so far, polled for graceMs; empty when none came.
    std::vector<MessageBoxSeen> MessageBoxesOnceIdle(HWND dialog, DWORD graceMs = 500);
    // The visible message boxes of the process now, read but not recorded.
    std::vector<MessageBoxSeen> OpenMessageBoxes(DWORD processId = 0);
    static MessageBoxSeen ReadMessageBox(HWND box);

    // --- Acting ----------------------------------------------------------
    // Presses the box's button and waits until the box has gone.
    void Answer(const MessageBoxSeen& box, int buttonId);
    // Posts the button's click notification (WM_COMMAND with BN_CLICKED) to
    // the dialog, as a click does; returns at once.
    void PressButton(HWND dialog, int id);
    // Posts BM_CLICK to the button itself.
    void ClickButton(HWND dialog, int id);
    // Sends the click notification and waits until the dialog has handled it.
    // For buttons that open no dialog or message box; fails when the handler
    // does not return in time.
    void PressButtonAndWait(HWND dialog, int id);
    // Replaces the control's text (WM_SETTEXT).
    void SetText(HWND dialog, int id, const std::string& text);
    // Replaces the control's text as typing or pasting does (select all, then
    // EM_REPLACESEL), so the control's text limit applies.
    void TypeText(HWND dialog, int id, const std::string& text);
    void SetSelection(HWND dialog, int id, int start, int end);
    // Selects item index of a combo box and notifies the dialog as the user's
    // choice from the list does (CBN_SELCHANGE, then CBN_SELENDOK).
    void SelectComboItem(HWND dialog, int id, int index);
    // Gives the control the focus (WM_NEXTDLGCTL).
    void Focus(HWND dialog, int id);
    // Posts a key press (down and up) to the window that has the focus on the
    // dialog's thread, through that thread's message loop.
    void PressKey(HWND dialog, UINT virtualKey);
    // Focus(dialog, id), then PressKey.
    void PressKeyIn(HWND dialog, int id, UINT virtualKey);
    void SendSystemCommand(HWND window, UINT command);

    // --- Reading ---------------------------------------------------------
    static std::string Text(HWND window);
    std::string Text(HWND dialog, int id);
    std::vector<std::string> ComboItems(HWND dialog, int id);
    int ComboSelection(HWND dialog, int id);
    std::string ComboSelectedText(HWND dialog, int id);
    HWND FocusWindow(HWND dialog);

    // --- What the user saw -------------------------------------------------
    // Every message box waited for, in order (read after Finish).
    std::vector<MessageBoxSeen> MessageBoxes() const;
    // One line per action and observation, with the milliseconds since the driver was made.
    std::string Transcript() const;
    void Note(const std::string& line);

    // Fails the test and stops the script.
    [[noreturn]] void Fail(const std::string& reason);

private:
    HWND Control(HWND dialog, int id);
    bool WindowMatches(HWND window, const WindowQuery& query) const;
    DWORD ProcessOf(DWORD processId) const;
    // Closes the visible dialogs and message boxes of the starting thread.
    void CloseLeftovers();

    DWORD m_timeoutMs;
    DWORD m_uiThreadId;
    DWORD m_startTick;
    std::thread m_thread;
    bool m_completed = false;
    bool m_started = false;
    mutable std::mutex m_mutex;
    std::vector<MessageBoxSeen> m_messageBoxes;
    std::vector<std::string> m_transcript;
};
