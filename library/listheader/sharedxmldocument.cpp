#include "library/listheader/sharedxmldocument.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

namespace {

const xmlChar* X(const std::string& s)
{
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

void CheckName(std::string_view name, const char* what)
{
    std::string text(name);
    if (text.empty() || text.find('\0') != std::string::npos || xmlValidateName(X(text), 0) != 0)
        throw SharedXmlError(std::string("Érvénytelen ") + what + " név: \"" + text + "\"");
}

}  // namespace

TSharedXmlDocument::TSharedXmlDocument()
{
    xmlInitParser();
}

TSharedXmlDocument::~TSharedXmlDocument() = default;

void TSharedXmlDocument::SetActive(bool active)
{
    doc_.reset();
    if (active) {
        doc_.reset(xmlNewDoc(BAD_CAST "1.0"));
        // Serialised as UTF-8 without character references for non-ASCII letters.
        doc_->encoding = xmlStrdup(BAD_CAST "UTF-8");
    }
}

xmlDoc* TSharedXmlDocument::Require() const
{
    if (!doc_)
        throw SharedXmlError("Az XML dokumentum nem aktív");
    return doc_.get();
}

TSharedXmlDocument::Node TSharedXmlDocument::CreateElement(std::string_view name)
{
    xmlDoc* doc = Require();
    CheckName(name, "elem");
    return xmlNewDocNode(doc, nullptr, X(std::string(name)), nullptr);
}

void TSharedXmlDocument::SetDocumentElement(Node element)
{
    xmlNode* old = xmlDocSetRootElement(Require(), element);
    if (old && old != element) {
        xmlUnlinkNode(old);
        xmlFreeNode(old);
    }
}

TSharedXmlDocument::Node TSharedXmlDocument::AddChild(Node parent, std::string_view name)
{
    if (!parent)
        throw SharedXmlError("Nincs szülő elem");
    CheckName(name, "elem");
    return xmlNewChild(parent, nullptr, X(std::string(name)), nullptr);
}

void TSharedXmlDocument::SetText(Node element, std::string_view text)
{
    if (!element)
        throw SharedXmlError("Nincs elem");
    xmlNodeSetContent(element, nullptr);  // drops the old children
    std::string literal(text);
    xmlNodeAddContentLen(element, X(literal), static_cast<int>(literal.size()));
}

void TSharedXmlDocument::SetAttribute(Node element, std::string_view name, std::string_view value)
{
    if (!element)
        throw SharedXmlError("Nincs elem");
    CheckName(name, "attribútum");
    xmlSetProp(element, X(std::string(name)), X(std::string(value)));
}

std::string TSharedXmlDocument::Serialize() const
{
    xmlDoc* doc = Require();
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root)
        return {};
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
    xmlSaveCtxt* context = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
    if (!context)
        throw SharedXmlError("Az XML dokumentum nem írható ki");
    xmlSaveTree(context, root);
    xmlSaveClose(context);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}
