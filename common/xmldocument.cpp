#include "common/xmldocument.h"

#include "common/messages.h"
#include "common/pathtext.h"
#include "common/xmlerrorredirect.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlsave.h>
#ifdef _WIN32
#include "common/xmlcodepages.h"
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

const xmlChar* X(const std::string& s)
{
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

std::string S(const xmlChar* s)
{
    return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}

// Options for files other people write: no network, no external entities or DTDs,
// no entity substitution beyond the predefined ones, libxml2's own size limits kept.
constexpr int SafeParseOptions = XML_PARSE_NONET;

// libxml2's own limits (kept: no XML_PARSE_HUGE), in the words the user reads. A
// hostile file meets one of these long before it could exhaust memory or the stack.
std::string LimitReason(const std::string& reason)
{
    static const std::pair<std::string_view, const char*> limits[] = {
        {"Excessive depth in document", Msg::TooDeep},
        {"AttValue length too long", Msg::AttributeTooLong},
        {"xmlSAX2Characters: huge text node", Msg::TextTooLong},
        {"Name too long", Msg::NameTooLong},
        {"Huge input lookup", Msg::ValueTooLong},
    };
    for (const auto& [english, hungarian] : limits)
        if (reason.find(english) != std::string::npos)
            return hungarian;
    return reason;
}

// A name libxml2 did not give reads as "?" rather than vanishing from the text.
std::string Named(std::string_view name)
{
    return name.empty() ? std::string("?") : std::string(name);
}

}  // namespace

std::string HungarianParseReason(const ParseErrorDetail& error)
{
    // libxml2's limits end a parse under several codes: their own words come first.
    const std::string limit = LimitReason(std::string(error.message));
    if (limit != error.message)
        return limit;
    const std::string line = error.int1 > 0 ? " (" + std::to_string(error.int1) + Msg::LineSuffixParen : std::string();
    switch (error.code) {
    case XML_ERR_DOCUMENT_EMPTY:
        return Msg::ParseNoRoot;
    case XML_ERR_DOCUMENT_END:
        return Msg::ParseContentAfterRoot;
    case XML_ERR_TAG_NAME_MISMATCH:
        return Msg::ParseElementStart + Named(error.str1) + Msg::ParseElement + line + Msg::ParseMismatch +
               Named(error.str2) + Msg::ParseMismatchEnd;
    case XML_ERR_TAG_NOT_FINISHED:
        return Msg::ParseEndsBefore + Named(error.str1) + Msg::ParseElement + line + Msg::ParseNotClosedEnd;
    case XML_ERR_GT_REQUIRED:
        return Msg::ParseNoGt;
    case XML_ERR_LTSLASH_REQUIRED:
        return Msg::ParseNoEndTag;
    case XML_ERR_EQUAL_REQUIRED:
        return Msg::ParseNoEquals;
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
        return Msg::ParseNoQuote;
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
    case XML_ERR_STRING_NOT_CLOSED:
        return Msg::ParseOpenQuote;
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
        return Msg::ParseThe + Named(error.str1) + Msg::ParseAttributeNoValue;
    case XML_ERR_ATTRIBUTE_REDEFINED:
        return Msg::ParseThe + Named(error.str1) + Msg::ParseAttributeTwice;
    case XML_ERR_LT_IN_ATTRIBUTE:
        return Msg::ParseLtInAttribute;
    case XML_ERR_NAME_REQUIRED:
        return Msg::ParseNameRequired;
    case XML_ERR_ENTITYREF_SEMICOL_MISSING:
        return Msg::ParseNoSemicolon;
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
        return Msg::ParseUnknownEntity + Named(error.str1) + ";";
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_CHARREF:
        return Msg::ParseInvalidChar;
    case XML_ERR_UNSUPPORTED_ENCODING:
        return Msg::ParseUnknownEncoding + Named(error.str1);
    case XML_ERR_COMMENT_NOT_FINISHED:
        return Msg::ParseOpenComment;
    case XML_ERR_HYPHEN_IN_COMMENT:
        return Msg::ParseHyphens;
    case XML_ERR_CDATA_NOT_FINISHED:
        return Msg::ParseOpenCdata;
    case XML_ERR_XMLDECL_NOT_STARTED:
    case XML_ERR_XMLDECL_NOT_FINISHED:
        return Msg::ParseBadDeclaration;
    case XML_ERR_RESERVED_XML_NAME:
        return Msg::ParseLateDeclaration;
    case XML_ERR_SPACE_REQUIRED:
        return Msg::ParseNoSpace;
    default:
        break;
    }
    return Msg::ParseOther + std::string(error.message) + ")";
}

