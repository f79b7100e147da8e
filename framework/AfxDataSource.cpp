#include "AfxDataSource.h"

#include "AfxApp.h"
#include "AfxInit.h"
#include "AfxWnd.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace {

// The longest the wait before a drag sleeps without looking at the queue (ms).
const DWORD WaitSlice = 10;

// A copy of a global memory block, of the same size.
HGLOBAL CopyGlobalBlock(HGLOBAL source)
{
    SIZE_T size = ::GlobalSize(source);
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size ? size : 1);
    const void* from = copy ? ::GlobalLock(source) : nullptr;
    void* to = from ? ::GlobalLock(copy) : nullptr;
    if (to) std::memcpy(to, from, size);
    if (from) ::GlobalUnlock(source);
    if (to) ::GlobalUnlock(copy);
    if (copy && !to) {
        ::GlobalFree(copy);
        return nullptr;
    }
    return copy;
}

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

COleDataSource::~COleDataSource()
{
    // The clipboard let go of this object: it no longer stands for the
    // clipboard's content.
    if (AfxClipboardSource == static_cast<IDataObject*>(this)) AfxClipboardSource = nullptr;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL block)
{
    for (CacheEntry& entry : m_cache) {
        if (entry.format.cfFormat == format) {
            if (entry.block.Get() != block) entry.block.Reset(block);
            return;
        }
    }
    m_cache.push_back({{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, CHandleOwner<GlobalTraits>(block)});
}

const COleDataSource::CacheEntry* COleDataSource::Lookup(const FORMATETC* format) const
{
    for (const CacheEntry& entry : m_cache) {
        // Device-independent data serves any device.
        if (entry.format.cfFormat == format->cfFormat && (format->tymed & TYMED_HGLOBAL) != 0 &&
            format->dwAspect == DVASPECT_CONTENT)
            return &entry;
    }
    return nullptr;
}

bool COleDataSource::SetClipboard()
{
    HRESULT result = ::OleSetClipboard(this);
    if (FAILED(result)) {
        char text[80];
        std::snprintf(text, sizeof text, "OleSetClipboard failed: 0x%08lX\n", static_cast<unsigned long>(result));
        ::OutputDebugStringA(text);
        return false;
    }
    AfxClipboardSource = this;
    // The clipboard holds its own reference from now on.
    Release();
    return true;
}

DWORD COleDataSource::DoDragDrop(DWORD effects, COleDropSource* customSource)
{
    CComPtr<COleDropSource> standardSource(customSource ? nullptr : new COleDropSource);
    COleDropSource* dropSource = customSource ? customSource : standardSource.Get();
    dropSource->m_bDragStarted = FALSE;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    RECT& rect = dropSource->m_rectStartDrag;
    ::SetRect(&rect, cursor.x, cursor.y, cursor.x, cursor.y);
    if (cursor.x == 0 && cursor.y == 0) {
        // A null rectangle asks for no wait.
        dropSource->m_bDragStarted = TRUE;
    } else {
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
                                      AfxGetInstanceHandle(), nullptr);
        captureWindow = ownWindow;
    }
    BOOL start = dropSource->OnBeginDrag(captureWindow);
    if (ownWindow) ::DestroyWindow(ownWindow);
    if (!start) return DROPEFFECT_NONE;

    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = ::DoDragDrop(this, dropSource, effects, &effect);
    return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
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
    for (const CacheEntry& entry : m_cache) {
        if (entry.format.cfFormat != format->cfFormat) continue;
        return (format->tymed & TYMED_HGLOBAL) ? DV_E_DVASPECT : DV_E_TYMED;
    }
    return DV_E_FORMATETC;
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
    return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), enumerator);
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
