#include "host/cellvalue.h"

#include "common/messages.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

// Every finite number as a plain decimal, never in exponent form: a whole number with
// all its digits (100000, 2^60 exactly), any other with the fewest digits after the
// point that still read back to the same value (0.0000001). A reader of the XML file
// or of the cell gets the digits a person would write.
std::string NumberText(double value)
{
    if (!std::isfinite(value))
        throw HostError(Msg::NumberNotWritable);
    if (value == 0)
        return "0";  // also for -0
    // Longest cases: the largest double has 309 digits, the smallest subnormal
    // 0.(323 zeros)5 has 326 characters; a sign may come in front.
    char buffer[400];
    char* const end = buffer + sizeof buffer;
    const auto result = value == std::trunc(value) ? std::to_chars(buffer, end, value, std::chars_format::fixed, 0)
                                                   : std::to_chars(buffer, end, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

bool IsPlainDecimal(std::string_view text)
{
    size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    size_t intStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    size_t intLength = i - intStart;
    if (intLength == 0 || (intLength > 1 && text[intStart] == '0'))
        return false;
    if (i == text.size())
        return !(text == "-0");
    if (text[i] != '.')
        return false;
    size_t fracStart = ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    return i == text.size() && i > fracStart && text.back() != '0';
}

}  // namespace

std::string SerialDateText(double serial)
{
    using namespace std::chrono;
    double wholeDays = std::floor(serial);
    long long seconds = std::llround((serial - wholeDays) * 86400.0);
    if (seconds >= 86400) {
        wholeDays += 1;
        seconds -= 86400;
    }
    sys_days day = sys_days(year{1899} / December / 30) + days(static_cast<long long>(wholeDays));
    year_month_day ymd(day);
    char buffer[48];
    if (seconds == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                      unsigned(ymd.day()));
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02lld:%02lld:%02lld", int(ymd.year()),
                      unsigned(ymd.month()), unsigned(ymd.day()), seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    }
    return buffer;
}

std::string CellValueText(const CellValue& value)
{
    switch (value.kind) {
    case CellValue::Kind::Empty: return {};
    case CellValue::Kind::Text: return value.text;
    case CellValue::Kind::Number: return NumberText(value.number);
    case CellValue::Kind::DateTime: return SerialDateText(value.number);
    case CellValue::Kind::Boolean: return value.number != 0 ? "TRUE" : "FALSE";
    case CellValue::Kind::Error: break;
    }
    throw HostError(Msg::ErrorValue);
}

CellValue CellValueForText(std::string_view text)
{
    if (IsPlainDecimal(text)) {
        double number = 0;
        auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (result.ec == std::errc() && std::isfinite(number) && NumberText(number) == text)
            return CellValue::FromNumber(number);
    }
    return CellValue::FromText(std::string(text));
}
