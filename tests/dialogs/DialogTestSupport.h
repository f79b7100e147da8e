// What every dialog test stands on: the program's surroundings as start-up
// leaves them (an application object, a hidden main window that owns
// parentless dialogs, an existing tray window), a fresh phrase database in the
// test's own folder, and a scripted user who drives the real modal dialog.
#pragma once

#include "AfxApp.h"
#include "AfxWnd.h"
#include "support/TestDatabase.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using Items = std::vector<std::string>;
using Table = std::vector<Items>;  // rows as { category, code, content }, by PhraseID
using Script = std::function<void(UiDriver&, HWND dialog)>;

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Calls open, which runs a modal dialog on this thread, while the script
    // acts as the user on the dialog with that caption. Fails the test when
    // the script fails or leaves a window open.
    static void Run(const std::function<void()>& open, const char* caption, const Script& script);
    template <class Dialog>
    static INT_PTR RunModal(const char* caption, const Script& script)
    {
        Dialog dialog;
        INT_PTR result = 0;
        Run([&] { result = dialog.DoModal(); }, caption, script);
        return result;
    }

    Table Rows();
    static Items CategoryNames();  // what CategoryList holds now

    TestDatabase db;
    CWnd mainWindow;
    CWnd trayWindow;
};

// Waits for the message box with that text and gives the answer; given its
// buttons, checks them, its icon and its caption (the program's name) first.
void Answer(UiDriver& ui, const std::string& text, int answer, const Items& buttons = {}, UINT icon = 0);
// Presses "Cancel" and waits until the dialog has gone.
void Cancel(UiDriver& ui, HWND dialog);
std::string LongText(size_t length, const std::string& pattern);
