// CFindPhraseDlg: the find window, opened by its own hotkey. The user types
// a few words into its text box and the list below it shows the phrases
// that have them all (dialogs/PhraseSearch.h); Enter or a double click on a
// row chooses that phrase, Escape or going to another window closes it.
// Up, Down, PageUp and PageDown move the list's selection while the keyboard
// stays in the text box.
//
// The list is a virtual list box (LBS_NODATA, drawn by the dialog): it holds
// no strings, only a count, so that it is refilled at every keystroke in the
// same short time for a hundred phrases or a hundred thousand
// (bench/README.md, Find).
#pragma once

#include "AfxControls.h"
#include "AfxDialog.h"
#include "dialogs/PhraseSearch.h"
#include "preview/SubclassWnd.h"
#include "res/resource.h"

#include <string>
#include <vector>

// Reads every phrase for the find window into phrases, with its text as shown.
// False when the phrases cannot be read (LastStoreFailure says why).
bool LoadPhrases(CPhraseSearch& phrases);

// Reads the phrases and runs the find window near the mouse pointer. A
// chosen phrase is pasted at the caret of previous, the window that was
// active before (delivery/CaretPaste.h); closed with Escape, the window
// gives the activation back to previous and changes nothing. When the
// phrases cannot be read, says why instead.
void OpenFindWindow(HWND previous);

class CFindPhraseDlg : public CDialog
{
    DECLARE_DYNAMIC(CFindPhraseDlg)

public:
    explicit CFindPhraseDlg(CPhraseSearch& phrases, CWnd* parent = nullptr);

    // Places the window at the pointer, within the work area of its
    // monitor, lists every phrase and gives the text box the focus.
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Enter or a double click: the selected row is chosen (nothing happens
    // while the list is empty).
    void OnOK() override;
    void OnCancel() override;

    // The phrase chosen by Enter or a double click; false when none was.
    bool Chosen(PhraseId& phraseId) const;
    // The window closed because another window was activated.
    bool Deactivated() const { return m_deactivated; }

    // The rows listed now, each as "category | shortcut | beginning of the
    // text" (the text on one line), the order shown.
    size_t RowCount() const { return m_rows.size(); }
    std::string RowText(size_t row) const;

    BEGIN_MSG_MAP(CFindPhraseDlg)
        ON_NOTIFY_CODE(IDC_FIND_TEXT, EN_CHANGE, OnQueryChange)
        ON_NOTIFY_CODE(IDC_FIND_LIST, LBN_DBLCLK, OnOK)
        ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
        // Seen, then left to the dialog's own handling, which keeps the focus.
        if (uMsg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) OnDeactivate();
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void OnQueryChange();
    void OnDeactivate();
    LRESULT OnDrawItem(WPARAM, LPARAM lParam);
    void Close(int result);

    // Passes the list's movement keys on from the text box to the list.
    class CListKeys : public CSubclassWnd
    {
    public:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
        HWND list = nullptr;
    };

    CPhraseSearch& m_phrases;
    // The phrases listed, as positions in m_phrases.
    std::vector<uint32_t> m_rows;
    CEdit m_queryEdit;
    CWnd m_list;
    CListKeys m_listKeys;
    bool m_closing = false;
    bool m_deactivated = false;
    bool m_chosen = false;
    PhraseId m_chosenId = 0;
};
