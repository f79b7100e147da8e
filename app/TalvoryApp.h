// The application object: start-up, the program's own message loop, shutdown.
#pragma once

#include "AfxApp.h"
#include "AfxHandles.h"
#include "store/DatabaseFile.h"

class CBrevixApp : public CWinApp
{
public:
    BOOL InitInstance() override;
    // Swallows F1 inside menus and message boxes over a phrase editor, so
    // that no help is ever asked for.
    BOOL ProcessMessageFilter(int code, MSG* msg) override;
};

// The single-instance guard, created during static initialisation: the
// mutex handle and the error code recorded right after creating it.
extern CKernelHandle InstanceMutex;
extern DWORD InstanceMutexError;

// Tells the user, once, when the phrase database cannot be used (not a
// database, no phrase table or columns, a server that cannot be reached):
// the phrases are not lost, only not found. untouched is the local file as
// it was before it was opened; the file is said to be unchanged only when
// it still is.
void ReportUnusableDatabase(const FileStamp& untouched);

// Runs the main loop: GetMessage, TranslateMessage, DispatchMessage until the
// quit flag is set or WM_QUIT arrives.
void RunMainLoop();
