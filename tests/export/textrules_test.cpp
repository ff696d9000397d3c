#include "export/textrules.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct SplitCase {
    std::string text;
    std::string separator;
    std::string token;
    std::string rest;
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << CaseText(c.text) << " at " << CaseText(c.separator);
}

class SplitFirstTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFirstTest, CutsTheFirstToken)
{
    const SplitCase& c = GetParam();
    std::string text = c.text;
    EXPECT_EQ(SplitFirst(text, c.separator), c.token);
    EXPECT_EQ(text, c.rest);

    std::string_view view = c.text;
    EXPECT_EQ(SplitFirst(view, c.separator), c.token);
    EXPECT_EQ(view, c.rest);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitFirstTest,
                         ::testing::Values(SplitCase{"A;B;C", ";", "A", "B;C"},
                                           SplitCase{"  a  ; b", ";", "a", " b"},     // token trimmed, rest not
                                           SplitCase{"  last  ", ";", "  last  ", ""},  // no separator: kept as is
                                           SplitCase{";B", ";", "", "B"},
                                           SplitCase{"A;", ";", "A", ""},
                                           SplitCase{"", ";", "", ""},
                                           SplitCase{"BeginItem(Row)", "(", "BeginItem", "Row)"},
                                           SplitCase{"Row) tail", ")", "Row", " tail"},
                                           SplitCase{"a\t;b", ";", "a", "b"}));

struct ReplaceCase {
    std::string text;
    std::string from;
    std::string to;
    std::string result;
};

void PrintTo(const ReplaceCase& c, std::ostream* out)
{
    *out << CaseText(c.text) << " " << CaseText(c.from) << " to " << CaseText(c.to);
}

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, ReplacesEveryOccurrenceWithoutRescanning)
{
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceAllTest,
                         ::testing::Values(ReplaceCase{"<a><b></b></a>", "><", ">\t<", "<a>\t<b>\t</b>\t</a>"},
                                           ReplaceCase{"a\nb", "\n", "\r\n", "a\r\nb"},
                                           ReplaceCase{"aaa", "a", "aa", "aaaaaa"},  // inserted text not scanned
                                           ReplaceCase{"abc", "", "x", "abc"},
                                           ReplaceCase{"", "x", "y", ""}));

struct LayoutCase {
    std::string text;
    int encoding;
    std::string result;
};

void PrintTo(const LayoutCase& c, std::ostream* out)
{
    *out << CaseText(c.text) << " encoding " << c.encoding;
}

class LayoutPassesTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutPassesTest, AppliesThePassesInOrder)
{
    const LayoutCase& c = GetParam();
    EXPECT_EQ(LayoutPasses(c.text, c.encoding), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutPassesTest,
    ::testing::Values(
        // Every LF, with or without a CR before it, becomes one CR LF; a lone CR stays.
        LayoutCase{"a\r\nb\nc\rd", 0, "a\r\nb\r\nc\rd"},
        LayoutCase{"\r\r\n", 0, "\r\r\n"},
        // Touching tags get a tab; tags with text between them do not.
        LayoutCase{"<a><b>x</b></a>", 0, "<a>\t<b>x</b>\t</a>"},
        LayoutCase{"<a>\n<b/></a>", 0, "<a>\r\n<b/>\t</a>"},
        // The declaration is changed only for an 8-bit encoding and only in its exact UTF-8 form.
        LayoutCase{"<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>", 0, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<a/>"},
        LayoutCase{"<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>", 1,
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\t<a/>"},
        LayoutCase{"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", 1, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\t<a/>"},
        LayoutCase{"<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>", -3,
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\t<a/>"}));

// The layout runs its passes in one walk; on texts built from the pieces the passes
// look for, next to each other in every order, it gives what the four passes give
// one after the other.
TEST(LayoutPassesTest, OneWalkEqualsTheFourPasses)
{
    auto fourPasses = [](const std::string& text, int encoding) {
        std::string out = ReplaceAll(text, "\r\n", "\n");
        out = ReplaceAll(out, "\n", "\r\n");
        out = ReplaceAll(out, "><", ">\t<");
        return encoding != 0 ? ReplaceAll(out, Utf8Declaration, Iso88592Declaration) : out;
    };
    const std::string declaration = Utf8Declaration;
    const std::vector<std::string> pieces = {"\r", "\n", "<", ">", "a", "\t", declaration,
                                             declaration.substr(0, 10), "?>", "\r\n"};
    std::mt19937 random(17);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int length = static_cast<int>(random() % 9); length > 0; --length)
            text += pieces[random() % pieces.size()];
        for (int encoding : {0, 2}) {
            ASSERT_EQ(LayoutPasses(text, encoding), fourPasses(text, encoding))
                << "encoding " << encoding << ", text \"" << text << "\"";
        }
    }
}

TEST(ParseIntegerTest, AcceptsOnlyADecimalWithAnOptionalSign)
{
    EXPECT_EQ(ParseInteger("0"), 0);
    EXPECT_EQ(ParseInteger("1"), 1);
    EXPECT_EQ(ParseInteger("-2"), -2);
    EXPECT_EQ(ParseInteger("+3"), 3);
    EXPECT_EQ(ParseInteger("007"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "+", "x", "1.5", "1 ", " 1", "1e3", "+-1", "--1", "2147483648", "0x10"})
        EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
}

TEST(UpperAsciiTest, UpperCasesAsciiLettersOnly)
{
    EXPECT_EQ(UpperAscii("ab1;zZ"), "AB1;ZZ");
    EXPECT_EQ(UpperAscii("ő"), "ő");
}

}  // namespace
