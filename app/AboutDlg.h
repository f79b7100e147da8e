// CAboutDlg: the About box, opened from the tray menu and from the phrase
// editor's system menu.
#pragma once

#include "AfxDialog.h"
#include "AfxHandles.h"

class CAboutDlg : public CDialog
{
    DECLARE_DYNAMIC(CAboutDlg)

public:
    explicit CAboutDlg(CWnd* parent = nullptr);
    // Default initialisation, the picture, then centred (on the screen while
    // the owner is hidden).
    BOOL OnInitDialog() override;

private:
    // The picture shown, loaded here and freed with the dialog: a static
    // control does not free a bitmap it is given.
    CBitmapHandle m_picture;
};
