// Finding the program's folder and its database folder at start-up.
#pragma once

#include <windows.h>

// Makes the executable's folder the current directory and reports whether its
// "database" folder holds at least one .mdb file.
BOOL LocateDatabaseFolder();
