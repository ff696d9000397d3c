#include "library/listheader/listheaderformat.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

// The field widths that stored settings and resources rely on.
static_assert(std::is_same_v<decltype(TListHeaderFormat::Count), int16_t>);
static_assert(std::is_same_v<decltype(TListHeaderFormat::Rows), int16_t>);
static_assert(std::is_same_v<decltype(TListHeaderFormat::Order), std::vector<int16_t>>);
static_assert(std::is_same_v<decltype(TListHeaderFormatCol::TitleAlignment), uint8_t>);
static_assert(std::is_same_v<decltype(TListHeaderFormatCol::ID), int16_t>);
static_assert(std::is_same_v<decltype(TListHeaderFormatCol::Kind), int32_t>);
static_assert(std::is_same_v<decltype(TListHeaderFormatCol::FloatFormat), uint8_t>);
static_assert(std::is_same_v<decltype(TListHeaderFormatCol::Factor), float>);
static_assert(std::is_same_v<decltype(TListHeaderFormatColLine::CurrentUnit), int16_t>);
static_assert(sizeof(TListHeaderFormatCol::Visible) == 1);
static_assert(std::is_same_v<decltype(ModuleMask), uint32_t>);

TEST(ListHeaderFormatCol, Defaults)
{
    const TListHeaderFormatCol column;
    EXPECT_TRUE(column.Visible);
    EXPECT_EQ(column.Width, 50);
    EXPECT_EQ(column.Precision, 5);
    EXPECT_EQ(column.Digits, 3);
    EXPECT_TRUE(column.ShowZero);
    EXPECT_TRUE(column.ModuleVisible);
    EXPECT_FALSE(column.UserDefined);
    EXPECT_EQ(column.Factor, 1.0f);
    EXPECT_EQ(column.Lines[1].DefaultUnit, -1);
    EXPECT_EQ(column.Lines[1].CurrentUnit, -1);
    const TListHeaderFormat format;
    EXPECT_EQ(format.Count, 0);
    EXPECT_EQ(format.Rows, 1);
    EXPECT_EQ(ModuleMask, 0xFFFFFFFFu);
}

struct FormatCase {
    const char* text;
    int32_t kind;
    int16_t precision;
    int16_t digits;
    bool showZero;
    uint8_t floatFormat;
    std::size_t used;
};

void PrintTo(const FormatCase& c, std::ostream* out)
{
    *out << CaseText(c.text);
}

class ParsesFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(ParsesFormat, IntoTheValueSettings)
{
    const FormatCase& expected = GetParam();
    TListHeaderFormatCol column;
    column.ShowZero = false;
    EXPECT_EQ(column.ParseFormat(expected.text), expected.used);
    EXPECT_EQ(column.Kind, expected.kind);
    EXPECT_EQ(column.Precision, expected.precision);
    EXPECT_EQ(column.Digits, expected.digits);
    EXPECT_EQ(column.ShowZero, expected.showZero);
    EXPECT_EQ(column.FloatFormat, expected.floatFormat);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParsesFormat, testing::Values(
    FormatCase{"5.2f", 2, 5, 2, true, 2, 4}, FormatCase{"E", 2, 5, 3, false, 1, 1},
    FormatCase{".1g", 2, 5, 1, true, 0, 3}, FormatCase{"X", 0, 5, 3, true, 0, 1},
    FormatCase{"I", 1, 5, 3, false, 0, 1}, FormatCase{"i", 1, 5, 3, true, 0, 1},
    FormatCase{"s", 0, 5, 3, true, 0, 1}, FormatCase{"C", 3, 5, 3, true, 0, 1},
    FormatCase{"12.4E", 2, 12, 4, false, 1, 5}, FormatCase{"F", 2, 5, 3, false, 2, 1},
    FormatCase{"5.2fName", 2, 5, 2, true, 2, 4}, FormatCase{"7", 0, 7, 3, true, 0, 1},
    FormatCase{"", 0, 5, 3, true, 0, 0}, FormatCase{"99999999g", 2, 32767, 3, true, 0, 9}));

TEST(ListHeaderFormatCol, FormatLettersWithoutAStyleKeepTheFloatFormat)
{
    for (const char* text : {"c", "I", "s"}) {
        TListHeaderFormatCol column;
        column.FloatFormat = 2;
        column.ParseFormat(text);
        EXPECT_EQ(column.FloatFormat, 2) << text;
    }
}

struct FlagCase {
    const char* text;
    uint32_t mask;
    bool visible;
    std::size_t used;
};

void PrintTo(const FlagCase& c, std::ostream* out)
{
    *out << CaseText(c.text) << " mask " << c.mask;
}

class ParsesModuleFlags : public testing::TestWithParam<FlagCase> {
protected:
    void TearDown() override { ModuleMask = 0xFFFFFFFFu; }
};

TEST_P(ParsesModuleFlags, AgainstTheMask)
{
    ModuleMask = GetParam().mask;
    TListHeaderFormatCol column;
    column.ModuleVisible = false;
    EXPECT_EQ(column.ParseModulFlag(GetParam().text), GetParam().used);
    EXPECT_EQ(column.ModuleVisible, GetParam().visible);
}

