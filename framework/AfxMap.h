// CMapPtrToPtr: a map from pointers to pointers that owns neither.
#pragma once

#include <windows.h>

#include <unordered_map>

class CMapPtrToPtr
{
public:
    BOOL Lookup(void* key, void*& value) const
    {
        auto it = m_map.find(key);
        if (it == m_map.end()) return FALSE;
        value = it->second;
        return TRUE;
    }
    void SetAt(void* key, void* value) { m_map[key] = value; }
    BOOL RemoveKey(void* key) { return m_map.erase(key) != 0; }

private:
    std::unordered_map<void*, void*> m_map;
};
