// PhraseContents: the stored texts of the phrases by PhraseID, read by the
// menu preview. The store keeps it true to the table: it is read whole at
// start-up and when an editor opens, and every write of the store brings the
// entries it touches up to date.
#pragma once

#include "AfxString.h"
#include "store/OdbcConnection.h"

#include <unordered_map>

class PhraseContentsTable
{
public:
    // The text for phraseId; empty for a phrase it does not hold.
    const CString& operator[](PhraseId phraseId) const;
    void Set(PhraseId phraseId, const CString& content);
    void Erase(PhraseId phraseId);
    void Swap(PhraseContentsTable& other) { m_entries.swap(other.m_entries); }

private:
    std::unordered_map<PhraseId, CString> m_entries;
};

extern PhraseContentsTable PhraseContents;