namespace {

// Collects the first error libxml2 reports while it parses one document (the later
// ones mostly follow from it) and keeps the parser from printing to stderr. The
// previous handler comes back when the parse is over.
class ParseErrors {
public:
    ParseErrors()
        : redirect_(this, &ParseErrors::Collect)
    {
    }
    ParseErrors(const ParseErrors&) = delete;
    ParseErrors& operator=(const ParseErrors&) = delete;

    // "Hibás XML fájl: name, 3. sor: reason"
    std::string Text(const std::string& name) const
    {
        std::string text = Msg::MalformedXml + name;
        if (line_ > 0)
            text += ", " + std::to_string(line_) + Msg::LineSuffix;
        if (!reason_.empty())
            text += ": " + reason_;
        return text;
    }

    // "3. sor: reason", as far as known.
    std::string Where() const
    {
        std::string text = line_ > 0 ? std::to_string(line_) + Msg::LineSuffix : "";
        if (!reason_.empty())
            text += (text.empty() ? "" : ": ") + reason_;
        return text.empty() ? std::string(Msg::NotWellFormed) : text;
    }

private:
    static void Collect(void* self, xmlErrorPtr error)
    {
        auto* errors = static_cast<ParseErrors*>(self);
        if (!error)
            return;
        // An error outranks the warnings before it; otherwise the first report stays.
        bool isError = error->level >= XML_ERR_ERROR;
        if (errors->haveError_ || (errors->haveAny_ && !isError))
            return;
        errors->haveAny_ = true;
        errors->haveError_ = isError;
        errors->line_ = error->line;
        std::string reason = error->message ? error->message : "";
        reason = reason.substr(0, reason.find('\n'));  // libxml2 adds byte dumps below
        while (!reason.empty() && reason.back() == ' ')
            reason.pop_back();
        errors->reason_ = HungarianParseReason(
            {error->code, reason, error->str1 ? error->str1 : "", error->str2 ? error->str2 : "", error->int1});
    }

    XmlErrorRedirect redirect_;
    bool haveAny_ = false;
    bool haveError_ = false;
    int line_ = 0;
    std::string reason_;
};

// A file the parser could not even open gets a message of its own instead of
// libxml2's "failed to load external entity".
void CheckReadable(const std::string& path)
{
    const std::filesystem::path file = PathFromUtf8(path);
    std::error_code error;
    auto status = std::filesystem::status(file, error);
    if (!std::filesystem::exists(status))
        throw XmlError(Msg::XmlNotFound + path);
    if (std::filesystem::is_directory(status) || !std::ifstream(file, std::ios::binary))
        throw XmlError(Msg::XmlNotReadable + path);
}

// Attribute values keep references to the document's own entities; expanding them is
// where a small hostile file ("quadratic blowup") would grow into gigabytes, so the
// expansion stops at libxml2's own limit for one text.
constexpr size_t MaxValueLength = 10'000'000;
constexpr int MaxEntityDepth = 40;

bool AppendValue(xmlDoc* doc, const xmlNode* node, std::string& out, int depth)
{
    if (depth > MaxEntityDepth)
        return false;
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content)
                out.append(reinterpret_cast<const char*>(node->content));
        } else if (node->type == XML_ENTITY_REF_NODE) {
            // Only the document's own entities: external ones are never loaded.
            xmlEntity* entity = xmlGetDocEntity(doc, node->name);
            if (entity && entity->children && !AppendValue(doc, entity->children, out, depth + 1))
                return false;
        }
        if (out.size() > MaxValueLength)
            return false;
    }
    return true;
}

