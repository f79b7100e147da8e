#include "AfxInit.h"

IDataObject* AfxClipboardSource = nullptr;

namespace {
bool oleInitialized = false;
} // namespace

BOOL AfxOleInit()
{
    if (oleInitialized) return TRUE;
    if (FAILED(::OleInitialize(nullptr))) return FALSE;
    oleInitialized = true;
    return TRUE;
}

void AfxOleTerm()
{
    if (!oleInitialized) return;
    if (AfxClipboardSource && ::OleIsCurrentClipboard(AfxClipboardSource) == S_OK) ::OleFlushClipboard();
    AfxClipboardSource = nullptr;
    ::OleUninitialize();
    oleInitialized = false;
}
