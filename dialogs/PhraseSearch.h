// Finding phrases by what the user types, for the find window. The library
// is held in memory as read when the window opens: each phrase's category,
// shortcut name and text (as shown: apostrophes as typed) in one buffer.
//
// A query is split into words at its blanks; a phrase matches when every
// word occurs, without regard to case, in its category, its shortcut name or
// its text. Matches are listed in three groups: shortcut names that start
// with the whole query (the blanks around it trimmed), then shortcut names
// that contain it, then the rest; within a group in the order the phrases
// were added (the database's: category, then shortcut name). Case is folded
// as in Windows-1252, the program's ANSI code page: ASCII and the Latin-1
// letters, and the four capitals it places at 0x8A-0x9F.
#pragma once

#include "store/OdbcConnection.h"

#include <cstdint>
#include <string>
#include <vector>

// The lower-case form of a Windows-1252 byte; other bytes as they are.
unsigned char FoldCase(unsigned char c);

// The first bytes of text (at most maxBytes) on one line: each line break
// (CR LF, CR or LF) and every other control character as one blank.
std::string OneLine(const char* text, size_t maxBytes);

class CPhraseSearch
{
public:
    // Appends a phrase; the list ties in the order phrases are added.
    void Add(PhraseId id, const char* category, const char* code, const char* text);
    size_t Size() const { return m_entries.size(); }
    // The bytes held: the fields and the index over them (bench/find_bench.cpp).
    size_t MemoryUsed() const { return m_fields.capacity() + m_entries.capacity() * sizeof(Entry); }

    // The positions of the phrases that match query, in list order. A query
    // whose every word contains one of the previous query's words (typing
    // on) is looked for among the previous query's matches only.
    void Find(const std::string& query, std::vector<uint32_t>& found);

    PhraseId Id(uint32_t phrase) const { return m_entries[phrase].id; }
    const char* Category(uint32_t phrase) const { return m_fields.data() + m_entries[phrase].category; }
    const char* Code(uint32_t phrase) const { return m_fields.data() + m_entries[phrase].code; }
    const char* Text(uint32_t phrase) const { return m_fields.data() + m_entries[phrase].text; }

private:
    // Offsets into m_fields, where the category, shortcut name and text lie
    // one after the other, each ending in a zero (which no typed word holds,
    // so that a word is found within one field only).
    struct Entry
    {
        PhraseId id;
        uint32_t category;
        uint32_t code;
        uint32_t text;
        uint32_t end; // one past the text's zero
    };

    std::string m_fields;
    std::vector<Entry> m_entries;
    // The previous query's words (folded) and the phrases that matched it,
    // in the order added; empty words and all phrases before the first query.
    std::vector<std::string> m_lastWords;
    std::vector<uint32_t> m_lastMatched;
    bool m_searched = false;
};
