// The connection layer: one connection attempt per process, and what a
// statement writes to the debugger output.
#include "StoreFixture.h"

#include "store/OdbcConnection.h"
#include "store/PhraseStore.h"

TEST_F(StoreTest, ConnectsOnceWithTheAccessConnectionStringAndReleasesEveryStatement)
{
    EXPECT_TRUE(ProgramConnections().empty()) << "no operation has run yet";
    db.Insert("Greetings", "Hello", "Hello,");
    EXPECT_EQ(CountPhrases(), 1);
    ListCategories();
    EXPECT_TRUE(InsertPhrase("Replies"));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "Hello,");
    EXPECT_EQ(StatementSlot, nullptr);
    EXPECT_EQ(ProgramConnections(), Strings{"DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}"});
}

TEST(StoreWithoutDatabaseTest, MissingFileGivesEmptyResultsForTheRestOfTheProcess)
{
    DebugOutputCapture debugOutput;
    ControlHost controls;
    SetItems(controls.phrases, {"stale"});
    controls.edit.SetWindowText("kept");
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(GetFileAttributesA((TestFolder() + "\\database\\phrases.mdb").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the driver must not create a missing database";

    // The file appears, with rows: the process still sees nothing and writes nothing.
    TestDatabase db;
    db.Insert("Greetings", "", "");
    int hello = db.Insert("Greetings", "Hello", "Hello,");
    ListCategories();
    EXPECT_EQ(CategoryList.count, 0);
    ListPhraseCodes(controls.phrases, "Greetings");
    EXPECT_EQ(Items(controls.phrases), Strings{});
    LoadCategoryPhrases(controls.phrases, controls.edit, "Greetings");
    EXPECT_EQ(controls.edit.GetWindowText(), "kept");
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "");
    EXPECT_EQ(GetContentById(40000 + hello), "");
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 0);
    EXPECT_EQ(NextShortcutName(), "");
    EXPECT_EQ(LoadAllContents(), 0);
    EXPECT_EQ(ForEachCategoryPhrase("Greetings", [](const CString&, int) { ADD_FAILURE(); }), 0);

    SetItems(controls.phrases, {"Hello"});
    SetItems(controls.categories, {"Greetings"});
    EXPECT_FALSE(UpdateContent(controls.phrases, "Greetings", "changed"));
    EXPECT_FALSE(AddPhrase(controls.categories, "Bye", "Goodbye"));
    EXPECT_FALSE(InsertPhrase("Replies"));
    bool deleted = true;
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 0);
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(DeleteCategoryRows("Greetings"));

    EXPECT_EQ(db.Rows().size(), 2u);
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase WHERE code = 'Hello'"), "Hello,");
    EXPECT_EQ(ProgramConnections().size(), 1u) << "the connection is never retried";
    EXPECT_EQ(debugOutput.Text(), "");
}

TEST_F(StoreTest, WritesTheReturnCodeOrOnlyTheDriversMessage)
{
    db.Insert("Greetings", "Hello", "Hello,");
    EXPECT_TRUE(InsertPhrase("Replies"));
    EXPECT_EQ(debugOutput.Text(), "SQL_SUCCESS\n");

    // An UPDATE or DELETE matching no row: the driver's diagnostic text (empty
    // with this driver) and the code's name. The count after it succeeds.
    debugOutput.Clear();
    SetItems(controls.phrases, {"Nobody"});
    EXPECT_FALSE(UpdateContent(controls.phrases, "Greetings", "text"));
    EXPECT_FALSE(DeleteCategoryRows("Nowhere"));
    bool deleted = true;
    EXPECT_EQ(DeletePhrase("Greetings", "Nobody", &deleted), 2);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(debugOutput.Text(), "SQL_NO_DATA\nSQL_NO_DATA\nSQL_NO_DATA\nSQL_SUCCESS\n");

    // A syntax error: only the driver's message, no line end; the connection stays good.
    debugOutput.Clear();
    OpenStatement();
    ASSERT_NE(StatementSlot, nullptr);
    EXPECT_EQ(PrepareAndExecute("SELEC code FROM phrase"), SQL_ERROR);
    ReleaseStatement();
    std::string text = debugOutput.Text();
    EXPECT_NE(text.find("syntax error"), std::string::npos) << text;
    EXPECT_EQ(text.find("SQL_"), std::string::npos) << text;
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(CountPhrases(), 2);

    // A missing table: the driver's message and empty results.
    db.Execute("DROP TABLE phrase");
    debugOutput.Clear();
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(NextShortcutName(), "");
    EXPECT_FALSE(InsertPhrase("Greetings"));
    EXPECT_NE(debugOutput.Text().find("no such table"), std::string::npos) << debugOutput.Text();
}

TEST_F(StoreTest, WritesToALockedDatabaseReportFailureAndReadsStillWork)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    db.MakeReadOnly();
    SetItems(controls.categories, {"Greetings"});
    SetItems(controls.phrases, {"Hello"});
    bool deleted = true;
    // Each write waits for the driver's short busy timeout, then fails.
    DWORD start = GetTickCount();
    EXPECT_FALSE(AddPhrase(controls.categories, "Hi", "Hi,"));
    EXPECT_FALSE(InsertPhrase("Replies"));
    EXPECT_FALSE(UpdateContent(controls.phrases, "Greetings", "changed"));
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 2);
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(DeleteCategoryRows("Greetings"));
    EXPECT_LT(GetTickCount() - start, 25000u);

    std::string text = debugOutput.Text();
    EXPECT_NE(text.find("locked"), std::string::npos) << text;
    EXPECT_EQ(text.find("SQL_SUCCESS"), text.rfind("SQL_SUCCESS")) << "only the count after the delete succeeded";
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "Hello,");
    EXPECT_EQ(db.Rows().size(), 2u);
}
