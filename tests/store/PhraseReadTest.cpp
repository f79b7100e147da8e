// Reading phrases: ListPhraseCodes, LoadCategoryPhrases, GetContentByCode,
// GetContentById, LoadAllContents with PhraseContents, ForEachCategoryPhrase.
#include "StoreFixture.h"

#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

#include <utility>

namespace {

std::vector<std::pair<std::string, int>> CategoryPhrases(const CString& category, int* visited = nullptr)
{
    std::vector<std::pair<std::string, int>> phrases;
    int count = ForEachCategoryPhrase(category, [&phrases](const CString& code, int phraseId) {
        phrases.emplace_back(code.str(), phraseId);
    });
    if (visited) *visited = count;
    return phrases;
}

} // namespace

// ListPhraseCodes

TEST_F(StoreControlsTest, ListPhraseCodesGivesTheNonEmptyCodesOfTheCategory)
{
    // Inserted in the order of their codes, the order the query returns them.
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Dear Sir", "Dear Sir,");
    db.Insert("Replies", "Thanks", "Thank you.");
    db.Insert("Greetings", "Hello", "Hello,");
    db.Insert("Greetings", "Hello", "Hello again,");

    ListPhraseCodes(controls.combo, "Greetings");
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{"Dear Sir", "Hello", "Hello"}));
    EXPECT_EQ(Selected(controls.combo), "Dear Sir");
}

TEST_F(StoreControlsTest, ListPhraseCodesOfACategoryWithOnlyItsCategoryRowEmptiesTheCombo)
{
    db.Insert("Greetings", "", "");
    SetItems(controls.combo, {"stale", "items"});
    ListPhraseCodes(controls.combo, "Greetings");
    EXPECT_TRUE(Items(controls.combo).empty());
    EXPECT_EQ(Selected(controls.combo), "(none)");
}

// LoadCategoryPhrases

TEST_F(StoreControlsTest, LoadCategoryPhrasesListsEveryCodeAndShowsTheLastRowsText)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Dear Sir", "Dear Sir,");
    db.Insert("Replies", "Thanks", "Thank you.");
    db.Insert("Greetings", "Hello", "Hello,\r\n\r\nThank you for your letter.");

    LoadCategoryPhrases(controls.combo, controls.edit, "Greetings");
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{"", "Dear Sir", "Hello"}));
    EXPECT_EQ(controls.combo.GetCurSel(), 0);
    EXPECT_EQ(Text(controls.edit), "Hello,\r\n\r\nThank you for your letter.");
}

TEST_F(StoreControlsTest, LoadCategoryPhrasesOfANewCategoryGivesOneEmptySelectedItem)
{
    db.Insert("Greetings", "", "");
    controls.edit.SetWindowText("previous text");
    LoadCategoryPhrases(controls.combo, controls.edit, "Greetings");
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{""}));
    EXPECT_EQ(controls.combo.GetCurSel(), 0);
    EXPECT_EQ(Text(controls.edit), "");
}

TEST_F(StoreControlsTest, LoadCategoryPhrasesOfAnUnknownCategoryKeepsTheEditText)
{
    db.Insert("Greetings", "Hello", "Hello,");
    SetItems(controls.combo, {"stale"});
    controls.edit.SetWindowText("previous text");
    LoadCategoryPhrases(controls.combo, controls.edit, "Nowhere");
    EXPECT_TRUE(Items(controls.combo).empty());
    EXPECT_EQ(Selected(controls.combo), "(none)");
    EXPECT_EQ(Text(controls.edit), "previous text");
}

TEST_F(StoreControlsTest, LoadCategoryPhrasesShowsLongTextsWhole)
{
    std::string text = LongText(1500);
    db.Insert("Letters", "Long", text);
    LoadCategoryPhrases(controls.combo, controls.edit, "Letters");
    EXPECT_EQ(Text(controls.edit), text);
}

// GetContentByCode

