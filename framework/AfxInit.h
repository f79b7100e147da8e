// OLE for the thread, and the clipboard it leaves behind at exit.
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
