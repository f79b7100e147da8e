#include "store/StoredText.h"

#include <windows.h>

#include <string>

CString StoredPhraseText(const CString& typed)
{
    std::string text = typed.str();
    auto isLeadByte = [&text](size_t i) { return IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size(); };
    auto findApostrophe = [&](size_t from) -> size_t {
        for (size_t i = from; i < text.size(); i += isLeadByte(i) ? 2 : 1)
            if (text[i] == '\'') return i;
        return std::string::npos;
    };
    for (size_t p = findApostrophe(0); p != std::string::npos;) {
        text.insert(p, 1, static_cast<char>(0xAC));
        if (p + 2 >= text.size()) break;
        p = findApostrophe(p + 2);
    }
    for (size_t i = 0; i < text.size(); i += isLeadByte(i) ? 2 : 1)
        if (text[i] == '\'') text[i] = '`';
    return CString(std::move(text));
}

CString ShownPhraseText(const CString& stored)
{
    const char storedApostrophe[] = {static_cast<char>(0xAC), 0x60, 0};
    CString text = stored;
    text.Replace(storedApostrophe, "'");
    return text;
}
