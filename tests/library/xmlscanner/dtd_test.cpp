#include "tests/library/xmlscanner/scanlog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace {

// Records every item a document type declaration reports.
class RecordingScanner : public TVmdXmlParser {
public:
    std::vector<std::string> Items;

    void DtdElementFound(const TDtdElementRec& rec) override
    {
        const std::string span = (rec.Start && rec.Final) ? std::string(1, *rec.Start) + std::string(1, *rec.Final) : "";
        switch (rec.ElementType) {
        case deElement: Items.push_back("element " + rec.ElemDef->Name + " " + span); break;
        case deAttList: Items.push_back("attlist " + rec.ElemDef->Name + " " + span); break;
        case deEntity: Items.push_back("entity " + rec.EntityDef->Name + " " + span); break;
        case deNotation: Items.push_back("notation " + rec.NotationDef->Name + " " + span); break;
        case dePI: Items.push_back("pi " + *rec.Target + " " + rec.AttrList->Value("a")); break;
        case deComment: Items.push_back("comment " + span); break;
        case deError: Items.push_back(std::string("error ") + *rec.Pos); break;
        }
    }
};

struct DtdCase {
    const char* text;
    const char* parts;
};

TEST(Dtd, EntitiesInContentAndAttributes)
{
    const DtdCase cases[] = {
        {"<!DOCTYPE a [<!ENTITY e 'x&#65;y'>]><a k='&e;'>&e;</a>", "!DOCTYPE | <a k=xAy> | 'xAy' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e '<b>t</b>'>]><a>&e;</a>", "!DOCTYPE | <a> | <b> | 't' | </b> | </a>"},
        {"<!DOCTYPE a [<!ENTITY e 'a>b'>]><a>&e;</a>", "!DOCTYPE | <a> | 'a>b' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e \"it's\">]><a>&e;</a>", "!DOCTYPE | <a> | 'it's' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e '1'><!ENTITY e '2'>]><a>&e;</a>", "!DOCTYPE | <a> | '2' | </a>"},
        // Character references in a declared value come out right in a UTF-8 document.
        {"<!DOCTYPE a [<!ENTITY e '&#233;t&#x151;'>]><a k='&e;'>&e;</a>",
         "!DOCTYPE | <a k=\xE9t\xBF> | '\xE9t\xBF' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e '\xC3\xA9'>]><a k='&e;'>&e;</a>", "!DOCTYPE | <a k=\xE9> | '\xE9' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e 'x&#38;#65;y'>]><a>&e;</a>", "!DOCTYPE | <a> | 'xAy' | </a>"},
        // Replacement text in attribute values: whitespace becomes spaces, references nest.
        {"<!DOCTYPE a [<!ENTITY i 'in'><!ENTITY o '[&i;&#9;&lt;]'>]><a k='&o;'/>", "!DOCTYPE | <a k=[in <]/>"},
        {"<!DOCTYPE a [<!ENTITY i 'in'><!ENTITY o '[&i;]'>]><a>&o;</a>", "!DOCTYPE | <a> | '[in]' | </a>"},
        // A reference at the very end of a replacement text, followed by more markup.
        {"<!DOCTYPE r [<!ENTITY b '<q/>'><!ENTITY a '<p/>&b;'>]><r>&a;<z/></r>",
         "!DOCTYPE | <r> | <p/> | <q/> | <z/> | </r>"},
        {"<!DOCTYPE r [<!ENTITY b 'B'><!ENTITY a 'A&b;'>]><r>&a;&a;</r>", "!DOCTYPE | <r> | 'ABAB' | </r>"},
        {"<!DOCTYPE r [<!ENTITY e 'x'>]><r>&e;", "!DOCTYPE | <r> | 'x'"},
        {"<!DOCTYPE r [<!ENTITY e '&#32;'>]><r> &e; </r>", "!DOCTYPE | <r> | </r>"},
    };
    for (const DtdCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanText(c.text), c.parts);
    }
}

