#include "dialogs/PhraseTextBox.h"

namespace {

const LONG NoWrapStyles = ES_AUTOHSCROLL | WS_HSCROLL;

bool HasLongParagraph(const CString& text)
{
    int length = 0;
    for (const char* c = text.GetString(); *c; ++c) {
        length = (*c == '\r' || *c == '\n') ? 0 : length + 1;
        if (length > LongestWrappedParagraph) return true;
    }
    return false;
}

// A new edit control in the place of edit, with the wrapping styles changed.
HWND RecreateEdit(HWND edit, LONG style)
{
    HWND dialog = ::GetParent(edit);
    RECT place;
    ::GetWindowRect(edit, &place);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    HWND replacement = ::CreateWindowExA(
        static_cast<DWORD>(::GetWindowLongA(edit, GWL_EXSTYLE)), "EDIT", "", static_cast<DWORD>(style), place.left,
        place.top, place.right - place.left, place.bottom - place.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(edit))), ::GetModuleHandleA(nullptr), nullptr);
    if (!replacement) return edit;
    ::SendMessageA(replacement, WM_SETFONT, ::SendMessageA(edit, WM_GETFONT, 0, 0), FALSE);
    ::SendMessageA(replacement, EM_SETLIMITTEXT, 0, 0);
    // Right behind the old control in the tab order, which it then leaves.
    ::SetWindowPos(replacement, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    bool hadFocus = ::GetFocus() == edit;
    ::DestroyWindow(edit);
    if (hadFocus) ::SetFocus(replacement);
    return replacement;
}

} // namespace

void SetPhraseText(CEdit& edit, const CString& text)
{
    LONG style = ::GetWindowLongA(edit, GWL_STYLE);
    bool wraps = (style & ES_AUTOHSCROLL) == 0;
    bool wrap = !HasLongParagraph(text);
    if (wrap != wraps) edit.m_hWnd = RecreateEdit(edit, wrap ? style & ~NoWrapStyles : style | NoWrapStyles);
    edit.SetWindowText(text);
}
