/*
 * The floor for the phrase-store benchmark: the same statements as the
 * program's store runs through ODBC under Wine, run natively with the sqlite3
 * library on a copy of the same database, reading every value as text.
 *
 *   native_floor DATABASE [REPEATS]
 *
 * Prints one line per measurement: name, fastest and median microseconds.
 */
#include "bench_common.h"

#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static sqlite3* db;
static char scratch[1 << 20];

static double NowMicroseconds(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

static int CompareDoubles(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

static void Report(const char* name, double* samples, int count)
{
    qsort(samples, (size_t)count, sizeof *samples, CompareDoubles);
    printf(BENCH_RESULT_FORMAT, name, samples[0], samples[count / 2]);
}

/* Copies a column's text, as the store copies each value it reads. */
static size_t CopyColumn(sqlite3_stmt* statement, int column)
{
    const unsigned char* text = sqlite3_column_text(statement, column);
    size_t length = (size_t)sqlite3_column_bytes(statement, column);
    if (!text) return 0;
    char* copy = malloc(length + 1);
    memcpy(copy, text, length);
    copy[length] = '\0';
    size_t first = (size_t)(unsigned char)copy[0];
    free(copy);
    return first + length;
}

/* Runs a statement to its end, copying every column of every row. */
static size_t Run(const char* sql)
{
    sqlite3_stmt* statement;
    size_t seen = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, NULL) != SQLITE_OK) {
        fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        exit(1);
    }
    while (sqlite3_step(statement) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(statement); ++c) seen += CopyColumn(statement, c);
    sqlite3_finalize(statement);
    return seen;
}

static volatile size_t sink;

static void ListCategories(void)
{
    sink += Run("SELECT DISTINCT category FROM phrase ORDER BY category ASC");
    sink += Run("SELECT DISTINCT category FROM phrase ORDER BY category ASC");
}

static void MenuQueries(void)
{
    for (int i = 0; i < BENCH_CATEGORIES; ++i) {
        snprintf(scratch, sizeof scratch,
                 "SELECT code, PhraseID FROM phrase WHERE category = '" BENCH_CATEGORY_FORMAT "' ORDER BY code ASC", i);
        sink += Run(scratch);
    }
}

static void LoadAllContents(void)
{
    sink += Run("SELECT content , PhraseID FROM phrase");
}

static int nextId = 1;
static void GetContentById(void)
{
    snprintf(scratch, sizeof scratch, "SELECT content FROM phrase WHERE PhraseID = %d", nextId);
    sink += Run(scratch);
    nextId = nextId % 4096 + 1;
}

static const char* AddStatement =
    "INSERT INTO phrase (category, code, content) VALUES ('Category 00', 'Bench code', 'Thank you for your message. "
    "I" "\xac\x60" "ll reply as soon as I can.')";
static const char* DeletePhraseStatement = "DELETE FROM phrase WHERE category = 'Category 00' AND code = 'Bench code'";
static const char* InsertCategoryStatement =
    "INSERT INTO phrase (category, code, content) VALUES ('Bench category', '', '')";
static const char* DeleteCategoryStatement = "DELETE FROM phrase WHERE category = 'Bench category'";

static int updateToggle;
static void UpdateContent(void)
{
    snprintf(scratch, sizeof scratch,
             "UPDATE phrase SET content = 'Updated text %d' WHERE code = 'Phrase 00-01' AND category = 'Category 00'",
             updateToggle++);
    sink += Run(scratch);
}
static void AddPhrase(void) { sink += Run(AddStatement); }
static void DeletePhrase(void)
{
    sink += Run(DeletePhraseStatement);
    sink += Run("SELECT COUNT(PhraseID) FROM phrase");
}
static void InsertPhrase(void) { sink += Run(InsertCategoryStatement); }
static void DeleteCategoryRows(void) { sink += Run(DeleteCategoryStatement); }

static void Measure(const char* name, int repeats, void (*before)(void), void (*timed)(void), void (*after)(void),
                    int callsPerSample)
{
    double* samples = malloc(sizeof(double) * (size_t)repeats);
    timed(); /* warm-up */
    if (after) after();
    for (int r = 0; r < repeats; ++r) {
        if (before) before();
        double start = NowMicroseconds();
        for (int k = 0; k < callsPerSample; ++k) timed();
        samples[r] = (NowMicroseconds() - start) / callsPerSample;
        if (after) after();
    }
    Report(name, samples, repeats);
    free(samples);
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s DATABASE [REPEATS]\n", argv[0]);
        return 2;
    }
    int repeats = argc > 2 ? atoi(argv[2]) : 30;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    /* As the SQLite ODBC driver sets up its connections. */
    sqlite3_busy_timeout(db, 1000);
    Run("PRAGMA synchronous = NORMAL");
    Run("PRAGMA foreign_keys = off");

    Measure("ListCategories", repeats, NULL, ListCategories, NULL, 1);
    Measure("Menu: 64 ForEachCategoryPhrase", repeats, NULL, MenuQueries, NULL, 1);
    Measure("LoadAllContents", repeats, NULL, LoadAllContents, NULL, 1);
    Measure("GetContentById (per call)", repeats, NULL, GetContentById, NULL, 64);
    Measure("AddPhrase", repeats, NULL, AddPhrase, DeletePhrase, 1);
    Measure("UpdateContent", repeats, NULL, UpdateContent, NULL, 1);
    Measure("DeletePhrase (with its count)", repeats, AddPhrase, DeletePhrase, NULL, 1);
    Measure("InsertPhrase", repeats, NULL, InsertPhrase, DeleteCategoryRows, 1);
    Measure("DeleteCategoryRows", repeats, InsertPhrase, DeleteCategoryRows, NULL, 1);
    sqlite3_close(db);
    return sink == 0;
}
