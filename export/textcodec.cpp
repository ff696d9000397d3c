#include "export/textcodec.h"

#include "common/messages.h"

#include <array>
#include <cstdio>

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Windows-1250, bytes 0x80 to 0xFF. Unassigned bytes keep their C1 code point.
constexpr std::array<char16_t, 128> Windows1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// ISO-8859-2, bytes 0xA0 to 0xFF (0x00 to 0x9F are the code points themselves;
// 0xC0 to 0xFF are the same letters as in Windows-1250).
constexpr std::array<char16_t, 32> Iso88592A0 = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7,  // A0
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B,  // A8
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,  // B0
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C,  // B8
};

char32_t Iso88592Char(unsigned char byte)
{
    if (byte < 0xA0)
        return byte;
    if (byte < 0xC0)
        return Iso88592A0[byte - 0xA0];
    return Windows1250High[byte - 0x80];
}

// The reverse table, built once: every character of the code page lies below U+0300.
struct Iso88592Encoder {
    std::array<unsigned char, 0x300> bytes{};
    Iso88592Encoder()
    {
        for (int byte = 0xA0; byte <= 0xFF; ++byte) {
            char32_t c = Iso88592Char(static_cast<unsigned char>(byte));
            if (c < bytes.size())
                bytes[c] = static_cast<unsigned char>(byte);
        }
    }
    // 0 when the code page lacks the character.
    unsigned char Encode(char32_t c) const
    {
        if (c < 0xA0)
            return static_cast<unsigned char>(c);
        return c < bytes.size() ? bytes[c] : 0;
    }
};

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    size_t count = bytes.size() / 2;  // an odd last byte is not a character
    auto unit = [&](size_t i) -> char16_t {
        auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
        auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
        return static_cast<char16_t>(hi << 8 | lo);
    };
    std::u16string units;
    units.reserve(count);
    for (size_t i = 0; i < count; ++i)
        units.push_back(unit(i));
    return EncodeUtf8(units);
}

}  // namespace

namespace {

// One code point; valid is cleared for a malformed sequence (then U+FFFD).
char32_t DecodeOne(std::string_view text, size_t& pos, bool& valid)
{
    valid = false;
    auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        valid = true;
        return lead;
    }
    int length;
    char32_t code;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return Replacement;
    }
    for (int i = 1; i < length; ++i) {
        if (pos >= text.size() || !IsContinuation(static_cast<unsigned char>(text[pos])))
            return Replacement;
        char32_t next = (code << 6) | (static_cast<unsigned char>(text[pos]) & 0x3F);
        // Reject overlongs, surrogates and values past U+10FFFF as early as possible,
        // so that the offending byte starts the next character.
        if (i == 1) {
            bool bad = (length == 3 && lead == 0xE0 && static_cast<unsigned char>(text[pos]) < 0xA0) ||
                       (length == 3 && lead == 0xED && static_cast<unsigned char>(text[pos]) >= 0xA0) ||
                       (length == 4 && lead == 0xF0 && static_cast<unsigned char>(text[pos]) < 0x90) ||
                       (length == 4 && lead == 0xF4 && static_cast<unsigned char>(text[pos]) >= 0x90);
            if (bad)
                return Replacement;
        }
        code = next;
        ++pos;
    }
    if (code < minimum)
        return Replacement;
    valid = true;
    return code;
}

}  // namespace

char32_t NextCodePoint(std::string_view text, size_t& pos)
{
    bool valid;
    return DecodeOne(text, pos, valid);
}

void AppendUtf8(std::string& out, char32_t c)
{
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = Replacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// The ASCII characters XML allows: tab, line feed, carriage return and from space on.
struct PlainAsciiTable {
    bool plain[256] = {};
    constexpr PlainAsciiTable()
    {
        for (int c = 0x20; c < 0x80; ++c)
            plain[c] = true;
        plain[static_cast<unsigned char>('\t')] = plain[static_cast<unsigned char>('\n')] =
            plain[static_cast<unsigned char>('\r')] = true;
    }
};
constexpr PlainAsciiTable PlainAscii;

}  // namespace

std::optional<NonXmlCharacter> FindNonXmlCharacter(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size()) {
        // Most of a text is plain ASCII: passed over in a tight loop.
        while (pos < text.size() && PlainAscii.plain[static_cast<unsigned char>(text[pos])])
            ++pos;
        if (pos == text.size())
            break;
        const size_t start = pos;
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            ++pos;
            if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r')
                return NonXmlCharacter{start, lead, false};
            continue;
        }
        // A surrogate written as three bytes (what a lone UTF-16 surrogate becomes).
        if (lead == 0xED && pos + 2 < text.size() && (static_cast<unsigned char>(text[pos + 1]) & 0xE0) == 0xA0 &&
            (static_cast<unsigned char>(text[pos + 2]) & 0xC0) == 0x80) {
            char32_t c = 0xD000 | ((static_cast<unsigned char>(text[pos + 1]) & 0x3F) << 6) |
                         (static_cast<unsigned char>(text[pos + 2]) & 0x3F);
            return NonXmlCharacter{start, c, false};
        }
        bool valid;
        char32_t c = DecodeOne(text, pos, valid);
        if (!valid)
            return NonXmlCharacter{start, lead, true};
        if (c == 0xFFFE || c == 0xFFFF)
            return NonXmlCharacter{start, c, false};
    }
    return std::nullopt;
}

std::string DescribeCharacter(const NonXmlCharacter& character)
{
    char text[16];
    if (character.malformed)
        std::snprintf(text, sizeof text, Msg::MalformedByte, static_cast<unsigned>(character.codePoint));
    else
        std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(character.codePoint));
    return text;
}

bool IsValidUtf8(std::string_view text)
{
    size_t pos = 0;
    bool valid = true;
    while (pos < text.size() && valid)
        DecodeOne(text, pos, valid);
    return valid;
}

std::string EncodeUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string EncodeUtf8(std::string_view text)
{
    if (IsValidUtf8(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    size_t pos = 0;
    while (pos < text.size())
        AppendUtf8(out, NextCodePoint(text, pos));
    return out;
}

std::string Utf8ToIso88592(std::string_view text)
{
    static const Iso88592Encoder encoder;
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = NextCodePoint(text, pos);
        unsigned char byte = encoder.Encode(c);
        out += (byte == 0 && c != 0) ? '?' : static_cast<char>(byte);
    }
    return out;
}

std::string Iso88592ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char byte : bytes)
        AppendUtf8(out, Iso88592Char(static_cast<unsigned char>(byte)));
    return out;
}

std::string Windows1250ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char byte : bytes) {
        auto b = static_cast<unsigned char>(byte);
        AppendUtf8(out, b < 0x80 ? char32_t(b) : char32_t(Windows1250High[b - 0x80]));
    }
    return out;
}

std::string DecodeTextFile(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return EncodeUtf8(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Windows1250ToUtf8(bytes);
}
