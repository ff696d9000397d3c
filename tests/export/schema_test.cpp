// The export measured against the XML Schema its workbook names: problems traced back
// to the data sheet and row that produced them, and nothing saved unless the user says so.

#include "common/pathtext.h"
#include "export/exceltoxml.h"
#include "export/schemacheck.h"
#include "common/xmlschema.h"

#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"
#include "tests/export/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Termék elements with a Név and a decimal Ár and an optional kód attribute, and footers.
const std::string ProductsXsd = R"(<?xml version="1.0" encoding="utf-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="Termékek">
    <xs:complexType><xs:choice minOccurs="0" maxOccurs="unbounded">
      <xs:element name="Termék">
        <xs:complexType>
          <xs:sequence>
            <xs:element name="Név" type="xs:string"/>
            <xs:element name="Ár" type="xs:decimal"/>
          </xs:sequence>
          <xs:attribute name="kód" type="xs:positiveInteger"/>
        </xs:complexType>
      </xs:element>
      <xs:element name="Lábléc" type="xs:string"/>
    </xs:choice></xs:complexType>
  </xs:element>
</xs:schema>
)";

std::string ProductsIni(const std::string& extraMain = "", const std::string& extraSections = "")
{
    return "[MAIN]\nVERSION=1.00\nCOLS=A;B;C\n" + extraMain +
           "[MAPPING]\n"
           "A=EndItem(Termék);BeginItem(Termék);Attribute(kód)\n"
           "B=BeginItem(Név);Content;EndItem(Név)\n"
           "C=BeginItem(Ár);Content;EndItem(Ár)\n" +
           extraSections;
}

class SchemaExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui.dataFolder = folder.WithSeparator();
        host = std::make_shared<MemoryHost>();
        folder.Write("termekek.xsd", ProductsXsd);
    }

    // Sheet "Termékek" with one product per row from row 5: {code, name, price}.
    int AddProducts(const std::string& ini, const std::vector<std::vector<std::string>>& rows,
                    const std::string& controlFile = "termekek.ini")
    {
        folder.Write(controlFile, ini);
        int book = host->AddWorkbook("/books/termekek.xlsx", {"Start", "Termékek"});
        host->SetText(book, 1, "A1", "Termékek");
        host->SetText(book, 1, "A2", folder.File("out.xml"));
        host->Set(book, 1, "A3", CellValue::FromNumber(0));
        host->SetText(book, 2, "A1", controlFile);
        host->SetText(book, 2, "B1", "1.00");
        for (size_t i = 0; i < rows.size(); ++i)
            for (size_t c = 0; c < rows[i].size(); ++c)
                if (!rows[i][c].empty())
                    host->SetText(book, 2, std::string(1, char('A' + c)) + std::to_string(5 + i), rows[i][c]);
        return book;
    }

    void Convert(int book)
    {
        TExcelApp app(host, &ui);
        TExcelToXML converter(ui);
        converter.Convert(app, host->workbooks[book - 1].fullName, book);
    }

    bool Written() const { return std::filesystem::exists(folder.Path() / "out.xml"); }

    // Fourteen good products, then a bad price on sheet row 18.
    std::vector<std::vector<std::string>> RowsWithBadPrice()
    {
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < 14; ++i)
            rows.push_back({std::to_string(i + 1), "Termék " + std::to_string(i + 1), std::to_string(i) + ".5"});
        rows[13][2] = "12,5";
        return rows;
    }

    TempFolder folder;
    FakeFrontend ui;
    std::shared_ptr<MemoryHost> host;
};

TEST_F(SchemaExportTest, ValidOutputIsWrittenWithoutAQuestion)
{
    Convert(AddProducts(ProductsIni("SCHEMA=termekek.xsd\n"), {{"1", "Alma", "12.5"}, {"2", "Körte", "3"}}));
    EXPECT_TRUE(ui.invalidReports.empty());
    EXPECT_TRUE(ui.failedWorkbooks.empty());
    EXPECT_EQ(ui.saveQuestions.size(), 1u);
    EXPECT_TRUE(Written());
}

