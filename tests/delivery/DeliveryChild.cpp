#include "DeliveryChild.h"

#include "support/DropTargetWindow.h"
#include "support/TestPaths.h"

namespace {

HANDLE StartHelper(const std::string& arguments)
{
    std::string commandLine = "\"" + BinFolder() + "\\delivery_helper.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process))
        return nullptr;
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for handle while dispatching this thread's messages; false on timeout.
bool WaitPumping(HANDLE handle, DWORD timeout)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeout) return false;
        DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, timeout - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        if (result == WAIT_OBJECT_0 + 1) {
            PumpMessages();
            continue;
        }
        return false;
    }
}

} // namespace

int RunDeliveryHelper(const std::string& arguments, DWORD timeout)
{
    HANDLE process = StartHelper(arguments);
    if (!process) return -1;
    int exitCode = -1;
    if (WaitPumping(process, timeout)) {
        DWORD code = 0;
        ::GetExitCodeProcess(process, &code);
        exitCode = static_cast<int>(code);
    } else {
        ::TerminateProcess(process, 99);
    }
    ::CloseHandle(process);
    return exitCode;
}

HeldClipboard::HeldClipboard()
{
    std::string suffix = std::to_string(::GetCurrentProcessId());
    std::string readyName = "TalvoryTestClipboardReady" + suffix;
    std::string releaseName = "TalvoryTestClipboardRelease" + suffix;
    m_ready = ::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    m_release = ::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    m_process = StartHelper("hold " + readyName + " " + releaseName);
    if (!m_process) return;
    HANDLE waits[2] = {m_ready, m_process};
    DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, 30000);
    m_held = result == WAIT_OBJECT_0;
}

HeldClipboard::~HeldClipboard()
{
    Release();
    if (m_ready) ::CloseHandle(m_ready);
    if (m_release) ::CloseHandle(m_release);
}

void HeldClipboard::Release()
{
    if (!m_process) return;
    ::SetEvent(m_release);
    if (!WaitPumping(m_process, 30000)) ::TerminateProcess(m_process, 99);
    ::CloseHandle(m_process);
    m_process = nullptr;
    m_held = false;
}
