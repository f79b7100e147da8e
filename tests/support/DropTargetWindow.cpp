#include "DropTargetWindow.h"

#include <cstring>

class DropTargetWindow::Target final : public IDropTarget
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The window object owns the target; references only count.
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) override
    {
        ++dragEnters;
        FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        offersText = data && data->QueryGetData(&text) == S_OK;
        offered = *effect;
        *effect = Choose(*effect);
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override
    {
        *effect = Choose(*effect);
        return S_OK;
    }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) override
    {
        *effect = Choose(*effect);
        if (*effect == DROPEFFECT_NONE) return S_OK;
        FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(data->GetData(&format, &medium))) {
            *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        DropTargetWindow::Drop drop;
        drop.effectsOffered = offered;
        drop.keyState = keyState;
        if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
            drop.blockSize = ::GlobalSize(medium.hGlobal);
            const char* bytes = static_cast<const char*>(::GlobalLock(medium.hGlobal));
            if (bytes) {
                const void* zero = std::memchr(bytes, 0, drop.blockSize);
                drop.terminated = zero != nullptr;
                size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : drop.blockSize;
                drop.text.assign(bytes, length);
                ::GlobalUnlock(medium.hGlobal);
            }
        }
        ::ReleaseStgMedium(&medium);
        drops.push_back(drop);
        lastDropTick = ::GetTickCount();
        return S_OK;
    }

    DWORD Choose(DWORD allowed) const
    {
        if (!accepting || !offersText) return DROPEFFECT_NONE;
        return (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    }

    long references = 0;
    bool accepting = true;
    bool offersText = false;
    DWORD offered = 0;
    int dragEnters = 0;
    DWORD lastDropTick = 0;
    std::vector<DropTargetWindow::Drop> drops;
};

namespace {

const char* DropTargetClass()
{
    static const char* name = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = "TalvoryTestDropTarget";
        ::RegisterClassA(&windowClass);
        return "TalvoryTestDropTarget";
    }();
    return name;
}

} // namespace

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
    m_window = ::CreateWindowExA(WS_EX_TOPMOST, DropTargetClass(), "Drop here", WS_POPUP | WS_BORDER | WS_VISIBLE, x,
                                 y, width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowPos(m_window, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW);
    ::RegisterDragDrop(m_window, m_target);
    ::UpdateWindow(m_window);
    PumpMessages();
}

DropTargetWindow::~DropTargetWindow()
{
    if (m_window) {
        ::RevokeDragDrop(m_window);
        ::DestroyWindow(m_window);
    }
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

void DropTargetWindow::SetAccepting(bool accepting)
{
    m_target->accepting = accepting;
}

const std::vector<DropTargetWindow::Drop>& DropTargetWindow::Drops() const
{
    return m_target->drops;
}

int DropTargetWindow::DragEnterCount() const
{
    return m_target->dragEnters;
}

DWORD DropTargetWindow::LastDropTick() const
{
    return m_target->lastDropTick;
}
