// The program in this process as its start-up leaves it, for the tests of
// the tray menu, the preview and the dialogs: a phrase database, OLE, the
// hidden main window (the first CBrevixDlg, which makes the tray window,
// loads the category list and hooks the preview) and a drop target under
// the mouse cursor. The calls made to the shell's notification area are
// recorded on their way to it.
#pragma once

#include "app/TrayIcon.h"
#include "dialogs/BrevixDlg.h"
#include "support/DropTarget.h"
#include "support/TestDatabase.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <memory>

using Script = std::function<void(UiDriver&, HWND window)>;

class AppTest : public ::testing::Test {
public:
    static std::vector<std::pair<DWORD, TrayIconRecord>> iconCalls;  // message and record

protected:
    void StartProgram();  // the main window over the rows inserted so far
    void TearDown() override;
    // Calls open, which runs a modal dialog or menu on this thread, while
    // script acts as the user on its window: the dialog captioned caption, or
    // the menu when caption is empty. Returns when open does.
    static void Run(const std::function<void()>& open, const std::string& caption, const Script& script);
    // Presses button on the tray icon: the menu opens for script, and the command chosen is carried out.
    static void OpenTrayMenu(const Script& script, LPARAM button = WM_RBUTTONDOWN) {
        Run([button] { SendMessageA(TrayWindowHandle, WM_TRAYNOTIFY, TrayIconId, button); }, "", script);
    }

    TestDatabase db;
    CBrevixDlg mainWindow;
    std::unique_ptr<DropTarget> target;
};
