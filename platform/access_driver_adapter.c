/*
 * A unixODBC driver standing in for the Microsoft Access driver on this host.
 *
 * Talvory connects with an Access-style connection string
 *     DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}
 * and the phrase database here is an SQLite file. This library defines only
 * SQLDriverConnect: it rewrites the string for the SQLite ODBC driver
 * (Database= instead of DBQ=, NoCreat=1 so that a missing file fails the
 * connection as it does with Access, and a short busy timeout so that a
 * locked file cannot freeze the menu) and hands it on to the SQLite driver's own
 * SQLDriverConnect. The library is linked against the SQLite driver, so the
 * driver manager finds every other entry point there.
 *
 * Before handing over, it puts the file into SQLite's write-ahead-log journal
 * mode (stored in the file, so it is done once per file, also for files made
 * before): readers then never wait behind another program's write, so a
 * database that some other program holds locked cannot freeze the menu.
 *
 * Two environment variables serve the tests: when TALVORY_ODBC_CONNECT_LOG
 * names a file, each call appends one line with the connection string as
 * received, so that tests can count the program's connections; when
 * TALVORY_ODBC_TRACE names a file, the SQLite driver traces every statement
 * of the connection into it (its Tracefile= attribute).
 *
 * Built with the host compiler (gcc -m32 -shared -fPIC): it is loaded by the
 * host's 32-bit unixODBC on behalf of Wine's odbc32.
 */
#define _GNU_SOURCE
#include <ctype.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The few ODBC declarations needed here (no i386 ODBC headers on this host). */
typedef short SQLSMALLINT;
typedef unsigned short SQLUSMALLINT;
typedef short SQLRETURN;
typedef unsigned char SQLCHAR;
typedef void* SQLHDBC;
typedef void* SQLHWND;
#define SQL_NTS (-3)
#define SQL_ERROR (-1)

typedef SQLRETURN (*DriverConnectFn)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                     SQLSMALLINT*, SQLUSMALLINT);

#ifndef SQLITE_ODBC_DRIVER
#define SQLITE_ODBC_DRIVER "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
#endif

/* Busy timeout in milliseconds handed to the SQLite driver. The driver can
 * wait it out twice for one statement, so a statement on a locked file gives
 * up after about a second. */
#define BUSY_TIMEOUT_MS "500"

/* True when fn is defined by the SQLite ODBC driver (and not, say, by the driver manager). */
static int InSqliteDriver(void* fn)
{
    Dl_info info;
    return fn && dladdr(fn, &info) && info.dli_fname && strstr(info.dli_fname, "sqlite3odbc") != NULL;
}

static DriverConnectFn NextDriverConnect(void)
{
    static DriverConnectFn next;
    if (!next) {
        void* fn = dlsym(RTLD_NEXT, "SQLDriverConnect");
        if (!InSqliteDriver(fn)) {
            /* Loaded privately by the driver manager: ask the SQLite driver directly. */
            void* driver = dlopen(SQLITE_ODBC_DRIVER, RTLD_NOW | RTLD_NOLOAD);
            if (!driver) driver = dlopen(SQLITE_ODBC_DRIVER, RTLD_NOW);
            fn = driver ? dlsym(driver, "SQLDriverConnect") : NULL;
        }
        next = (DriverConnectFn)fn;
    }
    return next;
}

/* Puts the SQLite file at path into WAL journal mode, if it is not already.
 * Nothing happens when the file is missing, not a database, or busy: the
 * connection then goes on as before, and the next one tries again. */
static void UseWriteAheadLog(const char* path)
{
    typedef int (*OpenFn)(const char*, void**, int, const char*);
    typedef int (*ExecFn)(void*, const char*, void*, void*, char**);
    typedef int (*BusyFn)(void*, int);
    typedef int (*CloseFn)(void*);
    void* sqlite = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (!sqlite) sqlite = dlopen("libsqlite3.so.0", RTLD_NOW);
    if (!sqlite) return;
    OpenFn open = (OpenFn)dlsym(sqlite, "sqlite3_open_v2");
    ExecFn exec = (ExecFn)dlsym(sqlite, "sqlite3_exec");
    BusyFn busy = (BusyFn)dlsym(sqlite, "sqlite3_busy_timeout");
    CloseFn close = (CloseFn)dlsym(sqlite, "sqlite3_close");
    void* db = NULL;
    const int readWrite = 0x00000002; /* SQLITE_OPEN_READWRITE, without CREATE */
    if (open && exec && busy && close && open(path, &db, readWrite, NULL) == 0) {
        busy(db, 200);
        exec(db, "PRAGMA journal_mode=WAL", NULL, NULL, NULL);
    }
    if (db && close) close(db);
}

