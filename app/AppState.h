// Process-wide state of the application shell.
#pragma once

// Set to 1 by the tray menu's Exit; read by the main loop before each wait.
extern int QuitFlag;