// A content part ends in the document's own text: after a reference that ends it, its
// last character is the reference's ";", whatever the replacement text held.
TEST(Dtd, ContentEndingWithAReferenceEndsAtItsSemicolon)
{
    const DtdCase cases[] = {
        {"<!DOCTYPE r [<!ENTITY e 'E'>]><r>a&e;</r>", "a&e;"},
        {"<!DOCTYPE r [<!ENTITY e 'E'>]><r>&e;</r>", "&e;"},
        {"<!DOCTYPE r [<!ENTITY e 'E'>]><r>a&e;&e;</r>", "a&e;&e;"},
        {"<!DOCTYPE r [<!ENTITY e 'E'>]><r>a&e;b</r>", "a&e;b"},
        {"<!DOCTYPE r [<!ENTITY e 'E'><!ENTITY f 'F&e;'>]><r>a&f;</r>", "a&f;"},
        {"<!DOCTYPE r [<!ENTITY e 'E   '>]><r>a&e;</r>", "a&e;"},
    };
    for (const DtdCase& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text = c.text;
        TVmdXmlParser scanner;
        scanner.SetBuffer(text.c_str());
        scanner.StartScan();
        while (scanner.Scan() && scanner.CurPartType != ptContent) {
        }
        ASSERT_EQ(scanner.CurPartType, ptContent);
        const char* end = text.c_str() + text.size();
        // Inside the document (not in a stored replacement text) before any span is read.
        ASSERT_TRUE(std::less_equal<const char*>()(text.c_str(), scanner.CurFinal) &&
                    std::less<const char*>()(scanner.CurFinal, end));
        EXPECT_EQ(std::string(scanner.CurStart, scanner.CurFinal + 1), c.parts);
    }
}

TEST(Dtd, ParameterEntities)
{
    const DtdCase cases[] = {
        {"<!DOCTYPE a [<!ENTITY % v 'val'><!ENTITY e 'x%v;y'>]><a>&e;</a>", "!DOCTYPE | <a> | 'xvaly' | </a>"},
        {"<!DOCTYPE a [<!ENTITY e 'x%u;y'>]><a>&e;</a>", "!DOCTYPE | <a> | 'x%u;y' | </a>"},
        {"<!DOCTYPE a [<!ENTITY % d '<!ENTITY e \"pe\">'>%d;]><a>&e;</a>", "!DOCTYPE | <a> | 'pe' | </a>"},
        {"<!DOCTYPE a [<!ENTITY % w 'v'><!ENTITY % v '[%w;]'><!ENTITY e '%v;'>]><a>&e;</a>",
         "!DOCTYPE | <a> | '[v]' | </a>"},
        {"<!DOCTYPE a [<!ENTITY % t 'CDATA'><!ATTLIST a k %t; 'd'>]><a/>", "!DOCTYPE | <a k=d/>"},
        {"<!DOCTYPE a [<!ENTITY % l 'k CDATA \"d\"'><!ATTLIST a %l;>]><a/>", "!DOCTYPE | <a k=d/>"},
        {"<!DOCTYPE a [<!ENTITY % s '<!ATTLIST a'>%s; k CDATA 'd'>]><a/>", "!DOCTYPE | <a k=d/>"},
        {"<!DOCTYPE a [<!ENTITY % c '&#60;!ENTITY e \"cr\">'>%c;]><a>&e;</a>", "!DOCTYPE | <a> | 'cr' | </a>"},
        {"<!DOCTYPE a [%undeclared; <!ENTITY e 'ok'>]><a>&e;</a>", "!DOCTYPE | <a> | 'ok' | </a>"},
        // The name of a reference runs to the next ";", wherever that is.
        {"<!DOCTYPE a [% <!ENTITY e 'ok'>]><a>&e;</a>", "!DOCTYPE"},
    };
    for (const DtdCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanText(c.text), c.parts);
    }
}

