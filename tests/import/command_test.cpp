// The whole "XML->Excel" command, as the main window runs it.
#include "shell/commanddrivers.h"
#include "tests/import/importfixture.h"

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

class ImportCommandTest : public ImportTest {
protected:
    HostConnector Connect()
    {
        return [host = host] { return host; };
    }
};

TEST_F(ImportCommandTest, TheWorkedExampleThroughTheCommand)
{
    WriteControl(InvoiceControl);
    int book = AddBook("/books/invoices.xlsx", {"Invoices"});
    ui.dataFiles = {WriteData("invoices.xml", InvoiceData)};
    ui.log = {"earlier text"};
    RunXMLToExcel(ui, Connect());
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_EQ(ui.log, (Lines{ui.dataFiles[0], "Invoice Alpha", "Invoice Beta", "--- Summary", "*** End ***"}));
    EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(ImportCommandTest, WithTheWorkbookDialogCancelledEveryElementIsReportedWithoutTarget)
{
    WriteControl(InvoiceControl);
    AddBook("/books/invoices.xlsx", {"Invoices"});
    ui.dataFiles = {WriteData("one.xml", InvoiceData), WriteData("two.xml", "<R><Other/></R>")};
    ui.workbookAnswers.push_back(std::nullopt);
    ui.log = {"earlier text"};
    RunXMLToExcel(ui, Connect());
    const std::string missing = MissingPageLine("Invoice", "Invoices");
    EXPECT_EQ(ui.log,
              (Lines{ui.dataFiles[0], missing, missing, "--- Summary", ui.dataFiles[1], "--- Other", "*** End ***"}));
    EXPECT_EQ(host->counters.writes, 0);
}

TEST_F(ImportCommandTest, OnlyTickedWorkbooksAreMappedAndRowsContinueAcrossFiles)
{
    WriteControl(InvoiceControl);
    int ticked = AddBook("/books/a.xlsx", {"Invoices"});
    int skipped = AddBook("/books/b.xlsx", {"Invoices"});
    ui.workbookAnswers.push_back(std::vector<bool>{true, false});
    ui.dataFiles = {WriteData("one.xml", "<R><Invoice no='1'><Customer>A</Customer></Invoice></R>"),
                    WriteData("two.xml", "<R><Invoice no='2'><Customer>B</Customer></Invoice></R>")};
    RunXMLToExcel(ui, Connect());
    EXPECT_EQ(Table(ticked, 2, 6, 8, 2), (Rows{{"1", "A"}, {"", ""}, {"2", "B"}}));
    EXPECT_EQ(CellCount(skipped, 2), 1u);
}

TEST_F(ImportCommandTest, AFailingFileEndsTheCommandAfterItsPath)
{
    WriteControl(InvoiceControl);
    int book = AddBook("/books/invoices.xlsx", {"Invoices"});
    ui.dataFiles = {WriteData("good.xml", InvoiceData), WriteData("bad.xml", "<R><Invoice></R>"),
                    WriteData("later.xml", InvoiceData)};
    EXPECT_THROW(RunXMLToExcel(ui, Connect()), XmlError);
    EXPECT_EQ(ui.log, (Lines{ui.dataFiles[0], "Invoice Alpha", "Invoice Beta", "--- Summary", ui.dataFiles[1]}));
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_EQ(CellCount(book, 2), 13u);
}

// A file the export writes (line breaks, tabs between tags, ISO-8859-2 or UTF-8)
// comes back into the same cells.
TEST_F(ImportCommandTest, AFileTheExportWroteImportsIntoTheSameCells)
{
    folder.Write("persons.ini", "[MAIN]\r\nVERSION=1.00\r\nCOLS=A;B;C\r\n"
                                "[MAPPING]\r\n"
                                "A=EndItem(Person);BeginItem(Person);Attribute(name)\r\n"
                                "B=BeginItem(Born);Content;EndItem(Born)\r\n"
                                "C=BeginItem(Note);Content;EndItem(Note)\r\n"
                                "[FORMAT]\r\nPerson=1\r\n");
    WriteControl(R"(<C><DBItem ID="Person" Page="People">
        <Attribute ID="name" Col="A"/><SubItem ID="Born" Col="B"/><SubItem ID="Note" Col="C"/>
        </DBItem></C>)");
    for (int encoding : {0, 1}) {
        SCOPED_TRACE(encoding);
        host = std::make_shared<MemoryHost>();
        ui.saveAnswers.clear();
        const std::string file = folder.WithSeparator() + "export" + std::to_string(encoding) + ".xml";
        int source = host->AddWorkbook("/books/source.xlsx", {"Start", "Persons"});
        host->SetText(source, 1, "A1", "Export");
        host->SetText(source, 1, "A2", file);
        host->Set(source, 1, "A3", CellValue::FromNumber(encoding));
        host->SetText(source, 2, "A1", "persons.ini");
        host->SetText(source, 2, "B1", "1.00");
        const Rows persons = {{"Őrző Ágnes", "1970", "árvíztűrő tükörfúrógép"}, {"Elm & <Co>", "", "two  spaces"}};
        for (size_t i = 0; i < persons.size(); ++i)
            for (size_t column = 0; column < persons[i].size(); ++column)
                if (!persons[i][column].empty())
                    host->SetText(source, 2, std::string(1, static_cast<char>('A' + column)) + std::to_string(5 + i),
                                  persons[i][column]);
        RunExcelToXML(ui, Connect());
        ASSERT_TRUE(std::filesystem::exists(file));

        int target = AddBook("/books/target.xlsx", {"People"});
        ui.workbookAnswers.push_back(std::vector<bool>{false, true});
        ui.dataFiles = {file};
        RunXMLToExcel(ui, Connect());
        EXPECT_EQ(ui.log, (Lines{file, "Person ", "Person ", "*** End ***"}));
        EXPECT_EQ(Table(target, 2, 6, 8, 3), (Rows{persons[0], {"", "", ""}, persons[1]}));
    }
}

}  // namespace
