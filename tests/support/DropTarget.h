// Where a delivered phrase arrives: the clipboard as another program reads
// it, and DropTarget, a visible topmost window of the test registered as an
// OLE drop target that takes text by move, as an editor does with a plain
// drag. It reads the text when a drag enters and again when it drops.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

// The clipboard's CF_TEXT up to its terminating zero (see BlockText); "" when it holds no text.
std::string ClipboardText();
void PutClipboardText(const std::string& text);

class DropTarget : public IDropTarget {
public:
    // Shows the window and places the mouse cursor at its centre. OLE must run on this thread.
    DropTarget();
    virtual ~DropTarget();
    std::vector<std::string> entered, dropped;  // read at each DragEnter, each Drop

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // owned by the test, not counted
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override;
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override;

private:
    HWND m_window;
};