TEST(Dtd, AttributeDeclarations)
{
    const DtdCase cases[] = {
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'd'>]><a/>", "!DOCTYPE | <a k=d/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'd'>]><a k='own'/><b/>", "!DOCTYPE | <a k=own/> | <b/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA #FIXED 'd'>]><a k='z'/><a/>", "!DOCTYPE | <a k=d/> | <a k=d/>"},
        {"<!DOCTYPE a [<!ATTLIST a k NMTOKEN #IMPLIED>]><a k='  x   y '/><b k=' x  y '/>",
         "!DOCTYPE | <a k=x y/> | <b k= x  y />"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA #IMPLIED>]><a k='  x   y '/>", "!DOCTYPE | <a k=  x   y />"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA #REQUIRED l CDATA 'dl' m ID #IMPLIED>]><a m=' i '/>",
         "!DOCTYPE | <a l=dl m=i/>"},
        {"<!DOCTYPE a [<!ATTLIST a k ( x | y ) 'x'>]><a/><a k=' y '/>", "!DOCTYPE | <a k=x/> | <a k=y/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA #IMPLIED><!ELEMENT a ANY>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'd'><!ELEMENT a ANY>]><a/>", "!DOCTYPE | <a/>"},
        {"<!DOCTYPE a [<!ELEMENT a ANY><!ATTLIST a k CDATA 'd'>]><a/>", "!DOCTYPE | <a k=d/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'd'><!ATTLIST a k CDATA 'e'>]><a/>", "!DOCTYPE | <a k=e/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA '&#233;&amp;'>]><a/>", "!DOCTYPE | <a k=\xE9&/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'x' l CDATA>]><a/>", "!DOCTYPE | <a k=x/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA l CDATA 'y'>]><a/>", "!DOCTYPE | <a l=y/>"},
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'x'", "!DOCTYPE"},
        // End tags keep what they carry as written.
        {"<!DOCTYPE a [<!ATTLIST a k CDATA 'd'>]></a k=' x '>", "!DOCTYPE | </a>"},
    };
    for (const DtdCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanText(c.text), c.parts);
    }
}

TEST(Dtd, AttributeKindsAndTypes)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer(
        "<!DOCTYPE a [<!ATTLIST a d CDATA 'dv' f CDATA #FIXED 'fv' i ID #IMPLIED n NMTOKENS #REQUIRED "
        "e (p|q) 'p' t NOTATION (gif | png) #IMPLIED>]><a f='z' i='1' n='m' t='gif' u='v'/>");
    scanner.StartScan();
    ASSERT_TRUE(scanner.Scan());
    ASSERT_TRUE(scanner.Scan());
    struct Case {
        const char* name;
        const char* value;
        TValueType valueType;
        TAttrType attrType;
    };
    const Case cases[] = {
        {"d", "dv", vtDefault, atCData},    {"f", "fv", vtFixed, atCData},
        {"i", "1", vtImplied, atID},        {"n", "m", vtNormal, atNmTokens},
        {"e", "p", vtDefault, atEnumeration}, {"t", "gif", vtImplied, atNotation},
        {"u", "v", vtNormal, atUnknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TAttr* attr = scanner.CurAttr.Attr(c.name);
        ASSERT_NE(attr, nullptr);
        EXPECT_EQ(attr->Value, c.value);
        EXPECT_EQ(attr->ValueType, c.valueType);
        EXPECT_EQ(attr->AttrType, c.attrType);
    }
    const TElemDef* element = scanner.Elements.Node("a");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->Definition, "ANY");
    EXPECT_EQ(element->AttrDef("e")->TypeDef, "p|q");
    EXPECT_EQ(element->AttrDef("t")->Notations, "gif|png");
    EXPECT_EQ(element->AttrDef("n")->DefaultType, adRequired);
    EXPECT_EQ(element->AttrDef("d")->DefaultType, adDefault);
}

