// The text the menu preview shows for a phrase: its first words.
#pragma once

#include "AfxString.h"

// The longest preview before "..." (a text without separators is cut here).
const int MaxPreviewLength = 1023;
// Separating characters (codes 1 to 32) kept in a preview.
const int MaxPreviewSeparators = 7;

// Line breaks, tabs and other control characters become spaces; the text
// ends right after the seventh such character (each one counts, leading ones
// and both halves of CR LF too), or after MaxPreviewLength bytes. Codes 128
// to 255 are ordinary characters. "..." follows; an empty text stays empty.
CString MakePreviewText(const CString& content);
