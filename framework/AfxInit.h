// Start-up services of the framework: OLE, sockets, control containers, rich edit.
#pragma once

#include <windows.h>
#include <ole2.h>

// OleInitialize for the thread; false when OLE cannot start.
BOOL AfxOleInit();
// At exit: flushes the clipboard when the data object this process placed
// there last still owns it (so the text outlives the process), then ends OLE.
void AfxOleTerm();
// The data object this process placed on the clipboard last (compared, never used).
extern IDataObject* AfxClipboardSource;

// Windows Sockets 1.1; false (after WSACleanup) unless exactly 1.1 is granted.
BOOL AfxSocketInit();
// Control-container support: nothing to set up without ActiveX controls.
void AfxEnableControlContainer();
// Loads the rich edit control library.
BOOL AfxInitRichEdit();
