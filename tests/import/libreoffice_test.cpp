// The worked example imported into a real headless LibreOffice, with the workbook
// saved as an .xlsx file and opened in the office as a user would.

#include "shell/commanddrivers.h"
#include "tests/import/importfixture.h"
#include "tests/support/officefixture.h"
#include "tests/support/officetest.h"
#include "host/libreoffice/unohost.h"

#include <memory>
#include <string>

namespace {

using Lines = std::vector<std::string>;

class LibreOfficeImportTest : public OfficeTest {
protected:
    void SetUp() override
    {
        OfficeTest::SetUp();
        ui.dataFolder = folder.WithSeparator();
    }
    // What the office shows in sheet rows first..last, columns A.., and the kind of each
    // non-empty cell ("VALUE" or "TEXT").
    std::vector<std::vector<std::string>> Shown(int document, int sheet, int first, int last, int columns,
                                                std::vector<std::string>* types = nullptr)
    {
        std::vector<std::vector<std::string>> rows;
        for (int row = first; row <= last; ++row) {
            rows.emplace_back();
            for (int column = 0; column < columns; ++column) {
                OfficeFixture::CellInfo cell =
                    office->Inspect(document, sheet, std::string(1, static_cast<char>('A' + column)) + std::to_string(row));
                rows.back().push_back(cell.text);
                if (types && cell.type != "EMPTY")
                    types->push_back(cell.type);
            }
        }
        return rows;
    }

    ImportFolder folder;
    FakeFrontend ui;
};

TEST_F(LibreOfficeImportTest, TheWorkedExampleFillsRowsSixToTen)
{
    folder.Write(ImportControlFileName, InvoiceControl);
    auto book = office->Folder() / "invoices.xlsx";
    office->CreateWorkbookFile(book, {{"Start", {{"A1", "own use"}}}, {"Invoices", {{"A1", "Invoices"}}}});
    int document = office->Open(book);
    ui.dataFiles = {folder.Write("invoices.xml", InvoiceData)};

    RunXMLToExcel(ui, Connector());

    EXPECT_EQ(ui.log, (Lines{ui.dataFiles[0], "Invoice Alpha", "Invoice Beta", "--- Summary", "*** End ***"}));
    EXPECT_TRUE(ui.warnings.empty());
    std::vector<std::string> types;
    EXPECT_EQ(Shown(document, 2, 6, 10, 6, &types), InvoiceTable);
    // Numbers arrive as numbers, words as text.
    EXPECT_EQ(types, (Lines{"VALUE", "TEXT", "TEXT", "VALUE", "TEXT", "VALUE", "TEXT", "TEXT", "VALUE", "TEXT",
                            "TEXT", "VALUE"}));
    EXPECT_EQ(office->Inspect(document, 1, "A1").text, "own use");
    EXPECT_EQ(office->Inspect(document, 2, "A11").type, "EMPTY");
}

TEST_F(LibreOfficeImportTest, AnIso88592FileKeepsItsLettersAndTextStaysText)
{
    folder.Write(ImportControlFileName, R"(<C><DBItem ID="E" Page="Lap">
        <Attribute ID="v" Col="A"/><SubItem ID="T" Col="B"/></DBItem></C>)");
    auto book = office->Folder() / "latin2.ods";
    office->CreateWorkbookFile(book, {{"Start", {}}, {"Lap", {{"A1", "Lap"}}}});
    int document = office->Open(book);
    ui.dataFiles = {folder.Write("latin2.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>"
                                               "<R><E v=\"\xD5rz\xF5 \xDCr\xFB\"><T>007</T></E><E v=\"=1+1\"><T>1/2</T></E></R>")};

    RunXMLToExcel(ui, Connector());

    EXPECT_EQ(ui.log, (Lines{ui.dataFiles[0], "E ", "E ", "*** End ***"}));
    EXPECT_EQ(Shown(document, 2, 6, 8, 2), (std::vector<std::vector<std::string>>{
                                                 {"Őrző Ürű", "007"}, {"", ""}, {"=1+1", "1/2"}}));
    EXPECT_EQ(office->Inspect(document, 2, "B6").type, "TEXT");
    EXPECT_EQ(office->Inspect(document, 2, "A8").type, "TEXT");
}

// Rows that hold data are written over: the office has the rewritten cells emptied
// first, and the cells the file does not write keep what they hold.
TEST_F(LibreOfficeImportTest, RowsThatHoldDataAreWrittenOver)
{
    folder.Write(ImportControlFileName, InvoiceControl);
    auto book = office->Folder() / "again.ods";
    office->CreateWorkbookFile(book, {{"Start", {}},
                                      {"Invoices",
                                       {{"A1", "Invoices"}, {"A6", "99"}, {"B6", "Old"}, {"C6", "x"}, {"D6", "5"},
                                        {"F6", "=1+1"}, {"C7", "v"}, {"D7", "8"}, {"E7", "old"}, {"C9", "keep"},
                                        {"A10", "98"}, {"B10", "Older"}, {"C10", "w"}, {"D10", "7"},
                                        {"B20", "far below"}}}});
    int document = office->Open(book);
    ui.dataFiles = {folder.Write("invoices.xml", InvoiceData)};

    RunXMLToExcel(ui, Connector());

    EXPECT_EQ(ui.log, (Lines{ui.dataFiles[0], "Invoice Alpha", "Invoice Beta", "--- Summary", "*** End ***"}));
    std::vector<std::string> types;
    EXPECT_EQ(Shown(document, 2, 6, 10, 6, &types), (std::vector<std::vector<std::string>>{
                                                         {"1", "Alpha", "X", "2", "", "2"},
                                                         {"", "", "Y", "3", "old", ""},
                                                         {"", "", "", "", "urgent", "paid"},
                                                         {"", "", "keep", "", "", ""},
                                                         {"2", "Beta", "Z", "1", "", ""},
                                                     }));
    EXPECT_EQ(types, (Lines{"VALUE", "TEXT", "TEXT", "VALUE", "FORMULA", "TEXT", "VALUE", "TEXT", "TEXT", "TEXT",
                            "TEXT", "VALUE", "TEXT", "TEXT", "VALUE"}));
    EXPECT_EQ(office->Inspect(document, 2, "B20").text, "far below");
}

// A round number is stored as a number, an exponent form stays the text it is.
TEST_F(LibreOfficeImportTest, RoundNumbersAreStoredAsNumbers)
{
    folder.Write(ImportControlFileName, R"(<C><DBItem ID="E" Page="Lap"><SubItem ID="T" Col="A"/></DBItem></C>)");
    auto book = office->Folder() / "numbers.ods";
    office->CreateWorkbookFile(book, {{"Start", {}}, {"Lap", {{"A1", "Lap"}}}});
    int document = office->Open(book);
    ui.dataFiles = {folder.Write("numbers.xml", "<R><E><T>100000</T></E><E><T>2000000</T></E>"
                                                "<E><T>0.0000001</T></E><E><T>1e5</T></E></R>")};

    RunXMLToExcel(ui, Connector());

    const std::pair<const char*, double> stored[] = {{"A6", 100000}, {"A8", 2000000}, {"A10", 1e-7}};
    for (auto [cell, number] : stored) {
        OfficeFixture::CellInfo info = office->Inspect(document, 2, cell);
        EXPECT_EQ(info.type, "VALUE") << cell;
        EXPECT_EQ(info.value, number) << cell;
    }
    EXPECT_EQ(office->Inspect(document, 2, "A12").type, "TEXT");
    EXPECT_EQ(office->Inspect(document, 2, "A12").text, "1e5");
}

}  // namespace
