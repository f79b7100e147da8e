#include "delivery/CaretPaste.h"

#include "delivery/KeyChord.h"
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
    // A text not on the clipboard (an empty one leaves it as it was): Ctrl+V
    // would paste whatever it held before.
    if (!CopyPhraseToClipboard(text) || !target || !WaitForForeground(target)) return false;
    PressKeyChord({VK_CONTROL, 'V'});
    return true;
}
