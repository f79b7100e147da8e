// The phrase database of a test: the empty template copied to a path under
// the test's own folder (database/phrases.mdb by default, where the program
// in this process looks for it), and a connection of the test's own through
// the SQLite ODBC driver directly, for arranging and checking rows. Values go
// as parameters, so any bytes round-trip.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

using Row = std::vector<std::string>;  // category, code, content
using Table = std::vector<Row>;

class TestDatabase {
public:
    explicit TestDatabase(const std::string& relativePath = "database/phrases.mdb");
    ~TestDatabase();
    // Runs sql with values for its '?' parameters and returns the first
    // column of its rows ("" for NULL); an error fails the test.
    Row Execute(const std::string& sql, const std::vector<std::string>& values = {}, void* connection = nullptr);
    // Adds a row and returns its PhraseID (id, or the database's choice when 0).
    int Insert(const std::string& category, const std::string& code, const std::string& content, int id = 0);
    Table Rows();  // every row, by PhraseID
    // Holds the write lock in a transaction of a second connection until the object goes.
    void Lock() { Execute("BEGIN IMMEDIATE", {}, m_lock = Connect()); }

private:
    void* Connect();
    std::string m_path;
    void *m_environment = nullptr, *m_connection = nullptr, *m_lock = nullptr;
};

// The test process's own folder (its Unix working directory) as a Windows path.
std::string TestFolder();
// Creates the folders of a Windows path, its last part included.
inline void MakeFolders(const std::string& path) { SHCreateDirectoryExA(nullptr, path.c_str(), nullptr); }
