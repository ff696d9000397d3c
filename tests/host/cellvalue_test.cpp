#include "host/cellvalue.h"

#include <gtest/gtest.h>

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

}  // namespace
