#include "delivery/PhraseDelivery.h"

#include "AfxApp.h"
#include "AfxDataSource.h"
#include "store/PhraseCommandIds.h"
#include "store/PhraseStore.h"
#include "store/StoredText.h"

#include <cstring>

namespace {

// A clipboard viewer or another program may hold the clipboard open for a
// moment; try a few times before giving the clipboard step up.
const int ClipboardAttempts = 4;
const DWORD ClipboardRetryPause = 25;

// text as a CF_TEXT block: movable, shareable global memory holding the
// bytes and their terminating zero. Null when there is no memory.
HGLOBAL TextBlock(const CString& text)
{
    SIZE_T size = static_cast<SIZE_T>(text.GetLength()) + 1;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size);
    char* bytes = block ? static_cast<char*>(::GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block) ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, text.GetString(), size);
    ::GlobalUnlock(block);
    return block;
}

} // namespace

bool ReadPhraseToDeliver(PhraseId phraseId, CString& text)
{
    StoredPhrase phrase = ReadPhrase(phraseId);
    // Whatever the clipboard holds is not the phrase: say so, rather than
    // let an old text be pasted.
    if (!phrase.read) {
        const std::wstring& reason = LastStoreFailure().reason;
        AfxMessageBox(L"The phrase could not be read from the database, so nothing was copied. " +
                      (reason.empty() ? std::wstring(L"Please try again in a moment.") : reason));
        return false;
    }
    if (PhraseCommandsOutdated()) {
        AfxMessageBox(L"The phrase database was replaced by another file while the menu was open, so nothing was "
                      L"copied. Please choose the phrase again.");
        return false;
    }
    if (!phrase.found) {
        AfxMessageBox(L"This phrase has been deleted from the phrase database since the menu was opened, so nothing "
                      L"was copied.");
        return false;
    }
    text = ShownPhraseText(phrase.text);
    return true;
}

void DeliverPhrase(UINT commandId)
{
    // The plain item of a category without phrases carries the category's
    // position, which stands for no phrase.
    PhraseId phraseId = 0;
    if (!PhraseForCommand(commandId, phraseId)) return;
    CString text;
    if (!ReadPhraseToDeliver(phraseId, text)) return;
    CopyPhraseToClipboard(text);
    DropPhraseAtCursor(text);
}

bool CopyPhraseToClipboard(CString text)
{
    if (text.IsEmpty()) return false; // the clipboard stays as it was
    HGLOBAL block = TextBlock(text);
    if (!block) return false;

    CComPtr<COleDataSource> source(new COleDataSource);
    source->CacheGlobalData(CF_TEXT, block);
    for (int attempt = 1; attempt <= ClipboardAttempts; ++attempt) {
        if (source->SetClipboard()) {
            source.Detach(); // the clipboard holds the object now
            return true;
        }
        if (attempt < ClipboardAttempts) ::Sleep(ClipboardRetryPause);
    }
    ::OutputDebugStringA("The clipboard is held by another program; the phrase was not copied\n");
    return false;
}

void DropPhraseAtCursor(CString text)
{
    HGLOBAL block = TextBlock(text);
    if (!block) return;
    CComPtr<COleDataSource> source(new COleDataSource);
    source->CacheGlobalData(CF_TEXT, block);
    source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
}
