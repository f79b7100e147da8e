#include "AfxDataSource.h"

#include "AfxApp.h"
#include "AfxInit.h"
#include "AfxWnd.h"

#include <cstdio>
#include <cstring>

IMPLEMENT_DYNAMIC(COleDropSource, CObject)
IMPLEMENT_DYNAMIC(COleDataSource, CObject)

namespace {

// The longest the wait before a drag sleeps without looking at the queue (ms).
const DWORD WaitSlice = 10;

// A copy of a target device description in task memory (null for none).
DVTARGETDEVICE* CopyTargetDevice(const DVTARGETDEVICE* device)
{
    if (!device) return nullptr;
    auto* copy = static_cast<DVTARGETDEVICE*>(::CoTaskMemAlloc(device->tdSize));
    if (copy) std::memcpy(copy, device, device->tdSize);
    return copy;
}

bool SameTargetDevice(const DVTARGETDEVICE* a, const DVTARGETDEVICE* b)
{
    if (!a || !b) return a == b;
    return a->tdSize == b->tdSize && std::memcmp(a, b, a->tdSize) == 0;
}

// A copy of a global memory block, of the same size.
HGLOBAL CopyGlobalBlock(HGLOBAL source)
{
    SIZE_T size = ::GlobalSize(source);
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size ? size : 1);
    if (!copy) return nullptr;
    const void* from = ::GlobalLock(source);
    void* to = ::GlobalLock(copy);
    if (from && to) std::memcpy(to, from, size);
    if (from) ::GlobalUnlock(source);
    if (to) ::GlobalUnlock(copy);
    if (!from || !to) {
        ::GlobalFree(copy);
        return nullptr;
    }
    return copy;
}

// The enumerator handed out by EnumFormatEtc: a snapshot of the cached
// format descriptions.
class FormatEnumerator final : public IEnumFORMATETC
{
public:
    FormatEnumerator(const std::vector<FORMATETC>& formats, size_t position) : m_position(position)
    {
        for (const FORMATETC& format : formats) {
            FORMATETC copy = format;
            copy.ptd = CopyTargetDevice(format.ptd);
            m_formats.push_back(copy);
        }
    }
    FormatEnumerator(const FormatEnumerator&) = delete;
    FormatEnumerator& operator=(const FormatEnumerator&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IEnumFORMATETC) {
            *object = static_cast<IEnumFORMATETC*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) override
    {
        if (!formats || (count > 1 && !fetched)) return E_INVALIDARG;
        ULONG done = 0;
        while (done < count && m_position < m_formats.size()) {
            formats[done] = m_formats[m_position];
            formats[done].ptd = CopyTargetDevice(m_formats[m_position].ptd);
            ++done;
            ++m_position;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = m_formats.size() - m_position;
        if (count > left) {
            m_position = m_formats.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFORMATETC** clone) override
    {
        if (!clone) return E_POINTER;
        *clone = new FormatEnumerator(m_formats, m_position);
        return S_OK;
    }

private:
    ~FormatEnumerator()
    {
        for (FORMATETC& format : m_formats)
            if (format.ptd) ::CoTaskMemFree(format.ptd);
    }

    LONG m_references = 1;
    std::vector<FORMATETC> m_formats;
    size_t m_position;
};

} // namespace

const AfxDragSettings& AfxGetDragSettings()
{
    static const AfxDragSettings settings = {
        static_cast<int>(::GetProfileIntA("windows", "DragMinDist", DD_DEFDRAGMINDIST)),
        ::GetProfileIntA("windows", "DragDelay", DD_DEFDRAGDELAY),
    };
    return settings;
}

// ---------------------------------------------------------------------------
// COleDropSource

COleDropSource::COleDropSource()
    : m_dragMinDist(AfxGetDragSettings().minDistance), m_dragDelay(AfxGetDragSettings().delay)
{
}

COleDropSource::~COleDropSource() = default;

BOOL COleDropSource::OnBeginDrag(HWND window)
{
    // The button held now drops; the other one cancels. With no button held
    // (a drag offered after a menu choice) there is neither.
    m_dwButtonDrop = 0;
    m_dwButtonCancel = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) {
        m_dwButtonDrop = MK_LBUTTON;
        m_dwButtonCancel = MK_RBUTTON;
    } else if (::GetKeyState(VK_RBUTTON) < 0) {
        m_dwButtonDrop = MK_RBUTTON;
        m_dwButtonCancel = MK_LBUTTON;
    }

