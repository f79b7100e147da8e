// A phrase database for one test: database/phrases.mdb under the current folder
// (a fresh temporary folder for each test process), copied from the empty template,
// with a connection of the test's own for arranging and checking rows.
//
// The test's connection uses the SQLite ODBC driver directly, with handles of
// its own: it never makes or touches the program's store connection, and it
// is not counted among the program's connections. Values are passed as
// parameters, so any bytes (0x80-0xFF, 0xAC 0x60, apostrophes) round-trip.
#pragma once

#include <string>
#include <vector>

class TestDatabase {
public:
    TestDatabase();                 // creates ./database/phrases.mdb (empty phrase table)
    explicit TestDatabase(const std::string& relativePath);  // another file, e.g. "database/other.mdb"
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    void Execute(const std::string& sql);                       // fails the test on error
    int Insert(const std::string& category, const std::string& code, const std::string& content); // returns PhraseID
    void InsertWithId(int phraseId, const std::string& category, const std::string& code, const std::string& content);
    struct Row { int id; std::string category, code, content; bool contentIsNull; };
    std::vector<Row> Rows();                                    // every row, by PhraseID
    std::string QueryText(const std::string& sql);              // first column of the first row, "" when none
    // So that the program's writes fail while reads still work: the file is
    // marked read-only and a transaction of the test's own holds the write
    // lock (root ignores file modes), until the TestDatabase goes. Writes then
    // fail after the driver's busy timeout; so do writes through Execute.
    void MakeReadOnly();

    // The file as a Windows path and as the Unix path the ODBC driver opens.
    const std::string& WindowsPath() const { return m_windowsPath; }
    const std::string& UnixPath() const { return m_unixPath; }

private:
    void Create(const std::string& relativePath);
    void* Connect();
    void RunParameterised(const std::string& sql, const std::vector<std::string>& values);

    std::string m_windowsPath;
    std::string m_unixPath;
    void* m_environment = nullptr;
    void* m_connection = nullptr;
    void* m_lockConnection = nullptr;
    bool m_madeReadOnly = false;
};

// The folder each test process runs in (its Unix working directory), as a
// Windows path, whatever the process's current directory has become since.
std::string TestFolder();
// The lines the ODBC driver adapter noted for this test process's (and its
// child processes') program connections, one per SQLDriverConnect.
std::vector<std::string> ProgramConnections();
