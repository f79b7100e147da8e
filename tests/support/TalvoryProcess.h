// Talvory.exe copied into a folder under the test's own and started from
// there as a process of its own.
#pragma once

#include <windows.h>

#include <string>

class TalvoryProcess
{
public:
    // Copies Talvory.exe as exeName into folder (under TestFolder(), created) and starts it there.
    explicit TalvoryProcess(const std::string& folder, const std::string& exeName = "Talvory.exe");
    ~TalvoryProcess();  // ends the process if it still runs
    TalvoryProcess(const TalvoryProcess&) = delete;
    TalvoryProcess& operator=(const TalvoryProcess&) = delete;

    // The hidden tray window, once the program has made it and answers
    // messages (its start-up is over); null when that takes longer than timeoutMs.
    HWND WaitForTrayWindow(DWORD timeoutMs = 15000) const;
    bool WaitForExit(DWORD timeoutMs = 10000) const;

    DWORD id = 0;

private:
    HANDLE m_process = nullptr;
};
