/*
 * A unixODBC driver standing in for the Microsoft Access driver on this host.
 *
 * Talvory connects with an Access-style connection string
 *     DBQ=Z:\path\to\database\phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}
 * and the phrase database here is an SQLite file. This library defines only
 * SQLDriverConnect and SQLDriverConnectW: it rewrites the string for the
 * SQLite ODBC driver and hands it on to the SQLite driver's own
 * SQLDriverConnect. The library is linked against the SQLite driver, so the
 * driver manager finds every other entry point there. The rewriting:
 *   - DBQ becomes Database, its Windows path the Unix path of the same file:
 *     a drive letter through the Wine prefix's drive mapping, each name
 *     matched without regard to case where no exact match exists, as Wine
 *     matches it (a relative path stays relative to the working directory);
 *   - NoCreat=1, so that a missing file fails the connection as it does with
 *     Access, and a short busy timeout, so that a locked file cannot freeze
 *     the menu.
 * SQLDriverConnectW takes the connection string in UTF-16 and hands it on in
 * UTF-8, the file names' encoding here: the driver manager's own conversion
 * keeps only the low byte of each character, and a path with letters outside
 * the program's code page reaches the driver only through the wide call.
 *
 * Phrase databases stay in SQLite's rollback journal, whose side file exists
 * only while a change is being written. A file in write-ahead-log mode (the
 * mode is stored in the file) is switched back before the connection is
 * made, when nothing else has it open: a write-ahead log stays beside its
 * file between changes, and should the file be removed, replaced or restored
 * from a backup meanwhile, SQLite would apply the log to a database it does
 * not belong to.
 *
 * Two environment variables serve the tests: when TALVORY_ODBC_CONNECT_LOG
 * names a file, each call appends one line with the connection string as
 * received (in UTF-8), so that tests can count the program's connections;
 * when TALVORY_ODBC_TRACE names a file, the SQLite driver traces every
 * statement of the connection into it (its Tracefile= attribute).
 *
 * Built with the host compiler in the program's width (gcc -m64 or -m32
 * -shared -fPIC): it is loaded by the host's unixODBC of that width on
 * behalf of Wine's odbc32.
 */
#define _GNU_SOURCE
#include <ctype.h>
#include <dirent.h>
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

/* The few ODBC declarations needed here (the adapter is built without ODBC headers). */
typedef short SQLSMALLINT;
typedef unsigned short SQLUSMALLINT;
typedef short SQLRETURN;
typedef unsigned char SQLCHAR;
typedef unsigned short SQLWCHAR;
typedef void* SQLHDBC;
typedef void* SQLHWND;
#define SQL_NTS (-3)
#define SQL_ERROR (-1)

typedef SQLRETURN (*DriverConnectFn)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                     SQLSMALLINT*, SQLUSMALLINT);

#ifndef SQLITE_ODBC_DRIVER
#define SQLITE_ODBC_DRIVER "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"
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

/* True when the SQLite file at path is in write-ahead-log mode: bytes 18 and
 * 19 of its header (the file format's write and read versions) are 2. */
static int InWriteAheadLogMode(const char* path)
{
    unsigned char header[20];
    FILE* file = fopen(path, "rb");
    if (!file) return 0;
    size_t got = fread(header, 1, sizeof header, file);
    fclose(file);
    return got == sizeof header && memcmp(header, "SQLite format 3", 16) == 0 && header[18] == 2 && header[19] == 2;
}

/* Switches the SQLite file at path from the write-ahead log back to the
 * rollback journal. SQLite does it only for a connection that has the file
 * to itself, without waiting: while another program has it open, the file
 * stays as it is and the next connection tries again. */