static void LogConnection(const char* text, size_t length)
{
    const char* path = getenv("TALVORY_ODBC_CONNECT_LOG");
    if (!path || !*path) return;
    FILE* log = fopen(path, "a");
    if (!log) return;
    fwrite(text, 1, length, log);
    fputc('\n', log);
    fclose(log);
}

/* True when the attribute text [key, key + keyLength) names `name`, ignoring case and blanks. */
static int KeyIs(const char* key, size_t keyLength, const char* name)
{
    while (keyLength > 0 && isspace((unsigned char)*key)) {
        ++key;
        --keyLength;
    }
    while (keyLength > 0 && isspace((unsigned char)key[keyLength - 1])) --keyLength;
    size_t nameLength = strlen(name);
    if (keyLength != nameLength) return 0;
    for (size_t i = 0; i < nameLength; ++i)
        if (tolower((unsigned char)key[i]) != tolower((unsigned char)name[i])) return 0;
    return 1;
}

/*
 * Rewrites "KEY=value;..." attribute by attribute: DBQ becomes Database, the
 * rest is kept as it is, and NoCreat, Timeout (and Tracefile when asked for)
 * are added unless given.
 * Values in braces may hold semicolons. Returns a malloc'ed string;
 * *database receives the file's path (malloc'ed), or NULL when none is named.
 */
static char* RewriteConnectionString(const char* in, size_t length, char** database)
{
    *database = NULL;
    const char* trace = getenv("TALVORY_ODBC_TRACE");
    if (trace && !*trace) trace = NULL;
    char* out = malloc(length * 2 + 80 + (trace ? strlen(trace) : 0));
    if (!out) return NULL;
    size_t used = 0;
    int hasNoCreat = 0, hasTimeout = 0, hasTracefile = 0;
    size_t pos = 0;
    while (pos < length) {
        size_t start = pos;
        size_t equals = (size_t)-1;
        int inBraces = 0;
        while (pos < length) {
            char c = in[pos];
            if (c == '{') inBraces = 1;
            else if (c == '}') inBraces = 0;
            else if (c == '=' && equals == (size_t)-1) equals = pos;
            else if (c == ';' && !inBraces) break;
            ++pos;
        }
        size_t end = pos;
        if (pos < length) ++pos; /* the semicolon */
        if (end == start) continue;
        if (equals != (size_t)-1) {
            size_t keyLength = equals - start;
            if (KeyIs(in + start, keyLength, "NoCreat")) hasNoCreat = 1;
            if (KeyIs(in + start, keyLength, "Timeout")) hasTimeout = 1;
            if (KeyIs(in + start, keyLength, "Tracefile")) hasTracefile = 1;
            if (KeyIs(in + start, keyLength, "DBQ")) {
                memcpy(out + used, "Database", 8);
                used += 8;
                start = equals;
                free(*database);
                *database = strndup(in + equals + 1, end - equals - 1);
            }
        }
        memcpy(out + used, in + start, end - start);
        used += end - start;
        out[used++] = ';';
    }
    if (!hasNoCreat) {
        memcpy(out + used, "NoCreat=1;", 10);
        used += 10;
    }
    if (!hasTimeout) {
        const char* timeout = "Timeout=" BUSY_TIMEOUT_MS ";";
        memcpy(out + used, timeout, strlen(timeout));
        used += strlen(timeout);
    }
    if (trace && !hasTracefile) used += (size_t)sprintf(out + used, "Tracefile=%s;", trace);
    out[used] = '\0';
    return out;
}

__attribute__((visibility("default"))) SQLRETURN SQLDriverConnect(
    SQLHDBC connection, SQLHWND window, SQLCHAR* inString, SQLSMALLINT inLength, SQLCHAR* outString,
    SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    DriverConnectFn next = NextDriverConnect();
    if (!next) return SQL_ERROR;
    if (!inString) return next(connection, window, inString, inLength, outString, outCapacity, outLength, completion);

    size_t length = inLength == SQL_NTS || inLength < 0 ? strlen((const char*)inString) : (size_t)inLength;
    LogConnection((const char*)inString, length);
    char* database = NULL;
    char* rewritten = RewriteConnectionString((const char*)inString, length, &database);
    if (!rewritten) return SQL_ERROR;
    if (database) UseWriteAheadLog(database);
    free(database);
    SQLRETURN rc = next(connection, window, (SQLCHAR*)rewritten, SQL_NTS, outString, outCapacity, outLength,
                        completion);
    free(rewritten);
    return rc;
}
