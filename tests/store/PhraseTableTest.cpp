// The operations of the phrase table on the tables that tell them apart.
#include "StoreFixture.h"

#include "store/PhraseCommandIds.h"
#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

namespace {

Strings CategoryNames()
{
    Strings names;
    for (int i = 0; i < CategoryList.count; ++i) names.push_back(CategoryList.names[i].str());
    return names;
}

} // namespace

TEST_F(StoreTest, EmptyTableAndACategoryWithOnlyItsCategoryRow)
{
    SetItems(controls.categories, {"stale"});
    ListCategories();
    EXPECT_EQ(CategoryList.count, 0);
    FillCategoryCombo(controls.categories);
    EXPECT_EQ(Items(controls.categories), Strings{});
    EXPECT_EQ(controls.categories.GetCurSel(), CB_ERR);
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(DeletePhrase("Greetings", "Hello"), 0);
    EXPECT_EQ(NextShortcutName(), "Shortcut 1");

    EXPECT_TRUE(InsertPhrase("Greetings"));
    EXPECT_EQ(db.QueryText("SELECT category || '|' || code || '|' || content FROM phrase"), "Greetings||")
        << "empty texts, not NULLs";
    SetItems(controls.phrases, {"stale"});
    ListPhraseCodes(controls.phrases, "Greetings");
    EXPECT_EQ(Items(controls.phrases), Strings{});
    EXPECT_EQ(controls.phrases.GetCurSel(), CB_ERR);
    controls.edit.SetWindowText("previous text");
    LoadCategoryPhrases(controls.phrases, controls.edit, "Greetings");
    EXPECT_EQ(Items(controls.phrases), Strings{""});
    EXPECT_EQ(controls.phrases.GetCurSel(), 0);
    EXPECT_EQ(controls.edit.GetWindowText(), "");
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 1);
    EXPECT_EQ(Codes("Greetings"), Strings{});
}

TEST_F(StoreTest, CategoriesAreListedInTheDatabasesOrderAndDeletedWhole)
{
    // ASCII letters sort without regard to case, other bytes by value; the
    // combo box's own sorting would put the accented name first.
    const std::string accented = "\xC4rger";
    for (const char* category : {"Zebra", "\xC4rger", "apple", "Zebra", "apple"}) db.Insert(category, "", "");
    db.Insert("apple", "Pie", "with cream");
    ListCategories();
    EXPECT_EQ(CategoryNames(), (Strings{"apple", "Zebra", accented}));
    FillCategoryCombo(controls.categories);
    EXPECT_EQ(Items(controls.categories), (Strings{"apple", "Zebra", accented}));
    EXPECT_EQ(controls.categories.GetCurSel(), 0);
    EXPECT_EQ(CountCategoryPhrases("apple"), 3);
    EXPECT_EQ(CountCategoryPhrases("APPLE"), 3) << "names compare without regard to case";
    EXPECT_EQ(CountCategoryPhrases("Nowhere"), 0);

    EXPECT_TRUE(DeleteCategoryRows("apple"));
    EXPECT_FALSE(DeleteCategoryRows("apple")) << "no row went";
    EXPECT_EQ(db.Rows().size(), 3u);
    EXPECT_EQ(CategoryNames(), (Strings{"apple", "Zebra", accented})) << "as last rebuilt";
    ListCategories();
    EXPECT_EQ(CategoryNames(), (Strings{"Zebra", accented}));
}

// Two categories with three phrases between them, and the same shortcut name in both.
TEST_F(StoreTest, ReadsAreScopedByCategory)
{
    db.Insert("Greetings", "", "");
    int dear = db.Insert("Greetings", "dear Sir", "Dear Sir,");
    db.Insert("Replies", "", "");
    int reply = db.Insert("Replies", "Hello", "Hello to you too.");
    db.Insert("Greetings", "Hello", "Hello,\r\n\r\nThank you for your letter.");
    EXPECT_EQ(CountPhrases(), 5);
    EXPECT_EQ(NextShortcutName(), "Shortcut 6");
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 3);

    ListPhraseCodes(controls.phrases, "Greetings");
    EXPECT_EQ(Items(controls.phrases), (Strings{"dear Sir", "Hello"}));
    EXPECT_EQ(controls.phrases.GetCurSel(), 0);
    LoadCategoryPhrases(controls.phrases, controls.edit, "Greetings");
    EXPECT_EQ(Items(controls.phrases), (Strings{"", "dear Sir", "Hello"}));
    EXPECT_EQ(controls.phrases.GetCurSel(), 0);
    EXPECT_EQ(controls.edit.GetWindowText(), "Hello,\r\n\r\nThank you for your letter.") << "the last row's text";

    EXPECT_EQ(GetContentByCode("Replies", "Hello"), "Hello to you too.");
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "Hello,\r\n\r\nThank you for your letter.");
    EXPECT_EQ(GetContentByCode("Greetings", "Nobody"), "");
    EXPECT_EQ(GetContentById(40000 + dear), "Dear Sir,");
    EXPECT_EQ(GetContentById(40000 + 99), "");
    EXPECT_EQ(Codes("Greetings"), (Strings{"dear Sir", "Hello"}));
    EXPECT_EQ(LoadAllContents(), 5);
    EXPECT_EQ(PhraseContents[reply], "Hello to you too.");
    EXPECT_EQ(PhraseContents[dear], "Dear Sir,");
}

