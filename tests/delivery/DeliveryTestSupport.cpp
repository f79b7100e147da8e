#include "DeliveryTestSupport.h"

#include "support/TestPaths.h"

#include <cstring>

DataSourcePtr TextSource(const std::string& text)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    DataSourcePtr source(new COleDataSource);
    source->CacheGlobalData(CF_TEXT, block);
    return source;
}

std::string SampleText(size_t length)
{
    std::string text(length, ' ');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(i % 64 == 63 ? ' ' : 'a' + (i * 7) % 26);
    return text;
}

std::thread WhenCaptured(std::function<void(HWND capture)> action)
{
    DWORD owner = ::GetCurrentThreadId();
    return std::thread([owner, action] {
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 20000; ::Sleep(1)) {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            if (::GetGUIThreadInfo(owner, &info) && info.hwndCapture) return action(info.hwndCapture);
        }
    });
}

int RunDeliveryHelper(const std::string& arguments)
{
    std::string commandLine = "\"" + BinFolder() + "\\delivery_helper.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process))
        return -1;
    ::CloseHandle(process.hThread);
    // The helper's drop on this thread's window is carried out by this thread's messages.
    DWORD result, start = ::GetTickCount();
    while ((result = ::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT)) != WAIT_OBJECT_0 &&
           ::GetTickCount() - start < 60000)
        PumpMessages();
    DWORD code = DWORD(-1);
    if (result == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
    else ::TerminateProcess(process.hProcess, code);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
