#include "export/textcodec.h"

#include <gtest/gtest.h>

#include <string>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define KORVEX_HAVE_ICONV 1
#endif

namespace {

TEST(EncodeUtf8Test, TurnsUtf16IntoUtf8)
{
    EXPECT_EQ(EncodeUtf8(std::u16string(u"Aő€")), "A\xC5\x91\xE2\x82\xAC");
    // A surrogate pair is one character of four bytes.
    EXPECT_EQ(EncodeUtf8(std::u16string(u"\U0001F600")), "\xF0\x9F\x98\x80");
    EXPECT_EQ(EncodeUtf8(std::u16string(u"\U0010FFFF")), "\xF4\x8F\xBF\xBF");
    // Lone surrogates become U+FFFD instead of ill-formed bytes.
    EXPECT_EQ(EncodeUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(EncodeUtf8(std::u16string{char16_t(0xDC00), u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(EncodeUtf8(std::u16string()), "");
}

TEST(EncodeUtf8Test, KeepsWellFormedUtf8AndMendsTheRest)
{
    EXPECT_EQ(EncodeUtf8(std::string_view("\xF0\x9F\x98\x80 ok")), "\xF0\x9F\x98\x80 ok");
    EXPECT_EQ(EncodeUtf8(std::string_view("a\xFF" "b")), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(EncodeUtf8(std::string_view("\xC0\x80")), "\xEF\xBF\xBD\xEF\xBF\xBD");    // overlong
    EXPECT_EQ(EncodeUtf8(std::string_view("\xED\xA0\x80")), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(EncodeUtf8(std::string_view("\xE2\x82")), "\xEF\xBF\xBD");  // cut short
}

TEST(Iso88592Test, HungarianLettersAndQuestionMarksForTheRest)
{
    EXPECT_EQ(Utf8ToIso88592("ő ű Ő Ű á é"), "\xF5 \xFB \xD5 \xDB \xE1 \xE9");
    EXPECT_EQ(Utf8ToIso88592("αβ"), "??");             // Greek letters
    EXPECT_EQ(Utf8ToIso88592("\xF0\x9F\x98\x80"), "?");  // one character, one "?"
    EXPECT_EQ(Utf8ToIso88592("€"), "?");
    EXPECT_EQ(Utf8ToIso88592(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Iso88592ToUtf8("\xF5\xFB\xD5\xDB"), "őűŐŰ");
    EXPECT_EQ(Iso88592ToUtf8(Utf8ToIso88592("Šťž ő α")), "Šťž ő ?");
}

TEST(Windows1250Test, DecodesHungarianAndPunctuation)
{
    EXPECT_EQ(Windows1250ToUtf8("\xF5\xFB\xD5\xDB"), "őűŐŰ");
    EXPECT_EQ(Windows1250ToUtf8("\x80\x84\x93\x8A\x9A"), "€„“Šš");
}

#ifdef KORVEX_HAVE_ICONV
// The code page of one byte as the C library converts it; "" when it has none.
std::string IconvByte(const char* codePage, unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no iconv>";
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return result == static_cast<size_t>(-1) ? std::string() : std::string(out, outPtr);
}

TEST(CodePageTablesTest, AgreeWithTheCLibrary)
{
    for (int byte = 0; byte < 256; ++byte) {
        std::string one(1, static_cast<char>(byte));
        std::string iso = IconvByte("ISO-8859-2", static_cast<unsigned char>(byte));
        EXPECT_EQ(Iso88592ToUtf8(one), iso) << "ISO-8859-2 byte " << byte;
        EXPECT_EQ(Utf8ToIso88592(iso), one) << "ISO-8859-2 byte " << byte;
        std::string windows = IconvByte("WINDOWS-1250", static_cast<unsigned char>(byte));
        if (!windows.empty()) {  // the C library leaves the five unassigned bytes out
            EXPECT_EQ(Windows1250ToUtf8(one), windows) << "Windows-1250 byte " << byte;
        }
    }
}
#endif

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string text;
};

void PrintTo(const DecodeCase& c, std::ostream* out)
{
    *out << c.name;
}

class DecodeTextFileTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextFileTest, DetectsTheEncoding)
{
    EXPECT_EQ(DecodeTextFile(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeTextFileTest,
    ::testing::Values(DecodeCase{"Utf8", "k=ő", "k=ő"},
                      DecodeCase{"Utf8Bom", "\xEF\xBB\xBFk=ő", "k=ő"},
                      DecodeCase{"Utf16LeBom", std::string("\xFF\xFEk\0=\0\x51\x01", 8), "k=ő"},
                      DecodeCase{"Utf16BeBom", std::string("\xFE\xFF\0k\0=\x01\x51", 8), "k=ő"},
                      DecodeCase{"Utf16LeSurrogates", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"},
                      DecodeCase{"Windows1250", "k=\xF5\xFB", "k=őű"},
                      DecodeCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
