// CFont: an owned GDI font, deleted with its object.
#pragma once

#include <windows.h>

class CFont
{
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const LOGFONTA* logFont)
    {
        DeleteObject();
        m_hObject = ::CreateFontIndirectA(logFont);
        return m_hObject != nullptr;
    }
    void DeleteObject()
    {
        if (m_hObject) ::DeleteObject(m_hObject);
        m_hObject = nullptr;
    }
    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

private:
    HFONT m_hObject = nullptr;
};
