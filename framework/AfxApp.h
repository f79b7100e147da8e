// The application object and the framework's global helpers (main window,
// application name, message boxes).
#pragma once

#include "AfxObject.h"
#include "AfxState.h"

#include <windows.h>

#include <string>

class CWnd;

class CWinApp : public CObject
{
public:
    // Registers the one application object of the process.
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    // Called for the messages of system modal loops (menus, message boxes,
    // dialog boxes) through the thread's message-filter hook.
    virtual BOOL ProcessMessageFilter(int code, MSG* msg);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The executable's file name without its extension.
const char* AfxGetAppName();

// A message box with the application name as caption, owned by the main
// window's active popup; the exclamation icon when the type names no icon.
int AfxMessageBox(const char* text, UINT type = MB_OK);
// The same for text in any alphabet (a message that names a file, say).
int AfxMessageBox(const std::wstring& text, UINT type = MB_OK);

// The framework's entry: runs InitInstance and, when it returns false,
// ExitInstance. Returns the process exit code.
int AfxWinMain(HINSTANCE instance);
