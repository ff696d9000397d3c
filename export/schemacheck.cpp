#include "export/schemacheck.h"

#include "common/messages.h"
#include "common/xmlschema.h"

#include <libxml/parser.h>

#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace {

std::string NameOf(const xmlNode* node)
{
    std::string name = node->name ? reinterpret_cast<const char*>(node->name) : "";
    if (node->ns && node->ns->prefix)
        name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
    return name;
}

const xmlNode* NextElement(const xmlNode* node)
{
    while (node && node->type != XML_ELEMENT_NODE)
        node = node->next;
    return node;
}

const xmlNode* FirstElement(const xmlNode* parent)
{
    return NextElement(parent->children);
}

const xmlNode* AfterElement(const xmlNode* node)
{
    return NextElement(node->next);
}

using NodeMap = std::unordered_map<const xmlNode*, const xmlNode*>;

// Pairs the elements of the output (parsed) with those they were built from. The
// text differs from the document only in layout, except where a CONSTANTTEXT element
// became its section's lines: those elements have no origin, and the walk picks up
// again at the next built element's name. Elements out of step keep no origin.
void PairElements(const xmlNode* built, const xmlNode* parsed, NodeMap& pairs)
{
    pairs.emplace(parsed, built);
    const xmlNode* b = FirstElement(built);
    const xmlNode* p = FirstElement(parsed);
    while (b && p) {
        if (NameOf(b) == "CONSTANTTEXT" && NameOf(p) != "CONSTANTTEXT") {
            const xmlNode* next = AfterElement(b);
            while (p && (!next || NameOf(p) != NameOf(next)))
                p = AfterElement(p);
            b = next;
            continue;
        }
        if (NameOf(b) != NameOf(p))
            return;
        PairElements(b, p, pairs);
        b = AfterElement(b);
        p = AfterElement(p);
    }
}

// "Termék/Ár" below the document element, "Termék/@kód" for an attribute; the
// document element's own name for itself.
std::string PathOf(const xmlNode* node)
{
    std::string path;
    if (node->type == XML_ATTRIBUTE_NODE) {
        path = "@";
        path += NameOf(node);
        node = node->parent;
    }
    for (; node && node->type == XML_ELEMENT_NODE; node = node->parent) {
        bool isRoot = !node->parent || node->parent->type != XML_ELEMENT_NODE;
        if (isRoot && !path.empty())
            break;
        path = path.empty() ? NameOf(node) : NameOf(node) + "/" + path;
    }
    return path;
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// An element's origin rides in the node's free application field.
const TOutputOrigin* OriginOf(const xmlNode* element)
{
    return element ? static_cast<const TOutputOrigin*>(element->_private) : nullptr;
}

// Gives the elements below and at element their origins, in the order of their start
// tags from next on.
void MarkOrigins(xmlNode* element, const std::vector<const TOutputOrigin*>& origins, size_t& next)
{
    if (next < origins.size())
        element->_private = const_cast<TOutputOrigin*>(origins[next]);
    ++next;
    for (xmlNode* child = element->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE)
            MarkOrigins(child, origins, next);
}

constexpr int OwnTextOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;

// The built text as a tree whose elements carry their origins; null when it cannot
// be read.
DocPtr BuiltTree(std::string_view built, const std::vector<const TOutputOrigin*>& origins)
{
    DocPtr doc(xmlReadMemory(built.data(), static_cast<int>(built.size()), "kimenet", "UTF-8", OwnTextOptions));
    if (xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr) {
        size_t next = 0;
        MarkOrigins(root, origins, next);
    }
    return doc;
}

}  // namespace

void TOutputOrigins::BeginSheet(const std::string& sheetName)
{
    sheets_.push_back(sheetName);
}

const TOutputOrigin* TOutputOrigins::Add(int row)
{
    const std::string* sheet = sheets_.empty() ? nullptr : &sheets_.back();
    origins_.push_back({sheet, row});
    return &origins_.back();
}

std::string ProblemLine(const TOutputOrigin* origin, const std::string& path, const std::string& message)
{
    std::string line;
    if (origin && origin->sheet)
        line = *origin->sheet + ", " + std::to_string(origin->row) + Msg::RowAt;
    line += "(" + path + "): " + SchemaProblemText(message);
    return line;
}

std::string InvalidOutputQuestion(long count)
{
    return Msg::InvalidOutputStart + std::to_string(count) + Msg::InvalidOutputQuestion;
}

TOutputCheck CheckOutput(const TXmlSchema& schema, std::string_view text, std::string_view built,
                         const std::vector<const TOutputOrigin*>& origins)
{
    TOutputCheck check;
    // The text is UTF-8 in memory whatever its declaration says.
    DocPtr parsed(xmlReadMemory(text.data(), static_cast<int>(text.size()), "kimenet", "UTF-8", OwnTextOptions));
    if (!parsed || !xmlDocGetRootElement(parsed.get())) {
        check.lines.push_back(Msg::OutputMalformedByConstants);
        check.count = 1;
        return check;
    }
    SchemaReport report = schema.Validate(parsed.get());
    check.count = report.count;
    if (report.Valid())
        return check;

    NodeMap pairs;
    xmlNode* parsedRoot = xmlDocGetRootElement(parsed.get());
    DocPtr builtTree = built.empty() ? nullptr : BuiltTree(built, origins);
    if (built.empty()) {
        // The text holds the elements as built: it carries their origins itself.
        size_t next = 0;
        MarkOrigins(parsedRoot, origins, next);
        PairElements(parsedRoot, parsedRoot, pairs);
    } else if (const xmlNode* builtRoot = builtTree ? xmlDocGetRootElement(builtTree.get()) : nullptr) {
        PairElements(builtRoot, parsedRoot, pairs);
    }
    for (const SchemaProblem& problem : report.problems) {
        const xmlNode* node = problem.node;
        if (!node) {
            check.lines.push_back(std::string("(") + std::to_string(problem.line) + Msg::RowAtParen +
                                  SchemaProblemText(problem.message));
            continue;
        }
        const xmlNode* element = node->type == XML_ATTRIBUTE_NODE ? node->parent : node;
        std::string path = PathOf(node);
        // An attribute's problem is reported on its element; libxml2's text names it.
        if (node->type == XML_ELEMENT_NODE)
            if (std::string attribute = QuotedAfter(problem.message, "', attribute '"); !attribute.empty())
                path += "/@" + attribute;
        auto found = pairs.find(element);
        check.lines.push_back(
            ProblemLine(found == pairs.end() ? nullptr : OriginOf(found->second), path, problem.message));
    }
    if (report.count > static_cast<long>(report.problems.size()))
        check.lines.push_back(Msg::AndMore + std::to_string(report.count - static_cast<long>(report.problems.size())) +
                              Msg::Places);
    return check;
}
