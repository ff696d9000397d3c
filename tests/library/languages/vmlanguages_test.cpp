#include "library/languages/vmlanguages.h"
#include "library/listheader/listheaderformat.h"
#include "tests/library/languages/scopedlanguage.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(LanguageStore, AsBuiltIsEmptyAndAnswersEmptyTexts)
{
    EXPECT_EQ(LanguageStoreInstance, &LanguageStore);
    EXPECT_TRUE(LanguageStore.Languages.empty());
    EXPECT_EQ(LanguageStore.InterfaceLanguage, nullptr);
    EXPECT_EQ(LanguageStore.TextLanguage, nullptr);
    EXPECT_FALSE(LanguageStore.UseTextLanguage);
    EXPECT_EQ(LanguageStore.GetText("IDS_EXPRESSIONERROR"), "");
    EXPECT_EQ(LanguageStore.GetResourceText(32000), "");

    TListHeaderFormat format;
    format.Count = 1;
    format.Columns.resize(1);
    format.Order = {0};
    const TListHeaderFormat before = format;
    LanguageStore.TranslateTitle(format, "");
    EXPECT_EQ(format, before);
}

TEST(LanguageStore, GetTextUsesTheSelectedLanguageWithExactKeys)
{
    const ScopedLanguage language({{"IDS_EXPRESSIONERROR", "Hibás kifejezés: "}, {"", "üres kulcs"}});
    EXPECT_EQ(LanguageStore.GetText("IDS_EXPRESSIONERROR"), "Hibás kifejezés: ");
    EXPECT_EQ(LanguageStore.GetText("ids_expressionerror"), "");
    EXPECT_EQ(LanguageStore.GetText("IDS_EXPRESSIONERROR "), "");
    EXPECT_EQ(LanguageStore.GetText(""), "üres kulcs");
    // The program has no string table, so even a filled store has no resource text.
    EXPECT_EQ(LanguageStore.GetResourceText(32000), "");
}

struct Expansion {
    const char* text;
    const char* expanded;
};

void PrintTo(const Expansion& c, std::ostream* out)
{
    *out << CaseText(c.text);
}

class ExpandsPlaceholders : public testing::TestWithParam<Expansion> {};

TEST_P(ExpandsPlaceholders, ThroughTheLanguagesStrings)
{
    TLanguage language;
    language.Strings = {{"A", "x"}, {"", "E"}, {" A", "s"}};
    EXPECT_EQ(language.ExpandPlaceholders(GetParam().text), GetParam().expanded) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ExpandsPlaceholders, testing::Values(
    Expansion{"1#A#2", "1x2"}, Expansion{"1\\#A#2", "1#A2"}, Expansion{"a#b", "ab"},
    Expansion{"#B#", ""}, Expansion{"no placeholder", "no placeholder"}, Expansion{"", ""},
    Expansion{"#A##A#", "xx"}, Expansion{"##", "E"}, Expansion{"# A#", "s"},
    Expansion{"#A\\#A#", "A"}, Expansion{"\\#", "#"}, Expansion{"#a#", ""},
    Expansion{"ő#A#ű", "őxű"}));

TEST(LanguageStore, TextLanguageDoesNotFallBackButWindowsKeepTheInterfaceLanguage)
{
    struct Window : TLanguageWindow {
        std::string name = "Dialog";
        std::vector<std::string> applied;
        int32_t charset = 0;
        std::string WindowName() const override { return name; }
        void ApplyEntry(const TLanguageForm& entry, int32_t set) override
        {
            applied.push_back(entry.Name);
            charset = set;
        }
    };

    const ScopedLanguage language({{"KEY", "interface"}});
    language.Language().Charset = 238;
    language.Language().Forms.push_back({"Dialog", {}, {}, {}});
    LanguageStore.UseTextLanguage = true;

    EXPECT_EQ(LanguageStore.GetText("KEY"), "");
    Window window;
    LanguageStore.TranslateForm(window);
    EXPECT_EQ(window.applied, std::vector<std::string>{"Dialog"});
    EXPECT_EQ(window.charset, 238);

    TLanguage& text = LanguageStore.AddLanguage({});
    text.Strings = {{"KEY", "text"}};
    LanguageStore.TextLanguage = &text;
    EXPECT_EQ(LanguageStore.GetText("KEY"), "text");
    LanguageStore.UseTextLanguage = false;
    EXPECT_EQ(LanguageStore.GetText("KEY"), "interface");
}