INSTANTIATE_TEST_SUITE_P(Lists, ParsesModuleFlags, testing::Values(
    FlagCase{"[1,2]", 1, false, 5}, FlagCase{"[!2]", 1, true, 4}, FlagCase{"[0]", ~0u, false, 3},
    FlagCase{"[1,2]", ~0u, true, 5}, FlagCase{"[]", 0, true, 2}, FlagCase{"[!]", ~0u, false, 3},
    FlagCase{"", 0, true, 0}, FlagCase{"Name", 0, true, 0}, FlagCase{"[ 4, 8]", 12, true, 7},
    FlagCase{"[4,8]", 4, false, 5}, FlagCase{"[!1,2]", 1, true, 6}, FlagCase{"[1,2", ~0u, true, 4},
    FlagCase{"[x]", ~0u, false, 3}, FlagCase{"[3]Name", 2, true, 3}, FlagCase{"[1,,1]", ~0u, false, 6}));

std::vector<std::pair<std::string, int>> Pieces(std::string text)
{
    std::vector<std::pair<std::string, int>> pieces;
    do {
        std::string piece;
        const int code = NextMarkupPiece(text, piece);
        pieces.emplace_back(piece, code);
    } while (!text.empty());
    return pieces;
}

using PieceList = std::vector<std::pair<std::string, int>>;

TEST(NextMarkupPiece, SplitsTitleMarkup)
{
    EXPECT_EQ(Pieces("a\\\\b"), (PieceList{{"a\\", 4}, {"b", 6}}));
    EXPECT_EQ(Pieces("H\\d2\\pO"), (PieceList{{"H", 1}, {"2", 3}, {"O", 6}}));
    EXPECT_EQ(Pieces("m\\u2\\;kg"), (PieceList{{"m", 0}, {"2", 5}, {"kg", 6}}));
    EXPECT_EQ(Pieces("\\fa"), (PieceList{{"", 2}, {"a", 6}}));
    EXPECT_EQ(Pieces("a\\qb"), (PieceList{{"a", 6}, {"b", 6}}));
    EXPECT_EQ(Pieces("plain"), (PieceList{{"plain", 6}}));
    EXPECT_EQ(Pieces(""), (PieceList{{"", 6}}));
}

TEST(NextMarkupPiece, DropsATrailingBackslashAndWholeUnknownCharacters)
{
    EXPECT_EQ(Pieces("ab\\"), (PieceList{{"ab", 6}}));
    EXPECT_EQ(Pieces("a\\\xC3\xA9" "b"), (PieceList{{"a", 6}, {"b", 6}}));  // "\é"
    EXPECT_EQ(Pieces("a\\\xE2\x82\xAC"), (PieceList{{"a", 6}}));           // "\€"
}

// Columns with IDs 10, 11, 12 shown in the order 12, 10, 11.
TListHeaderFormat ThreeColumns()
{
    TListHeaderFormat format;
    format.Count = 3;
    format.Rows = 2;
    for (int16_t id : {10, 11, 12}) {
        TListHeaderFormatCol column;
        column.ID = id;
        column.Lines[0].Text = "Title " + std::to_string(id);
        format.Columns.push_back(column);
    }
    format.Order = {2, 0, 1};
    return format;
}

TEST(ListHeaderFormat, ColumnFollowsTheDisplayOrder)
{
    TListHeaderFormat format = ThreeColumns();
    EXPECT_EQ(format.Column(0), &format.Columns[2]);
    EXPECT_EQ(format.Column(2), &format.Columns[1]);
    EXPECT_EQ(format.Column(-1), nullptr);
    EXPECT_EQ(format.Column(3), nullptr);
    format.Order[1] = 7;  // a broken order names no column
    EXPECT_EQ(format.Column(1), nullptr);
}

TEST(ListHeaderFormat, SwapOnlyWithinTheColumns)
{
    TListHeaderFormat format = ThreeColumns();
    for (const auto& [a, b] : {std::pair{0, 3}, std::pair{-1, 0}, std::pair{3, 3}}) {
        format.Swap(a, b);
        EXPECT_EQ(format.Order, (std::vector<int16_t>{2, 0, 1}));
    }
    format.Swap(0, 2);
    EXPECT_EQ(format.Order, (std::vector<int16_t>{1, 0, 2}));
    EXPECT_EQ(format.Column(0)->ID, 11);
}

TEST(ListHeaderFormat, AssignCopiesDeeplyAndClearEmpties)
{
    const TListHeaderFormat original = ThreeColumns();
    TListHeaderFormat copy;
    copy.Columns.resize(5);
    copy.Assign(original);
    EXPECT_EQ(copy, original);
    copy.Columns[0].Lines[0].Text = "changed";
    EXPECT_EQ(original.Columns[0].Lines[0].Text, "Title 10");

    copy.Assign(copy);
    EXPECT_EQ(copy.Columns[0].Lines[0].Text, "changed");
    EXPECT_EQ(copy.Count, 3);

    copy.Clear();
    EXPECT_EQ(copy, TListHeaderFormat());
}

TEST(ListHeaderFormatCol, TitleIsTheUsersWhenUserDefined)
{
    TListHeaderFormatCol column;
    column.Lines[0].Text = "Hossz";
    column.Lines[1].Text = "m";
    column.UserLines = {"Saját", "km"};
    EXPECT_EQ(column.Title(0), "Hossz");
    EXPECT_EQ(column.Title(1), "m");
    EXPECT_EQ(column.Title(2), "");
    EXPECT_EQ(column.Title(-1), "");
    column.UserDefined = true;
    EXPECT_EQ(column.Title(0), "Saját");
    EXPECT_EQ(column.Title(1), "km");
    EXPECT_EQ(column.Title(2), "");
}

} // namespace
