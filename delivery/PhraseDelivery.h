// Delivering a chosen phrase: its text goes to the clipboard as plain text,
// then is offered in an OLE drag and drop that drops it at once on the window
// under the mouse cursor, if that window accepts text drops.
#pragma once

#include "AfxString.h"

#include <windows.h>

// Delivers the phrase a tray-menu command identifier stands for (40000 +
// PhraseID, or an identifier mapped for a larger key). Each stored byte pair
// 0xAC 0x60 becomes an apostrophe. An identifier that stands for no phrase
// does nothing.
void DeliverPhrase(UINT commandId);
// Puts text on the clipboard as CF_TEXT, where it stays after the program has
// ended. An empty text leaves the clipboard as it was; so does a clipboard
// that another program holds open.
void CopyPhraseToClipboard(CString text);
// Offers text as CF_TEXT in a drag and drop (copy or move) that starts at the
// cursor and, with no mouse button held, drops at once on the window there.
void DropPhraseAtCursor(CString text);
// text with each byte pair 0xAC 0x60 (how the store keeps an apostrophe)
// turned back into an apostrophe, scanning from the start.
CString RestoreStoredApostrophes(CString text);
