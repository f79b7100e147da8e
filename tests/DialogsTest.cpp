// The dialogs as the tray menu runs them (modal, over the hidden main
// window) against a real database: the phrase editor, Add New Phrase, Add
// Category and Delete Category, and what each says when a change does not
// reach the database.
#include "support/AppTest.h"

#include "dialogs/CategoryDlg.h"
#include "dialogs/DeleteCategory.h"
#include "res/resource.h"
#include "store/PhraseStore.h"

TEST_F(AppTest, EditorShowsTheChosenPhraseAsTypedAndSavesAndDeletesOnlyThatOne) {
    db.Insert("Bare", "", "");  // a category row alone: the editor opens on its blank item
    db.Insert("Home", "Bye", "See you");
    db.Insert("Home", "Greeting", "Hi, love");
    db.Insert("Home", "GREETING", "It\xAC`s me");  // equal to the one before, as the database compares
    db.Insert("Work", "Thanks", "Thank you all");
    db.Insert("Work", "", "");
    StartProgram();
    Run([] { CBrevixDlg().DoModal(); }, "Talvory", [](UiDriver& ui, HWND editor) {
        // The system menu's "About Talvory...", with its access key, opens the About box.
        char about[64] = {};
        GetMenuStringA(GetSystemMenu(editor, FALSE), IDM_ABOUTBOX, about, sizeof about, MF_BYCOMMAND);
        EXPECT_STREQ(about, "&About Talvory...");
        PostMessageA(editor, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND aboutBox = ui.WaitForWindow("About Morvane");
        ui.PressButton(aboutBox, IDCANCEL);
        ui.WaitUntil([&] { return !IsWindow(aboutBox); }, "the About box to close");

        // No phrase chosen: Save keeps the dialog and the text typed.
        ui.TypeText(editor, IDC_CONTENT_EDIT, "Draft");
        ui.PressButton(editor, IDC_SAVE, "Please pick the phrase to save this text to");
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Draft");

        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        EXPECT_EQ(ui.ComboItems(editor, IDC_PHRASE_COMBO), (Strings{"Bye", "Greeting", "GREETING"}));
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "See you");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 2);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "It's me") << "the twin's own text, apostrophe as typed";
        ui.PressKey(editor, IDC_CONTENT_EDIT, VK_END);
        ui.PressKey(editor, IDC_CONTENT_EDIT, VK_RETURN);  // a new line in the text
        ui.WaitUntil([&] { return ui.Text(editor, IDC_CONTENT_EDIT) == "It's me\r\n"; }, "a new line");
        ui.PressButton(editor, IDC_SAVE);
    });
    EXPECT_EQ(db.Rows(), (Table{{"Bare", "", ""}, {"Home", "Bye", "See you"}, {"Home", "Greeting", "Hi, love"},
                                {"Home", "GREETING", "It\xAC`s me\r\n"}, {"Work", "Thanks", "Thank you all"}, {"Work", "", ""}}));

    // Each deletion shows the first category again; the last one says the table is empty.
    Run([] { CBrevixDlg().DoModal(); }, "Talvory", [&](UiDriver& ui, HWND editor) {
        ui.SelectComboItem(editor, IDC_CATEGORY_COMBO, 1);
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 2);
        // The chosen twin goes alone; then Bare's category row, and no other category's.
        const std::pair<Strings, Table> steps[] = {
            {{"Bare", "Home", "Work"}, {{"Bare", "", ""}, {"Home", "Bye", "See you"}, {"Home", "Greeting", "Hi, love"},
                                       {"Work", "Thanks", "Thank you all"}, {"Work", "", ""}}},
            {{"Home", "Work"}, {{"Home", "Bye", "See you"}, {"Home", "Greeting", "Hi, love"}, {"Work", "Thanks", "Thank you all"}, {"Work", "", ""}}},
            {{"Home", "Work"}, {}}, {{"Work"}, {}}, {{"Work"}, {}}};
        for (const auto& [categories, rows] : steps) {
            ui.PressButton(editor, IDC_DELETE_PHRASE);
            ui.WaitUntil([&] { return ui.ComboItems(editor, IDC_CATEGORY_COMBO) == categories; }, "the categories " + categories[0]);
            if (!rows.empty()) {
                EXPECT_EQ(db.Rows(), rows);
            }
        }
        ui.PressButton(editor, IDC_DELETE_PHRASE, "There is no phrase in the database");
        EXPECT_EQ(ui.ComboItems(editor, IDC_CATEGORY_COMBO), Strings{});
        ui.PressButton(editor, IDCANCEL);
    });
    EXPECT_EQ(db.Rows(), Table{});
}

