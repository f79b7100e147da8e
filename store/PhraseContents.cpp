#include "store/PhraseContents.h"

PhraseContentsTable PhraseContents;

const CString& PhraseContentsTable::operator[](int phraseId) const
{
    static const CString noText;
    auto found = m_entries.find(phraseId);
    return found == m_entries.end() ? noText : found->second;
}

void PhraseContentsTable::Set(int phraseId, const CString& content)
{
    m_entries[phraseId] = content;
}
