#include "library/listheader/listheaderformat.h"

#include <algorithm>
#include <utility>

uint32_t ModuleMask = 0xFFFFFFFFu;

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The bytes of the UTF-8 character that starts with lead; 1 for a stray byte, so a
// broken text is still consumed byte by byte.
std::size_t Utf8Length(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// Reads unsigned decimal digits from pos on; the value stops growing at the 16-bit limit
// instead of wrapping round.
int16_t ReadSmallNumber(std::string_view text, std::size_t& pos)
{
    int value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        value = std::min(value * 10 + (text[pos] - '0'), 32767);
    return static_cast<int16_t>(value);
}

// strtol-like: leading white space, an optional sign, digits. Where no digits follow,
// nothing at all is consumed and the value is 0. Saturates far beyond 32 bits.
long long ReadFlagNumber(std::string_view text, std::size_t& pos)
{
    std::size_t p = pos;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    if (p >= text.size() || !IsDigit(text[p]))
        return 0;
    long long value = 0;
    for (; p < text.size() && IsDigit(text[p]); ++p)
        value = std::min(value * 10 + (text[p] - '0'), 1LL << 40);
    pos = p;
    return negative ? -value : value;
}

} // namespace

int NextMarkupPiece(std::string& text, std::string& piece)
{
    const std::size_t slash = text.find('\\');
    if (slash == std::string::npos) {
        piece = std::move(text);
        text.clear();
        return MarkupNone;
    }
    static constexpr std::string_view codes = "udfp\\;";
    std::size_t codeLength = 0;
    int code = MarkupNone;
    if (slash + 1 < text.size()) {
        const char c = text[slash + 1];
        const std::size_t found = codes.find(c);
        code = found == std::string_view::npos ? MarkupNone : static_cast<int>(found);
        // An unknown sequence drops its whole character, not only the first byte of it.
        codeLength = Utf8Length(static_cast<unsigned char>(c));
    }
    piece = text.substr(0, slash);
    if (code == MarkupBackslash)
        piece += '\\';
    text.erase(0, std::min(text.size(), slash + 1 + codeLength));
    return code;
}

const std::string& TListHeaderFormatCol::Title(int line) const
{
    static const std::string empty;
    if (line < 0 || line > 1)
        return empty;
    return UserDefined ? UserLines[line] : Lines[line].Text;
}

std::size_t TListHeaderFormatCol::ParseFormat(std::string_view text)
{
    std::size_t pos = 0;
    if (pos < text.size() && IsDigit(text[pos]))
        Precision = ReadSmallNumber(text, pos);
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        Digits = ReadSmallNumber(text, pos);
    }
    ShowZero = true;
    const char letter = pos < text.size() ? text[pos] : '\0';
    if (pos < text.size())
        ++pos;
    switch (letter) {
    case 'C': case 'c':
        Kind = 3;
        break;
    case 'E': case 'e':
        Kind = 2;
        FloatFormat = 1;
        ShowZero = letter == 'e';
        break;
    case 'F': case 'f':
        Kind = 2;
        FloatFormat = 2;
        ShowZero = letter == 'f';
        break;
    case 'G': case 'g':
        Kind = 2;
        FloatFormat = 0;
        ShowZero = letter == 'g';
        break;
    case 'I': case 'i':
        Kind = 1;
        ShowZero = letter == 'i';
        break;
    default:
        Kind = 0;
        break;
    }
    return pos;
}

std::size_t TListHeaderFormatCol::ParseModulFlag(std::string_view text)
{
    ModuleVisible = true;
    if (text.empty() || text[0] != '[')
        return 0;
    std::size_t pos = 1;
    bool negate = false;
    if (pos < text.size() && text[pos] == '!') {
        negate = true;
        ++pos;
    }
    while (pos < text.size() && text[pos] != ']') {
        const long long number = ReadFlagNumber(text, pos);
        ModuleVisible = ModuleVisible && (static_cast<uint32_t>(number) & ModuleMask) != 0;
        if (pos < text.size() && text[pos] != ']')
            ++pos;  // the separator
    }
    if (pos < text.size())
        ++pos;  // "]"
    if (negate)
        ModuleVisible = !ModuleVisible;
    return pos;
}

void TListHeaderFormat::Clear()
{
    Count = 0;
    Rows = 1;
    Columns.clear();
    Order.clear();
}

const TListHeaderFormatCol* TListHeaderFormat::Column(int position) const
{
    if (position < 0 || position >= Count || position >= static_cast<int>(Order.size()))
        return nullptr;
    const int index = Order[position];
    if (index < 0 || index >= static_cast<int>(Columns.size()))
        return nullptr;
    return &Columns[index];
}

TListHeaderFormatCol* TListHeaderFormat::Column(int position)
{
    return const_cast<TListHeaderFormatCol*>(std::as_const(*this).Column(position));
}

void TListHeaderFormat::Swap(int a, int b)
{
    const int limit = std::min<int>(Count, static_cast<int>(Order.size()));
    if (a < 0 || b < 0 || a >= limit || b >= limit)
        return;
    std::swap(Order[a], Order[b]);
}

void TListHeaderFormat::Assign(const TListHeaderFormat& other)
{
    if (this == &other)
        return;
    Clear();
    Count = other.Count;
    Rows = other.Rows;
    Columns = other.Columns;
    Order = other.Order;
}
