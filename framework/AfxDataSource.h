// COleDataSource: an IDataObject over a cache of formats held in global
// memory, for the OLE clipboard and OLE drag and drop. COleDropSource: the
// standard drop source of a drag started by COleDataSource::DoDragDrop.
#pragma once

#include "AfxHandles.h"

#include <windows.h>
#include <ole2.h>

#include <vector>

// The platform's drag settings, read once per process from the "windows"
// profile section: "DragMinDist" (default 2 pixels) and "DragDelay"
// (default 200 ms).
struct AfxDragSettings
{
    int minDistance;
    UINT delay;
};
const AfxDragSettings& AfxGetDragSettings();

// IUnknown for a framework object that implements one COM interface. It is
// made on the heap with one reference, held by its creator, and deletes
// itself when the last reference goes.
template <typename Interface, const IID& InterfaceId>
class CComObjectRoot : public Interface
{
public:
    CComObjectRoot() = default;
    CComObjectRoot(const CComObjectRoot&) = delete;
    CComObjectRoot& operator=(const CComObjectRoot&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != InterfaceId) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~CComObjectRoot() = default;

private:
    LONG m_references = 1;
};

class COleDropSource : public CComObjectRoot<IDropSource, IID_IDropSource>
{
public:
    COleDropSource();

    // Waits, with the mouse captured for window, until the drag should start:
    // true once the cursor leaves m_rectStartDrag or m_dragDelay ms have
    // passed; false on Esc, a left or right button press or release, or a
    // loss of the capture. Also decides the drop and cancel buttons.
    BOOL OnBeginDrag(HWND window);

    // Esc or the cancel button cancels; the drag goes on while the drop
    // button is held; otherwise the data is dropped.
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    STDMETHODIMP GiveFeedback(DWORD effect) override;

    // Screen rectangle the cursor has to leave before the drag starts.
    RECT m_rectStartDrag = {};
    // Set when the drag starts (or is to start without waiting).
    BOOL m_bDragStarted = FALSE;
    // MK_LBUTTON / MK_RBUTTON, or 0 when no button was down at the start.
    DWORD m_dwButtonDrop = 0;
    DWORD m_dwButtonCancel = 0;
    int m_dragMinDist;
    UINT m_dragDelay;
};

class COleDataSource : public CComObjectRoot<IDataObject, IID_IDataObject>
{
public:
    COleDataSource() = default;

    // Offers block as format in global memory (content aspect, all pages, no
    // target device) and takes ownership of it. A format already cached is replaced.
    void CacheGlobalData(CLIPFORMAT format, HGLOBAL block);

    // Makes this object the clipboard's content and records it as the
    // process's clipboard source (AfxClipboardSource). On success the
    // clipboard holds the object and the caller's reference is given up; on
    // failure (the clipboard cannot be taken, for instance because another
    // program holds it open) it returns false and the caller keeps its reference.
    bool SetClipboard();

    // Runs an OLE drag and drop with this object and dropSource (the standard
    // one when null). The drag starts once the cursor leaves its position
    // widened by the minimum drag distance (a cursor exactly at the screen
    // origin starts it at once), or after the drag delay. Returns the effect
    // performed (DROPEFFECT_NONE when the drag did not start or nothing was dropped).
    DWORD DoDragDrop(DWORD effects, COleDropSource* dropSource = nullptr);

    // IDataObject: copies of the cached blocks are handed out.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** enumerator) override;

protected:
    // Only Release deletes the object.
    ~COleDataSource() override;

private:
    struct GlobalTraits
    {
        using Handle = HGLOBAL;
        static HGLOBAL Null() { return nullptr; }
        static void Release(HGLOBAL block) { ::GlobalFree(block); }
    };
    struct CacheEntry
    {
        FORMATETC format;
        CHandleOwner<GlobalTraits> block;
    };
    const CacheEntry* Lookup(const FORMATETC* format) const;

    std::vector<CacheEntry> m_cache;
};
