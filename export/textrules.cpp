#include "export/textrules.h"

#include "common/messages.h"
#include "export/inifile.h"

#include <charconv>
#include <stdexcept>

const char* const Utf8Declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const char* const Iso88592Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>";

std::string SplitFirst(std::string_view& text, std::string_view separator)
{
    size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
    if (at == std::string_view::npos) {
        std::string token(text);
        text = {};
        return token;
    }
    std::string token(TrimBlanks(text.substr(0, at)));
    text.remove_prefix(at + separator.size());
    return token;
}

std::string SplitFirst(std::string& text, std::string_view separator)
{
    std::string_view rest = text;
    std::string token = SplitFirst(rest, separator);
    text.erase(0, text.size() - rest.size());
    return token;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text, start, at - start);
        out.append(to);
        start = at + from.size();
    }
    out.append(text, start);
    return out;
}

std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

std::optional<int> ParseInteger(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

void CheckOutputSize(size_t size, std::string_view cause)
{
    if (size > MaxOutputText)
        throw std::length_error(Msg::OutputTooLong + std::to_string(size >> 20) +
                                Msg::OutputLimit + std::to_string(MaxOutputText >> 20) + Msg::OutputLimitEnd +
                                std::string(cause));
}

// The four passes in one walk. They cannot meet: passes 1 and 2 together only put a
// CR before a line feed that has none, and neither a CR, a line feed nor a tab occurs
// in ">" "<" or in the declaration, whose only "<" is its first character.
std::string LayoutPasses(std::string_view text, int encoding)
{
    const std::string_view from = Utf8Declaration;
    const std::string_view to = Iso88592Declaration;
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 16);
    // Characters without a rule are copied in runs, up to the next one that may have one.
    size_t copied = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '>' && c != '<')
            continue;
        if (c == '\n') {
            if (i == 0 || text[i - 1] != '\r') {
                out.append(text, copied, i - copied);
                out += '\r';
                copied = i;
            }
        } else if (c == '>' && i + 1 < text.size() && text[i + 1] == '<') {
            out.append(text, copied, i + 1 - copied);
            out += '\t';
            copied = i + 1;
        } else if (c == '<' && encoding != 0 && text.compare(i, from.size(), from) == 0) {
            out.append(text, copied, i - copied);
            out += to;
            i += from.size();
            if (i < text.size() && text[i] == '<')  // the declaration's ">" touches a tag
                out += '\t';
            copied = i;
            --i;
        }
    }
    out.append(text, copied);
    return out;
}
