// CCategoryDlg: the Add Category dialog. A category exists while a row of
// the phrase table carries its name; adding one stores its category row (the
// name with an empty shortcut name and text).
#pragma once

#include "AfxControls.h"
#include "AfxDialog.h"
#include "res/resource.h"

class CCategoryDlg : public CDialog
{
    DECLARE_DYNAMIC(CCategoryDlg)

public:
    explicit CCategoryDlg(CWnd* parent = nullptr);
    // The name box starts empty, with the keyboard focus.
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    BEGIN_MSG_MAP(CCategoryDlg)
        // "Add", or Enter.
        ON_COMMAND(IDOK, OnAddCategory)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void OnAddCategory();

    CEdit m_nameEdit;
};
