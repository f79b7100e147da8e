// The tray menu's command identifiers for phrases. A phrase with PhraseID 0
// to 9,999 carries 40000 + PhraseID. Phrases with larger keys receive, each
// time the menu is built, identifiers from a range of their own that no other
// command uses (menu identifiers carry only 16 bits), recorded here so that
// delivery and the preview resolve them until the next menu is built.
#pragma once

#include <windows.h>

const UINT FirstPhraseCommand = 40000;
const int LargestDirectPhraseId = 9999;
// The range handed out to phrases with larger keys.
const UINT FirstMappedPhraseCommand = 20000;
const UINT LastMappedPhraseCommand = 39999;

// Forgets the identifiers handed out for the previous menu.
void ResetPhraseCommands();
// The command identifier for phraseId; 0 when the mapped range is exhausted.
UINT CommandForPhrase(int phraseId);
// The PhraseID a command identifier stands for, or -1 when it stands for none.
int PhraseForCommand(UINT commandId);
