#include "delivery/PhraseDelivery.h"

#include "AfxDataSource.h"
#include "AfxSharedFile.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseStore.h"

#include <cstring>

namespace {

// A clipboard viewer or another program may hold the clipboard open for a
// moment; try a few times before giving the clipboard step up.
const int ClipboardAttempts = 4;
const DWORD ClipboardRetryPause = 25;

} // namespace

CString RestoreStoredApostrophes(CString text)
{
    const char storedApostrophe[] = {static_cast<char>(0xAC), 0x60, 0};
    text.Replace(storedApostrophe, "'");
    return text;
}

void DeliverPhrase(UINT commandId)
{
    // The plain item of a category without phrases carries the category's
    // position, which stands for no phrase.
    if (PhraseForCommand(commandId) < 0) return;
    CString text = RestoreStoredApostrophes(GetContentById(commandId));
    CopyPhraseToClipboard(text);
    DropPhraseAtCursor(text);
}

void CopyPhraseToClipboard(CString text)
{
    CSharedFile buffer(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 4096);
    if (!buffer.Write(text.GetString(), static_cast<UINT>(text.GetLength()))) return;
    HGLOBAL block = buffer.Detach();
    if (!block) return; // empty text: the clipboard stays as it was

    auto* source = new COleDataSource;
    source->CacheGlobalData(CF_TEXT, block);
    for (int attempt = 1; attempt <= ClipboardAttempts; ++attempt) {
        if (source->SetClipboard()) return; // the clipboard owns the object now
        if (attempt < ClipboardAttempts) ::Sleep(ClipboardRetryPause);
    }
    ::OutputDebugStringA("The clipboard is held by another program; the phrase was not copied\n");
    source->InternalRelease();
}

void DropPhraseAtCursor(CString text)
{
    SIZE_T size = static_cast<SIZE_T>(text.GetLength()) + 1;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    if (!block) return;
    char* bytes = static_cast<char*>(::GlobalLock(block));
    if (!bytes) {
        ::GlobalFree(block);
        return;
    }
    std::memcpy(bytes, text.GetString(), size);
    ::GlobalUnlock(block);

    auto* source = new COleDataSource;
    source->CacheGlobalData(CF_TEXT, block);
    source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, nullptr, nullptr);
    source->InternalRelease();
}