TEST_F(StoreTest, GetContentByCodeReadsThePhraseOfThatCategory)
{
    db.Insert("Greetings", "Hello", "Hello,");
    db.Insert("Replies", "Hello", "Hello to you too.");
    EXPECT_EQ(GetContentByCode("Replies", "Hello"), "Hello to you too.");
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "Hello,");
    EXPECT_EQ(GetContentByCode("Greetings", "Nobody"), "");
    EXPECT_EQ(GetContentByCode("Nowhere", "Hello"), "");
}

TEST_F(StoreTest, GetContentByCodeReadsTheFirstOfTwoEqualCodes)
{
    db.Insert("Greetings", "Hello", "first");
    db.Insert("Greetings", "Hello", "second");
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "first");
}

TEST_F(StoreTest, GetContentByCodeReadsLongTextsWhole)
{
    std::string text = LongText(1500);
    db.Insert("Letters", "Long", text);
    EXPECT_EQ(GetContentByCode("Letters", "Long").str(), text);
}

// GetContentById

TEST_F(StoreTest, GetContentByIdReadsThePhraseOfTheCommand)
{
    db.InsertWithId(7, "Greetings", "Hello", "Hello,");
    db.InsertWithId(8, "Greetings", "Hi", "Hi,");
    EXPECT_EQ(GetContentById(40000 + 7), "Hello,");
    EXPECT_EQ(GetContentById(40000 + 8), "Hi,");
    EXPECT_EQ(GetContentById(40000 + 9), "");
    EXPECT_EQ(GetContentById(40000), "");
}

TEST_F(StoreTest, GetContentByIdOfACommandThatStandsForNoPhraseRunsNoStatement)
{
    db.InsertWithId(3, "Greetings", "Hello", "Hello,");
    ResetPhraseCommands();
    EXPECT_EQ(GetContentById(3), "") << "a category item's position is not a phrase";
    EXPECT_EQ(GetContentById(50001), "");
    EXPECT_EQ(GetContentById(20000), "") << "no mapped identifier handed out yet";
    EXPECT_EQ(debugOutput.Text(), "");
}

TEST_F(StoreTest, GetContentByIdReadsLargeKeysThroughTheirCommands)
{
    db.InsertWithId(4096, "Greetings", "Edge", "at 4,096");
    db.InsertWithId(9999, "Greetings", "Last direct", "at 9,999");
    db.InsertWithId(10000, "Greetings", "First mapped", "at 10,000");
    db.InsertWithId(123456, "Greetings", "Far", "at 123,456");

    ResetPhraseCommands();
    EXPECT_EQ(CommandForPhrase(9999), 49999u);
    UINT distant = CommandForPhrase(123456);
    UINT first = CommandForPhrase(10000);
    EXPECT_GE(distant, FirstMappedPhraseCommand);
    EXPECT_LE(distant, LastMappedPhraseCommand);
    EXPECT_NE(distant, first);

    EXPECT_EQ(GetContentById(40000 + 4096), "at 4,096");
    EXPECT_EQ(GetContentById(49999), "at 9,999");
    EXPECT_EQ(GetContentById(first), "at 10,000");
    EXPECT_EQ(GetContentById(distant), "at 123,456");

    ResetPhraseCommands();
    EXPECT_EQ(GetContentById(distant), "") << "forgotten with the menu";
}

TEST_F(StoreTest, GetContentByIdReadsLongTextsWhole)
{
    std::string text = LongText(1500);
    int id = db.Insert("Letters", "Long", text);
    EXPECT_EQ(GetContentById(40000 + id).str(), text);
}

// LoadAllContents and PhraseContents

TEST_F(StoreTest, LoadAllContentsFillsTheTableByPhraseIdAndCountsEveryRow)
{
    db.InsertWithId(1, "Greetings", "", "");
    db.InsertWithId(2, "Greetings", "Hello", "Hello,");
    db.InsertWithId(4095, "Greetings", "Hi", "Hi,");
    db.InsertWithId(4096, "Replies", "Thanks", "Thank you.");
    db.InsertWithId(70000, "Replies", "Far", "distant away");

    EXPECT_EQ(LoadAllContents(), 5);
    EXPECT_EQ(PhraseContents[1], "");
    EXPECT_EQ(PhraseContents[2], "Hello,");
    EXPECT_EQ(PhraseContents[4095], "Hi,");
    EXPECT_EQ(PhraseContents[4096], "Thank you.");
    EXPECT_EQ(PhraseContents[70000], "distant away");
    EXPECT_EQ(PhraseContents[3], "");
    EXPECT_EQ(PhraseContents[-1], "");
    EXPECT_EQ(PhraseContents[2147483647], "");
    EXPECT_GE(PhraseContents.Size(), 70001);
}

