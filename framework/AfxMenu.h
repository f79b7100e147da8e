// CMenu: an owned menu handle, destroyed with its object (with its submenus).
#pragma once

#include <windows.h>

class CMenu
{
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL LoadMenu(UINT id)
    {
        DestroyMenu();
        m_hMenu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        return m_hMenu != nullptr;
    }
    void DestroyMenu()
    {
        if (m_hMenu) ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
    }
    operator HMENU() const { return m_hMenu; }

private:
    HMENU m_hMenu = nullptr;
};
