// The phrase table's operations (store/PhraseStore.h) on a real SQLite file
// through the program's own ODBC connection: values that would break a
// statement pasted together, overflow a buffer or lose a byte are stored and
// read back exactly through every operation; reads leave the file to other
// programs, and writes to a file another program has locked give up quickly.
#include "store/PhraseCommandIds.h"
#include "store/PhraseStore.h"
#include "res/resource.h"
#include "support/TestDatabase.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <functional>
#include <tuple>

namespace {

INT_PTR CALLBACK NoProcedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The phrase editor's combo boxes and text box, in a hidden dialog from the program's resources.
struct Controls {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TALVORY_DIALOG), nullptr, NoProcedure, 0);
    CComboBox categories, phrases;
    Controls() {
        categories.m_hWnd = GetDlgItem(dialog, IDC_CATEGORY_COMBO);
        phrases.m_hWnd = GetDlgItem(dialog, IDC_PHRASE_COMBO);
    }
    ~Controls() { DestroyWindow(dialog); }
    Strings Phrases() { return UiDriver::ComboItems(dialog, IDC_PHRASE_COMBO); }
};

// The bytes that Windows-1252 leaves undefined: a server that stores text
// in Unicode has nothing to turn them into.
bool UndefinedInCodePage(unsigned char c) { return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D; }

// Text of the given length with line breaks, quotes, apostrophes and bytes
// 0x80 to 0xFF (on the server, those the code page defines).
std::string LongText(size_t length) {
    std::string text;
    for (int line = 0; text.size() < length; ++line) {
        unsigned char high = static_cast<unsigned char>(0x80 + line % 0x80);
        if (OnTestServer() && UndefinedInCodePage(high)) high = 0x80;
        text += "Line " + std::to_string(line) + ": " + static_cast<char>(high) + " it's \"so\"; 100%\r\n";
    }
    return text.substr(0, length);
}

}  // namespace

