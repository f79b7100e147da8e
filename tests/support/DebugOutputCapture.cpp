#include "DebugOutputCapture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006
#endif

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the length of the text
// (its NUL included) and the text; a vectored handler sees it before the
// system's own handler, which then goes on as usual.
struct DebugOutputCaptures {
    CRITICAL_SECTION lock;
    std::vector<DebugOutputCapture*> active;
    PVOID handler = nullptr;

    DebugOutputCaptures() { InitializeCriticalSection(&lock); }

    static DebugOutputCaptures& Instance()
    {
        static DebugOutputCaptures captures;
        return captures;
    }

    static LONG CALLBACK Handler(PEXCEPTION_POINTERS pointers)
    {
        const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
        if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        if (!text || length == 0) return EXCEPTION_CONTINUE_SEARCH;
        length = strnlen(text, length);
        DebugOutputCaptures& captures = Instance();
        EnterCriticalSection(&captures.lock);
        for (DebugOutputCapture* capture : captures.active) capture->m_text.append(text, length);
        LeaveCriticalSection(&captures.lock);
        return EXCEPTION_CONTINUE_SEARCH;
    }
};

DebugOutputCapture::DebugOutputCapture()
{
    DebugOutputCaptures& captures = DebugOutputCaptures::Instance();
    EnterCriticalSection(&captures.lock);
    captures.active.push_back(this);
    if (!captures.handler) captures.handler = AddVectoredExceptionHandler(1, &DebugOutputCaptures::Handler);
    LeaveCriticalSection(&captures.lock);
}

DebugOutputCapture::~DebugOutputCapture()
{
    DebugOutputCaptures& captures = DebugOutputCaptures::Instance();
    EnterCriticalSection(&captures.lock);
    captures.active.erase(std::remove(captures.active.begin(), captures.active.end(), this), captures.active.end());
    if (captures.active.empty() && captures.handler) {
        RemoveVectoredExceptionHandler(captures.handler);
        captures.handler = nullptr;
    }
    LeaveCriticalSection(&captures.lock);
}

std::string DebugOutputCapture::Text() const
{
    DebugOutputCaptures& captures = DebugOutputCaptures::Instance();
    EnterCriticalSection(&captures.lock);
    std::string text = m_text;
    LeaveCriticalSection(&captures.lock);
    return text;
}

void DebugOutputCapture::Clear()
{
    DebugOutputCaptures& captures = DebugOutputCaptures::Instance();
    EnterCriticalSection(&captures.lock);
    m_text.clear();
    LeaveCriticalSection(&captures.lock);
}
