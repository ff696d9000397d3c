#include "host/cellvalue.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(CellValueTextTest, EveryKindBecomesText)
{
    const std::pair<CellValue, const char*> cases[] = {
        {CellValue::Empty(), ""},
        {CellValue::FromText("Ash"), "Ash"},
        {CellValue::FromNumber(1970), "1970"},
        {CellValue::FromNumber(-3.5), "-3.5"},
        {CellValue::FromNumber(0.1), "0.1"},
        {CellValue::FromNumber(1.0 / 3), "0.3333333333333333"},
        {CellValue::FromNumber(-0.0), "0"},
        {CellValue::FromDateTime(45306), "2024-01-15"},
        {CellValue::FromDateTime(45296.5), "2024-01-05T12:00:00"},
        {CellValue::FromBoolean(true), "TRUE"},
        {CellValue::FromBoolean(false), "FALSE"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(CellValueText(value), text) << text;
    EXPECT_THROW(CellValueText(CellValue::FromError()), HostError);
}

TEST(CellValueForTextTest, OnlyPlainDecimalsBecomeNumbers)
{
    const std::pair<const char*, double> numbers[] = {{"12", 12}, {"-3.5", -3.5}, {"0.25", 0.25}, {"0", 0}};
    for (auto [text, number] : numbers)
        EXPECT_EQ(CellValueForText(text), CellValue::FromNumber(number)) << text;
    for (const char* text : {"01234", "12.50", "1e5", "12%", "2024-01-05", "TRUE", "=1+1", "", " 12", "12.",
                             ".5", "-0", "+1", "1,5", "-"})
        EXPECT_EQ(CellValueForText(text), CellValue::FromText(text)) << text;
}

// Numbers read as plain decimals at every magnitude: whole numbers with all their
// digits, other numbers with the fewest digits that read back to the same value.
TEST(CellValueTextTest, NumbersArePlainDecimalsAtEveryMagnitude)
{
    const std::pair<double, const char*> cases[] = {
        {1e5, "100000"},
        {-1e5, "-100000"},
        {1e6, "1000000"},
        {2e6, "2000000"},
        {1e15, "1000000000000000"},
        {1e20, "100000000000000000000"},
        {1e21, "1000000000000000000000"},
        {-1e21, "-1000000000000000000000"},
        {1e-4, "0.0001"},
        {-1e-4, "-0.0001"},
        {1e-7, "0.0000001"},
        {1e-10, "0.0000000001"},
        {1.5, "1.5"},
        {0.1 + 0.2, "0.30000000000000004"},
        {-0.0, "0"},
        {std::nextafter(1e5, 0.0), "99999.99999999999"},
        {std::nextafter(1e5, 1e6), "100000.00000000001"},
        {std::nextafter(1e-4, 0.0), "0.00009999999999999999"},
        {std::nextafter(1e15, 0.0), "999999999999999.9"},
        {std::nextafter(1e21, 0.0), "999999999999999868928"},
        {std::nextafter(1e21, 1e22), "1000000000000000131072"},
        {9007199254740992.0, "9007199254740992"},        // 2^53
        {9007199254740994.0, "9007199254740994"},        // 2^53 + 2
        {std::ldexp(1.0, 60), "1152921504606846976"},    // every digit, not 1152921504606847000
        {1e23, "99999999999999991611392"},               // the double nearest to 10^23, exactly
    };
    for (const auto& [number, text] : cases)
        EXPECT_EQ(CellValueText(CellValue::FromNumber(number)), text) << text;

    // Around every power of ten from 1e-10 to 1e21: no exponent, the value reads back,
    // and the text is stored as that number again.
    for (int exponent = -10; exponent <= 21; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (double number : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300), -power, 3 * power}) {
            const std::string text = CellValueText(CellValue::FromNumber(number));
            SCOPED_TRACE(text);
            EXPECT_EQ(text.find_first_of("eE+"), std::string::npos);
            double back = 0;
            std::from_chars(text.data(), text.data() + text.size(), back);
            EXPECT_EQ(back, number);
            EXPECT_EQ(CellValueForText(text), CellValue::FromNumber(number));
        }
    }
    EXPECT_EQ(CellValueText(CellValue::FromNumber(std::numeric_limits<double>::max())).size(), 309u);
    EXPECT_EQ(CellValueText(CellValue::FromNumber(-std::numeric_limits<double>::denorm_min())).size(), 327u);
}

// A text is stored as a number only when it is the number's own plain text.
TEST(CellValueForTextTest, RoundNumbersAreStoredAsNumbersExponentsStayText)
{
    const std::pair<const char*, double> numbers[] = {
        {"100000", 1e5}, {"-100000", -1e5}, {"2000000", 2e6}, {"1000000000000000", 1e15},
        {"0.0001", 1e-4}, {"0.0000001", 1e-7}, {"1152921504606846976", std::ldexp(1.0, 60)},
    };
    for (auto [text, number] : numbers)
        EXPECT_EQ(CellValueForText(text), CellValue::FromNumber(number)) << text;
    // 1e5 and 1E5 are not plain decimals; 10^23 has no double of its own, and
    // 1152921504606847000 reads as 2^60, whose digits differ: both stay as written.
    for (const char* text : {"1e5", "1E5", "1e+05", "1e-7", "100000000000000000000000", "1152921504606847000",
                             "100000.0"})
        EXPECT_EQ(CellValueForText(text), CellValue::FromText(text)) << text;
}

}  // namespace
