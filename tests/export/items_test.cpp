#include "export/excelcolitem.h"
#include "export/formatitem.h"
#include "common/xmldocument.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct CommandCase {
    std::string text;
    int kind;
    std::string argument;
};

void PrintTo(const CommandCase& c, std::ostream* out)
{
    *out << CaseText(c.text);
}

class CommandParseTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandParseTest, ParsesNameAndArgument)
{
    TCommandItem item(GetParam().text);
    EXPECT_EQ(item.Kind, GetParam().kind);
    EXPECT_EQ(item.Argument, GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandParseTest,
    ::testing::Values(CommandCase{"BeginItem(Person)", TCommandItem::BeginItem, "Person"},
                      CommandCase{"beginitem(Row)", TCommandItem::BeginItem, "Row"},
                      CommandCase{"BEGINITEM ( row )", TCommandItem::BeginItem, "row"},
                      CommandCase{"CreateDateItem", TCommandItem::CreateDateItem, ""},
                      CommandCase{"content", TCommandItem::Content, ""},
                      CommandCase{"Content(ignored) trailing", TCommandItem::Content, "ignored"},
                      CommandCase{"EndItem(Person", TCommandItem::EndItem, "Person"},  // ")" is optional
                      CommandCase{"Attribute( type=A )", TCommandItem::Attribute, "type=A"},
                      CommandCase{"Attribute(a = b=c)", TCommandItem::Attribute, "a = b=c"},
                      CommandCase{"Attribute", TCommandItem::Attribute, ""},
                      CommandCase{"A", TCommandItem::Unknown, ""},
                      CommandCase{"Begin Item(Row)", TCommandItem::Unknown, "Row"},
                      CommandCase{"(Row)", TCommandItem::Unknown, "Row"}));

TEST(ColItemTest, SplitsTheMappingAtEverySemicolon)
{
    TExcelColItem item("B", " BeginItem(Row) ; ;Content;EndItem(Row);");
    EXPECT_EQ(item.Column, "B");
    ASSERT_EQ(item.Commands.size(), 3u);
    EXPECT_EQ(item.Commands[0].Kind, TCommandItem::BeginItem);
    EXPECT_EQ(item.Commands[1].Kind, TCommandItem::Content);
    EXPECT_EQ(item.Commands[2].Kind, TCommandItem::EndItem);

    // No quoting: a ";" inside parentheses still splits.
    TExcelColItem split("A", "Attribute(a=x;y)");
    ASSERT_EQ(split.Commands.size(), 2u);
    EXPECT_EQ(split.Commands[0].Argument, "a=x");
    EXPECT_EQ(split.Commands[1].Kind, TCommandItem::Unknown);
}

class CommandRunTest : public ::testing::Test {
protected:
    void Run(const std::string& mapping, const std::string& cell) { TExcelColItem("A", mapping).Apply(output, cell); }
    std::string Text() { return output.Finish(); }

