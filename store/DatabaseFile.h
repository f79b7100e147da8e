// The local phrase file: database\phrases.mdb in the program's own folder,
// which start-up makes the current directory, so the path is the same
// whatever folder the program was started from. The store follows the file
// by its identity on disk: a file removed from the path, or replaced there
// by another one (renamed over it, restored from a backup), is noticed at
// the start of each task.
#pragma once

#include <windows.h>

#include <string>

// The full path of the phrase file, from the current directory.
std::wstring DatabaseFilePath();

// Which file lies at a path: its volume and index. Another file put at the
// same path has another index; a file changed in place keeps its own.
struct FileIdentity
{
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;

    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
// The identity of the file at path; false when there is none.
bool IdentifyFile(const std::wstring& path, FileIdentity& identity);

// The size and last write time of the file at path: equal stamps, unchanged file.
struct FileStamp
{
    bool exists = false;
    ULONGLONG size = 0;
    ULONGLONG written = 0;

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && written == other.written;
    }
};
FileStamp StampOf(const std::wstring& path);

// True when a change cannot be written to the file at path: the file cannot
// be opened for writing, or its folder cannot take the journal that a change
// writes beside the file (a read-only folder or medium).
bool IsReadOnlyFile(const std::wstring& path);
