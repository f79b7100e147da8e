// CDialog: a dialog from a template of the program's resources, modeless
// (Create) or modal (DoModal), with data exchange binding controls to members.
#pragma once

#include "AfxWnd.h"

class CDialog;

class CDataExchange
{
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

// Binds control to the dialog's control with the given id (a borrowed handle).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog modeless; its window belongs to this object.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Runs the dialog modally. With no parent, the main window is the owner and
    // is disabled while the dialog runs.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    // Moves the keyboard focus to control (selecting an edit control's text),
    // as the Tab key does.
    void GotoDlgCtrl(HWND control) { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;
    // Dialogs leave unhandled messages to the system's dialog procedure.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    UINT m_templateId;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow() const;

    bool m_modal = false;
};
