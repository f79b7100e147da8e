// The program in this process as its start-up leaves it, for the tests of
// the tray menu, the preview and the dialogs: a phrase database, OLE, the
// hidden main window (the first CBrevixDlg, which makes the tray window,
// loads the category list and hooks the preview) and a drop target under
// the mouse cursor. The calls made to the shell's notification area are
// recorded on their way to it.
#pragma once

#include "AfxApp.h"
#include "AfxInit.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "dialogs/BrevixDlg.h"
#include "support/DropTarget.h"
#include "support/TestDatabase.h"

#include <memory>

using Script = std::function<void(UiDriver&, HWND window)>;

class AppTest : public ::testing::Test {
public:
    inline static std::vector<std::pair<DWORD, TrayIconRecord>> iconCalls;  // message and record
    inline static CWinApp application;  // the framework's application object, as in the program
    inline static NotifyIconFunction shellNotifyIcon = NotifyIcon;
    static BOOL WINAPI RecordIconCall(DWORD message, void* record) {
        iconCalls.emplace_back(message, *static_cast<TrayIconRecord*>(record));
        return shellNotifyIcon(message, record);
    }

protected:
    // Starts the main window over the rows inserted so far.
    void StartProgram() {
        ASSERT_TRUE(AfxOleInit());
        iconCalls.clear();
        NotifyIcon = RecordIconCall;
        TrayWindowHandle = nullptr;  // made by the first main window of the process
        QuitFlag = 0;
        ASSERT_TRUE(mainWindow.Create(IDD_TALVORY_DIALOG));
        application.m_pMainWnd = &mainWindow;
        // The first program of a Wine session brings up the shell's
        // notification area after the icon was first added: the icon is
        // there once the animation has added it again.
        PumpUntil([] {
            NOTIFYICONDATAA known = {};
            known.cbSize = NOTIFYICONDATAA_V1_SIZE;
            known.hWnd = TrayWindowHandle;
            known.uID = TrayIconId;
            HWND tray = FindWindowA(nullptr, "Wine System Tray");
            return shellNotifyIcon(NIM_MODIFY, &known) != FALSE && (!tray || IsWindowVisible(tray));
        }, 10000);
        target.reset(new DropTarget);
    }
    void TearDown() override {
        target.reset();
        application.m_pMainWnd = nullptr;
        RemoveTrayIcon();
        NotifyIcon = shellNotifyIcon;
        mainWindow.DestroyWindow();
        AfxOleTerm();
    }
    // Calls open, which runs a modal dialog or menu on this thread, while
    // script acts as the user on its window: the dialog captioned caption, or
    // the menu when caption is empty. Returns when open does.
    static void Run(const std::function<void()>& open, const std::string& caption, const Script& script) {
        UiDriver user;
        user.Start([&](UiDriver& ui) { script(ui, ui.WaitForWindow(caption, caption.empty() ? "#32768" : "#32770")); });
        open();
        EXPECT_TRUE(user.Finish());
    }
    // Presses button on the tray icon: the menu opens for script, and the command chosen is carried out.
    static void OpenTrayMenu(const Script& script, LPARAM button = WM_RBUTTONDOWN) {
        Run([button] { SendMessageA(TrayWindowHandle, WM_TRAYNOTIFY, TrayIconId, button); }, "", script);
    }

    TestDatabase db;
    CBrevixDlg mainWindow;
    std::unique_ptr<DropTarget> target;
};