TEST_F(SchemaExportTest, AProblemNamesTheSheetTheRowAndThePath)
{
    Convert(AddProducts(ProductsIni("SCHEMA=termekek.xsd\n"), RowsWithBadPrice()));
    ASSERT_EQ(ui.invalidReports.size(), 1u);
    EXPECT_EQ(ui.invalidCounts[0], 1);
    ASSERT_EQ(ui.invalidReports[0].size(), 1u);
    const std::string& line = ui.invalidReports[0][0];
    EXPECT_EQ(line.rfind("Termékek, 18. sor (Termék/Ár): \"12,5\" nem érvényes decimal érték [", 0), 0u) << line;
    EXPECT_NE(line.find("xs:decimal"), std::string::npos) << line;  // libxml2's own words in brackets
    // Answered no: no save dialog, nothing written; the log still shows the output.
    EXPECT_TRUE(ui.saveQuestions.empty());
    EXPECT_FALSE(Written());
    EXPECT_FALSE(ui.log.empty());
    EXPECT_TRUE(ui.failedWorkbooks.empty());
}

TEST_F(SchemaExportTest, SavedAnywayWhenTheUserSaysSo)
{
    ui.keepInvalidAnswers.push_back(true);
    Convert(AddProducts(ProductsIni("SCHEMA=termekek.xsd\n"), RowsWithBadPrice()));
    EXPECT_EQ(ui.invalidReports.size(), 1u);
    EXPECT_TRUE(Written());
    EXPECT_NE(folder.Read("out.xml").find("<Ár>12,5</Ár>"), std::string::npos);
}

TEST_F(SchemaExportTest, AttributesAndMissingElementsAreTracedToTheirRow)
{
    // Row 5 is fine; row 6 has a code that is no positive integer and no price.
    Convert(AddProducts(ProductsIni("SCHEMA=termekek.xsd\n"), {{"1", "Alma", "1"}, {"x1", "Körte", ""}}));
    ASSERT_EQ(ui.invalidReports.size(), 1u);
    ASSERT_EQ(ui.invalidReports[0].size(), 2u);
    EXPECT_EQ(ui.invalidReports[0][0].rfind("Termékek, 6. sor (Termék/@kód): \"x1\" nem érvényes positiveInteger érték", 0),
              0u)
        << ui.invalidReports[0][0];
    EXPECT_EQ(ui.invalidReports[0][1].rfind("Termékek, 6. sor (Termék): hiányzik egy kötelező gyermekelem", 0), 0u)
        << ui.invalidReports[0][1];
}

TEST_F(SchemaExportTest, TheRunsSchemaOverridesTheControlFiles)
{
    folder.Write("strict.xsd", R"(<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="Other"/></xs:schema>)");
    ui.outputSchema = folder.File("strict.xsd");
    Convert(AddProducts(ProductsIni("SCHEMA=termekek.xsd\n"), {{"1", "Alma", "1"}}));
    ASSERT_EQ(ui.invalidReports.size(), 1u);
    EXPECT_NE(ui.invalidReports[0][0].find("a gyökérelemet a séma nem ismeri"), std::string::npos)
        << ui.invalidReports[0][0];
    EXPECT_FALSE(Written());
}

TEST_F(SchemaExportTest, ConstantTextKeepsTheLaterElementsTraced)
{
    // The constant text of row 6 turns into a footer element between two products.
    std::string ini = "[MAIN]\nVERSION=1.00\nCOLS=A;B;C;D\nSCHEMA=termekek.xsd\n[MAPPING]\n"
                      "A=EndItem(Termék);BeginItem(Termék);Attribute(kód)\n"
                      "B=BeginItem(Név);Content;EndItem(Név)\n"
                      "C=BeginItem(Ár);Content;EndItem(Ár)\n"
                      "D=EndItem(Termék);BeginItem(CONSTANTTEXT);Content;EndItem(CONSTANTTEXT)\n"
                      "[Lab]\nLine0=<Lábléc>vége</Lábléc>\n";
    Convert(AddProducts(ini, {{"1", "Alma", "1"}, {"", "", "", "Lab"}, {"3", "Szilva", "nem szám"}}));
    ASSERT_EQ(ui.invalidReports.size(), 1u);
    ASSERT_EQ(ui.invalidReports[0].size(), 1u);
    EXPECT_EQ(ui.invalidReports[0][0].rfind("Termékek, 7. sor (Termék/Ár): \"nem szám\" nem érvényes decimal érték", 0),
              0u)
        << ui.invalidReports[0][0];
}

TEST_F(SchemaExportTest, ASchemaOutsideTheDataFolderFailsTheWorkbook)
{
    for (std::string name : {"../termekek.xsd", "/etc/termekek.xsd", "sub/../../termekek.xsd"}) {
        SCOPED_TRACE(name);
        host = std::make_shared<MemoryHost>();
        int book = AddProducts(ProductsIni("SCHEMA=" + name + "\n"), {{"1", "Alma", "1"}});
        EXPECT_THROW(Convert(book), std::runtime_error);
        EXPECT_FALSE(Written());
    }
}

