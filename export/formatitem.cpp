#include "export/formatitem.h"

#include "common/messages.h"
#include "export/textrules.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// A tag's name ends at ">" or a space; anything else means a longer name or "/>".
bool EndsName(const std::string& text, size_t at)
{
    return at < text.size() && (text[at] == '>' || text[at] == ' ');
}

// A closing tag's name followed right by its ">": a break may follow it.
bool EndsTag(const std::string& text, size_t at)
{
    return at < text.size() && text[at] == '>';
}

// How many breaks a pass puts in: one before each marker whose tag name ends right
// after it, and with afterClose one more after each marker followed by ">".
size_t CountBreaks(const std::string& text, const std::string& marker, bool afterClose)
{
    size_t count = 0;
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + marker.size())) {
        size_t after = at + marker.size();
        count += EndsName(text, after) ? 1 : 0;
        count += afterClose && EndsTag(text, after) ? 1 : 0;
    }
    return count;
}

}  // namespace

TFormatItem::TFormatItem(std::string key, const std::string& value)
    : Tag(std::move(key))
{
    size_t comma = value.find(',');
    std::string number = value.substr(0, comma);
    if (comma != std::string::npos)
        AfterClose = value.substr(comma + 1);
    std::optional<int> indent = ParseInteger(number);
    if (!indent)
        throw std::invalid_argument(Msg::MalformedIndent + Tag + "=" + value);
    Indent = static_cast<std::int16_t>(*indent);
}

std::string TFormatItem::Apply(const std::string& text) const
{
    // An empty tag, one holding "<" or one starting with "/" lets its markers overlap:
    // those take the passes one after the other. Otherwise both kinds of marker are
    // found in one walk, which gives the same text: a break only ever goes before a "<".
    if (Tag.empty() || Tag[0] == '/' || Tag.find('<') != std::string::npos)
        return ApplyInTwoPasses(text);

    const std::string lineBreak = LineBreak();
    const std::string open = "<" + Tag;
    const std::string close = "</" + Tag;
    const bool closing = Indent <= 0;
    const bool afterClose = closing && !AfterClose.empty();

    // Calls found(at, isOpen) for every marker, in order.
    auto walk = [&](auto found) {
        const char* data = text.data();
        size_t at = 0;
        while (const void* hit = std::memchr(data + at, '<', text.size() - at)) {
            at = static_cast<size_t>(static_cast<const char*>(hit) - data);
            if (text.compare(at, open.size(), open) == 0) {
                found(at, true);
                at += open.size();
            } else if (closing && text.compare(at, close.size(), close) == 0) {
                found(at, false);
                at += close.size();
            } else {
                ++at;
            }
        }
    };

    // Counted before anything is built: a big indent on a big text must fail, not
    // allocate gigabytes first.
    size_t openBreaks = 0;
    size_t closeBreaks = 0;
    walk([&](size_t at, bool isOpen) {
        const size_t after = at + (isOpen ? open.size() : close.size());
        (isOpen ? openBreaks : closeBreaks) += EndsName(text, after) ? 1 : 0;
        closeBreaks += !isOpen && afterClose && EndsTag(text, after) ? 1 : 0;
    });
    const std::string cause = SizeCause();
    CheckOutputSize(text.size() + openBreaks * lineBreak.size(), cause);
    CheckOutputSize(text.size() + (openBreaks + closeBreaks) * lineBreak.size(), cause);

    std::string result;
    result.reserve(text.size() + (openBreaks + closeBreaks) * lineBreak.size());
    size_t start = 0;
    walk([&](size_t at, bool isOpen) {
        const std::string& marker = isOpen ? open : close;
        const size_t after = at + marker.size();
        result.append(text, start, at - start);
        if (EndsName(text, after))
            result += lineBreak;
        result += marker;
        start = after;
        if (!isOpen && afterClose && EndsTag(text, after)) {
            result += '>';
            result += lineBreak;
            start = after + 1;
        }
    });
    result.append(text, start);
    return result;
}

std::string TFormatItem::ApplyInTwoPasses(const std::string& text) const
{
    const std::string lineBreak = LineBreak();
    // Checked before anything is built: a big indent on a big text must fail, not
    // allocate gigabytes first.
    const std::string cause = SizeCause();

    const std::string open = "<" + Tag;
    CheckOutputSize(text.size() + CountBreaks(text, open, false) * lineBreak.size(), cause);
    std::string opened;
    opened.reserve(text.size());
    size_t start = 0;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, start)) {
        opened.append(text, start, at - start);
        if (EndsName(text, at + open.size()))
            opened += lineBreak;
        opened += open;
        start = at + open.size();
    }
    opened.append(text, start);
    if (Indent > 0)
        return opened;

    const std::string close = "</" + Tag;
    CheckOutputSize(opened.size() + CountBreaks(opened, close, !AfterClose.empty()) * lineBreak.size(), cause);
    std::string result;
    result.reserve(opened.size());
    start = 0;
    for (size_t at = opened.find(close); at != std::string::npos; at = opened.find(close, start)) {
        result.append(opened, start, at - start);
        size_t after = at + close.size();
        if (EndsName(opened, after))
            result += lineBreak;
        result += close;
        start = after;
        if (!AfterClose.empty() && EndsTag(opened, after)) {
            result += ">" + lineBreak;
            start = after + 1;
        }
    }
    result.append(opened, start);
    return result;
}

std::string TFormatItem::LineBreak() const
{
    std::string lineBreak(static_cast<size_t>(std::abs(int(Indent))) + 1, '\t');
    lineBreak[0] = '\n';
    return lineBreak;
}

std::string TFormatItem::SizeCause() const
{
    return Msg::FormatEntryName + Tag + Msg::FormatEntry + std::to_string(Indent) + Msg::TooManyTabs;
}
