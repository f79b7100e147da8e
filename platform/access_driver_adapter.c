/*
 * A unixODBC driver standing in for the Microsoft Access driver on this host.
 *
 * Talvory connects with an Access-style connection string
 *     DBQ=Z:\path\to\database\phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}
 * and the phrase database here is an SQLite file. This library defines only
 * SQLDriverConnect: it rewrites the string for the SQLite ODBC driver and
 * hands it on to the SQLite driver's own SQLDriverConnect. The library is linked against the SQLite driver, so the
 * driver manager finds every other entry point there. The rewriting:
 *   - DBQ becomes Database, its Windows path the Unix path of the same file:
 *     a drive letter through the Wine prefix's drive mapping, each name
 *     matched as Wine matches it where no exact match exists: without regard
 *     to case, or as the short (8.3) name Wine gives a long one (a relative
 *     path stays relative to the working directory);
 *   - NoCreat=1, so that a missing file fails the connection as it does with
 *     Access, and a short busy timeout, so that a locked file cannot freeze
 *     the menu.
 * A path with letters outside the program's code page comes as its short
 * name: the driver manager would keep only the low byte of each character of
 * a wide connection string (and a driver with a wide entry point is taken
 * for a Unicode driver, whose every other call the SQLite driver lacks).
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

/* Wine's own lower case of a UTF-16 unit, for the letters of the Latin,
 * Greek and Cyrillic alphabets (enough for short names of those; others
 * are matched by their pattern, see FindShortName). */
static unsigned LowerCase(unsigned c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x481) ||
        (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE)) return c & 1 ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    return c;
}

/* A character that a short name cannot hold: Wine puts '_' in its place. */
static int InvalidInShortName(unsigned c)
{
    return c > 0x7F || (c && strchr("*?<>|\"+=,;[] ~.", (int)c) != NULL);
}

/* UTF-8 name to UTF-16 units; returns how many (at most capacity). */
static size_t Utf16FromUtf8(const char* text, unsigned short* out, size_t capacity)
{
    size_t n = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p && n + 2 <= capacity;) {
        unsigned long c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more) c &= 0x3F >> more;
        for (; more > 0 && (*p & 0xC0) == 0x80; --more) c = (c << 6) | (*p++ & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            out[n++] = (unsigned short)(0xD800 + (c >> 10));
            c = 0xDC00 + (c & 0x3FF);
        }
        out[n++] = (unsigned short)c;
    }
    return n;
}

/* The short (8.3) name Wine gives the long name (UTF-16, length units) that
 * is not an 8.3 name itself: its first four characters, '~' (more when the
 * name is shorter), three characters of a hash of the whole name, and the
 * first three characters of its extension, in capitals. */
static void WineShortName(const unsigned short* name, size_t length, char* out)
{
    static const char hashChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    unsigned short hash = 0xBEEF;
    for (size_t i = 0; i + 1 < length; ++i)
        hash = (unsigned short)((hash << 3) ^ (hash >> 5) ^ LowerCase(name[i]) ^ (LowerCase(name[i + 1]) << 8));
    hash = (unsigned short)((hash << 3) ^ (hash >> 5) ^ LowerCase(name[length - 1]));
    const unsigned short* extension = NULL;
    for (size_t i = 1; i + 1 < length; ++i)
        if (name[i] == '.') extension = name + i;
    char* to = out;
    int left = 4;
    for (const unsigned short* c = name; left > 0 && c != name + length && c != extension; --left, ++c)
        *to++ = InvalidInShortName(*c) ? '_' : (char)toupper(*c);
    while (left-- >= 0) *to++ = '~';
    *to++ = hashChars[(hash >> 10) & 0x1F];
    *to++ = hashChars[(hash >> 5) & 0x1F];
    *to++ = hashChars[hash & 0x1F];
    if (extension) {
        *to++ = '.';
        for (const unsigned short* c = extension + 1; c < extension + 4 && c < name + length; ++c)
            *to++ = InvalidInShortName(*c) ? '_' : (char)toupper(*c);
    }
    *to = '\0';
}

/* The entry of folder that name stands for when it is not there as written:
 * one that matches without regard to (ASCII) case, or whose Wine short name
 * is name; failing that, the one entry whose short name matches in all but
 * the hash (a letter of another alphabet folded otherwise by Wine). Returns
 * a malloc'ed entry name, or NULL. */
static char* FindEntry(const char* folder, const char* name)
{
    DIR* dir = opendir(folder);
    if (!dir) return NULL;
    char* exact = NULL;
    char* pattern = NULL;
    int patterns = 0;
    size_t nameLength = strlen(name);
    struct dirent* entry;
    while (!exact && (entry = readdir(dir)) != NULL) {
        if (strcasecmp(entry->d_name, name) == 0) {
            exact = strdup(entry->d_name);
            break;
        }
        if (!strchr(name, '~') || nameLength > 12) continue;
        unsigned short wide[256];
        size_t length = Utf16FromUtf8(entry->d_name, wide, 256);
        if (length == 0) continue;
        char shortName[16];
        WineShortName(wide, length, shortName);
        if (strcasecmp(shortName, name) == 0) {
            exact = strdup(entry->d_name);
        } else if (strlen(shortName) == nameLength) {
            const char* tilde = strrchr(shortName, '~');
            size_t hashAt = (size_t)(tilde - shortName) + 1;
            if (strncasecmp(shortName, name, hashAt) == 0 && strcasecmp(shortName + hashAt + 3, name + hashAt + 3) == 0) {
                free(pattern);
                pattern = strdup(entry->d_name);
                ++patterns;
            }
        }
    }
    closedir(dir);
    if (exact) {
        free(pattern);
        return exact;
    }
    if (patterns == 1) return pattern;
    free(pattern);
    return NULL;
}

/* A malloc'ed copy of path in which every name that does not exist as
 * written is replaced by the entry of its folder that it stands for (see
 * FindEntry); names that stand for nothing stay as written. */
static char* ResolveNames(const char* path)
{
    if (access(path, F_OK) == 0) return strdup(path);
    char resolved[PATH_MAX];
    size_t used = 0;
    const char* start = path;
    if (*start == '/') {
        resolved[used++] = '/';
        ++start;
    }
    resolved[used] = '\0';
    while (*start) {
        const char* end = strchr(start, '/');
        size_t length = end ? (size_t)(end - start) : strlen(start);
        char name[PATH_MAX];
        snprintf(name, sizeof name, "%.*s", (int)length, start);
        char candidate[PATH_MAX];
        snprintf(candidate, sizeof candidate, "%s%s", resolved, name);
        const char* chosen = name;
        char* found = NULL;
        if (access(candidate, F_OK) != 0) {
            found = FindEntry(used ? resolved : ".", name);
            if (found) chosen = found;
        }
        used += (size_t)snprintf(resolved + used, sizeof resolved - used, "%s%s", chosen, end ? "/" : "");
        free(found);
        if (used >= sizeof resolved) return strdup(path);
        if (!end) break;
        start = end + 1;
    }
    return strdup(resolved);
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
    char* matched = unixPath ? ResolveNames(unixPath) : NULL;
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
