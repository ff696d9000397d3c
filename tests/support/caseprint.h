#pragma once

#include <string>
#include <string_view>

// A case's text as a parameterised test prints it (in its name and in a failure):
// quoted on one line, with control characters, quotes, backslashes and bytes that are
// no UTF-8 escaped, so that every case reads as what it tests. UTF-8 letters stay.
inline std::string CaseText(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        // The length of a UTF-8 sequence starting here; 0 when none does.
        size_t length = c < 0x80 ? 1 : c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
        for (size_t i = 1; i < length; ++i)
            if (at + i >= text.size() || (static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                length = 0;
        if (length > 1) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
        ++at;
    }
    return out + "\"";
}
