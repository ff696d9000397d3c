#include "library/arithmetic/plainnumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsPoint(char c)
{
    return c == '.' || c == ',';
}

// The parts of the longest decimal number at the start of a text.
struct DecimalPrefix {
    bool negative = false;
    std::string_view integerDigits;
    std::string_view fractionDigits;
    long exponent = 0;    // saturated far beyond the double range
    std::size_t end = 0;  // 0: no number at all
};

DecimalPrefix ScanDecimal(std::string_view text)
{
    DecimalPrefix number;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        number.negative = text[pos++] == '-';
    const std::size_t intStart = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    number.integerDigits = text.substr(intStart, pos - intStart);
    if (pos < text.size() && IsPoint(text[pos])) {
        const std::size_t fracStart = ++pos;
        while (pos < text.size() && IsDigit(text[pos]))
            ++pos;
        number.fractionDigits = text.substr(fracStart, pos - fracStart);
    }
    if (number.integerDigits.empty() && number.fractionDigits.empty())
        return {};  // a sign or a point alone is no number
    number.end = pos;

    // An exponent counts only when at least one digit follows the mark and its sign.
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t p = pos + 1;
        bool negativeExponent = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-'))
            negativeExponent = text[p++] == '-';
        if (p < text.size() && IsDigit(text[p])) {
            long exponent = 0;
            for (; p < text.size() && IsDigit(text[p]); ++p)
                exponent = std::min(exponent * 10 + (text[p] - '0'), 1000000L);
            number.exponent = negativeExponent ? -exponent : exponent;
            number.end = p;
        }
    }
    return number;
}

// The power of ten of the first significant digit; only its sign matters, to tell an
// overflow from an underflow.
long LeadingMagnitude(const DecimalPrefix& number)
{
    const std::size_t firstSignificant = number.integerDigits.find_first_not_of('0');
    if (firstSignificant != std::string_view::npos)
        return number.exponent + static_cast<long>(number.integerDigits.size() - firstSignificant) - 1;
    const std::size_t inFraction = number.fractionDigits.find_first_not_of('0');
    if (inFraction == std::string_view::npos)
        return std::numeric_limits<long>::min();  // all zeros
    return number.exponent - static_cast<long>(inFraction) - 1;
}

double DecimalValue(const DecimalPrefix& number)
{
    // from_chars is locale-free; it wants "." as the point and no "+".
    std::string digits;
    digits.reserve(number.integerDigits.size() + number.fractionDigits.size() + 24);
    digits.append(number.integerDigits.empty() ? std::string_view("0") : number.integerDigits);
    if (!number.fractionDigits.empty()) {
        digits += '.';
        digits.append(number.fractionDigits);
    }
    if (number.exponent != 0) {
        digits += 'e';
        digits += std::to_string(number.exponent);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = LeadingMagnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return number.negative ? -value : value;
}

} // namespace

std::string DecimalCommasToPoints(std::string_view text)
{
    std::string result(text);
    std::replace(result.begin(), result.end(), ',', '.');
    return result;
}

std::optional<float> ToSingle(double value)
{
    // The midpoint between the largest float and 2^128: from there on, rounding to
    // nearest gives infinity.
    constexpr double overflowFrom = 0x1.ffffffp127;
    if (std::isnan(value) || std::fabs(value) >= overflowFrom)
        return std::nullopt;
    return static_cast<float>(value);
}

std::optional<float> PlainNumberValue(std::string_view text)
{
    if (text.empty())
        return 0.0f;
    const char first = text[0];
    if (!IsDigit(first) && !IsPoint(first) && first != '+' && first != '-')
        return std::nullopt;
    const DecimalPrefix number = ScanDecimal(text);
    if (number.end == 0)
        return 0.0f;
    return ToSingle(DecimalValue(number));
}
