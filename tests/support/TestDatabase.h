// The phrase database of a test (on the local file or the test run's
// database server), the test's folder, and the Unix side's commands.
#pragma once

#include "store/OdbcConnection.h"

#include <windows.h>
#include <shlobj.h>
#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using Row = std::vector<std::string>;  // a row's values, or a column's
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

// The database server of the test run (scripts/test.sh starts one): its
// ODBC attributes ("SERVER=...;PORT=...").
inline std::string TestServer() {
    const char* server = std::getenv("TALVORY_TEST_POSTGRESQL");
    EXPECT_TRUE(server && *server) << "no test database server: run the tests through scripts/test.sh";
    return server ? server : "";
}

// The tests of both databases run once for each: TALVORY_TEST_DATABASE
// (set by CTest, tests/CMakeLists.txt) names the one of this run.
inline bool OnTestServer() {
    const char* database = std::getenv("TALVORY_TEST_DATABASE");
    return database && std::string(database) == "postgresql";
}

// The phrase database of a test. On the local file: the empty template
// copied to a path under the test's own folder (database/phrases.mdb by
// default, where the program in this process looks for it). On the test
// server: a database of its own made from the server's template. A
// connection of the test's own serves for arranging and checking rows;
// values go as parameters, so any bytes round-trip. The program in this
// process is pointed at the database its tests use.
class TestDatabase {
public:
    // A copy of the empty template, or (fromTemplate false) the file already
    // there; the program's database (the default path) is on the test server
    // in the runs on it.
    explicit TestDatabase(const std::string& relativePath = "database/phrases.mdb", bool fromTemplate = true)
        : m_server(relativePath == "database/phrases.mdb" && OnTestServer()),
          m_path(std::getenv("TALVORY_TEST_DIR") + ("/" + relativePath)) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment);
        SQLSetEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
        if (m_server) {
            // Named by the moment: Wine reuses its process identifiers.
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            m_name = "talvory_test_" + std::to_string(now.QuadPart);
            Connect("DATABASE=postgres;UID=talvory_test_admin");
            Execute("CREATE DATABASE " + m_name + " TEMPLATE talvory_template");
            Disconnect();
            Connect("DATABASE=" + m_name + ";UID=talvory_test_admin");
            Execute("SET client_encoding TO 'WIN1252'");  // as the program exchanges text
            UseDatabaseServer(ProgramConnection());
            return;
        }
        std::string copy = TestFolder() + "\\" + relativePath;
        std::replace(copy.begin(), copy.end(), '/', '\\');
        MakeFolders(copy.substr(0, copy.rfind('\\')));
        if (fromTemplate) {
            EXPECT_TRUE(CopyFileW(L"Z:" TALVORY_BUILD_DIR_WIDE L"/templates/empty.mdb", Wide(copy).c_str(), FALSE)) << copy;
        }
        Connect("DRIVER={Talvory SQLite3};Database=" + m_path + ";NoCreat=1;Timeout=2000");
        if (relativePath == "database/phrases.mdb") UseDatabaseServer(L"");
    }
    ~TestDatabase() {
        Disconnect();
        if (m_server) {
            Connect("DATABASE=postgres;UID=talvory_test_admin");
            Execute("DROP DATABASE " + m_name + " WITH (FORCE)");
            Disconnect();
        }
        SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
    }
    bool OnServer() const { return m_server; }
    // The program's connection string for this server database, as the login role given.
    std::wstring ProgramConnection(const std::string& role = "talvory_test_editor") const {
        return Wide("DRIVER={PostgreSQL ANSI};" + TestServer() + ";DATABASE=" + m_name + ";UID=" + role);
    }

    // Runs sql with values for its '?' parameters and returns its rows ("" for NULL); an error fails the test.
    Table Query(const std::string& sql, const std::vector<std::string>& values = {}) {
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
        SQLSMALLINT columns = 0;
        if (SQL_SUCCEEDED(rc)) SQLNumResultCols(statement, &columns);
        Table rows;  // each value read whole, in pieces
        while (columns > 0 && SQL_SUCCEEDED(SQLFetch(statement))) {
            rows.emplace_back(static_cast<size_t>(columns));
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                char piece[4096];
                SQLLEN size = 0;
                while (SQL_SUCCEEDED(SQLGetData(statement, c, SQL_C_CHAR, piece, sizeof piece, &size)) && size != SQL_NULL_DATA) {
                    bool last = size != SQL_NO_TOTAL && size < static_cast<SQLLEN>(sizeof piece);
                    rows.back()[c - 1].append(piece, last ? static_cast<size_t>(size) : sizeof piece - 1);
                    if (last) break;
                }
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return rows;
    }
    // The first column of Query's rows.
    Row Execute(const std::string& sql, const std::vector<std::string>& values = {}) {
        Row column;
        for (const Row& row : Query(sql, values)) column.push_back(row.at(0));
        return column;
    }
    // Adds a row and returns its PhraseID (id, or the database's choice when 0).
    long long Insert(const std::string& category, const std::string& code, const std::string& content, long long id = 0) {
        std::string key = id ? std::to_string(id) : m_server ? "DEFAULT" : "NULL";
        Row made = Execute("INSERT INTO phrase (PhraseID, category, code, content) VALUES (" + key + ", ?, ?, ?)" +
                           (m_server ? " RETURNING PhraseID" : ""), {category, code, content});
        if (!m_server) made = Execute("SELECT last_insert_rowid()");
        return made.empty() ? 0 : std::atoll(made[0].c_str());
    }
    // Every row (category, code, text), by PhraseID.
    Table Rows() { return Query("SELECT category, code, COALESCE(content, '') FROM phrase ORDER BY PhraseID"); }

private:
    void Connect(const std::string& attributes) {
        SQLAllocHandle(SQL_HANDLE_DBC, m_environment, &m_connection);
        std::string text = m_server ? "DRIVER={Talvory PostgreSQL};" + TestServer() + ";" + attributes : attributes;
        EXPECT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(m_connection, nullptr, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS, nullptr, 0,
                                                   nullptr, SQL_DRIVER_NOPROMPT))) << "the test's connection: " << text;
    }
    void Disconnect() {
        SQLDisconnect(m_connection);
        SQLFreeHandle(SQL_HANDLE_DBC, m_connection);
        m_connection = SQL_NULL_HDBC;
    }

    bool m_server;
    std::string m_path;
    std::string m_name;  // of the server database
    SQLHENV m_environment = SQL_NULL_HENV;
    SQLHDBC m_connection = SQL_NULL_HDBC;
};
