#include "common/xmldocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* text;
    const char* reason;  // the reason shown after "Hibás XML fájl: name, N. sor: "
};

std::string LoadError(const std::filesystem::path& file, const std::string& text)
{
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }
    TXMLDocument document;
    try {
        document.LoadFromFile(file.string());
    } catch (const XmlError& error) {
        return error.what();
    }
    return "(loaded)";
}

}  // namespace

// What a user reads for the mistakes people make when they edit XML by hand.
TEST(ParseReasonTest, CommonMistakesAreExplainedInHungarian)
{
    const ParseCase cases[] = {
        {"<a>\n<b>\n</a>\n", "a(z) <b> elem (2. sor) záró címkéje helyett </a> áll"},
        {"<a>\n<b></b\n</a>\n", "hiányzik a '>' jel"},
        {"<a>\n<b>", "a fájl véget ér, mielőtt a(z) <b> elem (2. sor) lezárulna"},
        {"<a/>\n<b/>\n", "a gyökérelem után további tartalom áll"},
        {"", "nincs gyökérelem (a fájl üres, vagy nem '<' jellel kezdődik)"},
        {"<a x=1/>", "az attribútum értéke nem idézőjellel kezdődik"},
        {"<a x='1' x='2'/>", "a(z) x attribútum kétszer szerepel"},
        {"<a>&nbsp;</a>", "ismeretlen entitás: &nbsp;"},
        {"<a>R&D</a>", "hiányzik a ';' egy '&' jellel kezdett hivatkozás végéről"},
        {"<a><!-- x -- y --></a>", "két kötőjel ('--') egy megjegyzés belsejében"},
    };
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "korvex-parse-reason.xml";
    for (const ParseCase& c : cases) {
        std::string message = LoadError(file, c.text);
        EXPECT_NE(message.find(std::string(": ") + c.reason), std::string::npos) << c.text << "\n" << message;
        EXPECT_EQ(message.rfind("Hibás XML fájl: " + file.string(), 0), 0u) << message;
    }
    std::filesystem::remove(file);
}

TEST(ParseReasonTest, RareErrorsKeepLibxmlTextInBrackets)
{
    EXPECT_EQ(HungarianParseReason({-12345, "Something unusual", "", "", 0}),
              "hibás XML szerkezet (Something unusual)");
    // libxml2's size limits keep their own Hungarian words.
    EXPECT_EQ(HungarianParseReason({-12345, "Excessive depth in document: 256 use XML_PARSE_HUGE option", "", "", 0}),
              "túl mélyen egymásba ágyazott elemek (legfeljebb 256 szint)");
}

namespace {

// Builds a document from steps ("+name" adds a child and enters it, "-" goes to the
// parent, "t:text" sets the text, "a:name=value" sets an attribute, "r" releases what
// is finished when release is on) and gives its serialisation.
std::string Build(const std::vector<std::string>& steps, bool release)
{
    TXMLDocument document;
    document.SetActive(true);
    document.SetDocumentElement(document.CreateElement("Gyökér"));
    TXMLDocument::Node cursor = document.DocumentElement();
    for (const std::string& step : steps) {
        if (step[0] == '+') {
            cursor = TXMLDocument::AddChild(cursor, step.substr(1));
        } else if (step == "-") {
            cursor = TXMLDocument::Parent(cursor);
        } else if (step.rfind("t:", 0) == 0) {
            TXMLDocument::SetText(cursor, step.substr(2));
        } else if (step.rfind("a:", 0) == 0) {
            size_t equals = step.find('=');
            TXMLDocument::SetAttribute(cursor, step.substr(2, equals - 2), step.substr(equals + 1));
        } else if (step == "r" && release) {
            document.ReleaseFinished(cursor);
        }
    }
    return document.Serialize();
}

}  // namespace

// Releasing finished parts while building changes no byte of the serialisation,
// wherever the cursor stands and whatever is done to its elements afterwards.
TEST(XmlDocumentRelease, GivesTheBytesOfTheWholeTree)
{
    const std::vector<std::string> row = {"+Sor", "a:n=1", "+A", "t:egy", "-", "+B", "t:kettő & <három>", "-", "-"};
    auto repeat = [&](int times, std::vector<std::string> between) {
        std::vector<std::string> steps;
        for (int i = 0; i < times; ++i) {
            steps.insert(steps.end(), row.begin(), row.end());
            steps.insert(steps.end(), between.begin(), between.end());
        }
        return steps;
    };
    const struct {
        const char* name;
        std::vector<std::string> steps;
        const char* expected;  // "" where only the comparison matters
    } cases[] = {
        {"nothing built", {"r"}, "<Gyökér/>"},
        {"rows below the root, released from the root", repeat(3, {"r"}), ""},
        {"released from inside a row",
         {"+Sor", "+A", "t:1", "-", "r", "+B", "t:2", "-", "r", "-", "+Sor", "r", "+A", "t:3", "-", "-"},
         "<Gyökér><Sor><A>1</A><B>2</B></Sor><Sor><A>3</A></Sor></Gyökér>"},
        {"nested invoices",
         {"+Számla", "+Tétel", "t:a", "-", "r", "+Tétel", "t:b", "-", "r", "-", "r", "+Számla", "+Tétel", "t:c", "-",
          "r", "-"},
         "<Gyökér><Számla><Tétel>a</Tétel><Tétel>b</Tétel></Számla><Számla><Tétel>c</Tétel></Számla></Gyökér>"},
        {"text replacing released children", {"+Sor", "+A", "t:1", "-", "r", "t:csak szöveg", "-", "r"},
         "<Gyökér><Sor>csak szöveg</Sor></Gyökér>"},
        {"the root's text replacing released rows", [&] {
             auto steps = repeat(2, {"r"});
             steps.push_back("t:vége");
             return steps;
         }(),
         "<Gyökér>vége</Gyökér>"},
        {"an attribute of the root after release", [&] {
             auto steps = repeat(2, {"r"});
             steps.push_back("a:db=2");
             return steps;
         }(),
         ""},
        {"text that looks like the release mark", {"+A", "t:<!--korvex-released:0-->", "-", "r", "+B", "-", "r"},
         "<Gyökér><A>&lt;!--korvex-released:0--&gt;</A><B/></Gyökér>"},
    };
    for (const auto& c : cases) {
        std::string whole = Build(c.steps, false);
        EXPECT_EQ(Build(c.steps, true), whole) << c.name;
        if (*c.expected) {
            EXPECT_EQ(whole, c.expected) << c.name;
        }
    }
}

// Released rows leave the tree: one node stands for all of them.
TEST(XmlDocumentRelease, FreesTheFinishedElements)
{
    TXMLDocument document;
    document.SetActive(true);
    document.SetDocumentElement(document.CreateElement("Gyökér"));
    TXMLDocument::Node root = document.DocumentElement();
    for (int i = 0; i < 100; ++i)
        TXMLDocument::SetText(TXMLDocument::AddChild(root, "Sor"), std::to_string(i));
    document.ReleaseFinished(root);
    TXMLDocument::SetText(TXMLDocument::AddChild(root, "Sor"), "100");
    EXPECT_EQ(TXMLDocument::ChildNodes(root).size(), 2u);
    document.ReleaseFinished(root);
    EXPECT_EQ(TXMLDocument::ChildNodes(root).size(), 1u);
    const std::string text = document.Serialize();
    EXPECT_EQ(text.rfind("<Gyökér><Sor>0</Sor><Sor>1</Sor>", 0), 0u);
    EXPECT_NE(text.find("<Sor>99</Sor><Sor>100</Sor></Gyökér>"), std::string::npos);
}
