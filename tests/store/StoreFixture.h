// What the store tests share: a phrase database in the test's folder, the
// debugger output of the test, and real combo box and edit controls in a
// hidden window of the test's own for the operations that fill controls.
#pragma once

#include "AfxControls.h"
#include "AfxString.h"
#include "support/DebugOutputCapture.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A hidden top-level window holding a drop-down list (with the sort style, as
// the dialogs' lists have), a drop-down combo and a multi-line edit control.
class ControlHost
{
public:
    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    CComboBox list;   // CBS_DROPDOWNLIST | CBS_SORT
    CComboBox combo;  // CBS_DROPDOWN
    CEdit edit;       // ES_MULTILINE, no text limit

private:
    HWND m_window = nullptr;
};

// The items of a combo box, in order.
std::vector<std::string> Items(const CComboBox& combo);
// The text of the selected item; "(none)" when nothing is selected.
std::string Selected(const CComboBox& combo);
// The whole text of an edit control.
std::string Text(const CEdit& edit);
// Selects the item with that text in the combo box (it must be there).
void Select(CComboBox& combo, const std::string& text);
// Puts items into a combo box and selects the first, as a dialog's list would be.
void SetItems(CComboBox& combo, const std::vector<std::string>& items);

// A test with its own database (./database/phrases.mdb, empty) and a capture of
// the debugger output.
class StoreTest : public ::testing::Test
{
protected:
    TestDatabase db;
    DebugOutputCapture debugOutput;
};

// A test that also needs controls.
class StoreControlsTest : public StoreTest
{
protected:
    ControlHost controls;
};

// The statements the program's connection has prepared so far, in order, as
// the SQLite driver traced them (TALVORY_ODBC_TRACE, set by
// scripts/run-under-wine.sh). A statement is traced up to its first line end.
std::vector<std::string> PreparedStatements();

// Bytes as text (for byte values above 0x7F without escapes in source).
std::string Bytes(std::initializer_list<int> values);
// Every byte from 0x80 to 0xFF, in order.
std::string HighBytes();
// A text of length bytes whose every line and position differs, with CR LF
// line ends, bytes 0x80-0xFF and the pair 0xAC 0x60 in it.
std::string LongText(size_t length);
