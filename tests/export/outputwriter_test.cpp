#include "export/outputwriter.h"

#include "common/xmldocument.h"
#include "export/formatitem.h"
#include "export/textrules.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Steps of a build: "+name" adds a child and enters it, "-" goes back to the parent
// (not above the document element), "t:text" sets the text, "a:name=value" sets an
// attribute.
using Steps = std::vector<std::string>;

// The same steps on a libxml2 tree, serialised by libxml2: what the writer must match.
std::string TreeText(const Steps& steps)
{
    TXMLDocument document;
    document.SetActive(true);
    document.SetDocumentElement(document.CreateElement("Gyökér"));
    TXMLDocument::Node cursor = document.DocumentElement();
    for (const std::string& step : steps) {
        if (step[0] == '+') {
            cursor = TXMLDocument::AddChild(cursor, step.substr(1));
        } else if (step == "-") {
            if (TXMLDocument::Node parent = TXMLDocument::Parent(cursor))
                cursor = parent;
        } else if (step.rfind("t:", 0) == 0) {
            TXMLDocument::SetText(cursor, step.substr(2));
        } else if (step.rfind("a:", 0) == 0) {
            size_t equals = step.find('=');
            TXMLDocument::SetAttribute(cursor, step.substr(2, equals - 2), step.substr(equals + 1));
        }
    }
    return document.Serialize();
}

std::string WriterText(const Steps& steps)
{
    TOutputWriter writer("Gyökér");
    for (const std::string& step : steps) {
        if (step[0] == '+') {
            writer.Begin(step.substr(1));
        } else if (step == "-") {
            writer.End();
        } else if (step.rfind("t:", 0) == 0) {
            writer.SetText(step.substr(2));
        } else if (step.rfind("a:", 0) == 0) {
            size_t equals = step.find('=');
            writer.SetAttribute(step.substr(2, equals - 2), step.substr(equals + 1));
        }
    }
    return writer.Finish();
}

std::string WithNul(std::string text)
{
    for (char& c : text)
        if (c == '0')
            c = '\0';
    return text;
}

TEST(OutputWriterTest, WritesWhatLibxml2WritesForTheSameTree)
{
    std::string everyByte;
    for (int c = 1; c < 256; ++c)
        everyByte += static_cast<char>(c);
    const struct {
        const char* name;
        Steps steps;
        const char* expected;  // "" where only the comparison matters
    } cases[] = {
        {"nothing built", {}, "<Gyökér/>"},
        {"rows", {"+Sor", "a:n=1", "+A", "t:egy", "-", "+B", "t:kettő & <három>", "-", "-", "+Sor", "-"},
         "<Gyökér><Sor n=\"1\"><A>egy</A><B>kettő &amp; &lt;három&gt;</B></Sor><Sor/></Gyökér>"},
        {"nested, left open at the end", {"+Számla", "+Tétel", "t:a", "-", "+Tétel", "+Ár", "t:5"}, ""},
        {"text replacing children", {"+Sor", "+A", "t:1", "-", "t:csak szöveg", "-"},
         "<Gyökér><Sor>csak szöveg</Sor></Gyökér>"},
        {"children after text", {"+Sor", "t:szöveg", "+A", "-", "t:új", "+B", "t:2", "-", "-"},
         "<Gyökér><Sor>új<B>2</B></Sor></Gyökér>"},
        {"the root's text replacing rows", {"+Sor", "-", "+Sor", "t:x", "-", "t:vége"}, "<Gyökér>vége</Gyökér>"},
        {"an empty text leaves an empty element", {"+A", "+B", "-", "t:", "-"}, "<Gyökér><A/></Gyökér>"},
        {"attributes keep their place when set again",
         {"+A", "a:b=1", "a:c=2", "+B", "-", "a:b=3", "a:xml:lang=hu", "a:xml:lang=en", "-", "a:db=2"},
         "<Gyökér db=\"2\"><A b=\"3\" c=\"2\" xml:lang=\"en\"><B/></A></Gyökér>"},
        {"every byte in a text and an attribute", {"+T", "t:" + everyByte, "a:v=" + everyByte, "-"}, ""},
        {"a value ends at a NUL", {"+T", "t:" + WithNul("a0b"), "a:v=" + WithNul("c0d"), "-", "+U", "t:" + WithNul("0x")},
         "<Gyökér><T v=\"c\">a</T><U></U></Gyökér>"},
        {"CR, LF and tab", {"+T", "t:a\r\n\tb", "a:v=a\r\n\tb", "-"},
         "<Gyökér><T v=\"a&#13;&#10;&#9;b\">a&#13;\n\tb</T></Gyökér>"},
        {"invalid UTF-8 passes as it is", {"+T", "t:\xff\xc3", "a:v=x", "a:v=\xfe", "-"}, ""},
    };
    for (const auto& c : cases) {
        const std::string tree = TreeText(c.steps);
        EXPECT_EQ(WriterText(c.steps), tree) << c.name;
        if (*c.expected) {
            EXPECT_EQ(tree, c.expected) << c.name;
        }
    }
}

