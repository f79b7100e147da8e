#include "store/OdbcConnection.h"

#include "AfxOdbc.h"

#include <climits>
#include <cstring>
#include <string>

namespace {
const char AccessDriverName[] = "Microsoft Access Driver (*.mdb)";
} // namespace

const char DatabaseConnectionString[] = "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";
const char DatabaseConnectionStringNewerDriver[] =
    "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb, *.accdb)}";

namespace {

COdbcEnvironment environment;
COdbcConnection connection;
bool connected = false;
// Set until the one connection attempt of the process has been made.
bool firstUse = true;
// The statement of the operation in progress (the one Statement alive).
SQLHSTMT statementSlot = SQL_NULL_HSTMT;

int taskScopes = 0;
bool failedInTask = false;
// The diagnostics written while a task runs, written out when it ends.
std::string taskDiagnostics;

// Size of the pieces an unbound column value is read in.
const SQLLEN ColumnChunk = 1024;

// SQLite's "database is busy" and "table is locked" codes, which the driver
// reports as its native error: the database is fine, another program holds it.
bool IsBusyError(SQLINTEGER nativeError)
{
    return nativeError == 5 || nativeError == 6;
}

// True when the last connection attempt failed because no driver of that
// name is installed: the driver manager says so (SQLSTATE IM002, as Windows'
// does), or does not list the driver (unixODBC takes an unknown name for a
// library's file name and reports that it cannot load it).
bool NoSuchDriver(const char* name)
{
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(SQL_HANDLE_DBC, connection, 1, state, &native, nullptr, 0, &length);
    if ((rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) && std::strcmp(reinterpret_cast<char*>(state), "IM002") == 0)
        return true;
    SQLCHAR driver[256];
    SQLCHAR attributes[1024];
    SQLSMALLINT driverLength = 0, attributesLength = 0;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;
         SQL_SUCCEEDED(SQLDrivers(environment, direction, driver, sizeof driver, &driverLength, attributes,
                                  sizeof attributes, &attributesLength));
         direction = SQL_FETCH_NEXT) {
        if (std::strcmp(reinterpret_cast<char*>(driver), name) == 0) return false;
    }
    return true;
}

bool DriverConnect(const char* text)
{
    SQLCHAR connectionString[256] = {};
    std::strncpy(reinterpret_cast<char*>(connectionString), text, sizeof connectionString - 1);
    // The driver's completed connection string is not used.
    SQLCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    SQLRETURN rc = SQLDriverConnect(connection, nullptr, connectionString, SQL_NTS, completed, sizeof completed,
                                    &completedLength, SQL_DRIVER_NOPROMPT);
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

void Connect()
{
    SQLHANDLE handle = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle);
    environment.Reset(handle);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    handle = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &handle);
    connection.Reset(handle);
    connected = DriverConnect(DatabaseConnectionString);
    // A 64-bit process has no driver of the Access driver's old name: the
    // Access Database Engine's 64-bit driver carries the newer one.
    if (!connected && NoSuchDriver(AccessDriverName)) connected = DriverConnect(DatabaseConnectionStringNewerDriver);
}

// The driver's message for the last failure on statement (or on the
// connection when statement is null), as one text; empty when there is none.
CString DiagnosticMessage(SQLHSTMT statement, SQLINTEGER* nativeError = nullptr)
{
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[256] = {};
    SQLSMALLINT messageLength = 0;
    SQLRETURN rc = SQLError(environment, connection, statement, state, &native, message, sizeof message - 1,
                            &messageLength);
    if (nativeError) *nativeError = native;
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return CString();
    message[sizeof message - 1] = '\0';
    CString text;
    text.Format("%s", reinterpret_cast<const char*>(message));
    return text;
}

// Writes text to the debugger output, or keeps it for the end of the task.
void WriteDiagnostic(const char* text)
{
    if (taskScopes > 0) {
        taskDiagnostics += text;
    } else {
        OutputDebugStringA(text);
    }
}

// Writes the name of an execution's return code, or the driver's message, to
// the debugger output.
void ReportExecution(SQLRETURN rc, SQLHSTMT statement)
{
    switch (rc) {
    case SQL_SUCCESS: WriteDiagnostic("SQL_SUCCESS\n"); break;
    case SQL_SUCCESS_WITH_INFO: WriteDiagnostic("SQL_SUCCESS_WITH_INFO\n"); break;
    case SQL_STILL_EXECUTING: WriteDiagnostic("SQL_STILL_EXECUTING\n"); break;
    case SQL_NEED_DATA: WriteDiagnostic("SQL_NEED_DATA\n"); break;
    case SQL_NO_DATA:
        WriteDiagnostic(DiagnosticMessage(statement));
        WriteDiagnostic("SQL_NO_DATA\n");
        break;
    case SQL_ERROR: WriteDiagnostic(DiagnosticMessage(statement)); break;
    case SQL_INVALID_HANDLE: WriteDiagnostic("SQL_INVALID_HANDLE\n"); break;
    default: WriteDiagnostic("default\n"); break;
    }
}

} // namespace

Statement::Statement()
{
    if (firstUse) {
        // Whatever the outcome, the connection is attempted only once.
        firstUse = false;
        Connect();
    }
    if (statementSlot != SQL_NULL_HSTMT) return; // another operation's statement is still open
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) m_handle = SQL_NULL_HSTMT;
    statementSlot = m_handle;
}

Statement::~Statement()
{
    if (m_handle == SQL_NULL_HSTMT) return;
    SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
    statementSlot = SQL_NULL_HSTMT;
}

