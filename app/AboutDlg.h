// CAboutDlg: the About box, opened from the tray menu and from the phrase
// editor's system menu.
#pragma once

#include "AfxDialog.h"

class CAboutDlg : public CDialog
{
    DECLARE_DYNAMIC(CAboutDlg)

public:
    explicit CAboutDlg(CWnd* parent = nullptr);
    // Default initialisation, then centred (on the screen while the owner is hidden).
    BOOL OnInitDialog() override;
};
