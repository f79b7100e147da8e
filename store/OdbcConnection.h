// The ODBC connection to the phrase database and the statement of the store
// operation in progress.
//
// The database is the local file database\phrases.mdb in the program's own
// folder (an Access-style connection), or a database server named by an
// ODBC connection string (UseDatabaseServer). The store works in tasks: a
// menu opening, a dialog's change, a delivery. At the start of each task it
// makes sure of its connection: it follows the local file by its identity
// (a file replaced at the path gets a connection of its own; a file removed
// from it takes no more changes), connects when not connected, and a
// connection the server dropped is made again on demand.
//
// Each store operation composes its statement text, makes a Statement,
// executes and fetches only when the statement ran, and lets the Statement
// go, which releases it. At most one statement exists at any time.
//
// The connection and its state belong to the calling thread's store state
// (store/StoreSession.h): the program's one thread uses the process's.
#pragma once

#include "AfxString.h"
#include "store/StoreFailure.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <string>

// A phrase's key, as the database assigns it.
using PhraseId = long long;

// The driver names of the Access-style connection: the Access driver's, and
// the Access Database Engine's (the only one a 64-bit Windows has), tried
// when no driver of the first name is installed.
extern const wchar_t AccessDriverName[];
extern const wchar_t NewerAccessDriverName[];

// A text buffer bound to a result column: values up to 1,023 bytes arrive in
// it whole; a longer value is read again whole by Statement::BoundText.
struct ColumnBuffer
{
    char text[1024];
    SQLLEN indicator;
};

// What a change did.
enum class ChangeOutcome
{
    Done,            // the statement ran and changed at least one row
    NothingMatched,  // it ran, and no row met its condition
    Failed,          // it did not run (LastStoreFailure says why)
};

class Statement
{
public:
    // A statement outside a StoreTaskScope is a task of its own. Connects
    // when needed, then allocates the statement.
    Statement();
    // Frees the statement.
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsOpen() const { return m_handle != SQL_NULL_HSTMT; }
    // Runs a query, and writes the name of the return code (or the driver's
    // message) to the debugger output. True when it ran.
    bool Execute(const CString& text);
    // Runs a statement that changes the database. Refused, without running,
    // when the local file has been removed from its path.
    ChangeOutcome Change(const CString& text);
    // Fetches the next row; true when a row came.
    bool Fetch();
    void Bind(SQLUSMALLINT column, ColumnBuffer& buffer);
    // The whole value of a bound column of the current row; a NULL value
    // reads as empty text.
    CString BoundText(SQLUSMALLINT column, const ColumnBuffer& buffer);
    // The same as zero-terminated text, without a copy when the value arrived
    // whole: the buffer's own text ("" for NULL), or else the value read
    // again whole into longer.
    const char* BoundChars(SQLUSMALLINT column, const ColumnBuffer& buffer, CString& longer);
    // The whole value of an unbound column of the current row, however long;
    // a NULL value reads as empty text. Columns are read in ascending order.
    CString Text(SQLUSMALLINT column);

private:
    // Runs text; change tells how a failure is described. Returns the return code.
    SQLRETURN Run(const CString& text, bool change);
    void Allocate();
    void Free();

    SQLHSTMT m_handle = SQL_NULL_HSTMT;
};

// A task of many statements (opening the menu, starting up, opening an
// editor). Its start makes sure of the connection once. Within its
// lifetime, once a statement has failed, the remaining statements are not
// run: a database that another program holds locked, or a server that does
// not answer, makes each statement wait before it fails, and the task waits
// once instead of once per statement. The diagnostics of its statements are
// written together when it ends: under Wine each write to the debugger
// output costs as much as a small query.
class StoreTaskScope
{
public:
    StoreTaskScope();
    ~StoreTaskScope();
    StoreTaskScope(const StoreTaskScope&) = delete;
    StoreTaskScope& operator=(const StoreTaskScope&) = delete;
};

// Connects to the database server that connectionString (an ODBC connection
// string, for example "DSN=TeamPhrases") names from now on, instead of the
// local file; an empty string goes back to the local file.
void UseDatabaseServer(const std::wstring& connectionString);
// True when the phrases are on a database server rather than in the local file.
bool UsesDatabaseServer();
// The database server as the user knows it ("host:port", or the data source's name).
std::wstring DatabaseServerName();
// True when the connected database counts its revisions (a team's server
// prepared by tools/create-database.sh --postgresql): a revision unchanged
// since the last reading means the phrases are unchanged.
bool DatabaseCountsRevisions();
// Counts the databases the store has used: a new number once another file
// has been put at the local file's path (or another server chosen). A
// phrase key read from one database may name another phrase, or none, in the next.
unsigned long DatabaseGeneration();

// Why the phrase database cannot be used (the driver's words), or empty text
// when it can: the connection failed, or the phrase table with its columns is
// missing. A database that is only busy counts as usable.
std::wstring DescribeDatabaseProblem();
// Ends the connection (at exit).
void CloseStoreConnection();

// value as the inside of a quoted SQL text literal: each apostrophe doubled,
// so that the value is stored and matched exactly as given.
CString SqlLiteral(const CString& value);
// Decimal text to integer as the store reads keys and counts: optional sign
// and leading digits, 0 when there are none; clamped to the 64-bit range.
PhraseId ParseInteger(const char* text);
