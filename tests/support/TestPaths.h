// Where the test programs find the built program and its companions.
#pragma once

#include <string>

// The folder holding Talvory.exe and the test programs, as a Windows path.
std::string BinFolder();
// Talvory.exe, as a Windows path.
std::string TalvoryExecutable();
// A Unix path (as built into the tests) turned into its Windows path on drive Z:.
std::string WindowsPathOf(const std::string& unixPath);
