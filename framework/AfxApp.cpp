#include "AfxApp.h"

#include "AfxInit.h"
#include "AfxString.h"
#include "AfxWnd.h"

#include <string>

namespace {

CWinApp* theOneApp = nullptr;
HHOOK messageFilterHook = nullptr;

LRESULT CALLBACK MessageFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && theOneApp && theOneApp->ProcessMessageFilter(code, reinterpret_cast<MSG*>(lParam)))
        return TRUE;
    return ::CallNextHookEx(messageFilterHook, code, wParam, lParam);
}

} // namespace

CWinApp::CWinApp()
{
    theOneApp = this;
}

CWinApp::~CWinApp()
{
    if (theOneApp == this) theOneApp = nullptr;
}

int CWinApp::ExitInstance()
{
    AfxOleTerm();
    return 0;
}

BOOL CWinApp::ProcessMessageFilter(int, MSG*)
{
    return FALSE;
}

CWinApp* AfxGetApp()
{
    return theOneApp;
}

CWnd* AfxGetMainWnd()
{
    return theOneApp ? theOneApp->m_pMainWnd : nullptr;
}

const char* AfxGetAppName()
{
    static std::string name = [] {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string base(path);
        size_t slash = base.find_last_of("\\/");
        if (slash != std::string::npos) base.erase(0, slash + 1);
        size_t dot = base.rfind('.');
        if (dot != std::string::npos) base.erase(dot);
        return base;
    }();
    return name.c_str();
}

namespace {

// The owner of a message box: the main window's active popup.
HWND MessageBoxOwner()
{
    CWnd* mainWindow = AfxGetMainWnd();
    return mainWindow && mainWindow->IsWindow() ? ::GetLastActivePopup(mainWindow->m_hWnd) : nullptr;
}

UINT WithIcon(UINT type)
{
    return (type & MB_ICONMASK) == 0 ? type | MB_ICONEXCLAMATION : type;
}

} // namespace

int AfxMessageBox(const char* text, UINT type)
{
    return ::MessageBoxA(MessageBoxOwner(), text, AfxGetAppName(), WithIcon(type));
}

int AfxMessageBox(const std::wstring& text, UINT type)
{
    return ::MessageBoxW(MessageBoxOwner(), text.c_str(), AfxWiden(AfxGetAppName()).c_str(), WithIcon(type));
}

int AfxWinMain(HINSTANCE instance)
{
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    AfxSetInstanceHandle(instance);
    messageFilterHook = ::SetWindowsHookExA(WH_MSGFILTER, MessageFilterHook, nullptr, ::GetCurrentThreadId());
    int exitCode = 0;
    if (!app->InitInstance()) exitCode = app->ExitInstance();
    if (messageFilterHook) ::UnhookWindowsHookEx(messageFilterHook);
    messageFilterHook = nullptr;
    return exitCode;
}
