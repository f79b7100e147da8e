// Talvory.exe as a user starts and ends it, each copy a process of its own:
// the check of its database folder, one instance at a time, a phrase chosen
// in its tray menu, Exit, and being closed or told to quit from outside.
#include "AfxInit.h"
#include "app/TrayIcon.h"
#include "delivery/KeyChord.h"
#include "res/resource.h"
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
    {
        TestDatabase db("install/database/phrases.mdb");
        db.Execute("PRAGMA journal_mode=WAL");  // as the version before left its files
        db.Insert("Letters", "sign", "Kind regards, it\xAC`s me at " + when);
    }
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
    EXPECT_EQ(TestDatabase("install/database/phrases.mdb", false).Execute("PRAGMA journal_mode"), Row{"delete"})
        << "back in the rollback journal, whose side file goes with each change";

    // Closed from outside (taskkill, the session ending), it ends as by Exit.
    TalvoryProcess again("install");
    PostMessageA(again.WaitForTrayWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitForExit());
    AfxOleTerm();
}

namespace {

// Opens the tray menu of a running Talvory and presses keys in it; returns once the menu has closed.
void UseTrayMenu(UiDriver& ui, const TalvoryProcess& talvory, const std::string& keys) {
    PostMessageA(talvory.WaitForTrayWindow(), WM_TRAYNOTIFY, TrayIconId, WM_RBUTTONDOWN);
    HWND menu = ui.WaitForWindow("", "#32768", talvory.Id());
    ui.PressMenuKeys(menu, keys);
    ui.WaitUntil([&] { return !IsWindowVisible(menu); }, "the menu to close");
}

}  // namespace

// Wherever it is started from, Talvory uses the database in its own folder,
// also when the working folder holds a phrase database of its own, and in a
// folder named in an alphabet outside the program's code page.
TEST(Program, UsesTheDatabaseInItsOwnFolderFromAnyFolderUnderAnyName) {
    ASSERT_TRUE(AfxOleInit());
    TestDatabase("elsewhere/database/phrases.mdb").Insert("Letters", "sign", "the wrong library");
    DropTarget target;
    UiDriver user;
    const std::pair<const char*, const char*> installs[] = {{"install", "elsewhere"}, {"\xD0\xA4\xD1\x80\xD0\xB0\xD0\xB7\xD1\x8B", ""}};  // Фразы
    for (const auto& [folder, startedFrom] : installs) {
        TestDatabase(std::string(folder) + "/database/phrases.mdb").Insert("Letters", "sign", std::string("own library in ") + folder);
        TalvoryProcess talvory(folder, "Talvory.exe", startedFrom);
        ASSERT_NE(talvory.WaitForTrayWindow(), nullptr) << folder;
        user.Start([&](UiDriver& ui) { UseTrayMenu(ui, talvory, "DRE"); });
        EXPECT_TRUE(user.Finish());
        PumpUntil([&] { return !target.dropped.empty(); }, 10000);
        EXPECT_EQ(target.dropped, Strings{std::string("own library in ") + folder});
        target.dropped.clear();
        PostMessageA(talvory.WaitForTrayWindow(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return talvory.WaitForExit(0); }, 10000));
    }
    AfxOleTerm();
}