TEST(SchemaPath, StaysInsideTheDataFolder)
{
    EXPECT_EQ(ResolveSchemaPath("/data/", "a.xsd"), "/data/a.xsd");
    // Compared as paths: Windows joins with its own separator.
    EXPECT_EQ(PathFromUtf8(ResolveSchemaPath("/data/", "sub/./a.xsd")), PathFromUtf8("/data/sub/a.xsd"));
    for (std::string name : {"../a.xsd", "/etc/a.xsd", "sub/../../a.xsd", ""})
        EXPECT_THROW(ResolveSchemaPath("/data/", name), std::runtime_error) << name;
}

TEST_F(SchemaExportTest, DifferentSchemasInOneWorkbookFailIt)
{
    folder.Write("b.ini", ProductsIni("SCHEMA=other.xsd\n"));
    int book = AddProducts(ProductsIni("SCHEMA=termekek.xsd\n"), {{"1", "Alma", "1"}});
    host->workbooks[book - 1].sheets.push_back(host->workbooks[book - 1].sheets[1]);
    host->SetText(book, 3, "A1", "b.ini");
    TExcelApp app(host, &ui);
    TExcelToXML converter(ui);
    EXPECT_THROW(converter.Convert(app, host->workbooks[book - 1].fullName, book), std::runtime_error);
    EXPECT_FALSE(Written());
}

TEST_F(SchemaExportTest, AWorkbookWithoutSchemaIsNotChecked)
{
    Convert(AddProducts(ProductsIni(), RowsWithBadPrice()));
    EXPECT_TRUE(ui.invalidReports.empty());
    EXPECT_TRUE(Written());
}

TEST_F(SchemaExportTest, BrokenOrRemoteSchemasAreRefusedWithoutTheNetwork)
{
    folder.Write("broken.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n<xs:element>\n");
    folder.Write("remote.xsd", R"(<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:include schemaLocation="http://192.0.2.1/types.xsd"/></xs:schema>)");
    try {
        TXmlSchema schema(folder.File("broken.xsd"));
        ADD_FAILURE() << "accepted a broken schema";
    } catch (const XmlError& error) {
        EXPECT_NE(std::string(error.what()).find("broken.xsd, 3. sor"), std::string::npos) << error.what();
    }
    try {
        TXmlSchema schema(folder.File("remote.xsd"));
        ADD_FAILURE() << "accepted a remote include";
    } catch (const XmlError& error) {
        EXPECT_NE(std::string(error.what()).find("http://192.0.2.1/types.xsd"), std::string::npos) << error.what();
    }
    EXPECT_THROW(TXmlSchema(folder.File("missing.xsd")), XmlError);
}

// The bundled example: its control files and schema, its workbook's cells.
class ExampleSchemaTest : public SchemaExportTest {
protected:
    void SetUp() override
    {
        SchemaExportTest::SetUp();
        for (const char* name : {"szemelyek.ini", "termekek.ini", "nyilvantartas.xsd"})
            std::filesystem::copy_file(std::string(KORVEX_SOURCE_DIR) + "/examples/data/" + name, folder.File(name));
        book_ = host->AddWorkbook("/books/peldak.xlsx", {"Útmutató", "Személyek", "Termékek"});
        host->SetText(book_, 1, "A1", "Nyilvántartás");
        host->SetText(book_, 1, "A2", folder.File("out.xml"));
        host->Set(book_, 1, "A3", CellValue::FromNumber(0));
        const std::vector<std::vector<std::string>> sheets[] = {
            {{"Kővári Győző", "Győr", "1970"}, {"Szűcs Ünige", "Debrecen", "1985", "új ügyfél"}, {"Őri Tünde", "Pécs", "1992"}},
            {{"Fűrészlap", "1250.5", "db"}, {"Csőbilincs", "89", "db"}, {"Hűtőfolyadék", "2490", "liter"}, {"", "", "", "", "Lábléc"}},
        };
        for (int s = 0; s < 2; ++s) {
            host->SetText(book_, s + 2, "A1", s == 0 ? "szemelyek.ini" : "termekek.ini");
            host->SetText(book_, s + 2, "B1", "1.00");
            for (size_t r = 0; r < sheets[s].size(); ++r)
                for (size_t c = 0; c < sheets[s][r].size(); ++c)
                    if (!sheets[s][r][c].empty())
                        host->SetText(book_, s + 2, std::string(1, char('A' + c)) + std::to_string(5 + r), sheets[s][r][c]);
        }
    }
    int book_ = 0;
};

TEST_F(ExampleSchemaTest, TheExampleFollowsItsSchema)
{
    Convert(book_);
    EXPECT_TRUE(ui.invalidReports.empty()) << testing::PrintToString(ui.invalidReports);
    EXPECT_TRUE(Written());
}

TEST_F(ExampleSchemaTest, AStricterSchemaNamesTheSheetAndRowThatBreakIt)
{
    std::string xsd = folder.Read("nyilvantartas.xsd");
    const std::string unit = R"(<xs:element name="Egység" type="xs:string"/>)";
    ASSERT_NE(xsd.find(unit), std::string::npos);
    xsd.replace(xsd.find(unit), unit.size(), R"(<xs:element name="Egység"><xs:simpleType><xs:restriction base="xs:string">
        <xs:enumeration value="db"/></xs:restriction></xs:simpleType></xs:element>)");
    folder.Write("nyilvantartas.xsd", xsd);
    Convert(book_);
    ASSERT_EQ(ui.invalidReports.size(), 1u);
    ASSERT_EQ(ui.invalidReports[0].size(), 1u);
    EXPECT_EQ(ui.invalidReports[0][0].rfind(
                  "Termékek, 7. sor (Termékek/Termék/Egység): \"liter\" nem a megengedett értékek egyike [", 0),
              0u)
        << ui.invalidReports[0][0];
    EXPECT_FALSE(Written());
}

TEST(SchemaReason, HungarianWordsForLibxml2sTexts)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Element 'Ár': '12,5' is not a valid value of the atomic type 'xs:decimal'.", "\"12,5\" nem érvényes decimal érték"},
        {"Element 'Ár': [facet 'enumeration'] The value 'x' is not an element of the set {'a'}.",
         "\"x\" nem a megengedett értékek egyike"},
        {"Element 'T': The attribute 'kód' is required but missing.", "hiányzik a kötelező \"kód\" attribútum"},
        {"Element 'T', attribute 'x': The attribute 'x' is not allowed.", "nem megengedett \"x\" attribútum"},
        {"Element 'X': This element is not expected. Expected is ( Ár ).", "ide nem várt elem"},
        {"Element 'T': Missing child element(s). Expected is ( Ár ).", "hiányzik egy kötelező gyermekelem"},
        {"Something new.", "nem felel meg a sémának"},
    };
    for (const auto& [message, reason] : cases)
        EXPECT_EQ(SchemaReason(message), reason) << message;
    EXPECT_EQ(InvalidOutputQuestion(3), "A kimenet 3 helyen nem felel meg a sémának. Mégis menti?");
}

}  // namespace

