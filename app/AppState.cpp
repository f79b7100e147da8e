#include "app/AppState.h"

int QuitFlag = 0;
