// Talvory's settings: string values under HKCU\Software\Talvory, read at start-up.
//   Hotkey      the chord that opens the tray menu (app/GlobalHotkey.h)
//   Database    an ODBC connection string naming a database server to use
//               instead of the local phrase file
#pragma once

#include <string>

// The setting's text; empty when it is absent or not a string.
std::wstring ReadSetting(const wchar_t* name);