// A Talvory that ended abruptly right after a change (killed, or the machine
// went down), then a backup copied over the file: the next start finds the
// backup whole. (A journal left beside the file would be applied to a
// database it does not belong to.)
TEST(Program, ABackupRestoredAfterACrashIsFoundWhole) {
    {
        TestDatabase db("install/database/phrases.mdb");
        db.Execute("PRAGMA journal_mode=WAL");  // as the version before left its files
        db.Insert("Letters", "sign", "Kind regards");
    }
    TestDatabase backup("backup.mdb");
    backup.Execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) INSERT INTO phrase "
                   "SELECT NULL, printf('Category %d', i / 100), printf('p%04d', i), printf('phrase %d', i) FROM n");
    UiDriver user;
    {
        TalvoryProcess talvory("install");
        ASSERT_NE(talvory.WaitForTrayWindow(), nullptr);
        user.Start([&](UiDriver& ui) {
            UseTrayMenu(ui, talvory, "URE");  // Add Category
            HWND dialog = ui.WaitForWindow("Add Category", "#32770", talvory.Id());
            ui.TypeText(dialog, IDC_CATEGORY_NAME, "Fresh");
            ui.PressButton(dialog, IDOK);
            ui.Answer("Category added Successfully", IDNO, talvory.Id());
        });
        EXPECT_TRUE(user.Finish());
        TerminateProcess(talvory.Handle(), 9);
    }
    ASSERT_TRUE(CopyFileA((TestFolder() + "\\backup.mdb").c_str(), (TestFolder() + "\\install\\database\\phrases.mdb").c_str(), FALSE));
    TalvoryProcess again("install");
    ASSERT_NE(again.WaitForTrayWindow(), nullptr);
    PostMessageA(again.WaitForTrayWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitForExit());  // no message about an unusable file holds it up
    TestDatabase restored("install/database/phrases.mdb", false);
    EXPECT_EQ(restored.Execute("SELECT COUNT(*) || ' ' || MAX(content) FROM phrase"), Row{"3000 phrase 999"});
    EXPECT_EQ(restored.Execute("PRAGMA integrity_check"), Row{"ok"});
}

namespace {

void SetHotkeyValue(const char* value) {  // null: none
    if (!value) {
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Talvory");
        return;
    }
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Talvory", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExA(key, "Hotkey", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(key);
}

}  // namespace

