// The process's one ODBC connection to the phrase database and its single
// statement slot. The connection is made by the first statement opened and
// never retried: when it fails, every later statement fails to open and the
// store's operations yield their empty results for the rest of the process.
//
// Each store operation follows the same order: compose its statement text,
// OpenStatement, and only when StatementSlot is not null prepare, execute
// (ExecuteStatement) and fetch; then ReleaseStatement, also when the slot was
// null. At most one statement exists at any time.
#pragma once

#include "AfxString.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

// The Access-style connection string of the phrase database, relative to the
// process's working directory.
extern const char DatabaseConnectionString[];

extern SQLHENV OdbcEnvironment;
extern SQLHDBC OdbcConnection;
// The statement of the operation in progress; null when there is none.
extern SQLHSTMT StatementSlot;

// Connects on first use (once per process, whatever the outcome), then
// allocates a fresh statement into StatementSlot (null when that fails).
void OpenStatement();
// Executes the prepared statement in the slot and writes the name of the
// return code (or the driver's message) to the debugger output. Returns the
// code, so that writes can tell whether they happened.
SQLRETURN ExecuteStatement();
// Frees the statement in the slot, if any, and leaves the slot null.
void ReleaseStatement();

// Prepares text on the statement in the slot (which must be open) and executes
// it (ExecuteStatement). A statement the driver refuses to prepare is reported
// as a failed execution, with the driver's message, and not executed.
SQLRETURN PrepareAndExecute(const CString& text);
// Runs a statement that changes rows: open, prepare, execute, release. True only
// when the execution succeeded (an UPDATE or DELETE that matched no row did not).
bool RunWriteStatement(const CString& text);

// Fetches the next row of the statement in the slot; true when a row came.
bool FetchRow();
// The whole value of a column of the current row as text, however long;
// a NULL value reads as empty text. Columns are read in ascending order.
CString ColumnText(SQLUSMALLINT column);

// The connection layer's two column buffers, which the queries of short values
// (names, keys) bind their columns to. A value longer than a buffer is read
// again whole by BoundColumnText.
struct ColumnBuffer {
    char text[1024];
    SQLLEN indicator;
};
extern ColumnBuffer ColumnBuffer1;
extern ColumnBuffer ColumnBuffer2;

// Binds a result column of the statement in the slot to buffer, as text.
void BindColumn(SQLUSMALLINT column, ColumnBuffer& buffer);
// The whole value of a bound column of the current row; a NULL value reads
// as empty text.
CString BoundColumnText(SQLUSMALLINT column, const ColumnBuffer& buffer);
// The value of a bound column read as a decimal integer (see LeadingInteger).
int BoundColumnInteger(const ColumnBuffer& buffer);

// value as the inside of a quoted SQL text literal: each apostrophe doubled,
// so that the value is stored and matched exactly as given.
CString SqlLiteral(const CString& value);
// Decimal text to integer as the store reads keys and counts: optional sign and
// leading digits, 0 when there are none; clamped to the int range.
int LeadingInteger(const char* text);
