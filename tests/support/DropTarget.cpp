#include "support/DropTarget.h"

#include "support/UiDriver.h"

#include <cstring>

namespace {

std::string ReadText(IDataObject* data)
{
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return "[no text]";
    std::string text = BlockText(medium.hGlobal);
    ::ReleaseStgMedium(&medium);
    return text;
}

bool OpenClipboardPatiently()
{
    for (int attempt = 0; attempt < 100; ++attempt, ::Sleep(20))
        if (::OpenClipboard(nullptr)) return true;
    return false;
}

} // namespace

std::string BlockText(HGLOBAL block)
{
    const char* bytes = block ? static_cast<const char*>(::GlobalLock(block)) : nullptr;
    if (!bytes) return "[unreadable]";
    SIZE_T size = ::GlobalSize(block);
    const char* zero = static_cast<const char*>(std::memchr(bytes, 0, size));
    std::string text = zero ? std::string(bytes, zero) : std::string(bytes, size) + "[no terminating zero]";
    ::GlobalUnlock(block);
    return text;
}

std::string ClipboardText()
{
    if (!OpenClipboardPatiently()) return "[clipboard busy]";
    HANDLE data = ::GetClipboardData(CF_TEXT);
    std::string text = data ? BlockText(data) : "";
    ::CloseClipboard();
    return text;
}

void PutClipboardText(const std::string& text)
{
    if (!OpenClipboardPatiently()) return;
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
    ::CloseClipboard();
}

DropTarget::DropTarget()
{
    static ATOM windowClass = [] {
        WNDCLASSA description = {};
        description.lpfnWndProc = ::DefWindowProcA;
        description.hInstance = ::GetModuleHandleA(nullptr);
        description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        description.lpszClassName = "TalvoryTestDropTarget";
        return ::RegisterClassA(&description);
    }();
    m_window = ::CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(windowClass), "Drop here", WS_POPUP | WS_BORDER,
                                 300, 300, 400, 300, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowPos(m_window, HWND_TOPMOST, 300, 300, 400, 300, SWP_SHOWWINDOW);
    ::RegisterDragDrop(m_window, this);
    ::SetCursorPos(500, 450);
    PumpUntil([] { return false; }, 50);
}

DropTarget::~DropTarget()
{
    ::RevokeDragDrop(m_window);
    ::DestroyWindow(m_window);
}

STDMETHODIMP DropTarget::QueryInterface(REFIID iid, void** object)
{
    *object = iid == IID_IUnknown || iid == IID_IDropTarget ? static_cast<IDropTarget*>(this) : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    entered.push_back(ReadText(data));
    return DragOver(0, POINTL(), effect);
}

STDMETHODIMP DropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    *effect &= DROPEFFECT_MOVE;
    return S_OK;
}

STDMETHODIMP DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    DragOver(0, POINTL(), effect);
    if (*effect) dropped.push_back(ReadText(data));
    return S_OK;
}
