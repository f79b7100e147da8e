// The editor class in its first role: the hidden main window that start-up
// creates modeless before anything else exists.
#include "DialogTestSupport.h"

#include "app/TrayIcon.h"
#include "dialogs/BrevixDlg.h"
#include "preview/MenuPreviewManager.h"
#include "res/resource.h"
#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

#include <shellapi.h>

namespace {

std::vector<DWORD> iconCalls;

BOOL WINAPI RecordIconCall(DWORD message, void*)
{
    iconCalls.push_back(message);
    return TRUE;
}

class MainWindowTest : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        // Start-up: nothing made yet.
        TrayWindowHandle = nullptr;
        NotifyIcon = RecordIconCall;
    }
};

TEST_F(MainWindowTest, FirstInstanceHooksItselfMakesTheTrayWindowOnceAndLoadsTheStore)
{
    db.InsertWithId(7, "Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");

    CBrevixDlg mainDialog;
    ASSERT_TRUE(mainDialog.Create(IDD_TALVORY_DIALOG));
    AfxGetApp()->m_pMainWnd = &mainDialog;

    ASSERT_NE(TrayWindowHandle, nullptr);
    HWND trayWindow = TrayWindowHandle;
    EXPECT_EQ(::GetWindow(trayWindow, GW_OWNER), mainDialog.m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(mainDialog.m_hWnd));
    EXPECT_FALSE(::IsWindowVisible(trayWindow));
    EXPECT_EQ(iconCalls, std::vector<DWORD>{ NIM_ADD });
    EXPECT_EQ(TrayIconData.hWnd, trayWindow);
    EXPECT_EQ(MenuPreviewManager.hookedWindow, mainDialog.m_hWnd);

    char label[64] = {};
    ::GetMenuStringA(::GetSystemMenu(mainDialog.m_hWnd, FALSE), IDM_ABOUTBOX, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "&About Talvory...");

    EXPECT_EQ(CategoryNames(), (Items{ "Replies", "Work" }));
    EXPECT_EQ(PhraseContents[7], "Yes, gladly.");

    // An editor opened later leaves the tray window, the icon and the hook alone.
    CBrevixDlg editor;
    HWND editorWindow = nullptr;
    RunModal(editor, [&](UiDriver& ui) {
        editorWindow = ui.WaitForDialog("Talvory");
        EXPECT_EQ(CHookMap::HeadFor(editorWindow), nullptr) << "the editor is not hooked";
        EXPECT_EQ(::GetWindow(editorWindow, GW_OWNER), mainDialog.m_hWnd);
        ui.PressButton(editorWindow, IDCANCEL);
        ui.WaitUntilGone(editorWindow);
    });
    EXPECT_EQ(TrayWindowHandle, trayWindow);
    EXPECT_EQ(iconCalls, std::vector<DWORD>{ NIM_ADD });
    EXPECT_EQ(MenuPreviewManager.hookedWindow, mainDialog.m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(mainDialog.m_hWnd));

    AfxGetApp()->m_pMainWnd = &mainWindow;
}

} // namespace
