#include "tests/library/xmlscanner/scanlog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ScanCase {
    const char* text;
    const char* normalized;  // parts with Normalize on
    const char* raw;         // parts with Normalize off
};

TEST(Scan, PartsTable)
{
    const ScanCase cases[] = {
        {"", "", ""},
        {"<a/>", "<a/>", "<a/>"},
        {"<a></a>", "<a> | </a>", "<a> | </a>"},
        {"<a b = 'x'  c=\"y\">", "<a b=x c=y>", "<a b=x c=y>"},
        {"<a b=x>", "<a>", "<a>"},
        {"<a>  Hello\r\n  world </a> <b/>", "<a> | 'Hello world' | </a> | <b/>",
         "<a> | '  Hello\r\n  world ' | </a> | ' ' | <b/>"},
        {"<a>x</a>y", "<a> | 'x' | </a> | 'y'", "<a> | 'x' | </a> | 'y'"},
        {"x &amp; y &foo; z", "'x & y foo z'", "'x & y foo z'"},
        {"&lt;&gt;&amp;&apos;&quot;", "'<>&'\"'", "'<>&'\"'"},
        {"<!-- c --><a/>", "!-- | <a/>", "!-- | <a/>"},
        {"<!----><a/>", "!-- | <a/>", "!-- | <a/>"},
        {"<![CDATA[ a  <b> ]]>", "[ a  <b> ]", "[ a  <b> ]"},
        {"<?xml version='1.0'?><a/>", "xml | <a/>", "xml | <a/>"},
        {"<?xml-stylesheet href='s.css'?>", "?xml-stylesheet{ href='s.css'}", "?xml-stylesheet{ href='s.css'}"},
        {"<?pi?>", "?pi{}", "?pi{}"},
        {"<?pi a b?>x", "?pi{ a b} | 'x'", "?pi{ a b} | 'x'"},
        {"</a b='x>y'>", "</a>", "</a>"},
        {"</a/>", "</a>", "</a>"},
        {"<a\tb='1'\n/>", "<a b=1/>", "<a b=1/>"},
        {"<a b='\t1\r\n2'/>", "<a b= 1  2/>", "<a b= 1  2/>"},
        {"<a b='x &amp; &lt;y&gt; &#65;&#x42;&#X43; &u;'/>", "<a b=x & <y> AB\xBF u/>",
         "<a b=x & <y> AB\xBF u/>"},
        {"<a b='&amp' c='&'/>", "<a b=mp c=/>", "<a b=mp c=/>"},  // "&" goes with the next character
        {"a&b", "'ab'", "'ab'"},
        {"a&b;c", "'abc'", "'abc'"},
        {"a&#;b&#x;c&#12x;d", "'a b c d'", "'a b c d'"},
        {"a&#0065;b", "'aAb'", "'aAb'"},
        {"a&#99999999999;b", "'a b'", "'a b'"},
        {"a&#-65;b", "'a b'", "'a b'"},
        {"&#x20AC;&#8364;&#x9D;", "'\x80\x80\x9D'", "'\x80\x80\x9D'"},
        {"<b>&lt;c&gt;</b>", "<b> | '<c>' | </b>", "<b> | '<c>' | </b>"},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanText(c.text, true), c.normalized);
        EXPECT_EQ(ScanText(c.text, false), c.raw);
    }
}

TEST(Scan, TruncatedInputTable)
{
    // Every construct that is cut short ends at the last character; nothing is read
    // past the terminating zero.
    const ScanCase cases[] = {
        {"<", "<>", "<>"},
        {"</", "</>", "</>"},
        {"<?", "?{}", "?{}"},
        {"<?xml ", "xml", "xml"},
        {"<?xml version='1.0", "xml", "xml"},
        {"<?pi x", "?pi{ x}", "?pi{ x}"},
        {"<!--", "!--", "!--"},
        {"<!-- x", "!--", "!--"},
        {"<!-- x --", "!--", "!--"},
        {"<![CDATA[", "[]", "[]"},
        {"<![CDATA[abc]]", "[abc]]]", "[abc]]]"},
        {"<!DOCTYPE", "!DOCTYPE", "!DOCTYPE"},
        {"<!DOCTYPE a [<!ENTITY e 'x", "!DOCTYPE", "!DOCTYPE"},
        {"<a", "<a>", "<a>"},
        {"<a b", "<a>", "<a>"},
        {"<a b=", "<a>", "<a>"},
        {"<a b='x", "<a b=x>", "<a b=x>"},
        {"<a b='x'", "<a b=x>", "<a b=x>"},
        {"<a b='x'/", "<a b=x/>", "<a b=x/>"},
        {"<a>text", "<a> | 'text'", "<a> | 'text'"},
        {"<a>&amp", "<a> | 'amp'", "<a> | 'amp'"},
        {"<a>&", "<a>", "<a> | ''"},
        {"\xC3", "'\xBF'", "'\xBF'"},
        {"\xEF\xBB", "'\xBF'", "'\xBF'"},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanText(c.text, true), c.normalized);
        EXPECT_EQ(ScanText(c.text, false), c.raw);
    }
}

