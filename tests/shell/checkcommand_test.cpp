// korvex-cli check: every broken control file reported at its line, the bundled
// examples reported clean.
#include "shell/checkcommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class CheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        do
            folder_ = fs::temp_directory_path() / ("korvex-check-" + std::to_string(random()));
        while (!fs::create_directory(folder_));
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
        return (folder_ / name).string();
    }
    std::string DataFolder() const { return (folder_ / "").string(); }

    // The lines printed for one file, without its name in front; the exit status in status.
    std::vector<std::string> Check(const std::string& name, const std::string& bytes, int& status)
    {
        std::string path = Write(name, bytes);
        std::ostringstream out, err;
        status = RunCheck({path}, DataFolder(), out, err);
        std::vector<std::string> lines;
        std::istringstream printed(out.str());
        for (std::string line; std::getline(printed, line);) {
            EXPECT_EQ(line.rfind(path + ":", 0), 0u) << line;
            lines.push_back(line.substr(path.size() + 1));
        }
        return lines;
    }

    fs::path folder_;
};

struct Case {
    const char* what;
    const char* name;
    std::string bytes;
    std::string expected;  // "line: start of the message"
    int status;
};

const std::string Head = "[MAIN]\nVERSION=1.00\nCOLS=A\n[MAPPING]\n";  // the mapping starts on line 5

