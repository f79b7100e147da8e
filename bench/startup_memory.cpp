// Where Talvory's working set goes, step by step: the program's own start-up
// steps in CBrevixApp::InitInstance's order, then menu openings, each
// followed by the process's working set (GetProcessMemoryInfo, which under
// Wine is the process's VmRSS) and the modules it loaded. Run by
// bench/menu-run.sh under Wine from a folder that holds database/phrases.mdb.
//
//   startup_memory.exe
//
// Prints one MEMORY line per step: name, working set after it and its growth
// (KiB), and the modules that came with it (name:image KiB).
#include "AfxApp.h"
#include "AfxInit.h"
#include "AfxMenu.h"
#include "app/AppState.h"
#include "app/DatabaseFolder.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "dialogs/BrevixDlg.h"
#include "preview/MenuPreviewManager.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::set<HMODULE> knownModules;

std::string NewModules()
{
    HMODULE modules[512];
    DWORD needed = 0;
    std::string list;
    if (!::EnumProcessModules(::GetCurrentProcess(), modules, sizeof modules, &needed)) return list;
    for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
        if (!knownModules.insert(modules[i]).second) continue;
        char name[MAX_PATH] = {};
        ::GetModuleBaseNameA(::GetCurrentProcess(), modules[i], name, sizeof name);
        MODULEINFO info = {};
        ::GetModuleInformation(::GetCurrentProcess(), modules[i], &info, sizeof info);
        list += std::string(list.empty() ? "" : ",") + name + ":" + std::to_string(info.SizeOfImage / 1024);
    }
    return list;
}

SIZE_T lastWorkingSet;

void Step(const char* name)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    std::string modules = NewModules();
    std::printf("MEMORY step=%s ws_kb=%lu grew_kb=%ld modules=%s\n", name,
                static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                static_cast<long>(memory.WorkingSetSize / 1024) - static_cast<long>(lastWorkingSet / 1024),
                modules.empty() ? "-" : modules.c_str());
    std::fflush(stdout);
    lastWorkingSet = memory.WorkingSetSize;
}

void BuildAndDestroyMenu()
{
    CMenu menu;
    menu.LoadMenu(IDR_TRAY_MENU);
    InsertCategorySubmenus(::GetSubMenu(menu, 0));
    menu.DestroyMenu();
}

} // namespace

int main()
{
    Step("process-start");
    CWinApp app;
    app.m_hInstance = ::GetModuleHandleA(nullptr);
    AfxSetInstanceHandle(app.m_hInstance);
    const HINSTANCE InstanceHandle = app.m_hInstance;

    AfxOleInit();
    Step("AfxOleInit");
    LocateDatabaseFolder();
    Step("LocateDatabaseFolder");
    ::SetTimer(nullptr, 0, 1000, AnimateTrayIcon);

    // What the main window's creation does, in parts: the store's connection
    // and category list, the tray window with its icons, then the hidden
    // editor window itself.
    CountPhrases();
    ListCategories();
    Step("connection+ListCategories");
    // The five animation frames as the tray loads them, alone (released again).
    const UINT frameIds[5] = {IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4, IDI_FRAME_5};
    HICON frames[5];
    for (int i = 0; i < 5; ++i)
        frames[i] = static_cast<HICON>(
            ::LoadImageA(InstanceHandle, MAKEINTRESOURCEA(frameIds[i]), IMAGE_ICON, 32, 32, 0));
    Step("five-icons-alone");
    for (HICON frame : frames) ::DestroyIcon(frame);
    HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, InstanceHandle, nullptr);
    MenuPreviewManager.Install(owner);
    CreateTrayWindow(owner);
    Step("tray-window+icons+NIM_ADD");
    {
        CBrevixDlg mainDialog;
        mainDialog.Create(IDD_TALVORY_DIALOG);
        app.m_pMainWnd = &mainDialog;
        Step("hidden-editor-window");

        BuildAndDestroyMenu();
        Step("first-menu");
        for (int i = 0; i < 9; ++i) BuildAndDestroyMenu();
        Step("9-more-menus");
        app.m_pMainWnd = nullptr;
        RemoveTrayIcon();
        mainDialog.DestroyWindow();
    }
    AfxOleTerm();
    return 0;
}
