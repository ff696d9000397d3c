// The worked example exported from a real headless LibreOffice, with the workbook
// saved as an .xlsx file and opened in the office as a user would.

#include "shell/commanddrivers.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/officefixture.h"
#include "tests/support/officetest.h"
#include "tests/export/tempfolder.h"
#include "host/libreoffice/unohost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

}  // namespace
