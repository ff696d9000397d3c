#pragma once

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A failure of the XML document: a name that is not a valid XML name, a file that is
// missing or not well-formed, an operation on an inactive document.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one XML document of the main window, over libxml2. Active = it holds a document
// (empty or loaded); inactive = nothing. Node handles are owned by the document and
// stay valid until it is made inactive or reloaded. Texts are UTF-8.
// The reason libxml2 gives for a parse error, in the user's words: the common errors
// in Hungarian (with the names and line libxml2 reports in str1, str2 and int1), the
// rest as libxml2 words them, in brackets behind a general Hungarian reason.
struct ParseErrorDetail {
    int code = 0;               // libxml2's xmlParserErrors
    std::string_view message;   // libxml2's text, first line
    std::string_view str1;
    std::string_view str2;
    int int1 = 0;
};
std::string HungarianParseReason(const ParseErrorDetail& error);

class TXMLDocument {
public:
    using Node = xmlNode*;

    TXMLDocument();
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    // Active: a fresh empty document; inactive: the document is discarded.
    void SetActive(bool active);
    bool Active() const { return static_cast<bool>(doc_); }

    // Loads a file (any encoding its declaration names). The document becomes active.
    // No network access, no external entities, bounded entity expansion. Throws
    // XmlError naming the file and, where known, the line and the reason.
    void LoadFromFile(const std::string& path);
    // The same for a text in memory; name is used in messages.
    void LoadFromText(std::string_view text, const std::string& name = "XML");

    // Building. Names are checked: an invalid element or attribute name throws XmlError.
    // kind names what the name is for in the message ("elem", "attribútum").
    static void CheckName(std::string_view name, const char* kind);
    Node CreateElement(std::string_view name);
    void SetDocumentElement(Node element);
    Node DocumentElement() const;
    static Node AddChild(Node parent, std::string_view name);
    // Replaces the element's content by one text node (the text is taken literally).
    static void SetText(Node element, std::string_view text);
    static void SetAttribute(Node element, std::string_view name, std::string_view value);

    // Walking.
    static Node Parent(Node node);  // nullptr above the document element
    static std::string NodeName(Node node);  // qualified name; "#text", "#comment", ... otherwise
    static std::vector<Node> ChildNodes(Node node);  // every kind, document order
    static bool HasAttribute(Node element, std::string_view name);
    // References to the document's own entities are expanded up to a bounded length
    // (XmlError beyond it); external entities are never read.
    static std::optional<std::string> Attribute(Node element, std::string_view name);
    // The line of the source text a loaded node came from; 0 when unknown.
    static long Line(Node node);
    // The text of an element that holds only text: text nodes and references to the
    // document's own entities whose replacement text is text, expanded up to a bounded
    // length (XmlError beyond it). An undefined or external entity adds nothing (it is
    // never read). No value for an empty element or one holding anything else: a child
    // element, a CDATA section, a comment.
    static std::optional<std::string> ElementText(Node element);
    static std::string Text(Node node);

    // Compact serialisation of the document element: no declaration, no whitespace added.
    std::string Serialize() const;

    // Why a text is not a well-formed XML document ("3. sor: reason"); "" when it is.
    // Meant for texts this program made itself, so libxml2's size limits for other
    // people's files are lifted; no network access, no external entities.
    static std::string WellFormednessProblem(std::string_view text);

private:
    struct DocFree {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    xmlDoc* Require() const;
    void Load(xmlDoc* doc, const std::string& name, const std::string& error);

    std::unique_ptr<xmlDoc, DocFree> doc_;
};

struct _xmlTextReader;

// Reads a file one child node of its document element at a time, so that memory holds
// one of them with its descendants, not the whole document. The file is checked whole
// first: a file that TXMLDocument::LoadFromFile refuses is refused here with the same
// XmlError before any node is given. The nodes are the ones LoadFromFile would build
// (every kind, in document order) and serve TXMLDocument's walking operations; each
// is valid until the next call of Next.
class TXMLStreamReader {
public:
    // Checks the whole file first, as a load would, unless it has just been read whole.
    explicit TXMLStreamReader(const std::string& path, bool checkWholeFile = true);
    ~TXMLStreamReader();
    TXMLStreamReader(const TXMLStreamReader&) = delete;
    TXMLStreamReader& operator=(const TXMLStreamReader&) = delete;

    // The next child of the document element, whole; nullptr after the last one.
    TXMLDocument::Node Next();
    // How far the reading is: bytes of the file consumed so far, and the file's size.
    long long BytesRead() const;
    long long FileSize() const;

private:
    struct ReaderFree {
        void operator()(_xmlTextReader* reader) const;
    };
    std::string path_;
    std::unique_ptr<_xmlTextReader, ReaderFree> reader_;
    bool started_ = false;
    bool finished_ = false;
};
