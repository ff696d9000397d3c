#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One place where a document breaks its schema, as libxml2 reports it.
struct SchemaProblem {
    const xmlNode* node = nullptr;  // the element or attribute; null when validating a file as it is read
    long line = 0;                  // line in the validated text; 0 when unknown
    std::string message;            // libxml2's own text, one line
};

// The problems of one validation: the first ones in full, all of them counted.
struct SchemaReport {
    std::vector<SchemaProblem> problems;
    long count = 0;
    bool Valid() const { return count == 0; }
};

// An XML Schema read from local files: the schema and everything it includes or
// imports. Names with a network scheme (http:, ftp:, ...) are refused, so that a
// validation never waits on or leaks to a remote host.
class TXmlSchema {
public:
    // Throws XmlError naming the file, the line and libxml2's reason.
    explicit TXmlSchema(const std::string& path);
    ~TXmlSchema();
    TXmlSchema(const TXmlSchema&) = delete;
    TXmlSchema& operator=(const TXmlSchema&) = delete;

    // Validates a document in memory.
    SchemaReport Validate(xmlDoc* doc) const;
    // True when the bytes of a whole document are valid, checked while they are read
    // (no tree): the quick answer for the usual valid output. Any doubt gives false.
    bool Accepts(std::string_view bytes) const;
    // Validates a file while reading it, without building its tree. A file that is not
    // well-formed is reported as a problem too.
    SchemaReport ValidateFile(const std::string& path) const;

    const std::string& Path() const { return path_; }

    // At most this many problems are kept in full; the rest are only counted.
    static constexpr size_t MaxProblems = 200;

private:
    struct SchemaFree {
        void operator()(struct _xmlSchema* schema) const;
    };
    std::string path_;
    std::unique_ptr<struct _xmlSchema, SchemaFree> schema_;
};

// True for names the schema loader refuses: anything with a scheme other than file:.
bool IsNetworkName(const std::string& name);

// libxml2's text of one problem in Hungarian words, e.g. "\"12,5\" nem érvényes decimal érték".
std::string SchemaReason(const std::string& libxmlMessage);
// "reason [libxml2's text]"
std::string SchemaProblemText(const std::string& libxmlMessage);

// A schema named by a control file, as a path inside the data folder. An absolute
// name or one that leads out of the folder throws std::runtime_error.
std::string ResolveSchemaPath(const std::string& dataFolder, const std::string& name);

// The text between the quotes that follow marker in one of libxml2's messages, or "".
std::string QuotedAfter(const std::string& text, const std::string& marker, size_t from = 0);
