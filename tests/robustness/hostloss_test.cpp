// The sheet under the export goes away or never ends: the export stops where it must and
// loses nothing. On the in-memory host and on a computed host; the same with a real office
// that is killed is in officedeath_test.cpp.

#include "shell/commanddrivers.h"
#include "tests/support/environment.h"
#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"
#include "host/buffering/readahead.h"
#include "tests/export/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A frontend that runs an action when the export shows a given row on the status bar,
// and does not keep the status history (a million rows would fill it).
class RowWatchingFrontend : public FakeFrontend {
public:
    void SetStatus(int panel, std::string_view text) override
    {
        if (panel >= 0 && panel < 3)
            status[panel] = std::string(text);
        if (panel == 2 && text == atRow && action)
            std::exchange(action, {})();
    }

    std::string atRow;
    std::function<void()> action;
};

const std::string ControlFile = "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Row);Content;EndItem(Row)\n";

class HostLossTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui.dataFolder = folder.WithSeparator();
        folder.Write("control.ini", ControlFile);
        book = host->AddWorkbook("/books/a.xlsx", {"Start", "Data"});
        host->SetText(book, 1, "A1", "Root");
        host->SetText(book, 1, "A2", folder.File("out.xml"));
        host->Set(book, 1, "A3", CellValue::FromNumber(0));
        host->SetText(book, 2, "A1", "control.ini");
        host->SetText(book, 2, "B1", "1.00");
        for (int row = 5; row < 5 + Rows; ++row)
            host->Set(book, 2, row, 1, CellValue::FromText(std::string("v").append(std::to_string(row))));
    }

    // Rows enough that the export asks the host for more of them after row 100.
    static constexpr int Rows = 3 * SheetReadAhead::MaxRows;

    void Export() { RunExcelToXML(ui, [this] { return host; }); }

    TempFolder folder;
    RowWatchingFrontend ui;
    std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
    int book = 0;
};

// Before, every cell read as empty once the workbook was gone, so the scan saw ten empty
// rows and wrote the rows read so far over the earlier file.
TEST_F(HostLossTest, AWorkbookClosedWhileItsRowsAreReadLeavesTheEarlierFileAlone)
{
    folder.Write("out.xml", "earlier");
    ui.atRow = "100";
    ui.action = [this] { host->CloseWorkbook(book); };

    Export();

    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    const std::string& reason = ui.failedWorkbooks[0].text;
    EXPECT_TRUE(reason.starts_with("A munkalap már nem érhető el (a munkafüzetet bezárták, vagy a táblázatkezelő "
                                   "leállt): /books/a.xlsx Data, a(z) A"))
        << reason;
    EXPECT_TRUE(reason.ends_with(" cella olvasása közben")) << reason;
    EXPECT_TRUE(ui.warnings.empty());  // no "Hibás cella!": the cell is not at fault
    EXPECT_TRUE(ui.saveQuestions.empty());
    EXPECT_EQ(folder.Read("out.xml"), "earlier");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"control.ini", "out.xml"}));
}

TEST_F(HostLossTest, UnbufferedTheSameHappens)
{
    SetEnvironment("KORVEX_HOST_UNBUFFERED", "1");
    folder.Write("out.xml", "earlier");
    ui.atRow = "10";
    ui.action = [this] { host->CloseWorkbook(book); };

    Export();

    UnsetEnvironment("KORVEX_HOST_UNBUFFERED");
    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_EQ(folder.Read("out.xml"), "earlier");
}

// Cells that fail while the worksheet still answers are still read as empty, each with
// its warning.
TEST_F(HostLossTest, ACellThatFailsOnALiveSheetStillReadsAsEmpty)
{
    folder.Write("control.ini", "[MAIN]\nCOLS=A;1\n[MAPPING]\nA=BeginItem(Row);Content;EndItem(Row)\n");
    for (int row = 5; row < 5 + Rows; ++row)
        host->workbooks[0].sheets[1].cells.erase({row, 1});
    host->Set(book, 2, 5, 1, CellValue::FromText("only"));

    Export();

    EXPECT_TRUE(ui.failedWorkbooks.empty());
    EXPECT_EQ(ui.warnings.size(), 11u);  // the cell name "1" + row, in rows 5 to 15
    EXPECT_NE(folder.Read("out.xml").find("<Row>only</Row>"), std::string::npos);
}

// --- A sheet without an end ------------------------------------------------------

// One workbook whose data sheet holds a text in column A of every row down to the
// sheet's last one; computed, not stored. It counts the rows read and refuses rows
// beyond the sheet, as the real hosts do.
class EndlessHost : public HostBackend {
public:
    class EndlessSheet : public HostSheet {
    public:
        EndlessSheet(EndlessHost& host, int index) : host_(host), index_(index) {}
        std::string Name() override { return index_ == 1 ? "Start" : "Data"; }
        CellValue ReadCell(int row, int column) override
        {
            if (row < 1 || row > SheetRows || column < 1 || column > SheetColumns)
                throw HostError("cell position out of range");
            if (index_ == 1)
                return row == 1 ? CellValue::FromText("Root")
                       : row == 2 ? CellValue::FromText(host_.output)
                       : row == 3 ? CellValue::FromNumber(0)
                                  : CellValue{};
            if (row == 1)
                return column == 1 ? CellValue::FromText("control.ini") : CellValue::FromText("1.00");
            host_.lastRow = std::max(host_.lastRow, row);
            return row >= 5 && column == 1 ? CellValue::FromText("x") : CellValue{};
        }
        void WriteCell(int, int, const CellValue&) override { throw HostError("read only"); }

    private:
        EndlessHost& host_;
        int index_;
    };

    int WorkbookCount() override { return 1; }
    std::string WorkbookFullName(int) override { return "/books/endless.xlsx"; }
    int SheetCount(int) override { return 2; }
    std::unique_ptr<HostSheet> Sheet(int, int sheet) override { return std::make_unique<EndlessSheet>(*this, sheet); }

    std::string output;
    int lastRow = 0;
};

TEST(EndlessSheetTest, AScanThatNeverMeetsTenEmptyRowsEndsAtTheSheetsLastRow)
{
    TempFolder folder;
    // A column whose commands do nothing: every row counts, the document stays small.
    folder.Write("control.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=Nothing\n");
    auto host = std::make_shared<EndlessHost>();
    host->output = folder.File("out.xml");
    RowWatchingFrontend ui;
    ui.dataFolder = folder.WithSeparator();

    RunExcelToXML(ui, [host] { return host; });

    EXPECT_TRUE(ui.failedWorkbooks.empty());
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_EQ(host->lastRow, SheetRows);
    EXPECT_EQ(ui.status[2], std::to_string(SheetRows));
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root/>");
}

}  // namespace
