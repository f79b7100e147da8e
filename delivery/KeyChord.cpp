#include "delivery/KeyChord.h"

void PressKeyChord(const std::vector<WORD>& keys)
{
    std::vector<INPUT> input(keys.size() * 2);
    for (size_t i = 0; i < input.size(); ++i) {
        const bool up = i >= keys.size();
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[up ? input.size() - 1 - i : i];
        input[i].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    }
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}