// Random builds over a few names and awkward texts: the writer and libxml2 agree on
// every byte, and the writer's text is well-formed.
TEST(OutputWriterTest, AgreesWithLibxml2OnRandomBuilds)
{
    const std::vector<std::string> names = {"Sor", "A", "Gyökér", "x:y", "Árvíztűrő"};
    const std::vector<std::string> texts = {"", "1", "a<b>&c", "\"'\r\n\t", "ő€𝄞", " ", "]]>", "&amp;"};
    std::mt19937 random(20261211);
    for (int build = 0; build < 400; ++build) {
        Steps steps;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) {
            const std::string& name = names[random() % names.size()];
            const std::string& text = texts[random() % texts.size()];
            switch (random() % 5) {
            case 0:
            case 1: steps.push_back("+" + name); break;
            case 2: steps.push_back("-"); break;
            case 3: steps.push_back("t:" + text); break;
            default: steps.push_back("a:" + (name == "Gyökér" ? std::string("g") : name) + "=" + text); break;
            }
        }
        const std::string text = WriterText(steps);
        ASSERT_EQ(text, TreeText(steps)) << "build " << build;
        ASSERT_EQ(TXMLDocument::WellFormednessProblem(text), "") << text;
    }
}

TEST(OutputWriterTest, RefusesInvalidNamesAndStaysAsItWas)
{
    TOutputWriter writer("Doc");
    writer.Begin("Row");
    for (const char* name : {"", "1abc", "a b", "a<b"}) {
        EXPECT_THROW(writer.Begin(name), XmlError) << name;
        EXPECT_THROW(writer.SetAttribute(name, "v"), XmlError) << name;
    }
    EXPECT_THROW(writer.Begin(std::string("a\0b", 3)), XmlError);
    EXPECT_EQ(writer.CursorName(), "Row");
    EXPECT_EQ(writer.Depth(), 2u);
    EXPECT_EQ(writer.Finish(), "<Doc><Row/></Doc>");
    EXPECT_THROW(TOutputWriter("<Doc>"), XmlError);
}

TEST(OutputWriterTest, EndStopsAtTheDocumentElement)
{
    TOutputWriter writer("Doc");
    EXPECT_FALSE(writer.End());
    writer.Begin("Doc");
    EXPECT_TRUE(writer.End());
    EXPECT_FALSE(writer.End());
    EXPECT_EQ(writer.CursorName(), "Doc");
    EXPECT_EQ(writer.Finish(), "<Doc><Doc/></Doc>");
}

// Origins follow the start tags of the finished text: an element's origin is the last
// row that made or filled it, and the elements a text replaces take theirs with them.
TEST(OutputWriterTest, KeepsOriginsInDocumentOrder)
{
    const TOutputOrigin row5{nullptr, 5}, row6{nullptr, 6}, row7{nullptr, 7};
    TOutputWriter writer("Doc");
    writer.Begin("Early");  // before origins are kept: none
    writer.End();
    writer.KeepOrigins();
    writer.Begin("Row");
    writer.MarkCursor(&row5);
    writer.Begin("A");
    writer.MarkCursor(&row5);
    writer.End();
    writer.SetText("replaces A");
    writer.MarkCursor(&row6);
    writer.Begin("B");
    writer.MarkCursor(&row6);
    writer.End();
    writer.End();
    writer.Begin("Row");
    writer.MarkCursor(&row7);
    writer.MarkCursor(nullptr);  // no origin given: the old one stays
    writer.End();
    const std::vector<const TOutputOrigin*> origins = writer.Origins();
    EXPECT_EQ(writer.Finish(), "<Doc><Early/><Row>replaces A<B/></Row><Row/></Doc>");
    EXPECT_EQ(origins, (std::vector<const TOutputOrigin*>{nullptr, nullptr, &row6, &row6, &row7}));
}

// The promise behind skipping the parse of a finished text: whatever the writer built,
// whatever the formats and the layout did to it, a text IsWellFormedAsWritten accepts
// is well-formed.
TEST(OutputWriterTest, WhatCountsAsWellFormedAsWrittenIs)
{
    const std::vector<std::string> names = {"Sor", "A", "B", "xml"};
    const std::vector<std::string> texts = {"1", "a<b>&c", "\r\n\t", "\x01", "\xff", "ő", "<A", "</Sor>"};
    const std::vector<TFormatItem> formats = {{"Sor", "1"}, {"A", "0"}, {"A", "-2,x"}, {"?xml", "1"},
                                              {"", "0"},    {"B", "0,y"}, {"Sor n=\"1\"", "1"}};
    std::mt19937 random(1211);
    int accepted = 0;
    for (int build = 0; build < 300; ++build) {
        TOutputWriter writer("Sor");
        for (int i = static_cast<int>(random() % 30); i > 0; --i) {
            const std::string& name = names[random() % names.size()];
            const std::string& text = texts[random() % texts.size()];
            switch (random() % 4) {
            case 0: writer.Begin(name); break;
            case 1: writer.End(); break;
            case 2: writer.SetText(text); break;
            default: writer.SetAttribute(name, text); break;
            }
        }
        std::string text = Utf8Declaration + writer.Finish();
        for (int i = static_cast<int>(random() % 3); i > 0; --i)
            text = formats[random() % formats.size()].Apply(text);
        text = LayoutPasses(text, 0);
        if (IsWellFormedAsWritten(text)) {
            ++accepted;
            ASSERT_EQ(TXMLDocument::WellFormednessProblem(text), "") << text;
        }
    }
    // Both answers occur, so the check above is not empty.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, 300);
}

}  // namespace