TEST(LanguageStore, WindowEntryByExactNameThenWithoutTheInstanceNumber)
{
    TLanguage language;
    language.Forms = {{"Options", {}, {}, {}}, {"Options_12", {}, {}, {}}, {"Main", {}, {}, {}},
                      {"", {}, {}, {}}};
    const auto found = [&](const char* name) {
        const TLanguageForm* form = language.FindForm(name);
        return form ? form->Name : std::string("-");
    };
    EXPECT_EQ(found("Options_12"), "Options_12");
    EXPECT_EQ(found("Options_7"), "Options");
    EXPECT_EQ(found("Options12"), "-");
    EXPECT_EQ(found("Options_"), "-");
    EXPECT_EQ(found("Options_1a"), "-");
    EXPECT_EQ(found("Main_3_4"), "-");
    EXPECT_EQ(found("_12"), "");
    EXPECT_EQ(found("Other"), "-");

    language.FormsEnabled = 0;
    EXPECT_EQ(language.FindForm("Options"), nullptr);
}

// A format of three columns with IDs 3, 5, 3 and two title lines each.
TListHeaderFormat ThreeColumns(int16_t rows)
{
    TListHeaderFormat format;
    format.Count = 3;
    format.Rows = rows;
    format.Columns.resize(3);
    format.Columns[0].ID = 3;
    format.Columns[1].ID = 5;
    format.Columns[2].ID = 3;
    format.Order = {2, 0, 1};
    for (auto& column : format.Columns)
        column.Lines = {TListHeaderFormatColLine{"zero", "", -1, -1}, TListHeaderFormatColLine{"one", "", -1, -1}};
    return format;
}

int16_t Position(int columnId, int line)
{
    return static_cast<int16_t>(static_cast<uint16_t>((line & 0xFF) << 8 | columnId));
}

TEST(LanguageTitle, SetsTheLineOfEveryColumnWithTheID)
{
    TLanguageTitle title{"Format", {Position(3, 1)}, {"egy"}};
    TListHeaderFormat format = ThreeColumns(2);
    title.Apply(format);
    EXPECT_EQ(format.Columns[0].Lines[1].Text, "egy");
    EXPECT_EQ(format.Columns[1].Lines[1].Text, "one");
    EXPECT_EQ(format.Columns[2].Lines[1].Text, "egy");
    EXPECT_EQ(format.Columns[0].Lines[0].Text, "zero");
}

TEST(LanguageTitle, SkipsLinesOutsideTheFormat)
{
    for (const auto& [position, rows] : {std::pair{Position(3, 2), 2}, std::pair{Position(3, 1), 1},
                                         std::pair{Position(3, -1), 2}, std::pair{Position(4, 0), 2}}) {
        TLanguageTitle title{"Format", {position}, {"x"}};
        TListHeaderFormat format = ThreeColumns(static_cast<int16_t>(rows));
        const TListHeaderFormat before = format;
        title.Apply(format);
        EXPECT_EQ(format, before) << position;
    }
}

TEST(LanguageTitle, OnlyTheFirstCountColumnsAndTheLastValueWins)
{
    TLanguageTitle title{"Format", {Position(3, 0), Position(3, 0), Position(5, 0)}, {"a", "b", "c"}};
    TListHeaderFormat format = ThreeColumns(1);
    format.Count = 1;
    title.Apply(format);
    EXPECT_EQ(format.Columns[0].Lines[0].Text, "b");
    EXPECT_EQ(format.Columns[1].Lines[0].Text, "zero");
    EXPECT_EQ(format.Columns[2].Lines[0].Text, "zero");
}

TEST(LanguageStore, TranslateTitleAppliesTheFirstEntryOfTheName)
{
    const ScopedLanguage language;
    language.Language().Titles = {{"Other", {Position(3, 0)}, {"other"}},
                                  {"Format", {Position(3, 0)}, {"first"}},
                                  {"Format", {Position(3, 0)}, {"second"}}};
    TListHeaderFormat format = ThreeColumns(1);
    LanguageStore.TranslateTitle(format, "Format");
    EXPECT_EQ(format.Columns[0].Lines[0].Text, "first");

    format = ThreeColumns(1);
    LanguageStore.TranslateTitle(format, "format");
    EXPECT_EQ(format.Columns[0].Lines[0].Text, "zero");
}

TEST(LanguageStore, ClearLeavesTheStoreAsBuilt)
{
    {
        const ScopedLanguage language({{"A", "x"}});
        LanguageStore.TextLanguage = &language.Language();
        ASSERT_EQ(LanguageStore.GetText("A"), "x");
    }
    EXPECT_TRUE(LanguageStore.Languages.empty());
    EXPECT_EQ(LanguageStore.InterfaceLanguage, nullptr);
    EXPECT_EQ(LanguageStore.TextLanguage, nullptr);
    EXPECT_EQ(LanguageStore.GetText("A"), "");
}

} // namespace
