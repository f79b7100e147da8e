#include "TestDatabase.h"

#include "TestPaths.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &nativeError, message, sizeof message, &length)))
        return "(no diagnostic)";
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

// The whole value of a column of the current row; isNull tells a NULL apart.
std::string ReadText(SQLHSTMT statement, SQLUSMALLINT column, bool* isNull = nullptr)
{
    std::string text;
    if (isNull) *isNull = false;
    char buffer[4096];
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) {
            ADD_FAILURE() << "SQLGetData on column " << column << ": " << Diagnostic(SQL_HANDLE_STMT, statement);
            break;
        }
        if (indicator == SQL_NULL_DATA) {
            if (isNull) *isNull = true;
            break;
        }
        bool whole = indicator != SQL_NO_TOTAL && indicator < static_cast<SQLLEN>(sizeof buffer);
        text.append(buffer, whole ? static_cast<size_t>(indicator) : sizeof buffer - 1);
        if (whole) break;
    }
    return text;
}

void CreateFolders(const std::string& windowsPath)
{
    for (size_t at = windowsPath.find('\\', 3); at != std::string::npos; at = windowsPath.find('\\', at + 1))
        CreateDirectoryA(windowsPath.substr(0, at).c_str(), nullptr);
}

std::string UnixTestFolder()
{
    const char* folder = std::getenv("TALVORY_TEST_DIR");
    return folder && *folder ? folder : "";
}

} // namespace

std::string TestFolder()
{
    std::string unixFolder = UnixTestFolder();
    if (!unixFolder.empty()) return WindowsPathOf(unixFolder);
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::vector<std::string> ProgramConnections()
{
    std::vector<std::string> lines;
    const char* log = std::getenv("TALVORY_ODBC_CONNECT_LOG");
    if (!log || !*log) {
        ADD_FAILURE() << "TALVORY_ODBC_CONNECT_LOG is not set: run the test through scripts/run-under-wine.sh";
        return lines;
    }
    std::ifstream file(WindowsPathOf(log), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);
    return lines;
}

TestDatabase::TestDatabase()
{
    Create("database/phrases.mdb");
}

TestDatabase::TestDatabase(const std::string& relativePath)
{
    Create(relativePath);
}

void TestDatabase::Create(const std::string& relativePath)
{
    std::string windowsRelative = relativePath;
    for (char& c : windowsRelative)
        if (c == '/') c = '\\';
    m_windowsPath = TestFolder() + "\\" + windowsRelative;
    std::string unixFolder = UnixTestFolder();
    m_unixPath = unixFolder.empty() ? relativePath : unixFolder + "/" + relativePath;

    CreateFolders(m_windowsPath);
    std::string emptyTemplate = WindowsPathOf(TALVORY_BUILD_DIR_UNIX "/templates/empty.mdb");
    if (!CopyFileA(emptyTemplate.c_str(), m_windowsPath.c_str(), FALSE)) {
        ADD_FAILURE() << "Cannot copy " << emptyTemplate << " to " << m_windowsPath << " (error " << GetLastError()
                      << ")";
        return;
    }
    SQLHENV environment = SQL_NULL_HENV;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    m_environment = environment;
    m_connection = Connect();
}

void* TestDatabase::Connect()
{
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_DBC, static_cast<SQLHENV>(m_environment), &connection);
    std::string text = "DRIVER={Talvory SQLite3};Database=" + m_unixPath + ";NoCreat=1;Timeout=2000";
    SQLRETURN rc = SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        ADD_FAILURE() << "The test's connection to " << m_unixPath << " failed: " << Diagnostic(SQL_HANDLE_DBC, connection)
                      << " (is ODBCSYSINI set to the build's odbc folder?)";
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
        return nullptr;
    }
    return connection;
}

TestDatabase::~TestDatabase()
{
    for (void* handle : {m_lockConnection, m_connection}) {
        if (!handle) continue;
        if (handle == m_lockConnection) {
            SQLHSTMT statement = SQL_NULL_HSTMT;
            SQLAllocHandle(SQL_HANDLE_STMT, handle, &statement);
            SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>("ROLLBACK")), SQL_NTS);
            SQLFreeHandle(SQL_HANDLE_STMT, statement);
        }
        SQLDisconnect(handle);
        SQLFreeHandle(SQL_HANDLE_DBC, handle);
    }
    if (m_environment) SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
    if (m_madeReadOnly) SetFileAttributesA(m_windowsPath.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void TestDatabase::Execute(const std::string& sql)
{
    RunParameterised(sql, {});
}

void TestDatabase::RunParameterised(const std::string& sql, const std::vector<std::string>& values)
{
    if (!m_connection) {
        ADD_FAILURE() << "No test connection for: " << sql;
        return;
    }
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement);
    std::vector<SQLLEN> lengths(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        lengths[i] = static_cast<SQLLEN>(values[i].size());
        SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR,
                         values[i].size() + 1, 0, const_cast<char*>(values[i].data()), lengths[i], &lengths[i]);
    }
    std::string text = sql;
    SQLRETURN rc = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(&text[0]), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        ADD_FAILURE() << "Test statement failed (" << rc << "): " << sql.substr(0, 200) << "\n  "
                      << Diagnostic(SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

int TestDatabase::Insert(const std::string& category, const std::string& code, const std::string& content)
{
    RunParameterised("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)", {category, code, content});
    return std::atoi(QueryText("SELECT last_insert_rowid()").c_str());
}

void TestDatabase::InsertWithId(int phraseId, const std::string& category, const std::string& code,
                                const std::string& content)
{
    RunParameterised("INSERT INTO phrase (PhraseID, category, code, content) VALUES (" + std::to_string(phraseId) +
                         ", ?, ?, ?)",
                     {category, code, content});
}

std::vector<TestDatabase::Row> TestDatabase::Rows()
{
    std::vector<Row> rows;
    if (!m_connection) return rows;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement);
    SQLRETURN rc = SQLExecDirect(statement,
                                 reinterpret_cast<SQLCHAR*>(const_cast<char*>(
                                     "SELECT PhraseID, category, code, content FROM phrase ORDER BY PhraseID")),
                                 SQL_NTS);
    if (!SQL_SUCCEEDED(rc)) ADD_FAILURE() << "Reading the rows failed: " << Diagnostic(SQL_HANDLE_STMT, statement);
    while (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLFetch(statement))) {
        Row row;
        row.id = std::atoi(ReadText(statement, 1).c_str());
        row.category = ReadText(statement, 2);
        row.code = ReadText(statement, 3);
        row.content = ReadText(statement, 4, &row.contentIsNull);
        rows.push_back(row);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return rows;
}

std::string TestDatabase::QueryText(const std::string& sql)
{
    std::string value;
    if (!m_connection) return value;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement);
    std::string text = sql;
    SQLRETURN rc = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(&text[0]), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(rc))
        ADD_FAILURE() << "Test query failed: " << sql << "\n  " << Diagnostic(SQL_HANDLE_STMT, statement);
    else if (SQL_SUCCEEDED(SQLFetch(statement)))
        value = ReadText(statement, 1);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return value;
}

void TestDatabase::MakeReadOnly()
{
    if (m_lockConnection) return;
    m_lockConnection = Connect();
    if (!m_lockConnection) return;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, m_lockConnection, &statement);
    SQLRETURN rc = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>("BEGIN IMMEDIATE")), SQL_NTS);
    if (!SQL_SUCCEEDED(rc))
        ADD_FAILURE() << "Could not take the database's write lock: " << Diagnostic(SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    m_madeReadOnly = SetFileAttributesA(m_windowsPath.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}
