#include "DropTargetWindow.h"

#include <cstring>

class DropTargetWindow::Target final : public IDropTarget
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        *object = iid == IID_IUnknown || iid == IID_IDropTarget ? static_cast<IDropTarget*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    // The window object owns the target; references are not counted.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        ++dragEnters;
        offersText = data->QueryGetData(&format) == S_OK;
        offered = *effect;
        return DragOver(0, POINTL(), effect);
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override
    {
        *effect = offersText && (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        STGMEDIUM medium = {};
        DragOver(0, POINTL(), effect);
        if (*effect == DROPEFFECT_NONE || FAILED(data->GetData(&format, &medium))) return S_OK;
        DropTargetWindow::Drop drop;
        drop.effectsOffered = offered;
        const char* bytes = static_cast<const char*>(::GlobalLock(medium.hGlobal));
        if (bytes) {
            SIZE_T size = ::GlobalSize(medium.hGlobal);
            const void* zero = std::memchr(bytes, 0, size);
            drop.terminated = zero != nullptr;
            drop.text.assign(bytes, zero ? static_cast<const char*>(zero) - bytes : size);
            ::GlobalUnlock(medium.hGlobal);
        }
        ::ReleaseStgMedium(&medium);
        drops.push_back(drop);
        return S_OK;
    }

    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    bool offersText = false;
    DWORD offered = 0;
    int dragEnters = 0;
    std::vector<DropTargetWindow::Drop> drops;
};

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

DropTargetWindow::DropTargetWindow(int x, int y, int width, int height) : m_target(new Target)
{
    static ATOM windowClass = [] {
        WNDCLASSA description = {};
        description.lpfnWndProc = ::DefWindowProcA;
        description.hInstance = ::GetModuleHandleA(nullptr);
        description.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        description.lpszClassName = "TalvoryTestDropTarget";
        return ::RegisterClassA(&description);
    }();
    m_window = ::CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(windowClass), "Drop here",
                                 WS_POPUP | WS_BORDER | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowPos(m_window, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW);
    ::RegisterDragDrop(m_window, m_target);
    ::UpdateWindow(m_window);
    PumpMessages();
}

DropTargetWindow::~DropTargetWindow()
{
    ::RevokeDragDrop(m_window);
    ::DestroyWindow(m_window);
    PumpMessages();
    delete m_target;
}

POINT DropTargetWindow::Centre() const
{
    RECT rect;
    ::GetWindowRect(m_window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void DropTargetWindow::PlaceCursorInside() const
{
    POINT centre = Centre();
    ::SetCursorPos(centre.x, centre.y);
    PumpMessages();
}

const std::vector<DropTargetWindow::Drop>& DropTargetWindow::Drops() const
{
    return m_target->drops;
}

int DropTargetWindow::DragEnterCount() const
{
    return m_target->dragEnters;
}
