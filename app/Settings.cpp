#include "app/Settings.h"

#include <windows.h>

std::wstring ReadSetting(const wchar_t* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Talvory", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring value;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 0) {
        value.resize(size / sizeof(wchar_t) + 1);
        if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &size) == ERROR_SUCCESS) {
            value.resize(size / sizeof(wchar_t));
            while (!value.empty() && value.back() == L'\0') value.pop_back();
        } else {
            value.clear();
        }
    }
    ::RegCloseKey(key);
    return value;
}