// The quick check on the written bytes says yes only for a valid, well-formed document,
// read in the encoding its declaration names.
TEST_F(SchemaExportTest, TheQuickCheckAcceptsOnlyValidBytes)
{
    TXmlSchema schema(folder.File("termekek.xsd"));
    const std::string valid = "<Termékek><Termék kód=\"7\"><Név>Alma</Név><Ár>12.5</Ár></Termék></Termékek>";
    const struct {
        const char* name;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"valid", valid, true},
        {"valid, declared UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + valid, true},
        {"valid, ISO-8859-2 bytes",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\n<Term\xE9kek><Term\xE9k><N\xE9v>\xC1ru</N\xE9v><\xC1r>1</\xC1r>"
         "</Term\xE9k></Term\xE9kek>",
         true},
        {"not a decimal", "<Termékek><Termék><Név>Alma</Név><Ár>12,5</Ár></Termék></Termékek>", false},
        {"element missing", "<Termékek><Termék><Név>Alma</Név></Termék></Termékek>", false},
        {"not well-formed", "<Termékek><Termék></Termékek>", false},
        {"empty", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(schema.Accepts(c.bytes), c.accepted) << c.name;
}

// Without a schema the finished rows are released as the export goes; with one the
// whole document is kept for the report. The file is the same either way.
TEST_F(SchemaExportTest, ALongExportWritesTheSameBytesWithAndWithoutASchema)
{
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({std::to_string(i + 1), "Termék <" + std::to_string(i) + "> & társa", std::to_string(i) + ".25"});
    int book = AddProducts(ProductsIni("", "[FORMAT]\nTermék=2\n"), rows);
    Convert(book);
    const std::string released = folder.Read("out.xml");
    std::filesystem::remove(folder.Path() / "out.xml");
    ui.outputSchema = folder.File("termekek.xsd");
    Convert(book);
    EXPECT_EQ(folder.Read("out.xml"), released);
    EXPECT_NE(released.find("<Név>Termék &lt;299&gt; &amp; társa</Név>"), std::string::npos);
}
