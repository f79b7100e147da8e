#include "dialogs/FindPhraseDlg.h"

#include "AfxApp.h"
#include "AfxHandles.h"
#include "delivery/CaretPaste.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseStore.h"
#include "store/StoredText.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFindPhraseDlg, CDialog)

namespace {

// The bytes of a phrase's text a row shows at most; the column cuts it
// shorter, with an ellipsis.
const size_t RowTextBytes = 200;
// The columns' shares of the row's width, in per cent: category, shortcut.
const int CategoryShare = 25;
const int CodeShare = 28;

} // namespace

bool LoadPhrases(CPhraseSearch& phrases)
{
    StoreTaskScope task;
    int read = ForEachPhrase([&phrases](const char* category, const char* code, const char* content, PhraseId id) {
        if (std::strchr(content, '\xAC')) {
            phrases.Add(id, category, code, ShownPhraseText(content));
        } else {
            phrases.Add(id, category, code, content);
        }
    });
    // The keys listed are of the database read now: a phrase chosen after
    // the file has been replaced is refused as one from the menu is.
    ResetPhraseCommands(0);
    return read >= 0;
}

void OpenFindWindow(HWND previous)
{
    CPhraseSearch phrases;
    if (!LoadPhrases(phrases)) {
        AfxMessageBox(L"The phrases cannot be shown. " + LastStoreFailure().reason);
        if (previous) ::SetForegroundWindow(previous);
        return;
    }
    CFindPhraseDlg dialog(phrases);
    PhraseId chosen = 0;
    if (dialog.DoModal() == IDOK && dialog.Chosen(chosen)) {
        PastePhraseAtCaret(chosen, previous);
    } else if (!dialog.Deactivated() && previous && ::IsWindow(previous)) {
        // Escape: back to where the user was; a window the user went to keeps the activation.
        ::SetForegroundWindow(previous);
    }
}

CFindPhraseDlg::CFindPhraseDlg(CPhraseSearch& phrases, CWnd* parent)
    : CDialog(IDD_FIND_PHRASE, parent), m_phrases(phrases)
{
}

void CFindPhraseDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FIND_TEXT, m_queryEdit);
    DDX_Control(pDX, IDC_FIND_LIST, m_list);
}

BOOL CFindPhraseDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // Rows one line of the dialog's font high, with a pixel above and below.
    {
        CClientDC dc(m_list);
        CSelectedObject font(dc, reinterpret_cast<HGDIOBJ>(m_list.SendMessage(WM_GETFONT)));
        TEXTMETRICA metrics = {};
        ::GetTextMetricsA(dc, &metrics);
        m_list.SendMessage(LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
    }

    // At the pointer, moved as little as needed to lie wholly within the
    // work area of the pointer's monitor.
    POINT pointer;
    ::GetCursorPos(&pointer);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    RECT own;
    GetWindowRect(&own);
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    const LONG x = std::max(area.left, std::min(pointer.x, area.right - width));
    const LONG y = std::max(area.top, std::min(pointer.y, area.bottom - height));
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_listKeys.list = m_list;
    m_listKeys.Install(m_queryEdit);
    OnQueryChange();
    GotoDlgCtrl(m_queryEdit);
    return FALSE;
}

void CFindPhraseDlg::OnQueryChange()
{
    const size_t listed = m_rows.size();
    m_phrases.Find(m_queryEdit.GetWindowText().str(), m_rows);
    // Telling the list a count it has already costs Wine some milliseconds
    // at a hundred thousand rows, for nothing.
    if (m_rows.size() != listed) m_list.SendMessage(LB_SETCOUNT, m_rows.size());
    m_list.SendMessage(LB_SETCURSEL, m_rows.empty() ? static_cast<WPARAM>(-1) : 0);
    m_list.InvalidateRect(nullptr);
}

void CFindPhraseDlg::OnOK()
{
    LRESULT selected = m_list.SendMessage(LB_GETCURSEL);
    if (selected < 0 || static_cast<size_t>(selected) >= m_rows.size()) return;
    m_chosen = true;
    m_chosenId = m_phrases.Id(m_rows[static_cast<size_t>(selected)]);
    Close(IDOK);
}

void CFindPhraseDlg::OnCancel()
{
    Close(IDCANCEL);
}

void CFindPhraseDlg::OnDeactivate()
{
    if (m_closing || m_deactivated) return;
    // Closed once the other window is active: ended while it is still the
    // active window, a dialog hands the activation to its owner, away from
    // the window the user went to.
    m_deactivated = true;
    ::PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CFindPhraseDlg::Close(int result)
{
    // Ending hides the window, which deactivates it: that is no choice of the user's.
    m_closing = true;
    EndDialog(result);
}

bool CFindPhraseDlg::Chosen(PhraseId& phraseId) const
{
    if (m_chosen) phraseId = m_chosenId;
    return m_chosen;
}

std::string CFindPhraseDlg::RowText(size_t row) const
{
    uint32_t phrase = m_rows[row];
    return std::string(m_phrases.Category(phrase)) + " | " + m_phrases.Code(phrase) + " | " +
           OneLine(m_phrases.Text(phrase), RowTextBytes);
}

LRESULT CFindPhraseDlg::OnDrawItem(WPARAM, LPARAM lParam)
{
    const DRAWITEMSTRUCT& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item.CtlID != IDC_FIND_LIST) return FALSE;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_rows.size()) return TRUE;

    const uint32_t phrase = m_rows[item.itemID];
    const std::string text = OneLine(m_phrases.Text(phrase), RowTextBytes);
    const LONG width = item.rcItem.right - item.rcItem.left;
    const LONG codeLeft = item.rcItem.left + width * CategoryShare / 100;
    const LONG textLeft = codeLeft + width * CodeShare / 100;
    struct Column
    {
        const char* text;
        LONG left, right;
        int colour;
    } columns[] = {
        {m_phrases.Category(phrase), item.rcItem.left, codeLeft, COLOR_WINDOWTEXT},
        {m_phrases.Code(phrase), codeLeft, textLeft, COLOR_WINDOWTEXT},
        {text.c_str(), textLeft, item.rcItem.right, COLOR_GRAYTEXT},
    };
    ::SetBkMode(item.hDC, TRANSPARENT);
    for (const Column& column : columns) {
        ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : column.colour));
        RECT place = {column.left + 3, item.rcItem.top, column.right - 3, item.rcItem.bottom};
        ::DrawTextA(item.hDC, column.text, -1, &place, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    return TRUE;
}

LRESULT CFindPhraseDlg::CListKeys::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT)) {
        ::SendMessageA(list, WM_KEYDOWN, wParam, lParam);
        return 0;
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}
