// PhraseContents: the texts of the phrases by PhraseID, as of the last
// LoadAllContents, read by the menu preview. Any PhraseID has an entry.
#pragma once

#include "AfxString.h"

#include <map>
#include <vector>

class PhraseContentsTable
{
public:
    // The text for phraseId; empty for an id never loaded (or out of range).
    const CString& operator[](int phraseId) const;
    void Set(int phraseId, const CString& content);
    // One past the largest PhraseID that has an entry (at least 4,096).
    int Size() const;

private:
    // Keys up to DenseLimit live in a table indexed by key; the rare larger
    // keys in a map, so that a huge key costs one entry, not a huge table.
    static const int DenseLimit = 65536;
    std::vector<CString> m_entries = std::vector<CString>(4096);
    std::map<int, CString> m_sparse;
};

extern PhraseContentsTable PhraseContents;
