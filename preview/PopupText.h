// CPopupText: the preview window. A top-most popup with a thin border, drawn
// in the system's tooltip colours and menu font, that sizes itself to its text
// and can show itself after a delay (timer 1).
#pragma once

#include "AfxFont.h"
#include "AfxWnd.h"

#include <windows.h>

class CPopupText : public CWnd
{
    DECLARE_DYNAMIC(CPopupText)

public:
    // Makes the font; the window is made later by Create.
    CPopupText();
    ~CPopupText() override;

    // Creates the window hidden, with zero size, at the screen point, with no
    // owner and control identifier 0.
    BOOL Create(POINT point);
    // 0 shows at once; any other delay (ms) arms timer 1, restarting a pending wait.
    void ShowAfter(UINT delay);
    // Shows without activating, repaints, and stops timer 1.
    void ShowNow();
    // Stops timer 1 and hides; nothing when there is no window.
    void HidePopup();

    // Added around the measured text: cx on the left and right, cy above and
    // below (0 keeps the window's current height).
    SIZE margins = { 4, 4 };
    // The system's menu font, made once.
    CFont font;

    // The timer of the delayed show.
    static const UINT_PTR ShowTimerId = 1;

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    BEGIN_MSG_MAP(CPopupText)
        ON_MESSAGE(WM_PAINT, OnPaint)
        ON_MESSAGE(WM_SETTEXT, OnSetText)
        ON_MESSAGE(WM_TIMER, OnTimer)
    END_MSG_MAP()

    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
};
