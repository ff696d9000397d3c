#include "common/xmlschema.h"

#include "common/messages.h"
#include "common/pathtext.h"
#include "common/xmlerrorredirect.h"
#include "common/xmldocument.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

std::string OneLine(const char* message)
{
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

// While it lives, libxml2 loads no entity, schema or DTD from the network: a name
// with a network scheme is refused and remembered for the message.
class LocalOnlyLoading {
public:
    LocalOnlyLoading() : previous_(xmlGetExternalEntityLoader())
    {
        outer_ = active_;
        active_ = this;
        xmlSetExternalEntityLoader(&LocalOnlyLoading::Load);
    }
    ~LocalOnlyLoading()
    {
        xmlSetExternalEntityLoader(previous_);
        active_ = outer_;
    }
    LocalOnlyLoading(const LocalOnlyLoading&) = delete;
    LocalOnlyLoading& operator=(const LocalOnlyLoading&) = delete;

    const std::string& Refused() const { return refused_; }

private:
    static xmlParserInputPtr Load(const char* url, const char* id, xmlParserCtxtPtr context)
    {
        LocalOnlyLoading* self = active_;
        if (url && IsNetworkName(url)) {
            if (self && self->refused_.empty())
                self->refused_ = url;
            return nullptr;
        }
        return self && self->previous_ ? self->previous_(url, id, context) : nullptr;
    }

    static inline LocalOnlyLoading* active_ = nullptr;
    xmlExternalEntityLoader previous_;
    LocalOnlyLoading* outer_ = nullptr;
    std::string refused_;
};

// Collects libxml2's reports of one schema read or one validation.
struct Collector {
    SchemaReport report;
    std::string firstError;
    int firstLine = 0;
    std::string firstFile;

    static void Collect(void* self, xmlErrorPtr error)
    {
        auto* collector = static_cast<Collector*>(self);
        if (!error || error->level < XML_ERR_ERROR)
            return;
        if (collector->firstError.empty()) {
            collector->firstError = OneLine(error->message);
            collector->firstLine = error->line;
            collector->firstFile = error->file ? error->file : "";
        }
        ++collector->report.count;
        if (collector->report.problems.size() < TXmlSchema::MaxProblems)
            collector->report.problems.push_back(
                {static_cast<const xmlNode*>(error->node), error->line, OneLine(error->message)});
    }
};

// Parser errors outside a validation context (a file that is not well-formed while it
// is validated) reach the global handler; this sends them to a collector.
class GlobalErrors : public XmlErrorRedirect {
public:
    explicit GlobalErrors(Collector& collector) : XmlErrorRedirect(&collector, &Collector::Collect) {}
};

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using ParserContext = std::unique_ptr<xmlSchemaParserCtxt, Deleter<xmlSchemaParserCtxt, xmlSchemaFreeParserCtxt>>;
using ValidContext = std::unique_ptr<xmlSchemaValidCtxt, Deleter<xmlSchemaValidCtxt, xmlSchemaFreeValidCtxt>>;

ValidContext NewValidContext(xmlSchema* schema, Collector& collector)
{
    ValidContext context(xmlSchemaNewValidCtxt(schema));
    if (!context)
        throw XmlError(Msg::SchemaUnusable);
    xmlSchemaSetValidStructuredErrors(context.get(), &Collector::Collect, &collector);
    return context;
}

std::string Quote(const std::string& value)
{
    return "\"" + value + "\"";
}

}  // namespace

bool IsNetworkName(const std::string& name)
{
    // A scheme is letters (then letters, digits, + - .) and a colon; "C:" is a drive.
    size_t colon = name.find(':');
    if (colon == std::string::npos || colon < 2)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (!std::isalpha(c) && !(i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.')))
            return false;
    }
    std::string scheme = name.substr(0, colon);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme != "file";
}

void TXmlSchema::SchemaFree::operator()(xmlSchema* schema) const
{
    xmlSchemaFree(schema);
}

TXmlSchema::TXmlSchema(const std::string& path)
    : path_(path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), error))
        throw XmlError(Msg::SchemaNotFound + path);
    LocalOnlyLoading local;
    Collector collector;
    GlobalErrors global(collector);
    ParserContext context(xmlSchemaNewParserCtxt(path.c_str()));
    if (!context)
        throw XmlError(Msg::SchemaNotReadable + path);
    xmlSchemaSetParserStructuredErrors(context.get(), &Collector::Collect, &collector);
    schema_.reset(xmlSchemaParse(context.get()));
    if (!local.Refused().empty())
        throw XmlError(Msg::SchemaMalformed + path + Msg::SchemaFromNetwork + local.Refused());
    if (!schema_) {
        std::string text = Msg::SchemaMalformed + (collector.firstFile.empty() ? path : collector.firstFile);
        if (collector.firstLine > 0)
            text += ", " + std::to_string(collector.firstLine) + Msg::LineSuffix;
        if (!collector.firstError.empty())
            text += ": " + collector.firstError;
        throw XmlError(text);
    }
}

TXmlSchema::~TXmlSchema() = default;

SchemaReport TXmlSchema::Validate(xmlDoc* doc) const
{
    LocalOnlyLoading local;
    Collector collector;
    ValidContext context = NewValidContext(schema_.get(), collector);
    int result = xmlSchemaValidateDoc(context.get(), doc);
    if (result != 0 && collector.report.count == 0)
        collector.report = {{{nullptr, 0, Msg::SchemaDocumentNotChecked}}, 1};
    return std::move(collector.report);
}

