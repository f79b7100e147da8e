#include "dialogs/PhraseSearch.h"

#include "AfxString.h"

#include <cstring>

namespace {

struct FoldTable
{
    unsigned char lower[256];
    // The byte other than c itself that folds to c (its capital), or c.
    unsigned char capital[256];

    FoldTable()
    {
        for (int c = 0; c < 256; ++c) lower[c] = capital[c] = static_cast<unsigned char>(c);
        auto pair = [this](int upper, int small) {
            lower[upper] = static_cast<unsigned char>(small);
            capital[small] = static_cast<unsigned char>(upper);
        };
        for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
        // Latin-1: À to Þ, but for the multiplication sign.
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7) pair(c, c + 32);
        pair(0x8A, 0x9A); // Š š
        pair(0x8C, 0x9C); // Œ œ
        pair(0x8E, 0x9E); // Ž ž
        pair(0x9F, 0xFF); // Ÿ ÿ
    }
};

const FoldTable Fold;

std::string Folded(const std::string& text)
{
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(Fold.lower[static_cast<unsigned char>(c)]);
    return folded;
}

// Whether the folded needle occurs in [from, to), compared without regard to
// case. The haystack is folded as it is read: a copy of the library in lower
// case would double the memory for a search that is fast enough without it
// (bench/README.md, Find).
bool Contains(const char* from, const char* to, const std::string& needle)
{
    const size_t length = needle.size();
    if (length == 0) return true;
    if (static_cast<size_t>(to - from) < length) return false;
    const unsigned char* hay = reinterpret_cast<const unsigned char*>(from);
    const unsigned char* last = reinterpret_cast<const unsigned char*>(to) - length;
    const unsigned char* word = reinterpret_cast<const unsigned char*>(needle.data());
    const unsigned char first = word[0], firstCapital = Fold.capital[first];
    for (; hay <= last; ++hay) {
        if (*hay != first && *hay != firstCapital) continue;
        size_t i = 1;
        while (i < length && Fold.lower[hay[i]] == word[i]) ++i;
        if (i == length) return true;
    }
    return false;
}

bool StartsWith(const char* text, const char* end, const std::string& prefix)
{
    if (static_cast<size_t>(end - text) < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Fold.lower[static_cast<unsigned char>(text[i])] != static_cast<unsigned char>(prefix[i])) return false;
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

unsigned char FoldCase(unsigned char c)
{
    return Fold.lower[c];
}

std::string OneLine(const char* text, size_t maxBytes)
{
    std::string line;
    for (const char* c = text; *c && line.size() < maxBytes; ++c) {
        if (*c == '\r' && c[1] == '\n') ++c;
        line.push_back(static_cast<unsigned char>(*c) < 0x20 ? ' ' : *c);
    }
    return line;
}

void CPhraseSearch::Add(PhraseId id, const char* category, const char* code, const char* text)
{
    Entry entry;
    entry.id = id;
    entry.category = static_cast<uint32_t>(m_fields.size());
    m_fields.append(category).push_back('\0');
    entry.code = static_cast<uint32_t>(m_fields.size());
    m_fields.append(code).push_back('\0');
    entry.text = static_cast<uint32_t>(m_fields.size());
    m_fields.append(text).push_back('\0');
    entry.end = static_cast<uint32_t>(m_fields.size());
    m_entries.push_back(entry);
}

void CPhraseSearch::Find(const std::string& query, std::vector<uint32_t>& found)
{
    found.clear();
    const std::string folded = Folded(query);
    std::vector<std::string> words;
    for (size_t at = 0; at < folded.size();) {
        while (at < folded.size() && IsBlank(folded[at])) ++at;
        size_t end = at;
        while (end < folded.size() && !IsBlank(folded[end])) ++end;
        if (end > at) words.push_back(folded.substr(at, end - at));
        at = end;
    }
    const std::string whole = CString(folded).Trimmed().str();

    // A phrase that has every new word has every previous word too when each
    // previous word lies within a new one: only the previous matches can match.
    bool narrowed = m_searched;
    for (const std::string& previous : m_lastWords) {
        bool within = false;
        for (const std::string& word : words) within = within || word.find(previous) != std::string::npos;
        narrowed = narrowed && within;
    }
    std::vector<uint32_t> candidates;
    if (narrowed) candidates.swap(m_lastMatched);
    m_lastMatched.clear();
    const size_t count = narrowed ? candidates.size() : m_entries.size();

    // The three groups, each in the order of the entries.
    std::vector<uint32_t> contains, rest;
    const char* fields = m_fields.data();
    for (size_t n = 0; n < count; ++n) {
        const uint32_t i = narrowed ? candidates[n] : static_cast<uint32_t>(n);
        const Entry& entry = m_entries[i];
        const char* start = fields + entry.category;
        const char* end = fields + entry.end;
        bool all = true;
        for (const std::string& word : words) {
            if (!Contains(start, end, word)) {
                all = false;
                break;
            }
        }
        if (!all) continue;
        m_lastMatched.push_back(i);
        const char* code = fields + entry.code;
        const char* codeEnd = fields + entry.text - 1;
        if (StartsWith(code, codeEnd, whole)) {
            found.push_back(i);
        } else if (Contains(code, codeEnd, whole)) {
            contains.push_back(i);
        } else {
            rest.push_back(i);
        }
    }
    found.insert(found.end(), contains.begin(), contains.end());
    found.insert(found.end(), rest.begin(), rest.end());
    m_lastWords.swap(words);
    m_searched = true;
}