TEST(Scan, EmptyTextEndsAtOnce)
{
    TVmdXmlParser scanner;
    scanner.StartScan();
    EXPECT_FALSE(scanner.Scan());  // nothing loaded
    ASSERT_TRUE(scanner.LoadFromBuffer(""));
    scanner.StartScan();
    EXPECT_FALSE(scanner.Scan());
    EXPECT_FALSE(scanner.Scan());
    EXPECT_EQ(scanner.CurStart, scanner.DocBuffer());
}

TEST(Scan, ContentKeepsTheNameOfTheLastTag)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer("<a k='v'>x</a>y<?pi?>z");
    scanner.StartScan();
    std::vector<std::string> names;
    std::vector<std::string> attrs;
    while (scanner.Scan()) {
        if (scanner.CurPartType == ptContent) {
            names.push_back(scanner.CurName);
            attrs.push_back(scanner.CurAttr.Value("k"));
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "a", "pi"}));
    EXPECT_EQ(attrs, (std::vector<std::string>{"v", "", ""}));
}

TEST(Scan, CharacterReferencesAndUtf8)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer("<a>\xC3\xA9|&#233;|&#337;|&#x41;|&#X41;|&#xe9;</a>");
    scanner.StartScan();
    ASSERT_TRUE(scanner.Scan());
    ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurContent, "\xE9|\xE9|\xBF|A| |\xE9");
}

TEST(Scan, UndeclaredNameIsConvertedLikeOtherText)
{
    // The bare name of an undeclared reference is document text too.
    EXPECT_EQ(ScanText("x&\xC3\xA9t\xC3\xA9;y"), "'x\xE9t\xE9y'");
    EXPECT_EQ(ScanText("<a k='&\xC3\xA9;'/>"), "<a k=\xE9/>");
}

TEST(Scan, PositionsOfParts)
{
    const std::string text = "<?xml version='1.0'?><a b='1'>t &amp; u</a><!--c--><![CDATA[d]]>";
    TVmdXmlParser scanner;
    scanner.SetBuffer(text.c_str());
    scanner.StartScan();
    std::vector<std::string> spans;
    while (scanner.Scan())
        spans.emplace_back(scanner.CurStart, scanner.CurFinal + 1);
    EXPECT_EQ(spans, (std::vector<std::string>{"<?xml version='1.0'?>", "<a b='1'>", "t &amp; u", "</a>",
                                               "<!--c-->", "<![CDATA[d]]>"}));
    EXPECT_EQ(scanner.CurStart, text.c_str() + text.size());
    EXPECT_EQ(scanner.CurFinal, text.c_str() + text.size() - 1);
}