// Text nodes and references to entities whose replacement text is text in turn. An
// undefined or external entity (never read) stands for no text.
bool IsTextOnly(xmlDoc* doc, const xmlNode* node, int depth)
{
    if (depth > MaxEntityDepth)
        return false;
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE)
            continue;
        if (node->type != XML_ENTITY_REF_NODE)
            return false;
        const xmlEntity* entity = xmlGetDocEntity(doc, node->name);
        if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY && !IsTextOnly(doc, entity->children, depth + 1))
            return false;
    }
    return true;
}

}  // namespace

TXMLDocument::TXMLDocument()
{
    xmlInitParser();
#ifdef _WIN32
    RegisterWindowsCodePages();
#endif
}

TXMLDocument::~TXMLDocument() = default;

void TXMLDocument::SetActive(bool active)
{
    doc_.reset();
    if (active) {
        doc_.reset(xmlNewDoc(BAD_CAST "1.0"));
        // Serialised as UTF-8 without character references for non-ASCII letters.
        doc_->encoding = xmlStrdup(BAD_CAST "UTF-8");
        // Element names are kept once, not copied for every element.
        doc_->dict = xmlDictCreate();
    }
}

xmlDoc* TXMLDocument::Require() const
{
    if (!doc_)
        throw XmlError(Msg::DocumentNotActive);
    return doc_.get();
}

void TXMLDocument::Load(xmlDoc* doc, const std::string& name, const std::string& error)
{
    if (!doc)
        throw XmlError(error);
    doc_.reset(doc);
    if (!xmlDocGetRootElement(doc)) {
        doc_.reset();
        throw XmlError(Msg::MalformedXml + name + Msg::NoRootElement);
    }
    // Later messages name the file as the user gave it: libxml2 on Windows keeps a
    // "file:/C:/..." URI of a full path instead.
    xmlFree(const_cast<xmlChar*>(doc->URL));
    doc->URL = xmlStrdup(X(name));
}

void TXMLDocument::LoadFromFile(const std::string& path)
{
    doc_.reset();
    CheckReadable(path);
    ParseErrors errors;
    xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, SafeParseOptions);
    Load(doc, path, errors.Text(path));
}

void TXMLDocument::LoadFromText(std::string_view text, const std::string& name)
{
    doc_.reset();
    ParseErrors errors;
    xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), name.c_str(), nullptr, SafeParseOptions);
    Load(doc, name, errors.Text(name));
}

TXMLDocument::Node TXMLDocument::CreateElement(std::string_view name)
{
    xmlDoc* doc = Require();
    CheckName(name, Msg::ElementKind);
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

void TXMLDocument::CheckName(std::string_view name, const char* kind)
{
    std::string text(name);
    if (text.empty() || text.find('\0') != std::string::npos || xmlValidateName(X(text), 0) != 0)
        throw XmlError(std::string(Msg::InvalidName) + kind + Msg::InvalidNameTail + text + "\"");
}

TXMLDocument::Node TXMLDocument::AddChild(Node parent, std::string_view name)
{
    if (!parent)
        throw XmlError(Msg::NoParent);
    CheckName(name, Msg::ElementKind);
    return xmlNewChild(parent, nullptr, X(std::string(name)), nullptr);
}

void TXMLDocument::SetText(Node element, std::string_view text)
{
    if (!element)
        throw XmlError(Msg::NoElement);
    xmlNodeSetContent(element, nullptr);  // drops the old children
    // Taken by length: no terminated copy needed.
    xmlNodeAddContentLen(element, reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size()));
}

void TXMLDocument::SetAttribute(Node element, std::string_view name, std::string_view value)
{
    if (!element)
        throw XmlError(Msg::NoElement);
    CheckName(name, Msg::AttributeKind);
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
            std::string text;
            if (!AppendValue(element->doc, attr->children, text, 0))
                throw XmlError(Msg::MalformedXml + S(element->doc ? element->doc->URL : nullptr) + ", " +
                               std::to_string(Line(element)) + Msg::LineItem + wanted +
                               Msg::ExpandedAttributeTooLong);
            return text;
        }
    }
    return std::nullopt;
}

