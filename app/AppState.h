// Process-wide state of the application shell.
#pragma once

#include <windows.h>

// Set to 1 by the tray menu's Exit; read by the main loop before each wait.
extern int QuitFlag;
// The application's module instance handle, copied once at start-up.
extern HINSTANCE InstanceHandle;
// The identifier of the one-second animation timer; it is never stopped.
extern UINT_PTR AnimationTimerId;