// Ctrl+Alt+Space, or the chord set for the user, opens the menu at the pointer
// from another program; the phrase chosen drops where the pointer is and that
// program is active again. A chord another program holds is left to it.
TEST(Program, TheHotkeyOpensTheMenuAtThePointerAndGivesTheWindowBack) {
    ASSERT_TRUE(AfxOleInit());
    TestDatabase("install/database/phrases.mdb").Insert("Letters", "sign", "Kind regards");
    DropTarget target;  // the user's window, under the pointer
    const std::pair<const char*, std::vector<WORD>> chords[] = {
        {nullptr, {VK_CONTROL, VK_MENU, VK_SPACE}}, {"Shift + ctrl+F12", {VK_SHIFT, VK_CONTROL, VK_F12}}, {"Hyper+Q", {VK_CONTROL, VK_MENU, VK_SPACE}}};
    for (const auto& [value, keys] : chords) {
        SetHotkeyValue(value);
        TalvoryProcess talvory("install");
        ASSERT_NE(talvory.WaitForTrayWindow(), nullptr);
        SetForegroundWindow(target.Window());
        UiDriver user;
        user.Start([&](UiDriver& ui) {
            PressKeyChord(keys);
            HWND menu = ui.WaitForWindow("", "#32768", talvory.Id());
            RECT place;
            GetWindowRect(menu, &place);
            EXPECT_EQ(std::make_pair(place.left, place.top), std::make_pair(500L, 450L)) << "the menu opens at the pointer";
            ui.PressMenuKeys(menu, "DRE");
        });
        EXPECT_TRUE(user.Finish()) << (value ? value : "the default chord");
        PumpUntil([&] { return target.dropped.size() == 1; }, 10000);
        EXPECT_EQ(target.dropped, Strings{"Kind regards"});
        EXPECT_EQ(GetForegroundWindow(), target.Window()) << "the user's window is active again";
        target.dropped.clear();
        PostMessageA(talvory.WaitForTrayWindow(), WM_CLOSE, 0, 0);
        // Answering meanwhile: at its end Talvory lets go of the drop target it held.
        EXPECT_TRUE(PumpUntil([&] { return talvory.WaitForExit(0); }, 10000));
    }
    // Held by another program: Talvory starts all the same, and the chord stays the other's.
    SetHotkeyValue(nullptr);
    ASSERT_TRUE(RegisterHotKey(target.Window(), 7, MOD_CONTROL | MOD_ALT, VK_SPACE));
    TalvoryProcess talvory("install");
    ASSERT_NE(talvory.WaitForTrayWindow(), nullptr);
    PressKeyChord({VK_CONTROL, VK_MENU, VK_SPACE});
    MSG hotkey = {};
    bool ours = false;
    for (DWORD wait = GetTickCount(); !ours && GetTickCount() - wait < 5000; Sleep(20))
        ours = PeekMessageA(&hotkey, target.Window(), WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE;
    EXPECT_TRUE(ours) << "the chord reached the program that held it first";
    UnregisterHotKey(target.Window(), 7);
    AfxOleTerm();
}

// Keys sent all at once (macro keys, automation tools) after the tray menu
// was used: the chord opens its menu, which stays open; a burst of chords
// opens one menu; with a dialog open, the chord brings the dialog forward.
TEST(Program, TheHotkeyOpensOneMenuWhateverTheKeyTimingAndBringsAnOpenDialogForward) {
    ASSERT_TRUE(AfxOleInit());
    SetHotkeyValue(nullptr);
    TestDatabase("install/database/phrases.mdb").Insert("Letters", "sign", "Kind regards");
    DropTarget target;
    TalvoryProcess talvory("install");
    HWND tray = talvory.WaitForTrayWindow();
    UiDriver user;
    auto menus = [&] {
        int open = 0;
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32768", nullptr));) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            open += process == talvory.Id() && IsWindowVisible(window);
        }
        return open;
    };
    user.Start([&](UiDriver& ui) {
        PostMessageA(tray, WM_TRAYNOTIFY, TrayIconId, WM_RBUTTONDOWN);
        ui.PressMenuKeys(ui.WaitForWindow("", "#32768", talvory.Id()), "X");
        ui.WaitUntil([&] { return menus() == 0; }, "the tray menu to close");
        for (int burst : {1, 10}) {
            SetForegroundWindow(target.Window());
            for (int i = 0; i < burst; ++i) PressKeyChord({VK_CONTROL, VK_MENU, VK_SPACE});
            HWND menu = ui.WaitForWindow("", "#32768", talvory.Id());
            Sleep(1000);
            if (!IsWindowVisible(menu)) ui.Fail("the menu closed by itself after " + std::to_string(burst) + " chords");
            EXPECT_EQ(menus(), 1) << burst << " chords";
            PressKeyChord({VK_CONTROL, VK_MENU, VK_SPACE});  // while it is open: it closes, or stays alone
            Sleep(500);
            EXPECT_LE(menus(), 1) << "a second menu";
            if (IsWindowVisible(menu)) ui.PressMenuKeys(menu, "X");
            ui.WaitUntil([&] { return menus() == 0; }, "the menu to close");
        }
        PostMessageA(tray, WM_TRAYNOTIFY, TrayIconId, WM_RBUTTONDOWN);
        ui.PressMenuKeys(ui.WaitForWindow("", "#32768", talvory.Id()), "URDDDDE");  // About us
        HWND about = ui.WaitForWindow("About Morvane", "#32770", talvory.Id());
        SetForegroundWindow(target.Window());
        ui.WaitUntil([&] { return GetForegroundWindow() == target.Window(); }, "the user's window in front");
        PressKeyChord({VK_CONTROL, VK_MENU, VK_SPACE});
        ui.WaitUntil([&] { return GetForegroundWindow() == about; }, "the About box brought forward");
        EXPECT_EQ(menus(), 0) << "no menu over a dialog";
        ui.PressButton(about, IDCANCEL);
    });
    EXPECT_TRUE(user.Finish());
    PostMessageA(tray, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return talvory.WaitForExit(0); }, 10000));
    AfxOleTerm();
}

