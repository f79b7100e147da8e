// Values that would break a statement built by pasting text between quotes,
// or overflow a fixed buffer: each is stored and read back exactly, through
// every operation that takes or gives it, and the rest of the table stays as
// it was. Also long texts and NULLs.
#include "StoreFixture.h"

#include "store/PhraseContents.h"
#include "store/PhraseStore.h"

#include <ostream>

namespace {

struct HostileValue {
    const char* name;
    std::string text;
};

std::vector<HostileValue> HostileValues()
{
    return {
        {"Apostrophe", "Anna's"},
        {"OnlyApostrophes", "''"},
        {"Quotes", "\"quoted\" `back`"},
        {"Semicolons", "a; b; DROP TABLE phrase; --"},
        {"AlwaysTrue", "' OR '1'='1"},
        {"ClosingStatement", "x'); DELETE FROM phrase; --"},
        {"EscapesAndMarkers", "{fn UCASE('x')} ? :a @b %s %d %n \\"},
        {"HighBytes", HighBytes()},
        {"LoneAc", "caf" + Bytes({0xAC})},
        {"StoredApostrophe", "I" + Bytes({0xAC, 0x60}) + "m"},
        {"HundredThousandCharacters", LongText(100000)},
    };
}

void PrintTo(const HostileValue& value, std::ostream* out)
{
    *out << value.name;
}

class HostileValueTest : public StoreControlsTest, public ::testing::WithParamInterface<HostileValue>
{
protected:
    void SetUp() override
    {
        sentinel = db.Insert("Sentinel", "Keep", "keep me");
        value = GetParam().text;
    }

    // The sentinel row is untouched and the table still there.
    void ExpectTableIntact(size_t rows)
    {
        std::vector<TestDatabase::Row> all = db.Rows();
        EXPECT_EQ(all.size(), rows);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all[0].id, sentinel);
        EXPECT_EQ(all[0].category, "Sentinel");
        EXPECT_EQ(all[0].code, "Keep");
        EXPECT_EQ(all[0].content, "keep me");
    }

    int sentinel = 0;
    std::string value;
};

} // namespace

TEST_P(HostileValueTest, AsCategoryName)
{
    EXPECT_TRUE(InsertPhrase(CString(value)));
    ExpectTableIntact(2);
    EXPECT_EQ(db.Rows()[1].category, value);

    ListCategories();
    ASSERT_EQ(CategoryList.count, 2);
    bool listed = CategoryList.names[0].str() == value || CategoryList.names[1].str() == value;
    EXPECT_TRUE(listed);
    EXPECT_EQ(CountCategoryPhrases(CString(value)), 1);

    SetItems(controls.list, {value});
    EXPECT_TRUE(AddPhrase(controls.list, "Code", "Text"));
    ListPhraseCodes(controls.combo, CString(value));
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{"Code"}));
    EXPECT_EQ(GetContentByCode(CString(value), "Code"), "Text");
    EXPECT_EQ(ForEachCategoryPhrase(CString(value), [](const CString&, int) {}), 1);

    EXPECT_TRUE(DeleteCategoryRows(CString(value)));
    ExpectTableIntact(1);
}

TEST_P(HostileValueTest, AsShortcutName)
{
    SetItems(controls.list, {"Replies"});
    EXPECT_TRUE(AddPhrase(controls.list, CString(value), "Text"));
    ExpectTableIntact(2);
    EXPECT_EQ(db.Rows()[1].code, value);

    ListPhraseCodes(controls.combo, "Replies");
    EXPECT_EQ(Items(controls.combo), std::vector<std::string>{value});
    EXPECT_EQ(Selected(controls.combo), value);
    EXPECT_TRUE(UpdateContent(controls.combo, "Replies", "Changed"));
    EXPECT_EQ(GetContentByCode("Replies", CString(value)), "Changed");

    std::vector<std::string> codes;
    ForEachCategoryPhrase("Replies", [&codes](const CString& code, int) { codes.push_back(code.str()); });
    EXPECT_EQ(codes, std::vector<std::string>{value});

    bool deleted = false;
    EXPECT_EQ(DeletePhrase("Replies", CString(value), &deleted), 1);
    EXPECT_TRUE(deleted);
    ExpectTableIntact(1);
}

TEST_P(HostileValueTest, AsPhraseText)
{
    int id = db.Insert("Replies", "Code", "old");
    SetItems(controls.combo, {"Code"});
    EXPECT_TRUE(UpdateContent(controls.combo, "Replies", CString(value)));
    ExpectTableIntact(2);
    EXPECT_EQ(db.Rows()[1].content, value);

    EXPECT_EQ(GetContentByCode("Replies", "Code").str(), value);
    EXPECT_EQ(GetContentById(40000 + id).str(), value);
    EXPECT_EQ(LoadAllContents(), 2);
    EXPECT_EQ(PhraseContents[id].str(), value);
    LoadCategoryPhrases(controls.combo, controls.edit, "Replies");
    EXPECT_EQ(Text(controls.edit), value);
}

