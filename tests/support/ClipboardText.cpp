#include "ClipboardText.h"

#include <windows.h>

#include <cstring>

namespace {

bool OpenClipboardPatiently()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(20);
    }
    return false;
}

} // namespace

ClipboardText ReadClipboardText()
{
    ClipboardText result;
    if (!OpenClipboardPatiently()) return result;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    const char* bytes = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
    if (bytes) {
        SIZE_T size = ::GlobalSize(data);
        const void* zero = std::memchr(bytes, 0, size);
        result.terminated = zero != nullptr;
        result.text.assign(bytes, zero ? static_cast<const char*>(zero) - bytes : size);
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return result;
}

bool PutClipboardText(const std::string& text)
{
    if (!OpenClipboardPatiently()) return false;
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (block) {
        std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
        ::GlobalUnlock(block);
        if (!::SetClipboardData(CF_TEXT, block)) ::GlobalFree(block);
    }
    ::CloseClipboard();
    return block != nullptr;
}
