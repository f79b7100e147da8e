#include "support/DropTarget.h"

#include "support/UiDriver.h"

#include <cstring>

namespace {

// A CF_TEXT block's text up to its terminating zero; without a zero inside
// the block "[no terminating zero]" follows, and an unreadable block reads "[unreadable]".
std::string BlockText(HGLOBAL block) {
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return "[unreadable]";
    const char* zero = static_cast<const char*>(std::memchr(bytes, 0, GlobalSize(block)));
    std::string text = zero ? std::string(bytes, zero) : std::string(bytes, GlobalSize(block)) + "[no terminating zero]";
    GlobalUnlock(block);
    return text;
}

std::string TextOf(IDataObject* data) {
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return "[no text]";
    std::string text = BlockText(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return text;
}

}  // namespace

std::string ClipboardText() {
    PumpUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
    std::string text = GetClipboardData(CF_TEXT) ? BlockText(GetClipboardData(CF_TEXT)) : "";
    CloseClipboard();
    return text;
}

void PutClipboardText(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    PumpUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

DropTarget::DropTarget() {
    m_window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Drop here", WS_POPUP | WS_BORDER | WS_VISIBLE | SS_NOTIFY, 300, 300,
                               400, 300, nullptr, nullptr, nullptr, nullptr);
    RegisterDragDrop(m_window, this);
    SetCursorPos(500, 450);
    PumpUntil([] { return false; }, 50);
}

DropTarget::~DropTarget() {
    RevokeDragDrop(m_window);
    DestroyWindow(m_window);
}

STDMETHODIMP DropTarget::QueryInterface(REFIID iid, void** object) {
    *object = iid == IID_IUnknown || iid == IID_IDropTarget ? static_cast<IDropTarget*>(this) : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    entered.push_back(TextOf(data));
    return DragOver(0, POINTL(), effect);
}

STDMETHODIMP DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    *effect &= DROPEFFECT_MOVE;
    return S_OK;
}

STDMETHODIMP DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if ((*effect &= DROPEFFECT_MOVE) != 0) dropped.push_back(TextOf(data));
    return S_OK;
}
