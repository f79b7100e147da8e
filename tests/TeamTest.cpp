// A library shared by several people (on the team's database server, or a
// file they share): what one changes, another's next menu shows; a phrase
// changed or deleted by someone else since the editor showed it is never
// overwritten unasked. On the server: a server that cannot be reached is
// named within seconds, and used again once it is back without a restart.
#include <winsock2.h>

#include "support/AppTest.h"

#include "dialogs/CategoryDlg.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

#include <fstream>

class Editing : public AppTest {};
class Team : public AppTest {};

TEST_F(Editing, AnotherUsersChangesAreSeenAndNeverOverwrittenUnasked) {
    const std::string hello = std::to_string(db.Insert("Greetings", "Hello", "Hello,"));
    StartProgram();
    auto theirs = [&](const std::string& text) { db.Execute("UPDATE phrase SET content = ? WHERE PhraseID = " + hello, {text}); };
    // Added and changed by someone else since start-up: the next menu has it, as it is now.
    db.Insert("Greetings", "Bye", "Bye for now");
    theirs("Hello, all");
    OpenTrayMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "DRDE"); });
    EXPECT_EQ(target->dropped, Strings{"Hello, all"});
    // Deleted while the menu was open: said, not a silent nothing.
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        ui.PressMenuKeys(menu, "DR");
        db.Execute("DELETE FROM phrase WHERE code = 'Bye'");
        ui.PressMenuKeys(menu, "E");
        ui.Answer("has been deleted", IDOK);
    });
    EXPECT_EQ(target->dropped, Strings{"Hello, all"});

    // The editor shows "Hello, all"; someone else changes it meanwhile, again and again.
    Run([] { CBrevixDlg().DoModal(); }, "Talvory", [&](UiDriver& ui, HWND editor) {
        const std::tuple<const char*, int, int, const char*> steps[] = {
            {"Theirs", IDC_SAVE, IDNO, "Theirs"}, {"Theirs again", IDC_DELETE_PHRASE, IDNO, "Theirs again"}, {"Third", IDC_SAVE, IDYES, ""}};
        for (const auto& [changed, button, answer, shown] : steps) {
            ui.TypeText(editor, IDC_CONTENT_EDIT, "Mine");
            theirs(changed);
            ui.PressButton(editor, button, "Someone else has changed this phrase", answer);
            if (*shown) {
                EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), shown) << "No keeps their text and shows it";
            }
        }
    });
    EXPECT_EQ(db.Rows(), (Table{{"Greetings", "Hello", "Mine"}})) << "Yes saves over theirs";
    Run([] { CBrevixDlg().DoModal(); }, "Talvory", [&](UiDriver& ui, HWND editor) {
        ui.TypeText(editor, IDC_CONTENT_EDIT, "Keep me");
        db.Execute("DELETE FROM phrase");
        ui.PressButton(editor, IDC_SAVE, "has been deleted by someone else");
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Keep me");
        ui.PressButton(editor, IDCANCEL);
    });
    EXPECT_EQ(db.Rows(), Table{});
    if (db.OnServer()) return;

    // Another file put at the path while the menu was open (a restore, a
    // sync tool): the key chosen may name another phrase there, so nothing is
    // delivered, and the user is told why.
    const long long again = db.Insert("Greetings", "Hello", "Hello again");
    TestDatabase("elsewhere/phrases.mdb").Insert("Greetings", "Hello", "another file's phrase", again);
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        ui.PressMenuKeys(menu, "DR");
        MoveFileExA((TestFolder() + "\\elsewhere\\phrases.mdb").c_str(), (TestFolder() + "\\database\\phrases.mdb").c_str(),
                    MOVEFILE_REPLACE_EXISTING);
        ui.PressMenuKeys(menu, "E");
        ui.Answer("was replaced by another file while the menu was open", IDOK);
    });
    EXPECT_EQ(target->dropped, Strings{"Hello, all"});
}

