// The find window: the phrases that have every word typed, shortcut names
// that match first; the phrase chosen is pasted at the caret of the window
// the user was in (Wine's own Notepad), which is active again.
#include "delivery/KeyChord.h"
#include "dialogs/FindPhraseDlg.h"
#include "support/DropTarget.h"
#include "support/TalvoryProcess.h"

#include <gtest/gtest.h>

namespace {

// The shortcut names of the rows listed, in order.
Strings ListedCodes(const CFindPhraseDlg& dialog) {
    Strings codes;
    for (size_t i = 0; i < dialog.RowCount(); ++i) {
        std::string row = dialog.RowText(i);
        size_t from = row.find(" | ") + 3;
        codes.push_back(row.substr(from, row.find(" | ", from) - from));
    }
    return codes;
}

}  // namespace

TEST(Find, ListsThePhrasesHavingEveryWordMatchingShortcutsFirst) {
    TestDatabase db;
    db.Insert("Letters", "", "");  // the category's own row
    db.Insert("Letters", "sign", "Kind regards,\r\nAnna");
    db.Insert("Letters", "Signature", "Anna Berg\nBerg & Lind");
    db.Insert("Replies", "thanks", "Thank you, it\xAC`s kind");
    db.Insert("Forms", "Cosign", "Please sign here");  // a category before Letters
    db.Insert("Addresses", "Home", "Sign at the door");
    db.Insert("Caf\xE9", "men\xFC", "Cr\xE8me br\xFBl\xE9" "e");
    CPhraseSearch phrases;
    ASSERT_TRUE(LoadPhrases(phrases));
    CFindPhraseDlg dialog(phrases);
    ASSERT_TRUE(dialog.Create(IDD_FIND_PHRASE));
    HWND edit = GetDlgItem(dialog, IDC_FIND_TEXT), list = GetDlgItem(dialog, IDC_FIND_LIST);
    const std::pair<const char*, Strings> cases[] = {
        {"", {"Home", "men\xFC", "Cosign", "sign", "Signature", "thanks"}},  // by category, then shortcut
        {"  SIGN ", {"sign", "Signature", "Cosign", "Home"}},  // shortcut starts with it, contains it, the rest
        {"sign a", {"Home", "Cosign", "sign", "Signature"}},  // the whole text starts no shortcut
        {"kind ANNA", {"sign"}},                                // every word
        {"kind", {"sign", "thanks"}},                           // a word taken back
        {"letters berg", {"Signature"}},                        // a word in the category
        {"it's", {"thanks"}},                                   // the stored apostrophe
        {"CR\xC8ME caf\xC9", {"men\xFC"}},                       // Latin-1 letters of either case
        {"MEN\xDC", {"men\xFC"}},
        {"zzz", {}},
    };
    for (const auto& [query, codes] : cases) {
        SetWindowTextA(edit, query);
        EXPECT_EQ(ListedCodes(dialog), codes) << '"' << query << '"';
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), codes.empty() ? -1 : 0) << query;
    }
    SetWindowTextA(edit, "kind");
    EXPECT_EQ(dialog.RowText(0), "Letters | sign | Kind regards, Anna");
    EXPECT_EQ(dialog.RowText(1), "Replies | thanks | Thank you, it's kind");

    // The list's keys pressed in the text box move the selection; the text stays.
    SetWindowTextA(edit, "");
    const std::pair<UINT, LRESULT> keys[] = {{VK_DOWN, 1}, {VK_NEXT, 5}, {VK_UP, 4}, {VK_PRIOR, 0}};
    for (const auto& [key, selected] : keys) {
        SendMessageA(edit, WM_KEYDOWN, key, 1);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), selected) << key;
    }
    EXPECT_EQ(UiDriver::Text(edit), "");
}

