// The tray menu's command identifiers for phrases. Menu identifiers carry 16
// bits. A phrase with PhraseID 0 to 9,999 carries 40000 + PhraseID. Every
// other phrase receives, each time the menu is built, one of the identifiers
// no other item uses (those above the category positions and below 40000,
// and those above the Toolbox commands), recorded here so that delivery and
// the preview resolve them until the next menu is built.
#pragma once

#include "store/OdbcConnection.h"

#include <windows.h>

const UINT FirstPhraseCommand = 40000;
const PhraseId LargestDirectPhraseId = 9999;

// Forgets the identifiers handed out for the previous menu; the next ones
// start above the category positions 0 to categoryCount - 1. Notes the
// database the new menu is read from.
void ResetPhraseCommands(int categoryCount);
// True when the phrase database has been replaced by another one since the
// menu was built: its identifiers may name other phrases there.
bool PhraseCommandsOutdated();
// The command identifier for phraseId; 0 when none is left.
UINT CommandForPhrase(PhraseId phraseId);
// The PhraseID a command identifier stands for; false when it stands for none.
bool PhraseForCommand(UINT commandId, PhraseId& phraseId);
