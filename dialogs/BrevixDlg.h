// CBrevixDlg: the phrase editor. Its first, hidden instance is also the
// application's main window, which owns the tray window and the tray menu.
#pragma once

#include "AfxControls.h"
#include "AfxDialog.h"

class CBrevixDlg : public CDialog
{
    DECLARE_DYNAMIC(CBrevixDlg)

public:
    explicit CBrevixDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    BEGIN_MSG_MAP(CBrevixDlg)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    HICON m_icon;
    CComboBox m_phraseCombo;
    CEdit m_contentEdit;
    CComboBox m_categoryCombo;
};
