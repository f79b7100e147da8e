// CBrevixDlg: the phrase editor. Its first, hidden instance is also the
// application's main window, which owns the tray window and the tray menu;
// every later instance is an editor run modally from the tray menu.
#pragma once

#include "AfxControls.h"
#include "AfxDialog.h"
#include "AfxHandles.h"
#include "res/resource.h"
#include "store/OdbcConnection.h"

#include <vector>

class CBrevixDlg : public CDialog
{
    DECLARE_DYNAMIC(CBrevixDlg)

public:
    explicit CBrevixDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Runs the Add New Phrase dialog. It needs no editor object, so the tray
    // menu's "Add phrase" calls it with no editor on screen.
    static void OnAddNewPhrase();

    BEGIN_MSG_MAP(CBrevixDlg)
        ON_CBN_SELCHANGE(IDC_CATEGORY_COMBO, OnCategoryChange)
        ON_CBN_SELCHANGE(IDC_PHRASE_COMBO, OnPhraseChange)
        ON_BN_CLICKED(IDC_SAVE, OnSave)
        ON_BN_CLICKED(IDC_DELETE_PHRASE, OnDeletePhrase)
        ON_BN_CLICKED(IDC_ADD_NEW_PHRASE, OnAddNewPhrase)
        // The About entry of the system menu; every other system command, and
        // painting while not minimised, are left to the system's dialog handling.
        if (uMsg == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
            OnAboutBox();
            lResult = 0;
            return TRUE;
        }
        if (uMsg == WM_PAINT && IsIconic()) {
            OnPaintIconic();
            lResult = 0;
            return TRUE;
        }
        ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
        CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void OnCategoryChange();
    void OnPhraseChange();
    void OnSave();
    void OnDeletePhrase();
    void OnAboutBox();
    void OnPaintIconic();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);

    // Lists the categories afresh and shows the first one, its first phrase
    // and that phrase's text.
    void ShowFirstCategory();
    // Shows the text of the phrase selected in the phrase combo (empty when none).
    void ShowSelectedPhrase();
    // Shows the text someone else stored for the selected phrase.
    void ShowTheirText(const CString& stored);
    // The PhraseID of the selected phrase item; false when no phrase is
    // selected (nothing, or the blank item of a category row).
    bool SelectedPhrase(PhraseId& phraseId) const;

    CIconHandle m_icon;
    CComboBox m_phraseCombo;
    CEdit m_contentEdit;
    CComboBox m_categoryCombo;
    // The PhraseID of each item of m_phraseCombo, in item order: two phrases
    // of a category may have shortcut names that the database holds equal.
    std::vector<PhraseId> m_phraseIds;
    // The selected phrase's text as it was read for showing (the stored
    // form): Save and Delete Phrase go ahead without asking only while the
    // database still holds it.
    CString m_shownStored;
};
