#pragma once

#include <libxml/tree.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// A failure while building the shared document: an invalid name, no document.
class SharedXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The XML document a host program lends the library (SharedXMLDocument): the library
// builds the XML Spreadsheet form of a copied table in it, and its presence lets XML
// header formats load. Active = it holds a document. Texts are UTF-8.
class TSharedXmlDocument {
public:
    using Node = xmlNode*;

    TSharedXmlDocument();
    ~TSharedXmlDocument();
    TSharedXmlDocument(const TSharedXmlDocument&) = delete;
    TSharedXmlDocument& operator=(const TSharedXmlDocument&) = delete;

    // Active: a fresh empty document; inactive: the document is discarded.
    void SetActive(bool active);
    bool Active() const { return static_cast<bool>(doc_); }

    // Building. Names are checked: an invalid element or attribute name throws.
    Node CreateElement(std::string_view name);
    void SetDocumentElement(Node element);
    static Node AddChild(Node parent, std::string_view name);
    // Replaces the element's content by one text node (the text is taken literally).
    static void SetText(Node element, std::string_view text);
    static void SetAttribute(Node element, std::string_view name, std::string_view value);

    // Compact serialisation of the document element: no declaration, no whitespace added.
    std::string Serialize() const;

private:
    struct DocFree {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    xmlDoc* Require() const;

    std::unique_ptr<xmlDoc, DocFree> doc_;
};
