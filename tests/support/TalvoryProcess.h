// Talvory.exe started as a real process of its own, from a folder prepared by
// the test, and the windows it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TalvoryProcess
{
public:
    // Starts executablePath with workingFolder as its current directory.
    TalvoryProcess(const std::string& executablePath, const std::string& workingFolder);
    ~TalvoryProcess();
    TalvoryProcess(const TalvoryProcess&) = delete;
    TalvoryProcess& operator=(const TalvoryProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    // Waits for the process to end; its exit code, or STILL_ACTIVE on timeout.
    DWORD WaitForExit(DWORD timeoutMs);
    bool IsRunning() const;

    // The process's top-level dialog windows (main window, tray window, message boxes).
    std::vector<HWND> DialogWindows() const;
    // Waits until the hidden main window and the tray window exist.
    bool WaitForTrayWindow(DWORD timeoutMs) const;
    // The tray window: the hidden dialog window owned by another dialog of the process.
    HWND TrayWindow() const;
    // Waits for a message box of the process and returns it (null on timeout).
    HWND WaitForMessageBox(DWORD timeoutMs) const;

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The text and caption of a message box window.
std::string MessageBoxText(HWND messageBox);
std::string WindowCaption(HWND window);
// Copies Talvory.exe into folder under fileName, creating the folder.
std::string CopyTalvoryInto(const std::string& folder, const std::string& fileName = "Talvory.exe");
// A folder name under the test's own temporary working folder, created.
std::string MakeFolder(const std::string& relative);
// An empty file (it stands for a database file in the folder check).
void MakeFile(const std::string& path);
