#include "preview/MenuPreviewManager.h"

#include "preview/PreviewText.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseStore.h"
#include "store/StoredText.h"

#include <cstring>

CMenuPreviewManager MenuPreviewManager;

namespace {

// Flags of a WM_MENUSELECT that reports the menu closing.
const UINT MenuClosingFlags = 0xFFFF;

BOOL CALLBACK FindMenuWindowProc(HWND window, LPARAM found)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32768") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The preview of the phrase a command identifier stands for, from its text
// as the database holds it now; empty for any other command, for a phrase
// without text, and when the phrase cannot be read.
CString PreviewTextForCommand(UINT itemId)
{
    PhraseId phraseId = 0;
    if (!PhraseForCommand(itemId, phraseId)) return CString();
    return MakePreviewText(ShownPhraseText(ReadPhrase(phraseId).text));
}

} // namespace

LRESULT CMenuPreviewManager::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MENUSELECT) {
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
    } else if (message == WM_ENTERIDLE) {
        OnEnterIdle(static_cast<UINT>(wParam), reinterpret_cast<HWND>(lParam));
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}

void CMenuPreviewManager::OnMenuSelect(UINT itemId, UINT flags, HMENU menu)
{
    if (!popup.IsWindow()) {
        // Made on the first notification, closing ones included; a failed
        // creation is tried again at the next.
        popup.Create(POINT{ 0, 0 });
        popup.margins = SIZE{ 4, 0 };
    }

    if (flags == MenuClosingFlags) {
        popup.HidePopup();
        mouseSelected = false;
        showImmediately = false;
        previewMenuWindow = nullptr;
        return;
    }
    if (flags & MF_POPUP) {
        // A category or "Toolbox": the next preview waits again.
        popup.HidePopup();
        showImmediately = false;
        return;
    }
    if (flags & MF_SEPARATOR) {
        showImmediately = popup.IsWindowVisible() != FALSE;
        popup.HidePopup();
        return;
    }
    if (itemId == 0 || !menu) return;

    if (popup.IsWindowVisible()) showImmediately = true;
    mouseSelected = (flags & MF_MOUSESELECT) != 0;

    // Nothing to show (not a phrase, a phrase without text or loaded since),
    // or nowhere to show it: hide, so that no earlier text stands beside this item.
    CString text = PreviewTextForCommand(itemId);
    HWND menuWindow = text.IsEmpty() ? nullptr : FindMenuWindow();
    if (!menuWindow) {
        popup.HidePopup();
        return;
    }
    previewMenuWindow = menuWindow;

    RECT item = LocateItemRect(menu, itemId);
    popup.SetWindowPos(HWND_TOPMOST, item.left - PopupOverlap, item.top, item.right - item.left,
                       item.bottom - item.top, SWP_NOACTIVATE);
    // Sizes the popup to the text: its width from the text, its height the item's.
    popup.SetWindowText(text);
    popup.ShowAfter(showImmediately ? 0 : showDelay);
}

void CMenuPreviewManager::OnEnterIdle(UINT reason, HWND menuWindow)
{
    if (reason != MSGF_MENU) return;

    // Some systems close a submenu (Left, Escape) without reporting the item
    // highlighted again in the parent menu: the preview would stand beside a
    // closed menu. Hide it as the parent's submenu item would have.
    if (previewMenuWindow && !::IsWindowVisible(previewMenuWindow)) {
        previewMenuWindow = nullptr;
        popup.HidePopup();
        showImmediately = false;
        return;
    }

    if (!mouseSelected) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    if (::WindowFromPoint(cursor) != menuWindow) popup.HidePopup();
}

HWND CMenuPreviewManager::FindMenuWindow()
{
    HWND found = nullptr;
    ::EnumWindows(&FindMenuWindowProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

RECT CMenuPreviewManager::LocateItemRect(HMENU menu, UINT itemId) const
{
    RECT result = {};
    HWND menuWindow = FindMenuWindow();
    if (!menuWindow) return result;

    RECT menuRect;
    ::GetWindowRect(menuWindow, &menuRect);
    int y = menuRect.top + ::GetSystemMetrics(SM_CYEDGE) + 1;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        ::GetMenuItemRect(hookedWindow, menu, static_cast<UINT>(i), &item);
        if (::GetMenuItemID(menu, i) == itemId) {
            ::OffsetRect(&item, menuRect.right - item.left, y - item.top);
            return item;
        }
        // Every row counts: separators, submenu and command items alike.
        y += item.bottom - item.top;
    }
    return result;
}
