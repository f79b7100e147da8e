// Scoped owners of system handles, in the spirit of WTL's managed handle
// classes: each owner releases its handle when it goes, can hand it over
// (Detach) or take another (Reset), and cannot be copied.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <typename Traits>
class CHandleOwner
{
public:
    using Handle = typename Traits::Handle;

    CHandleOwner() = default;
    explicit CHandleOwner(Handle handle) : m_handle(handle) {}
    ~CHandleOwner() { Reset(); }
    CHandleOwner(CHandleOwner&& other) noexcept : m_handle(other.Detach()) {}
    CHandleOwner& operator=(CHandleOwner&& other) noexcept
    {
        Reset(other.Detach());
        return *this;
    }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;

    // Releases the handle held, then holds handle.
    void Reset(Handle handle = Traits::Null())
    {
        if (m_handle != Traits::Null()) Traits::Release(m_handle);
        m_handle = handle;
    }
    Handle Detach()
    {
        Handle handle = m_handle;
        m_handle = Traits::Null();
        return handle;
    }
    Handle Get() const { return m_handle; }
    operator Handle() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Null(); }

private:
    Handle m_handle = Traits::Null();
};

struct AfxIconTraits
{
    using Handle = HICON;
    static HICON Null() { return nullptr; }
    static void Release(HICON icon) { ::DestroyIcon(icon); }
};

template <typename GdiHandle>
struct AfxGdiObjectTraits
{
    using Handle = GdiHandle;
    static GdiHandle Null() { return nullptr; }
    static void Release(GdiHandle object) { ::DeleteObject(object); }
};

struct AfxKernelTraits
{
    using Handle = HANDLE;
    static HANDLE Null() { return nullptr; }
    static void Release(HANDLE handle) { ::CloseHandle(handle); }
};

// A file opened with CreateFile, which reports failure as INVALID_HANDLE_VALUE.
struct AfxFileTraits
{
    using Handle = HANDLE;
    static HANDLE Null() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE file) { ::CloseHandle(file); }
};

struct AfxFindTraits
{
    using Handle = HANDLE;
    static HANDLE Null() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE search) { ::FindClose(search); }
};

using CIconHandle = CHandleOwner<AfxIconTraits>;
using CBitmapHandle = CHandleOwner<AfxGdiObjectTraits<HBITMAP>>;
using CBrushHandle = CHandleOwner<AfxGdiObjectTraits<HBRUSH>>;
using CFontHandle = CHandleOwner<AfxGdiObjectTraits<HFONT>>;
using CKernelHandle = CHandleOwner<AfxKernelTraits>;
using CFileHandle = CHandleOwner<AfxFileTraits>;
using CFindHandle = CHandleOwner<AfxFindTraits>;

// A GDI object selected into a device context for the owner's lifetime; the
// object that was selected before comes back when the owner goes.
class CSelectedObject
{
public:
    CSelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelectedObject() { ::SelectObject(m_dc, m_previous); }
    CSelectedObject(const CSelectedObject&) = delete;
    CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The device context of a WM_PAINT: BeginPaint now, EndPaint when the owner goes.
class CPaintDC
{
public:
    explicit CPaintDC(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    ~CPaintDC() { ::EndPaint(m_window, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint;
    HDC m_dc;
};

// A window's client-area device context: GetDC now, ReleaseDC when the owner goes.
class CClientDC
{
public:
    explicit CClientDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~CClientDC() { ::ReleaseDC(m_window, m_dc); }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// One reference to a COM object, released when the owner goes.
template <typename Interface>
class CComPtr
{
public:
    CComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit CComPtr(Interface* object) : m_object(object) {}
    ~CComPtr()
    {
        if (m_object) m_object->Release();
    }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    Interface* Get() const { return m_object; }
    Interface* operator->() const { return m_object; }
    // Hands the reference over to the caller.
    Interface* Detach()
    {
        Interface* object = m_object;
        m_object = nullptr;
        return object;
    }

private:
    Interface* m_object = nullptr;
};
