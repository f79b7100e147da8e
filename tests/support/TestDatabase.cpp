#include "support/TestDatabase.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[6] = {}, message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

// Runs sql on connection and returns the statement, to be read and freed by the caller.
SQLHSTMT Run(void* connection, const std::string& sql, const std::vector<std::string>& values)
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement);
    std::vector<SQLLEN> lengths(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        lengths[i] = static_cast<SQLLEN>(values[i].size());
        SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR,
                         values[i].size() + 1, 0, const_cast<char*>(values[i].data()), lengths[i], &lengths[i]);
    }
    SQLRETURN rc = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        ADD_FAILURE() << "The test's statement failed: " << sql.substr(0, 200) << "\n  "
                      << Diagnostic(SQL_HANDLE_STMT, statement);
    return statement;
}

// The whole text of a column of the current row ("" for NULL).
std::string Column(SQLHSTMT statement, SQLUSMALLINT column)
{
    std::string text;
    char buffer[4096];
    SQLLEN indicator = 0;
    while (SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator)) &&
           indicator != SQL_NULL_DATA) {
        bool whole = indicator != SQL_NO_TOTAL && indicator < static_cast<SQLLEN>(sizeof buffer);
        text.append(buffer, whole ? static_cast<size_t>(indicator) : sizeof buffer - 1);
        if (whole) break;
    }
    return text;
}

} // namespace

std::string TestFolder()
{
    const char* folder = std::getenv("TALVORY_TEST_DIR");
    std::string path = std::string("Z:") + (folder ? folder : "/run-me-through-scripts/run-under-wine.sh");
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

TestDatabase::TestDatabase(const std::string& relativePath)
{
    const char* folder = std::getenv("TALVORY_TEST_DIR");
    m_unixPath = std::string(folder ? folder : ".") + "/" + relativePath;
    std::string path = "Z:" + m_unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    MakeFolders(path.substr(0, path.rfind('\\')));
    std::string emptyTemplate = "Z:" TALVORY_BUILD_DIR_UNIX "/templates/empty.mdb";
    if (!CopyFileA(emptyTemplate.c_str(), path.c_str(), FALSE))
        ADD_FAILURE() << "Cannot copy " << emptyTemplate << " to " << path << " (error " << GetLastError() << ")";
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment);
    SQLSetEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    m_connection = Connect();
}

void* TestDatabase::Connect()
{
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_DBC, m_environment, &connection);
    std::string text = "DRIVER={Talvory SQLite3};Database=" + m_unixPath + ";NoCreat=1;Timeout=2000";
    if (!SQL_SUCCEEDED(SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS, nullptr,
                                        0, nullptr, SQL_DRIVER_NOPROMPT)))
        ADD_FAILURE() << "The test's connection to " << m_unixPath << " failed: "
                      << Diagnostic(SQL_HANDLE_DBC, connection);
    return connection;
}

TestDatabase::~TestDatabase()
{
    if (m_lock) SQLFreeHandle(SQL_HANDLE_STMT, Run(m_lock, "ROLLBACK", {}));
    for (void* connection : {m_lock, m_connection}) {
        if (!connection) continue;
        SQLDisconnect(connection);
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
    }
    SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
}

void TestDatabase::Execute(const std::string& sql, const std::vector<std::string>& values)
{
    SQLFreeHandle(SQL_HANDLE_STMT, Run(m_connection, sql, values));
}

int TestDatabase::Insert(const std::string& category, const std::string& code, const std::string& content, int id)
{
    Execute("INSERT INTO phrase (PhraseID, category, code, content) VALUES (" +
                (id ? std::to_string(id) : std::string("NULL")) + ", ?, ?, ?)",
            {category, code, content});
    return std::atoi(Query("SELECT last_insert_rowid()").c_str());
}

std::string TestDatabase::Query(const std::string& sql)
{
    SQLHSTMT statement = Run(m_connection, sql, {});
    std::string value = SQL_SUCCEEDED(SQLFetch(statement)) ? Column(statement, 1) : "";
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return value;
}

Table TestDatabase::Rows()
{
    Table rows;
    SQLHSTMT statement = Run(m_connection, "SELECT category, code, content FROM phrase ORDER BY PhraseID", {});
    while (SQL_SUCCEEDED(SQLFetch(statement)))
        rows.push_back({Column(statement, 1), Column(statement, 2), Column(statement, 3)});
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return rows;
}

void TestDatabase::Lock()
{
    m_lock = Connect();
    SQLFreeHandle(SQL_HANDLE_STMT, Run(m_lock, "BEGIN IMMEDIATE", {}));
}
