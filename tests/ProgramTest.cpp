// Talvory.exe as a user starts and ends it, each copy a process of its own:
// the check of its database folder, one instance at a time, a phrase chosen
// in its tray menu, Exit, and being closed or told to quit from outside.
#include "AfxInit.h"
#include "app/TrayIcon.h"
#include "support/DropTarget.h"
#include "support/TalvoryProcess.h"
#include "support/TestDatabase.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

TEST(Program, StartsBesideADatabaseFileOnlyAndOnlyOnce) {
    UiDriver user;
    MakeFolders(TestFolder() + "\\no file\\database");
    for (const char* folder : {"no folder", "no file"}) {
        TalvoryProcess talvory(folder);
        user.Start([&](UiDriver& ui) { ui.Answer("Some Folders are missing, Please re-install Application", IDOK, talvory.Id()); });
        EXPECT_TRUE(user.Finish());
        EXPECT_TRUE(talvory.WaitForExit()) << folder;
    }
    // Any .mdb file passes, whatever the program and its folder are called;
    // connecting does not create the missing phrases.mdb.
    const std::string database = TestFolder() + "\\Talvory.exe copies\\database\\";
    MakeFolders(database);
    CloseHandle(CreateFileA((database + "other.mdb").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    TalvoryProcess first("Talvory.exe copies", "TALVORY.EXE");
    ASSERT_NE(first.WaitForTrayWindow(), nullptr);
    EXPECT_EQ(GetFileAttributesA((database + "phrases.mdb").c_str()), INVALID_FILE_ATTRIBUTES);

    TalvoryProcess second("elsewhere");
    user.Start([&](UiDriver& ui) { ui.Answer("Talvory is already running", IDOK, second.Id()); });
    EXPECT_TRUE(user.Finish());
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_FALSE(first.WaitForExit(0));
    PostThreadMessageA(GetWindowThreadProcessId(first.WaitForTrayWindow(), nullptr), WM_QUIT, 0, 0);
    EXPECT_TRUE(first.WaitForExit()) << "a quit message ends the program";
}

TEST(Program, DeliversTheChosenPhraseAndEndsByExitOrWhenClosed) {
    ASSERT_TRUE(AfxOleInit());
    const std::string when = std::to_string(GetTickCount());  // a phrase never on the clipboard before
    TestDatabase("install/database/phrases.mdb").Insert("Letters", "sign", "Kind regards, it\xAC`s me at " + when);
    {
        TalvoryProcess talvory("install");
        HWND tray = talvory.WaitForTrayWindow();
        DropTarget target;
        UiDriver user;
        // The phrase, then Exit, with the keyboard in menus opened by a press on the icon.
        for (const char* keys : {"DRE", "URUE"}) {
            user.Start([&](UiDriver& ui) {
                PostMessageA(tray, WM_TRAYNOTIFY, TrayIconId, WM_RBUTTONDOWN);
                ui.PressMenuKeys(ui.WaitForWindow("", "#32768", talvory.Id()), keys);
            });
            EXPECT_TRUE(user.Finish());
            PumpUntil([&] { return !target.dropped.empty(); }, 10000);  // the user waits for the drop
        }
        EXPECT_TRUE(talvory.WaitForExit());
        EXPECT_EQ(target.dropped, Strings{"Kind regards, it's me at " + when});
    }
    EXPECT_EQ(ClipboardText(), "Kind regards, it's me at " + when) << "the phrase stays on the clipboard after Talvory ended";

    // Closed from outside (taskkill, the session ending), it ends as by Exit.
    TalvoryProcess again("install");
    PostMessageA(again.WaitForTrayWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitForExit());
    AfxOleTerm();
}
