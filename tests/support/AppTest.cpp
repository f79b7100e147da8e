#include "support/AppTest.h"

#include "AfxApp.h"
#include "AfxInit.h"
#include "app/AppState.h"

namespace {

CWinApp application;  // the framework's application object, as in the program
NotifyIconFunction shellNotifyIcon = NotifyIcon;

BOOL WINAPI RecordIconCall(DWORD message, void* record) {
    AppTest::iconCalls.emplace_back(message, *static_cast<TrayIconRecord*>(record));
    return shellNotifyIcon(message, record);
}

}  // namespace

std::vector<std::pair<DWORD, TrayIconRecord>> AppTest::iconCalls;

void AppTest::StartProgram() {
    InstanceHandle = GetModuleHandleA(nullptr);
    ASSERT_TRUE(AfxOleInit());
    iconCalls.clear();
    NotifyIcon = RecordIconCall;
    TrayWindowHandle = nullptr;  // made by the first main window of the process
    QuitFlag = 0;
    ASSERT_TRUE(mainWindow.Create(IDD_TALVORY_DIALOG));
    application.m_pMainWnd = &mainWindow;
    target.reset(new DropTarget);
}

void AppTest::TearDown() {
    target.reset();
    application.m_pMainWnd = nullptr;
    RemoveTrayIcon();
    NotifyIcon = shellNotifyIcon;
    mainWindow.DestroyWindow();
    AfxOleTerm();
}

void AppTest::Run(const std::function<void()>& open, const std::string& caption, const Script& script) {
    UiDriver user;
    user.Start([&](UiDriver& ui) { script(ui, ui.WaitForWindow(caption, caption.empty() ? "#32768" : "#32770")); });
    open();
    EXPECT_TRUE(user.Finish());
}