TEST_F(CheckTest, EachBrokenControlFileIsReportedAtItsLine)
{
    const Case cases[] = {
        {"column without mapping", "a.ini", "[MAIN]\nCOLS=A;B\n[MAPPING]\nA=Content\n",
         "2: megjegyzés: a(z) B oszlopnak nincs MAPPING bejegyzése", 0},
        {"unknown command", "a.ini", Head + "A=BeginItem(X);Contnet;EndItem(X)\n", "5: ismeretlen parancs: \"Contnet\"", 1},
        {"element name", "a.ini", Head + "\n; comment\nA=BeginItem(1x);Content\n",
         "7: a(z) \"BeginItem(1x)\" elemneve nem lehet XML név", 1},
        {"empty element name", "a.ini", Head + "A=BeginItem()\n", "5: a(z) \"BeginItem()\" elemneve nem lehet XML név", 1},
        {"blank before equals", "a.ini", Head + "A=BeginItem(X);Attribute(k =v);EndItem(X)\n",
         "5: a(z) \"Attribute(k =v)\" attribútumneve nem lehet XML név: \"k \"", 1},
        {"never closed", "a.ini", Head + "A=BeginItem(Sor);Content\n",
         "5: megjegyzés: a(z) Sor elemet egyetlen EndItem sem zárja le", 0},
        {"format", "a.ini", Head + "A=Content\n[FORMAT]\nSor=2\nTétel=x,1\n",
         "8: a FORMAT bejegyzés nem \"behúzás[,x]\" alakú: \"x,1\"", 1},
        {"constant text without Line0", "a.ini", Head + "A=Content\n[Lábléc]\nLine1=<x/>\n",
         "6: a(z) [Lábléc] állandó szövegnek nincs (nem üres) Line0 sora", 1},
        {"constant text gap", "a.ini", Head + "A=Content\n[Lábléc]\nLine0=a\nLine2=c\n",
         "8: a(z) Line2 sor nem kerül be: a Line1 hiányzik vagy üres", 1},
        {"constant text section missing", "a.ini", Head + "A=BeginItem(CONSTANTTEXT);Content;EndItem(CONSTANTTEXT)\n",
         "5: a MAPPING CONSTANTTEXT elemet nyit, de a fájlban nincs állandó szöveg szakasz", 1},
        {"version", "a.ini", "[MAIN]\nVERSION=1.0a\n", "2: a VERSION nem szám: \"1.0a\"", 1},
        {"main key typo", "a.ini", "[MAIN]\nVERSION=1.00\nCOSL=A\n", "3: ismeretlen kulcs a [MAIN] szakaszban: COSL", 1},
        {"cols not letters", "a.ini", "[MAIN]\nCOLS=A;1\n[MAPPING]\nA=Content\n1=Content\n",
         "2: a COLS \"1\" része nem oszlopbetű", 1},
        {"schema outside", "a.ini", "[MAIN]\nSCHEMA=../x.xsd\n", "2: Az XML séma csak az adatmappán belüli fájl lehet", 1},
        {"schema missing", "a.ini", "[MAIN]\n\nSCHEMA=nincs.xsd\n", "3: Az XML séma nem található", 1},
        {"not text", "a.ini", std::string("[MAIN]\nCOLS=A\n\0\0", 16), "3: a fájl nem szöveg", 1},
        {"utf-16 without mark", "a.ini", std::string("[\0M\0A\0I\0N\0]\0", 12), "1: a fájl nem szöveg", 1},
        {"line outside sections", "a.ini", "COLS=A\n[MAIN]\n", "1: a sor szakasz előtt áll", 1},
        {"import: attribute without Col", "XMLToExcel.xml",
         "<C>\n<DBItem ID='a' Page='p'>\n<Attribute ID='x'/>\n</DBItem>\n</C>\n",
         "3: az Attribute-nak nincs Col attribútuma", 1},
        {"import: Col not letters", "XMLToExcel.xml", "<C>\n<DBItem ID='a' Page='p'>\n<SubItem ID='x' Col='3'/>\n</DBItem></C>",
         "3: a Col értéke nem oszlopbetű (egy vagy két betű): \"3\"", 1},
        {"import: DBItem without Page", "XMLToExcel.xml", "<C>\n\n<DBItem ID='a'/>\n</C>",
         "3: a DBItem-nek nincs Page attribútuma", 1},
        {"import: repeated ID", "XMLToExcel.xml",
         "<C>\n<DBItem ID='a' Page='p'>\n<SubItem ID='x' Col='A'/>\n<SubItem ID='x' Col='B'/>\n</DBItem></C>",
         "4: ismétlődő SubItem ID: \"x\" (először a(z) 3. sorban)", 1},
        {"import: typo in attribute", "XMLToExcel.xml",
         "<C>\n<DBItem ID='a' Page='p'>\n<SubItem ID='x' Col='A' NewROw=''/>\n</DBItem></C>",
         "3: ismeretlen attribútum a(z) SubItem elemen: NewROw", 1},
        {"import: typo in element", "XMLToExcel.xml", "<C>\n<DBItem ID='a' Page='p'>\n<Subitem ID='x'/>\n</DBItem></C>",
         "3: ismeretlen elem: Subitem", 1},
        {"import: not well-formed", "XMLToExcel.xml", "<C>\n<DBItem ID='a' Page='p'>\n\n</C>",
         "4: a fájl nem jól formázott XML", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int status = -1;
        std::vector<std::string> lines = Check(c.name, c.bytes, status);
        ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
        EXPECT_EQ(lines[0].rfind(c.expected, 0), 0u) << lines[0];
        EXPECT_EQ(status, c.status);
    }
}

TEST_F(CheckTest, ASoundSchemaAndSoundFilesReportNothing)
{
    Write("s.xsd", "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'><xs:element name='R'/></xs:schema>");
    int status = -1;
    EXPECT_TRUE(Check("a.ini", "[MAIN]\nVERSION=2\nSCHEMA=s.xsd\nCOLS=a ; B;\n[mapping]\nA=BeginItem(R);Content;EndItem(R)\n"
                               "b=Attribute(k=v)\n[FORMAT]\nR=-1,x\n",
                      status)
                    .empty());
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Check("XMLToExcel.xml", "<C Schema='s.xsd'><DBItem ID='a' Page='p'><SubItem ID='x' Col='ab' NewRow=''/>"
                                        "<SubItem ID='x' AttrID='t' AttrValue='1'/></DBItem></C>",
                      status)
                    .empty());
    EXPECT_EQ(status, 0);
}

TEST_F(CheckTest, TheBundledExamplesReportNothing)
{
    const std::string examples = std::string(KORVEX_SOURCE_DIR) + "/examples/data/";
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({}, examples, out, err), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
}

TEST_F(CheckTest, WithoutFilesTheDataFolderIsChecked)
{
    Write("a.ini", "[MAIN]\nVERSION=x\n");
    Write("b.INI", "[MAIN]\nCOLS=A\n[MAPPING]\nA=Foo\n");
    Write("XMLToExcel.xml", "<C><DBItem ID='a'/></C>");
    Write("other.txt", "not checked");
    std::ostringstream out, err;
    EXPECT_EQ(RunCheck({}, DataFolder(), out, err), 1);
    const std::string text = out.str();
    EXPECT_NE(text.find("a.ini:2: a VERSION nem szám"), std::string::npos) << text;
    EXPECT_NE(text.find("b.INI:4: ismeretlen parancs: \"Foo\""), std::string::npos) << text;
    EXPECT_NE(text.find("XMLToExcel.xml:1: a DBItem-nek nincs Page attribútuma"), std::string::npos) << text;
    EXPECT_EQ(text.find("other.txt"), std::string::npos) << text;
}

}  // namespace