    DWORD startTick = ::GetTickCount();
    ::SetCapture(window);
    while (!m_bDragStarted) {
        // Someone else took the mouse: no drag.
        if (::GetCapture() != window) break;

        MSG msg;
        bool gotInput = ::PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE | PM_NOYIELD) ||
                        ::PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_NOYIELD);
        if (gotInput) {
            if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONDOWN ||
                msg.message == WM_RBUTTONUP)
                break;
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
            if (!::PtInRect(&m_rectStartDrag, msg.pt)) {
                m_bDragStarted = TRUE;
                break;
            }
        }

        // Resting long enough starts the drag anyway.
        DWORD elapsed = ::GetTickCount() - startTick;
        if (elapsed > m_dragDelay) {
            m_bDragStarted = TRUE;
            break;
        }
        // Wait for input, in short slices: button and key messages posted
        // by other programs do not count as input for the wait itself.
        if (!gotInput) {
            DWORD slice = m_dragDelay - elapsed + 1;
            if (slice > WaitSlice) slice = WaitSlice;
            ::MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_MOUSE | QS_KEY | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        }
    }
    if (::GetCapture() == window) ::ReleaseCapture();
    return m_bDragStarted;
}

STDMETHODIMP COleDropSource::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDropSource::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) COleDropSource::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_references));
}

STDMETHODIMP COleDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    if (escapePressed || (keyState & m_dwButtonCancel) != 0) return DRAGDROP_S_CANCEL;
    if ((keyState & m_dwButtonDrop) == 0) return DRAGDROP_S_DROP;
    return S_OK;
}

STDMETHODIMP COleDropSource::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---------------------------------------------------------------------------
// COleDataSource

COleDataSource::COleDataSource() = default;

COleDataSource::~COleDataSource()
{
    Empty();
    // The clipboard let go of this object: it no longer stands for the
    // clipboard's content.
    if (AfxClipboardSource == static_cast<IDataObject*>(this)) AfxClipboardSource = nullptr;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL block, const FORMATETC* formatEtc)
{
    FORMATETC description = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (formatEtc) {
        description = *formatEtc;
        description.cfFormat = format;
        description.tymed = TYMED_HGLOBAL;
        description.ptd = CopyTargetDevice(formatEtc->ptd);
    }
    for (CacheEntry& entry : m_cache) {
        if (entry.format.cfFormat == format && entry.format.dwAspect == description.dwAspect &&
            SameTargetDevice(entry.format.ptd, description.ptd)) {
            if (entry.block && entry.block != block) ::GlobalFree(entry.block);
            if (entry.format.ptd) ::CoTaskMemFree(entry.format.ptd);
            entry.format = description;
            entry.block = block;
            return;
        }
    }
    m_cache.push_back({description, block});
}

void COleDataSource::Empty()
{
    for (CacheEntry& entry : m_cache) {
        if (entry.block) ::GlobalFree(entry.block);
        if (entry.format.ptd) ::CoTaskMemFree(entry.format.ptd);
    }
    m_cache.clear();
}

const COleDataSource::CacheEntry* COleDataSource::Lookup(const FORMATETC* format) const
{
    for (const CacheEntry& entry : m_cache) {
        if (entry.format.cfFormat != format->cfFormat) continue;
        if ((entry.format.tymed & format->tymed) == 0) continue;
        if (entry.format.dwAspect != format->dwAspect) continue;
        // Device-independent data serves any device.
        if (entry.format.ptd && !SameTargetDevice(entry.format.ptd, format->ptd)) continue;
        return &entry;
    }
    return nullptr;
}

