#include "store/PhraseContents.h"

PhraseContentsTable PhraseContents;

namespace {
const CString noText;
} // namespace

const CString& PhraseContentsTable::operator[](int phraseId) const
{
    if (phraseId < 0) return noText;
    if (phraseId < static_cast<int>(m_entries.size())) return m_entries[static_cast<size_t>(phraseId)];
    auto found = m_sparse.find(phraseId);
    return found == m_sparse.end() ? noText : found->second;
}

void PhraseContentsTable::Set(int phraseId, const CString& content)
{
    if (phraseId < 0) return;
    if (phraseId < DenseLimit) {
        if (phraseId >= static_cast<int>(m_entries.size())) m_entries.resize(static_cast<size_t>(phraseId) + 1);
        m_entries[static_cast<size_t>(phraseId)] = content;
    } else {
        m_sparse[phraseId] = content;
    }
}

int PhraseContentsTable::Size() const
{
    int size = static_cast<int>(m_entries.size());
    if (!m_sparse.empty()) {
        int largest = m_sparse.rbegin()->first;
        size = largest == 0x7fffffff ? largest : largest + 1;
    }
    return size;
}
