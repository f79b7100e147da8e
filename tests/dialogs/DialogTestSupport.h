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

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs dialog modally on this thread while the script acts as the user.
    // Fails the test when the script fails or leaves a window open.
    template <class Dialog>
    INT_PTR RunModal(Dialog& dialog, std::function<void(UiDriver&)> script)
    {
        UiDriver user;
        user.Start(std::move(script));
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(user.Finish()) << user.Transcript();
        seen = user.MessageBoxes();
        return result;
    }

    // The rows as (category, code, content) triples, by PhraseID.
    std::vector<std::vector<std::string>> Rows();
    // The names CategoryList holds now.
    static std::vector<std::string> CategoryNames();

    TestDatabase db;
    CWnd mainWindow;
    CWnd trayWindow;
    // The message boxes the user saw during the last RunModal.
    std::vector<UiDriver::MessageBoxSeen> seen;
};

// Texts the user types.
std::string LongText(size_t length, const std::string& pattern);
using Items = std::vector<std::string>;
