#include "TalvoryProcess.h"

#include "TestPaths.h"

namespace {

const int MessageBoxTextId = 0xFFFF;

bool IsDialogClass(HWND window)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770";
}

bool IsMessageBox(HWND window)
{
    return IsDialogClass(window) && ::GetDlgItem(window, MessageBoxTextId) != nullptr;
}

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogsOfProcess(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsDialogClass(window)) search->found.push_back(window);
    return TRUE;
}

} // namespace

TalvoryProcess::TalvoryProcess(const std::string& executablePath, const std::string& workingFolder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + executablePath + "\"";
    if (::CreateProcessA(executablePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                         workingFolder.c_str(), &startup, &info)) {
        m_process = info.hProcess;
        m_id = info.dwProcessId;
        ::CloseHandle(info.hThread);
    }
}

TalvoryProcess::~TalvoryProcess()
{
    if (!m_process) return;
    if (IsRunning()) {
        ::TerminateProcess(m_process, 1);
        ::WaitForSingleObject(m_process, 5000);
    }
    ::CloseHandle(m_process);
}

DWORD TalvoryProcess::WaitForExit(DWORD timeoutMs)
{
    if (::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    ::GetExitCodeProcess(m_process, &code);
    return code;
}

bool TalvoryProcess::IsRunning() const
{
    return m_process && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> TalvoryProcess::DialogWindows() const
{
    WindowSearch search{ m_id, {} };
    ::EnumWindows(CollectDialogsOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND TalvoryProcess::TrayWindow() const
{
    for (HWND window : DialogWindows()) {
        HWND owner = ::GetWindow(window, GW_OWNER);
        if (owner && !::IsWindowVisible(window) && !IsMessageBox(window) && IsDialogClass(owner)) return window;
    }
    return nullptr;
}

bool TalvoryProcess::WaitForTrayWindow(DWORD timeoutMs) const
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (TrayWindow()) return true;
        ::Sleep(50);
    }
    return false;
}

HWND TalvoryProcess::WaitForMessageBox(DWORD timeoutMs) const
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        for (HWND window : DialogWindows())
            if (IsMessageBox(window) && ::IsWindowVisible(window)) return window;
        ::Sleep(50);
    }
    return nullptr;
}

std::string MessageBoxText(HWND messageBox)
{
    char text[512] = {};
    ::GetDlgItemTextA(messageBox, MessageBoxTextId, text, sizeof text);
    return text;
}

std::string WindowCaption(HWND window)
{
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MakeFolder(const std::string& relative)
{
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    std::string path = std::string(current) + "\\" + relative;
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (!partial.empty() && partial.back() != ':') ::CreateDirectoryA(partial.c_str(), nullptr);
        }
        if (i < path.size()) partial += path[i];
    }
    return path;
}

void MakeFile(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

std::string CopyTalvoryInto(const std::string& folder, const std::string& fileName)
{
    std::string target = folder + "\\" + fileName;
    ::CopyFileA(TalvoryExecutable().c_str(), target.c_str(), FALSE);
    return target;
}
