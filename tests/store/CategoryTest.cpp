// Categories: ListCategories, FillCategoryCombo, CountCategoryPhrases,
// InsertPhrase and DeleteCategoryRows.
#include "StoreFixture.h"

#include "store/PhraseStore.h"

namespace {

std::vector<std::string> CategoryNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < CategoryList.count; ++i) names.push_back(CategoryList.names[i].str());
    return names;
}

} // namespace

TEST_F(StoreControlsTest, EmptyTableGivesNoCategoriesAndAComboWithoutSelection)
{
    SetItems(controls.list, {"stale"});
    ListCategories();
    EXPECT_EQ(CategoryList.count, 0);
    FillCategoryCombo(controls.list);
    EXPECT_TRUE(Items(controls.list).empty());
    EXPECT_EQ(Selected(controls.list), "(none)");
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 0);
}

TEST_F(StoreControlsTest, ListsDistinctCategoriesInTheDatabaseOrderAndFillsTheComboUnsorted)
{
    // The database orders ASCII letters without regard to case and other bytes
    // by value; the combo box's own sorting would put the accented name first.
    std::string accented = Bytes({0xC4}) + "rger";
    db.Insert("Zebra", "", "");
    db.Insert(accented, "", "");
    db.Insert("apple", "", "");
    db.Insert("Zebra", "Stripes", "black and white");
    db.Insert("apple", "Pie", "with cream");
    db.Insert("apple", "Tart", "");

    ListCategories();
    EXPECT_EQ(CategoryNames(), (std::vector<std::string>{"apple", "Zebra", accented}));

    FillCategoryCombo(controls.list);
    EXPECT_EQ(Items(controls.list), (std::vector<std::string>{"apple", "Zebra", accented}));
    EXPECT_EQ(Selected(controls.list), "apple");
}

TEST_F(StoreControlsTest, RebuildingReplacesTheListAndReadersDoNotRefreshIt)
{
    db.Insert("Greetings", "", "");
    db.Insert("Replies", "", "");
    ListCategories();
    ASSERT_EQ(CategoryNames(), (std::vector<std::string>{"Greetings", "Replies"}));

    EXPECT_TRUE(InsertPhrase("Addresses"));
    FillCategoryCombo(controls.list);
    EXPECT_EQ(Items(controls.list), (std::vector<std::string>{"Greetings", "Replies"})) << "as last rebuilt";

    EXPECT_TRUE(DeleteCategoryRows("Replies"));
    ListCategories();
    EXPECT_EQ(CategoryNames(), (std::vector<std::string>{"Addresses", "Greetings"}));
    FillCategoryCombo(controls.list);
    EXPECT_EQ(Items(controls.list), (std::vector<std::string>{"Addresses", "Greetings"}));

    EXPECT_TRUE(DeleteCategoryRows("Addresses"));
    EXPECT_TRUE(DeleteCategoryRows("Greetings"));
    ListCategories();
    EXPECT_EQ(CategoryList.count, 0);
}

TEST_F(StoreTest, ListCategoriesRunsItsQueryTwice)
{
    db.Insert("Greetings", "", "");
    ListCategories();
    EXPECT_EQ(debugOutput.Text(), "SQL_SUCCESS\nSQL_SUCCESS\n");
}

TEST_F(StoreTest, InsertPhraseWritesTheCategoryRow)
{
    EXPECT_TRUE(InsertPhrase("Greetings"));
    std::vector<TestDatabase::Row> rows = db.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].category, "Greetings");
    EXPECT_EQ(rows[0].code, "");
    EXPECT_EQ(rows[0].content, "");
    EXPECT_FALSE(rows[0].contentIsNull) << "an empty text, not NULL";
    EXPECT_EQ(db.QueryText("SELECT typeof(code) FROM phrase"), "text");

    ListCategories();
    ASSERT_EQ(CategoryList.count, 1);
    EXPECT_EQ(CategoryList.names[0], "Greetings");
}

TEST_F(StoreTest, CountsTheRowsOfACategoryWithItsCategoryRow)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    db.Insert("Greetings", "Hi", "Hi,");
    db.Insert("Replies", "", "");
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 3);
    EXPECT_EQ(CountCategoryPhrases("Replies"), 1);
    EXPECT_EQ(CountCategoryPhrases("Nowhere"), 0);
    EXPECT_EQ(CountCategoryPhrases(""), 0);
    // Names compare as in Access: without regard to case.
    EXPECT_EQ(CountCategoryPhrases("GREETINGS"), 3);
}

TEST_F(StoreTest, DeleteCategoryRowsRemovesEveryRowOfThatCategoryOnly)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "Hello,");
    int reply = db.Insert("Replies", "Thanks", "Thank you.");
    db.Insert("Greetings", "Hi", "Hi,");

    EXPECT_TRUE(DeleteCategoryRows("Greetings"));
    std::vector<TestDatabase::Row> rows = db.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, reply);
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 0);

    EXPECT_FALSE(DeleteCategoryRows("Greetings")) << "no row went";
}
