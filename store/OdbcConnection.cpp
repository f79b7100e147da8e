#include "store/OdbcConnection.h"

#include <climits>
#include <cstring>
#include <string>

const char DatabaseConnectionString[] = "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";

SQLHENV OdbcEnvironment = SQL_NULL_HENV;
SQLHDBC OdbcConnection = SQL_NULL_HDBC;
SQLHSTMT StatementSlot = SQL_NULL_HSTMT;
ColumnBuffer ColumnBuffer1;
ColumnBuffer ColumnBuffer2;

namespace {

// Set until the one connection attempt of the process has been made.
int firstUse = 1;

// Receives the driver's completed connection string; nothing reads it.
SQLCHAR completedConnectionString[1024];
SQLSMALLINT completedConnectionLength;

// Size of the pieces a column value is read in; longer values take more reads.
const SQLLEN ColumnChunk = 1024;

void Connect()
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &OdbcEnvironment);
    SQLSetEnvAttr(OdbcEnvironment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    if (OdbcConnection == SQL_NULL_HDBC) {
        SQLAllocHandle(SQL_HANDLE_DBC, OdbcEnvironment, &OdbcConnection);
        SQLCHAR connectionString[256] = {};
        std::memcpy(connectionString, DatabaseConnectionString, sizeof DatabaseConnectionString);
        SQLDriverConnect(OdbcConnection, nullptr, connectionString, SQL_NTS, completedConnectionString,
                         sizeof completedConnectionString, &completedConnectionLength, SQL_DRIVER_NOPROMPT);
    }
}

// The driver's message for the last failure on the statement (or the
// connection), as one text; empty when the driver has no record.
CString DiagnosticMessage()
{
    SQLCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLCHAR message[256] = {};
    SQLSMALLINT messageLength = 0;
    SQLRETURN rc = SQLError(OdbcEnvironment, OdbcConnection, StatementSlot, state, &nativeError, message,
                            sizeof message - 1, &messageLength);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return CString();
    message[sizeof message - 1] = '\0';
    CString text;
    text.Format("%s", reinterpret_cast<const char*>(message));
    return text;
}

} // namespace

void OpenStatement()
{
    if (firstUse) {
        // Whatever the outcome, the connection is attempted only once.
        Connect();
        firstUse = 0;
    }
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, OdbcConnection, &StatementSlot);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) StatementSlot = SQL_NULL_HSTMT;
}

SQLRETURN ExecuteStatement()
{
    SQLRETURN rc = SQLExecute(StatementSlot);
    switch (rc) {
    case SQL_SUCCESS: OutputDebugStringA("SQL_SUCCESS\n"); break;
    case SQL_SUCCESS_WITH_INFO: OutputDebugStringA("SQL_SUCCESS_WITH_INFO\n"); break;
    case SQL_STILL_EXECUTING: OutputDebugStringA("SQL_STILL_EXECUTING\n"); break;
    case SQL_NEED_DATA: OutputDebugStringA("SQL_NEED_DATA\n"); break;
    case SQL_NO_DATA:
        OutputDebugStringA(DiagnosticMessage());
        OutputDebugStringA("SQL_NO_DATA\n");
        break;
    case SQL_ERROR: OutputDebugStringA(DiagnosticMessage()); break;
    case SQL_INVALID_HANDLE: OutputDebugStringA("SQL_INVALID_HANDLE\n"); break;
    default: OutputDebugStringA("default\n"); break;
    }
    return rc;
}

void ReleaseStatement()
{
    if (StatementSlot != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, StatementSlot);
    StatementSlot = SQL_NULL_HSTMT;
}

SQLRETURN PrepareAndExecute(const CString& text)
{
    SQLRETURN prepared = SQLPrepare(StatementSlot, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.GetString())),
                                    text.GetLength());
    if (prepared == SQL_ERROR) {
        // The driver manager would refuse to execute it with a sequence error
        // of its own; the driver's message about the statement is the one
        // worth writing, as any failed execution writes it.
        OutputDebugStringA(DiagnosticMessage());
        return SQL_ERROR;
    }
    return ExecuteStatement();
}

bool RunWriteStatement(const CString& text)
{
    bool written = false;
    OpenStatement();
    if (StatementSlot != SQL_NULL_HSTMT) {
        SQLRETURN rc = PrepareAndExecute(text);
        written = rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
    }
    ReleaseStatement();
    return written;
}

bool FetchRow()
{
    SQLRETURN rc = SQLFetch(StatementSlot);
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

CString ColumnText(SQLUSMALLINT column)
{
    // The first piece goes into a small buffer; when the driver reports more,
    // the rest is read into a buffer of the size it announced (in further
    // pieces when it cannot tell the size).
    char first[ColumnChunk];
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(StatementSlot, column, SQL_C_CHAR, first, ColumnChunk, &indicator);
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
        rc = SQLGetData(StatementSlot, column, SQL_C_CHAR, &text[at], size, &part);
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

void BindColumn(SQLUSMALLINT column, ColumnBuffer& buffer)
{
    SQLBindCol(StatementSlot, column, SQL_C_CHAR, buffer.text, sizeof buffer.text, &buffer.indicator);
}

CString BoundColumnText(SQLUSMALLINT column, const ColumnBuffer& buffer)
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
    CString value = ColumnText(column);
    if (buffer.indicator != SQL_NO_TOTAL && value.GetLength() == buffer.indicator) return value;
    if (buffer.indicator != SQL_NO_TOTAL && value.GetLength() == buffer.indicator - (capacity - 1)) return cut + value;
    return value.GetLength() > cut.GetLength() ? value : cut;
}

int BoundColumnInteger(const ColumnBuffer& buffer)
{
    if (buffer.indicator == SQL_NULL_DATA) return 0;
    // Keys and counts are short: the buffer holds their digits whole.
    return LeadingInteger(buffer.text);
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

int LeadingInteger(const char* text)
{
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}
