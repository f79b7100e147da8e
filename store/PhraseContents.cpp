#include "store/PhraseContents.h"

PhraseContentsTable PhraseContents;

const CString& PhraseContentsTable::operator[](PhraseId phraseId) const
{
    static const CString noText;
    auto found = m_entries.find(phraseId);
    return found == m_entries.end() ? noText : found->second;
}

void PhraseContentsTable::Set(PhraseId phraseId, const CString& content)
{
    if (content.IsEmpty()) {
        m_entries.erase(phraseId);
    } else {
        m_entries[phraseId] = content;
    }
}

void PhraseContentsTable::Erase(PhraseId phraseId)
{
    m_entries.erase(phraseId);
}
