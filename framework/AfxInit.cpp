#include "AfxInit.h"

#include <winsock.h>

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

BOOL AfxSocketInit()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) return FALSE;
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return FALSE;
    }
    return TRUE;
}

void AfxEnableControlContainer()
{
}

BOOL AfxInitRichEdit()
{
    static HMODULE richEdit = ::LoadLibraryA("riched32.dll");
    return richEdit != nullptr;
}
