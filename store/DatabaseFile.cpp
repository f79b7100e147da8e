#include "store/DatabaseFile.h"

#include "AfxHandles.h"

std::wstring DatabaseFilePath()
{
    const wchar_t relative[] = L"database\\phrases.mdb";
    DWORD size = ::GetFullPathNameW(relative, 0, nullptr, nullptr);
    if (size == 0) return relative;
    std::wstring path(size, L'\0');
    DWORD length = ::GetFullPathNameW(relative, size, &path[0], nullptr);
    path.resize(length < size ? length : 0);
    return path.empty() ? std::wstring(relative) : path;
}

bool IdentifyFile(const std::wstring& path, FileIdentity& identity)
{
    // No access asked for: the file is only looked at, whoever holds it.
    CFileHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(file, &information)) return false;
    identity.volume = information.dwVolumeSerialNumber;
    identity.indexHigh = information.nFileIndexHigh;
    identity.indexLow = information.nFileIndexLow;
    return true;
}

FileStamp StampOf(const std::wstring& path)
{
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

bool IsReadOnlyFile(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return true;
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file && (::GetLastError() == ERROR_ACCESS_DENIED || ::GetLastError() == ERROR_WRITE_PROTECT)) return true;
    // A file of its own in the folder, gone again when closed.
    std::wstring probe = path.substr(0, path.find_last_of(L"\\/") + 1) + L"talvory-write-probe.tmp";
    CFileHandle created(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (created) return false;
    DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}
