// The application object, the per-thread message record, and the framework's
// global helpers (main window, application name, message boxes).
#pragma once

#include "AfxObject.h"
#include "AfxString.h"

#include <windows.h>

class CWnd;

class CWinApp : public CObject
{
public:
    // Registers the one application object of the process.
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    // Called for the messages of system modal loops (menus, message boxes,
    // dialog boxes) through the thread's message-filter hook.
    virtual BOOL ProcessMessageFilter(int code, MSG* msg);
    virtual void WinHelp(DWORD_PTR data, UINT command);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// The framework's per-thread record of the message being processed.
struct AFX_THREAD_STATE
{
    MSG m_lastSentMsg = {};
};
AFX_THREAD_STATE* AfxGetThreadState();

// Sets the thread's message record for one dispatch and restores the whole
// previous record when the dispatch returns, also when dispatches nest.
class AfxMessageRecordScope
{
public:
    AfxMessageRecordScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~AfxMessageRecordScope();
    AfxMessageRecordScope(const AfxMessageRecordScope&) = delete;
    AfxMessageRecordScope& operator=(const AfxMessageRecordScope&) = delete;

private:
    MSG m_saved;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// The executable's file name without its extension.
const char* AfxGetAppName();

// A message box with the application name as caption, owned by the main
// window's active popup; the exclamation icon when the type names no icon.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// The framework's entry: runs InitInstance and, when it returns false,
// ExitInstance. Returns the process exit code.
int AfxWinMain(HINSTANCE instance);