    TOutputWriter output{"Doc"};
};

TEST_F(CommandRunTest, BeginContentEndAddsOneChildAndReturnsToTheRoot)
{
    Run("BeginItem(Row);Content;EndItem(Row)", "x");
    EXPECT_EQ(output.Depth(), 1u);
    EXPECT_EQ(Text(), "<Doc><Row>x</Row></Doc>");
}

TEST_F(CommandRunTest, BeginItemDoesNotNestAnElementOfTheSameName)
{
    Run("BeginItem(Row)", "1");
    Run("BeginItem(Row)", "2");
    EXPECT_EQ(output.Depth(), 2u);
    EXPECT_EQ(Text(), "<Doc><Row/></Doc>");
}

TEST_F(CommandRunTest, EndItemOfAnotherNameDoesNothing)
{
    Run("BeginItem(Row)", "1");
    Run("EndItem(Other);EndItem(row)", "1");
    EXPECT_EQ(output.CursorName(), "Row");
}

TEST_F(CommandRunTest, EndItemNamingTheRootKeepsTheCursorAtTheRoot)
{
    Run("EndItem(Doc)", "x");
    EXPECT_EQ(output.Depth(), 1u);
    Run("EndItem(Doc);BeginItem(Row);Content", "y");
    EXPECT_EQ(Text(), "<Doc><Row>y</Row></Doc>");
}

TEST_F(CommandRunTest, LetterCaseOfTheArgumentCounts)
{
    Run("BeginItem(Row)", "");
    Run("BeginItem(row)", "");
    EXPECT_EQ(Text(), "<Doc><Row><row/></Row></Doc>");
}

TEST_F(CommandRunTest, AttributesFromTheCellOrConstant)
{
    Run("Attribute(kind=fix);Attribute(name);Attribute(a==b)", "cell");
    Run("Attribute(name)", "again");
    EXPECT_EQ(Text(), "<Doc kind=\"fix\" name=\"again\" a=\"=b\"/>");
}

TEST_F(CommandRunTest, TextsAndAttributesAreEscaped)
{
    Run("BeginItem(T);Content;Attribute(v)", "a<b & \"c\" 'd'>");
    EXPECT_EQ(Text(), "<Doc><T v=\"a&lt;b &amp; &quot;c&quot; 'd'&gt;\">a&lt;b &amp; \"c\" 'd'&gt;</T></Doc>");
}

TEST_F(CommandRunTest, InvalidNamesAreRefused)
{
    for (const char* mapping : {"BeginItem()", "BeginItem(1abc)", "BeginItem(a b)", "Attribute", "Attribute(a =b)",
                                "Attribute(=x)"})
        EXPECT_THROW(Run(mapping, "x"), XmlError) << mapping;
}

TEST_F(CommandRunTest, UnknownCommandsDoNothing)
{
    Run("A;Frobnicate(x)", "x");
    EXPECT_EQ(Text(), "<Doc/>");
}

TEST_F(CommandRunTest, DateItemHasYearMonthDay)
{
    AddDateItem(output, {2024, 1, 5});
    EXPECT_EQ(output.Depth(), 1u);
    EXPECT_EQ(Text(), "<Doc><Date><Year>2024</Year><Month>1</Month><Day>5</Day></Date></Doc>");
}

TEST_F(CommandRunTest, CreateDateItemAddsTodayEveryTimeWithoutMovingTheCursor)
{
    Run("CreateDateItem;CreateDateItem", "x");
    EXPECT_EQ(output.Depth(), 1u);
    TXMLDocument document;
    document.LoadFromText(Text());
    std::vector<TXMLDocument::Node> dates = TXMLDocument::ChildNodes(document.DocumentElement());
    ASSERT_EQ(dates.size(), 2u);
    std::vector<TXMLDocument::Node> parts = TXMLDocument::ChildNodes(dates[0]);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(TXMLDocument::NodeName(parts[0]), "Year");
    EXPECT_EQ(TXMLDocument::NodeName(parts[1]), "Month");
    EXPECT_EQ(TXMLDocument::NodeName(parts[2]), "Day");
    int month = std::stoi(TXMLDocument::Text(parts[1]));
    EXPECT_GE(month, 1);
    EXPECT_LE(month, 12);
}

struct FormatCase {
    std::string key;
    std::string value;
    std::string text;
    std::string result;
};

void PrintTo(const FormatCase& c, std::ostream* out)
{
    *out << c.key << "=" << CaseText(c.value) << " on " << CaseText(c.text);
}

class FormatApplyTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatApplyTest, BreaksLinesAroundTheTags)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(TFormatItem(c.key, c.value).Apply(c.text), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatApplyTest,
    ::testing::Values(
        FormatCase{"Row", "1", "<Doc><Row><A>1</A></Row></Doc>", "<Doc>\n\t<Row><A>1</A></Row></Doc>"},
        FormatCase{"Row", "1", "<RowSet><Row/></RowSet>", "<RowSet><Row/></RowSet>"},
        FormatCase{"Row", "1", "<Row kind=\"a\"/>", "\n\t<Row kind=\"a\"/>"},
        FormatCase{"Row", "0", "<RowSet></RowSet><Row></Row>", "<RowSet></RowSet>\n<Row>\n</Row>"},
        FormatCase{"Doc", "0,x", "<Doc><A/></Doc>", "\n<Doc><A/>\n</Doc>\n"},
        FormatCase{"Doc", "-2", "<Doc><A/></Doc>", "\n\t\t<Doc><A/>\n\t\t</Doc>"},
        FormatCase{"Doc", "2", "<Doc><A/></Doc>", "\n\t\t<Doc><A/></Doc>"},
        FormatCase{"Doc", "2,x", "<Doc><A/></Doc>", "\n\t\t<Doc><A/></Doc>"},  // after-close needs indent <= 0
        FormatCase{"Doc", "1,", "<Doc></Doc>", "\n\t<Doc></Doc>"},
        FormatCase{"Doc", "0,x", "<Doc></Doc >", "\n<Doc>\n</Doc >"},  // a space after the name: no break after
        FormatCase{"Doc", "0", "<Doc", "<Doc"},  // a cut tag at the end: no ">" or space follows
        FormatCase{"Doc", "0", "</Doc", "</Doc"}));

TEST(FormatItemTest, ParsesIndentAndAfterClose)
{
    TFormatItem plain("Row", "2");
    EXPECT_EQ(plain.Tag, "Row");
    EXPECT_EQ(plain.Indent, 2);
    EXPECT_EQ(plain.AfterClose, "");
    TFormatItem after("Doc", "-1,x,y");
    EXPECT_EQ(after.Indent, -1);
    EXPECT_EQ(after.AfterClose, "x,y");
    EXPECT_EQ(TFormatItem("Doc", "1,").AfterClose, "");
    EXPECT_EQ(TFormatItem("Doc", "70000").Indent, 4464);  // 16 bits wrap
    for (const char* bad : {"", "x", "1.5", " 1,", "1 ,x", "9999999999"})
        EXPECT_THROW(TFormatItem("Doc", bad), std::invalid_argument) << bad;
}

// Apply finds both kinds of tag in one walk: on any text it gives what the two passes
// one after the other give.
TEST(FormatItemTest, OneWalkGivesWhatTwoPassesGive)
{
    const char alphabet[] = "<</> Rowx";
    std::mt19937 random(1211);
    for (const char* tag : {"Row", "R", "", "o", "Row x", "w>", "/R", "R<o"}) {
        for (const char* value : {"1", "0", "-2,x", "0,y"}) {
            TFormatItem item(tag, value);
            for (int i = 0; i < 300; ++i) {
                std::string text;
                for (int n = static_cast<int>(random() % 40); n > 0; --n)
                    text += alphabet[random() % (sizeof alphabet - 1)];
                ASSERT_EQ(item.Apply(text), item.ApplyInTwoPasses(text)) << tag << "=" << value << " on " << text;
            }
        }
    }
}

TEST(FormatItemTest, TwoItemsOfOneTagBreakTwice)
{
    TFormatItem item("Row", "1");
    EXPECT_EQ(item.Apply(item.Apply("<Doc><Row/><Row></Row></Doc>")), "<Doc><Row/>\n\t\n\t<Row></Row></Doc>");
}

}  // namespace
