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
#include <string>
#include <vector>

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

// The menu is being tracked (or built).
bool trayMenuOpen = false;

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

bool TrayMenuIsOpen()
{
    return trayMenuOpen;
}

void OpenTrayMenu(bool fromHotkey)
{
    if (trayMenuOpen) return;
    HWND previous = fromHotkey ? ::GetForegroundWindow() : nullptr;
    CMenu menu;
    if (!menu.LoadMenu(IDR_TRAY_MENU)) return;
    trayMenuOpen = true;
    HMENU popup = ::GetSubMenu(menu, 0);
    UINT chosen = 0;
    {
        // One task for the menu's reading and the previews while it is open:
        // a database that does not answer holds up the reading only, and the
        // diagnostics go out together.
        StoreTaskScope task;
        InsertCategorySubmenus(popup);

        POINT cursor;
        ::GetCursorPos(&cursor);
        CWnd* mainWindow = AfxGetMainWnd();
        HWND owner = mainWindow ? mainWindow->m_hWnd : nullptr;
        ::SetForegroundWindow(owner);
        chosen = static_cast<UINT>(::TrackPopupMenu(popup, TrayMenuTrackFlags, cursor.x, cursor.y, 0, owner, nullptr));
    }
    trayMenuOpen = false;

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
    // The rows first, then the items: the identifiers handed out to large
    // keys start above the category positions, so the number of categories
    // comes first. Shortcut names go into one buffer, apart by their zeros.
    struct Row
    {
        size_t category;
        PhraseId id;
        size_t code; // offset in codes
    };
    std::vector<Row> rows;
    std::string codes;
    int read = ForEachMenuRow([&](size_t category, const char* code, PhraseId id) {
        if (!*code) return; // the category row
        rows.push_back({category, id, codes.size()});
        codes.append(code);
        codes.push_back('\0');
    });
    if (read < 0) {
        // Nothing to show but why: one grayed item above the Toolbox.
        std::wstring why = L"The phrases cannot be shown. " + LastStoreFailure().reason;
        for (size_t at = why.find(L'&'); at != std::wstring::npos; at = why.find(L'&', at + 2)) why.insert(at, 1, L'&');
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING | MIIM_STATE;
        item.fState = MFS_DISABLED;
        item.dwTypeData = &why[0];
        ::InsertMenuItemW(popup, 0, TRUE, &item);
        return;
    }

    const std::vector<CString>& categories = CategoryList().names;
    ResetPhraseCommands(static_cast<int>(categories.size()));
    size_t next = 0;
    for (size_t i = 0; i < categories.size(); ++i) {
        HMENU submenu = ::CreatePopupMenu();
        UINT count = 0;
        int notShown = 0;
        for (; next < rows.size() && rows[next].category == i; ++next) {
            UINT command = CommandForPhrase(rows[next].id);
            if (command == 0) {
                ++notShown;
                continue;
            }
            MENUITEMINFOA item = {};
            item.cbSize = MenuItemRecordSize;
            item.fMask = MIIM_ID | MIIM_STRING;
            item.fType = MFT_STRING;
            item.wID = command;
            // Appended after the items already there.
            InsertLabelledItem(submenu, count++, item, codes.c_str() + rows[next].code);
        }
        if (notShown > 0) {
            // The menu's identifiers ran out: say what the menu cannot hold.
            CString note;
            note.Format("%d more phrases not shown", notShown);
            ::AppendMenuA(submenu, MF_STRING | MF_GRAYED, 0, note);
        }
        bool hasItems = ::GetMenuItemCount(submenu) > 0;

        MENUITEMINFOA item = {};
        item.cbSize = MenuItemRecordSize;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.fType = MFT_STRING;
        item.wID = static_cast<UINT>(i);
        item.hSubMenu = hasItems ? submenu : nullptr;
        // A category without phrases is a plain item; its empty submenu goes.
        if (!hasItems) ::DestroyMenu(submenu);
        InsertLabelledItem(popup, static_cast<UINT>(i), item, categories[i].GetString());
    }
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
