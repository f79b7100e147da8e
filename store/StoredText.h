// How phrase text is kept in the database: each apostrophe as the byte pair
// 0xAC 0x60 (in the ANSI code page a not-sign and a grave accent), as the
// Add Phrase dialog has always stored it. Text is shown and delivered with
// apostrophes; it is stored in the stored form.
#pragma once

#include "AfxString.h"

// typed as it is stored: 0xAC inserted before each apostrophe, then every
// apostrophe character turned into a backquote. Text is walked by characters
// of the ANSI code page, so in a double-byte code page whose lead bytes
// include 0xAC the apostrophe stays, behind its 0xAC.
CString StoredPhraseText(const CString& typed);
// stored with each byte pair 0xAC 0x60 turned back into an apostrophe,
// scanning from the start; a lone 0xAC or backquote stays as it is.
CString ShownPhraseText(const CString& stored);
