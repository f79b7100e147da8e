#include "TestPaths.h"

std::string WindowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string BinFolder()
{
    return WindowsPathOf(TALVORY_BIN_DIR_UNIX);
}

std::string TalvoryExecutable()
{
    return BinFolder() + "\\Talvory.exe";
}