TEST_F(StoreTest, LoadAllContentsKeepsTheTextOfDeletedAndEmptiedPhrases)
{
    int hello = db.Insert("Greetings", "Hello", "Hello,");
    int hi = db.Insert("Greetings", "Hi", "Hi,");
    EXPECT_EQ(LoadAllContents(), 2);

    db.Execute("DELETE FROM phrase WHERE code = 'Hello'");
    db.Execute("UPDATE phrase SET content = '' WHERE code = 'Hi'");
    int added = db.Insert("Greetings", "Hey", "Hey!");
    EXPECT_EQ(LoadAllContents(), 2);
    EXPECT_EQ(PhraseContents[hello], "Hello,");
    EXPECT_EQ(PhraseContents[hi], "Hi,");
    EXPECT_EQ(PhraseContents[added], "Hey!");
}

TEST_F(StoreTest, LoadAllContentsReadsLongTextsWhole)
{
    std::string text = LongText(1500);
    int id = db.Insert("Letters", "Long", text);
    EXPECT_EQ(LoadAllContents(), 1);
    EXPECT_EQ(PhraseContents[id].str(), text);
}

TEST(PhraseContentsTest, HoldsAnyKeyAndNothingForNegativeOnes)
{
    PhraseContentsTable table;
    EXPECT_EQ(table.Size(), 4096);
    table.Set(5000, "five thousand");
    table.Set(2147483647, "largest");
    table.Set(-3, "ignored");
    EXPECT_EQ(table[5000], "five thousand");
    EXPECT_EQ(table[2147483647], "largest");
    EXPECT_EQ(table[-3], "");
    EXPECT_EQ(table[4999], "");
    EXPECT_EQ(table[2147483646], "");
    EXPECT_EQ(table.Size(), 2147483647);
    table.Set(5000, "changed");
    EXPECT_EQ(table[5000], "changed");
}

// ForEachCategoryPhrase

TEST_F(StoreTest, ForEachCategoryPhraseVisitsTheNamedPhrasesByAscendingCode)
{
    db.Insert("Greetings", "", "");
    int morning = db.Insert("Greetings", "morning", "Good morning,");
    int dear = db.Insert("Greetings", "Dear Sir", "Dear Sir,");
    db.Insert("Replies", "Thanks", "Thank you.");
    int hello = db.Insert("Greetings", "hello", "Hello,");
    db.InsertWithId(12345, "Greetings", "Zulu", "last");

    int visited = -1;
    EXPECT_EQ(CategoryPhrases("Greetings", &visited),
              (std::vector<std::pair<std::string, int>>{
                  {"Dear Sir", dear}, {"hello", hello}, {"morning", morning}, {"Zulu", 12345}}));
    EXPECT_EQ(visited, 4);
}

TEST_F(StoreTest, ForEachCategoryPhraseOfANewCategoryVisitsNothing)
{
    db.Insert("Greetings", "", "");
    int visited = -1;
    EXPECT_TRUE(CategoryPhrases("Greetings", &visited).empty());
    EXPECT_EQ(visited, 0);
}

TEST_F(StoreTest, ForEachCategoryPhraseLetsTheVisitorUseTheStore)
{
    db.Insert("Greetings", "Hello", "Hello,");
    db.Insert("Greetings", "Hi", "Hi,");
    std::vector<std::string> texts;
    ForEachCategoryPhrase("Greetings", [&texts](const CString& code, int phraseId) {
        texts.push_back(GetContentById(CommandForPhrase(phraseId)).str());
    });
    EXPECT_EQ(texts, (std::vector<std::string>{"Hello,", "Hi,"}));
}
