#include "DialogTestSupport.h"

#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "store/PhraseStore.h"

// Here only for the framework's registration of the main window.
static CWinApp testApplication;

void DialogTest::SetUp()
{
    InstanceHandle = ::GetModuleHandleA(nullptr);
    // The hidden main window of the running program: the owner of every
    // dialog opened with no parent, and of the message boxes above them.
    ASSERT_TRUE(mainWindow.CreateEx(0, nullptr, "Talvory main window", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    testApplication.m_pMainWnd = &mainWindow;
    // The tray window exists from start-up on; dialogs opened later are editors.
    ASSERT_TRUE(trayWindow.CreateEx(0, nullptr, "Talvory tray window", WS_POPUP, 0, 0, 10, 10, mainWindow.m_hWnd,
                                    nullptr));
    TrayWindowHandle = trayWindow.m_hWnd;
}

void DialogTest::TearDown()
{
    TrayWindowHandle = nullptr;
    testApplication.m_pMainWnd = nullptr;
}

void DialogTest::Run(const std::function<void()>& open, const char* caption, const Script& script)
{
    UiDriver user;
    user.Start([&](UiDriver& ui) { script(ui, ui.WaitForDialog(caption)); });
    open();
    EXPECT_TRUE(user.Finish()) << user.Transcript();
}

Table DialogTest::Rows()
{
    Table rows;
    for (const TestDatabase::Row& row : db.Rows()) rows.push_back({ row.category, row.code, row.content });
    return rows;
}

Items DialogTest::CategoryNames()
{
    Items names;
    for (int i = 0; i < CategoryList.count; ++i) names.push_back(CategoryList.names[i].str());
    return names;
}

void Answer(UiDriver& ui, const std::string& text, int answer, const Items& buttons, UINT icon)
{
    UiDriver::MessageBoxSeen box = ui.WaitForMessageBox(text);
    if (!buttons.empty()) {
        EXPECT_EQ(box.buttons, buttons) << text;
        EXPECT_EQ(box.icon, icon) << text;
        EXPECT_EQ(box.caption, AfxGetAppName()) << text;
    }
    ui.Answer(box, answer);
}

void Cancel(UiDriver& ui, HWND dialog)
{
    ui.PressButton(dialog, IDCANCEL);
    ui.WaitUntilGone(dialog);
}

std::string LongText(size_t length, const std::string& pattern)
{
    std::string text;
    while (text.size() < length) text += pattern;
    text.resize(length);
    return text;
}
