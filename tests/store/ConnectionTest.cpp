// The connection layer: one connection attempt per process, the statement
// slot, and what ExecuteStatement writes to the debugger output.
#include "StoreFixture.h"

#include "store/OdbcConnection.h"
#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

#include <windows.h>

namespace {

const char ProgramConnectionString[] = "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";

// Runs text through the connection layer as an operation does; the code of the execution.
SQLRETURN RunStatement(const char* text)
{
    SQLRETURN rc = SQL_INVALID_HANDLE;
    OpenStatement();
    EXPECT_NE(StatementSlot, nullptr);
    if (StatementSlot != SQL_NULL_HSTMT) rc = PrepareAndExecute(text);
    ReleaseStatement();
    return rc;
}

} // namespace

TEST_F(StoreTest, ConnectsOnceWithTheAccessConnectionStringWhateverTheNumberOfOperations)
{
    EXPECT_TRUE(ProgramConnections().empty()) << "no operation has run yet";
    db.Insert("Greetings", "Hello", "Hello,");

    EXPECT_EQ(CountPhrases(), 1);
    ListCategories();
    EXPECT_TRUE(InsertPhrase("Replies"));
    EXPECT_EQ(GetContentById(40000 + 1), "Hello,");
    for (int i = 0; i < 20; ++i) CountCategoryPhrases("Greetings");
    EXPECT_EQ(CountPhrases(), 2);

    std::vector<std::string> connections = ProgramConnections();
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_EQ(connections[0], ProgramConnectionString);
}

TEST_F(StoreTest, StatementSlotIsNullAfterEveryOperation)
{
    db.Insert("Greetings", "Hello", "Hello,");
    EXPECT_EQ(StatementSlot, nullptr);
    ListCategories();
    EXPECT_EQ(StatementSlot, nullptr);
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "Hello,");
    EXPECT_EQ(StatementSlot, nullptr);
    EXPECT_TRUE(DeleteCategoryRows("Greetings"));
    EXPECT_EQ(StatementSlot, nullptr);
    // Releasing with no statement open does no harm.
    ReleaseStatement();
    EXPECT_EQ(StatementSlot, nullptr);
    EXPECT_EQ(CountPhrases(), 0);
}

TEST(StoreWithoutDatabaseTest, MissingFileGivesEmptyResultsForTheRestOfTheProcess)
{
    DebugOutputCapture debugOutput;
    ControlHost controls;
    SetItems(controls.combo, {"stale"});
    controls.edit.SetWindowText("kept");

    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(StatementSlot, nullptr);
    EXPECT_EQ(GetFileAttributesA((TestFolder() + "\\database\\phrases.mdb").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the driver must not create a missing database";

    // The file appears, with rows: the process still sees nothing.
    TestDatabase db;
    db.Insert("Greetings", "", "");
    int hello = db.Insert("Greetings", "Hello", "Hello,");
    ListCategories();
    EXPECT_EQ(CategoryList.count, 0);
    FillCategoryCombo(controls.list);
    EXPECT_TRUE(Items(controls.list).empty());
    ListPhraseCodes(controls.combo, "Greetings");
    EXPECT_TRUE(Items(controls.combo).empty());
    EXPECT_EQ(Selected(controls.combo), "(none)");
    LoadCategoryPhrases(controls.combo, controls.edit, "Greetings");
    EXPECT_TRUE(Items(controls.combo).empty());
    EXPECT_EQ(Text(controls.edit), "kept");
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "");
    EXPECT_EQ(GetContentById(40000 + hello), "");
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 0);
    EXPECT_EQ(NextShortcutName(), "");
    EXPECT_EQ(LoadAllContents(), 0);
    EXPECT_EQ(PhraseContents[hello], "");
    EXPECT_EQ(ForEachCategoryPhrase("Greetings", [](const CString&, int) { ADD_FAILURE(); }), 0);

    SetItems(controls.combo, {"Hello"});
    EXPECT_FALSE(UpdateContent(controls.combo, "Greetings", "changed"));
    SetItems(controls.list, {"Greetings"});
    EXPECT_FALSE(AddPhrase(controls.list, "Bye", "Goodbye"));
    EXPECT_FALSE(InsertPhrase("Replies"));
    bool deleted = true;
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 0);
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(DeleteCategoryRows("Greetings"));

    EXPECT_EQ(db.Rows().size(), 2u) << "nothing was written";
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase WHERE code = 'Hello'"), "Hello,");
    EXPECT_EQ(ProgramConnections().size(), 1u) << "the connection is never retried";
    EXPECT_EQ(debugOutput.Text(), "") << "nothing is written when the store is unavailable";
}

