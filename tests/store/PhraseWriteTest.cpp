// Writing phrases: AddPhrase, UpdateContent, DeletePhrase, and the counts
// NextShortcutName and CountPhrases; what a write reports.
#include "StoreFixture.h"

#include "store/PhraseStore.h"

#include <functional>

namespace {

const std::string StoredApostrophe = Bytes({0xAC, 0x60});

} // namespace

// AddPhrase

TEST_F(StoreControlsTest, AddPhraseStoresThePhraseUnderTheSelectedCategory)
{
    SetItems(controls.list, {"Greetings", "Replies"});
    Select(controls.list, "Replies");
    EXPECT_TRUE(AddPhrase(controls.list, "Thanks", "Thank you.\r\nAnna"));

    std::vector<TestDatabase::Row> rows = db.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].category, "Replies");
    EXPECT_EQ(rows[0].code, "Thanks");
    EXPECT_EQ(rows[0].content, "Thank you.\r\nAnna");
}

TEST_F(StoreControlsTest, AddPhraseStoresEachApostropheOfTheTextAsTheBytesAcAnd60)
{
    SetItems(controls.list, {"Replies"});
    EXPECT_TRUE(AddPhrase(controls.list, "Away", "I'm out; it's 'Monday'"));
    std::string expected =
        "I" + StoredApostrophe + "m out; it" + StoredApostrophe + "s " + StoredApostrophe + "Monday" + StoredApostrophe;
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase"), expected);
    EXPECT_EQ(GetContentByCode("Replies", "Away").str(), expected);
    EXPECT_EQ(expected.size(), std::string("I'm out; it's 'Monday'").size() + 4);
}

TEST_F(StoreControlsTest, AddPhraseKeepsTheCodeAndTheCategoryAsTyped)
{
    SetItems(controls.list, {"Anna's"});
    EXPECT_TRUE(AddPhrase(controls.list, "Don't", "x"));
    std::vector<TestDatabase::Row> rows = db.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].category, "Anna's");
    EXPECT_EQ(rows[0].code, "Don't");
}

TEST_F(StoreControlsTest, AddPhraseStoresOtherBytesUnchanged)
{
    SetItems(controls.list, {"Replies"});
    std::string text = "lone " + Bytes({0xAC}) + " pair " + StoredApostrophe + " backquote ` high " + HighBytes();
    EXPECT_TRUE(AddPhrase(controls.list, "Bytes", text));
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase"), text);
}

TEST_F(StoreControlsTest, AddPhraseWithNoCategorySelectedStoresTheEmptyName)
{
    SetItems(controls.list, {});
    EXPECT_TRUE(AddPhrase(controls.list, "Orphan", "text"));
    std::vector<TestDatabase::Row> rows = db.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].category, "");
}

// UpdateContent

TEST_F(StoreControlsTest, UpdateContentChangesOnlyThatPhraseOfThatCategory)
{
    int greeting = db.Insert("Greetings", "Hello", "Hello,");
    int reply = db.Insert("Replies", "Hello", "Hello to you too.");
    int other = db.Insert("Greetings", "Hi", "Hi,");
    SetItems(controls.combo, {"Hi", "Hello"});
    Select(controls.combo, "Hello");

    EXPECT_TRUE(UpdateContent(controls.combo, "Greetings", "Hello there,\r\n"));
    std::vector<TestDatabase::Row> rows = db.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, greeting);
    EXPECT_EQ(rows[0].content, "Hello there,\r\n");
    EXPECT_EQ(rows[1].id, reply);
    EXPECT_EQ(rows[1].content, "Hello to you too.");
    EXPECT_EQ(rows[2].id, other);
    EXPECT_EQ(rows[2].content, "Hi,");
}

TEST_F(StoreControlsTest, UpdateContentChangesEveryRowWithThatCodeInTheCategory)
{
    db.Insert("Greetings", "Hello", "one");
    db.Insert("Greetings", "Hello", "two");
    SetItems(controls.combo, {"Hello"});
    EXPECT_TRUE(UpdateContent(controls.combo, "Greetings", "both"));
    for (const TestDatabase::Row& row : db.Rows()) EXPECT_EQ(row.content, "both");
}

