// A small companion program of the delivery tests, started as a child process:
//   delivery_helper deliver <file>            puts the file's bytes on the clipboard
//                                             with CopyPhraseToClipboard and ends
//                                             through the framework's exit path
//   delivery_helper deliver-phrase <command>  delivers the phrase of a tray-menu
//                                             command identifier with DeliverPhrase
//                                             (database/phrases.mdb of the current
//                                             folder) and ends the same way
//   delivery_helper drag-settings <file>      writes the drag settings it reads,
//                                             then again after setting DragDelay
//                                             to 1500 in the profile
//   delivery_helper hold <ready> <release>    opens the clipboard, signals the
//                                             event <ready>, keeps the clipboard
//                                             open until the event <release>
#include "AfxApp.h"
#include "AfxDataSource.h"
#include "AfxInit.h"
#include "delivery/PhraseDelivery.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class DeliverAndExitApp : public CWinApp
{
public:
    explicit DeliverAndExitApp(std::string text) : m_text(std::move(text)) {}
    explicit DeliverAndExitApp(UINT commandId) : m_commandId(commandId) {}

    // Delivers and returns false, so that the framework runs ExitInstance.
    BOOL InitInstance() override
    {
        if (!AfxOleInit()) return FALSE;
        if (m_commandId)
            DeliverPhrase(m_commandId);
        else
            CopyPhraseToClipboard(CString(m_text));
        return FALSE;
    }

private:
    std::string m_text;
    UINT m_commandId = 0;
};

int HoldClipboard(const char* readyName, const char* releaseName)
{
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
    HANDLE release = ::OpenEventA(SYNCHRONIZE, FALSE, releaseName);
    if (!ready || !release) return 2;
    if (!::OpenClipboard(nullptr)) return 3;
    ::SetEvent(ready);
    ::WaitForSingleObject(release, 60000);
    ::CloseClipboard();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "deliver") == 0) {
        std::ifstream file(argv[2], std::ios::binary);
        if (!file) return 2;
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        DeliverAndExitApp app(text);
        return AfxWinMain(::GetModuleHandleA(nullptr));
    }
    if (argc == 3 && std::strcmp(argv[1], "deliver-phrase") == 0) {
        DeliverAndExitApp app(static_cast<UINT>(std::strtoul(argv[2], nullptr, 10)));
        return AfxWinMain(::GetModuleHandleA(nullptr));
    }
    if (argc == 3 && std::strcmp(argv[1], "drag-settings") == 0) {
        std::ofstream out(argv[2]);
        out << AfxGetDragSettings().minDistance << ' ' << AfxGetDragSettings().delay << '\n';
        ::WriteProfileStringA("windows", "DragDelay", "1500");
        COleDropSource dropSource;
        out << dropSource.m_dragMinDist << ' ' << dropSource.m_dragDelay << '\n';
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return HoldClipboard(argv[2], argv[3]);
    return 1;
}
