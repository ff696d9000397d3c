#include "export/formatitem.h"

#include "common/messages.h"
#include "export/textrules.h"

#include <cstdlib>
#include <stdexcept>

namespace {

// A tag's name ends at ">" or a space; anything else means a longer name or "/>".
bool EndsName(const std::string& text, size_t at)
{
    return at < text.size() && (text[at] == '>' || text[at] == ' ');
}

// How many breaks a pass puts in: one before each marker whose tag name ends right
// after it, and with afterClose one more after each marker followed by ">".
size_t CountBreaks(const std::string& text, const std::string& marker, bool afterClose)
{
    size_t count = 0;
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + marker.size())) {
        size_t after = at + marker.size();
        count += EndsName(text, after) ? 1 : 0;
        count += afterClose && after < text.size() && text[after] == '>' ? 1 : 0;
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
    std::string lineBreak(static_cast<size_t>(std::abs(int(Indent))) + 1, '\t');
    lineBreak[0] = '\n';

    // Checked before anything is built: a big indent on a big text must fail, not
    // allocate gigabytes first.
    const std::string cause = Msg::FormatEntryName + Tag + Msg::FormatEntry + std::to_string(Indent) +
                              Msg::TooManyTabs;

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
        if (!AfterClose.empty() && after < opened.size() && opened[after] == '>') {
            result += ">" + lineBreak;
            start = after + 1;
        }
    }
    result.append(opened, start);
    return result;
}
