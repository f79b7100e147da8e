// The tray menu as the user meets it: built from the store, tracked at the
// cursor, driven with the keyboard, and its commands carried out.
#include "AfxApp.h"
#include "AfxDialog.h"
#include "AfxInit.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "res/resource.h"
#include "store/PhraseStore.h"
#include "support/ClipboardText.h"
#include "support/TestDatabase.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// MN_GETHMENU: the menu a menu window shows.
const UINT MenuOfMenuWindow = 0x01E1;

// A readable picture of a menu: "text=id" items, submenus in brackets.
std::string Describe(HMENU menu)
{
    std::string out;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (i) out += " | ";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        char text[1024] = {};
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out += "---";
            continue;
        }
        out += text;
        // Submenus loaded from the resource carry no identifier of their own.
        if (!info.hSubMenu || info.wID <= 0xFFFF) out += "=" + std::to_string(info.wID);
        if (info.hSubMenu) out += " [" + Describe(info.hSubMenu) + "]";
    }
    return out;
}

const char ToolboxPicture[] = "--- | Toolbox [Add Category=50019 | Delete Category=50020 | Add phrase=50003 | "
                              "Edit phrase=50001 | About us=50005 | Exit=50004]";

std::string ClipboardNow()
{
    return ReadClipboardText().text;
}

class TrayMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InstanceHandle = ::GetModuleHandleA(nullptr);
        ASSERT_TRUE(AfxOleInit());
        mainWindow.Create(IDD_TALVORY_DIALOG);
        app.m_pMainWnd = &mainWindow;
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        AfxOleTerm();
    }

    // Opens the tray menu as a button press on the icon does, while the
    // driver runs script against the menu window; returns when the command
    // chosen has been carried out.
    bool OpenMenuWith(const std::function<void(UiDriver&, HWND menuWindow, HMENU menu)>& script,
                      LPARAM mouseMessage = WM_RBUTTONDOWN)
    {
        UiDriver user;
        user.Start([&](UiDriver& ui) {
            UiDriver::WindowQuery query;
            query.className = "#32768";
            HWND menuWindow = ui.WaitForWindow(query);
            HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MenuOfMenuWindow, 0, 0));
            script(ui, menuWindow, menu);
        });
        TrayWindowProc(nullptr, WM_TRAYNOTIFY, TrayIconId, mouseMessage);
        return user.Finish();
    }

    std::string MenuPicture()
    {
        std::string picture;
        EXPECT_TRUE(OpenMenuWith([&](UiDriver& ui, HWND menuWindow, HMENU menu) {
            picture = Describe(menu);
            ui.PressMenuKeys(menuWindow, { VK_ESCAPE });
        }));
        return picture;
    }

    // Chooses item `phrase` of the submenu of category `category` with the keyboard.
    void ChoosePhrase(int category, int phrase)
    {
        EXPECT_TRUE(OpenMenuWith([&](UiDriver& ui, HWND menuWindow, HMENU) {
            std::vector<UINT> keys(static_cast<size_t>(category + 1), VK_DOWN);
            keys.push_back(VK_RIGHT);
            keys.insert(keys.end(), static_cast<size_t>(phrase), VK_DOWN);
            keys.push_back(VK_RETURN);
            ui.PressMenuKeys(menuWindow, keys);
        }));
    }

    CWinApp app;
    CDialog mainWindow{ IDD_TALVORY_DIALOG };
};

} // namespace

TEST_F(TrayMenuTest, EmptyCategoryListShowsOnlyTheToolbox)
{
    TestDatabase database;
    ListCategories();
    EXPECT_EQ(MenuPicture(), ToolboxPicture);
}

TEST_F(TrayMenuTest, CategoriesListTheirPhrasesByShortcutName)
{
    TestDatabase database;
    int b = database.Insert("Letters", "b", "bee");
    int a = database.Insert("Letters", "a", "ay");
    int c = database.Insert("Letters", "c", "see");
    database.Insert("Letters", "", "");
    database.Insert("Bare", "", "");
    database.Insert("Greetings", "hi", "Hello");
    ListCategories();

    std::string expected = "Bare=0 | Greetings=1 [hi=" + std::to_string(40000 + 6) + "] | Letters=2 [a=" +
                           std::to_string(40000 + a) + " | b=" + std::to_string(40000 + b) +
                           " | c=" + std::to_string(40000 + c) + "] | " + ToolboxPicture;
    EXPECT_EQ(MenuPicture(), expected);
}

TEST_F(TrayMenuTest, LabelsKeepTheirAnsiCharactersAtAnyLength)
{
    TestDatabase database;
    const std::string accented = "Gr\xFC\xDF" "e \x80";
    const std::string longCode = std::string(300, 'x') + "\xE9nd";
    int first = database.Insert("Caf\xE9", accented, "text");
    int second = database.Insert("Caf\xE9", longCode, "long");
    ListCategories();
    EXPECT_EQ(MenuPicture(), "Caf\xE9=0 [" + accented + "=" + std::to_string(40000 + first) + " | " + longCode + "=" +
                                 std::to_string(40000 + second) + "] | " + ToolboxPicture);
}

TEST_F(TrayMenuTest, CategoryAddedLaterShowsOnceTheListIsRebuilt)
{
    TestDatabase database;
    database.Insert("Greetings", "hi", "Hello");
    ListCategories();
    database.Insert("Addresses", "home", "1 Main Street");
    database.Insert("Greetings", "bye", "Goodbye");
    // A new phrase of a listed category shows at once; a new category only
    // after the list is rebuilt.
    EXPECT_EQ(MenuPicture(), "Greetings=0 [bye=40003 | hi=40001] | " + std::string(ToolboxPicture));
    ListCategories();
    EXPECT_EQ(MenuPicture(),
              "Addresses=0 [home=40002] | Greetings=1 [bye=40003 | hi=40001] | " + std::string(ToolboxPicture));
}

