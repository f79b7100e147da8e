#include "support/TalvoryProcess.h"

#include "support/TestDatabase.h"

namespace {

// The tray window: a hidden dialog of the process owned by another dialog.
BOOL CALLBACK FindTrayWindow(HWND window, LPARAM search) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(search);
    DWORD process = 0;
    char kind[16] = {}, ownerKind[16] = {};
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, kind, sizeof kind);
    GetClassNameA(GetWindow(window, GW_OWNER), ownerKind, sizeof ownerKind);
    if (process == found->first && !IsWindowVisible(window) && std::string(kind) == "#32770" &&
        std::string(ownerKind) == "#32770" && !GetDlgItem(window, 0xFFFF))
        found->second = window;
    return TRUE;
}

}  // namespace

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

HWND TalvoryProcess::WaitForTrayWindow() const {
    std::pair<DWORD, HWND> search = {Id(), nullptr};
    DWORD_PTR answer;
    WaitForInputIdle(m_info.hProcess, 15000);  // idle in its main loop: start-up is over
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000 && !WaitForExit(0); Sleep(50)) {
        EnumWindows(FindTrayWindow, reinterpret_cast<LPARAM>(&search));
        if (search.second && SendMessageTimeoutA(search.second, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &answer)) return search.second;
    }
    return nullptr;
}
