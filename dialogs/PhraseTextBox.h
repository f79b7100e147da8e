// Showing a phrase's text in a multi-line edit control without stalling.
//
// The edit control re-measures a whole paragraph for every line it wraps, so
// word wrap costs the square of a paragraph's length: a paragraph of 100,000
// characters takes many seconds to show, and again at every change. A text
// with a paragraph that long is shown without word wrap (it scrolls
// sideways); every other text wraps as usual. Texts always stay whole.
#pragma once

#include "AfxControls.h"
#include "AfxString.h"

// Paragraphs up to this many characters are wrapped.
const int LongestWrappedParagraph = 2000;

// Sets edit's text to text, first making edit a control that wraps or one that
// does not, as text needs (edit then stands for a new control with the same
// identifier, place, font, tab order and focus).
void SetPhraseText(CEdit& edit, const CString& text);
