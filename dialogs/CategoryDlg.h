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
    // Dynamic creation: a new dialog with no parent, owned by the caller.
    static CObject* CreateObject() { return new CCategoryDlg; }

    // The name box starts empty; nothing else is prepared.
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
