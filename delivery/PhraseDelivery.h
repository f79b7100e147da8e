// Delivering a chosen phrase: its text goes to the clipboard as plain text,
// then is offered in an OLE drag and drop that drops it at once on the window
// under the mouse cursor, if that window accepts text drops.
#pragma once

#include "AfxString.h"
#include "store/OdbcConnection.h"

#include <windows.h>

// Reads the phrase's text as the database holds it now, with its apostrophes
// as typed. When it cannot be read, has been deleted, or the database was
// replaced since the menu was built, tells the user so and returns false.
bool ReadPhraseToDeliver(PhraseId phraseId, CString& text);
// Delivers the phrase a tray-menu command identifier stands for (40000 +
// PhraseID, or an identifier mapped for another key), with its apostrophes
// as typed. An identifier that stands for no phrase does nothing; a phrase
// that cannot be read is reported to the user.
void DeliverPhrase(UINT commandId);
// Puts text on the clipboard as CF_TEXT, where it stays after the program has
// ended. An empty text leaves the clipboard as it was; so does a clipboard
// that another program holds open. True when the clipboard holds the text.
bool CopyPhraseToClipboard(CString text);
// Offers text as CF_TEXT in a drag and drop (copy or move) that starts at the
// cursor and, with no mouse button held, drops at once on the window there.
void DropPhraseAtCursor(CString text);
