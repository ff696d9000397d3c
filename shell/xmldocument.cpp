#include "xmldocument.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

namespace {

const xmlChar* X(const std::string& s)
{
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

std::string S(const xmlChar* s)
{
    return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}

void CheckName(std::string_view name, const char* what)
{
    std::string text(name);
    if (text.empty() || text.find('\0') != std::string::npos || xmlValidateName(X(text), 0) != 0)
        throw XmlError(std::string("Érvénytelen ") + what + " név: \"" + text + "\"");
}

// Options for files other people write: no network, no external entities or DTDs,
// no entity substitution beyond the predefined ones, libxml2's own size limits kept.
constexpr int SafeParseOptions = XML_PARSE_NONET;

std::string LastErrorText(const std::string& name)
{
    const xmlError* error = xmlGetLastError();
    std::string text = "Hibás XML fájl: " + name;
    if (error) {
        if (error->line > 0)
            text += ", " + std::to_string(error->line) + ". sor";
        if (error->message) {
            std::string reason = error->message;
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
                reason.pop_back();
            text += ": " + reason;
        }
    }
    return text;
}

void IgnoreErrors(void*, const char*, ...) {}

}  // namespace

TXMLDocument::TXMLDocument()
{
    xmlInitParser();
}

TXMLDocument::~TXMLDocument() = default;

void TXMLDocument::SetActive(bool active)
{
    doc_.reset();
    if (active) {
        doc_.reset(xmlNewDoc(BAD_CAST "1.0"));
        // Serialised as UTF-8 without character references for non-ASCII letters.
        doc_->encoding = xmlStrdup(BAD_CAST "UTF-8");
    }
}

xmlDoc* TXMLDocument::Require() const
{
    if (!doc_)
        throw XmlError("Az XML dokumentum nem aktív");
    return doc_.get();
}

void TXMLDocument::Load(xmlDoc* doc, const std::string& name)
{
    if (!doc)
        throw XmlError(LastErrorText(name));
    doc_.reset(doc);
    if (!xmlDocGetRootElement(doc)) {
        doc_.reset();
        throw XmlError("Hibás XML fájl: " + name + ": nincs gyökérelem");
    }
}

void TXMLDocument::LoadFromFile(const std::string& path)
{
    doc_.reset();
    xmlResetLastError();
    xmlSetGenericErrorFunc(nullptr, IgnoreErrors);
    Load(xmlReadFile(path.c_str(), nullptr, SafeParseOptions), path);
}

void TXMLDocument::LoadFromText(std::string_view text, const std::string& name)
{
    doc_.reset();
    xmlResetLastError();
    xmlSetGenericErrorFunc(nullptr, IgnoreErrors);
    Load(xmlReadMemory(text.data(), static_cast<int>(text.size()), name.c_str(), nullptr, SafeParseOptions),
         name);
}

TXMLDocument::Node TXMLDocument::CreateElement(std::string_view name)
{
    xmlDoc* doc = Require();
    CheckName(name, "elem");
    return xmlNewDocNode(doc, nullptr, X(std::string(name)), nullptr);
}

void TXMLDocument::SetDocumentElement(Node element)
{
    xmlNode* old = xmlDocSetRootElement(Require(), element);
    if (old && old != element) {
        xmlUnlinkNode(old);
        xmlFreeNode(old);
    }
}

TXMLDocument::Node TXMLDocument::DocumentElement() const
{
    return xmlDocGetRootElement(Require());
}

TXMLDocument::Node TXMLDocument::AddChild(Node parent, std::string_view name)
{
    if (!parent)
        throw XmlError("Nincs szülő elem");
    CheckName(name, "elem");
    return xmlNewChild(parent, nullptr, X(std::string(name)), nullptr);
}

void TXMLDocument::SetText(Node element, std::string_view text)
{
    if (!element)
        throw XmlError("Nincs elem");
    xmlNodeSetContent(element, nullptr);  // drops the old children
    std::string literal(text);
    xmlNodeAddContentLen(element, X(literal), static_cast<int>(literal.size()));
}

void TXMLDocument::SetAttribute(Node element, std::string_view name, std::string_view value)
{
    if (!element)
        throw XmlError("Nincs elem");
    CheckName(name, "attribútum");
    xmlSetProp(element, X(std::string(name)), X(std::string(value)));
}

TXMLDocument::Node TXMLDocument::Parent(Node node)
{
    if (!node || !node->parent || node->parent->type != XML_ELEMENT_NODE)
        return nullptr;
    return node->parent;
}

std::string TXMLDocument::NodeName(Node node)
{
    if (!node)
        return {};
    switch (node->type) {
    case XML_ELEMENT_NODE:
        if (node->ns && node->ns->prefix)
            return S(node->ns->prefix) + ":" + S(node->name);
        return S(node->name);
    case XML_TEXT_NODE: return "#text";
    case XML_CDATA_SECTION_NODE: return "#cdata-section";
    case XML_COMMENT_NODE: return "#comment";
    case XML_PI_NODE: return S(node->name);
    case XML_ENTITY_REF_NODE: return S(node->name);
    default: return "#node";
    }
}

std::vector<TXMLDocument::Node> TXMLDocument::ChildNodes(Node node)
{
    std::vector<Node> children;
    if (node)
        for (xmlNode* child = node->children; child; child = child->next)
            children.push_back(child);
    return children;
}

bool TXMLDocument::HasAttribute(Node element, std::string_view name)
{
    return Attribute(element, name).has_value();
}

std::optional<std::string> TXMLDocument::Attribute(Node element, std::string_view name)
{
    if (!element || element->type != XML_ELEMENT_NODE)
        return std::nullopt;
    std::string wanted(name);
    for (xmlAttr* attr = element->properties; attr; attr = attr->next) {
        std::string qualified = attr->ns && attr->ns->prefix ? S(attr->ns->prefix) + ":" + S(attr->name)
                                                             : S(attr->name);
        if (qualified == wanted) {
            xmlChar* value = xmlNodeListGetString(element->doc, attr->children, 1);
            std::string text = S(value);
            xmlFree(value);
            return text;
        }
    }
    return std::nullopt;
}

bool TXMLDocument::IsTextElement(Node element)
{
    return element && element->type == XML_ELEMENT_NODE && element->children &&
           element->children == element->last && element->children->type == XML_TEXT_NODE;
}

std::string TXMLDocument::Text(Node node)
{
    if (!node)
        return {};
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = S(content);
    xmlFree(content);
    return text;
}

std::string TXMLDocument::Serialize() const
{
    xmlDoc* doc = Require();
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root)
        return {};
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
    xmlSaveCtxt* context = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
    if (!context)
        throw XmlError("Az XML dokumentum nem írható ki");
    xmlSaveTree(context, root);
    xmlSaveClose(context);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}