namespace {

void SetFindHotkey(const char* chord) {  // null: none
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Talvory", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (chord) RegSetValueExA(key, "FindHotkey", 0, REG_SZ, reinterpret_cast<const BYTE*>(chord), static_cast<DWORD>(strlen(chord) + 1));
    else RegDeleteValueA(key, "FindHotkey");
    RegCloseKey(key);
}

void SetClipboardText(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    PumpUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

// Wine's Notepad, its window and text box.
struct Notepad {
    Notepad() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        char line[] = "notepad.exe";
        CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        for (DWORD start = GetTickCount(); !edit && GetTickCount() - start < 10000; Sleep(20))
            if ((window = FindWindowExA(nullptr, nullptr, "Notepad", nullptr))) edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    }
    ~Notepad() {
        TerminateProcess(process.hProcess, 0);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    std::string Text() const {  // WM_GETTEXT: GetWindowText reads another process's control's title only
        std::string text(static_cast<size_t>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
        text.resize(static_cast<size_t>(SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
        return text;
    }
    PROCESS_INFORMATION process = {};
    HWND window = nullptr, edit = nullptr;
};

}  // namespace

TEST(Find, TheChordOpensTheWindowAndTheChosenPhraseIsPastedAtTheCaretBefore) {
    SetFindHotkey(nullptr);
    TestDatabase db("install/database/phrases.mdb");
    db.Insert("Letters", "sign", "Kind regards,\r\nit\xAC`s Anna");
    db.Insert("Replies", "thanks", "Thank you");
    Notepad notepad;
    ASSERT_NE(notepad.edit, nullptr);
    for (char c : std::string("Hello world")) PostMessageA(notepad.edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    ASSERT_TRUE(PumpUntil([&] { return notepad.Text() == "Hello world"; }, 5000)) << notepad.Text();
    SendMessageA(notepad.edit, EM_SETSEL, 6, 6);  // the caret before "world"
    INPUT corner = {};  // the pointer to the screen's bottom right
    corner.type = INPUT_MOUSE;
    corner.mi.dx = corner.mi.dy = 65535;
    corner.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &corner, sizeof corner);
    SetClipboardText("before");
    UiDriver user;
    auto session = [&](const std::vector<WORD>& chord, const std::function<void(UiDriver&, const TalvoryProcess&, HWND)>& use) {
        TalvoryProcess talvory("install");
        ASSERT_NE(talvory.WaitForTrayWindow(), nullptr);
        user.Start([&](UiDriver& ui) {
            SetForegroundWindow(notepad.window);
            ui.WaitUntil([&] { return GetForegroundWindow() == notepad.window; }, "Notepad in front");
            PressKeyChord(chord);
            use(ui, talvory, ui.WaitForWindow("Find phrase", "#32770", talvory.Id()));
            ui.WaitUntil([&] { return GetForegroundWindow() == notepad.window; }, "Notepad active again");
        });
        EXPECT_TRUE(user.Finish());
        PostMessageA(talvory.WaitForTrayWindow(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(talvory.WaitForExit());
    };
    const std::vector<WORD> findChord = {VK_CONTROL, VK_MENU, 'F'};
    // Enter: the best match; a double click: the row clicked. Each pasted at the caret, apostrophe as typed.
    const std::string text1 = "Hello Kind regards,\r\nit's Anna", text2 = text1 + "Thank you";
    session(findChord, [&](UiDriver& ui, const TalvoryProcess& talvory, HWND find) {
        EXPECT_EQ(UiDriver::Focus(find), GetDlgItem(find, IDC_FIND_TEXT));
        RECT place, area;
        GetWindowRect(find, &place);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        EXPECT_EQ(std::make_pair(place.right, place.bottom), std::make_pair(area.right, area.bottom)) << "fully on screen";
        PressKeyChord(findChord);
        Sleep(500);
        int windows = 0;
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", "Find phrase"));) windows += IsWindowVisible(window);
        EXPECT_EQ(windows, 1) << "one find window";
        ui.Type(find, "kind");
        ui.PressKey(find, IDC_FIND_TEXT, VK_RETURN);
        ui.WaitUntil([&] { return notepad.Text() == text1 + "world"; }, "the phrase pasted");
        SetForegroundWindow(notepad.window);
        ui.WaitUntil([&] { return GetForegroundWindow() == notepad.window; }, "Notepad in front");
        PressKeyChord(findChord);
        find = ui.WaitForWindow("Find phrase", "#32770", talvory.Id());
        HWND list = GetDlgItem(find, IDC_FIND_LIST);
        LPARAM secondRow = MAKELPARAM(20, SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) * 3 / 2);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) PostMessageA(list, message, 0, secondRow);
        ui.WaitUntil([&] { return notepad.Text() == text2 + "world"; }, "the second row pasted");
    });
    EXPECT_EQ(ClipboardText(), "Thank you");
    // Escape, or another window activated: nothing pasted, the clipboard as it was.
    SetClipboardText("before");
    session(findChord, [&](UiDriver& ui, const TalvoryProcess& talvory, HWND find) {
        ui.Type(find, "thanks");
        ui.PressKey(find, IDC_FIND_TEXT, VK_ESCAPE);
        ui.WaitUntil([&] { return !IsWindowVisible(find); }, "the find window to close");
        PressKeyChord(findChord);
        find = ui.WaitForWindow("Find phrase", "#32770", talvory.Id());
        SetForegroundWindow(notepad.window);
        ui.WaitUntil([&] { return !IsWindowVisible(find); }, "the find window to close");
    });
    EXPECT_EQ(notepad.Text(), text2 + "world");
    EXPECT_EQ(ClipboardText(), "before");
    // The chord set for the user.
    SetFindHotkey("Ctrl+Shift+F11");
    session({VK_CONTROL, VK_SHIFT, VK_F11}, [](UiDriver& ui, const TalvoryProcess&, HWND find) { ui.PressKey(find, IDC_FIND_TEXT, VK_ESCAPE); });
    SetFindHotkey(nullptr);
}
