// The delivery tests' companion program: "delivery_helper <command>" delivers
// the phrase of a tray-menu command identifier with DeliverPhrase (from
// database/phrases.mdb of the current folder) and ends through the
// framework's exit path, as Talvory does.
#include "AfxApp.h"
#include "AfxInit.h"
#include "delivery/PhraseDelivery.h"

#include <cstdlib>

namespace {

class DeliverAndExitApp : public CWinApp
{
public:
    explicit DeliverAndExitApp(UINT commandId) : m_commandId(commandId) {}

    // Returns false, so that the framework runs ExitInstance.
    BOOL InitInstance() override
    {
        if (AfxOleInit()) DeliverPhrase(m_commandId);
        return FALSE;
    }

private:
    UINT m_commandId;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 1;
    DeliverAndExitApp app(static_cast<UINT>(std::strtoul(argv[1], nullptr, 10)));
    return AfxWinMain(::GetModuleHandleA(nullptr));
}
