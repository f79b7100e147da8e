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

#include <functional>
#include <memory>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;
using Script = std::function<void(UiDriver&, HWND window)>;

class AppTest : public ::testing::Test
{
public:
    struct IconCall
    {
        DWORD message;
        TrayIconRecord record;
    };
    static std::vector<IconCall> iconCalls;

protected:
    // Starts the main window over the rows inserted so far.
    void StartProgram();
    void TearDown() override;

    // Presses button on the tray icon and runs script against the menu
    // window; returns once the command chosen has been carried out.
    void OpenTrayMenu(const Script& script, LPARAM button = WM_RBUTTONDOWN);
    // The menu keys that choose a category's item (its phrase: -1 the
    // category itself), or the Toolbox's item.
    static std::vector<UINT> PhraseKeys(int category, int phrase);
    static std::vector<UINT> ToolboxKeys(int item);
    // Runs open (a modal dialog) on this thread while script acts as the user on the dialog captioned caption.
    static void RunDialog(const std::function<void()>& open, const std::string& caption, const Script& script);
    static Strings CategoryNames();  // the category list as last rebuilt

    TestDatabase db;
    CBrevixDlg mainWindow;
    std::unique_ptr<DropTarget> target;
};
