#include "StoreFixture.h"

#include "support/TestPaths.h"

#include <cstdlib>
#include <fstream>

ControlHost::ControlHost()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    m_window = CreateWindowExA(0, "STATIC", "store test", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, instance,
                               nullptr);
    list.m_hWnd = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, 5, 5, 200,
                                  200, m_window, reinterpret_cast<HMENU>(1), instance, nullptr);
    combo.m_hWnd = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 5, 40,
                                   200, 200, m_window, reinterpret_cast<HMENU>(2), instance, nullptr);
    edit.m_hWnd = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 5, 80, 300,
                                  150, m_window, reinterpret_cast<HMENU>(3), instance, nullptr);
    EXPECT_NE(list.m_hWnd, nullptr);
    EXPECT_NE(combo.m_hWnd, nullptr);
    EXPECT_NE(edit.m_hWnd, nullptr);
    edit.SetLimitText(0);
}

ControlHost::~ControlHost()
{
    list.m_hWnd = combo.m_hWnd = edit.m_hWnd = nullptr;
    DestroyWindow(m_window);
}

std::vector<std::string> Items(const CComboBox& combo)
{
    std::vector<std::string> items;
    for (int i = 0; i < combo.GetCount(); ++i) {
        CString text;
        combo.GetLBText(i, text);
        items.push_back(text.str());
    }
    return items;
}

std::string Selected(const CComboBox& combo)
{
    int index = combo.GetCurSel();
    if (index < 0) return "(none)";
    CString text;
    combo.GetLBText(index, text);
    return text.str();
}

std::string Text(const CEdit& edit)
{
    return edit.GetWindowText().str();
}

void Select(CComboBox& combo, const std::string& text)
{
    int index = static_cast<int>(combo.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(text.c_str())));
    ASSERT_GE(index, 0) << text;
    combo.SetCurSel(index);
}

void SetItems(CComboBox& combo, const std::vector<std::string>& items)
{
    combo.ResetContent();
    for (const std::string& item : items) combo.InsertString(-1, item.c_str());
    combo.SetCurSel(0);
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string text;
    for (int value : values) text += static_cast<char>(value);
    return text;
}

std::string HighBytes()
{
    std::string text;
    for (int value = 0x80; value <= 0xFF; ++value) text += static_cast<char>(value);
    return text;
}

std::string LongText(size_t length)
{
    std::string text;
    text.reserve(length + 64);
    for (int line = 0; text.size() < length; ++line) {
        text += "Line " + std::to_string(line) + ": ";
        text += static_cast<char>(0x80 + line % 0x80);
        text += Bytes({0xAC, 0x60});
        text += " it's \"quoted\"; 100% {braces} ?\r\n";
    }
    text.resize(length);
    return text;
}

std::vector<std::string> PreparedStatements()
{
    std::vector<std::string> statements;
    const char* trace = std::getenv("TALVORY_ODBC_TRACE");
    if (!trace || !*trace) {
        ADD_FAILURE() << "TALVORY_ODBC_TRACE is not set: run the test through scripts/run-under-wine.sh";
        return statements;
    }
    const std::string prefix = "-- sqlite3_prepare_v2: ";
    std::ifstream file(WindowsPathOf(trace), std::ios::binary);
    std::string line;
    while (std::getline(file, line))
        if (line.compare(0, prefix.size(), prefix) == 0) statements.push_back(line.substr(prefix.size()));
    return statements;
}