// A database another program holds locked (a file made before the program
// kept its readers apart from writers) holds up start-up and each opening of
// the menu once, not once per category; a list that could not be read is read
// again at the next opening; a phrase that cannot be read is said, not pasted stale.
TEST(Program, ALockedDatabaseHoldsUpOnceAndWhatCannotBeReadIsSaid) {
    ASSERT_TRUE(AfxOleInit());
    TestDatabase db("install/database/phrases.mdb");
    db.Execute("PRAGMA journal_mode=DELETE");
    for (int i = 10; i < 40; ++i) db.Insert("Category " + std::to_string(i), "p", "text " + std::to_string(i));
    db.Execute("BEGIN EXCLUSIVE");
    DWORD start = GetTickCount();
    TalvoryProcess talvory("install");
    HWND tray = talvory.WaitForTrayWindow();
    EXPECT_LT(GetTickCount() - start, 8000u) << "start-up under the lock";
    DropTarget target;
    UiDriver user;
    auto openMenu = [&](const std::function<void(UiDriver&, HWND)>& script) {
        DWORD posted = GetTickCount(), shown = 0;
        user.Start([&](UiDriver& ui) {
            PostMessageA(tray, WM_TRAYNOTIFY, TrayIconId, WM_LBUTTONDOWN);
            HWND menu = ui.WaitForWindow("", "#32768", talvory.Id());
            shown = GetTickCount();
            script(ui, menu);
        });
        EXPECT_TRUE(user.Finish());
        return shown - posted;
    };
    EXPECT_LT(openMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "X"); }), 5000u) << "the list unread, locked";
    db.Execute("COMMIT");
    openMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "DRE"); });  // the list is read now
    PumpUntil([&] { return !target.dropped.empty(); }, 10000);
    EXPECT_EQ(target.dropped, Strings{"text 10"});

    db.Execute("BEGIN EXCLUSIVE");
    EXPECT_LT(openMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "X"); }), 5000u) << "30 categories, locked";
    db.Execute("COMMIT");
    openMenu([&](UiDriver& ui, HWND menu) {
        ui.PressMenuKeys(menu, "DR");
        db.Execute("BEGIN EXCLUSIVE");
        ui.PressMenuKeys(menu, "E");
        ui.Answer("The phrase could not be read from the database", IDOK, talvory.Id());
        db.Execute("COMMIT");
    });
    EXPECT_EQ(target.dropped, Strings{"text 10"}) << "nothing more dropped";
    EXPECT_EQ(ClipboardText(), "text 10");

    // A list that a dialog could not read again (Delete Category under the
    // lock) is read at the next opening, with a category added meanwhile.
    db.Execute("BEGIN EXCLUSIVE");
    openMenu([&](UiDriver& ui, HWND menu) {
        ui.PressMenuKeys(menu, "URDE");
        ui.PressButton(ui.WaitForWindow("Delete Category", "#32770", talvory.Id()), IDCANCEL);
    });
    db.Execute("COMMIT");
    db.Insert("Category 09", "p", "text 09");
    openMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "DRE"); });
    PumpUntil([&] { return target.dropped.size() == 2; }, 10000);
    EXPECT_EQ(target.dropped, (Strings{"text 10", "text 09"}));
    AfxOleTerm();
}

// A file that is no phrase database is named at start-up, with what is wrong,
// and Talvory goes on running (without phrases).
TEST(Program, AnUnusableDatabaseIsNamedOnceAtStartUp) {
    UiDriver user;
    const std::pair<const char*, const char*> files[] = {
        {"CREATE TABLE notes (id INTEGER)", "no such table: phrase"},
        {"CREATE TABLE phrase (PhraseID INTEGER PRIMARY KEY, category TEXT, content TEXT)", "no such column: code"},
        {nullptr, "not a database"}};
    for (const auto& [schema, says] : files) {
        {
            TestDatabase db("install/database/phrases.mdb");
            db.Execute("DROP TABLE phrase");
            if (schema) db.Execute(schema);
        }
        if (!schema) {
            HANDLE file = CreateFileA((TestFolder() + "\\install\\database\\phrases.mdb").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr);
            WriteFile(file, "Dear diary, ...", 15, nullptr, nullptr);
            CloseHandle(file);
        }
        TalvoryProcess talvory("install");
        user.Start([&](UiDriver& ui) {
            std::string said = ui.Answer("install\\database\\phrases.mdb cannot be used", IDOK, talvory.Id());
            EXPECT_NE(said.find(says), std::string::npos) << said;
        });
        EXPECT_TRUE(user.Finish()) << says;
        EXPECT_NE(talvory.WaitForTrayWindow(), nullptr) << says;
        EXPECT_FALSE(talvory.WaitForExit(0));
    }
}
