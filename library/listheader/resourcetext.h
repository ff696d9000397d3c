#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Resources and the XML scanner hand out 8-bit text in the system code page, which for
// this library is Windows-1252 (the scanner's character set). The engine keeps UTF-8.

// Windows-1252 bytes as UTF-8.
std::string WidenAnsi(std::string_view text);

// UTF-8 bytes as valid UTF-8: every malformed sequence becomes U+FFFD.
std::string DecodeUtf8(std::string_view bytes);

// A whole-number attribute of a resource: a decimal integer with an optional sign and
// blanks around it, within the 16-bit range. Anything else throws std::invalid_argument
// naming the attribute, so that a malformed resource ends its reading.
int16_t ParseInt16Attribute(std::string_view text, std::string_view name);