long TXMLDocument::Line(Node node)
{
    return node ? xmlGetLineNo(node) : 0;
}

std::optional<std::string> TXMLDocument::ElementText(Node element)
{
    if (!element || element->type != XML_ELEMENT_NODE || !element->children ||
        !IsTextOnly(element->doc, element->children, 0))
        return std::nullopt;
    std::string text;
    if (!AppendValue(element->doc, element->children, text, 0))
        throw XmlError(Msg::MalformedXml + S(element->doc ? element->doc->URL : nullptr) + ", " +
                       std::to_string(Line(element)) + Msg::LineItem + NodeName(element) +
                       Msg::ExpandedTextTooLong);
    return text;
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

namespace {

// Marks in the parser's private slot that the document has a root element.
void NoteRootElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
                     const xmlChar**)
{
    static_cast<xmlParserCtxt*>(context)->_private = context;
}

// Frees a parser and what it may still hold of a document.
struct ParserFree {
    void operator()(xmlParserCtxt* context) const
    {
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        context->myDoc = nullptr;
        xmlFreeParserCtxt(context);
    }
};

}  // namespace

std::string TXMLDocument::WellFormednessProblem(std::string_view text)
{
    ParseErrors errors;
    std::unique_ptr<xmlParserCtxt, ParserFree> context(
        xmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size())));
    if (!context)
        return errors.Where();
    xmlCtxtUseOptions(context.get(), XML_PARSE_NONET | XML_PARSE_HUGE);
    // The full parser without a tree: the declarations of an internal subset are still
    // kept (entities stay resolvable), the content only checked, so the check costs a
    // fraction of building a second copy of the document.
    xmlSAXHandler handler;
    xmlSAXVersion(&handler, 2);
    handler.startElementNs = NoteRootElement;
    handler.endElementNs = nullptr;
    handler.characters = nullptr;
    handler.ignorableWhitespace = nullptr;
    handler.cdataBlock = nullptr;
    handler.comment = nullptr;
    handler.processingInstruction = nullptr;
    handler.reference = nullptr;
    handler.serror = nullptr;
    *context->sax = handler;
    context->_private = nullptr;
    xmlParseDocument(context.get());
    if (context->wellFormed && context->_private)
        return {};
    return errors.Where();
}

namespace {

// Serialises nodes the way Serialize does, appending to a string.
class SaveToString {
public:
    explicit SaveToString(std::string& out)
        : context_(xmlSaveToIO(&SaveToString::Append, nullptr, &out, "UTF-8", XML_SAVE_NO_DECL))
    {
        if (!context_)
            throw XmlError(Msg::DocumentNotWritable);
    }
    ~SaveToString()
    {
        if (context_)
            xmlSaveClose(context_);
    }
    SaveToString(const SaveToString&) = delete;
    SaveToString& operator=(const SaveToString&) = delete;

    void Save(xmlNode* node) { xmlSaveTree(context_, node); }
    void Close()
    {
        int result = xmlSaveClose(context_);
        context_ = nullptr;
        if (result < 0)
            throw XmlError(Msg::DocumentNotWritable);
    }

private:
    static int Append(void* out, const char* bytes, int length)
    {
        static_cast<std::string*>(out)->append(bytes, static_cast<size_t>(length));
        return length;
    }
    xmlSaveCtxt* context_;
};

}  // namespace

std::string TXMLDocument::Serialize() const
{
    xmlDoc* doc = Require();
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root)
        return {};
    // Straight into the string, which grows by doubling: libxml2's own buffer grows by
    // exact sizes and then has to be copied out.
    std::string text;
    SaveToString save(text);
    save.Save(root);
    save.Close();
    return text;
}

// --- Reading one top-level node at a time ------------------------------------------

void TXMLStreamReader::ReaderFree::operator()(_xmlTextReader* reader) const
{
    xmlFreeTextReader(reader);
}

