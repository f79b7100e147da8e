#include "dialogs/BrevixDlg.h"

#include "AfxApp.h"
#include "app/AboutDlg.h"
#include "app/TrayIcon.h"
#include "dialogs/AddPhrase.h"
#include "dialogs/PhraseTextBox.h"
#include "preview/MenuPreviewManager.h"
#include "store/PhraseStore.h"
#include "store/StoredText.h"

IMPLEMENT_DYNAMIC(CBrevixDlg, CDialog)

CBrevixDlg::CBrevixDlg(CWnd* parent)
    : CDialog(IDD_TALVORY_DIALOG, parent),
      m_icon(static_cast<HICON>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_FRAME_1), IMAGE_ICON, 0,
                                             0, LR_DEFAULTSIZE)))
{
}

void CBrevixDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PHRASE_COMBO, m_phraseCombo);
    DDX_Control(pDX, IDC_CONTENT_EDIT, m_contentEdit);
    DDX_Control(pDX, IDC_CATEGORY_COMBO, m_categoryCombo);
}

BOOL CBrevixDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(FALSE);
    if (systemMenu) {
        CString aboutText;
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Get()));

    // The main window is the instance created before the tray window exists.
    // The tray menu is tracked with it as owner, so the preview watches it, for
    // the life of the process; editors have no menu to preview and are not hooked.
    const bool mainInstance = TrayWindowHandle == nullptr;
    if (mainInstance) MenuPreviewManager.Install(m_hWnd);

    CenterWindow();
    ShowWindow(SW_HIDE);

    if (mainInstance) CreateTrayWindow(m_hWnd);

    // The phrase text is taken whole, however long the user makes it.
    m_contentEdit.SetLimitText(0);

    // A locked database holds up the first of these reads only.
    StoreTaskScope task;
    ShowFirstCategory();
    return TRUE;
}

void CBrevixDlg::ShowFirstCategory()
{
    ListCategories();
    FillCategoryCombo(m_categoryCombo);
    m_categoryCombo.SetCurSel(0);

    CString category;
    m_categoryCombo.GetLBText(0, category);
    LoadCategoryPhrases(m_phraseCombo, category, m_phraseIds);
    m_phraseCombo.SetCurSel(0);
    ShowSelectedPhrase();
}

bool CBrevixDlg::SelectedPhrase(PhraseId& phraseId) const
{
    int index = m_phraseCombo.GetCurSel();
    if (index < 0 || static_cast<size_t>(index) >= m_phraseIds.size() || m_phraseCombo.GetSelectedText().IsEmpty())
        return false;
    phraseId = m_phraseIds[static_cast<size_t>(index)];
    return true;
}

void CBrevixDlg::ShowSelectedPhrase()
{
    PhraseId phraseId = 0;
    m_shownStored = CString();
    if (SelectedPhrase(phraseId)) m_shownStored = ReadPhrase(phraseId).text;
    SetPhraseText(m_contentEdit, ShownPhraseText(m_shownStored));
}

void CBrevixDlg::ShowTheirText(const CString& stored)
{
    m_shownStored = stored;
    SetPhraseText(m_contentEdit, ShownPhraseText(stored));
}

void CBrevixDlg::OnCategoryChange()
{
    ListPhraseCodes(m_phraseCombo, m_categoryCombo.GetSelectedText(), m_phraseIds);
    ShowSelectedPhrase();
}

void CBrevixDlg::OnPhraseChange()
{
    // Unsaved edits are dropped.
    ShowSelectedPhrase();
}

void CBrevixDlg::OnSave()
{
    PhraseId phraseId = 0;
    if (!SelectedPhrase(phraseId)) {
        // Nothing to store the text in: the editor stays open with the text.
        AfxMessageBox("Please pick the phrase to save this text to, or use Add New Phrase to add it as a new "
                      "phrase.",
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Stored only over the text shown here: a phrase that someone else has
    // changed meanwhile is not overwritten without asking.
    CString typed = m_contentEdit.GetWindowText();
    ChangeOutcome outcome = UpdateContent(phraseId, typed, m_shownStored);
    if (outcome == ChangeOutcome::NothingMatched) {
        StoredPhrase now = ReadPhrase(phraseId);
        if (now.read && !now.found) {
            AfxMessageBox("This phrase has been deleted by someone else since it was shown here, so your text was not "
                          "saved. It is still here to copy.",
                          MB_OK | MB_ICONINFORMATION);
            return;
        }
        if (now.read) {
            if (AfxMessageBox("Someone else has changed this phrase since it was shown here.\n\n"
                              "Yes: save your text over theirs.\nNo: keep their text and show it here.",
                              MB_YESNO | MB_ICONQUESTION) != IDYES) {
                ShowTheirText(now.text);
                return;
            }
            outcome = ReplaceContent(phraseId, typed);
        } else {
            outcome = ChangeOutcome::Failed;
        }
    }
    if (outcome != ChangeOutcome::Done) {
        // Not stored: the editor stays open with the text as typed.
        AfxMessageBox(L"The phrase could not be saved to the database. " + LastStoreFailure().reason);
        return;
    }
    EndDialog(IDOK);
}

void CBrevixDlg::OnDeletePhrase()
{
    PhraseId phraseId = 0;
    ChangeOutcome outcome = ChangeOutcome::Done;
    if (SelectedPhrase(phraseId)) {
        outcome = DeletePhraseById(phraseId, m_shownStored);
        if (outcome == ChangeOutcome::NothingMatched) {
            StoredPhrase now = ReadPhrase(phraseId);
            if (!now.read) {
                outcome = ChangeOutcome::Failed;
            } else if (!now.found) {
                // Gone already, as the user wanted.
                outcome = ChangeOutcome::Done;
            } else if (AfxMessageBox("Someone else has changed this phrase since it was shown here.\n\n"
                                     "Yes: delete it all the same.\nNo: keep it and show their text.",
                                     MB_YESNO | MB_ICONQUESTION) == IDYES) {
                outcome = DeletePhraseWhatever(phraseId);
            } else {
                ShowTheirText(now.text);
                return;
            }
        }
    } else {
        // The blank item, or nothing: the category's rows without a shortcut
        // name (its category row) go.
        outcome = DeletePhrase(m_categoryCombo.GetSelectedText(), CString());
        if (m_phraseCombo.GetCurSel() < 0 || outcome == ChangeOutcome::NothingMatched) outcome = ChangeOutcome::Done;
    }
    // The editor then keeps its view and the text shown.
    if (outcome == ChangeOutcome::Failed) {
        AfxMessageBox(L"The phrase could not be deleted from the database. " + LastStoreFailure().reason);
        return;
    }

    if (CountPhrases() >= 1) {
        m_phraseCombo.SetCurSel(0);
    } else {
        AfxMessageBox("There is no phrase in the database", MB_OK | MB_ICONINFORMATION);
    }
    ShowFirstCategory();
}

void CBrevixDlg::OnAddNewPhrase()
{
    CAddPhrase dialog;
    dialog.DoModal();
}

void CBrevixDlg::OnAboutBox()
{
    CAboutDlg about;
    about.DoModal();
}

void CBrevixDlg::OnPaintIconic()
{
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);

    int iconWidth = ::GetSystemMetrics(SM_CXICON);
    int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, m_icon);
}

LRESULT CBrevixDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_icon.Get());
}
