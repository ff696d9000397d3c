#include "library/xmlscanner/scannertext.h"

#include "library/xmlscanner/nvplist.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace scannertext {

bool ParseNumber(std::string_view digits, int base, int& value)
{
    if (digits.empty())
        return false;
    std::uint32_t number = 0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, number, base);
    if (result.ec != std::errc() || result.ptr != end
        || number > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    value = static_cast<int>(number);
    return true;
}

std::string RemoveSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!IsXmlSpace(c))
            out += c;
    }
    return out;
}

namespace {

// Drops the blanks at both ends and turns every inner run of blanks into one space, in place.
template <class IsBlank>
void CollapseBlanks(std::string& text, IsBlank isBlank)
{
    std::size_t write = 0;
    bool pendingSpace = false;
    for (const char c : text) {
        if (isBlank(c)) {
            pendingSpace = write > 0;
            continue;
        }
        if (pendingSpace) {
            text[write++] = ' ';
            pendingSpace = false;
        }
        text[write++] = c;
    }
    text.resize(write);
}

} // namespace

void NormalizeWhitespace(std::string& text)
{
    CollapseBlanks(text, IsXmlSpace);
}

void CollapseSpaces(std::string& text)
{
    CollapseBlanks(text, [](char c) { return c == ' '; });
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

} // namespace scannertext
