#include "support/TalvoryProcess.h"

#include "support/TestDatabase.h"

#include <vector>

namespace {

struct Search
{
    DWORD process;
    HWND tray;
};

// The tray window: a hidden dialog of the process owned by another dialog.
BOOL CALLBACK FindTrayWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    char kind[16] = {}, ownerKind[16] = {};
    ::GetWindowThreadProcessId(window, &process);
    ::GetClassNameA(window, kind, sizeof kind);
    ::GetClassNameA(::GetWindow(window, GW_OWNER), ownerKind, sizeof ownerKind);
    if (process == search->process && !::IsWindowVisible(window) && std::string(kind) == "#32770" &&
        std::string(ownerKind) == "#32770" && !::GetDlgItem(window, 0xFFFF))
        search->tray = window;
    return TRUE;
}

} // namespace

TalvoryProcess::TalvoryProcess(const std::string& folder, const std::string& exeName)
{
    std::string path = TestFolder() + "\\" + folder, executable = path + "\\" + exeName;
    MakeFolders(path);
    ::CopyFileA("Z:" TALVORY_BIN_DIR_UNIX "/Talvory.exe", executable.c_str(), FALSE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + executable + "\"";
    if (::CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, path.c_str(),
                         &startup, &info)) {
        m_process = info.hProcess;
        id = info.dwProcessId;
        ::CloseHandle(info.hThread);
    }
}

TalvoryProcess::~TalvoryProcess()
{
    if (!m_process) return;
    if (!WaitForExit(0)) ::TerminateProcess(m_process, 1);
    ::WaitForSingleObject(m_process, 5000);
    ::CloseHandle(m_process);
}

bool TalvoryProcess::WaitForExit(DWORD timeoutMs) const
{
    return m_process && ::WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

HWND TalvoryProcess::WaitForTrayWindow(DWORD timeoutMs) const
{
    Search search = {id, nullptr};
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < timeoutMs && !WaitForExit(0); ::Sleep(50)) {
        ::EnumWindows(FindTrayWindow, reinterpret_cast<LPARAM>(&search));
        DWORD_PTR answer;
        if (search.tray && ::SendMessageTimeoutA(search.tray, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer))
            return search.tray;
    }
    return nullptr;
}
