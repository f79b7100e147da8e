// The store's state: its connection and what the connection is to, the task
// in progress, the last failure and the category list. The program has one
// thread and uses the process's state. A client thread of the load benchmark
// makes a StoreSession, which gives the thread a state of its own, and a
// connection of its own, for as long as the session lives.
#pragma once

#include "AfxOdbc.h"
#include "store/CategoryList.h"
#include "store/DatabaseFile.h"
#include "store/OdbcConnection.h"
#include "store/StoreFailure.h"

#include <string>
#include <vector>

// The tray menu's rows as last read (store/PhraseStore.h, ForEachMenuRow),
// kept while the database's revision stays the same.
struct MenuRowsCache
{
    bool valid = false;
    long long revision = 0;
    unsigned long generation = 0;
    struct Row
    {
        size_t category;
        PhraseId id;
        size_t code; // offset of its zero-terminated text in codes
    };
    std::vector<Row> rows;
    std::string codes;
    std::vector<CString> names;
};

struct StoreState
{
    COdbcEnvironment environment;
    COdbcConnection connection;
    bool connected = false;
    // A new number for each other database: another local file put at the
    // path, or another server.
    unsigned long generation = 0;
    // The server's connection string; empty for the local file.
    std::wstring server;
    // The database counts its revisions (phrase_revision on a team's server).
    bool countsRevisions = false;
    // The local file the connection was made to, and its identity then.
    std::wstring file;
    FileIdentity fileIdentity;
    // The file has left its path since the connection was made (found at the start of the task).
    bool fileRemoved = false;
    // The statement of the operation in progress (the one Statement alive).
    SQLHSTMT statementSlot = SQL_NULL_HSTMT;

    int taskScopes = 0;
    bool failedInTask = false;
    // The connection was made before the task in progress began: should the
    // server have dropped it meanwhile, it is made again once, at once.
    bool connectionFromEarlierTask = false;
    // The diagnostics written while a task runs, written out when it ends.
    std::string taskDiagnostics;

    StoreFailure lastFailure;
    CategoryListData categories;
    MenuRowsCache menuRows;
};

// The calling thread's store state.
StoreState& CurrentStore();

class StoreSession
{
public:
    StoreSession();
    // Ends the session's connection; the thread goes back to the state it had.
    ~StoreSession();
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

private:
    StoreState m_state;
    StoreState* m_previous;
};
