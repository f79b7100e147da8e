// PhraseContents: the texts of the phrases by PhraseID, as of the last
// LoadAllContents, read by the menu preview. Any PhraseID has an entry.
#pragma once

#include "AfxString.h"

#include <vector>

class PhraseContentsTable
{
public:
    // The text for phraseId; empty for an id never loaded (or out of range).
    const CString& operator[](int phraseId) const;
    void Set(int phraseId, const CString& content);
    int Size() const { return static_cast<int>(m_entries.size()); }

private:
    std::vector<CString> m_entries = std::vector<CString>(4096);
};

extern PhraseContentsTable PhraseContents;
