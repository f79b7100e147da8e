// The tray menu's benchmark: from the tray notification to the menu on
// screen, and from the choice of a phrase to its text on the clipboard, on
// the database at database/phrases.mdb under the Unix working directory
// (bench/menu-run.sh prepares one per size). Run under Wine.
//
//   menu_bench.exe [REPEATS]
//
// Prints one line: open median and fastest, the menu's own building time,
// of which the store's queries, and choice-to-clipboard median (milliseconds).
#include "AfxApp.h"
#include "AfxDialog.h"
#include "AfxInit.h"
#include "AfxMenu.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "preview/MenuPreviewManager.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace {

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND VisibleMenuWindow()
{
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, "#32768", nullptr)))
        if (::IsWindowVisible(window)) return window;
    return nullptr;
}

void PostKey(HWND window, UINT key)
{
    ::PostMessageA(window, WM_KEYDOWN, key, 0);
    ::PostMessageA(window, WM_KEYUP, key, 0xC0000000);
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

// Opens the menu as a press on the icon does; the user's part runs on a
// thread of its own and sees the menu appear.
void OpenMenu(const std::function<void(HWND menuWindow)>& user, double& shownAt)
{
    std::atomic<bool> done{ false };
    std::thread driver([&] {
        HWND menuWindow;
        while (!(menuWindow = VisibleMenuWindow())) std::this_thread::yield();
        shownAt = NowMs();
        user(menuWindow);
        done = true;
    });
    TrayWindowProc(TrayWindowHandle, WM_TRAYNOTIFY, TrayIconId, WM_RBUTTONDOWN);
    driver.join();
}

} // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::atoi(argv[1]) : 20;
    CWinApp app;
    InstanceHandle = ::GetModuleHandleA(nullptr);
    AfxOleInit();
    CDialog mainWindow(IDD_TALVORY_DIALOG);
    mainWindow.Create(IDD_TALVORY_DIALOG);
    app.m_pMainWnd = &mainWindow;
    MenuPreviewManager.Install(mainWindow.m_hWnd);
    ListCategories();
    LoadAllContents();
    int phrases = CountPhrases();

    // The menu's own work: the resource, one query and one submenu per category.
    std::vector<double> build;
    for (int i = 0; i < repeats; ++i) {
        double start = NowMs();
        CMenu menu;
        menu.LoadMenu(IDR_TRAY_MENU);
        InsertCategorySubmenus(::GetSubMenu(menu, 0));
        menu.DestroyMenu();
        build.push_back(NowMs() - start);
    }

    // The store's part of it: one query per category.
    std::vector<double> queries;
    for (int i = 0; i < repeats; ++i) {
        double start = NowMs();
        for (int c = 0; c < CategoryList.count; ++c)
            ForEachCategoryPhrase(CategoryList.names[c], [](const CString&, int) {});
        queries.push_back(NowMs() - start);
    }

    std::vector<double> open;
    for (int i = 0; i < repeats; ++i) {
        double start = NowMs(), shown = 0;
        OpenMenu([](HWND menuWindow) { PostKey(menuWindow, VK_ESCAPE); }, shown);
        open.push_back(shown - start);
    }

    std::vector<double> deliver;
    for (int i = 0; i < repeats; ++i) {
        double chosen = 0, onClipboard = 0, shown = 0;
        OpenMenu(
            [&](HWND menuWindow) {
                PostKey(menuWindow, VK_DOWN);
                PostKey(menuWindow, VK_RIGHT);
                ::Sleep(50);
                DWORD sequence = ::GetClipboardSequenceNumber();
                chosen = NowMs();
                // The menu loop takes keys whichever of its windows they are posted to.
                PostKey(menuWindow, VK_RETURN);
                while (::GetClipboardSequenceNumber() == sequence) std::this_thread::yield();
                onClipboard = NowMs();
            },
            shown);
        deliver.push_back(onClipboard - chosen);
    }

    std::printf("%6d phrases %4d categories   open %7.2f ms (fastest %6.2f)   building %6.2f ms (queries %6.2f)   "
                "choice to clipboard %6.2f ms\n",
                phrases, CategoryList.count, Median(open), *std::min_element(open.begin(), open.end()),
                Median(build), Median(queries), Median(deliver));
    app.m_pMainWnd = nullptr;
    AfxOleTerm();
    return 0;
}
