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

