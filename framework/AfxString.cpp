#include "AfxString.h"

#include <cstdarg>
#include <cstdio>

int CString::Find(char what, int start) const
{
    if (start < 0 || start > GetLength()) return -1;
    size_t at = m_text.find(what, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char what) const
{
    size_t at = m_text.rfind(what);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const
{
    if (count <= 0) return CString();
    return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Trimmed() const
{
    const char blanks[] = " \t\r\n";
    size_t first = m_text.find_first_not_of(blanks);
    if (first == std::string::npos) return CString();
    return CString(m_text.substr(first, m_text.find_last_not_of(blanks) - first + 1));
}

int CString::Replace(const char* from, const char* to)
{
    std::string needle(from), replacement(to);
    if (needle.empty()) return 0;
    int replaced = 0;
    std::string result;
    result.reserve(m_text.size());
    size_t pos = 0;
    for (;;) {
        size_t at = m_text.find(needle, pos);
        if (at == std::string::npos) break;
        result.append(m_text, pos, at - pos);
        result += replacement;
        pos = at + needle.size();
        ++replaced;
    }
    if (replaced == 0) return 0;
    result.append(m_text, pos, std::string::npos);
    m_text.swap(result);
    return replaced;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {
        m_text.clear();
    } else {
        m_text.assign(static_cast<size_t>(needed) + 1, '\0');
        std::vsnprintf(&m_text[0], m_text.size(), format, args);
        m_text.resize(static_cast<size_t>(needed));
    }
    va_end(args);
}

BOOL CString::LoadString(UINT id)
{
    char buffer[1024];
    int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    m_text.assign(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    return length > 0;
}

std::wstring AfxWiden(const char* text)
{
    int size = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size - 1));
    return wide;
}
