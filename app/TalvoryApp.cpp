#include "app/TalvoryApp.h"

#include "AfxInit.h"
#include "app/AppState.h"
#include "app/DatabaseFolder.h"
#include "app/GlobalHotkey.h"
#include "app/Settings.h"
#include "app/TrayIcon.h"
#include "dialogs/BrevixDlg.h"
#include "res/resource.h"
#include "store/DatabaseFile.h"
#include "store/OdbcConnection.h"

#include <memory>

// Start-up does not load the common controls, the rich edit control or
// Windows Sockets: the program uses none of them, and each would cost the
// process memory for its whole run (bench/README.md).
BOOL CBrevixApp::InitInstance()
{
    if (InstanceMutexError == ERROR_ALREADY_EXISTS) {
        AfxMessageBox("Talvory is already running");
        return FALSE;
    }

    CWinApp::InitInstance();

    if (!AfxOleInit()) {
        AfxMessageBox("AfxOleInit Error!");
        return FALSE;
    }
    // A database server when one is configured; otherwise the local file,
    // whose folder must be there.
    UseDatabaseServer(ReadSetting(L"Database"));
    if (!LocateDatabaseFolder() && !UsesDatabaseServer()) {
        AfxMessageBox("Some Folders are missing, Please re-install Application");
        return FALSE;
    }
    // The file as it is before anything opens it, so that the user can be
    // told truly whether it is unchanged.
    FileStamp untouched = StampOf(DatabaseFilePath());

    // The animation timer is never stopped; it also guarantees the main loop
    // a message every second, so that it sees the quit flag.
    ::SetTimer(nullptr, 0, 1000, AnimateTrayIcon);

    auto mainDialog = std::make_unique<CBrevixDlg>();
    mainDialog->Create(IDD_TALVORY_DIALOG);
    m_pMainWnd = mainDialog.get();
    CGlobalHotkey hotkey(mainDialog->m_hWnd);
    ReportUnusableDatabase(untouched);

    RunMainLoop();

    ReleaseTrayIconTable();
    hotkey.Unregister();
    mainDialog->EndDialog(IDOK);
    m_pMainWnd = nullptr;
    mainDialog.reset();
    CloseStoreConnection();
    return FALSE;
}

void ReportUnusableDatabase(const FileStamp& untouched)
{
    std::wstring problem = DescribeDatabaseProblem();
    if (problem.empty()) return;
    std::wstring text = problem + L"\n\nTalvory goes on without its phrases";
    if (UsesDatabaseServer()) {
        text += L" and tries again each time they are needed.";
    } else {
        text += StampOf(DatabaseFilePath()) == untouched ? L"; the file has not been changed." : L".";
    }
    AfxMessageBox(text);
}

void RunMainLoop()
{
    MSG msg;
    while (QuitFlag == 0) {
        if (::GetMessageA(&msg, nullptr, 0, 0) == 0) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

BOOL CBrevixApp::ProcessMessageFilter(int code, MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1) {
        // The phrase editor is the active window, or owns the menu or
        // message box that is active over it.
        for (HWND window = ::GetActiveWindow(); window; window = ::GetWindow(window, GW_OWNER)) {
            CWnd* object = CWnd::FromHandlePermanent(window);
            if (object && object->IsKindOf(RUNTIME_CLASS(CBrevixDlg))) return TRUE;
        }
    }
    return CWinApp::ProcessMessageFilter(code, msg);
}