TEST_F(StoreTest, WritesAreScopedByCategoryAndDeletingKeepsTheCategoryRow)
{
    db.Insert("Greetings", "", "");
    db.Insert("Greetings", "Hello", "first");
    db.Insert("Greetings", "Hello", "second");
    db.Insert("Replies", "Hello", "Hello to you too.");
    EXPECT_EQ(GetContentByCode("Greetings", "Hello"), "first") << "the first row the database returns";
    SetItems(controls.phrases, {"Hi", "Hello"}, 1);
    EXPECT_TRUE(UpdateContent(controls.phrases, "Greetings", "both\r\n"));
    // No shortcut name selected, or an empty one: no category row is changed.
    SetItems(controls.phrases, {});
    EXPECT_FALSE(UpdateContent(controls.phrases, "Greetings", "lost"));
    SetItems(controls.phrases, {""});
    EXPECT_FALSE(UpdateContent(controls.phrases, "Greetings", "lost"));
    EXPECT_EQ(db.QueryText("SELECT group_concat(content, '|') FROM phrase"), "|both\r\n|both\r\n|Hello to you too.");

    // The apostrophe typed into a new phrase is stored as 0xAC 0x60.
    SetItems(controls.categories, {"Greetings", "Replies"}, 1);
    EXPECT_TRUE(AddPhrase(controls.categories, "Away", "I'm out"));
    EXPECT_EQ(db.Rows().back().category, "Replies");
    EXPECT_EQ(db.Rows().back().content, "I\xAC`m out");
    EXPECT_EQ(GetContentByCode("Replies", "Away"), "I\xAC`m out");

    bool deleted = false;
    EXPECT_EQ(DeletePhrase("Greetings", "Hello", &deleted), 3);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(GetContentByCode("Replies", "Hello"), "Hello to you too.");
    ListCategories();
    EXPECT_EQ(CategoryNames(), (Strings{"Greetings", "Replies"})) << "the category row stays";
    EXPECT_EQ(CountCategoryPhrases("Greetings"), 1);
    EXPECT_TRUE(DeleteCategoryRows("Replies"));
    EXPECT_EQ(DeletePhrase("Greetings", ""), 0) << "0 only once the table is empty";
}

TEST_F(StoreTest, PhraseIdsBeyondTheContentsTableAndTheDirectCommands)
{
    for (int id : {4095, 4096, 9999, 10000, 123456})
        db.InsertWithId(id, "Numbers", "n" + std::to_string(id), "at " + std::to_string(id));
    EXPECT_EQ(LoadAllContents(), 5);
    EXPECT_EQ(PhraseContents[4096], "at 4096");
    EXPECT_EQ(PhraseContents[123456], "at 123456");
    EXPECT_EQ(PhraseContents[-1], "");
    EXPECT_EQ(PhraseContents[2147483647], "");

    // Each phrase's own text through its menu command; the visitor may use the store.
    ResetPhraseCommands();
    Strings texts;
    ForEachCategoryPhrase("Numbers",
                          [&](const CString&, int id) { texts.push_back(GetContentById(CommandForPhrase(id)).str()); });
    EXPECT_EQ(texts, (Strings{"at 10000", "at 123456", "at 4095", "at 4096", "at 9999"}));
    EXPECT_EQ(GetContentById(49999), "at 9999");
    UINT mapped = CommandForPhrase(123456);
    EXPECT_TRUE(mapped >= FirstMappedPhraseCommand && mapped <= LastMappedPhraseCommand) << mapped;
    ResetPhraseCommands();
    EXPECT_EQ(GetContentById(mapped), "") << "forgotten with the menu";
}