bool COleDataSource::SetClipboard()
{
    HRESULT result = ::OleSetClipboard(GetInterface());
    if (FAILED(result)) {
        char text[80];
        std::snprintf(text, sizeof text, "OleSetClipboard failed: 0x%08lX\n", static_cast<unsigned long>(result));
        ::OutputDebugStringA(text);
        return false;
    }
    AfxClipboardSource = GetInterface();
    // The clipboard holds its own reference from now on.
    Release();
    return true;
}

DWORD COleDataSource::DoDragDrop(DWORD effects, const RECT* startRect, COleDropSource* dropSource)
{
    COleDropSource standardSource;
    if (!dropSource) dropSource = &standardSource;

    dropSource->m_bDragStarted = FALSE;
    if (startRect) {
        dropSource->m_rectStartDrag = *startRect;
    } else {
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        ::SetRect(&dropSource->m_rectStartDrag, cursor.x, cursor.y, cursor.x, cursor.y);
    }
    RECT& rect = dropSource->m_rectStartDrag;
    if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) {
        // A null rectangle asks for no wait.
        dropSource->m_bDragStarted = TRUE;
    } else if (::IsRectEmpty(&rect)) {
        ::InflateRect(&rect, dropSource->m_dragMinDist, dropSource->m_dragMinDist);
    }

    // The main window holds the mouse while the drag starts; without one, a
    // hidden window of this drag's own.
    HWND captureWindow = nullptr;
    CWnd* mainWindow = AfxGetMainWnd();
    if (mainWindow && mainWindow->IsWindow()) captureWindow = mainWindow->m_hWnd;
    HWND ownWindow = nullptr;
    if (!captureWindow) {
        ownWindow = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      ::GetModuleHandleA(nullptr), nullptr);
        captureWindow = ownWindow;
    }
    BOOL start = dropSource->OnBeginDrag(captureWindow);
    if (ownWindow) ::DestroyWindow(ownWindow);
    if (!start) return DROPEFFECT_NONE;

    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = ::DoDragDrop(GetInterface(), dropSource, effects, &effect);
    if (result != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
    return effect;
}

STDMETHODIMP COleDataSource::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
        *object = GetInterface();
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDataSource::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) COleDataSource::Release()
{
    LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP COleDataSource::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium) return E_INVALIDARG;
    const CacheEntry* entry = Lookup(format);
    if (!entry) return QueryGetData(format);
    HGLOBAL copy = CopyGlobalBlock(entry->block);
    if (!copy) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP COleDataSource::GetDataHere(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium) return E_INVALIDARG;
    const CacheEntry* entry = Lookup(format);
    if (!entry) return QueryGetData(format);
    if (medium->tymed != TYMED_HGLOBAL || !medium->hGlobal) return DV_E_TYMED;
    SIZE_T size = ::GlobalSize(entry->block);
    if (::GlobalSize(medium->hGlobal) < size) return STG_E_MEDIUMFULL;
    const void* from = ::GlobalLock(entry->block);
    void* to = ::GlobalLock(medium->hGlobal);
    if (from && to) std::memcpy(to, from, size);
    if (from) ::GlobalUnlock(entry->block);
    if (to) ::GlobalUnlock(medium->hGlobal);
    return from && to ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleDataSource::QueryGetData(FORMATETC* format)
{
    if (!format) return E_INVALIDARG;
    if (Lookup(format)) return S_OK;
    bool knownFormat = false;
    bool knownMedium = false;
    for (const CacheEntry& entry : m_cache) {
        if (entry.format.cfFormat != format->cfFormat) continue;
        knownFormat = true;
        if (entry.format.tymed & format->tymed) knownMedium = true;
    }
    if (!knownFormat) return DV_E_FORMATETC;
    if (!knownMedium) return DV_E_TYMED;
    return DV_E_DVASPECT;
}

STDMETHODIMP COleDataSource::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out)
{
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP COleDataSource::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP COleDataSource::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator)
{
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const CacheEntry& entry : m_cache) formats.push_back(entry.format);
    *enumerator = new FormatEnumerator(formats, 0);
    return S_OK;
}

STDMETHODIMP COleDataSource::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleDataSource::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleDataSource::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}
