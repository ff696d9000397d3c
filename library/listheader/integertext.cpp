#include "library/listheader/integertext.h"

#include "library/languages/libraryerror.h"

#include <charconv>
#include <string>

int IntegerFromText(std::string_view text, int min, int max)
{
    std::string_view digits = text;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
        digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
        digits.remove_suffix(1);
    if (digits.size() > 1 && digits.front() == '+' && digits[1] >= '0' && digits[1] <= '9')
        digits.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < min || value > max)
        throw LibraryError("'" + std::string(text) + "' nem érvényes egész szám");
    return static_cast<int>(value);
}
