#include "app/AppState.h"

int QuitFlag = 0;
HINSTANCE InstanceHandle = nullptr;
UINT_PTR AnimationTimerId = 0;
