#include "export/inifile.h"

#include "tests/export/tempfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Sample =
    "; a comment line\r\n"
    "[Main]\r\n"
    "  Version = 1.00  \r\n"
    "COLS=A;B\r\n"
    "\r\n"
    "[format]\n"
    "Person=1\n"
    "Row = 2,x\n"
    "  ; indented comment\n"
    "Doc=0\n"
    "person=9\n"
    "no equals sign here\n"
    "=orphan value\n"
    "[ Empty ]\n"
    "[MAIN]\n"
    "Extra=yes\n"
    "VERSION=ignored\n";

TEST(IniFileTest, NamesIgnoreCaseAndValuesAreTrimmed)
{
    TIniFile ini = TIniFile::FromBytes(Sample);
    EXPECT_EQ(ini.ReadString("MAIN", "VERSION", "?"), "1.00");
    EXPECT_EQ(ini.ReadString("main", "cols", "?"), "A;B");
    EXPECT_EQ(ini.ReadString("FORMAT", "row", "?"), "2,x");
    EXPECT_EQ(ini.ReadString("Format", "Missing", "default"), "default");
    EXPECT_EQ(ini.ReadString("Nowhere", "Person", "default"), "default");
}

TEST(IniFileTest, KeysInFileOrderFirstOneWins)
{
    TIniFile ini = TIniFile::FromBytes(Sample);
    EXPECT_EQ(ini.ReadSection("FORMAT"), (std::vector<std::string>{"Person", "Row", "Doc"}));
    EXPECT_EQ(ini.ReadString("FORMAT", "PERSON", ""), "1");
    EXPECT_TRUE(ini.ReadSection("EMPTY").empty());
    EXPECT_TRUE(ini.ReadSection("Nowhere").empty());
    // A repeated section continues the first one; its repeated key does not override.
    EXPECT_EQ(ini.ReadString("MAIN", "Extra", ""), "yes");
    EXPECT_EQ(ini.ReadString("MAIN", "VERSION", ""), "1.00");
}

TEST(IniFileTest, HungarianNamesIgnoreCaseToo)
{
    TIniFile ini = TIniFile::FromBytes("[Őszi]\nÁrvíztűrő=tükörfúrógép\n");
    EXPECT_EQ(ini.ReadString("ŐSZI", "ÁRVÍZTŰRŐ", ""), "tükörfúrógép");
    EXPECT_EQ(ini.ReadString("őszi", "árvíztűrő", ""), "tükörfúrógép");
}

TEST(IniFileTest, MissingFileReadsAsEmpty)
{
    TempFolder folder;
    TIniFile ini(folder.File("none.ini"));
    EXPECT_EQ(ini.ReadString("MAIN", "VERSION", "1.00"), "1.00");
    EXPECT_TRUE(ini.ReadSection("FORMAT").empty());
    EXPECT_EQ(TIniFile("").ReadString("A", "B", "c"), "c");
}

TEST(IniFileTest, AFolderInsteadOfAFileCannotBeRead)
{
    TempFolder folder;
    EXPECT_THROW(TIniFile(folder.Path().string()), std::runtime_error);
}

struct EncodedFile {
    const char* name;
    std::string bytes;
};

void PrintTo(const EncodedFile& c, std::ostream* out)
{
    *out << c.name;
}

class IniEncodingTest : public ::testing::TestWithParam<EncodedFile> {};

TEST_P(IniEncodingTest, ReadsTheFileInItsEncoding)
{
    TempFolder folder;
    folder.Write("control.ini", GetParam().bytes);
    TIniFile ini(folder.File("control.ini"));
    EXPECT_EQ(ini.ReadString("Szöveg", "Line0", ""), "őű");
    EXPECT_EQ(ini.ReadSection("SZÖVEG"), std::vector<std::string>{"Line0"});
}

std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        char hi = static_cast<char>(unit >> 8);
        char lo = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, IniEncodingTest,
    ::testing::Values(EncodedFile{"Utf8", "[Szöveg]\r\nLine0=őű\r\n"},
                      EncodedFile{"Utf8Bom", "\xEF\xBB\xBF[Szöveg]\r\nLine0=őű\r\n"},
                      EncodedFile{"Utf16Le", Utf16(u"[Szöveg]\r\nLine0=őű\r\n", false)},
                      EncodedFile{"Utf16Be", Utf16(u"[Szöveg]\r\nLine0=őű\r\n", true)},
                      EncodedFile{"Windows1250", "[Sz\xF6veg]\r\nLine0=\xF5\xFB\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