static void UseRollbackJournal(const char* path)
{
    if (!InWriteAheadLogMode(path)) return;
    typedef int (*OpenFn)(const char*, void**, int, const char*);
    typedef int (*ExecFn)(void*, const char*, void*, void*, char**);
    typedef int (*CloseFn)(void*);
    void* sqlite = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (!sqlite) sqlite = dlopen("libsqlite3.so.0", RTLD_NOW);
    if (!sqlite) return;
    OpenFn open = (OpenFn)dlsym(sqlite, "sqlite3_open_v2");
    ExecFn exec = (ExecFn)dlsym(sqlite, "sqlite3_exec");
    CloseFn close = (CloseFn)dlsym(sqlite, "sqlite3_close");
    void* db = NULL;
    const int readWrite = 0x00000002; /* SQLITE_OPEN_READWRITE, without CREATE */
    if (open && exec && close && open(path, &db, readWrite, NULL) == 0)
        exec(db, "PRAGMA journal_mode=DELETE", NULL, NULL, NULL);
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

/* A malloc'ed copy of path in which every name that does not exist as
 * written is replaced by the first entry of its folder that matches it
 * without regard to (ASCII) case, as Wine finds files; names that match
 * nothing stay as written. */
static char* MatchCase(const char* path)
{
    char* result = strdup(path);
    if (!result || access(result, F_OK) == 0) return result;
    for (char* start = result + (*result == '/'); *start;) {
        char* end = strchr(start, '/');
        char saved = end ? *end : '\0';
        if (end) *end = '\0';
        if (access(result, F_OK) != 0) {
            /* The folder that holds this name, and the name. */
            char* folder = start > result + 1 ? strndup(result, (size_t)(start - result - 1)) : strdup(start > result ? "/" : ".");
            DIR* dir = folder ? opendir(folder) : NULL;
            struct dirent* entry;
            while (dir && (entry = readdir(dir)) != NULL) {
                if (strlen(entry->d_name) == strlen(start) && strcasecmp(entry->d_name, start) == 0) {
                    memcpy(start, entry->d_name, strlen(start));
                    break;
                }
            }
            if (dir) closedir(dir);
            free(folder);
        }
        if (!end) break;
        *end = saved;
        start = end + 1;
    }
    return result;
}

/*
 * The Unix path (malloc'ed) of a path as the Windows program wrote it:
 *   X:\rest                 the Wine prefix's mapping of drive X (dosdevices/x:), then rest
 *   \\?\X:\rest, \\?\unix\  the same without the long-path prefix; \\?\unix\ names a Unix path
 *   /unix/path              as it is
 *   database\phrases.mdb    relative: with forward slashes, to the working directory
 */
static char* UnixPath(const char* path, size_t length)
{
    char* text = strndup(path, length);
    if (!text) return NULL;
    const char* rest = text;
    if (strncmp(rest, "\\\\?\\", 4) == 0) rest += 4;
    char* base = NULL;
    if (strncasecmp(rest, "unix\\", 5) == 0 || strncasecmp(rest, "unix/", 5) == 0) {
        rest += 4; /* keeps the separator, which becomes the leading slash */
        base = strdup("");
    } else if (isalpha((unsigned char)rest[0]) && rest[1] == ':') {
        const char* prefix = getenv("WINEPREFIX");
        const char* home = getenv("HOME");
        char link[PATH_MAX];
        if (prefix && *prefix) {
            snprintf(link, sizeof link, "%s/dosdevices/%c:", prefix, tolower((unsigned char)rest[0]));
        } else {
            snprintf(link, sizeof link, "%s/.wine/dosdevices/%c:", home ? home : "", tolower((unsigned char)rest[0]));
        }
        base = realpath(link, NULL);
        if (!base) base = strdup(link);
        rest += 2;
        if (base && strcmp(base, "/") == 0) base[0] = '\0'; /* the root: rest starts with the separator */
    }
    size_t size = (base ? strlen(base) : 0) + strlen(rest) + 2;
    char* unixPath = malloc(size);
    if (unixPath) {
        snprintf(unixPath, size, "%s%s", base ? base : "", rest);
        for (char* c = unixPath; *c; ++c)
            if (*c == '\\') *c = '/';
    }
    free(base);
    free(text);
    char* matched = unixPath ? MatchCase(unixPath) : NULL;
    free(unixPath);
    return matched;
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
 * Rewrites "KEY=value;..." attribute by attribute: DBQ becomes Database with
 * the file's Unix path, the rest is kept as it is, and NoCreat, Timeout (and
 * Tracefile when asked for) are added unless given.
 * Values in braces may hold semicolons. Returns a malloc'ed string;
 * *database receives the file's Unix path (malloc'ed), or NULL when none is named.
 */
