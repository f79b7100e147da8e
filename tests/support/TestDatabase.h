// The phrase database of a test: the empty template copied to a path under
// the test's own folder (database/phrases.mdb by default, where the program
// in this process looks for it), and a connection of the test's own through
// the SQLite ODBC driver directly, for arranging and checking rows. Values go
// as parameters, so any bytes round-trip.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using Row = std::vector<std::string>;  // category, code, content
using Table = std::vector<Row>;

// The test process's own folder (its Unix working directory, set by
// scripts/run-under-wine.sh) as a Windows path.
inline std::string TestFolder() {
    std::string path = std::string("Z:") + std::getenv("TALVORY_TEST_DIR");
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Text in UTF-8 (the tests' paths may hold any letters) for the wide-character API.
inline std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
    return wide;
}

// Creates the folders of a Windows path, its last part included.
inline void MakeFolders(const std::string& path) { SHCreateDirectoryExW(nullptr, Wide(path).c_str(), nullptr); }

// Runs a shell command on the Unix side and waits for its end (Wine does not
// wait for a Unix program it starts, so the command leaves a mark when done).
inline void UnixCommand(const std::string& command) {
    static int count = 0;
    const std::string mark = "unix-command-" + std::to_string(++count) + ".done";
    std::string line = "/bin/sh -c \"" + command + "; touch '" + std::getenv("TALVORY_TEST_DIR") + "/" + mark + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) << command;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD start = GetTickCount(); GetFileAttributesA((TestFolder() + "\\" + mark).c_str()) == INVALID_FILE_ATTRIBUTES; Sleep(10))
        ASSERT_LT(GetTickCount() - start, 15000u) << "no end of: " << command;
}

class TestDatabase {
public:
    // A copy of the empty template, or (fromTemplate false) the file already there.
    explicit TestDatabase(const std::string& relativePath = "database/phrases.mdb", bool fromTemplate = true)
        : m_path(std::getenv("TALVORY_TEST_DIR") + ("/" + relativePath)) {
        std::string copy = TestFolder() + "\\" + relativePath;
        std::replace(copy.begin(), copy.end(), '/', '\\');
        MakeFolders(copy.substr(0, copy.rfind('\\')));
        if (fromTemplate) {
            EXPECT_TRUE(CopyFileW(L"Z:" TALVORY_BUILD_DIR_WIDE L"/templates/empty.mdb", Wide(copy).c_str(), FALSE)) << copy;
        }
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment);
        SQLSetEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
        SQLAllocHandle(SQL_HANDLE_DBC, m_environment, &m_connection);
        std::string text = "DRIVER={Talvory SQLite3};Database=" + m_path + ";NoCreat=1;Timeout=2000";
        EXPECT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(m_connection, nullptr, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS, nullptr, 0,
                                                   nullptr, SQL_DRIVER_NOPROMPT))) << "the test's connection to " << m_path;
    }
    ~TestDatabase() {
        SQLDisconnect(m_connection);
        SQLFreeHandle(SQL_HANDLE_DBC, m_connection);
        SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
    }

    // Runs sql with values for its '?' parameters and returns the first
    // column of its rows ("" for NULL); an error fails the test.
    Row Execute(const std::string& sql, const std::vector<std::string>& values = {}) {
        SQLHSTMT statement = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement);
        std::vector<SQLLEN> lengths(values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            lengths[i] = static_cast<SQLLEN>(values[i].size());
            SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR,
                             values[i].size() + 1, 0, const_cast<char*>(values[i].data()), lengths[i], &lengths[i]);
        }
        SQLRETURN rc = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
        EXPECT_TRUE(SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) << "the test's statement failed: " << sql.substr(0, 100);
        Row column;  // each value read whole, in pieces
        while (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLFetch(statement))) {
            column.emplace_back();
            char piece[4096];
            SQLLEN size = 0;
            while (SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_CHAR, piece, sizeof piece, &size)) && size != SQL_NULL_DATA) {
                bool last = size != SQL_NO_TOTAL && size < static_cast<SQLLEN>(sizeof piece);
                column.back().append(piece, last ? static_cast<size_t>(size) : sizeof piece - 1);
                if (last) break;
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return column;
    }
    // Adds a row and returns its PhraseID (id, or the database's choice when 0).
    int Insert(const std::string& category, const std::string& code, const std::string& content, int id = 0) {
        Execute("INSERT INTO phrase (PhraseID, category, code, content) VALUES (" + (id ? std::to_string(id) : "NULL") +
                ", ?, ?, ?)", {category, code, content});
        return std::atoi(Execute("SELECT last_insert_rowid()").at(0).c_str());
    }
    // Every row, by PhraseID, read as one value with its fields apart by a byte no test value holds.
    Table Rows() {
        Table rows;
        for (const std::string& joined : Execute("SELECT category || X'01' || code || X'01' || IFNULL(content, '') || X'01' FROM phrase ORDER BY PhraseID")) {
            rows.emplace_back();
            for (size_t from = 0, to; (to = joined.find('\x01', from)) != std::string::npos; from = to + 1)
                rows.back().push_back(joined.substr(from, to - from));
        }
        return rows;
    }

private:
    std::string m_path;
    SQLHENV m_environment = SQL_NULL_HENV;
    SQLHDBC m_connection = SQL_NULL_HDBC;
};