namespace {

// Hands a text in memory to libxml2's input callbacks.
struct BytesReader {
    std::string_view rest;

    static int Read(void* context, char* buffer, int length)
    {
        auto& reader = *static_cast<BytesReader*>(context);
        const size_t count = std::min(reader.rest.size(), static_cast<size_t>(std::max(length, 0)));
        std::memcpy(buffer, reader.rest.data(), count);
        reader.rest.remove_prefix(count);
        return static_cast<int>(count);
    }
};

}  // namespace

bool TXmlSchema::Accepts(std::string_view bytes) const
{
    LocalOnlyLoading local;
    Collector collector;
    GlobalErrors global(collector);
    ValidContext context = NewValidContext(schema_.get(), collector);
    // Read in pieces as the parser asks for them, not copied whole first. The
    // validation takes the buffer over and frees it.
    BytesReader reader{bytes};
    xmlParserInputBuffer* input =
        xmlParserInputBufferCreateIO(&BytesReader::Read, nullptr, &reader, XML_CHAR_ENCODING_NONE);
    if (!input)
        return false;
    int result = xmlSchemaValidateStream(context.get(), input, XML_CHAR_ENCODING_NONE, nullptr, nullptr);
    return result == 0 && collector.report.count == 0 && local.Refused().empty();
}

SchemaReport TXmlSchema::ValidateFile(const std::string& path) const
{
    LocalOnlyLoading local;
    Collector collector;
    GlobalErrors global(collector);
    ValidContext context = NewValidContext(schema_.get(), collector);
    int result = xmlSchemaValidateFile(context.get(), path.c_str(), 0);
    if (result != 0 && collector.report.count == 0)
        collector.report = {{{nullptr, 0, Msg::SchemaFileNotChecked}}, 1};
    return std::move(collector.report);
}

std::string SchemaReason(const std::string& message)
{
    if (size_t at = message.find("' is not a valid value of the"); at != std::string::npos) {
        size_t start = message.find("': '");
        std::string value = start != std::string::npos && start + 4 <= at ? message.substr(start + 4, at - start - 4) : "";
        std::string type = QuotedAfter(message, "type '", at);
        if (size_t colon = type.rfind(':'); colon != std::string::npos)
            type.erase(0, colon + 1);
        return Quote(value) + Msg::SchemaNotValid + (type.empty() ? "" : type + " ") + Msg::SchemaValueWord;
    }
    if (size_t at = message.find("[facet '"); at != std::string::npos) {
        std::string facet = QuotedAfter(message, "[facet '");
        std::string value = QuotedAfter(message, "The value '", at);
        std::string what = facet == "enumeration" ? Msg::SchemaNotAllowedValue
                           : facet == "pattern"   ? Msg::SchemaNoPatternMatch
                           : facet.find("ength") != std::string::npos ? Msg::SchemaLengthNotAllowed
                           : facet.find("Digits") != std::string::npos ? Msg::SchemaTooManyDigits
                           : facet.find("clusive") != std::string::npos ? Msg::SchemaOutOfRange
                                                                      : Msg::SchemaFacetBroken;
        return (value.empty() ? std::string(Msg::SchemaTheValue) : Quote(value)) + " " + what;
    }
    if (message.find("is required but missing") != std::string::npos)
        return Msg::SchemaMissingAttribute + Quote(QuotedAfter(message, "The attribute '")) + Msg::SchemaAttributeWord;
    if (message.find("The attribute '") != std::string::npos && message.find("is not allowed") != std::string::npos)
        return Msg::SchemaAttributeNotAllowed + Quote(QuotedAfter(message, "The attribute '")) + Msg::SchemaAttributeWord;
    if (message.find("This element is not expected") != std::string::npos)
        return Msg::SchemaUnexpectedElement;
    if (message.find("Missing child element") != std::string::npos)
        return Msg::SchemaMissingChild;
    if (message.find("No matching global declaration available for the validation root") != std::string::npos)
        return Msg::SchemaUnknownRoot;
    if (message.find("Character content other than whitespace is not allowed") != std::string::npos)
        return Msg::SchemaNoTextHere;
    if (message.find("Element content is not allowed") != std::string::npos)
        return Msg::SchemaNoElementHere;
    return Msg::SchemaBroken;
}

std::string SchemaProblemText(const std::string& message)
{
    return SchemaReason(message) + " [" + message + "]";
}

// The text between the quotes that follow marker, or "" without them.
std::string QuotedAfter(const std::string& text, const std::string& marker, size_t from)
{
    size_t start = text.find(marker, from);
    if (start == std::string::npos)
        return {};
    start += marker.size();
    size_t end = text.find('\'', start);
    return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

std::string ResolveSchemaPath(const std::string& dataFolder, const std::string& name)
{
    namespace fs = std::filesystem;
    fs::path relative = PathFromUtf8(name).lexically_normal();
    bool outside = relative.empty() || relative.is_absolute() || relative.has_root_name() ||
                   relative.has_root_directory() || *relative.begin() == "..";
    if (outside)
        throw std::runtime_error(Msg::SchemaOutsideDataFolder + name);
    return dataFolder + Utf8FromPath(relative);
}
