#include "library/xmlscanner/vmdxmlparser.h"
#include "library/xmlscanner/windows1252.h"

#include <gtest/gtest.h>

namespace {

struct Utf8Case {
    const char* input;
    const char* expected;
};

TEST(Encoding, Utf8ToWindows1252Table)
{
    const Utf8Case cases[] = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {"\xC3\xA9", "\xE9"},                        // é
        {"\xC5\x91", "\xBF"},                        // ő has no Windows-1252 byte
        {"\xE2\x82\xAC", "\x80"},                    // €
        {"\xE2\x84\xA2", "\x99"},                    // ™, the largest value in the table
        {"\xC2\x81", "\x81"},                        // an unassigned position stands for itself
        {"\xC2\x80", "\xBF"},                        // U+0080 has no byte (0x80 is €)
        {"\xC2\xA0x", "\xA0x"},
        {"\xC3", "\xBF"},                            // two-byte lead cut short
        {"\xE2\x82", "\xBF"},                        // three-byte lead cut short: swallows both
        {"\xE2\x82x", "\xBF"},                       // continuation form not tested: U+20B8, no byte
        {"\x80z", "\xBFz"},                          // stray continuation byte
        {"\xF0\x9F\x98\x80z", "\xBFz"},              // four-byte lead swallows three
        {"\xF0\x9F", "\xBF"},                        // ... as far as the text goes
        {"\xFF\x80z", "\xBF\xBFz"},                  // 255 consumes only itself
        {"\xFE\x80\x80\x80\x80\x80\x80z", "\xBFz"},  // 254 swallows six
        {"\xC3" "A", "\xC1"},                        // (0x03 * 64) + (0x41 & 0x3F) = 193
        {"a\xC3\xA9" "b\xC3\xB6" "c", "a\xE9" "b\xF6" "c"},
    };
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Utf8ToWindows1252(c.input), c.expected);
    }
}

TEST(Encoding, EveryWindows1252CharacterSurvivesARoundTrip)
{
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(UnicodeToWindows1252(Windows1252ToUnicode[b]), b);
    }
    EXPECT_EQ(UnicodeToWindows1252(0x0151), -1);
    EXPECT_EQ(UnicodeToWindows1252(-5), -1);
    EXPECT_EQ(UnicodeToWindows1252(0x10FFFF), -1);
}

TEST(Encoding, TranslateCharacterTable)
{
    TVmdXmlParser scanner;
    const std::pair<int, std::string> cases[] = {
        {65, "A"}, {0, std::string(1, '\0')}, {127, "\x7F"}, {233, "\xE9"}, {337, "\xBF"},
        {0x20AC, "\x80"}, {0x9D, "\x9D"}, {0x80, "\xBF"}, {-1, "\xBF"}, {0x7FFFFFFF, "\xBF"},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(scanner.TranslateCharacter(value, "?"), expected);  // always "¿"
    }
}

TEST(Encoding, TranslateEncodingOnlyConvertsUtf8)
{
    TVmdXmlParser scanner;
    EXPECT_EQ(scanner.CurEncoding(), "UTF-8");
    EXPECT_EQ(scanner.TranslateEncoding("\xC3\xA9"), "\xE9");
    scanner.LoadFromBuffer("<?xml version='1.0' encoding='windows-1250'?>");
    scanner.StartScan();
    ASSERT_TRUE(scanner.Scan());
    EXPECT_EQ(scanner.CurEncoding(), "WINDOWS-1250");
    EXPECT_EQ(scanner.Encoding(), "windows-1250");
    EXPECT_EQ(scanner.TranslateEncoding("\xC3\xA9"), "\xC3\xA9");
}

} // namespace