static char* RewriteConnectionString(const char* in, size_t length, char** database)
{
    *database = NULL;
    const char* trace = getenv("TALVORY_ODBC_TRACE");
    if (trace && !*trace) trace = NULL;
    size_t capacity = length * 2 + PATH_MAX + 80 + (trace ? strlen(trace) : 0);
    char* out = malloc(capacity);
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
                free(*database);
                *database = UnixPath(in + equals + 1, end - equals - 1);
                if (*database && used + strlen(*database) + 12 < capacity) {
                    used += (size_t)sprintf(out + used, "Database=%s;", *database);
                    continue;
                }
            }
        }
        memcpy(out + used, in + start, end - start);
        used += end - start;
        out[used++] = ';';
    }
    if (!hasNoCreat) used += (size_t)sprintf(out + used, "NoCreat=1;");
    if (!hasTimeout) used += (size_t)sprintf(out + used, "Timeout=" BUSY_TIMEOUT_MS ";");
    if (trace && !hasTracefile) used += (size_t)sprintf(out + used, "Tracefile=%s;", trace);
    out[used] = '\0';
    return out;
}

static SQLRETURN Connect(SQLHDBC connection, SQLHWND window, const char* text, size_t length, SQLCHAR* outString,
                         SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    DriverConnectFn next = NextDriverConnect();
    if (!next) return SQL_ERROR;
    LogConnection(text, length);
    char* database = NULL;
    char* rewritten = RewriteConnectionString(text, length, &database);
    if (!rewritten) return SQL_ERROR;
    if (database) UseRollbackJournal(database);
    free(database);
    SQLRETURN rc = next(connection, window, (SQLCHAR*)rewritten, SQL_NTS, outString, outCapacity, outLength, completion);
    free(rewritten);
    return rc;
}

__attribute__((visibility("default"))) SQLRETURN SQLDriverConnect(
    SQLHDBC connection, SQLHWND window, SQLCHAR* inString, SQLSMALLINT inLength, SQLCHAR* outString,
    SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    if (!inString) {
        DriverConnectFn next = NextDriverConnect();
        return next ? next(connection, window, inString, inLength, outString, outCapacity, outLength, completion)
                    : SQL_ERROR;
    }
    size_t length = inLength == SQL_NTS || inLength < 0 ? strlen((const char*)inString) : (size_t)inLength;
    return Connect(connection, window, (const char*)inString, length, outString, outCapacity, outLength, completion);
}

/* UTF-16 text of length units (SQL_NTS: up to its zero) as malloc'ed UTF-8. */
static char* Utf8FromUtf16(const SQLWCHAR* text, SQLSMALLINT length, size_t* utf8Length)
{
    size_t units = 0;
    if (length == SQL_NTS || length < 0) {
        while (text[units]) ++units;
    } else {
        units = (size_t)length;
    }
    char* out = malloc(units * 3 + 1);
    if (!out) return NULL;
    size_t used = 0;
    for (size_t i = 0; i < units; ++i) {
        unsigned long c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out[used++] = (char)c;
        } else if (c < 0x800) {
            out[used++] = (char)(0xC0 | (c >> 6));
            out[used++] = (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[used++] = (char)(0xE0 | (c >> 12));
            out[used++] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[used++] = (char)(0x80 | (c & 0x3F));
        } else {
            out[used++] = (char)(0xF0 | (c >> 18));
            out[used++] = (char)(0x80 | ((c >> 12) & 0x3F));
            out[used++] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[used++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[used] = '\0';
    *utf8Length = used;
    return out;
}

__attribute__((visibility("default"))) SQLRETURN SQLDriverConnectW(
    SQLHDBC connection, SQLHWND window, SQLWCHAR* inString, SQLSMALLINT inLength, SQLWCHAR* outString,
    SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    size_t length = 0;
    char* text = inString ? Utf8FromUtf16(inString, inLength, &length) : NULL;
    if (inString && !text) return SQL_ERROR;
    /* The completed string, which the program does not read, is handed back in ASCII. */
    char completed[1024] = "";
    SQLSMALLINT completedLength = 0;
    SQLRETURN rc = text ? Connect(connection, window, text, length, (SQLCHAR*)completed, sizeof completed,
                                  &completedLength, completion)
                        : SQL_ERROR;
    free(text);
    if (outString && outCapacity > 0) {
        SQLSMALLINT i = 0;
        for (; i < outCapacity - 1 && completed[i]; ++i) outString[i] = (unsigned char)completed[i];
        outString[i] = 0;
    }
    if (outLength) *outLength = completedLength;
    return rc;
}
