// The tray menu's benchmark: from the tray notification to the menu on
// screen, and from the choice of a phrase to its text on the clipboard, on
// the database at database/phrases.mdb under the Unix working directory
// (bench/menu-run.sh prepares one per size), or on the database server that
// CONNECTION names (bench/team-run.sh). Run under Wine.
//
//   menu_bench.exe [REPEATS [CONNECTION]]
//
// The in-process part of bench/menu-run.sh: where the time of an opening
// goes. Prints one line of medians in milliseconds (key=value): open (from
// the tray notification to the menu on screen), build (the menu resource and
// the category submenus), queries (the store's per-category queries alone),
// raw (the same statements run the plain way on the store's connection),
// diagnostics (what one OutputDebugStringA after each execution adds to raw),
// items (build - queries: making the items and everything else of the
// building), tracking (open - build: from TrackPopupMenu to the menu on
// screen) and choice (from Enter on the first phrase to its text on the
// clipboard). The samples of build, queries and open are taken in turns.
// On a server that counts its revisions, opened also counts the openings
// after a change to a phrase (every row read again), with open the
// openings of an unchanged library.
#include "AfxApp.h"
#include "AfxDialog.h"
#include "AfxInit.h"
#include "AfxMenu.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "preview/MenuPreviewManager.h"
#include "res/resource.h"
#include "store/DatabaseFile.h"
#include "store/OdbcConnection.h"
#include "store/PhraseStore.h"

#include "bench_clock.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::Median;
using bench::NowMs;
using bench::PostKey;

HWND VisibleMenuWindow()
{
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, "#32768", nullptr)))
        if (::IsWindowVisible(window)) return window;
    return nullptr;
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

// The database server's connection string; empty for the local file.
std::wstring server;

// A connection of the benchmark's own to the phrase database, as the store makes its one.
SQLHDBC PlainConnection()
{
    static SQLHDBC connection = [] {
        SQLHENV environment = SQL_NULL_HENV;
        SQLHDBC handle = SQL_NULL_HDBC;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
        SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
        SQLAllocHandle(SQL_HANDLE_DBC, environment, &handle);
        std::wstring text = server.empty() ? L"DBQ=" + DatabaseFilePath() + L";DRIVER={" + AccessDriverName + L"}" : server;
        SQLDriverConnectW(handle, nullptr, reinterpret_cast<SQLWCHAR*>(&text[0]), SQL_NTS, nullptr, 0, nullptr,
                          SQL_DRIVER_NOPROMPT);
        return handle;
    }();
    return connection;
}

// Runs a statement that changes the database on the benchmark's own connection.
void RunPlainChange(const char* text)
{
    SQLHSTMT statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, PlainConnection(), &statement))) return;
    SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

// Runs the menu's statement the plain way; returns the time it took.
double RunPlainQuery(bool writeDiagnostics)
{
    SQLHDBC connection = PlainConnection();
    double start = NowMs();
    char text[] = "SELECT category, code, PhraseID FROM phrase ORDER BY category, code";
    SQLHSTMT statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) return 0;
    static char category[256], code[256];
    static SQLINTEGER phraseId;
    static SQLLEN categoryLength, codeLength, idLength;
    SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text), SQL_NTS);
    if (writeDiagnostics) ::OutputDebugStringA("SQL_SUCCESS\n");
    SQLBindCol(statement, 1, SQL_C_CHAR, category, sizeof category, &categoryLength);
    SQLBindCol(statement, 2, SQL_C_CHAR, code, sizeof code, &codeLength);
    SQLBindCol(statement, 3, SQL_C_SLONG, &phraseId, 0, &idLength);
    while (SQL_SUCCEEDED(SQLFetch(statement))) {
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return NowMs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::atoi(argv[1]) : 20;
    if (argc > 2) {
        std::string text = argv[2];
        server.assign(text.begin(), text.end());
        UseDatabaseServer(server);
    }
    CWinApp app;
    AfxOleInit();
    CDialog mainWindow(IDD_TALVORY_DIALOG);
    mainWindow.Create(IDD_TALVORY_DIALOG);
    app.m_pMainWnd = &mainWindow;
    MenuPreviewManager.Install(mainWindow.m_hWnd);
    ListCategories();
    int rows = CountPhrases();

    std::vector<double> build, queries, raw, rawWithDiagnostics, open, openedAfterChange;
    for (int i = 0; i < repeats; ++i) {
        // The menu's own work: the resource, its one query and one submenu
        // per category, in one store task as the tray menu runs them.
        double start = NowMs();
        {
            StoreTaskScope task;
            CMenu menu;
            menu.LoadMenu(IDR_TRAY_MENU);
            InsertCategorySubmenus(::GetSubMenu(menu, 0));
            menu.DestroyMenu();
        }
        build.push_back(NowMs() - start);

        // The store's part of it: the menu's query.
        start = NowMs();
        {
            StoreTaskScope task;
            ForEachMenuRow([](size_t, const char*, PhraseId) {});
        }
        queries.push_back(NowMs() - start);

        // The same statement run the plain way on a connection of its own
        // (executed directly, three bound columns, rows dropped), without and
        // with a diagnostic line after the execution.
        raw.push_back(RunPlainQuery(false));
        rawWithDiagnostics.push_back(RunPlainQuery(true));

        double shown = 0;
        start = NowMs();
        OpenMenu([](HWND menuWindow) { PostKey(menuWindow, VK_ESCAPE); }, shown);
        open.push_back(shown - start);

        if (DatabaseCountsRevisions()) {
            // Someone changed a phrase (its text as it was): the opening reads every row again.
            RunPlainChange("UPDATE phrase SET content = content WHERE PhraseID = (SELECT MIN(PhraseID) FROM phrase)");
            start = NowMs();
            OpenMenu([](HWND menuWindow) { PostKey(menuWindow, VK_ESCAPE); }, shown);
            openedAfterChange.push_back(shown - start);
        }
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

    std::printf("INPROC rows=%d categories=%d open=%.3f build=%.3f queries=%.3f raw=%.3f diagnostics=%.3f items=%.3f "
                "tracking=%.3f choice=%.3f opened-after-change=%.3f\n",
                rows, static_cast<int>(CategoryList().names.size()), Median(open), Median(build), Median(queries), Median(raw),
                Median(rawWithDiagnostics) - Median(raw),
                Median(build) - Median(queries), Median(open) - Median(build), Median(deliver), Median(openedAfterChange));
    app.m_pMainWnd = nullptr;
    AfxOleTerm();
    return 0;
}
