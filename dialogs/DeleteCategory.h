// CDeleteCategory: the Delete Category dialog. Deleting a category deletes
// every row that carries its name: its phrases and its category row.
#pragma once

#include "AfxControls.h"
#include "AfxDialog.h"
#include "res/resource.h"

class CDeleteCategory : public CDialog
{
    DECLARE_DYNAMIC(CDeleteCategory)

public:
    explicit CDeleteCategory(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    BEGIN_MSG_MAP(CDeleteCategory)
        // "Delete", or Enter.
        ON_COMMAND(IDOK, OnDeleteCategory)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void OnDeleteCategory();
    // Rebuilds the category list from the store and shows it, first item selected.
    void ReloadCategories();

    CComboBox m_categoryCombo;
};
