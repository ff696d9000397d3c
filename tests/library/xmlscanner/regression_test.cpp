// Inputs that once misbehaved or that stress the places where the scanner must not trust
// the text: entities that include the document itself, rewinds and loads in the middle of
// an entity, declarations in odd places.

#include "tests/library/xmlscanner/scanlog.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// External entities served from memory; "self" is the document itself.
class MemoryScanner : public TVmdXmlParser {
public:
    std::map<std::string, std::string> Files;
    std::string Document;

    std::unique_ptr<TVmdXmlParser> LoadExternalEntity(const std::string& SystemId, const std::string&,
                                                      const std::string&) override
    {
        auto entity = std::make_unique<MemoryScanner>();
        entity->Files = Files;
        entity->Document = Document;
        const auto found = Files.find(SystemId);
        if (SystemId == "self")
            entity->LoadFromBuffer(Document.c_str());
        else if (found != Files.end())
            entity->LoadFromBuffer(found->second.c_str());
        return entity;
    }

    std::string ScanDocument(const std::string& text)
    {
        Document = text;
        LoadFromBuffer(text.c_str());
        return ScanAll(*this);
    }
};

TEST(Regression, DocumentIncludingItselfStopsAtTheDepthLimit)
{
    // The included copy's own declaration is skipped, not analysed again; without that
    // the scan would go back to the first declaration's end for ever.
    MemoryScanner scanner;
    const std::string parts = scanner.ScanDocument("<!DOCTYPE r [<!ENTITY s SYSTEM 'self'>]><r>&s;</r>");
    std::string expected = "!DOCTYPE | <r>";
    for (int i = 0; i < TVmdXmlParser::MaxEntityDepth; ++i)
        expected += " | !DOCTYPE | <r>";
    expected += " | 's'";
    for (int i = 0; i <= TVmdXmlParser::MaxEntityDepth; ++i)
        expected += " | </r>";
    EXPECT_EQ(parts, expected);
    EXPECT_EQ(scanner.EntityStack.Count(), 0);
}

TEST(Regression, DocumentIncludingItselfInAnAttribute)
{
    // Each nested copy is scanned by a scanner of its own; the depth counts across them.
    // A value joins only the text of the copy, so every level gives "t".
    MemoryScanner scanner;
    EXPECT_EQ(scanner.ScanDocument("<!DOCTYPE r [<!ENTITY s SYSTEM 'self'>]><r k='&s;'>t</r>"),
              "!DOCTYPE | <r k=t> | 't' | </r>");
}

TEST(Regression, ExternalEntityBeginningWithAByteOrderMark)
{
    MemoryScanner scanner;
    scanner.Files["bom.ent"] = "\xEF\xBB\xBFk\xC3\xA9t";
    EXPECT_EQ(scanner.ScanDocument("<!DOCTYPE r [<!ENTITY b SYSTEM 'bom.ent'>]><r>&b;</r>"),
              "!DOCTYPE | <r> | 'k\xE9t' | </r>");
}

TEST(Regression, EncodingOfAnEntityEndsWithIt)
{
    MemoryScanner scanner;
    scanner.Files["latin.ent"] = "<?xml encoding='ISO-8859-2'?>\xF5";
    EXPECT_EQ(scanner.ScanDocument("<!DOCTYPE r [<!ENTITY l SYSTEM 'latin.ent'>]><r>&l;\xC3\xA9</r>"),
              "!DOCTYPE | <r> | xml | '\xF5\xE9' | </r>");
    EXPECT_EQ(scanner.CurEncoding(), "UTF-8");
}

TEST(Regression, RewindAndLoadInsideAnEntity)
{
    MemoryScanner scanner;
    scanner.Files["e.ent"] = "<a/><b/><c/>";
    const std::string text = "<!DOCTYPE r [<!ENTITY e SYSTEM 'e.ent'>]><r>&e;</r>";
    const std::string whole = scanner.ScanDocument(text);
    EXPECT_EQ(whole, "!DOCTYPE | <r> | <a/> | <b/> | <c/> | </r>");
    scanner.StartScan();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurName, "b");
    EXPECT_EQ(scanner.EntityStack.Count(), 1);
    EXPECT_EQ(ScanAll(scanner), whole);  // rewinds out of the entity
    scanner.StartScan();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(scanner.Scan());
    scanner.LoadFromBuffer("<z/>");
    EXPECT_EQ(scanner.EntityStack.Count(), 0);
    ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurName, "z");
}

TEST(Regression, MalformedDeclarationsTable)
{
    const struct {
        const char* text;
        const char* parts;
        const char* rawParts = nullptr;  // with Normalize off, when different
    } cases[] = {
        {"<!DOCTYPE a [<!ELEMENT a>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ELEMENT >]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ATTLIST>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ATTLIST a>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ATTLIST a k>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA #FIXED>]><a k='v'/>", "!DOCTYPE | <a k=/>"},
        {"<!DOCTYPE a [<!ATTLIST a k (x|y>]><a/>", "!DOCTYPE"},
        {"<!DOCTYPE a [<!ENTITY>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ENTITY %>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ENTITY e>]><a>&e;</a>", "!DOCTYPE | <a> | </a>", "!DOCTYPE | <a> | '' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e SYSTEM>]><a>&e;</a>", "!DOCTYPE | <a> | </a>", "!DOCTYPE | <a> | '' | </a>"},
        // The declaration's ">" inside a parameter entity: the scan goes on after "%p;".
        {"<!DOCTYPE a [<!ENTITY % p ']>'>%p;<a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!NOTATION>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ENTITY % p '%p;%p;'><!ENTITY e '%p;'>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [%p;]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a SYSTEM>", "!DOCTYPE"},
        {"<!DOCTYPE a PUBLIC 'x", "!DOCTYPE"},
        {"<!DOCTYPE [ ]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<?pi", "!DOCTYPE"},
        {"<!DOCTYPE a [<!--", "!DOCTYPE"},
        {"<!DOCTYPE a [<!ENTITY e '&#", "!DOCTYPE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanText(c.text, true), c.parts);
        EXPECT_EQ(ScanText(c.text, false), c.rawParts ? c.rawParts : c.parts);
    }
}

} // namespace