TEST(Scan, DeclarationFields)
{
    struct Case {
        const char* text;
        const char* version;
        const char* encoding;
        bool standalone;
        const char* curEncoding;
    };
    const Case cases[] = {
        {"<a/>", "", "UTF-8", false, "UTF-8"},
        {"<?xml version=\"1.0\"?><a/>", "1.0", "", false, "UTF-8"},
        {"<?xml version='1.0' encoding='windows-1250' standalone='yes'?>", "1.0", "windows-1250", true,
         "WINDOWS-1250"},
        {"<?xml encoding='utf-8' standalone='no'?>", "", "utf-8", false, "UTF-8"},
        {"\xEF\xBB\xBF<a/>", "", "UTF-8", false, "UTF-8"},
        {"\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?>", "1.0", "ISO-8859-1", false,
         "ISO-8859-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TVmdXmlParser scanner;
        scanner.LoadFromBuffer(c.text);
        scanner.StartScan();
        while (scanner.Scan()) {
        }
        EXPECT_EQ(scanner.XmlVersion(), c.version);
        EXPECT_EQ(scanner.Encoding(), c.encoding);
        EXPECT_EQ(scanner.Standalone(), c.standalone);
        EXPECT_EQ(scanner.CurEncoding(), c.curEncoding);
    }
}

TEST(Scan, ByteOrderMarkIsSkipped)
{
    EXPECT_EQ(ScanText("\xEF\xBB\xBF<a>\xC3\xA9</a>"), "<a> | '\xE9' | </a>");
    // Only at the very beginning.
    EXPECT_EQ(ScanText("<a>\xEF\xBB\xBF</a>"), "<a> | '\xBF' | </a>");
}

TEST(Scan, EightBitDeclarationPassesBytesThrough)
{
    EXPECT_EQ(ScanText("<?xml version='1.0' encoding='windows-1250'?><a k='\xF5'>\xC3\xA9\xF5</a>"),
              "xml | <a k=\xF5> | '\xC3\xA9\xF5' | </a>");
}

TEST(Scan, UnterminatedCommentEndsTheDocument)
{
    const std::string text = "<!-- x";
    TVmdXmlParser scanner;
    scanner.SetBuffer(text.c_str());
    scanner.StartScan();
    ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurPartType, ptComment);
    EXPECT_EQ(scanner.CurFinal, text.c_str() + text.size() - 1);
    EXPECT_FALSE(scanner.Scan());
    EXPECT_FALSE(scanner.Scan());
}

TEST(Scan, RewindScansTheSameParts)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer("<a>x<b/>y</a>");
    const std::string first = ScanAll(scanner);
    EXPECT_EQ(first, "<a> | 'x' | <b/> | 'y' | </a>");
    EXPECT_EQ(ScanAll(scanner), first);
}

TEST(Scan, NormalizeIsOnByDefaultAndResetByLoading)
{
    TVmdXmlParser scanner;
    EXPECT_TRUE(scanner.Normalize());
    scanner.SetNormalize(false);
    scanner.LoadFromBuffer("<a/>");
    EXPECT_TRUE(scanner.Normalize());
}

TEST(Scan, LoadingStartsOverWithoutStartScan)
{
    TVmdXmlParser scanner;
    scanner.LoadFromBuffer("<a/><b/>");
    ASSERT_TRUE(scanner.Scan());
    scanner.LoadFromBuffer("<c/>");
    ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurName, "c");
}

TEST(Load, SourcesAndBuffers)
{
    TVmdXmlParser scanner;
    EXPECT_EQ(scanner.Source(), "");
    EXPECT_STREQ(scanner.DocBuffer(), "");

    const char* text = "<a/>";
    scanner.SetBuffer(text);
    EXPECT_EQ(scanner.Source(), "<REFERENCE>");
    EXPECT_EQ(scanner.DocBuffer(), text);

    ASSERT_TRUE(scanner.LoadFromBuffer(text));
    EXPECT_EQ(scanner.Source(), "<MEM>");
    EXPECT_NE(scanner.DocBuffer(), text);
    EXPECT_STREQ(scanner.DocBuffer(), text);

    ASSERT_TRUE(scanner.LoadFromBuffer(nullptr));
    EXPECT_STREQ(scanner.DocBuffer(), "");

    scanner.Clear();
    EXPECT_EQ(scanner.Source(), "");
    EXPECT_STREQ(scanner.DocBuffer(), "");
}

TEST(Load, FromFile)
{
    TVmdXmlParser scanner;
    const std::string path = std::string(XMLSCANNER_TEST_DATA) + "/plain.xml";
    ASSERT_TRUE(scanner.LoadFromFile(path));
    EXPECT_EQ(scanner.Source(), path);
    EXPECT_EQ(ScanAll(scanner), "xml | <lista> | <t n=1> | '\xE9v' | </t> | </lista>");

    EXPECT_FALSE(scanner.LoadFromFile(std::string(XMLSCANNER_TEST_DATA) + "/missing.xml"));
    EXPECT_EQ(scanner.Source(), "");
    EXPECT_FALSE(scanner.Scan());
    EXPECT_FALSE(scanner.LoadFromFile(XMLSCANNER_TEST_DATA));  // a folder
}

} // namespace
