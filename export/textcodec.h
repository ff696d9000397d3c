#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text conversions of the export: the engine keeps its texts in UTF-8; control files
// arrive in UTF-8, UTF-16 or Windows-1250, and output files leave as UTF-8 or ISO-8859-2.

// Reads the next code point of a UTF-8 text at pos and moves pos past it. A malformed
// sequence (overlong, surrogate, beyond U+10FFFF, cut short) yields U+FFFD and
// consumes its longest valid-looking prefix, at least one byte.
char32_t NextCodePoint(std::string_view text, size_t& pos);
// Appends the UTF-8 form of one code point (RFC 3629); a surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

bool IsValidUtf8(std::string_view text);

// A character that XML 1.0 cannot carry: U+0000 to U+001F except tab, line feed and
// carriage return; U+FFFE, U+FFFF; a surrogate (a lone one, sent as three UTF-8
// bytes); or a byte that is no UTF-8 at all.
struct NonXmlCharacter {
    size_t offset = 0;         // where it starts in the text
    char32_t codePoint = 0;    // the character, or the byte when malformed
    bool malformed = false;    // not UTF-8 at all
};
// The first such character of a UTF-8 text; nullopt when there is none.
std::optional<NonXmlCharacter> FindNonXmlCharacter(std::string_view text);
// How a message names it: "U+0001", "U+D800", "a 0xFF bájt".
std::string DescribeCharacter(const NonXmlCharacter& character);

// The bytes of a text as UTF-8 without a byte order mark. From UTF-16, a surrogate
// pair is one character and a lone surrogate becomes U+FFFD; from UTF-8, every
// malformed sequence becomes U+FFFD, so the result is always well-formed.
std::string EncodeUtf8(std::u16string_view text);
std::string EncodeUtf8(std::string_view text);

// ISO-8859-2 bytes of a UTF-8 text: one byte per character, "?" for a character that
// ISO-8859-2 lacks.
std::string Utf8ToIso88592(std::string_view text);
std::string Iso88592ToUtf8(std::string_view bytes);
// Windows-1250 bytes as UTF-8; the five unassigned bytes stand for U+0081 etc., as on Windows.
std::string Windows1250ToUtf8(std::string_view bytes);

// The text of a file: a byte order mark selects UTF-8, UTF-16 LE or UTF-16 BE;
// without one, valid UTF-8 is taken as it is and anything else as Windows-1250.
std::string DecodeTextFile(std::string_view bytes);