TEST(Dtd, ElementDeclarations)
{
    RecordingScanner scanner;
    scanner.LoadFromBuffer(
        "<!DOCTYPE r [<!ELEMENT e EMPTY><!ELEMENT y ANY><!ELEMENT m ( #PCDATA | b )*>"
        "<!ELEMENT c (b, c?)><!ELEMENT o odd><!ENTITY % p '(#PCDATA)'><!ELEMENT q %p;>]>");
    scanner.StartScan();
    while (scanner.Scan()) {
    }
    struct Case {
        const char* name;
        TElemType type;
        const char* definition;
    };
    const Case cases[] = {
        {"e", etEmpty, "EMPTY"},      {"y", etAny, "ANY"},  {"m", etMixed, "(#PCDATA|b)*"},
        {"c", etChildren, "(b,c?)"}, {"o", etAny, "odd"}, {"q", etMixed, "(#PCDATA)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TElemDef* element = scanner.Elements.Node(c.name);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->ElemType, c.type);
        EXPECT_EQ(element->Definition, c.definition);
    }
    EXPECT_EQ(scanner.Elements.Count(), 6);
    EXPECT_EQ(scanner.RootName(), "r");
    EXPECT_EQ(scanner.Items.front(), "element e <>");
}

TEST(Dtd, EntityAndNotationRecords)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer(
        "<!DOCTYPE r PUBLIC '-//X//DTD r//EN' 'r.dtd' [<!NOTATION gif PUBLIC 'pub-gif' 'viewer.exe'>"
        "<!NOTATION gif SYSTEM 'again'><!ENTITY pic SYSTEM 'p.gif' NDATA gif>"
        "<!ENTITY doc PUBLIC 'pub-doc' \"d.xml\"><!ENTITY % pe SYSTEM 'x.ent'>]>");
    scanner.StartScan();
    ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurPartType, ptDtdc);
    EXPECT_EQ(scanner.RootName(), "r");

    ASSERT_EQ(scanner.Notations.Count(), 2);  // an earlier notation is not removed
    const auto* gif = dynamic_cast<const TNotationDef*>(scanner.Notations.Node(1));
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->Value, "viewer.exe");
    EXPECT_EQ(gif->PublicId, "pub-gif");

    const auto* pic = dynamic_cast<const TEntityDef*>(scanner.Entities.Node("pic"));
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->Value, "");
    EXPECT_EQ(pic->SystemId, "p.gif");
    EXPECT_EQ(pic->NotationName, "gif");
    const auto* doc = dynamic_cast<const TEntityDef*>(scanner.Entities.Node("doc"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->PublicId, "pub-doc");
    EXPECT_EQ(doc->SystemId, "d.xml");
    EXPECT_NE(scanner.ParEntities.Node("pe"), nullptr);
    EXPECT_EQ(scanner.Entities.Node("pe"), nullptr);
}

