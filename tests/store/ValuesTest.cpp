// Values that would break a statement built by pasting text between quotes,
// overflow a fixed buffer or read as the value before: each is stored and read
// back exactly, through every operation that takes or gives it.
#include "StoreFixture.h"

#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

TEST_F(StoreTest, HostileValuesAreStoredAndReadBackExactlyInEveryRole)
{
    int sentinel = db.Insert("Sentinel", "Keep", "keep me");
    std::string highBytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte) highBytes += static_cast<char>(byte);
    const Strings values = {"Anna's ''", "\"quoted\" `back`", "a; b; DROP TABLE phrase; --", "' OR '1'='1",
                            "x'); DELETE FROM phrase; --", "{fn UCASE('x')} ? :a @b %s %d %n \\", highBytes,
                            "caf\xAC", "I\xAC`m", LongText(100000)};
    for (const std::string& value : values) {
        SCOPED_TRACE(value.substr(0, 40));
        // As a category name.
        EXPECT_TRUE(InsertPhrase(value));
        EXPECT_EQ(db.Rows().back().category, value);
        ListCategories();
        ASSERT_EQ(CategoryList.count, 2);
        EXPECT_EQ(CategoryList.names[CategoryList.names[0] == "Sentinel" ? 1 : 0].str(), value);
        EXPECT_EQ(CountCategoryPhrases(value), 1);
        SetItems(controls.categories, {value});
        EXPECT_TRUE(AddPhrase(controls.categories, "Code", "Text"));
        ListPhraseCodes(controls.phrases, value);
        EXPECT_EQ(Items(controls.phrases), Strings{"Code"});
        EXPECT_EQ(GetContentByCode(value, "Code"), "Text");
        EXPECT_EQ(Codes(value), Strings{"Code"});
        EXPECT_TRUE(DeleteCategoryRows(value));

        // As a shortcut name.
        SetItems(controls.categories, {"Replies"});
        EXPECT_TRUE(AddPhrase(controls.categories, value, "Text"));
        EXPECT_EQ(db.Rows().back().code, value);
        ListPhraseCodes(controls.phrases, "Replies");
        EXPECT_EQ(Items(controls.phrases), Strings{value});
        EXPECT_TRUE(UpdateContent(controls.phrases, "Replies", "Changed"));
        EXPECT_EQ(GetContentByCode("Replies", value), "Changed");
        EXPECT_EQ(Codes("Replies"), Strings{value});
        EXPECT_EQ(DeletePhrase("Replies", value), 1);

        // As phrase text: saved exactly as typed; added with each apostrophe stored as 0xAC 0x60.
        int id = db.Insert("Replies", "Code", "old");
        SetItems(controls.phrases, {"Code"});
        EXPECT_TRUE(UpdateContent(controls.phrases, "Replies", value));
        EXPECT_EQ(db.Rows().back().content, value);
        EXPECT_EQ(GetContentByCode("Replies", "Code").str(), value);
        EXPECT_EQ(GetContentById(40000 + id).str(), value);
        EXPECT_EQ(LoadAllContents(), 2);
        EXPECT_EQ(PhraseContents[id].str(), value);
        LoadCategoryPhrases(controls.phrases, controls.edit, "Replies");
        EXPECT_EQ(controls.edit.GetWindowText().str(), value);
        EXPECT_TRUE(DeleteCategoryRows("Replies"));
        EXPECT_TRUE(AddPhrase(controls.categories, "Added", value));
        std::string stored;
        for (char c : value) stored += c == '\'' ? std::string("\xAC`") : std::string(1, c);
        EXPECT_EQ(db.Rows().back().content, stored);
        EXPECT_EQ(GetContentByCode("Replies", "Added").str(), stored);
        EXPECT_TRUE(DeleteCategoryRows("Replies"));

        ASSERT_EQ(db.QueryText("SELECT COUNT(*) || ' ' || PhraseID || category || code || content FROM phrase"),
                  "1 " + std::to_string(sentinel) + "SentinelKeepkeep me") << "the table is intact";
    }
}

