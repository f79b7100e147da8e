// Talvory.exe copied into a folder under the test's own and started from
// there as a process of its own; ended, if still running, when the object goes.
#pragma once

#include <windows.h>

#include <string>

class TalvoryProcess {
public:
    // Copies Talvory.exe as exeName into folder (under TestFolder(), created) and starts it there.
    explicit TalvoryProcess(const std::string& folder, const std::string& exeName = "Talvory.exe");
    ~TalvoryProcess();
    // The hidden tray window, once the program's start-up is over; null when
    // that takes longer than 15 s or there is none.
    HWND WaitForTrayWindow() const;
    bool WaitForExit(DWORD timeoutMs = 10000) const { return WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0; }
    DWORD Id() const { return m_info.dwProcessId; }

private:
    PROCESS_INFORMATION m_info = {};
};
