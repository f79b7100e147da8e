#include "preview/PreviewText.h"

#include <string>

CString MakePreviewText(const CString& content)
{
    if (content.IsEmpty()) return CString();

    std::string text = content.str();
    int separators = 0;
    size_t end = 0;
    while (end < text.size() && end < static_cast<size_t>(MaxPreviewLength) &&
           separators < MaxPreviewSeparators) {
        unsigned char c = static_cast<unsigned char>(text[end]);
        if (c == 0) break; // the text ends at a terminating zero
        if (c >= 1 && c <= 32) {
            text[end] = ' ';
            ++separators;
        }
        ++end;
    }
    text.resize(end);
    text += "...";
    return CString(std::move(text));
}
