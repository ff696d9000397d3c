// Reading a file one top-level node at a time gives what loading it whole gives: the
// same nodes in the same order, and the same refusal of a file that cannot be used.

#include "common/xmldocument.h"

#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class XmlStreamReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("korvex-stream-test-" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }

    // Name, line, text and the markup of a node with its descendants.
    static std::string Describe(TXMLDocument::Node node)
    {
        std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
        xmlNodeDump(buffer.get(), node->doc, node, 0, 0);
        std::string text = TXMLDocument::NodeName(node) + "|" + std::to_string(TXMLDocument::Line(node)) + "|" +
                           TXMLDocument::Text(node) + "|" +
                           reinterpret_cast<const char*>(xmlBufferContent(buffer.get()));
        if (node->type == XML_ELEMENT_NODE)
            text += "|" + TXMLDocument::ElementText(node).value_or("(no text)");
        if (node->type == XML_ELEMENT_NODE)
            for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next)
                text += "|@" + std::string(reinterpret_cast<const char*>(attribute->name)) + "=" +
                        TXMLDocument::Attribute(node, reinterpret_cast<const char*>(attribute->name)).value_or("?");
        return text;
    }

    fs::path folder;
};

TEST_F(XmlStreamReaderTest, GivesTheNodesOfTheWholeDocument)
{
    const std::string bigText(100000, 'x');
    const std::vector<std::string> files = {
        "<R/>",
        "<R a=\"1\"></R>",
        "<?xml version=\"1.0\"?>\t<Records>\r\n\t<E id=\"1\">\t<N>Ügyfél</N>\t</E>\r\n\t<E id=\"2\"/>\r\n</Records>",
        "<R><!-- note --><?pi data?><![CDATA[<raw>]]>text<E/>more text</R>",
        "<!DOCTYPE R [<!ENTITY co \"Korvex Kft.\">]><R>&co;<E a=\"&co; &amp; co\">&co;</E>&amp;</R>",
        "<R>\n<E><F><G>deep</G></F></E>\n<" + std::string("E b=\"") + bigText + "\">" + bigText + "</E>\n" + bigText +
            "</R>",
        "<p:R xmlns:p=\"urn:x\"><p:E p:a=\"v\"/><E/></p:R>",
    };
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].substr(0, 120));
        const std::string path = Write(std::string("f").append(std::to_string(i)).append(".xml"), files[i]);
        TXMLDocument document;
        document.LoadFromFile(path);
        std::vector<std::string> whole;
        for (TXMLDocument::Node node : TXMLDocument::ChildNodes(document.DocumentElement()))
            whole.push_back(Describe(node));
        std::vector<std::string> streamed;
        TXMLStreamReader reader(path);
        for (TXMLDocument::Node node = reader.Next(); node; node = reader.Next())
            streamed.push_back(Describe(node));
        EXPECT_EQ(streamed, whole);
        EXPECT_EQ(reader.Next(), nullptr);
    }
}

// A fault anywhere in the file, even after many good elements, is found before the
// first node is given, with the message of a whole load.
TEST_F(XmlStreamReaderTest, RefusesWhatALoadRefusesBeforeGivingANode)
{
    std::string manyThenBroken = "<R>";
    for (int i = 0; i < 5000; ++i)
        manyThenBroken += "<E i=\"" + std::to_string(i) + "\"><T>text</T></E>\n";
    manyThenBroken += "<E></F></R>";
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE R [\n<!ENTITY l0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        laughs += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += "&l" + std::to_string(level - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<R><E><V>&l9;</V></E></R>";
    const std::vector<std::string> files = {
        manyThenBroken, "", "<?xml version=\"1.0\"?>", "<R><E>&undefined;</E></R>", "<R></R><R/>", "<R>",
        "\xEF\xBB\xBF<R>\xFF</R>", laughs,
    };
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].substr(0, 60));
        const std::string path = Write("bad" + std::to_string(i) + ".xml", files[i]);
        std::string loaded, streamed;
        try {
            TXMLDocument().LoadFromFile(path);
        } catch (const XmlError& error) {
            loaded = error.what();
        }
        try {
            TXMLStreamReader reader(path);
        } catch (const XmlError& error) {
            streamed = error.what();
        }
        EXPECT_FALSE(loaded.empty());
        EXPECT_EQ(streamed, loaded);
    }
    const std::string missing = (folder / "missing.xml").string();
    EXPECT_THROW(TXMLStreamReader{missing}, XmlError);
}

}  // namespace