TEST(Dtd, ExternalIdentifierTable)
{
    struct Case {
        const char* text;
        const char* publicId;
        const char* systemId;
        const char* final;  // the text from Final on
    };
    const Case cases[] = {
        {"SYSTEM 'a.dtd' [", "", "a.dtd", "' ["},
        {"SYSTEM\"a\"b", "", "a", "\"b"},
        {"PUBLIC 'p' \"s\">", "p", "s", "\">"},
        {"PUBLIC 'p'>", "p", "", ">"},
        {"SYSTEM >", "", "", ">"},
        {"SYSTEM [", "", "", "["},
        {"SYSTEM 'open", "", "open", ""},
        {"PUBLIC 'open", "open", "", ""},
        {"SYSTEM", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TExternalID id(c.text);
        EXPECT_EQ(id.PublicId, c.publicId);
        EXPECT_EQ(id.SystemId, c.systemId);
        EXPECT_STREQ(id.Final, c.final);
    }
}

TEST(Dtd, ItemsReportedInOrder)
{
    RecordingScanner scanner;
    scanner.LoadFromBuffer(
        "<!DOCTYPE r [<!-- c --><?pi a='1'?><!ELEMENT r ANY><!ATTLIST r k CDATA #IMPLIED>"
        "<!ENTITY e 'v'><!NOTATION n SYSTEM 's'><bad>] x ]><r/>");
    // "<bad>" ends the subset at its ">", so the rest is text.
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | '] x ]>' | <r/>");
    EXPECT_EQ(scanner.Items, (std::vector<std::string>{"comment <>", "pi pi 1", "element r <>", "attlist r <>",
                                                       "entity e <>", "notation n <>", "error <"}));
}

TEST(Dtd, TextAfterTheSubsetIsReportedAsErrors)
{
    RecordingScanner scanner;
    scanner.LoadFromBuffer("<!DOCTYPE r [<!ENTITY e 'v'>] x%y;[ ]> <r>&e;</r>");
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | <r> | 'v' | </r>");
    EXPECT_EQ(scanner.Items, (std::vector<std::string>{"entity e <>", "error x"}));
}

TEST(Dtd, RewindDoesNotAnalyseAgain)
{
    RecordingScanner scanner;
    scanner.LoadFromBuffer("<!DOCTYPE r [<!ENTITY e 'v'><!ATTLIST r k CDATA 'd'>]><r>&e;</r>");
    const std::string first = ScanAll(scanner);
    EXPECT_EQ(first, "!DOCTYPE | <r k=d> | 'v' | </r>");
    EXPECT_EQ(scanner.Items.size(), 2u);
    EXPECT_EQ(ScanAll(scanner), first);
    EXPECT_EQ(scanner.Items.size(), 2u);
    EXPECT_EQ(scanner.Entities.Count(), 1);
    // Loading again forgets the declarations.
    scanner.LoadFromBuffer("<r>&e;</r>");
    EXPECT_EQ(ScanAll(scanner), "<r> | 'e' | </r>");
    EXPECT_EQ(scanner.Entities.Count(), 0);
    EXPECT_EQ(scanner.RootName(), "");
}

TEST(Dtd, LaterDeclarationIsSkippedNotAnalysed)
{
    RecordingScanner scanner;
    scanner.LoadFromBuffer(
        "<!DOCTYPE a [<!ENTITY e '1'>]><a>&e;<!DOCTYPE b [<!ENTITY e '2'> <!-- ] > --> ]>&e;</a>");
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | <a> | '1' | !DOCTYPE | '1' | </a>");
    EXPECT_EQ(scanner.Items.size(), 1u);
    EXPECT_EQ(scanner.RootName(), "a");
}

TEST(Dtd, DeclarationEndingInsideAParameterEntity)
{
    RecordingScanner scanner;
    scanner.LoadFromBuffer("<!DOCTYPE a [<!ENTITY % x 'y'>] %x; ><a/>");
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | <a/>");
    EXPECT_EQ(scanner.Items, (std::vector<std::string>{"entity x <>", "error y"}));
}

std::string DataFile(const std::string& name)
{
    return std::string(XMLSCANNER_TEST_DATA) + "/" + name;
}

TEST(Dtd, ExternalSubsetAndEntitiesFromFilesBesideTheDocument)
{
    RecordingScanner scanner;
    ASSERT_TRUE(scanner.LoadFromFile(DataFile("external/doc.xml")));
    EXPECT_EQ(ScanAll(scanner),
              "xml | !DOCTYPE | <doc kind=x> | <p kind=para> | 'Bevezet\xE9s & t\xE1rgy' | </p> | "
              "<p kind=para title=Fejezetegyv\xE9ge> | 'Fejezet' | <b> | 'egy' | </b> | 'v\xE9ge' | </p> | "
              "xml | 'r\xE9szv\xE9g' | </doc>");
    EXPECT_EQ(scanner.Items, (std::vector<std::string>{"comment <>", "entity intro <>", "attlist p <>",
                                                       "entity chapter <>", "entity part <>"}));
    EXPECT_EQ(scanner.CurEncoding(), "UTF-8");  // restored when the entity ended
    EXPECT_EQ(scanner.Encoding(), "UTF-8");     // an entity's declaration does not count
    EXPECT_EQ(scanner.EntityStack.Count(), 0);

    scanner.SetNormalize(false);
    scanner.StartScan();
    std::string title;
    while (scanner.Scan()) {
        if (scanner.CurPartType == ptStartTag && scanner.CurAttr.Node("title"))
            title = scanner.CurAttr.Value("title");
    }
    EXPECT_EQ(title, "Fejezet egy v\xE9ge");
}

TEST(Dtd, MissingExternalFilesContributeNothing)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer("<!DOCTYPE a SYSTEM 'no-such.dtd' [<!ENTITY x SYSTEM 'no-such.ent'>]><a k='&x;'>[&x;]</a>");
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | <a k=> | '[]' | </a>");
}

TEST(Dtd, LoadExternalEntityResolvesAgainstTheDocumentFolder)
{
    TVmdXmlParser scanner;
    ASSERT_TRUE(scanner.LoadFromFile(DataFile("external/doc.xml")));
    const struct {
        const char* systemId;
        const char* text;
    } cases[] = {
        {"chapter.ent", "Fejezet <b>egy</b> v\xC3\xA9ge"},
        {"sub/part.ent", "<?xml encoding='windows-1250'?>r\xE9sz"},
        {"sub\\part.ent", "<?xml encoding='windows-1250'?>r\xE9sz"},
        {"missing.ent", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.systemId);
        const std::unique_ptr<TVmdXmlParser> entity = scanner.LoadExternalEntity(c.systemId, "", "");
        ASSERT_NE(entity, nullptr);
        EXPECT_STREQ(entity->DocBuffer(), c.text);
    }
    // A name from the root is not joined to the document's folder.
    std::vector<std::string> absolutes = {DataFile("external/chapter.ent")};
#ifdef _WIN32
    // With its drive, and from the current drive's root in Windows' own separators.
    const std::filesystem::path withDrive = std::filesystem::absolute(absolutes[0]);
    absolutes.push_back(withDrive.string());
    if (withDrive.root_name() == std::filesystem::current_path().root_name())
        absolutes.push_back(withDrive.string().substr(withDrive.root_name().string().size()));
#endif
    for (const std::string& absolute : absolutes) {
        SCOPED_TRACE(absolute);
        EXPECT_STREQ(scanner.LoadExternalEntity(absolute, "", "")->DocBuffer(), "Fejezet <b>egy</b> v\xC3\xA9ge");
    }
}

