#include "delivery/CaretPaste.h"

#include "AfxInit.h"
#include "delivery/PhraseDelivery.h"

namespace {

// How long the target has to come to the front.
const DWORD ActivationWait = 1000;

// Waits until window is the foreground window, answering the messages that
// other threads send meanwhile (the clipboard asking for the text).
bool WaitForForeground(HWND window)
{
    for (DWORD start = ::GetTickCount(); ::GetForegroundWindow() != window;) {
        if (::GetTickCount() - start > ActivationWait) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

void PressPaste()
{
    INPUT keys[4] = {};
    const WORD sequence[4] = {VK_CONTROL, 'V', 'V', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ::SendInput(4, keys, sizeof(INPUT));
}

} // namespace

bool PastePhraseAtCaret(PhraseId phraseId, HWND target)
{
    if (target && !::IsWindow(target)) target = nullptr;
    if (target) ::SetForegroundWindow(target);
    CString text;
    if (!ReadPhraseToDeliver(phraseId, text)) {
        // The message box had the activation: back to where the user types.
        if (target) ::SetForegroundWindow(target);
        return false;
    }
    // An empty text leaves the clipboard as it was: Ctrl+V would paste
    // whatever it held before.
    if (text.IsEmpty()) return false;
    const DWORD before = ::GetClipboardSequenceNumber();
    CopyPhraseToClipboard(text);
    const bool copied = ::GetClipboardSequenceNumber() != before && AfxClipboardSource &&
                        ::OleIsCurrentClipboard(AfxClipboardSource) == S_OK;
    if (!copied || !target || !WaitForForeground(target)) return false;
    PressPaste();
    return true;
}
