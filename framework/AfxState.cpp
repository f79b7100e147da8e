#include "AfxState.h"

namespace {
HINSTANCE instanceHandle = nullptr;
} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return instanceHandle ? instanceHandle : ::GetModuleHandleA(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE instance)
{
    instanceHandle = instance;
}

AFX_THREAD_STATE* AfxGetThreadState()
{
    thread_local AFX_THREAD_STATE state;
    return &state;
}

AfxMessageRecordScope::AfxMessageRecordScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG& record = AfxGetThreadState()->m_lastSentMsg;
    m_saved = record;
    record.hwnd = hWnd;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
}

AfxMessageRecordScope::~AfxMessageRecordScope()
{
    AfxGetThreadState()->m_lastSentMsg = m_saved;
}
