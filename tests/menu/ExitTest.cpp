// Exit chosen in the tray menu of a running Talvory.exe, driven from outside
// as a user does: a press on the icon, then keys in the menu.
#include "support/TalvoryProcess.h"
#include "support/TestDatabase.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

namespace {

const DWORD StartTimeout = 15000;

// Opens the running program's tray menu and presses keys in it.
void ChooseInTrayMenu(UiDriver& ui, const TalvoryProcess& talvory, HWND trayWindow, const std::vector<UINT>& keys)
{
    ::PostMessageA(trayWindow, 0x80C8, 2005, WM_RBUTTONDOWN);
    UiDriver::WindowQuery query;
    query.className = "#32768";
    query.processId = talvory.Id();
    ui.PressMenuKeys(ui.WaitForWindow(query), keys);
}

// Up wraps to "Toolbox", Right opens it with "Add Category" highlighted, Up wraps to "Exit".
const std::vector<UINT> ExitKeys = { VK_UP, VK_RIGHT, VK_UP, VK_RETURN };
const std::vector<UINT> AddCategoryKeys = { VK_UP, VK_RIGHT, VK_RETURN };

} // namespace

TEST(TrayMenuExit, ExitEndsTheProgram)
{
    TestDatabase database;
    database.Insert("Greetings", "hi", "Hello");
    std::string folder = TestFolder();
    TalvoryProcess talvory(CopyTalvoryInto(folder), folder);
    ASSERT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
    HWND trayWindow = talvory.TrayWindow();

    UiDriver user;
    user.Start([&](UiDriver& ui) { ChooseInTrayMenu(ui, talvory, trayWindow, ExitKeys); });
    EXPECT_TRUE(user.Finish()) << user.Transcript();
    EXPECT_NE(talvory.WaitForExit(5000), STILL_ACTIVE);
}

TEST(TrayMenuExit, ExitWhileADialogIsOpenEndsTheProgramWhenTheDialogCloses)
{
    TestDatabase database;
    std::string folder = TestFolder();
    TalvoryProcess talvory(CopyTalvoryInto(folder), folder);
    ASSERT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
    HWND trayWindow = talvory.TrayWindow();

    UiDriver user;
    user.Start([&](UiDriver& ui) {
        ChooseInTrayMenu(ui, talvory, trayWindow, AddCategoryKeys);
        UiDriver::WindowQuery query;
        query.className = "#32770";
        query.caption = "Add Category";
        query.processId = talvory.Id();
        HWND dialog = ui.WaitForWindow(query);

        ChooseInTrayMenu(ui, talvory, trayWindow, ExitKeys);
        ::Sleep(1500);
        if (!talvory.IsRunning()) ui.Fail("the program ended while its dialog was still open");
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_TRUE(user.Finish()) << user.Transcript();
    EXPECT_NE(talvory.WaitForExit(5000), STILL_ACTIVE);
}
