#include "support/TalvoryProcess.h"

#include "support/TestDatabase.h"

TalvoryProcess::TalvoryProcess(const std::string& folder, const std::string& exeName) {
    std::string path = TestFolder() + "\\" + folder, executable = path + "\\" + exeName;
    MakeFolders(path);
    CopyFileA("Z:" TALVORY_BIN_DIR_UNIX "/Talvory.exe", executable.c_str(), FALSE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + executable + "\"";
    CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, path.c_str(), &startup, &m_info);
}

TalvoryProcess::~TalvoryProcess() {
    if (!WaitForExit(0)) TerminateProcess(m_info.hProcess, 1);
    WaitForExit(5000);
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
}

// The tray window: a hidden dialog of the process, made from the editor's template, owned by the main window.
HWND TalvoryProcess::WaitForTrayWindow() const {
    WaitForInputIdle(m_info.hProcess, 15000);  // idle in its main loop: start-up is over
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", "Talvory"));) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == Id() && !IsWindowVisible(window) && GetWindow(window, GW_OWNER)) return window;
    }
    return nullptr;
}
