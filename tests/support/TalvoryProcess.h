// Talvory.exe copied as exeName into a folder under the test's own (created)
// and started from there as a process of its own; ended, if still running,
// when the object goes.
#pragma once

#include "support/TestDatabase.h"

#include <windows.h>

class TalvoryProcess {
public:
    explicit TalvoryProcess(const std::string& folder, const std::string& exeName = "Talvory.exe") {
        std::string path = TestFolder() + "\\" + folder, executable = path + "\\" + exeName, commandLine = "\"" + executable + "\"";
        MakeFolders(path);
        CopyFileA("Z:" TALVORY_BIN_DIR_UNIX "/Talvory.exe", executable.c_str(), FALSE);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, path.c_str(), &startup, &m_info);
    }
    ~TalvoryProcess() {
        if (!WaitForExit(0)) TerminateProcess(m_info.hProcess, 1);
        WaitForExit(5000);
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
    bool WaitForExit(DWORD timeoutMs = 10000) const { return WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0; }
    DWORD Id() const { return m_info.dwProcessId; }

    // The tray window, once start-up is over (the process idles in its main
    // loop): a hidden dialog of the process from the editor's template,
    // owned by the main window. Null when there is none.
    HWND WaitForTrayWindow() const {
        WaitForInputIdle(m_info.hProcess, 15000);
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", "Talvory"));) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == Id() && !IsWindowVisible(window) && GetWindow(window, GW_OWNER)) return window;
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION m_info = {};
};