TEST_F(StoreControlsTest, UpdateContentWithNoShortcutNameStoresNothing)
{
    db.Insert("Greetings", "", "");
    db.Insert("Replies", "", "");
    SetItems(controls.combo, {});
    EXPECT_FALSE(UpdateContent(controls.combo, "Greetings", "lost text"));
    SetItems(controls.combo, {""});
    EXPECT_FALSE(UpdateContent(controls.combo, "Greetings", "lost text"));
    for (const TestDatabase::Row& row : db.Rows()) EXPECT_EQ(row.content, "") << row.category;
    EXPECT_EQ(debugOutput.Text(), "") << "no statement ran";
}

TEST_F(StoreControlsTest, UpdateContentStoresTheTextExactlyAsTyped)
{
    db.Insert("Greetings", "Hello", "old");
    SetItems(controls.combo, {"Hello"});
    std::string text = "It's \"new\"; 100% ' OR '1'='1 " + StoredApostrophe + Bytes({0xAC});
    EXPECT_TRUE(UpdateContent(controls.combo, "Greetings", CString(text)));
    EXPECT_EQ(db.QueryText("SELECT content FROM phrase"), text);
    EXPECT_EQ(GetContentByCode("Greetings", "Hello").str(), text);
}

// DeletePhrase

TEST_F(StoreTest, DeletePhraseRemovesThatPhraseAndCountsWhatIsLeft)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    db.Insert("Replies", "Hello", "Hello to you too.");
    db.Insert("Greetings", "Hi", "Hi,");

    bool deleted = false;
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 3);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "");
    EXPECT_EQ(GetContentByCode("Replies", "Hello"), "Hello to you too.");
}

TEST_F(StoreTest, DeletingTheLastPhraseOfACategoryKeepsTheCategory)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    EXPECT_EQ(DeletePhrase("Greetings", "Hello"), 1);
    ListCategories();
    ASSERT_EQ(CategoryList.count, 1);
    EXPECT_EQ(CategoryList.names[0], "Greetings");
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 1);
}

TEST_F(StoreTest, DeletePhraseReturnsZeroOnlyWhenTheTableIsEmpty)
{
    db.Insert("Greetings", "Hello", "Hello,");
    bool deleted = false;
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 0);
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(db.Rows().empty());
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 0);
    EXPECT_FALSE(deleted);
}

// Counts and the proposed shortcut name

TEST_F(StoreTest, EmptyTableCountsZeroAndProposesShortcutOne)
{
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(DeletePhrase("Greetings", "Hello"), 0);
    EXPECT_EQ(NextShortcutName(), "Shortcut 1");
}

TEST_F(StoreTest, TwoCategoriesWithThreePhrasesCountFiveAndProposeShortcutSix)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    db.Insert("Greetings", "Hi", "Hi,");
    db.Insert("Replies", "", "");
    db.Insert("Replies", "Thanks", "Thank you.");
    EXPECT_EQ(CountPhrases(), 5);
    EXPECT_EQ(NextShortcutName(), "Shortcut 6");
}

// A database the program cannot write

TEST_F(StoreControlsTest, WritesToAReadOnlyDatabaseReportFailureAndReadsStillWork)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    db.MakeReadOnly();
    SetItems(controls.list, {"Greetings"});
    SetItems(controls.combo, {"Hello"});

    // A locked file makes a write wait for the short busy timeout, then fail:
    // it must not hold the program up for long.
    auto failsQuickly = [](const char* what, const std::function<bool()>& write) {
        DWORD start = GetTickCount();
        EXPECT_FALSE(write()) << what;
        EXPECT_LT(GetTickCount() - start, 5000u) << what;
    };
    failsQuickly("AddPhrase", [this] { return AddPhrase(controls.list, "Hi", "Hi,"); });
    failsQuickly("InsertPhrase", [] { return InsertPhrase("Replies"); });
    failsQuickly("UpdateContent", [this] { return UpdateContent(controls.combo, "Greetings", "changed"); });
    failsQuickly("DeletePhrase", [] {
        bool deleted = true;
        EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 2);
        return deleted;
    });
    failsQuickly("DeleteCategoryRows", [] { return DeleteCategoryRows("Greetings"); });

    // Each failed write wrote the driver's message; only the count after the delete succeeded.
    std::string text = debugOutput.Text();
    EXPECT_NE(text.find("locked"), std::string::npos) << text;
    EXPECT_EQ(text.find("SQL_SUCCESS"), text.rfind("SQL_SUCCESS")) << text;

    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "Hello,");
    EXPECT_EQ(CountPhrases(), 2);
    EXPECT_EQ(db.Rows().size(), 2u);
}
