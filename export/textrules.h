#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Small text rules of the export: token splitting, whole-text replacement, the line
// layout of the finished XML text and strict integer reading.

// Cuts the first token off text. If separator occurs, the token is the part before
// its first occurrence with blanks removed at both ends and text keeps what follows;
// otherwise the token is the whole text unchanged (blanks kept) and text becomes empty.
std::string SplitFirst(std::string& text, std::string_view separator);
// The same on a view, which only moves forward: a loop over all tokens stays linear.
std::string SplitFirst(std::string_view& text, std::string_view separator);

// Every occurrence of from replaced by to, scanning on after each replacement (the
// inserted text is never scanned again). An empty from changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// ASCII letters upper-cased; other characters unchanged.
std::string UpperAscii(std::string_view text);

// A decimal integer with an optional sign and nothing else; nullopt when the text is
// not one or does not fit 32 bits.
std::optional<int> ParseInteger(std::string_view text);

// The most the finished text of one workbook may grow to through constant texts and
// format items. A few lines of a control file could otherwise turn a small document
// into gigabytes; beyond this the export fails with a clear message instead.
constexpr size_t MaxOutputText = size_t{256} << 20;
// Throws std::length_error (Hungarian, naming what made the text grow) when size is
// above MaxOutputText.
void CheckOutputSize(size_t size, std::string_view cause);

extern const char* const Utf8Declaration;     // <?xml version="1.0" encoding="utf-8"?>
extern const char* const Iso88592Declaration;  // <?xml version="1.0" encoding="ISO-8859-2"?>

// The fixed layout passes of the output: CR LF and LF become CR LF, touching tags get a
// tab between them, and for an 8-bit encoding (encoding != 0) the UTF-8 declaration
// becomes the ISO-8859-2 one.
std::string LayoutPasses(std::string_view text, int encoding);
