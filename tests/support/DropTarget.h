// Where a delivered phrase arrives: the clipboard as another program reads
// it, and DropTarget, a visible topmost window of the test registered as an
// OLE drop target that takes text by move, as an editor does with a plain
// drag. It reads the text when a drag enters and again (keeping it) when it drops. Text
// is read up to its terminating zero; a block without a zero inside reads
// with "[no terminating zero]" after it.
#pragma once

#include "support/UiDriver.h"

#include <ole2.h>

#include <cstring>

inline std::string BlockText(HGLOBAL block) {
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return "[unreadable]";
    const char* zero = static_cast<const char*>(std::memchr(bytes, 0, GlobalSize(block)));
    std::string text = zero ? std::string(bytes, zero) : std::string(bytes, GlobalSize(block)) + "[no terminating zero]";
    GlobalUnlock(block);
    return text;
}

inline std::string ClipboardText() {
    PumpUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
    std::string text = GetClipboardData(CF_TEXT) ? BlockText(GetClipboardData(CF_TEXT)) : "";
    CloseClipboard();
    return text;
}

class DropTarget : public IDropTarget {
public:
    // Shows the window and places the mouse cursor at its centre. OLE must run on this thread.
    DropTarget() {
        RegisterDragDrop(m_window, this);
        // The pointer is where it is placed once Wine has taken in the
        // pointer's movements still on their way (a session's first
        // seconds): placed until it stays.
        for (int settled = 0; settled < 5;) {
            POINT at;
            GetCursorPos(&at);
            settled = at.x == 500 && at.y == 450 ? settled + 1 : 0;
            if (!settled) SetCursorPos(500, 450);
            PumpUntil([] { return false; }, 40);
        }
    }
    virtual ~DropTarget() {
        RevokeDragDrop(m_window);
        DestroyWindow(m_window);
    }
    Strings dropped;  // the text of each drop
    HWND Window() const { return m_window; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDropTarget ? static_cast<IDropTarget*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // owned by the test, not counted
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        TextOf(data);
        return DragOver(0, POINTL(), effect);
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_MOVE;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if ((*effect &= DROPEFFECT_MOVE) != 0) dropped.push_back(TextOf(data));
        return S_OK;
    }

private:
    static std::string TextOf(IDataObject* data) {
        FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(data->GetData(&format, &medium))) return "[no text]";
        std::string text = BlockText(medium.hGlobal);
        ReleaseStgMedium(&medium);
        return text;
    }
    HWND m_window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Drop here", WS_POPUP | WS_BORDER | WS_VISIBLE | SS_NOTIFY, 300,
                                    300, 400, 300, nullptr, nullptr, nullptr, nullptr);
};
