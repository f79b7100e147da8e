// COleDataSource: an IDataObject over a cache of formats held in global
// memory, for the OLE clipboard and OLE drag and drop. COleDropSource: the
// standard drop source of a drag started by COleDataSource::DoDragDrop.
#pragma once

#include "AfxObject.h"

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

// The standard drop source. It is owned by whoever creates it (usually a
// local of DoDragDrop); COM references never delete it.
class COleDropSource : public CObject, public IDropSource
{
    DECLARE_DYNAMIC(COleDropSource)

public:
    COleDropSource();
    ~COleDropSource() override;
    COleDropSource(const COleDropSource&) = delete;
    COleDropSource& operator=(const COleDropSource&) = delete;

    // Waits, with the mouse captured for window, until the drag should start:
    // true once the cursor leaves m_rectStartDrag or m_dragDelay ms have
    // passed; false on Esc, a left or right button press or release, or a
    // loss of the capture. Also decides the drop and cancel buttons.
    virtual BOOL OnBeginDrag(HWND window);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDropSource: Esc or the cancel button cancels; the drag goes on while
    // the drop button is held; otherwise the data is dropped.
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    STDMETHODIMP GiveFeedback(DWORD effect) override;

    // Screen rectangle the cursor has to leave before the drag starts.
    RECT m_rectStartDrag = {};
    // Set when the drag starts (or is to start without waiting).
    BOOL m_bDragStarted = FALSE;
    // MK_LBUTTON / MK_RBUTTON, or 0 when no button was down at the start.
    DWORD m_dwButtonDrop = 0;
    DWORD m_dwButtonCancel = 0;
    // From AfxGetDragSettings(); a caller may change them for one drag.
    int m_dragMinDist;
    UINT m_dragDelay;

private:
    LONG m_references = 0;
};

class COleDataSource : public CObject, public IDataObject
{
    DECLARE_DYNAMIC(COleDataSource)

public:
    // Made on the heap with one reference, held by the creator; the object
    // deletes itself when the last reference goes (InternalRelease / Release).
    COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Offers block as format in global memory and takes ownership of it. The
    // format description defaults to content aspect, all pages, no target
    // device. A format already cached is replaced.
    void CacheGlobalData(CLIPFORMAT format, HGLOBAL block, const FORMATETC* formatEtc = nullptr);
    // Frees every cached block.
    void Empty();

    // Makes this object the clipboard's content and records it as the
    // process's clipboard source (AfxClipboardSource). On success the
    // clipboard holds the object and the caller's reference is given up; on
    // failure (the clipboard cannot be taken, for instance because another
    // program holds it open) it returns false and the caller keeps its reference.
    bool SetClipboard();

    // Runs an OLE drag and drop with this object. The drag starts once the
    // cursor leaves startRect, or, when there is none, the cursor position
    // widened by the minimum drag distance (a cursor exactly at the screen
    // origin starts it at once), or after the drag delay. dropSource defaults
    // to the standard one. Returns the effect performed (DROPEFFECT_NONE when
    // the drag did not start or nothing was dropped).
    DWORD DoDragDrop(DWORD effects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                     const RECT* startRect = nullptr, COleDropSource* dropSource = nullptr);

    IDataObject* GetInterface() { return this; }
    ULONG InternalRelease() { return Release(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
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
    struct CacheEntry
    {
        FORMATETC format;
        HGLOBAL block;
    };
    const CacheEntry* Lookup(const FORMATETC* format) const;

    LONG m_references = 1;
    std::vector<CacheEntry> m_cache;
};
