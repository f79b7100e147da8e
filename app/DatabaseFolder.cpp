#include "app/DatabaseFolder.h"

#include "AfxHandles.h"

#include <string>

BOOL LocateDatabaseFolder()
{
    // Wide throughout: the folder may be named in any alphabet.
    std::wstring executable(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, &executable[0], static_cast<DWORD>(executable.size()));
        if (length < executable.size()) {
            executable.resize(length);
            break;
        }
        executable.resize(executable.size() * 2);
    }

    // The folder is everything up to and including the last backslash, so
    // any spelling of the file name and any folder name work.
    std::wstring folder = executable.substr(0, executable.find_last_of(L'\\') + 1);
    ::SetCurrentDirectoryW(folder.c_str());

    WIN32_FIND_DATAW found;
    CFindHandle search(::FindFirstFileW((folder + L"database\\*.mdb").c_str(), &found));
    return search ? TRUE : FALSE;
}