namespace {

// A link to the test server that the test can cut and mend, and one that
// takes everything and answers nothing: bench/delay-proxy.py on a port of its own.
class Link {
public:
    explicit Link(int delayMs = 0) : m_delay(delayMs) {
        WSADATA sockets;
        WSAStartup(MAKEWORD(2, 2), &sockets);
        Open(0);
    }
    ~Link() { Cut(); }
    void Open(int port) {
        std::string server = TestServer();
        size_t at = server.find("PORT=") + 5;
        std::string file = std::string(std::getenv("TALVORY_TEST_DIR")) + "/link";
        UnixCommand("python3 '" TALVORY_SOURCE_DIR "/bench/delay-proxy.py' " + std::to_string(port) + " 127.0.0.1 " +
                    server.substr(at, server.find(';', at) - at) + " " + std::to_string(m_delay) + " > '" + file +
                    ".port' & echo $! > '" + file + ".pid'");
        std::ifstream(file + ".pid") >> m_pid;
        m_port = port;
        for (DWORD start = GetTickCount(); !Listening() && GetTickCount() - start < 10000; Sleep(20))
            if (!port) std::ifstream(file + ".port") >> m_port;
    }
    void Cut() { UnixCommand("kill " + std::to_string(m_pid)); }
    void Mend() { Open(m_port); }
    std::wstring Connection(const TestDatabase& db) const {
        std::wstring text = db.ProgramConnection();
        size_t at = text.find(L"PORT=") + 5;
        return text.replace(at, text.find(L';', at) - at, std::to_wstring(m_port));
    }
    std::wstring Server() const { return L"127.0.0.1:" + std::to_wstring(m_port); }

private:
    bool Listening() const {
        SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool listening = m_port && connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        closesocket(probe);
        return listening;
    }

    int m_delay;
    int m_port = 0;
    int m_pid = 0;
};

}  // namespace

TEST_F(Team, AServerThatCannotBeReachedIsNamedWithinSecondsAndUsedAgainOnceBack) {
    db.Insert("Greetings", "Hello", "Hello,");
    Link link;
    UseDatabaseServer(link.Connection(db));
    StartProgram();
    link.Cut();  // the server stopped, or the network down: the connection goes
    DWORD start = GetTickCount();
    std::string said;
    OpenTrayMenu([&](UiDriver& ui, HWND menu) {
        char text[512] = {};
        GetMenuStringA(reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0)), 0, text, sizeof text, MF_BYPOSITION);
        said = text;
        ui.PressMenuKeys(menu, "X");
    });
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_NE(said.find("cannot be reached"), std::string::npos) << said;
    EXPECT_NE(Wide(said).find(link.Server()), std::wstring::npos) << said << ": the menu names the server";
    Run([] { CCategoryDlg().DoModal(); }, "Add Category", [&](UiDriver& ui, HWND dialog) {
        ui.TypeText(dialog, IDC_CATEGORY_NAME, "Later");
        ui.PressButton(dialog, IDOK);
        said = ui.Answer("could not be saved", IDOK);
        EXPECT_NE(Wide(said).find(link.Server()), std::wstring::npos) << said;
        EXPECT_EQ(ui.Text(dialog, IDC_CATEGORY_NAME), "Later");
        link.Mend();  // back: the next try works, without a restart
        ui.PressButton(dialog, IDOK, "Category added Successfully", IDNO);
    });
    EXPECT_EQ(db.Rows(), (Table{{"Greetings", "Hello", "Hello,"}, {"Later", "", ""}}));

    // A server that takes the connection and never answers: the login gives up in seconds.
    Link silent(100000);
    UseDatabaseServer(silent.Connection(db));
    start = GetTickCount();
    EXPECT_NE(DescribeDatabaseProblem().find(silent.Server()), std::wstring::npos);
    EXPECT_LT(GetTickCount() - start, 6000u);
}
