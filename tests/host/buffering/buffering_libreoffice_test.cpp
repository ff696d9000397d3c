// Both commands through a private headless LibreOffice, once with reads and writes in
// blocks and once cell by cell (KORVEX_HOST_UNBUFFERED=1): the same sheets, files,
// logs and messages.

#include "shell/commanddrivers.h"
#include "tests/import/importfixture.h"
#include "tests/support/officefixture.h"
#include "tests/support/officetest.h"
#include "host/libreoffice/unohost.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class Unbuffered {
public:
    explicit Unbuffered(bool on)
    {
        if (on)
            ::setenv("KORVEX_HOST_UNBUFFERED", "1", 1);
    }
    ~Unbuffered() { ::unsetenv("KORVEX_HOST_UNBUFFERED"); }
    Unbuffered(const Unbuffered&) = delete;
    Unbuffered& operator=(const Unbuffered&) = delete;
};

class BufferingLibreOfficeTest : public OfficeTest {
protected:
    // Kind and content of every cell of sheet rows 1..rows, columns A..F, as the office holds them.
    Lines Cells(int document, int sheet, int rows)
    {
        Lines cells;
        for (int row = 1; row <= rows; ++row) {
            for (char column = 'A'; column <= 'F'; ++column) {
                OfficeFixture::CellInfo cell = office->Inspect(document, sheet, column + std::to_string(row));
                cells.push_back(cell.type + " " + cell.formula);
            }
        }
        return cells;
    }

    ImportFolder folder;
};

const std::string TwoPageControl = R"(<Control>
  <DBItem ID="Invoice" Page="Invoices">
    <Attribute ID="no" Col="A"/>
    <SubItem ID="Customer" Col="B" Echo=""/>
    <SubItem ID="Line" NewRow=""><SubItem ID="Product" Col="C"/><SubItem ID="Qty" Col="D"/></SubItem>
    <SubItem ID="Note" Col="E" ColIncrement=""/>
  </DBItem>
  <DBItem ID="Memo" Page="Other"><Attribute ID="n" Col="A"/></DBItem>
</Control>)";

TEST_F(BufferingLibreOfficeTest, TheImportWritesTheSameCellsAndLog)
{
    folder.Write(ImportControlFileName, TwoPageControl);
    std::string data = "<Invoices>\n";
    for (int i = 1; i <= 30; ++i) {
        data += "<Invoice no=\"" + std::to_string(i) + "\"><Customer>=ügyfél " + std::to_string(i) +
                "</Customer><Line><Product>0" + std::to_string(i) + "</Product><Qty>" + std::to_string(i % 4) +
                ".5</Qty></Line>" + (i % 3 ? "<Line><Product>TRUE</Product><Qty>1/2</Qty></Line>" : "") +
                "<Note>a</Note><Note></Note></Invoice>\n";
        if (i % 10 == 0)
            data += "<Memo n=\"" + std::to_string(i) + "%\"/>\n";
    }
    const std::string file = folder.Write("data.xml", data + "<Summary/></Invoices>\n");

    auto run = [&](bool buffered) {
        Unbuffered off(!buffered);
        // Old values in the way: one between two invoices, one in a column not written.
        int document = office->CreateDocument({{"Start", {}},
                                               {"Invoices", {{"A1", "Invoices"}, {"C7", "régi"}, {"F9", "=1+1"}}},
                                               {"Other", {{"A1", "Other"}}}});
        FakeFrontend ui;
        ui.dataFolder = folder.WithSeparator();
        ui.dataFiles = {file};
        RunXMLToExcel(ui, Connector());
        Lines seen = Cells(document, 2, 90);
        Lines other = Cells(document, 3, 12);
        seen.insert(seen.end(), other.begin(), other.end());
        seen.insert(seen.end(), ui.log.begin(), ui.log.end());
        office->CloseAll();
        return seen;
    };
    Lines cellByCell = run(false);
    EXPECT_EQ(run(true), cellByCell);
    EXPECT_EQ(cellByCell.back(), EndOfImportLine);
}

TEST_F(BufferingLibreOfficeTest, TheExportWritesTheSameFileAndStopsAtTheSameErrorCell)
{
    folder.Write("rows.ini", "[MAIN]\nVERSION=1.00\nCOLS=A;B;C;D\n[MAPPING]\n"
                             "A=EndItem(Row);BeginItem(Row);Attribute(id)\nB=BeginItem(B);Content;EndItem(B)\n"
                             "C=BeginItem(C);Content;EndItem(C)\nD=BeginItem(D);Content;EndItem(D)\n"
                             "[FORMAT]\nRow=1\n");
    const char* kinds[] = {"szöveg", "2024-01-15", "TRUE", "1.5", "=1+1", "'007", "=\"x\"", "13:45"};
    std::vector<OfficeFixture::Cell> cells{{"A1", "rows.ini"}, {"B1", "'1.00"}};
    for (int row = 5; row < 125; ++row) {
        if (row % 40 == 0)
            continue;  // an empty row now and then
        cells.push_back({"A" + std::to_string(row), std::to_string(row)});
        cells.push_back({"B" + std::to_string(row), kinds[row % 8]});
        cells.push_back({"C" + std::to_string(row), kinds[(row + 3) % 8]});
        if (row % 7 == 0)
            cells.push_back({"D" + std::to_string(row), "=D" + std::to_string(row - 1) + "&\"!\""});
    }
    auto run = [&](bool buffered, bool withError) {
        Unbuffered off(!buffered);
        std::vector<OfficeFixture::Cell> data = cells;
        if (withError)
            data.push_back({"C100", "=1/0"});
        // Saved and opened, so that both runs see the same workbook name.
        auto book = office->Folder() / "rows.ods";
        office->CreateWorkbookFile(book, {{"Start", {{"A1", "Rows"}, {"A2", folder.Write("rows.xml", "")}, {"A3", "0"}}},
                                          {"Data", data}});
        office->Open(book);
        FakeFrontend ui;
        ui.dataFolder = folder.WithSeparator();
        RunExcelToXML(ui, Connector());
        Lines seen = ui.log;
        for (const FakeFrontend::Shown& warning : ui.warnings)
            seen.push_back(warning.caption + "|" + warning.text);
        for (const FakeFrontend::Shown& failed : ui.failedWorkbooks)
            seen.push_back("failed: " + failed.text);
        office->CloseAll();
        return seen;
    };
    Lines cellByCell = run(false, false);
    EXPECT_GT(cellByCell.size(), 100u);  // a row a line
    EXPECT_EQ(run(true, false), cellByCell);

    Lines failing = run(false, true);
    ASSERT_FALSE(failing.empty());
    EXPECT_NE(failing.back().find("failed: "), std::string::npos);
    EXPECT_EQ(run(true, true), failing);
}

}  // namespace