bool Statement::Execute(const CString& text)
{
    if (!IsOpen()) return false;
    if (taskScopes > 0 && failedInTask) {
        WriteDiagnostic("Not run: the database did not answer the statement before\n");
        return false;
    }
    SQLRETURN rc = SQLPrepare(m_handle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.GetString())),
                              text.GetLength());
    if (rc == SQL_ERROR) {
        // The driver manager would refuse to execute it with a sequence error
        // of its own; the driver's message about the statement is the one
        // worth writing, as any failed execution writes it.
        WriteDiagnostic(DiagnosticMessage(m_handle));
    } else {
        rc = SQLExecute(m_handle);
        ReportExecution(rc, m_handle);
    }
    bool succeeded = rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
    if (!succeeded && rc != SQL_NO_DATA && taskScopes > 0) failedInTask = true;
    return succeeded;
}

bool Statement::Fetch()
{
    SQLRETURN rc = SQLFetch(m_handle);
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

void Statement::Bind(SQLUSMALLINT column, ColumnBuffer& buffer)
{
    SQLBindCol(m_handle, column, SQL_C_CHAR, buffer.text, sizeof buffer.text, &buffer.indicator);
}

CString Statement::Text(SQLUSMALLINT column)
{
    // The first piece goes into a small buffer; when the driver reports more,
    // the rest is read into a buffer of the size it announced (in further
    // pieces when it cannot tell the size).
    char first[ColumnChunk];
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(m_handle, column, SQL_C_CHAR, first, ColumnChunk, &indicator);
    if ((rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) || indicator == SQL_NULL_DATA) return CString();
    if (indicator != SQL_NO_TOTAL && indicator < ColumnChunk) return CString(first, static_cast<int>(indicator));

    std::string text(first, static_cast<size_t>(ColumnChunk - 1));
    SQLLEN remaining = indicator; // the bytes still to come before the last read, when known
    SQLLEN arrived = ColumnChunk - 1;
    for (;;) {
        SQLLEN size = remaining == SQL_NO_TOTAL ? 64 * ColumnChunk : remaining - arrived + 1;
        if (size < 2) break;
        size_t at = text.size();
        text.resize(at + static_cast<size_t>(size));
        SQLLEN part = 0;
        rc = SQLGetData(m_handle, column, SQL_C_CHAR, &text[at], size, &part);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
            text.resize(at);
            break;
        }
        arrived = part == SQL_NO_TOTAL || part >= size ? size - 1 : (part < 0 ? 0 : part);
        text.resize(at + static_cast<size_t>(arrived));
        if (rc == SQL_SUCCESS || arrived == 0) break;
        remaining = part;
    }
    return CString(std::move(text));
}

CString Statement::BoundText(SQLUSMALLINT column, const ColumnBuffer& buffer)
{
    const SQLLEN capacity = sizeof buffer.text;
    if (buffer.indicator == SQL_NULL_DATA || (buffer.indicator < 0 && buffer.indicator != SQL_NO_TOTAL))
        return CString();
    if (buffer.indicator != SQL_NO_TOTAL && buffer.indicator < capacity)
        return CString(buffer.text, static_cast<int>(buffer.indicator));

    // The value was cut to the buffer: read it again, whole. The driver hands
    // over a bound column's value from its start (or, were it to go on where
    // the fetch stopped, the rest, which is appended to what arrived).
    CString cut(buffer.text, static_cast<int>(capacity - 1));
    CString value = Text(column);
    if (buffer.indicator != SQL_NO_TOTAL && value.GetLength() == buffer.indicator) return value;
    if (buffer.indicator != SQL_NO_TOTAL && value.GetLength() == buffer.indicator - (capacity - 1)) return CString(cut.str() + value.str());
    return value.GetLength() > cut.GetLength() ? value : cut;
}

StoreTaskScope::StoreTaskScope()
{
    if (taskScopes++ == 0) failedInTask = false;
}

StoreTaskScope::~StoreTaskScope()
{
    if (--taskScopes > 0 || taskDiagnostics.empty()) return;
    OutputDebugStringA(taskDiagnostics.c_str());
    taskDiagnostics.clear();
}

CString DescribeDatabaseProblem()
{
    Statement statement;
    if (!connected) {
        CString reason = DiagnosticMessage(SQL_NULL_HSTMT);
        return reason.IsEmpty() ? CString("it cannot be opened") : reason;
    }
    if (!statement.IsOpen()) return CString();
    // Every column the program uses, without reading a row.
    CString probe = "SELECT PhraseID, category, code, content FROM phrase WHERE 1 = 0";
    SQLRETURN rc = SQLExecDirect(statement.m_handle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(probe.GetString())),
                                 probe.GetLength());
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return CString();
    SQLINTEGER nativeError = 0;
    CString reason = DiagnosticMessage(statement.m_handle, &nativeError);
    return IsBusyError(nativeError) ? CString() : reason;
}

void CloseStoreConnection()
{
    connection.Reset();
    environment.Reset();
    connected = false;
}

CString SqlLiteral(const CString& value)
{
    if (value.Find('\'') < 0) return value;
    std::string doubled;
    doubled.reserve(static_cast<size_t>(value.GetLength()) + 8);
    for (char c : value.str()) {
        doubled += c;
        if (c == '\'') doubled += '\'';
    }
    return CString(std::move(doubled));
}

PhraseId ParseInteger(const char* text)
{
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    unsigned long long value = 0;
    const unsigned long long limit = negative ? static_cast<unsigned long long>(LLONG_MAX) + 1 : LLONG_MAX;
    for (; *text >= '0' && *text <= '9'; ++text) {
        unsigned digit = static_cast<unsigned>(*text - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    if (negative) return value > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MIN : -static_cast<PhraseId>(value);
    return static_cast<PhraseId>(value);
}
