#include "library/xmlscanner/windows1252.h"

#include <array>
#include <cstdint>
#include <cstring>

// Declared extern in the header, so this constant keeps external linkage.
constexpr unsigned short Windows1252ToUnicode[256] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007,
    0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
    0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
    0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

namespace {

// The largest Unicode value in the table is U+2122 (trade mark sign).
constexpr int ReverseSize = 0x2123;

// The reverse table is built at compile time from the forward one, so the two can
// never disagree; 0 marks a value without a byte.
struct ReverseTable {
    std::array<unsigned char, ReverseSize> bytes{};
};

constexpr ReverseTable BuildReverse()
{
    ReverseTable table;
    for (int b = 0; b < 128; ++b)
        table.bytes[Windows1252ToUnicode[128 + b]] = static_cast<unsigned char>(128 + b);
    return table;
}

constexpr ReverseTable Reverse = BuildReverse();

// Number of leading one bits of a byte.
int LeadingOnes(unsigned char b)
{
    int n = 0;
    while (n < 8 && (b & (0x80 >> n)))
        ++n;
    return n;
}

char ByteFor(int unicodeValue)
{
    const int b = UnicodeToWindows1252(unicodeValue);
    return b < 0 ? UnknownCharacter : static_cast<char>(b);
}

// Length of the run of bytes below 128 from the start; eight bytes at a time.
std::size_t AsciiRun(const char* s, std::size_t n)
{
    std::size_t i = 0;
    while (i + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, s + i, 8);
        if (w & 0x8080808080808080ULL)
            break;
        i += 8;
    }
    while (i < n && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

int UnicodeToWindows1252(int unicodeValue)
{
    if (unicodeValue >= 0 && unicodeValue < 128)
        return unicodeValue;
    if (unicodeValue < 0 || unicodeValue >= ReverseSize)
        return -1;
    const unsigned char b = Reverse.bytes[unicodeValue];
    return b == 0 ? -1 : b;
}

std::string Utf8ToWindows1252(std::string_view source)
{
    const char* s = source.data();
    const std::size_t n = source.size();
    std::size_t i = AsciiRun(s, n);
    if (i == n)
        return std::string(source);

    std::string out;
    out.reserve(n);
    out.append(s, i);
    while (i < n) {
        const std::size_t run = AsciiRun(s + i, n - i);
        out.append(s + i, run);
        i += run;
        if (i >= n)
            break;
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        const std::size_t left = n - i - 1;  // bytes after the lead
        if ((lead & 0xE0) == 0xC0 && left >= 1) {
            out += ByteFor((lead & 0x1F) * 64 + (s[i + 1] & 0x3F));
            i += 2;
        } else if ((lead & 0xF0) == 0xE0 && left >= 2) {
            out += ByteFor((lead & 0x0F) * 4096 + (s[i + 1] & 0x3F) * 64 + (s[i + 2] & 0x3F));
            i += 3;
        } else {
            // A stray continuation byte, a longer sequence or one cut short by the end.
            const int ones = LeadingOnes(lead);
            std::size_t extra = (ones == 8) ? 0 : static_cast<std::size_t>(ones - 1);
            if (extra > left)
                extra = left;
            out += UnknownCharacter;
            i += 1 + extra;
        }
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view source)
{
    std::string out;
    out.reserve(source.size());
    for (const char c : source) {
        const unsigned value = Windows1252ToUnicode[static_cast<unsigned char>(c)];
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | (value >> 6));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (value >> 12));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return out;
}
