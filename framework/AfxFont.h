// CFont: an owned GDI font, deleted with its object.
#pragma once

#include "AfxHandles.h"

class CFont
{
public:
    BOOL CreateFontIndirect(const LOGFONTA* logFont)
    {
        m_font.Reset(::CreateFontIndirectA(logFont));
        return m_font ? TRUE : FALSE;
    }
    operator HFONT() const { return m_font; }

private:
    CFontHandle m_font;
};