TEST_P(HostileValueTest, AsAddedPhraseText)
{
    SetItems(controls.list, {"Replies"});
    EXPECT_TRUE(AddPhrase(controls.list, "Code", CString(value)));
    ExpectTableIntact(2);
    std::string stored;
    for (char c : value) {
        if (c == '\'') stored += Bytes({0xAC, 0x60});
        else stored += c;
    }
    EXPECT_EQ(db.Rows()[1].content, stored);
    EXPECT_EQ(GetContentByCode("Replies", "Code").str(), stored);
}

INSTANTIATE_TEST_SUITE_P(Values, HostileValueTest, ::testing::ValuesIn(HostileValues()),
                         [](const ::testing::TestParamInfo<HostileValue>& info) { return info.param.name; });

// Long texts

TEST_F(StoreControlsTest, TextsOf64KiBRoundTripByteForByteThroughEveryReader)
{
    std::string text = LongText(64 * 1024);
    int id = db.Insert("Letters", "Long", "short");
    SetItems(controls.combo, {"Long"});
    EXPECT_TRUE(UpdateContent(controls.combo, "Letters", CString(text)));
    EXPECT_EQ(db.QueryText("SELECT length(CAST(content AS BLOB)) FROM phrase"), std::to_string(text.size()));
    EXPECT_EQ(db.Rows()[0].content, text);

    EXPECT_EQ(GetContentByCode("Letters", "Long").str(), text);
    EXPECT_EQ(GetContentById(40000 + id).str(), text);
    EXPECT_EQ(LoadAllContents(), 1);
    EXPECT_EQ(PhraseContents[id].str(), text);
    LoadCategoryPhrases(controls.combo, controls.edit, "Letters");
    EXPECT_EQ(Text(controls.edit), text);
}

TEST_F(StoreControlsTest, TextsAtThePieceBoundariesArriveWhole)
{
    // The store reads values in pieces of 1,024 bytes (a NUL included).
    for (size_t length : {1022u, 1023u, 1024u, 1025u, 2046u, 2047u, 2048u}) {
        std::string text = LongText(length);
        int id = db.Insert("Letters", "Long", text);
        EXPECT_EQ(GetContentById(40000 + id).str(), text) << length;
        db.Execute("DELETE FROM phrase");
    }
}

TEST_F(StoreControlsTest, AddedPhraseOf64KiBIsStoredWhole)
{
    std::string text(64 * 1024, 'x');
    SetItems(controls.list, {"Letters"});
    EXPECT_TRUE(AddPhrase(controls.list, "Long", CString(text)));
    EXPECT_EQ(GetContentByCode("Letters", "Long").str(), text);
}

// NULLs read as empty text, never as the previous value

TEST_F(StoreControlsTest, NullValuesReadAsEmptyText)
{
    // Rows are inserted in the order of their codes, the order in which the
    // category's queries return them.
    int first = db.Insert("Greetings", "A", "Hello,");
    int nullContent = db.Insert("Greetings", "B", "x");
    int nullCode = db.Insert("Untitled", "y", "no name");
    db.Insert("z", "Orphan", "no category");
    db.Execute("UPDATE phrase SET content = NULL WHERE code = 'B'");
    db.Execute("UPDATE phrase SET code = NULL WHERE code = 'y'");
    db.Execute("UPDATE phrase SET category = NULL WHERE category = 'z'");
    ASSERT_TRUE(db.Rows()[1].contentIsNull);

    // Each NULL comes right after a read that left text behind.
    EXPECT_EQ(GetContentById(40000 + first), "Hello,");
    EXPECT_EQ(GetContentById(40000 + nullContent), "");
    EXPECT_EQ(GetContentByCode("Greetings", "A"), "Hello,");
    EXPECT_EQ(GetContentByCode("Greetings", "B"), "");

    LoadCategoryPhrases(controls.combo, controls.edit, "Greetings");
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Text(controls.edit), "") << "the last row's text is NULL";

    ListPhraseCodes(controls.combo, "Greetings");
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{"A", "B"}));
    ListPhraseCodes(controls.combo, "Untitled");
    EXPECT_TRUE(Items(controls.combo).empty()) << "a NULL code is empty, not the code read before";

    LoadCategoryPhrases(controls.combo, controls.edit, "Untitled");
    EXPECT_EQ(Items(controls.combo), (std::vector<std::string>{""}));
    EXPECT_EQ(Text(controls.edit), "no name");
    EXPECT_EQ(ForEachCategoryPhrase("Untitled", [](const CString&, int) { ADD_FAILURE(); }), 0);

    PhraseContents.Set(nullContent, "old text");
    EXPECT_EQ(LoadAllContents(), 4);
    EXPECT_EQ(PhraseContents[nullContent], "old text") << "an empty text leaves its entry";
    EXPECT_EQ(PhraseContents[first], "Hello,");
    EXPECT_EQ(PhraseContents[nullCode], "no name");

    ListCategories();
    ASSERT_EQ(CategoryList.count, 3);
    EXPECT_EQ(CategoryList.names[0], "") << "NULL sorts first and reads as an empty name";
    EXPECT_EQ(CategoryList.names[1], "Greetings");
    EXPECT_EQ(CategoryList.names[2], "Untitled");
}