namespace {

// A reader over the file with the options of LoadFromFile; it builds the same nodes
// and frees each one once it has moved past it.
xmlTextReader* OpenReader(const std::string& path)
{
    xmlTextReader* reader = xmlReaderForFile(path.c_str(), nullptr, SafeParseOptions);
    if (!reader)
        throw XmlError(Msg::XmlNotReadable + path);
    return reader;
}

// Reads on to the document element; false when the file has none.
bool ReadToRoot(xmlTextReader* reader, int& status)
{
    while ((status = xmlTextReaderRead(reader)) == 1)
        if (xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT && xmlTextReaderDepth(reader) == 0)
            return true;
    return false;
}

// The end of an element while a file is checked: once a child of the document element
// is complete, it and the nodes before it are dropped, so that the check holds one
// of them at a time. Everything else is libxml2's own tree building.
void EndElementAndDrop(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri)
{
    xmlSAX2EndElementNs(context, localName, prefix, uri);
    auto* parser = static_cast<xmlParserCtxt*>(context);
    xmlNode* parent = parser->node;
    if (!parent || !parent->parent || parent->parent->type != XML_DOCUMENT_NODE)
        return;
    while (xmlNode* child = parent->children) {
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
}

// Parses the whole file the way LoadFromFile does, with the same messages, without
// keeping its elements: a file refused here would be refused by a load.
void CheckWholeFile(const std::string& path)
{
    ParseErrors errors;
    std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlNewParserCtxt());
    if (!parser)
        throw XmlError(Msg::XmlNotReadable + path);
    parser->sax->endElementNs = EndElementAndDrop;
    std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(xmlCtxtReadFile(parser.get(), path.c_str(), nullptr, SafeParseOptions),
                                                   xmlFreeDoc);
    if (!doc)
        throw XmlError(errors.Text(path));
    if (!xmlDocGetRootElement(doc.get()))
        throw XmlError(Msg::MalformedXml + path + Msg::NoRootElement);
}

}  // namespace

TXMLStreamReader::TXMLStreamReader(const std::string& path, bool checkWholeFile)
    : path_(path)
{
    CheckReadable(path);
    if (checkWholeFile)
        CheckWholeFile(path);
    reader_.reset(OpenReader(path));
}

TXMLStreamReader::~TXMLStreamReader() = default;

long long TXMLStreamReader::BytesRead() const
{
    return reader_ ? std::max<long long>(xmlTextReaderByteConsumed(reader_.get()), 0) : 0;
}

long long TXMLStreamReader::FileSize() const
{
    std::error_code error;
    auto size = std::filesystem::file_size(PathFromUtf8(path_), error);
    return error ? 0 : static_cast<long long>(size);
}

TXMLDocument::Node TXMLStreamReader::Next()
{
    if (finished_)
        return nullptr;
    ParseErrors errors;
    xmlTextReader* reader = reader_.get();
    int status = 0;
    if (!started_) {
        started_ = true;
        // An empty document element (<R/>) has no children to read.
        if (!ReadToRoot(reader, status) || xmlTextReaderIsEmptyElement(reader))
            finished_ = true;
        else
            status = xmlTextReaderRead(reader);
    } else {
        status = xmlTextReaderNext(reader);  // past the node given last, which is freed
    }
    if (status < 0)
        throw XmlError(errors.Text(path_));
    if (finished_ || status == 0 || xmlTextReaderDepth(reader) < 1) {
        finished_ = true;
        return nullptr;
    }
    xmlNode* node = xmlTextReaderExpand(reader);
    if (!node)
        throw XmlError(errors.Text(path_));
    // Messages name the file as the user gave it, as a loaded document does (libxml2
    // on Windows keeps a "file:/C:/..." URI instead).
    if (node->doc && (!node->doc->URL || path_ != reinterpret_cast<const char*>(node->doc->URL))) {
        xmlFree(const_cast<xmlChar*>(node->doc->URL));
        node->doc->URL = xmlStrdup(reinterpret_cast<const xmlChar*>(path_.c_str()));
    }
    return node;
}
