// The worked example exported from a real headless LibreOffice, with the workbook
// saved as an .xlsx file and opened in the office as a user would.

#include "shell/commanddrivers.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/officefixture.h"
#include "tests/support/officetest.h"
#include "tests/export/tempfolder.h"
#include "host/libreoffice/unohost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

class LibreOfficeExportTest : public OfficeTest {
protected:
    void SetUp() override
    {
        OfficeTest::SetUp();
        ui.dataFolder = folder.WithSeparator();
    }
    TempFolder folder;
    FakeFrontend ui;
};

TEST_F(LibreOfficeExportTest, WorkedExampleGivesTheThreeLines)
{
    folder.Write("persons.ini",
                 "[MAIN]\r\nVERSION=1.00\r\nCOLS=A;B\r\n[MAPPING]\r\n"
                 "A=EndItem(Person);BeginItem(Person);Attribute(name)\r\n"
                 "B=BeginItem(Born);Content;EndItem(Born)\r\n[FORMAT]\r\nPerson=1\r\n");
    auto book = office->Folder() / "example.xlsx";
    office->CreateWorkbookFile(book, {{"Start", {{"A1", "Export"}, {"A2", folder.File("export.xml")}, {"A3", "0"}}},
                                      {"Persons",
                                       {{"A1", "persons.ini"},
                                        {"B1", "'1.00"},  // text, as the version must be
                                        {"A5", "Ash"},
                                        {"B5", "1970"},
                                        {"A6", "Elm"}}}});
    office->Open(book);

    RunExcelToXML(ui, Connector());

    ASSERT_EQ(ui.workbookQuestions.size(), 1u);
    EXPECT_TRUE(ui.failedWorkbooks.empty());
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_EQ(ui.status[1], "Persons");
    EXPECT_EQ(folder.Read("export.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Export>\r\n"
                                         "\t<Person name=\"Ash\">\t<Born>1970</Born>\t</Person>\r\n"
                                         "\t<Person name=\"Elm\"/>\t</Export>");
}

// Round numbers typed into the office come out with their digits, read in blocks and
// read cell by cell alike.
TEST_F(LibreOfficeExportTest, NumbersComeOutAsPlainDigits)
{
    folder.Write("numbers.ini", "[MAIN]\r\nVERSION=1.00\r\nCOLS=A\r\n[MAPPING]\r\n"
                                "A=BeginItem(N);Content;EndItem(N)\r\n");
    const char* numbers[] = {"100000", "2000000", "1000000000000000", "0.0001", "0.0000001", "-100000"};
    std::vector<OfficeFixture::Cell> cells{{"A1", "numbers.ini"}, {"B1", "'1.00"}};
    for (size_t i = 0; i < std::size(numbers); ++i)
        cells.push_back({"A" + std::to_string(5 + i), numbers[i]});
    auto book = office->Folder() / "numbers.ods";
    office->CreateWorkbookFile(book, {{"Start", {{"A1", "Export"}, {"A2", folder.File("numbers.xml")}, {"A3", "0"}}},
                                      {"Numbers", cells}});
    for (bool cellByCell : {false, true}) {
        SCOPED_TRACE(cellByCell ? "cell by cell" : "in blocks");
        if (cellByCell)
            ::setenv("KORVEX_HOST_UNBUFFERED", "1", 1);
        office->Open(book);
        FakeFrontend run;
        run.dataFolder = ui.dataFolder;
        RunExcelToXML(run, Connector());
        ::unsetenv("KORVEX_HOST_UNBUFFERED");
        office->CloseAll();
        EXPECT_TRUE(run.failedWorkbooks.empty());
        EXPECT_TRUE(run.warnings.empty());
        const std::string xml = folder.Read("numbers.xml");
        for (const char* number : numbers)
            EXPECT_NE(xml.find(std::string("<N>") + number + "</N>"), std::string::npos) << number << "\n" << xml;
        EXPECT_EQ(xml.find("e+"), std::string::npos) << xml;
        EXPECT_EQ(xml.find("e-"), std::string::npos) << xml;
    }
}

// A cell whose text XML cannot carry, computed by the office itself and read in a block:
// the export fails at that cell, naming it and the character, and writes nothing.
struct OfficeCharacterCase {
    const char* name;
    const char* formula;
    const char* shown;
};

void PrintTo(const OfficeCharacterCase& c, std::ostream* out)
{
    *out << c.name;
}

class OfficeCharacterTest : public LibreOfficeExportTest, public ::testing::WithParamInterface<OfficeCharacterCase> {};

TEST_P(OfficeCharacterTest, FailsAtTheCellThatHoldsIt)
{
    const OfficeCharacterCase& c = GetParam();
    folder.Write("rows.ini", "[MAIN]\nCOLS=A;B\n[MAPPING]\nA=BeginItem(R);Content;EndItem(R)\nB=Attribute(b)\n");
    folder.Write("out.xml", "earlier");
    auto book = office->Folder() / (std::string(c.name) + ".ods");
    office->CreateWorkbookFile(book, {{"Start", {{"A1", "Root"}, {"A2", folder.File("out.xml")}, {"A3", "0"}}},
                                      {"Rows",
                                       {{"A1", "rows.ini"},
                                        {"B1", "'1.00"},
                                        {"A5", "fine"},
                                        {"B5", "x"},
                                        {"A6", c.formula},
                                        {"B6", "y"}}}});
    office->Open(book);

    auto start = std::chrono::steady_clock::now();
    RunExcelToXML(ui, Connector());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    ASSERT_FALSE(ui.warnings.empty());
    for (const auto& warning : ui.warnings)
        EXPECT_NE(warning.caption, "Hibás cella!") << warning.text;
    const std::string& shown = ui.warnings.back().text;
    for (const char* part : {"Rows", "A6", c.shown})
        EXPECT_NE(shown.find(part), std::string::npos) << shown;
    EXPECT_EQ(folder.Read("out.xml"), "earlier");
    std::cout << c.name << ": the export failed " << seconds << " s after it started\n";
}

INSTANTIATE_TEST_SUITE_P(Cases, OfficeCharacterTest,
                         ::testing::Values(OfficeCharacterCase{"Control", "=CHAR(1)", "U+0001"},
                                           OfficeCharacterCase{"NonCharacter", "=UNICHAR(65535)", "U+FFFF"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
