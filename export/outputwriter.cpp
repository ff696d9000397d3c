#include "export/outputwriter.h"

#include "common/messages.h"
#include "common/xmldocument.h"
#include "export/textcodec.h"
#include "export/textrules.h"

namespace {

// A value ends at a NUL character, as the C strings libxml2 keeps do.
std::string_view UpToNul(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// The entity of each character a text (or, with attribute, an attribute value) must
// escape, as libxml2 writes it; null for the others.
struct EscapeTable {
    const char* entities[256] = {};

    explicit constexpr EscapeTable(bool attribute)
    {
        entities[static_cast<unsigned char>('&')] = "&amp;";
        entities[static_cast<unsigned char>('<')] = "&lt;";
        entities[static_cast<unsigned char>('>')] = "&gt;";
        entities[static_cast<unsigned char>('\r')] = "&#13;";
        if (attribute) {
            entities[static_cast<unsigned char>('"')] = "&quot;";
            entities[static_cast<unsigned char>('\t')] = "&#9;";
            entities[static_cast<unsigned char>('\n')] = "&#10;";
        }
    }
};
constexpr EscapeTable TextEscapes(false);
constexpr EscapeTable AttributeEscapes(true);

void AppendEscaped(std::string& out, std::string_view text, const EscapeTable& table)
{
    text = UpToNul(text);
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (const char* entity = table.entities[static_cast<unsigned char>(text[i])]) {
            out.append(text, start, i - start);
            out += entity;
            start = i + 1;
        }
    }
    out.append(text, start);
}

}  // namespace

TOutputWriter::TOutputWriter(std::string_view rootName)
{
    TXMLDocument::CheckName(rootName, Msg::ElementKind);
    open_.emplace_back();
    open_[0].name = rootName;
    depth_ = 1;
    elements_ = 1;
}

void TOutputWriter::Begin(std::string_view name)
{
    TXMLDocument::CheckName(name, Msg::ElementKind);
    Cursor().hasChildren = true;
    if (depth_ == open_.size())
        open_.emplace_back();
    OpenElement& child = open_[depth_++];
    child.name = name;
    child.attributes.clear();
    child.contentStart = text_.size();
    child.element = elements_++;
    child.hasChildren = false;
    if (keepOrigins_)
        origins_.push_back(nullptr);
}

bool TOutputWriter::End()
{
    if (depth_ <= 1)
        return false;
    const OpenElement& element = Cursor();
    if (!element.hasChildren) {
        AppendStartTag(text_, element);
        text_ += "/>";
    } else {
        std::string startTag;
        AppendStartTag(startTag, element);
        startTag += '>';
        text_.insert(element.contentStart, startTag);
        text_ += "</";
        text_ += element.name;
        text_ += '>';
    }
    --depth_;
    return true;
}

void TOutputWriter::SetText(std::string_view text)
{
    OpenElement& element = Cursor();
    text_.resize(element.contentStart);
    // What stood below it is gone: the next element follows it in document order.
    elements_ = element.element + 1;
    if (keepOrigins_)
        origins_.resize(elements_);
    element.hasChildren = !text.empty();
    AppendEscaped(text_, text, TextEscapes);
}

void TOutputWriter::SetAttribute(std::string_view name, std::string_view value)
{
    TXMLDocument::CheckName(name, Msg::AttributeKind);
    auto& attributes = Cursor().attributes;
    for (auto& [oldName, oldValue] : attributes) {
        if (oldName == name) {
            oldValue = UpToNul(value);
            return;
        }
    }
    attributes.emplace_back(name, UpToNul(value));
}

void TOutputWriter::MarkCursor(const TOutputOrigin* origin)
{
    if (keepOrigins_ && origin)
        origins_[Cursor().element] = origin;
}

void TOutputWriter::KeepOrigins()
{
    if (keepOrigins_)
        return;
    keepOrigins_ = true;
    origins_.assign(elements_, nullptr);
}

std::string TOutputWriter::Finish(std::string_view prefix)
{
    while (End()) {
    }
    const OpenElement& root = open_[0];
    // The document element's start tag goes in front of its content where it lies.
    std::string front(prefix);
    AppendStartTag(front, root);
    if (!root.hasChildren) {
        text_.assign(front);
        text_ += "/>";
    } else {
        front += '>';
        text_.insert(0, front);
        text_ += "</";
        text_ += root.name;
        text_ += '>';
    }
    open_.clear();
    depth_ = 0;
    std::string text = std::move(text_);
    text_.clear();
    return text;
}

void TOutputWriter::AppendStartTag(std::string& out, const OpenElement& element) const
{
    out += '<';
    out += element.name;
    for (const auto& [name, value] : element.attributes) {
        out += ' ';
        out += name;
        out += "=\"";
        AppendEscaped(out, value, AttributeEscapes);
        out += '"';
    }
}

bool IsWellFormedAsWritten(std::string_view finished)
{
    return finished.substr(0, std::string_view(Utf8Declaration).size()) == Utf8Declaration &&
           !FindNonXmlCharacter(finished);
}
