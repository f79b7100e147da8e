// PhraseContents: the texts of the phrases by PhraseID, as of the last
// LoadAllContents, read by the menu preview. Any PhraseID has an entry.
#pragma once

#include "AfxString.h"

#include <unordered_map>

class PhraseContentsTable
{
public:
    // The text for phraseId; empty for an id never loaded.
    const CString& operator[](int phraseId) const;
    void Set(int phraseId, const CString& content);

private:
    std::unordered_map<int, CString> m_entries;
};

extern PhraseContentsTable PhraseContents;