TEST(Store, ValuesAreStoredAndReadBackExactlyThroughEveryOperation) {
    TestDatabase db;
    db.Insert("Sentinel", "Keep", "keep me");
    Controls controls;
    // Each value serves as category name, shortcut name and phrase text at once.
    for (const std::string& value : {std::string("Anna's ''"), std::string("' OR '1'='1"), std::string("x'); DELETE FROM phrase; --"),
                                     std::string("{fn UCASE('x')} ? %s \\ I\xAC`m"), LongText(1023), LongText(1024), LongText(1025),
                                     LongText(70000) /* every byte 0x80 to 0xFF too */}) {
        // The server indexes names, and its index takes names of some 2,700 bytes at most.
        if (db.OnServer() && value.size() > 2700) continue;
        SCOPED_TRACE(value.substr(0, 30) + "... (" + std::to_string(value.size()) + " bytes)");
        std::string stored;  // an added phrase's text keeps each apostrophe as the bytes 0xAC 0x60
        for (char c : value) stored += c == '\'' ? std::string("\xAC`") : std::string(1, c);

        ASSERT_TRUE(InsertPhrase(value));
        controls.categories.InsertString(0, value.c_str());
        controls.categories.SetCurSel(0);
        ASSERT_TRUE(AddPhrase(controls.categories, value, value));
        EXPECT_EQ(db.Rows().back(), (Row{value, value, stored}));
        ListCategories();
        ASSERT_EQ(CategoryList().names.size(), 2u);
        EXPECT_TRUE(CategoryList().names[0].str() == value || CategoryList().names[1].str() == value);
        EXPECT_EQ(CountCategoryPhrases(value), 2);
        EXPECT_EQ(CountCategoryCodes(value, value), 1);
        std::vector<PhraseId> ids;
        ListPhraseCodes(controls.phrases, value, ids);
        EXPECT_EQ(controls.Phrases(), Strings{value});
        ASSERT_EQ(ids.size(), 1u);
        EXPECT_EQ(ReadPhrase(ids[0]).text.str(), stored);

        // Saved over the text shown: stored as an added phrase is; over another text, not at all.
        EXPECT_EQ(UpdateContent(ids[0], value + "!", CString(stored)), ChangeOutcome::Done);
        EXPECT_EQ(UpdateContent(ids[0], "lost", CString(stored)), ChangeOutcome::NothingMatched);
        Strings menu;  // category, code and key of each row, as the menu reads them
        EXPECT_EQ(ForEachMenuRow([&](size_t category, const char* code, PhraseId id) {
            menu.push_back(CategoryList().names[category].str() + "|" + code + "|" + std::to_string(id == ids[0]));
        }), 3);
        EXPECT_EQ(menu, (value < "Sentinel" ? Strings{value + "||0", value + "|" + value + "|1", "Sentinel|Keep|0"}
                                            : Strings{"Sentinel|Keep|0", value + "||0", value + "|" + value + "|1"}));
        EXPECT_EQ(ReadPhraseForCommand(CommandForPhrase(ids[0])).text.str(), stored + "!");
        LoadCategoryPhrases(controls.phrases, value, ids);
        EXPECT_EQ(controls.Phrases(), (Strings{"", value}));

        EXPECT_EQ(DeletePhraseById(ids[1], CString("not its text")), ChangeOutcome::NothingMatched);
        EXPECT_EQ(DeletePhraseById(ids[1], CString(stored + "!")), ChangeOutcome::Done);
        EXPECT_FALSE(ReadPhrase(ids[1]).found);
        EXPECT_TRUE(ReadPhrase(ids[1]).read);
        EXPECT_EQ(DeleteCategoryRows(value), ChangeOutcome::Done);
        ASSERT_EQ(db.Rows(), (Table{{"Sentinel", "Keep", "keep me"}})) << "the table is intact";
    }
    // A byte the code page leaves undefined: the file keeps it; the server refuses it, saying why.
    ASSERT_EQ(AddPhrase(controls.categories, "Odd", "\x81"), !db.OnServer());
    if (db.OnServer()) {
        EXPECT_EQ(LastStoreFailure().kind, StoreFailureKind::Unencodable);
        EXPECT_NE(LastStoreFailure().reason.find(L"0x81"), std::wstring::npos);
    }
}

TEST(Store, ReadsFreeWhatTheyTakeAndWritesToALockedFileGiveUpQuickly) {
    TestDatabase db;
    db.Insert("Greetings", "Hello", "Hello,");
    // A day of use in a moment: the process does not grow with the reads.
    PROCESS_MEMORY_COUNTERS before = {}, after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(CountPhrases() + CountCategoryPhrases("Greetings"), 2);
        EXPECT_EQ(ReadPhrase(1).text.str() + NextShortcutName().str(), "Hello,Shortcut 2");
    }
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(static_cast<double>(after.PagefileUsage) - before.PagefileUsage, 8e6) << "bytes more after 2,000 reads";

    // Another program holds the write lock: writes fail after a short wait, reads go on.
    db.Execute("BEGIN IMMEDIATE");
    DWORD start = GetTickCount();
    EXPECT_FALSE(InsertPhrase("Replies"));
    EXPECT_LT(GetTickCount() - start, 4000u) << "the menu and dialogs would freeze that long";
    EXPECT_EQ(LastStoreFailure().kind, StoreFailureKind::Locked);
    EXPECT_EQ(ReadPhrase(1).text, "Hello,");
    db.Execute("ROLLBACK");
}

