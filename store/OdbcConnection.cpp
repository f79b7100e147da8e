#include "store/OdbcConnection.h"

#include "AfxOdbc.h"
#include "store/DatabaseFile.h"
#include "store/StoreSession.h"

#include <climits>
#include <cstring>
#include <string>

const wchar_t AccessDriverName[] = L"Microsoft Access Driver (*.mdb)";
const wchar_t NewerAccessDriverName[] = L"Microsoft Access Driver (*.mdb, *.accdb)";

namespace {

// How long a database server may take to accept the connection, or to
// answer a statement, before the user is told that it cannot be reached.
const SQLULEN ServerTimeoutSeconds = 3;


// Size of the pieces an unbound column value is read in.
const SQLLEN ColumnChunk = 1024;

// SQLite's "database is busy" and "table is locked" codes, which the driver
// reports as its native error: the database is fine, another program holds it.
bool IsBusyError(SQLINTEGER nativeError)
{
    return nativeError == 5 || nativeError == 6;
}

// SQLite's "disk full" and "attempt to write a readonly database".
const SQLINTEGER SqliteFull = 13;
const SQLINTEGER SqliteReadOnly = 8;

// The first diagnostic record of a handle.
struct Diagnostic
{
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

Diagnostic ReadDiagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    Diagnostic diagnostic;
    SQLCHAR sqlState[6] = {};
    SQLCHAR message[512] = {};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(type, handle, 1, sqlState, &diagnostic.native, message, sizeof message - 1, &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return diagnostic;
    message[sizeof message - 1] = '\0';
    diagnostic.state = reinterpret_cast<char*>(sqlState);
    diagnostic.message = reinterpret_cast<char*>(message);
    return diagnostic;
}

// text as one sentence: ending with a full stop.
std::wstring Sentence(std::wstring text)
{
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (!text.empty() && text.back() != L'.') text += L'.';
    return text;
}

// A value of the connection string ("key=value;..."), or empty text.
std::wstring ConnectionAttribute(const std::wstring& text, const wchar_t* key)
{
    size_t keyLength = std::wcslen(key);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos) end = text.size();
        size_t equals = text.find(L'=', start);
        if (equals < end && equals - start == keyLength && ::_wcsnicmp(text.c_str() + start, key, keyLength) == 0)
            return text.substr(equals + 1, end - equals - 1);
        start = end + 1;
    }
    return std::wstring();
}

// True when a failure on a server connection means the connection itself
// is gone or the server did not answer: SQLSTATE class 08 (connection
// exception), a time-out, or the driver's words for a dropped connection.
bool IsConnectionLost(const Diagnostic& diagnostic)
{
    const std::string& s = diagnostic.state;
    if (s.compare(0, 2, "08") == 0 || s == "HYT00" || s == "HYT01" || s == "57P01" || s == "57P02" || s == "57P03")
        return true;
    const char* phrases[] = {"server closed the connection", "could not send", "could not receive", "no connection",
                             "connection was lost", "terminating connection", "connection not open"};
    for (const char* phrase : phrases) {
        if (diagnostic.message.find(phrase) != std::string::npos) return true;
    }
    return false;
}

// Records why a statement, or the connection, failed; change tells whether
// it was to change the database.
void RecordFailure(const Diagnostic& diagnostic, bool change)
{
    StoreState& state = CurrentStore();
    std::wstring driverWords = Sentence(AfxWiden(diagnostic.message.c_str()));
    if (!state.server.empty()) {
        if (IsConnectionLost(diagnostic)) {
            SetLastStoreFailure(StoreFailureKind::Unreachable,
                                L"The phrase database on " + DatabaseServerName() + L" cannot be reached: " + driverWords);
        } else if (diagnostic.state == "42501") {
            SetLastStoreFailure(StoreFailureKind::NotPermitted,
                                L"Your account can read the team's phrases but not change them.");
        } else if (diagnostic.state == "22P05" || diagnostic.state == "22021") {
            SetLastStoreFailure(StoreFailureKind::Unencodable,
                                L"The text holds a character that the phrase database cannot store: " + driverWords);
        } else if (diagnostic.state == "23505") {
            SetLastStoreFailure(StoreFailureKind::Duplicate, driverWords);
        } else {
            SetLastStoreFailure(StoreFailureKind::Other, driverWords);
        }
        return;
    }
    const std::wstring& file = state.file.empty() ? DatabaseFilePath() : state.file;
    if ((change && IsReadOnlyFile(file)) || diagnostic.native == SqliteReadOnly) {
        SetLastStoreFailure(StoreFailureKind::ReadOnly,
                            L"The phrase database " + file + L" is read-only: its phrases can be used but not changed.");
    } else if (IsBusyError(diagnostic.native)) {
        SetLastStoreFailure(StoreFailureKind::Locked,
                            L"Another program is using the phrase database; please try again in a moment.");
    } else if (diagnostic.native == SqliteFull) {
        SetLastStoreFailure(StoreFailureKind::DiskFull, L"The disk that holds the phrase database " + file + L" is full.");
    } else {
        SetLastStoreFailure(StoreFailureKind::Other, driverWords);
    }
}

