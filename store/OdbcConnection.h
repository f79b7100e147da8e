// The process's one ODBC connection to the phrase database and the statement
// of the store operation in progress. The connection is made by the first
// statement opened and never retried: when it fails, every later statement
// fails to open and the store's operations yield their empty results.
//
// Each store operation composes its statement text, makes a Statement (which
// opens it), executes and fetches only when the statement is open, and lets
// the Statement go, which releases it. At most one statement exists at any time.
#pragma once

#include "AfxString.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

// A phrase's key, as the database assigns it.
using PhraseId = long long;

// The Access-style connection string of the phrase database, relative to the
// process's working directory; and the same with the driver name of the
// Access Database Engine (the only one a 64-bit process has), tried when no
// driver of the first name is installed.
extern const char DatabaseConnectionString[];
extern const char DatabaseConnectionStringNewerDriver[];

// A text buffer bound to a result column: values up to 1,023 bytes arrive in
// it whole; a longer value is read again whole by Statement::BoundText.
struct ColumnBuffer
{
    char text[1024];
    SQLLEN indicator;
};

class Statement
{
public:
    // Connects on first use (once per process, whatever the outcome), then
    // allocates the statement.
    Statement();
    // Frees the statement.
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsOpen() const { return m_handle != SQL_NULL_HSTMT; }
    // Prepares and executes text, and writes the name of the return code (or
    // the driver's message) to the debugger output. True when it succeeded;
    // an UPDATE or DELETE that matched no row did not.
    bool Execute(const CString& text);
    // Fetches the next row; true when a row came.
    bool Fetch();
    void Bind(SQLUSMALLINT column, ColumnBuffer& buffer);
    // The whole value of a bound column of the current row; a NULL value
    // reads as empty text.
    CString BoundText(SQLUSMALLINT column, const ColumnBuffer& buffer);
    // The whole value of an unbound column of the current row, however long;
    // a NULL value reads as empty text. Columns are read in ascending order.
    CString Text(SQLUSMALLINT column);

private:
    SQLHSTMT m_handle = SQL_NULL_HSTMT;

    friend CString DescribeDatabaseProblem();
};

// A task of many statements (opening the menu, starting up, opening an
// editor). Within its lifetime, once a statement has failed, the remaining
// statements are not run: a database that another program holds locked makes
// each statement wait before it fails, and the task waits once instead of
// once per statement. The diagnostics of its statements are written
// together when it ends: under Wine each write to the debugger output costs
// as much as a small query.
class StoreTaskScope
{
public:
    StoreTaskScope();
    ~StoreTaskScope();
    StoreTaskScope(const StoreTaskScope&) = delete;
    StoreTaskScope& operator=(const StoreTaskScope&) = delete;
};

// Why the phrase database cannot be used (the driver's words), or empty text
// when it can: the connection failed, or the phrase table with its columns is
// missing. A database that is only busy counts as usable.
CString DescribeDatabaseProblem();
// Ends the connection (at exit).
void CloseStoreConnection();

// value as the inside of a quoted SQL text literal: each apostrophe doubled,
// so that the value is stored and matched exactly as given.
CString SqlLiteral(const CString& value);
// Decimal text to integer as the store reads keys and counts: optional sign
// and leading digits, 0 when there are none; clamped to the 64-bit range.
PhraseId ParseInteger(const char* text);
