// The statement texts of the operations, as the driver received them.
#include "StoreFixture.h"

#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

using Statements = std::vector<std::string>;

TEST_F(StoreControlsTest, ReadsRunTheirStatementTexts)
{
    db.InsertWithId(7, "Greetings", "Hello", "Hello,");
    ListCategories();
    ListPhraseCodes(controls.combo, "Greetings");
    LoadCategoryPhrases(controls.combo, controls.edit, "Greetings");
    GetContentByCode("Greetings", "Hello");
    GetContentById(40000 + 7);
    CountCategoryPhrases("Greetings");
    CountPhrases();
    NextShortcutName();
    LoadAllContents();
    ForEachCategoryPhrase("Greetings", [](const CString&, int) {});

    EXPECT_EQ(PreparedStatements(),
              (Statements{
                  "SELECT DISTINCT category FROM phrase ORDER BY category ASC",
                  "SELECT DISTINCT category FROM phrase ORDER BY category ASC",
                  "SELECT code FROM phrase WHERE category = 'Greetings'",
                  "SELECT code, content FROM phrase  WHERE category = 'Greetings'",
                  "SELECT content FROM phrase WHERE code = 'Hello' AND category = 'Greetings'",
                  "SELECT content FROM phrase WHERE PhraseID = 7",
                  "SELECT COUNT(PhraseID) FROM phrase WHERE category = 'Greetings'",
                  "SELECT COUNT(PhraseID) FROM phrase",
                  "SELECT COUNT(PhraseID) FROM phrase",
                  "SELECT content , PhraseID FROM phrase",
                  "SELECT code, PhraseID FROM phrase WHERE category = 'Greetings' ORDER BY code ASC",
              }));
}

TEST_F(StoreControlsTest, WritesRunTheirStatementTexts)
{
    db.Insert("Greetings", "Hello", "Hello,");
    SetItems(controls.list, {"Replies"});
    SetItems(controls.combo, {"Hello"});
    InsertPhrase("Greetings");
    AddPhrase(controls.list, "Away", "I'm out");
    UpdateContent(controls.combo, "Greetings", "Hello there,");
    DeletePhrase("Greetings", "Hello");
    DeleteCategoryRows("Replies");

    EXPECT_EQ(PreparedStatements(),
              (Statements{
                  "INSERT INTO phrase (category, code, content) VALUES ('Greetings', '', '')",
                  "INSERT INTO phrase (category, code, content) VALUES ('Replies', 'Away', 'I" + Bytes({0xAC, 0x60}) +
                      "m out')",
                  "UPDATE phrase SET content = 'Hello there,' WHERE code = 'Hello' AND category = 'Greetings'",
                  "DELETE FROM phrase WHERE category = 'Greetings' AND code = 'Hello'",
                  "SELECT COUNT(PhraseID) FROM phrase",
                  "DELETE FROM phrase WHERE category = 'Replies'",
              }));
}

TEST_F(StoreControlsTest, TypedValuesStandBetweenTheQuotesWithTheirApostrophesDoubled)
{
    SetItems(controls.list, {"Anna's"});
    SetItems(controls.combo, {"' OR '1'='1"});
    InsertPhrase("it's");
    AddPhrase(controls.list, "don't", "x");
    UpdateContent(controls.combo, "it's", "'; DROP TABLE phrase; --");
    GetContentByCode("it's", "a'b");

    EXPECT_EQ(PreparedStatements(),
              (Statements{
                  "INSERT INTO phrase (category, code, content) VALUES ('it''s', '', '')",
                  "INSERT INTO phrase (category, code, content) VALUES ('Anna''s', 'don''t', 'x')",
                  "UPDATE phrase SET content = '''; DROP TABLE phrase; --' WHERE code = ''' OR ''1''=''1' AND "
                  "category = 'it''s'",
                  "SELECT content FROM phrase WHERE code = 'a''b' AND category = 'it''s'",
              }));
}
