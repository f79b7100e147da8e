// The tray menu benchmark's yardstick: the same menu as Talvory's, built the
// plain way by a program written for nothing else. A notification-area icon
// with a hidden window; the category names are read once at start, and at
// every opening each category's phrases are read with one ODBC query of its
// own (Talvory's statement text, executed directly, two bound columns, one
// SQLFetch per row) and appended one item per row. Choosing a phrase reads
// its text and puts it on the clipboard.
//
// Started from the folder that holds database/phrases.mdb, through the same
// Access-style connection as Talvory. Same icon identifier and callback
// message as Talvory (bench/menu_driver.exe drives both alike).
#include "bench_tray_program.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT FirstPhraseCommand = 40000;
const UINT ExitCommand = 50004;

SQLHDBC connection = SQL_NULL_HDBC;
std::vector<std::string> categories;

void Connect()
{
    SQLHENV environment = SQL_NULL_HENV;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
    char text[] = "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";
    SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(text), SQL_NTS, nullptr, 0, nullptr,
                     SQL_DRIVER_NOPROMPT);
}

void ListCategories()
{
    SQLHSTMT statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) return;
    char name[256];
    SQLLEN length;
    SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(
                                 "SELECT DISTINCT category FROM phrase ORDER BY category ASC")), SQL_NTS);
    SQLBindCol(statement, 1, SQL_C_CHAR, name, sizeof name, &length);
    while (SQL_SUCCEEDED(SQLFetch(statement))) categories.emplace_back(length > 0 ? name : "");
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

// Appends the category's phrases to submenu; returns how many.
int AppendPhrases(HMENU submenu, const std::string& category)
{
    SQLHSTMT statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) return 0;
    char text[512];
    std::snprintf(text, sizeof text, "SELECT code, PhraseID FROM phrase WHERE category = '%s' ORDER BY code ASC",
                  category.c_str());
    char code[256];
    SQLLEN codeLength, idLength;
    SQLINTEGER phraseId;
    int count = 0;
    if (SQL_SUCCEEDED(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text), SQL_NTS))) {
        SQLBindCol(statement, 1, SQL_C_CHAR, code, sizeof code, &codeLength);
        SQLBindCol(statement, 2, SQL_C_SLONG, &phraseId, 0, &idLength);
        while (SQL_SUCCEEDED(SQLFetch(statement))) {
            if (codeLength <= 0) continue; // the category's own row
            ::AppendMenuA(submenu, MF_STRING, FirstPhraseCommand + static_cast<UINT>(phraseId), code);
            ++count;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return count;
}

void CopyPhrase(HWND window, UINT command)
{
    SQLHSTMT statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) return;
    char query[128];
    std::snprintf(query, sizeof query, "SELECT content FROM phrase WHERE PhraseID = %u", command - FirstPhraseCommand);
    std::string content;
    if (SQL_SUCCEEDED(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(query), SQL_NTS)) &&
        SQL_SUCCEEDED(SQLFetch(statement))) {
        char part[1024];
        SQLLEN length;
        SQLRETURN rc;
        while (SQL_SUCCEEDED(rc = SQLGetData(statement, 1, SQL_C_CHAR, part, sizeof part, &length)) &&
               length != SQL_NULL_DATA) {
            content += part;
            if (rc == SQL_SUCCESS) break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);

    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, content.size() + 1);
    if (!block) return;
    std::memcpy(::GlobalLock(block), content.c_str(), content.size() + 1);
    ::GlobalUnlock(block);
    if (::OpenClipboard(window)) {
        ::EmptyClipboard();
        if (!::SetClipboardData(CF_TEXT, block)) ::GlobalFree(block);
        ::CloseClipboard();
    } else {
        ::GlobalFree(block);
    }
}

void OpenMenu(HWND window)
{
    HMENU menu = ::CreatePopupMenu();
    for (size_t i = 0; i < categories.size(); ++i) {
        HMENU submenu = ::CreatePopupMenu();
        if (AppendPhrases(submenu, categories[i]) > 0) {
            ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), categories[i].c_str());
        } else {
            ::DestroyMenu(submenu);
            ::AppendMenuA(menu, MF_STRING, i, categories[i].c_str());
        }
    }
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    HMENU toolbox = ::CreatePopupMenu();
    ::AppendMenuA(toolbox, MF_STRING, 50019, "Add Category");
    ::AppendMenuA(toolbox, MF_STRING, 50020, "Delete Category");
    ::AppendMenuA(toolbox, MF_STRING, 50003, "Add phrase");
    ::AppendMenuA(toolbox, MF_STRING, 50001, "Edit phrase");
    ::AppendMenuA(toolbox, MF_STRING, 50005, "About us");
    ::AppendMenuA(toolbox, MF_STRING, ExitCommand, "Exit");
    ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(toolbox), "Toolbox");

    UINT chosen = bench::TrayProgram::Track(window, menu);
    if (chosen == ExitCommand) ::PostMessageA(window, WM_CLOSE, 0, 0);
    else if (chosen >= FirstPhraseCommand && chosen < 50000) CopyPhrase(window, chosen);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Connect();
    ListCategories();
    return bench::TrayProgram::Run(instance, "Plain tray menu", OpenMenu);
}
