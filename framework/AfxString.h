// CString: 8-bit text in the system's ANSI code page with value semantics.
// A thin layer over std::string offering the MFC names the program uses.
#pragma once

#include <windows.h>

#include <string>

class CString
{
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text, length > 0 ? length : 0) {}
    CString(std::string text) : m_text(std::move(text)) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }


    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }

    // Position of the first occurrence at or after start, or -1.
    int Find(char what, int start = 0) const;
    int ReverseFind(char what) const;
    CString Left(int count) const;
    // Without leading and trailing blanks (spaces, tabs, line breaks).
    CString Trimmed() const;
    // Replaces every occurrence, scanning left to right; replaced text is not rescanned.
    int Replace(const char* from, const char* to);

    // printf-style formatting; the result may be of any length.
    void Format(const char* format, ...);
    // Loads a string resource of the process's module; false when there is none.
    BOOL LoadString(UINT id);

private:
    std::string m_text;
};

// text in the ANSI code page as wide text (for the wide-character API).
std::wstring AfxWiden(const char* text);
