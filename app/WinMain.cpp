// Talvory's entry point and its process-wide objects, constructed in this
// order before start-up and destroyed in reverse order at exit.
#include "app/TalvoryApp.h"

// The single-instance guard; the handle is closed when static objects are destroyed.
CKernelHandle InstanceMutex(::CreateMutexA(nullptr, FALSE, "{8UASJRZDR1-D9O6-7Y9b5-4T71-PE98939KASB985}"));
DWORD InstanceMutexError = ::GetLastError();

CBrevixApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return AfxWinMain(instance);
}
