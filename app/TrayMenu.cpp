#include "app/TrayMenu.h"

#include "AfxApp.h"
#include "AfxMenu.h"
#include "AfxWnd.h"
#include "app/AboutDlg.h"
#include "app/AppState.h"
#include "app/TrayIcon.h"
#include "delivery/PhraseDelivery.h"
#include "dialogs/AddPhrase.h"
#include "dialogs/BrevixDlg.h"
#include "dialogs/CategoryDlg.h"
#include "dialogs/DeleteCategory.h"
#include "res/resource.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseStore.h"
#include "store/OdbcConnection.h"

#include <cstddef>
#include <cstring>

namespace {

// Menu-item records in the first layout (44 bytes, without hbmpItem), which
// every version of the system accepts.
const UINT MenuItemRecordSize = offsetof(MENUITEMINFOA, hbmpItem);

// Inserts item at position with label, text in the ANSI code page, as
// InsertMenuItemA does. The label is widened here, into a buffer on the
// stack, and the item inserted with InsertMenuItemW: the ANSI entry point
// allocates and frees a wide copy of each label (bench/menu-run.sh). A label
// too long for the buffer goes through InsertMenuItemA.
void InsertLabelledItem(HMENU menu, UINT position, MENUITEMINFOA item, const char* label)
{
    wchar_t wide[256];
    if (::MultiByteToWideChar(CP_ACP, 0, label, -1, wide, 256) == 0) {
        item.dwTypeData = const_cast<char*>(label);
        ::InsertMenuItemA(menu, position, TRUE, &item);
        return;
    }
    MENUITEMINFOW wideItem;
    static_assert(sizeof wideItem == sizeof item, "the same record in both character sets");
    std::memcpy(&wideItem, &item, sizeof item);
    wideItem.dwTypeData = wide;
    ::InsertMenuItemW(menu, position, TRUE, &wideItem);
}

// TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, left- and top-aligned.
const UINT TrayMenuTrackFlags = 0x182;

bool OpensDialog(UINT command)
{
    return command == ID_TOOLBOX_EDIT_PHRASE || command == ID_TOOLBOX_ADD_PHRASE || command == ID_TOOLBOX_ABOUT ||
           command == ID_TOOLBOX_ADD_CATEGORY || command == ID_TOOLBOX_DELETE_CATEGORY;
}

} // namespace

INT_PTR CALLBACK TrayWindowProc(HWND, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_TRAYNOTIFY && (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN)) OpenTrayMenu();
    // Asked to close from outside (taskkill, the session ending, scripts/stop.sh):
    // the same orderly end as the menu's Exit.
    if (message == WM_CLOSE) DispatchTrayCommand(ID_TOOLBOX_EXIT);
    return FALSE;
}

void OpenTrayMenu(bool giveActivationBack)
{
    HWND previous = giveActivationBack ? ::GetForegroundWindow() : nullptr;
    CMenu menu;
    if (!menu.LoadMenu(IDR_TRAY_MENU)) return;
    HMENU popup = ::GetSubMenu(menu, 0);
    {
        // A locked database holds up the first query only; the diagnostics go out together.
        StoreTaskScope task;
        // A list that could not be read last time (at start-up, say) is read again.
        if (CategoryList.stale) ListCategories();
        InsertCategorySubmenus(popup);
    }

    POINT cursor;
    ::GetCursorPos(&cursor);
    CWnd* mainWindow = AfxGetMainWnd();
    HWND owner = mainWindow ? mainWindow->m_hWnd : nullptr;
    ::SetForegroundWindow(owner);
    UINT chosen = static_cast<UINT>(::TrackPopupMenu(popup, TrayMenuTrackFlags, cursor.x, cursor.y, 0, owner, nullptr));

    // Back to the window the user was in, where the phrase is to be pasted;
    // a dialog takes the activation itself.
    if (previous && !OpensDialog(chosen)) ::SetForegroundWindow(previous);
    // A chosen phrase goes to the clipboard before the menu is destroyed:
    // destroying the thousands of items of a large library would delay it.
    // Other commands (dialogs, Exit) run after the menu has gone.
    PhraseId phraseId = 0;
    const bool phraseChosen = PhraseForCommand(chosen, phraseId);
    if (phraseChosen) DispatchTrayCommand(chosen);
    // Destroying the loaded menu destroys its popup and the category submenus.
    menu.DestroyMenu();
    if (!phraseChosen) DispatchTrayCommand(chosen);
}

void InsertCategorySubmenus(HMENU popup)
{
    ResetPhraseCommands(static_cast<int>(CategoryList.names.size()));
    for (size_t i = 0; i < CategoryList.names.size(); ++i) {
        HMENU submenu = ::CreatePopupMenu();
        AppendCategoryPhrasesToMenu(submenu, CategoryList.names[i]);
        bool hasItems = ::GetMenuItemCount(submenu) > 0;

        MENUITEMINFOA item = {};
        item.cbSize = MenuItemRecordSize;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.fType = MFT_STRING;
        item.wID = static_cast<UINT>(i);
        item.hSubMenu = hasItems ? submenu : nullptr;
        // A category without phrases is a plain item; its empty submenu goes.
        if (!hasItems) ::DestroyMenu(submenu);
        InsertLabelledItem(popup, static_cast<UINT>(i), item, CategoryList.names[i].GetString());
    }
}

int AppendCategoryPhrasesToMenu(HMENU submenu, const CString& category)
{
    int count = 0;
    int notShown = 0;
    ForEachCategoryPhrase(category, [&](const char* code, PhraseId phraseId) {
        UINT command = CommandForPhrase(phraseId);
        if (command == 0) {
            ++notShown;
            return;
        }
        MENUITEMINFOA item = {};
        item.cbSize = MenuItemRecordSize;
        item.fMask = MIIM_ID | MIIM_STRING;
        item.fType = MFT_STRING;
        item.wID = command;
        // Appended after the items already there.
        InsertLabelledItem(submenu, static_cast<UINT>(count), item, code);
        ++count;
    });
    if (notShown > 0) {
        // The menu's identifiers ran out: say what the menu cannot hold.
        CString note;
        note.Format("%d more phrases not shown", notShown);
        ::AppendMenuA(submenu, MF_STRING | MF_GRAYED, 0, note);
    }
    return count;
}

void DispatchTrayCommand(UINT commandId)
{
    switch (commandId) {
    case 0:
        break;
    case ID_TOOLBOX_EDIT_PHRASE: {
        CBrevixDlg editor;
        editor.DoModal();
        break;
    }
    case ID_TOOLBOX_ADD_PHRASE:
        CBrevixDlg::OnAddNewPhrase();
        break;
    case ID_TOOLBOX_EXIT:
        RemoveTrayIcon();
        QuitFlag = 1;
        break;
    case ID_TOOLBOX_ABOUT: {
        CAboutDlg about;
        about.DoModal();
        break;
    }
    case ID_TOOLBOX_ADD_CATEGORY: {
        CCategoryDlg addCategory;
        addCategory.DoModal();
        break;
    }
    case ID_TOOLBOX_DELETE_CATEGORY: {
        CDeleteCategory deleteCategory;
        deleteCategory.DoModal();
        break;
    }
    default:
        // A phrase; the plain item of a category without phrases carries its
        // list position, which stands for no phrase and delivers nothing.
        DeliverPhrase(commandId);
        break;
    }
}