// The limits on entity expansion.

TEST(DtdLimits, SelfReferenceStopsAtTheDepthLimit)
{
    const std::string expected = std::string(TVmdXmlParser::MaxEntityDepth, 'x') + "a";
    EXPECT_EQ(ScanText("<!DOCTYPE r [<!ENTITY a 'x&a;'>]><r>&a;</r>"), "!DOCTYPE | <r> | '" + expected + "' | </r>");
    EXPECT_EQ(ScanText("<!DOCTYPE r [<!ENTITY a 'x&a;'>]><r k='&a;'/>"), "!DOCTYPE | <r k=" + expected + "/>");
    // Through another entity, and as markup.
    EXPECT_EQ(ScanText("<!DOCTYPE r [<!ENTITY a '&b;'><!ENTITY b '&a;'>]><r>&a;</r>"), "!DOCTYPE | <r> | 'a' | </r>");
    const std::string markup = ScanText("<!DOCTYPE r [<!ENTITY a '<i/>&a;'>]><r>&a;</r>");
    EXPECT_EQ(markup.size(), std::string("!DOCTYPE | <r> | ").size() + 32 * std::string("<i/> | ").size()
                                 + std::string("'a' | </r>").size());
}

TEST(DtdLimits, ParameterEntitySelfReference)
{
    EXPECT_EQ(ScanText("<!DOCTYPE r [<!ENTITY % p '%p;'>%p;<!ENTITY e 'after'>]><r>&e;</r>"),
              "!DOCTYPE | <r> | 'after' | </r>");
    EXPECT_EQ(ScanText("<!DOCTYPE r [<!ENTITY % p 'x%p;'><!ENTITY e '%p;'>]><r>&e;</r>"),
              "!DOCTYPE | <r> | '" + std::string(32, 'x') + "%p;' | </r>");
}

std::string Laughs(const char* use)
{
    std::string text = "<!DOCTYPE r [<!ENTITY l0 'lol'>";
    for (int level = 1; level <= 9; ++level) {
        text += "<!ENTITY l" + std::to_string(level) + " '";
        for (int i = 0; i < 10; ++i)
            text += "&l" + std::to_string(level - 1) + ";";
        text += "'>";
    }
    return text + "]>" + use;
}

TEST(DtdLimits, BillionLaughsIsBounded)
{
    for (const char* use : {"<r>&l9;</r>", "<r k='&l9;'/>"}) {
        SCOPED_TRACE(use);
        const std::string text = Laughs(use);
        TVmdXmlParser scanner;
        scanner.LoadFromBuffer(text.c_str());
        scanner.StartScan();
        std::size_t total = 0;
        std::string last;
        while (scanner.Scan()) {
            total += scanner.CurContent.size();
            for (int i = 0; i < scanner.CurAttr.Count(); ++i)
                total += scanner.CurAttr.Value(i).size();
            last = DescribePart(scanner);
        }
        EXPECT_GT(total, std::size_t{1} << 18);
        EXPECT_LT(total, TVmdXmlParser::ExpansionAllowance(text.size()));
        EXPECT_TRUE(last == "</r>" || last.rfind("<r k=", 0) == 0) << last.substr(0, 20);
    }
}

} // namespace

namespace {

TEST(DtdLimits, ExpansionLimitCanBeSet)
{
    const std::string value(100, 'x');
    const std::string text = "<!DOCTYPE r [<!ENTITY e '" + value + "'>]><r>&e;&e;</r>";
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer(text.c_str());
    EXPECT_EQ(scanner.ExpansionLimit(), 0u);
    // One expansion costs its length plus the overhead; the second no longer fits.
    scanner.SetExpansionLimit(value.size() + TVmdXmlParser::ExpansionOverhead + 10);
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | <r> | '" + value + "e' | </r>");
    // Every pass has the whole limit again.
    EXPECT_EQ(ScanAll(scanner), "!DOCTYPE | <r> | '" + value + "e' | </r>");
}

} // namespace