void Disconnect()
{
    StoreState& state = CurrentStore();
    state.connection.Reset();
    state.environment.Reset();
    state.connected = false;
}

// text in the program's ANSI code page; false when the code page lacks a
// character of it.
bool InCodePage(const std::wstring& text, std::string& ansi)
{
    BOOL lost = FALSE;
    int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost);
    if (size <= 0 || lost) return false;
    ansi.assign(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size - 1));
    return true;
}

// The path of the file as a connection string can carry it: as it is when
// the program's code page holds every letter of it, else its short (8.3)
// name when that has a short name (a folder named in another alphabet).
std::wstring ConnectablePath(const std::wstring& path)
{
    std::string ansi;
    if (InCodePage(path, ansi)) return path;
    std::wstring shortPath(path.size() + 1, L'\0');
    DWORD length = ::GetShortPathNameW(path.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) return path;
    shortPath.resize(length);
    return InCodePage(shortPath, ansi) ? shortPath : path;
}

// connectionString through the ANSI entry point when the program's code
// page holds every character of it, else through the wide one.
bool DriverConnect(const std::wstring& connectionString)
{
    StoreState& state = CurrentStore();
    std::string ansi;
    SQLRETURN rc;
    if (InCodePage(connectionString, ansi)) {
        rc = SQLDriverConnect(state.connection, nullptr, reinterpret_cast<SQLCHAR*>(&ansi[0]), SQL_NTS, nullptr, 0,
                              nullptr, SQL_DRIVER_NOPROMPT);
    } else {
        std::wstring wide = connectionString;
        rc = SQLDriverConnectW(state.connection, nullptr, reinterpret_cast<SQLWCHAR*>(&wide[0]), SQL_NTS, nullptr, 0,
                               nullptr, SQL_DRIVER_NOPROMPT);
    }
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// True when the last connection attempt failed because no driver of that
// name is installed: the driver manager says so (SQLSTATE IM002, as Windows'
// does), or does not list the driver (unixODBC takes an unknown name for a
// library's file name and reports that it cannot load it).
bool NoSuchDriver(const wchar_t* name)
{
    StoreState& state = CurrentStore();
    if (ReadDiagnostic(SQL_HANDLE_DBC, state.connection).state == "IM002") return true;
    SQLWCHAR driver[256];
    SQLWCHAR attributes[1024];
    SQLSMALLINT driverLength = 0, attributesLength = 0;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;
         SQL_SUCCEEDED(SQLDriversW(state.environment, direction, driver, 256, &driverLength, attributes, 1024,
                                   &attributesLength));
         direction = SQL_FETCH_NEXT) {
        if (std::wcscmp(reinterpret_cast<wchar_t*>(driver), name) == 0) return false;
    }
    return true;
}

// Runs a statement of the connection's set-up; true when it ran.
bool RunSetUp(const char* text)
{
    StoreState& state = CurrentStore();
    COdbcStatement statement;
    SQLHANDLE handle = SQL_NULL_HANDLE;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, state.connection, &handle))) return false;
    statement.Reset(handle);
    return SQL_SUCCEEDED(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS));
}

// The session settings a server connection needs: text is exchanged in the
// program's ANSI code page (a PostgreSQL server converts it to and from its
// own). And whether the database counts its revisions.
void PrepareServerSession()
{
    StoreState& state = CurrentStore();
    SQLCHAR product[64] = {};
    SQLSMALLINT length = 0;
    SQLGetInfo(state.connection, SQL_DBMS_NAME, product, sizeof product, &length);
    if (std::strcmp(reinterpret_cast<char*>(product), "PostgreSQL") != 0) return;
    const char* encoding = nullptr;
    switch (::GetACP()) {
    case 874: encoding = "WIN874"; break;
    case 932: encoding = "SJIS"; break;
    case 936: encoding = "GBK"; break;
    case 949: encoding = "UHC"; break;
    case 950: encoding = "BIG5"; break;
    case 1250: encoding = "WIN1250"; break;
    case 1251: encoding = "WIN1251"; break;
    case 1252: encoding = "WIN1252"; break;
    case 1253: encoding = "WIN1253"; break;
    case 1254: encoding = "WIN1254"; break;
    case 1255: encoding = "WIN1255"; break;
    case 1256: encoding = "WIN1256"; break;
    case 1257: encoding = "WIN1257"; break;
    case 1258: encoding = "WIN1258"; break;
    }
    if (encoding) RunSetUp((std::string("SET client_encoding TO '") + encoding + "'").c_str());
    state.countsRevisions = RunSetUp("SELECT revision FROM phrase_revision");
}