TEST_F(AppTest, AddNewPhraseProposesANameAndStoresTheTextWhole) {
    db.Insert("Replies", "", "");
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Work", "Greeting", "Good morning, team");
    StartProgram();
    std::string typed, stored;  // longer than a text box takes unless told otherwise
    while (typed.size() < 40000) typed += "Don't forget: it's Anna's turn.\r\n";
    for (char c : typed) stored += c == '\'' ? std::string("\xAC`") : std::string(1, c);

    Run(CBrevixDlg::OnAddNewPhrase, "Add New Phrase", [&](UiDriver& ui, HWND adder) {
        EXPECT_EQ(ui.ComboItems(adder, IDC_ADD_CATEGORY_COMBO), (Strings{"Replies", "Work"}));
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CATEGORY_COMBO) + ", " + ui.Text(adder, IDC_SHORTCUT_EDIT), "Replies, Shortcut 4");
        // Typing goes straight into the shortcut name, replacing the proposal.
        ui.Type(adder, " accept ");  // the twin of Accept, blanks around it or not
        ui.WaitUntil([&] { return ui.Text(adder, IDC_SHORTCUT_EDIT) == " accept "; }, "the name typed");
        ui.PressKey(adder, IDC_SHORTCUT_EDIT, VK_TAB);  // Tab leads on to the text
        ui.WaitUntil([&] { return UiDriver::Focus(adder) == GetDlgItem(adder, IDC_ADD_CONTENT_EDIT); }, "the text box after Tab");
        ui.Type(adder, "Sure");
        ui.WaitUntil([&] { return ui.Text(adder, IDC_ADD_CONTENT_EDIT) == "Sure"; }, "the text typed");
        ui.PressButton(adder, IDOK, "already has a phrase with that shortcut name");
        EXPECT_EQ(ui.Text(adder, IDC_SHORTCUT_EDIT) + ", " + ui.Text(adder, IDC_ADD_CONTENT_EDIT), " accept , Sure");

        ui.SelectComboItem(adder, IDC_ADD_CATEGORY_COMBO, 1);
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, typed);
        ui.PressButton(adder, IDOK, "Phrase added successfully, would you like to add another one?", IDYES);
        EXPECT_EQ(ui.Text(adder, IDC_ADD_CATEGORY_COMBO) + ", " + ui.Text(adder, IDC_SHORTCUT_EDIT) + ", " +
                  ui.Text(adder, IDC_ADD_CONTENT_EDIT), "Work, Shortcut 5, ");
        for (const char* blank : {"", "  "}) {
            ui.TypeText(adder, IDC_SHORTCUT_EDIT, blank);
            ui.PressButton(adder, IDOK, "Please enter a Shortcut name");
        }
        ui.TypeText(adder, IDC_SHORTCUT_EDIT, "Blank");
        ui.PressButton(adder, IDOK, "Content is Empty. Do you really want to save?", IDYES);
        ui.Answer("Phrase added successfully", IDNO);
    });
    EXPECT_TRUE(db.Rows() == (Table{{"Replies", "", ""}, {"Replies", "Accept", "Yes, gladly."}, {"Work", "Greeting", "Good morning, team"},
                                    {"Work", "accept", stored}, {"Work", "Blank", ""}})) << "the added phrases, the long text whole";
}

