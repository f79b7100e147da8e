#include "app/TrayMenu.h"

INT_PTR CALLBACK TrayWindowProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
