#include "support/AppTest.h"

#include "AfxApp.h"
#include "AfxInit.h"
#include "app/AppState.h"
#include "store/PhraseStore.h"

namespace {

CWinApp application;  // the framework's application object, as in the program
NotifyIconFunction shellNotifyIcon = NotifyIcon;

BOOL WINAPI RecordIconCall(DWORD message, void* record)
{
    AppTest::iconCalls.push_back({message, *static_cast<TrayIconRecord*>(record)});
    return shellNotifyIcon(message, record);
}

} // namespace

std::vector<AppTest::IconCall> AppTest::iconCalls;

void AppTest::StartProgram()
{
    InstanceHandle = ::GetModuleHandleA(nullptr);
    ASSERT_TRUE(AfxOleInit());
    iconCalls.clear();
    NotifyIcon = RecordIconCall;
    TrayWindowHandle = nullptr;  // made by the first main window of the process
    QuitFlag = 0;
    ASSERT_TRUE(mainWindow.Create(IDD_TALVORY_DIALOG));
    application.m_pMainWnd = &mainWindow;
    target.reset(new DropTarget);
}

void AppTest::TearDown()
{
    target.reset();
    application.m_pMainWnd = nullptr;
    RemoveTrayIcon();
    NotifyIcon = shellNotifyIcon;
    mainWindow.DestroyWindow();
    AfxOleTerm();
}

void AppTest::OpenTrayMenu(const Script& script, LPARAM button)
{
    UiDriver user;
    user.Start([&](UiDriver& ui) { script(ui, ui.WaitForWindow("#32768")); });
    ::SendMessageA(TrayWindowHandle, WM_TRAYNOTIFY, TrayIconId, button);
    EXPECT_TRUE(user.Finish()) << user.Transcript();
}

std::vector<UINT> AppTest::PhraseKeys(int category, int phrase)
{
    std::vector<UINT> keys(static_cast<size_t>(category + 1), VK_DOWN);
    if (phrase >= 0) keys.push_back(VK_RIGHT);
    keys.insert(keys.end(), static_cast<size_t>(phrase > 0 ? phrase : 0), VK_DOWN);
    keys.push_back(VK_RETURN);
    return keys;
}

// Up wraps to "Toolbox"; Right opens it with its first item highlighted.
std::vector<UINT> AppTest::ToolboxKeys(int item)
{
    std::vector<UINT> keys = {VK_UP, VK_RIGHT};
    keys.insert(keys.end(), static_cast<size_t>(item), VK_DOWN);
    keys.push_back(VK_RETURN);
    return keys;
}

void AppTest::RunDialog(const std::function<void()>& open, const std::string& caption, const Script& script)
{
    UiDriver user;
    user.Start([&](UiDriver& ui) { script(ui, ui.WaitForDialog(caption)); });
    open();
    EXPECT_TRUE(user.Finish()) << user.Transcript();
}

Strings AppTest::CategoryNames()
{
    Strings names;
    for (int i = 0; i < CategoryList.count; ++i) names.push_back(CategoryList.names[i].str());
    return names;
}
