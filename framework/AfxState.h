// The framework's process and thread state: the module instance handle and
// the per-thread record of the message being processed.
#pragma once

#include <windows.h>

// The executable's module instance handle (set by AfxWinMain).
HINSTANCE AfxGetInstanceHandle();
void AfxSetInstanceHandle(HINSTANCE instance);

// The framework's per-thread record of the message being processed.
struct AFX_THREAD_STATE
{
    MSG m_lastSentMsg = {};
};
AFX_THREAD_STATE* AfxGetThreadState();

// Sets the thread's message record for one dispatch and restores the whole
// previous record when the dispatch returns, also when dispatches nest.
class AfxMessageRecordScope
{
public:
    AfxMessageRecordScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~AfxMessageRecordScope();
    AfxMessageRecordScope(const AfxMessageRecordScope&) = delete;
    AfxMessageRecordScope& operator=(const AfxMessageRecordScope&) = delete;

private:
    MSG m_saved;
};
