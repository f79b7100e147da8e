#include "app/DatabaseFolder.h"

#include "AfxHandles.h"
#include "AfxString.h"

BOOL LocateDatabaseFolder()
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    CString executable(path, static_cast<int>(length));

    // The folder is everything up to and including the last backslash, so
    // any spelling of the file name and any folder name work.
    CString folder = executable.Left(executable.ReverseFind('\\') + 1);
    ::SetCurrentDirectoryA(folder);

    CString pattern;
    pattern.Format("%s%s%s", folder.GetString(), "database\\", "*.mdb");
    WIN32_FIND_DATAA found;
    CFindHandle search(::FindFirstFileA(pattern, &found));
    return search ? TRUE : FALSE;
}
