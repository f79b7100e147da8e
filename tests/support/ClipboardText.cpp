#include "ClipboardText.h"

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
    if (data) {
        result.present = true;
        result.blockSize = ::GlobalSize(data);
        const char* bytes = static_cast<const char*>(::GlobalLock(data));
        if (bytes) {
            const void* zero = std::memchr(bytes, 0, result.blockSize);
            result.terminated = zero != nullptr;
            size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : result.blockSize;
            result.text.assign(bytes, length);
            ::GlobalUnlock(data);
        }
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
        char* bytes = static_cast<char*>(::GlobalLock(block));
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        ::GlobalUnlock(block);
        if (!::SetClipboardData(CF_TEXT, block)) ::GlobalFree(block);
    }
    ::CloseClipboard();
    return block != nullptr;
}
