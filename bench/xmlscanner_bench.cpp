// XML scanner throughput beside expat and libxml2's xmlTextReader, on the same generated
// 50 MB document in the same run. Each parser makes one forward pass and only touches
// what it reports (names, texts, attribute values); the figures are the best of three.
// First, the time of building the declaration lists from 300,000 names in ascending and
// in descending order (the two should be close).

#include "library/xmlscanner/vmdxmlparser.h"

#include <expat.h>
#include <libxml/xmlreader.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

// A catalogue of records with attributes, entity and character references, a declared
// entity and Hungarian letters in UTF-8.
std::string MakeDocument(std::size_t targetSize)
{
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE catalog [\n<!ENTITY co \"Korvex Kft.\">\n]>\n<catalog>\n";
    const char* names[] = {"\xC3\x81rv\xC3\xADzt\xC5\xB1r\xC5\x91 t\xC3\xBCk\xC3\xB6rf\xC3\xBAr\xC3\xB3g\xC3\xA9p",
                           "Csavarh\xC3\xBAz\xC3\xB3", "Kalap\xC3\xA1\x63s & fog\xC3\xB3", "M\xC3\xA9r\xC5\x91szalag"};
    for (unsigned i = 0; doc.size() < targetSize; ++i) {
        const std::string n = std::to_string(i);
        std::string name = names[i % 4];
        if (name.find('&') != std::string::npos)
            name.replace(name.find('&'), 1, "&amp;");
        doc += "  <item id=\"" + n + "\" name=\"" + name + "\" price=\"" + std::to_string(i % 997) + ".50\""
            " unit='db' note=\"a &amp; b &lt;" + n + "&gt;\">\n"
            "    <title>" + name + " &#233;s t\xC3\xA1rsai " + n + "</title>\n"
            "    <text>Sz\xC3\xA9p \xC3\xA9s j\xC3\xB3 &lt;term\xC3\xA9k&gt; a(z) &co; k\xC3\xADn\xC3\xA1lat\xC3\xA1\x62\xC3\xB3l,"
            " rakt\xC3\xA1ron: " + std::to_string(i % 13) + " db &#x41;&#66;C.</text>\n"
            "    <empty flag=\"yes\"/>\n"
            "  </item>\n";
    }
    return doc + "</catalog>\n";
}

struct Tally {
    std::size_t parts = 0;
    std::size_t bytes = 0;
};

Tally RunScanner(const std::string& doc, bool normalize)
{
    TVmdXmlParser scanner;
    scanner.SetBuffer(doc.c_str());  // scanned in place
    scanner.SetNormalize(normalize);
    scanner.StartScan();
    Tally t;
    while (scanner.Scan()) {
        ++t.parts;
        t.bytes += scanner.CurName.size() + scanner.CurContent.size();
        for (int i = 0; i < scanner.CurAttr.Count(); ++i)
            t.bytes += scanner.CurAttr.Node(i)->Value.size();
    }
    return t;
}

Tally RunExpat(const std::string& doc)
{
    Tally t;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &t);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** atts) {
            auto* t = static_cast<Tally*>(data);
            ++t->parts;
            t->bytes += std::char_traits<char>::length(name);
            for (int i = 0; atts[i]; i += 2)
                t->bytes += std::char_traits<char>::length(atts[i + 1]);
        },
        [](void* data, const XML_Char* name) {
            auto* t = static_cast<Tally*>(data);
            ++t->parts;
            t->bytes += std::char_traits<char>::length(name);
        });
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char*, int len) {
        auto* t = static_cast<Tally*>(data);
        ++t->parts;
        t->bytes += static_cast<std::size_t>(len);
    });
    if (XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), 1) != XML_STATUS_OK)
        std::fprintf(stderr, "expat: %s\n", XML_ErrorString(XML_GetErrorCode(parser)));
    XML_ParserFree(parser);
    return t;
}

Tally RunTextReader(const std::string& doc)
{
    Tally t;
    xmlTextReaderPtr reader =
        xmlReaderForMemory(doc.data(), static_cast<int>(doc.size()), nullptr, nullptr, XML_PARSE_NOENT);
    if (!reader)
        return t;
    while (xmlTextReaderRead(reader) == 1) {
        ++t.parts;
        if (const xmlChar* name = xmlTextReaderConstName(reader))
            t.bytes += static_cast<std::size_t>(xmlStrlen(name));
        if (const xmlChar* value = xmlTextReaderConstValue(reader))
            t.bytes += static_cast<std::size_t>(xmlStrlen(value));
        while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
            if (const xmlChar* value = xmlTextReaderConstValue(reader))
                t.bytes += static_cast<std::size_t>(xmlStrlen(value));
        }
    }
    xmlFreeTextReader(reader);
    return t;
}

void Measure(const char* label, const std::string& doc, const std::function<Tally()>& run)
{
    double best = 1e30;
    Tally tally;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        tally = run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best)
            best = took.count();
    }
    const double megabytes = static_cast<double>(doc.size()) / (1024.0 * 1024.0);
    std::printf("%-34s %8.3f s %9.1f MB/s %10zu parts %11zu bytes reported\n", label, best, megabytes / best,
                tally.parts, tally.bytes);
}

// A document type declaration with count entity declarations, or count attributes in
// one ATTLIST, named in ascending or descending order.
std::string MakeDeclarations(int count, bool descending, bool attributes)
{
    std::string doc = attributes ? "<!DOCTYPE r [<!ATTLIST r" : "<!DOCTYPE r [";
    char name[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "n%07d", descending ? count - i : i);
        doc += attributes ? std::string(" ") + name + " CDATA 'v'" : std::string("<!ENTITY ") + name + " 'v'>";
    }
    return doc + (attributes ? ">]><r/>" : "]><r/>");
}

void MeasureDeclarations(int count)
{
    for (bool attributes : {false, true}) {
        for (bool descending : {false, true}) {
            const std::string doc = MakeDeclarations(count, descending, attributes);
            const auto start = std::chrono::steady_clock::now();
            TVmdXmlParser scanner;
            scanner.SetBuffer(doc.c_str());
            scanner.StartScan();
            std::size_t parts = 0;
            while (scanner.Scan())
                ++parts;
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            std::printf("%d %s, %-10s %8.3f s (%zu parts)\n", count,
                        attributes ? "attributes of one ATTLIST" : "entity declarations",
                        descending ? "descending" : "ascending", took.count(), parts);
        }
    }
}

} // namespace

// "declarations" as the only argument measures only the declaration lists.
int main(int argc, char** argv)
{
    MeasureDeclarations(300000);
    if (argc > 1 && std::string(argv[1]) == "declarations")
        return 0;
    const std::string doc = MakeDocument(std::size_t{50} << 20);
    std::printf("document: %.1f MB\n", static_cast<double>(doc.size()) / (1024.0 * 1024.0));
    Measure("TVmdXmlParser (Normalize on)", doc, [&] { return RunScanner(doc, true); });
    Measure("TVmdXmlParser (Normalize off)", doc, [&] { return RunScanner(doc, false); });
    Measure("expat", doc, [&] { return RunExpat(doc); });
    Measure("libxml2 xmlTextReader", doc, [&] { return RunTextReader(doc); });
    xmlCleanupParser();
    return 0;
}
