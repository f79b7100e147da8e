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
    // Presses button on the tray icon and runs script against the menu
    // window; returns once the command chosen has been carried out.
    void OpenTrayMenu(const Script& script, LPARAM button = WM_RBUTTONDOWN);
    // Runs open (a modal dialog) on this thread while script acts as the user on the dialog captioned caption.
    static void RunDialog(const std::function<void()>& open, const std::string& caption, const Script& script);

    TestDatabase db;
    CBrevixDlg mainWindow;
    std::unique_ptr<DropTarget> target;
};