TEST_F(StoreTest, SuccessfulStatementsWriteTheirCodeName)
{
    EXPECT_TRUE(InsertPhrase("Greetings"));
    EXPECT_EQ(debugOutput.Text(), "SQL_SUCCESS\n");
    debugOutput.Clear();
    EXPECT_EQ(CountPhrases(), 1);
    EXPECT_EQ(debugOutput.Text(), "SQL_SUCCESS\n");
}

TEST_F(StoreTest, UpdateOrDeleteMatchingNoRowWritesTheDiagnosticThenNoData)
{
    db.Insert("Greetings", "Hello", "Hello,");
    ControlHost controls;
    SetItems(controls.combo, {"Nobody"});
    debugOutput.Clear();

    EXPECT_FALSE(UpdateContent(controls.combo, "Greetings", "text"));
    // The driver has no diagnostic record for it: the diagnostic text is empty.
    EXPECT_EQ(debugOutput.Text(), "SQL_NO_DATA\n");

    debugOutput.Clear();
    EXPECT_FALSE(DeleteCategoryRows("Nowhere"));
    EXPECT_EQ(debugOutput.Text(), "SQL_NO_DATA\n");

    debugOutput.Clear();
    bool deleted = true;
    EXPECT_EQ(DeletePhrase("Greetings", "Nobody", &deleted), 1);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(debugOutput.Text(), "SQL_NO_DATA\nSQL_SUCCESS\n");
    EXPECT_EQ(db.Rows().size(), 1u);
}

TEST_F(StoreTest, SyntaxErrorWritesOnlyTheDriverMessage)
{
    EXPECT_EQ(RunStatement("SELEC code FROM phrase"), SQL_ERROR);
    std::string text = debugOutput.Text();
    EXPECT_NE(text.find("syntax error"), std::string::npos) << text;
    EXPECT_EQ(text.find("SQL_ERROR"), std::string::npos) << text;
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n') << "no line end after the message";
    EXPECT_LE(text.size(), 255u) << "at most the message buffer";

    // The connection is still good for the next statement.
    debugOutput.Clear();
    EXPECT_EQ(RunStatement("SELECT code FROM phrase"), SQL_SUCCESS);
    EXPECT_EQ(debugOutput.Text(), "SQL_SUCCESS\n");
}

TEST_F(StoreTest, MissingTableGivesEmptyResultsAndTheDriverMessage)
{
    db.Execute("DROP TABLE phrase");
    EXPECT_EQ(CountPhrases(), 0);
    std::string text = debugOutput.Text();
    EXPECT_NE(text.find("no such table"), std::string::npos) << text;
    EXPECT_NE(text.back(), '\n');

    ControlHost controls;
    SetItems(controls.combo, {"old"});
    ListPhraseCodes(controls.combo, "Greetings");
    EXPECT_TRUE(Items(controls.combo).empty());
    EXPECT_EQ(NextShortcutName(), "");
    EXPECT_FALSE(InsertPhrase("Greetings"));
}

TEST(StoreLiteralTest, DoublesEveryApostropheAndNothingElse)
{
    EXPECT_EQ(SqlLiteral("plain"), "plain");
    EXPECT_EQ(SqlLiteral("it's"), "it''s");
    EXPECT_EQ(SqlLiteral("''"), "''''");
    EXPECT_EQ(SqlLiteral("' OR '1'='1"), "'' OR ''1''=''1");
    EXPECT_EQ(SqlLiteral("\"; --"), "\"; --");
}

TEST(StoreIntegerTest, ReadsLeadingDecimalDigits)
{
    EXPECT_EQ(LeadingInteger("4096"), 4096);
    EXPECT_EQ(LeadingInteger("12abc"), 12);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("x1"), 0);
    EXPECT_EQ(LeadingInteger("-7"), -7);
    EXPECT_EQ(LeadingInteger("99999999999999"), 2147483647);
}
