// The application object: start-up, the program's own message loop, shutdown.
#pragma once

#include "AfxApp.h"

class CBrevixApp : public CWinApp
{
public:
    BOOL InitInstance() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    int ExitInstance() override;
    // Swallows F1 inside menus and message boxes over a phrase editor.
    BOOL ProcessMessageFilter(int code, MSG* msg) override;
    // Help is switched off.
    void WinHelp(DWORD_PTR data, UINT command) override;
};

// The single-instance guard, created during static initialisation: the
// mutex handle and the error code recorded right after creating it.
extern HANDLE InstanceMutex;
extern DWORD InstanceMutexError;

// Runs the main loop: GetMessage, TranslateMessage, DispatchMessage until the
// quit flag is set or WM_QUIT arrives.
void RunMainLoop();
