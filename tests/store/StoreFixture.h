// What the store tests share: a phrase database in the test's folder, the
// test's debugger output, real controls, and a few texts and readers.
#pragma once

#include "AfxControls.h"
#include "AfxString.h"
#include "support/DebugOutputCapture.h"
#include "support/TestDatabase.h"
#include "store/PhraseStore.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

// Failure messages show a CString's text, not its address.
inline void PrintTo(const CString& text, std::ostream* out) { *out << '"' << text.str() << '"'; }

// Two combo boxes and an edit control in a hidden window.
struct ControlHost {
    ControlHost()
    {
        window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        const DWORD combo = WS_CHILD | CBS_DROPDOWN | CBS_SORT; // as the dialogs' combo boxes
        categories.m_hWnd = CreateWindowExA(0, "COMBOBOX", "", combo, 0, 0, 200, 99, window, nullptr, nullptr, nullptr);
        phrases.m_hWnd = CreateWindowExA(0, "COMBOBOX", "", combo, 0, 40, 200, 99, window, nullptr, nullptr, nullptr);
        edit.m_hWnd = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE, 0, 80, 300, 150, window, nullptr, nullptr,
                                      nullptr);
        EXPECT_TRUE(categories.m_hWnd && phrases.m_hWnd && edit.m_hWnd);
        edit.SetLimitText(0);
    }
    ~ControlHost() { DestroyWindow(window); }

    CComboBox categories, phrases;
    CEdit edit;
    HWND window;
};

// A test with its own empty database (./database/phrases.mdb), controls and
// a capture of the debugger output.
class StoreTest : public ::testing::Test
{
protected:
    TestDatabase db;
    DebugOutputCapture debugOutput;
    ControlHost controls;
};

inline Strings Items(const CComboBox& combo)
{
    Strings items;
    for (int i = 0; i < combo.GetCount(); ++i) {
        CString text;
        combo.GetLBText(i, text);
        items.push_back(text.str());
    }
    return items;
}

// Fills a combo box and selects item `selected`, as a dialog's list would be.
inline void SetItems(CComboBox& combo, const Strings& items, int selected = 0)
{
    combo.ResetContent();
    for (const std::string& item : items) combo.InsertString(-1, item.c_str());
    combo.SetCurSel(selected);
}

// A text of `length` bytes whose every line differs, with CR LF line ends,
// high bytes, the stored apostrophe 0xAC 0x60, apostrophes and quotes.
inline std::string LongText(size_t length)
{
    std::string text;
    for (int line = 0; text.size() < length; ++line)
        text += "Line " + std::to_string(line) + ": " + static_cast<char>(0x80 + line % 0x80) +
                "\xAC` it's \"quoted\"; 100% {braces} ?\r\n";
    text.resize(length);
    return text;
}

// The shortcut names ForEachCategoryPhrase visits, in order.
inline Strings Codes(const CString& category)
{
    Strings codes;
    ForEachCategoryPhrase(category, [&](const CString& code, int) { codes.push_back(code.str()); });
    return codes;
}

// The statements the program's connection prepared so far, in order, as the
// driver traced them (TALVORY_ODBC_TRACE, set by scripts/run-under-wine.sh).
inline Strings PreparedStatements()
{
    Strings statements;
    const char* trace = std::getenv("TALVORY_ODBC_TRACE");
    if (!trace || !*trace) ADD_FAILURE() << "TALVORY_ODBC_TRACE is not set: run through scripts/run-under-wine.sh";
    const std::string prefix = "-- sqlite3_prepare_v2: ";
    std::ifstream file(WindowsPathOf(trace ? trace : ""), std::ios::binary);
    for (std::string line; std::getline(file, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) statements.push_back(line.substr(prefix.size()));
    return statements;
}