void Connect()
{
    StoreState& state = CurrentStore();
    Disconnect();
    SQLHANDLE handle = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle);
    state.environment.Reset(handle);
    SQLSetEnvAttr(state.environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    handle = SQL_NULL_HANDLE;
    SQLAllocHandle(SQL_HANDLE_DBC, state.environment, &handle);
    state.connection.Reset(handle);

    state.countsRevisions = false;
    if (!state.server.empty()) {
        SQLSetConnectAttr(state.connection, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(ServerTimeoutSeconds), 0);
        state.connected = DriverConnect(state.server);
        if (state.connected) PrepareServerSession();
    } else {
        state.file = DatabaseFilePath();
        state.fileRemoved = false;
        std::wstring path = ConnectablePath(state.file);
        for (const wchar_t* driver : {AccessDriverName, NewerAccessDriverName}) {
            state.connected = DriverConnect(L"DBQ=" + path + L";DRIVER={" + driver + L"}");
            if (state.connected || !NoSuchDriver(driver)) break;
        }
        if (state.connected && !IdentifyFile(state.file, state.fileIdentity)) state.fileIdentity = FileIdentity();
    }
    if (state.connected) return;
    Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_DBC, state.connection);
    if (!state.server.empty()) {
        SetLastStoreFailure(StoreFailureKind::Unreachable, L"The phrase database on " + DatabaseServerName() +
                                                               L" cannot be reached: " +
                                                               Sentence(AfxWiden(diagnostic.message.c_str())));
    } else {
        std::wstring reason = AfxWiden(diagnostic.message.c_str());
        SetLastStoreFailure(StoreFailureKind::Other, Sentence(L"The phrase database " + state.file + L" cannot be opened" +
                                                              (reason.empty() ? L"" : L": " + reason)));
    }
}

// The start of a task: the local file followed, the connection made when
// there is none.
void BeginTask()
{
    StoreState& state = CurrentStore();
    ClearLastStoreFailure();
    state.failedInTask = false;
    if (state.server.empty() && state.connected) {
        std::wstring path = DatabaseFilePath();
        FileIdentity now;
        bool present = IdentifyFile(path, now);
        // Removed: the connection still reads the file it has open, but a
        // change would go nowhere. Replaced: the file now at the path is the
        // user's database.
        state.fileRemoved = !present;
        if (present && (path != state.file || now != state.fileIdentity)) {
            Disconnect();
            ++state.generation;
        }
    }
    state.connectionFromEarlierTask = state.connected;
    if (!state.connected) Connect();
}

// Writes text to the debugger output, or keeps it for the end of the task.
void WriteDiagnostic(const std::string& text)
{
    StoreState& state = CurrentStore();
    if (state.taskScopes > 0) {
        state.taskDiagnostics += text;
    } else {
        OutputDebugStringA(text.c_str());
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
    case SQL_NO_DATA: WriteDiagnostic("SQL_NO_DATA\n"); break;
    case SQL_ERROR: WriteDiagnostic(ReadDiagnostic(SQL_HANDLE_STMT, statement).message + "\n"); break;
    case SQL_INVALID_HANDLE: WriteDiagnostic("SQL_INVALID_HANDLE\n"); break;
    default: WriteDiagnostic("default\n"); break;
    }
}

} // namespace

Statement::Statement()
{
    StoreState& state = CurrentStore();
    // A statement on its own is a task of its own.
    if (state.taskScopes == 0) BeginTask();
    Allocate();
}

Statement::~Statement()
{
    Free();
}

void Statement::Allocate()
{
    StoreState& state = CurrentStore();
    if (!state.connected || state.statementSlot != SQL_NULL_HSTMT) return;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, state.connection, &m_handle);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        m_handle = SQL_NULL_HSTMT;
        return;
    }
    if (!state.server.empty())
        SQLSetStmtAttr(m_handle, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(ServerTimeoutSeconds), 0);
    state.statementSlot = m_handle;
}

void Statement::Free()
{
    StoreState& state = CurrentStore();
    if (m_handle == SQL_NULL_HSTMT) return;
    SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
    m_handle = SQL_NULL_HSTMT;
    state.statementSlot = SQL_NULL_HSTMT;
}

