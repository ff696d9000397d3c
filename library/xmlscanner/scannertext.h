#pragma once

#include <cstring>
#include <string>
#include <string_view>

// Small text rules shared by the scanner's units. Every pointer walk stops at the
// terminating zero.
namespace scannertext {

// Whether the text at p begins with prefix; never reads past a terminating zero of p.
inline bool StartsWith(const char* p, const char* prefix)
{
    for (; *prefix != '\0'; ++p, ++prefix) {
        if (*p != *prefix)
            return false;
    }
    return true;
}

inline const char* EndOfText(const char* p)
{
    return p + std::strlen(p);
}

inline bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Parses a whole run of digits in base 10 or 16 (no sign, no prefix) that fits a
// signed 32-bit number.
bool ParseNumber(std::string_view digits, int base, int& value);

// Removes every TAB, LF, CR and space.
std::string RemoveSpaces(std::string_view text);

// Content rule: trims whitespace and turns every inner run of it into one space.
void NormalizeWhitespace(std::string& text);

// Tokenised attribute rule: trims spaces and collapses inner runs of them to one.
void CollapseSpaces(std::string& text);

// ASCII letters to upper case; other bytes unchanged.
std::string UpperCase(std::string_view text);

} // namespace scannertext
