#include "DialogTestSupport.h"

#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "store/PhraseStore.h"

namespace {

// The program's application object stands in for nothing here but the
// framework's registration of the main window.
CWinApp testApplication;

} // namespace

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

std::vector<std::vector<std::string>> DialogTest::Rows()
{
    std::vector<std::vector<std::string>> rows;
    for (const TestDatabase::Row& row : db.Rows()) rows.push_back({ row.category, row.code, row.content });
    return rows;
}

std::vector<std::string> DialogTest::CategoryNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < CategoryList.count; ++i) names.push_back(CategoryList.names[i].str());
    return names;
}

std::string LongText(size_t length, const std::string& pattern)
{
    std::string text;
    text.reserve(length + pattern.size());
    while (text.size() < length) text += pattern;
    text.resize(length);
    return text;
}