// Values are read in pieces of 1,024 bytes, a NUL included.
TEST_F(StoreTest, LongTextsArriveWholeThroughEveryReader)
{
    for (size_t length : {1022u, 1023u, 1024u, 1025u, 2047u, 2048u, 64u * 1024}) {
        SCOPED_TRACE(length);
        const std::string text = LongText(length);
        db.Execute("DELETE FROM phrase");
        int id = db.Insert("Letters", text, "short");
        SetItems(controls.phrases, {text});
        EXPECT_TRUE(UpdateContent(controls.phrases, "Letters", text));
        EXPECT_EQ(db.Rows()[0].content, text);
        EXPECT_EQ(GetContentByCode("Letters", text).str(), text);
        EXPECT_EQ(GetContentById(40000 + id).str(), text);
        EXPECT_EQ(LoadAllContents(), 1);
        EXPECT_EQ(PhraseContents[id].str(), text);
        LoadCategoryPhrases(controls.phrases, controls.edit, "Letters");
        EXPECT_EQ(controls.edit.GetWindowText().str(), text);
        ListPhraseCodes(controls.phrases, "Letters");
        EXPECT_EQ(Items(controls.phrases), Strings{text});
        EXPECT_EQ(Codes("Letters"), Strings{text});
    }
}

TEST_F(StoreTest, NullValuesReadAsEmptyTextNeverAsThePreviousValue)
{
    // Inserted in the order of their codes, the order the category's queries return them.
    int first = db.Insert("Greetings", "A", "Hello,");
    int nullContent = db.Insert("Greetings", "B", "x");
    db.Insert("Untitled", "y", "no name");
    db.Execute("UPDATE phrase SET content = NULL WHERE code = 'B'");
    db.Execute("UPDATE phrase SET code = NULL WHERE code = 'y'");

    EXPECT_EQ(GetContentById(40000 + first), "Hello,");
    EXPECT_EQ(GetContentById(40000 + nullContent), "");
    EXPECT_EQ(GetContentByCode("Greetings", "A"), "Hello,");
    EXPECT_EQ(GetContentByCode("Greetings", "B"), "");
    LoadCategoryPhrases(controls.phrases, controls.edit, "Greetings");
    EXPECT_EQ(Items(controls.phrases), (Strings{"A", "B"}));
    EXPECT_EQ(controls.edit.GetWindowText(), "") << "the last row's text is NULL";
    ListPhraseCodes(controls.phrases, "Greetings"); // leaves "B" in the bound column's buffer
    ListPhraseCodes(controls.phrases, "Untitled");
    EXPECT_EQ(Items(controls.phrases), Strings{});
    EXPECT_EQ(Codes("Untitled"), Strings{});

    PhraseContents.Set(nullContent, "old text");
    EXPECT_EQ(LoadAllContents(), 3);
    EXPECT_EQ(PhraseContents[nullContent], "old text") << "an empty text leaves its entry";
}

// The writes' texts as the driver receives them: the Access forms, each
// value between quotes with its apostrophes doubled.
TEST_F(StoreTest, WriteStatementTexts)
{
    db.Insert("it's", "' OR '1'='1", "old");
    SetItems(controls.categories, {"Anna's"});
    SetItems(controls.phrases, {"' OR '1'='1"});
    InsertPhrase("it's");
    AddPhrase(controls.categories, "don't", "I'm; out");
    UpdateContent(controls.phrases, "it's", "'; DROP TABLE phrase; --");
    DeletePhrase("it's", "' OR '1'='1");
    DeleteCategoryRows("Anna's");
    EXPECT_EQ(PreparedStatements(),
              (Strings{"INSERT INTO phrase (category, code, content) VALUES ('it''s', '', '')",
                       "INSERT INTO phrase (category, code, content) VALUES ('Anna''s', 'don''t', 'I\xAC`m; out')",
                       "UPDATE phrase SET content = '''; DROP TABLE phrase; --' WHERE code = ''' OR ''1''=''1' AND "
                       "category = 'it''s'",
                       "DELETE FROM phrase WHERE category = 'it''s' AND code = ''' OR ''1''=''1'",
                       "SELECT COUNT(PhraseID) FROM phrase", "DELETE FROM phrase WHERE category = 'Anna''s'"}));
}
