// Runs delivery_helper.exe, the tests' companion program, as another process.
#pragma once

#include <windows.h>

#include <string>

// Runs the helper with arguments and returns its exit code (or -1 when it
// could not start or did not end in time). Messages of this thread are
// dispatched meanwhile, so that the helper's clipboard calls never wait on us.
int RunDeliveryHelper(const std::string& arguments, DWORD timeout = 60000);

// Another program holding the clipboard open for the object's lifetime.
class HeldClipboard
{
public:
    HeldClipboard();
    ~HeldClipboard();
    HeldClipboard(const HeldClipboard&) = delete;
    HeldClipboard& operator=(const HeldClipboard&) = delete;

    // True once the other program has the clipboard open.
    bool IsHeld() const { return m_held; }
    // Lets the clipboard go and waits for the program to end.
    void Release();

private:
    HANDLE m_ready = nullptr;
    HANDLE m_release = nullptr;
    HANDLE m_process = nullptr;
    bool m_held = false;
};
