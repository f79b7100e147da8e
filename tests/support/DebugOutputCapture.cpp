#include "DebugOutputCapture.h"

#include <windows.h>

#include <cstring>
#include <mutex>

namespace {

std::mutex lock;
std::string captured;
PVOID handler = nullptr;

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C (0x40010006) with the length
// of the text (its NUL included) and the text; a vectored handler sees it
// before the system's own handler, which then goes on as usual.
LONG CALLBACK Capture(PEXCEPTION_POINTERS pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == 0x40010006 && record->NumberParameters >= 2 && record->ExceptionInformation[1]) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        std::lock_guard<std::mutex> guard(lock);
        captured.append(text, strnlen(text, static_cast<size_t>(record->ExceptionInformation[0])));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DebugOutputCapture::DebugOutputCapture()
{
    Clear();
    handler = AddVectoredExceptionHandler(1, &Capture);
}

DebugOutputCapture::~DebugOutputCapture()
{
    RemoveVectoredExceptionHandler(handler);
}

std::string DebugOutputCapture::Text() const
{
    std::lock_guard<std::mutex> guard(lock);
    return captured;
}

void DebugOutputCapture::Clear()
{
    std::lock_guard<std::mutex> guard(lock);
    captured.clear();
}
