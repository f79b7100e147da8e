// CMenu: an owned menu handle, destroyed with its object unless detached.
#pragma once

#include <windows.h>

class CMenu
{
public:
    CMenu() = default;
    explicit CMenu(HMENU menu) : m_hMenu(menu) {}
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL LoadMenu(UINT id)
    {
        DestroyMenu();
        m_hMenu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        return m_hMenu != nullptr;
    }
    BOOL CreatePopupMenu()
    {
        DestroyMenu();
        m_hMenu = ::CreatePopupMenu();
        return m_hMenu != nullptr;
    }
    void DestroyMenu()
    {
        if (m_hMenu) ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
    }
    HMENU Detach()
    {
        HMENU menu = m_hMenu;
        m_hMenu = nullptr;
        return menu;
    }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

private:
    HMENU m_hMenu = nullptr;
};
