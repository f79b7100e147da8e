// Pressing a key chord as the keyboard does, through the system's input
// queue: the keys down in order, then up in reverse, in one SendInput call
// so that no other input comes between them.
#pragma once

#include <windows.h>

#include <vector>

void PressKeyChord(const std::vector<WORD>& keys);
