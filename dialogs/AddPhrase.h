// CAddPhrase: the Add New Phrase dialog. The user picks one of the existing
// categories, takes or changes the proposed shortcut name, types the phrase
// text and adds it; after each addition the dialog can stay open for more.
#pragma once

#include "AfxControls.h"
#include "AfxDialog.h"
#include "res/resource.h"

class CAddPhrase : public CDialog
{
    DECLARE_DYNAMIC(CAddPhrase)

public:
    explicit CAddPhrase(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    BEGIN_MSG_MAP(CAddPhrase)
        // "Add Phrase", or Enter anywhere but in the phrase text.
        ON_COMMAND(IDOK, OnAddPhrase)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void OnAddPhrase();

    CComboBox m_categoryCombo;
    CEdit m_shortcutEdit;
    CEdit m_contentEdit;
};
