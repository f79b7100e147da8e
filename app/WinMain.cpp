// Talvory's entry point and its process-wide objects, constructed in this
// order before start-up and destroyed in reverse order at exit.
#include "app/TalvoryApp.h"

namespace {

// Closes the single-instance mutex when static objects are destroyed.
struct InstanceMutexCloser
{
    ~InstanceMutexCloser()
    {
        if (InstanceMutex) ::CloseHandle(InstanceMutex);
    }
};

} // namespace

HANDLE InstanceMutex = ::CreateMutexA(nullptr, FALSE, "{8UASJRZDR1-D9O6-7Y9b5-4T71-PE98939KASB985}");
DWORD InstanceMutexError = ::GetLastError();
static InstanceMutexCloser instanceMutexCloser;

CBrevixApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return AfxWinMain(instance);
}