TEST_F(TrayMenuTest, EitherButtonPressOpensTheMenuAndNothingElseDoes)
{
    TestDatabase database;
    ListCategories();
    EXPECT_EQ(MenuPicture(), ToolboxPicture);
    bool opened = false;
    EXPECT_TRUE(OpenMenuWith(
        [&](UiDriver& ui, HWND menuWindow, HMENU) {
            opened = true;
            ui.PressMenuKeys(menuWindow, { VK_ESCAPE });
        },
        WM_LBUTTONDOWN));
    EXPECT_TRUE(opened);

    for (LPARAM message : { WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MOUSEMOVE }) {
        DWORD start = ::GetTickCount();
        TrayWindowProc(nullptr, WM_TRAYNOTIFY, TrayIconId, message);
        EXPECT_LT(::GetTickCount() - start, 1000u) << "a menu opened for mouse message " << message;
    }
}

TEST_F(TrayMenuTest, ChoosingAPhraseDeliversItsTextWithApostrophesRestored)
{
    TestDatabase database;
    database.Insert("Letters", "sign", std::string("Don\xAC`t forget \xAC alone and ` alone"));
    database.Insert("Letters", "thanks", "Thank you");
    ListCategories();
    ASSERT_TRUE(PutClipboardText("before"));
    ChoosePhrase(0, 0);
    EXPECT_EQ(ClipboardNow(), "Don't forget \xAC alone and ` alone");
    ChoosePhrase(0, 1);
    EXPECT_EQ(ClipboardNow(), "Thank you");
}

TEST_F(TrayMenuTest, ChoosingACategoryWithoutPhrasesDoesNothing)
{
    TestDatabase database;
    database.Insert("Alpha", "", "");
    database.Insert("Beta", "", "");
    database.Insert("Gamma", "x", "text of x");
    ListCategories();
    ASSERT_TRUE(PutClipboardText("untouched"));
    for (int category : { 0, 1 }) {
        EXPECT_TRUE(OpenMenuWith([&](UiDriver& ui, HWND menuWindow, HMENU) {
            std::vector<UINT> keys(static_cast<size_t>(category + 1), VK_DOWN);
            keys.push_back(VK_RETURN);
            ui.PressMenuKeys(menuWindow, keys);
        }));
        EXPECT_EQ(ClipboardNow(), "untouched");
    }
}

TEST_F(TrayMenuTest, LargePhraseIdsDeliverTheirOwnText)
{
    TestDatabase database;
    database.InsertWithId(9999, "Big", "a", "nine thousand nine hundred ninety-nine");
    database.InsertWithId(10001, "Big", "b", "ten thousand and one");
    database.InsertWithId(10004, "Big", "c", "ten thousand and four");
    database.InsertWithId(30000, "Big", "d", "thirty thousand");
    ListCategories();

    std::string picture = MenuPicture();
    EXPECT_EQ(picture.find("=50004 |"), picture.rfind("=50004 |")) << picture;
    EXPECT_EQ(picture.find("Big=0 [a=49999 | b="), 0u) << picture;

    const char* expected[] = { "nine thousand nine hundred ninety-nine", "ten thousand and one",
                               "ten thousand and four", "thirty thousand" };
    for (int i = 0; i < 4; ++i) {
        ChoosePhrase(0, i);
        EXPECT_EQ(ClipboardNow(), expected[i]);
    }
    EXPECT_EQ(QuitFlag, 0);
}

TEST_F(TrayMenuTest, AboutBoxOpensOverTheMainWindowAndCloses)
{
    TestDatabase database;
    ListCategories();
    UiDriver user;
    user.Start([&](UiDriver& ui) {
        HWND about = ui.WaitForDialog("About Morvane");
        if (::GetWindow(about, GW_OWNER) != mainWindow.m_hWnd) ui.Fail("the About box is not owned by the main window");
        if (::IsWindowEnabled(mainWindow.m_hWnd)) ui.Fail("the main window stays enabled under the About box");
        ui.Note("OK: " + ui.Text(about, IDCANCEL));
        ui.PressButton(about, IDCANCEL);
        ui.WaitUntilGone(about);
    });
    DispatchTrayCommand(ID_TOOLBOX_ABOUT);
    EXPECT_TRUE(user.Finish()) << user.Transcript();
    EXPECT_NE(user.Transcript().find("OK: OK"), std::string::npos) << user.Transcript();
}

namespace {
std::vector<DWORD> notifyMessages;
NotifyIconFunction shellNotifyIcon;
BOOL WINAPI RecordNotify(DWORD message, void* record)
{
    notifyMessages.push_back(message);
    return shellNotifyIcon(message, record);
}
} // namespace

TEST_F(TrayMenuTest, ExitRemovesTheIconAndSetsTheQuitFlag)
{
    TestDatabase database;
    ListCategories();
    shellNotifyIcon = NotifyIcon;
    NotifyIcon = RecordNotify;
    EXPECT_TRUE(OpenMenuWith([&](UiDriver& ui, HWND menuWindow, HMENU) {
        // Up wraps to "Toolbox", Right opens it, Up wraps to "Exit".
        ui.PressMenuKeys(menuWindow, { VK_UP, VK_RIGHT, VK_UP, VK_RETURN });
    }));
    NotifyIcon = shellNotifyIcon;
    EXPECT_EQ(QuitFlag, 1);
    ASSERT_EQ(notifyMessages.size(), 1u);
    EXPECT_EQ(notifyMessages[0], static_cast<DWORD>(NIM_DELETE));
}