SQLRETURN Statement::Run(const CString& text, bool change)
{
    StoreState& state = CurrentStore();
    if (!IsOpen()) {
        if (LastStoreFailure().kind == StoreFailureKind::None)
            SetLastStoreFailure(StoreFailureKind::Other, L"The phrase database is not open.");
        return SQL_ERROR;
    }
    if (state.taskScopes > 0 && state.failedInTask) {
        WriteDiagnostic("Not run: the database did not answer the statement before\n");
        return SQL_ERROR;
    }
    // One round trip to a server: executed directly, not prepared first.
    SQLRETURN rc = SQLExecDirect(m_handle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.GetString())),
                                 text.GetLength());
    ReportExecution(rc, m_handle);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return rc;

    Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, m_handle);
    if (!state.server.empty() && IsConnectionLost(diagnostic) && state.connectionFromEarlierTask) {
        // The server dropped a connection made before this task (it
        // restarted, or the network was down meanwhile): connect again and
        // run the statement once more.
        state.connectionFromEarlierTask = false;
        Free();
        Connect();
        Allocate();
        if (IsOpen()) return Run(text, change);
        if (state.taskScopes > 0) state.failedInTask = true;
        return SQL_ERROR;
    }
    RecordFailure(diagnostic, change);
    if (state.taskScopes > 0) state.failedInTask = true;
    return rc;
}

bool Statement::Execute(const CString& text)
{
    SQLRETURN rc = Run(text, false);
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

ChangeOutcome Statement::Change(const CString& text)
{
    StoreState& state = CurrentStore();
    if (state.fileRemoved) {
        SetLastStoreFailure(StoreFailureKind::Removed, L"The phrase database " + state.file +
                                                           L" has been removed or renamed since Talvory opened it.");
        return ChangeOutcome::Failed;
    }
    SQLRETURN rc = Run(text, true);
    if (rc == SQL_NO_DATA) return ChangeOutcome::NothingMatched;
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return ChangeOutcome::Failed;
    SQLLEN rows = -1;
    if (SQL_SUCCEEDED(SQLRowCount(m_handle, &rows)) && rows == 0) return ChangeOutcome::NothingMatched;
    return ChangeOutcome::Done;
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
    if (buffer.indicator != SQL_NO_TOTAL && value.GetLength() == buffer.indicator - (capacity - 1))
        return CString(cut.str() + value.str());
    return value.GetLength() > cut.GetLength() ? value : cut;
}

const char* Statement::BoundChars(SQLUSMALLINT column, const ColumnBuffer& buffer, CString& longer)
{
    if (buffer.indicator == SQL_NULL_DATA) return "";
    if (buffer.indicator >= 0 && buffer.indicator < static_cast<SQLLEN>(sizeof buffer.text)) return buffer.text;
    longer = BoundText(column, buffer);
    return longer.GetString();
}

StoreTaskScope::StoreTaskScope()
{
    StoreState& state = CurrentStore();
    if (state.taskScopes++ == 0) BeginTask();
}

StoreTaskScope::~StoreTaskScope()
{
    StoreState& state = CurrentStore();
    if (--state.taskScopes > 0 || state.taskDiagnostics.empty()) return;
    OutputDebugStringA(state.taskDiagnostics.c_str());
    state.taskDiagnostics.clear();
}

void UseDatabaseServer(const std::wstring& connectionString)
{
    StoreState& state = CurrentStore();
    if (connectionString == state.server) return;
    Disconnect();
    state.server = connectionString;
    state.file.clear();
    ++state.generation;
}

bool UsesDatabaseServer()
{
    StoreState& state = CurrentStore();
    return !state.server.empty();
}

std::wstring DatabaseServerName()
{
    StoreState& state = CurrentStore();
    std::wstring host = ConnectionAttribute(state.server, L"SERVER");
    if (host.empty()) host = ConnectionAttribute(state.server, L"SERVERNAME");
    if (host.empty()) host = ConnectionAttribute(state.server, L"HOST");
    if (!host.empty()) {
        std::wstring port = ConnectionAttribute(state.server, L"PORT");
        return port.empty() ? host : host + L":" + port;
    }
    std::wstring dsn = ConnectionAttribute(state.server, L"DSN");
    return dsn.empty() ? std::wstring(L"the configured server") : L"the data source " + dsn;
}

bool DatabaseCountsRevisions()
{
    return CurrentStore().countsRevisions;
}

unsigned long DatabaseGeneration()
{
    StoreState& state = CurrentStore();
    return state.generation;
}

std::wstring DescribeDatabaseProblem()
{
    StoreState& state = CurrentStore();
    Statement statement;
    if (!state.connected) return LastStoreFailure().reason;
    if (!statement.IsOpen()) return std::wstring();
    // Every column the program uses, without reading a row.
    CString probe = "SELECT PhraseID, category, code, content FROM phrase WHERE 1 = 0";
    if (statement.Execute(probe)) return std::wstring();
    const StoreFailure& failure = LastStoreFailure();
    if (failure.kind == StoreFailureKind::Locked) return std::wstring();
    std::wstring where = state.server.empty() ? state.file : L"on " + DatabaseServerName();
    return L"The phrase database " + where + L" cannot be used: " + failure.reason;
}

void CloseStoreConnection()
{
    Disconnect();
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
