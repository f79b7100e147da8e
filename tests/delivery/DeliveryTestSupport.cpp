#include "DeliveryTestSupport.h"

#include <cstring>

HGLOBAL TextBlock(const std::string& text)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* bytes = static_cast<char*>(::GlobalLock(block));
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    return block;
}

DataSourcePtr TextSource(const std::string& text)
{
    DataSourcePtr source(new COleDataSource);
    source->CacheGlobalData(CF_TEXT, TextBlock(text));
    return source;
}

std::string SampleText(size_t length)
{
    std::string text(length, ' ');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(i % 64 == 63 ? ' ' : 'a' + (i * 7) % 26);
    return text;
}

DuringDragWait::DuringDragWait(std::function<void(HWND capture)> action)
{
    DWORD owner = ::GetCurrentThreadId();
    m_thread = std::thread([this, owner, action] {
        DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 20000) {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            if (::GetGUIThreadInfo(owner, &info) && info.hwndCapture) {
                m_captureSeen = info.hwndCapture;
                action(info.hwndCapture);
                return;
            }
            ::Sleep(1);
        }
    });
}

DuringDragWait::~DuringDragWait()
{
    if (m_thread.joinable()) m_thread.join();
}

HWND DuringDragWait::Finish()
{
    if (m_thread.joinable()) m_thread.join();
    return m_captureSeen;
}
