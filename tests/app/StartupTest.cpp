// Talvory.exe started as a real process: the single-instance guard, the
// database folder check, the folder it runs from, and the end of its loop.
#include "support/TalvoryProcess.h"

#include <gtest/gtest.h>

namespace {

const DWORD StartTimeout = 15000;

// A folder holding a copy of Talvory.exe and, unless told otherwise, a
// database folder with a database file.
struct Installation
{
    explicit Installation(const std::string& folderName = "install", const std::string& exeName = "Talvory.exe",
                          bool withDatabaseFolder = true, bool withDatabaseFile = true)
    {
        folder = MakeFolder(folderName);
        executable = CopyTalvoryInto(folder, exeName);
        if (withDatabaseFolder) MakeFolder(folderName + "\\database");
        if (withDatabaseFolder && withDatabaseFile) MakeFile(folder + "\\database\\phrases.mdb");
    }
    std::string folder;
    std::string executable;
};

void ExpectStartupRefusal(const Installation& installation, const char* message)
{
    TalvoryProcess talvory(installation.executable, installation.folder);
    ASSERT_TRUE(talvory.Started());
    HWND box = talvory.WaitForMessageBox(StartTimeout);
    ASSERT_NE(box, nullptr) << "no message box for: " << message;
    EXPECT_EQ(MessageBoxText(box), message);
    EXPECT_EQ(WindowCaption(box), "Talvory");
    EXPECT_EQ(talvory.TrayWindow(), nullptr) << "no tray window (and so no icon) after a refused start";
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(talvory.WaitForExit(StartTimeout), STILL_ACTIVE);
}

} // namespace

TEST(SingleInstance, SecondStartIsRefusedWhileTheFirstKeepsRunning)
{
    Installation installation;
    TalvoryProcess first(installation.executable, installation.folder);
    ASSERT_TRUE(first.WaitForTrayWindow(StartTimeout));
    HWND firstTray = first.TrayWindow();

    ExpectStartupRefusal(installation, "Talvory is already running");

    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(first.TrayWindow(), firstTray);
}

TEST(SingleInstance, AnotherCopyElsewhereIsRefusedToo)
{
    Installation one("one");
    Installation other("other");
    TalvoryProcess first(one.executable, one.folder);
    ASSERT_TRUE(first.WaitForTrayWindow(StartTimeout));
    ExpectStartupRefusal(other, "Talvory is already running");
    EXPECT_TRUE(first.IsRunning());
}

TEST(DatabaseFolder, MissingFolderStopsStartup)
{
    ExpectStartupRefusal(Installation("install", "Talvory.exe", false, false),
                         "Some Folders are missing, Please re-install Application");
}

TEST(DatabaseFolder, FolderWithoutDatabaseFileStopsStartup)
{
    ExpectStartupRefusal(Installation("install", "Talvory.exe", true, false),
                         "Some Folders are missing, Please re-install Application");
}

TEST(DatabaseFolder, AnyDatabaseFilePassesTheCheck)
{
    Installation installation("install", "Talvory.exe", true, false);
    MakeFile(installation.folder + "\\database\\other.mdb");
    TalvoryProcess talvory(installation.executable, installation.folder);
    EXPECT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
}

TEST(DatabaseFolder, UpperCaseExtensionStarts)
{
    Installation installation("install", "TALVORY.EXE");
    TalvoryProcess talvory(installation.executable, installation.folder);
    EXPECT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
}

TEST(DatabaseFolder, FolderNamedLikeTheExecutableStarts)
{
    // The folder's name contains the executable's file name.
    Installation installation("Talvory.exe copies\\Talvory.exe", "Talvory.exe");
    TalvoryProcess talvory(installation.executable, installation.folder);
    EXPECT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
}

TEST(DatabaseFolder, StartedFromAnotherFolderFindsItsDatabaseFolder)
{
    Installation installation;
    std::string elsewhere = MakeFolder("elsewhere");
    TalvoryProcess talvory(installation.executable, elsewhere);
    EXPECT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
}

TEST(MainLoop, QuitMessageEndsTheProcess)
{
    Installation installation;
    TalvoryProcess talvory(installation.executable, installation.folder);
    ASSERT_TRUE(talvory.WaitForTrayWindow(StartTimeout));
    DWORD thread = ::GetWindowThreadProcessId(talvory.TrayWindow(), nullptr);
    ASSERT_TRUE(::PostThreadMessageA(thread, WM_QUIT, 0, 0));
    EXPECT_NE(talvory.WaitForExit(5000), STILL_ACTIVE);
}