namespace {

// The files in the test's database folder.
Strings DatabaseFolder() {
    Strings names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((TestFolder() + "\\database\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (found.cFileName[0] != '.') names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

Strings Categories() {
    ListCategories();
    return Strings(CategoryList().names.begin(), CategoryList().names.end());
}

}  // namespace

// Whatever is done to the file while Talvory runs, the file at the path is
// the database: another file renamed over it, copied over it or restored
// after it was removed is read and changed from the next task on; a removed
// file takes no change, and the refusal names it. No side file stays beside it.
TEST(Store, TheFileAtThePathIsTheDatabaseWhateverIsDoneToIt) {
    TestDatabase db;
    db.Insert("Old", "a", "old text");
    ASSERT_EQ(Categories(), Strings{"Old"});
    const std::wstring path = Wide(TestFolder() + "\\database\\phrases.mdb");
    // Another phrase file, made elsewhere, holding one category.
    auto another = [](const std::string& name, const std::string& category) {
        TestDatabase("elsewhere/" + name + ".mdb").Insert(category, "b", "text of " + category);
        return Wide(TestFolder() + "\\elsewhere\\" + name + ".mdb");
    };
    const std::tuple<const char*, std::function<void()>, std::string> events[] = {
        {"replaced by rename", [&] { MoveFileExW(another("renamed", "Renamed").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); }, "Renamed"},
        {"overwritten in place", [&] { CopyFileW(another("copied", "Copied").c_str(), path.c_str(), FALSE); }, "Copied"},
        {"restored after removal", [&] {
             DeleteFileW(path.c_str());
             EXPECT_FALSE(InsertPhrase("Lost"));
             EXPECT_EQ(LastStoreFailure().kind, StoreFailureKind::Removed);
             EXPECT_NE(LastStoreFailure().reason.find(path), std::wstring::npos) << "the refusal names the file";
             EXPECT_EQ(DatabaseFolder(), Strings{}) << "nothing made in its place";
             CopyFileW(another("backup", "Backup").c_str(), path.c_str(), FALSE);
         }, "Backup"}};
    for (const auto& [what, event, category] : events) {
        SCOPED_TRACE(what);
        event();
        EXPECT_EQ(Categories(), Strings{category});
        EXPECT_TRUE(InsertPhrase("Added"));
        EXPECT_EQ(TestDatabase("database/phrases.mdb", false).Rows(), (Table{{category, "b", "text of " + category}, {"Added", "", ""}}))
            << "the change is in the file at the path";
        EXPECT_EQ(DatabaseFolder(), Strings{"phrases.mdb"}) << "no journal beside it";
    }
}

// A readable database that cannot be written (its folder or the file itself
// read-only, as on a read-only medium): the phrases are read, and a change
// is refused saying so.
TEST(Store, AReadOnlyDatabaseIsReadAndChangesAreRefusedSayingSo) {
    const std::string folder = std::string(std::getenv("TALVORY_TEST_DIR")) + "/database";
    for (const std::string& readOnly : {folder, folder + "/phrases.mdb"}) {
        SCOPED_TRACE(readOnly);
        TestDatabase db;
        db.Insert("Greetings", "Hello", "Hello,");
        // Root may write whatever the modes say: an immutable file or folder it may not.
        UnixCommand("chattr +i '" + readOnly + "' 2>/dev/null || chmod a-w '" + readOnly + "'");
        EXPECT_EQ(Categories(), Strings{"Greetings"});
        EXPECT_EQ(ReadPhrase(1).text, "Hello,");
        EXPECT_FALSE(InsertPhrase("Replies"));
        EXPECT_EQ(LastStoreFailure().kind, StoreFailureKind::ReadOnly);
        EXPECT_NE(LastStoreFailure().reason.find(L"read-only"), std::wstring::npos);
        UnixCommand("chattr -i '" + readOnly + "' 2>/dev/null; chmod u+w '" + readOnly + "'");
        EXPECT_EQ(db.Rows(), (Table{{"Greetings", "Hello", "Hello,"}}));
    }
}

// Run by CTest with only the Access Database Engine's driver name registered
// (tests/CMakeLists.txt): the store connects through it.
TEST(AccessDriver, TheNewerNameServesWhereTheOldOneIsMissing) {
    TestDatabase db;
    db.Insert("Greetings", "Hello", "Hello,");
    EXPECT_EQ(ReadPhrase(1).text, "Hello,");
}
