#pragma once

#include <optional>
#include <string>
#include <string_view>

// The plain decimal reading shared by the expression evaluator's number tokens and the
// plain-number mode of TextToValue.

// Every "," becomes ".".
std::string DecimalCommasToPoints(std::string_view text);

// The single-precision value of the decimal number at the start of text, with "," read as
// the decimal point. Like strtod with a "." point it takes the longest beginning that forms
// [sign] digits [point digits] [exponent] and ignores the rest, so "12abc" is 12 and "."
// or "-" alone is 0; unlike strtod it knows no hexadecimal, "inf" or "nan" forms.
// Values too small for single precision become 0 or a denormal. No value (nullopt) when
// text is not empty and does not start with ".", ",", "+", "-" or a digit, or when the
// number lies beyond the single-precision range.
std::optional<float> PlainNumberValue(std::string_view text);

// Rounds to single precision; nullopt for a NaN or a value that would round to infinity.
std::optional<float> ToSingle(double value);
