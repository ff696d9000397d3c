#pragma once

#include <string>
#include <string_view>

// The Windows-1252 character set as seen by the XML scanner.

// Unicode value of each of the 256 bytes. The five unassigned positions (129, 141, 143,
// 144, 157) stand for the Unicode value of the same number.
extern const unsigned short Windows1252ToUnicode[256];

// The byte whose Windows-1252 character has the Unicode value, or -1 when there is none.
// Values below 128 give themselves.
int UnicodeToWindows1252(int unicodeValue);

// Converts UTF-8 to Windows-1252 with the scanner's lenient rules: two- and three-byte
// sequences are decoded without checking their continuation bytes, every other byte of
// 128 or more gives "¿" and swallows the continuation bytes its lead announces, and a
// character without a Windows-1252 byte gives "¿".
std::string Utf8ToWindows1252(std::string_view source);

// Windows-1252 text as UTF-8 (the unassigned positions as the same Unicode value).
std::string Windows1252ToUtf8(std::string_view source);

// The inverted question mark the scanner writes for what it cannot represent.
inline constexpr char UnknownCharacter = '\xBF';
