// Control wrappers over borrowed handles, bound to dialog controls by DDX_Control.
#pragma once

#include "AfxWnd.h"

class CComboBox : public CWnd
{
public:
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    // Inserts at index (-1: at the end); does not sort, whatever the style.
    int InsertString(int index, const char* text)
    {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(text)));
    }
    // The text of item index; empty for an index that names no item.
    void GetLBText(int index, CString& text) const
    {
        int length = index < 0 ? CB_ERR : static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
        if (length == CB_ERR || length <= 0) {
            text = CString();
            return;
        }
        std::string buffer(static_cast<size_t>(length) + 1, '\0');
        int copied = static_cast<int>(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index),
                                                  reinterpret_cast<LPARAM>(&buffer[0])));
        buffer.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        text = CString(std::move(buffer));
    }
    // The text of the selected item; empty when nothing is selected.
    CString GetSelectedText() const
    {
        CString text;
        GetLBText(GetCurSel(), text);
        return text;
    }
};

class CEdit : public CWnd
{
public:
    // 0 lifts the limit to the largest the control supports.
    void SetLimitText(UINT maxChars) { SendMessage(EM_SETLIMITTEXT, maxChars); }
};
