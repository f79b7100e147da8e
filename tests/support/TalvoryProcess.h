// Talvory.exe copied as exeName into a folder under the test's own (created;
// its name in UTF-8, any letters) and started as a process of its own, from
// that folder or from another one (workingFolder, under the test's own);
// ended, if still running, when the object goes.
#pragma once

#include "support/TestDatabase.h"

#include <windows.h>

class TalvoryProcess {
public:
    explicit TalvoryProcess(const std::string& folder, const std::string& exeName = "Talvory.exe", const std::string& workingFolder = "") {
        std::string path = TestFolder() + "\\" + folder, executable = path + "\\" + exeName, commandLine = "\"" + executable + "\"";
        std::string working = workingFolder.empty() ? path : TestFolder() + "\\" + workingFolder;
        MakeFolders(path);
        MakeFolders(working);
        CopyFileW(L"Z:" TALVORY_BIN_DIR_WIDE L"/Talvory.exe", Wide(executable).c_str(), FALSE);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring line = Wide(commandLine);
        CreateProcessW(Wide(executable).c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, Wide(working).c_str(), &startup, &m_info);
    }
    ~TalvoryProcess() {
        if (!WaitForExit(0)) TerminateProcess(m_info.hProcess, 1);
        WaitForExit(5000);
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
    bool WaitForExit(DWORD timeoutMs = 10000) const { return WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0; }
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }

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