TEST_F(AppTest, CategoriesAreAddedOnceAndDeletedWholeAfterYes) {
    db.Insert("Replies", "Accept", "Yes, gladly.");
    db.Insert("Bare", "", "");
    db.Insert("Work", "", "");
    db.Insert("Work", "Greeting", "Good morning, team");
    StartProgram();
    Run([] { CCategoryDlg().DoModal(); }, "Add Category", [](UiDriver& ui, HWND dialog) {
        // In use (also by a category row alone, in another case, with blanks around it), or blank.
        const std::pair<const char*, const char*> refused[] = {
            {"Replies", "Category already in database, please select another name"},
            {"Bare", "Category already in database"}, {" replies  ", "Category already in database"},
            {"", "Please enter a Category name"}, {"   ", "Please enter a Category name"}};
        for (const auto& [name, said] : refused) {
            ui.TypeText(dialog, IDC_CATEGORY_NAME, name);
            ui.PressButton(dialog, IDOK, said);
        }
        ui.TypeText(dialog, IDC_CATEGORY_NAME, "");
        ui.Type(dialog, " Letters ");  // into the name box, which has the focus
        ui.PressButton(dialog, IDOK, "Category added Successfully. Would you like to add another one?", IDNO);
    });
    // What the tray menu shows next.
    EXPECT_EQ(Strings(CategoryList().names.begin(), CategoryList().names.end()), (Strings{"Bare", "Letters", "Replies", "Work"}));

    Run([] { CDeleteCategory().DoModal(); }, "Delete Category", [](UiDriver& ui, HWND dialog) {
        EXPECT_EQ(ui.ComboItems(dialog, IDC_DELETE_COMBO), (Strings{"Bare", "Letters", "Replies", "Work"}));
        ui.PressButton(dialog, IDOK, "Are you sure you want to delete?", IDNO);
        ui.SelectComboItem(dialog, IDC_DELETE_COMBO, 3);
        ui.PressButton(dialog, IDOK, "Are you sure you want to delete?", IDYES);
        ui.WaitUntil([&] { return ui.ComboItems(dialog, IDC_DELETE_COMBO).size() == 3; }, "the shorter list");
        ui.PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(db.Rows(), (Table{{"Replies", "Accept", "Yes, gladly."}, {"Bare", "", ""}, {"Letters", "", ""}}));
}

// The file refuses changes (a trigger); on the server, the account may only read.
TEST_F(AppTest, ChangesTheDatabaseRefusesAreReportedWithWhyAndTheInputKept) {
    db.Insert("Replies", "Accept", "Yes, gladly.");
    const std::string why = db.OnServer() ? "Your account can read the team's phrases but not change them." : "the phrases are frozen";
    if (db.OnServer()) UseDatabaseServer(db.ProgramConnection("talvory_test_reader"));
    StartProgram();
    for (const std::string event : {"INSERT", "UPDATE", "DELETE"})
        if (!db.OnServer()) db.Execute("CREATE TRIGGER refuse_" + event + " BEFORE " + event + " ON phrase BEGIN SELECT RAISE(ABORT, 'the phrases are frozen'); END");
    OpenTrayMenu([](UiDriver& ui, HWND menu) { ui.PressMenuKeys(menu, "DRE"); });
    EXPECT_EQ(target->dropped, Strings{"Yes, gladly."}) << "the menu as ever";
    const std::function<void()> edit = [] { CBrevixDlg().DoModal(); }, addCategory = [] { CCategoryDlg().DoModal(); };
    // Each dialog: what is typed into which box, the button, and what the user is told (and answers Yes to).
    const std::tuple<std::function<void()>, const char*, int, const char*, int, Strings> cases[] = {
        {edit, "Talvory", IDC_CONTENT_EDIT, "Good afternoon", IDC_SAVE, {"could not be saved"}},
        {edit, "Talvory", IDC_CONTENT_EDIT, "Good afternoon", IDC_DELETE_PHRASE, {"could not be deleted"}},
        {CBrevixDlg::OnAddNewPhrase, "Add New Phrase", IDC_ADD_CONTENT_EDIT, "Good evening", IDOK, {"could not be saved"}},
        {addCategory, "Add Category", IDC_CATEGORY_NAME, "Letters", IDOK, {"could not be saved"}},
        {[] { CDeleteCategory().DoModal(); }, "Delete Category", 0, "", IDOK, {"Are you sure", "could not be deleted"}}};
    for (const auto& [open, caption, box, typed, button, says] : cases) {
        Run(open, caption, [&](UiDriver& ui, HWND dialog) {
            if (box) ui.TypeText(dialog, box, typed);
            ui.PressButton(dialog, button);
            for (const std::string& text : says) {
                std::string said = ui.Answer(text, text == "Are you sure" ? IDYES : IDOK);
                EXPECT_TRUE(text == "Are you sure" || said.find(why) != std::string::npos) << said;  // and why
            }
            if (box) {
                EXPECT_EQ(ui.Text(dialog, box), typed) << caption;
            }
            ui.PressButton(dialog, IDCANCEL);
        });
    }
    EXPECT_EQ(db.Rows(), (Table{{"Replies", "Accept", "Yes, gladly."}}));

}

namespace {

// A screen area as the X server shows it, as RGB bytes, read by ImageMagick's
// import: Wine's own reads of the screen see Wine's surfaces, not the display.
std::string ScreenPixels(const RECT& area) {
    const std::string file = std::string(std::getenv("TALVORY_TEST_DIR")) + "/screen.rgb";
    char crop[64];
    snprintf(crop, sizeof crop, "%ldx%ld+%ld+%ld", area.right - area.left, area.bottom - area.top, area.left, area.top);
    std::string command = "/bin/sh -c \"import -window root -crop " + std::string(crop) + " -depth 8 rgb:" + file + ".part && mv " +
                          file + ".part " + file + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DeleteFileA((TestFolder() + "\\screen.rgb").c_str());
    // A Unix program: Wine does not wait for its end, so the file is awaited.
    EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    std::string pixels;
    PumpUntil([&] {
        HANDLE in = CreateFileA((TestFolder() + "\\screen.rgb").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (in == INVALID_HANDLE_VALUE) return false;
        pixels.resize(GetFileSize(in, nullptr));
        DWORD read = 0;
        ReadFile(in, &pixels[0], static_cast<DWORD>(pixels.size()), &read, nullptr);
        CloseHandle(in);
        return true;
    }, 15000);
    return pixels;
}

}  // namespace

// What the user sees of a message box over a dialog: the box painted, not a black hole.
TEST_F(AppTest, AMessageBoxOverADialogIsPaintedOnTheDisplay) {
    db.Insert("Replies", "", "");
    StartProgram();
    Run(CBrevixDlg::OnAddNewPhrase, "Add New Phrase", [&](UiDriver& ui, HWND adder) {
        ui.TypeText(adder, IDC_ADD_CONTENT_EDIT, "Thank you");
        ui.PressButton(adder, IDOK);
        RECT box;
        GetWindowRect(ui.WaitForMessageBox("Phrase added successfully"), &box);
        Sleep(500);  // time to paint
        std::string pixels = ScreenPixels(box);
        size_t face = 0;
        for (size_t i = 0; i + 2 < pixels.size(); i += 3) face += static_cast<unsigned char>(pixels[i]) > 200 && pixels[i] == pixels[i + 1];
        EXPECT_GT(face * 3, pixels.size() / 2) << "most of the box shows its light face colour";
        ui.Answer("Phrase added successfully, would you like to add another one?", IDNO);
    });
}

// A text of 100,000 characters without a break neither slows start-up nor
// the editor, and stays whole.
TEST_F(AppTest, AVeryLongTextLeavesStartUpAndTheEditorQuick) {
    std::string text;
    while (text.size() < 100000) text += "abcdefghij";
    db.Insert("A", "long", text);
    db.Insert("A", "short", "Hi");
    DWORD start = GetTickCount();
    StartProgram();
    EXPECT_LT(GetTickCount() - start, 5000u) << "start-up";
    start = GetTickCount();
    Run([] { CBrevixDlg().DoModal(); }, "Talvory", [&](UiDriver& ui, HWND editor) {
        EXPECT_LT(GetTickCount() - start, 5000u) << "the editor's opening";
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), text);
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 1);
        EXPECT_EQ(ui.Text(editor, IDC_CONTENT_EDIT), "Hi");
        ui.SelectComboItem(editor, IDC_PHRASE_COMBO, 0);
        EXPECT_LT(GetTickCount() - start, 8000u) << "choosing phrases";
        // Typed at the end of the long text: the box takes it.
        SendDlgItemMessageA(editor, IDC_CONTENT_EDIT, EM_SETSEL, text.size(), text.size());
        SendDlgItemMessageA(editor, IDC_CONTENT_EDIT, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("!"));
        ui.PressButton(editor, IDC_SAVE);
    });
    // Compared without printing: a failure would print 100,000 characters.
    EXPECT_TRUE(db.Rows() == (Table{{"A", "long", text + "!"}, {"A", "short", "Hi"}})) << "the long text whole, and what was typed";
}
