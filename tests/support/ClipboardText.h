// The clipboard as another program sees it, through the plain Win32 calls.
#pragma once

#include <string>

struct ClipboardText
{
    std::string text;        // the CF_TEXT bytes up to the first zero ("" when none)
    bool terminated = false; // a zero byte lies within the block
};

// Reads CF_TEXT (retrying while another program has the clipboard open).
ClipboardText ReadClipboardText();
// Empties the clipboard and puts text on it as CF_TEXT. False when the clipboard could not be opened.
bool PutClipboardText(const std::string& text);
