// Pasting a phrase where the user types: the window the user was in is
// activated again, the phrase's text goes onto the clipboard as plain text,
// and a Ctrl+V keystroke pastes it at that window's caret once the window is
// in front.
#pragma once

#include "store/OdbcConnection.h"

#include <windows.h>

// Activates target (the window that was active before Talvory took the
// keyboard) and reads the phrase as the database holds it now; when it
// cannot be read or has been deleted, says so as the tray menu's delivery
// does, and gives the activation back. Otherwise the text goes onto the
// clipboard and, once target is the foreground window (waited for at most
// about a second), Ctrl+V is pressed for it. True when the keystroke was
// sent; nothing is pressed for an empty text or a clipboard that another
// program held, nor without a target.
bool PastePhraseAtCaret(PhraseId phraseId, HWND target);
