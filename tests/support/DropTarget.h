// Where a delivered phrase arrives: the clipboard as another program reads
// it, and DropTarget, a visible topmost window of the test registered as an
// OLE drop target that takes text by move, as an editor does with a plain
// drag. It reads the text when a drag enters and again when it drops.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

// A CF_TEXT block's text up to its terminating zero; without a zero inside
// the block "[no terminating zero]" follows, and an unreadable block reads "[unreadable]".
std::string BlockText(HGLOBAL block);
std::string ClipboardText();  // "" when the clipboard holds no text
void PutClipboardText(const std::string& text);

class DropTarget : public IDropTarget
{
public:
    // Shows the window and places the mouse cursor at its centre. OLE must run on this thread.
    DropTarget();
    virtual ~DropTarget();

    std::vector<std::string> entered, dropped;  // read at each DragEnter, each Drop

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // owned by the test, not counted
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

private:
    HWND m_window = nullptr;
};
