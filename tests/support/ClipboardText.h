// The clipboard as another program sees it, through the plain Win32 calls.
#pragma once

#include <windows.h>

#include <string>

struct ClipboardText
{
    bool present = false;    // CF_TEXT is on the clipboard
    std::string text;        // its bytes up to the first zero
    bool terminated = false; // a zero byte lies within the block
    SIZE_T blockSize = 0;
};

// Reads CF_TEXT (retrying while another program has the clipboard open).
ClipboardText ReadClipboardText();
// Empties the clipboard and puts text on it as CF_TEXT. False when the clipboard could not be opened.
bool PutClipboardText(const std::string& text);
