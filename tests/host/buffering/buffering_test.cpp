// Reading ahead and writing behind on the in-memory host: the same results as cell by
// cell, in few calls. Every comparison runs once with KORVEX_HOST_UNBUFFERED=1.
#include "tests/import/importfixture.h"
#include "tests/support/environment.h"
#include "host/buffering/writebehind.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Lines = std::vector<std::string>;

// Turns buffering off for the TExcelApp objects made while it lives.
class Unbuffered {
public:
    explicit Unbuffered(bool on = true)
    {
        if (on)
            SetEnvironment("KORVEX_HOST_UNBUFFERED", "1");
    }
    ~Unbuffered() { UnsetEnvironment("KORVEX_HOST_UNBUFFERED"); }
    Unbuffered(const Unbuffered&) = delete;
    Unbuffered& operator=(const Unbuffered&) = delete;
};

struct Warnings : MessageSink {
    std::vector<std::string> shown;
    void Warning(std::string_view caption, std::string_view text) override
    {
        shown.push_back(std::string(caption) + "|" + std::string(text));
    }
};

std::string Column(int column)
{
    return column <= 26 ? std::string(1, char('A' + column - 1))
                        : std::string(1, char('A' + (column - 1) / 26 - 1)) + char('A' + (column - 1) % 26);
}

// --- Reading ahead ----------------------------------------------------------------

class ReadAheadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = host->AddWorkbook("/data/a.xlsx", {"Start", "Data"});
        for (int row = 1; row <= rows; ++row)
            for (int column = 1; column <= 8; ++column)
                host->Set(book, 2, row, column,
                          column % 2 ? CellValue::FromText(Column(column) + std::to_string(row))
                                     : CellValue::FromNumber(row * 10 + column));
    }

    // What a command sees when it reads the given cells of sheet 2 in order: each
    // text, or "!" where the read failed, then the warnings shown.
    std::vector<std::string> ReadAll(const std::vector<std::string>& names, bool buffered,
                                     const std::function<void()>& afterFirst = {})
    {
        Unbuffered off(!buffered);
        Warnings warnings;
        TExcelApp app(host, &warnings);
        TExcelSheet sheet;
        sheet.Open(app, "/data/a.xlsx", book, 2);
        std::vector<std::string> seen;
        for (const std::string& name : names) {
            try {
                seen.push_back(sheet.GetCellText(name));
            } catch (const HostError&) {
                seen.push_back("!");
            }
            if (afterFirst && seen.size() == 1)
                afterFirst();
        }
        seen.insert(seen.end(), warnings.shown.begin(), warnings.shown.end());
        return seen;
    }

    std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
    int book = 0;
    const int rows = 1000;
};

TEST_F(ReadAheadTest, RowsComeInFewBlocksWithTheSameTexts)
{
    std::vector<std::string> names;
    for (int row = 1; row <= rows + 10; ++row)
        for (int column = 1; column <= 8; ++column)
            names.push_back(Column(column) + std::to_string(row));

    std::vector<std::string> unbuffered = ReadAll(names, false);
    EXPECT_EQ(host->counters.ReadCalls(), static_cast<int>(names.size()));
    host->counters = {};
    EXPECT_EQ(ReadAll(names, true), unbuffered);
    EXPECT_EQ(unbuffered.at(9), "22");  // B2
    // One cell alone, then a used-area question and a block per 1024 rows.
    EXPECT_LE(host->counters.ReadCalls(), 6);
    EXPECT_EQ(host->counters.reads, 1);
}

TEST_F(ReadAheadTest, EveryKindOfCellAndNameReadsAsCellByCell)
{
    host->Set(book, 2, "C3", CellValue::FromError());
    host->Set(book, 2, "D3", CellValue::FromDateTime(45306));
    host->Set(book, 2, "E3", CellValue::FromBoolean(true));
    host->Set(book, 2, "F3", CellValue::FromText(""));
    host->Set(book, 2, "AA3", CellValue::FromText("far right"));
    host->Set(book, 2, "BA1", CellValue::FromNumber(0.25));
    const std::vector<std::string> names{"A1",    "b2",   "C3",  "D3",  "E3",    "F3",       "AA3",  "BA1",
                                         "ABC5",  "A0",   "",    "1A",  "ZZ999", "A1048577", "H1000", "h1001",
                                         "C3",    "a3"};
    std::vector<std::string> unbuffered = ReadAll(names, false);
    EXPECT_EQ(ReadAll(names, true), unbuffered);
    // The error cell warned and failed both times it was read.
    EXPECT_EQ(std::count(unbuffered.begin(), unbuffered.end(), "!"), 2);
    EXPECT_EQ(std::count(unbuffered.begin(), unbuffered.end(), "Hibás cella!|/data/a.xlsx Data C3"), 2);
    EXPECT_EQ(unbuffered.at(3), "2024-01-15");
    EXPECT_EQ(unbuffered.at(4), "TRUE");
    EXPECT_EQ(unbuffered.at(7), "0.25");
}

TEST_F(ReadAheadTest, AWideSheetIsReadByTheColumnsAskedFor)
{
    host->Set(book, 2, 3, 500, CellValue::FromText("far away"));
    std::vector<std::string> names;
    for (int row = 1; row <= rows; ++row)
        for (int column : {2, 3})
            names.push_back(Column(column) + std::to_string(row));
    std::vector<std::string> unbuffered = ReadAll(names, false);
    host->counters = {};
    EXPECT_EQ(ReadAll(names, true), unbuffered);
    EXPECT_LE(host->counters.ReadCalls(), 10);
}

TEST_F(ReadAheadTest, NoBlockOutlivesAnOpening)
{
    TExcelApp app(host);
    TExcelSheet sheet;
    sheet.Open(app, "/data/a.xlsx", book, 2);
    sheet.GetCellText("A1");
    EXPECT_EQ(sheet.GetCellText("A2"), "A2");
    host->SetText(book, 2, "A3", "changed");
    sheet.Open(app, "/data/a.xlsx", book, 2);
    sheet.GetCellText("A1");
    EXPECT_EQ(sheet.GetCellText("A3"), "changed");

    // Nor one of another command (another connection).
    host->SetText(book, 2, "A4", "changed too");
    TExcelApp next(host);
    TExcelSheet again;
    again.Open(next, "/data/a.xlsx", book, 2);
    again.GetCellText("A1");
    EXPECT_EQ(again.GetCellText("A4"), "changed too");
}

TEST_F(ReadAheadTest, AWriteThroughTheSheetIsReadBack)
{
    TExcelApp app(host);
    TExcelSheet sheet;
    sheet.Open(app, "/data/a.xlsx", book, 2);
    sheet.GetCellText("A1");
    sheet.GetCellText("A2");
    sheet.SetCellText(2, 0, "new");
    EXPECT_EQ(sheet.GetCellText("A3"), "new");
}

// Each later read fails, without blaming the cell: the worksheet no longer answers.
TEST_F(ReadAheadTest, AWorkbookClosedAfterTheFirstReadFailsForEachCellAsBefore)
{
    const std::vector<std::string> names{"A1", "A2", "B2"};
    auto close = [this] { host->CloseWorkbook(book); };
    std::vector<std::string> unbuffered = ReadAll(names, false, close);
    SetUp();
    EXPECT_EQ(ReadAll(names, true, close), unbuffered);
    EXPECT_EQ(unbuffered, (Lines{"A1", "!", "!"}));
}

// --- Writing behind ---------------------------------------------------------------

class WriteBehindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = host->AddWorkbook("/data/w.xlsx", {"Start", "One", "Two"});
    }
    std::string Text(int sheet, int row, int column) const { return CellValueText(host->Get(book, sheet, row, column)); }

    std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
    int book = 0;
};

TEST_F(WriteBehindTest, WritesWaitAndTheLastOneWins)
{
    TExcelApp app(host);
    TWriteBehind writes(app);
    TExcelSheet sheet;
    sheet.Open(app, "/data/w.xlsx", book, 2);
    for (int row = 0; row < 100; ++row)
        for (int column = 0; column < 6; ++column)
            sheet.SetCellText(row * 2, column, std::to_string(row) + "/" + std::to_string(column));
    sheet.SetCellText(0, 0, "first");
    sheet.SetCellText(0, 0, "12");
    EXPECT_EQ(host->counters.WriteCalls(), 0);
    EXPECT_EQ(Text(2, 1, 1), "");

    writes.Flush();
    EXPECT_EQ(Text(2, 1, 1), "12");
    EXPECT_EQ(host->Get(book, 2, 1, 1), CellValue::FromNumber(12));
    EXPECT_EQ(Text(2, 199, 6), "99/5");
    EXPECT_EQ(Text(2, 2, 1), "");  // the rows between stay empty
    EXPECT_EQ(host->counters.WriteCalls(), 1);
    EXPECT_EQ(host->counters.writes, 600);
}

TEST_F(WriteBehindTest, AReadOfTheSheetSeesEveryEarlierWrite)
{
    TExcelApp app(host);
    TWriteBehind writes(app);
    TExcelSheet writer, reader;
    writer.Open(app, "/data/w.xlsx", book, 2);
    writer.SetCellText(4, 1, "held");
    reader.Open(app, "/data/w.xlsx", book, 2);
    EXPECT_EQ(reader.GetCellText("B5"), "held");
}

TEST_F(WriteBehindTest, AWriteToAnotherSheetSendsTheHeldOnesFirst)
{
    TExcelApp app(host);
    TWriteBehind writes(app);
    TExcelSheet one, two;
    one.Open(app, "/data/w.xlsx", book, 2);
    two.Open(app, "/data/w.xlsx", book, 3);
    one.SetCellText(0, 0, "one");
    EXPECT_EQ(Text(2, 1, 1), "");
    two.SetCellText(0, 0, "two");
    EXPECT_EQ(Text(2, 1, 1), "one");
    EXPECT_EQ(Text(3, 1, 1), "");
}

TEST_F(WriteBehindTest, ASheetIsReachedOnceWhileWritesAreHeld)
{
    TExcelApp app(host);
    {
        TWriteBehind writes(app);
        TExcelSheet sheet;
        sheet.Open(app, "/data/w.xlsx", book, 2);
        host->failures.workbookCount = true;  // the host no longer lists its workbooks
        sheet.Open(app, "other name", book, 2);
        EXPECT_EQ(sheet.SheetName, "One");
        EXPECT_EQ(sheet.WorkbookName, "other name");
        sheet.SetCellText(0, 0, "x");
    }
    EXPECT_EQ(Text(2, 1, 1), "x");
    TExcelSheet later;
    EXPECT_THROW(later.Open(app, "/data/w.xlsx", book, 2), HostError);
}

TEST_F(WriteBehindTest, ActionsWaitForTheWritesMadeBeforeThem)
{
    TExcelApp app(host);
    TWriteBehind writes(app);
    std::vector<std::string> done;
    app.AfterWrites([&] { done.push_back("nothing held: at once"); });
    EXPECT_EQ(done.size(), 1u);
    TExcelSheet sheet;
    sheet.Open(app, "/data/w.xlsx", book, 2);
    sheet.SetCellText(0, 0, "a");
    app.AfterWrites([&] { done.push_back("after a: " + Text(2, 1, 1)); });
    EXPECT_EQ(done.size(), 1u);
    writes.Flush();
    EXPECT_EQ(done, (Lines{"nothing held: at once", "after a: a"}));
}

// The same writes and actions, buffered or not: what the host holds afterwards, the
// actions that ran and the failure.
struct WriteOutcome {
    std::map<std::pair<int, int>, CellValue> cells;
    Lines done;
    std::string failure;
    friend bool operator==(const WriteOutcome&, const WriteOutcome&) = default;
};

void PrintTo(const WriteOutcome& outcome, std::ostream* out)
{
    *out << outcome.cells.size() << " cells, " << outcome.done.size() << " actions, failure \"" << outcome.failure
         << "\"";
}

// Forty elements of five cells on rows apart, an action after each.
WriteOutcome WriteRows(bool buffered, const std::function<void(MemoryHost&)>& setup,
                       const std::function<void(MemoryHost&)>& meddle = {})
{
    Unbuffered off(!buffered);
    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook("/data/w.xlsx", {"Start", "One"});
    setup(*host);
    WriteOutcome outcome;
    TExcelApp app(host);
    try {
        TWriteBehind writes(app);
        for (int element = 0; element < 40; ++element) {
            TExcelSheet sheet;
            sheet.Open(app, "/data/w.xlsx", book, 2);
            for (int column = 0; column < 5; ++column)
                sheet.SetCellText(5 + element * 2, column, std::to_string(element * 10 + column));
            if (element == 20 && meddle)
                meddle(*host);
            app.AfterWrites([&outcome, element] { outcome.done.push_back(std::to_string(element)); });
            writes.Checkpoint();
        }
        writes.Flush();
    } catch (const HostError& error) {
        outcome.failure = error.what();
    }
    if (!host->workbooks.empty())
        outcome.cells = host->workbooks.at(0).sheets.at(1).cells;
    return outcome;
}

TEST(WriteBehindFailureTest, TheHostRefusingWritesStopsAtTheSameCell)
{
    for (int failAfter : {0, 1, 57, 199}) {
        SCOPED_TRACE(failAfter);
        auto setup = [failAfter](MemoryHost& host) { host.failures.failWriteAfter = failAfter; };
        WriteOutcome cellByCell = WriteRows(false, setup);
        EXPECT_EQ(cellByCell.failure, "write failure (test switch)");
        EXPECT_EQ(cellByCell.cells.size(), static_cast<size_t>(failAfter));
        EXPECT_EQ(WriteRows(true, setup), cellByCell);
    }
    auto nothing = [](MemoryHost&) {};
    EXPECT_EQ(WriteRows(true, nothing), WriteRows(false, nothing));
    EXPECT_EQ(WriteRows(true, nothing).done.size(), 40u);
}

TEST(WriteBehindFailureTest, ALockedCellStopsAtTheSameCell)
{
    // An old value between the rows splits the rectangles: the first one is stored
    // before the one with the locked cell is refused.
    for (int lockedRow : {6, 8, 46, 84}) {
        SCOPED_TRACE(lockedRow);
        auto setup = [lockedRow](MemoryHost& host) {
            host.SetText(1, 2, "C7", "old");
            host.failures.lockedCell = {lockedRow, 4};
        };
        WriteOutcome cellByCell = WriteRows(false, setup);
        EXPECT_EQ(cellByCell.failure, "locked cell (test switch)");
        EXPECT_EQ(WriteRows(true, setup), cellByCell);
    }
}

TEST(WriteBehindFailureTest, AWorkbookClosedMeanwhileFails)
{
    auto nothing = [](MemoryHost&) {};
    auto close = [](MemoryHost& host) { host.CloseWorkbook(1); };
    EXPECT_NE(WriteRows(false, nothing, close).failure, "");
    EXPECT_NE(WriteRows(true, nothing, close).failure, "");
}

TEST_F(WriteBehindTest, WritesHeldWhenAFailureLeavesAreSent)
{
    TExcelApp app(host);
    try {
        TWriteBehind writes(app);
        TExcelSheet sheet;
        sheet.Open(app, "/data/w.xlsx", book, 2);
        sheet.SetCellText(0, 0, "kept");
        sheet.SetCellText(-1, 0, "refused");
        ADD_FAILURE() << "a row before the first was accepted";
    } catch (const HostError&) {
    }
    EXPECT_EQ(Text(2, 1, 1), "kept");
}

TEST_F(WriteBehindTest, UnbufferedNothingIsHeld)
{
    Unbuffered off;
    TExcelApp app(host);
    EXPECT_FALSE(app.Buffered());
    TWriteBehind writes(app);
    TExcelSheet sheet;
    sheet.Open(app, "/data/w.xlsx", book, 2);
    sheet.SetCellText(0, 0, "at once");
    EXPECT_EQ(Text(2, 1, 1), "at once");
    EXPECT_EQ(host->counters.cellWrites, 1);
}

// --- The commands ---------------------------------------------------------------

TEST(ExportRoundTripsTest, AThousandRowsOfEightColumnsTakeAFewReadCalls)
{
    ImportFolder folder;
    std::string ini = "[MAIN]\nVERSION=1.00\nCOLS=A;B;C;D;E;F;G;H\n[MAPPING]\n"
                      "A=EndItem(Row);BeginItem(Row);Attribute(id)\n";
    for (char column = 'B'; column <= 'H'; ++column)
        ini += std::string(1, column) + "=BeginItem(C" + column + ");Content;EndItem(C" + column + ")\n";
    folder.Write("rows.ini", ini + "[FORMAT]\nRow=1\n");
    auto run = [&](bool buffered) {
        Unbuffered off(!buffered);
        auto host = std::make_shared<MemoryHost>();
        int book = host->AddWorkbook("rows.xlsx", {"Start", "Data"});
        host->SetText(book, 1, "A1", "Rows");
        host->SetText(book, 1, "A2", folder.Write("out.xml", ""));
        host->Set(book, 1, "A3", CellValue::FromNumber(0));
        host->SetText(book, 2, "A1", "rows.ini");
        host->SetText(book, 2, "B1", "1.00");
        for (int row = 5; row < 1005; ++row)
            for (int column = 1; column <= 8; ++column)
                host->Set(book, 2, row, column, CellValue::FromNumber(row * 10 + column));
        FakeFrontend ui;
        ui.dataFolder = folder.WithSeparator();
        TExcelApp app(host, &ui);
        TExcelToXML(ui).Convert(app, "rows.xlsx", book);
        return std::make_pair(host->counters.ReadCalls(), ui.log);
    };
    auto [cellByCellCalls, cellByCellLog] = run(false);
    auto [calls, log] = run(true);
    EXPECT_EQ(log, cellByCellLog);
    EXPECT_GT(log.size(), 1000u);
    EXPECT_GE(cellByCellCalls, 8000);
    EXPECT_LE(calls, 24);
}

class ImportRoundTripsTest : public ImportTest {
protected:
    struct Outcome {
        std::vector<std::map<std::pair<int, int>, CellValue>> sheets;
        Lines log;
        std::string failure;
        friend bool operator==(const Outcome&, const Outcome&) = default;
    };

    // Maps and transfers the files on a fresh copy of the host, buffered or not.
    Outcome Run(bool buffered, const std::vector<std::string>& files, int failWriteAfter = -1)
    {
        Unbuffered off(!buffered);
        host = std::make_shared<MemoryHost>();
        int book = AddBook("/books/invoices.xlsx", {"Invoices", "Other"});
        ui.log.clear();
        control.reset();
        TExcelApp own(host, &ui);
        TExcelToXML(ui).ReadImportMapping(own, "/books/invoices.xlsx", book, Control());
        host->counters = {};
        host->failures.failWriteAfter = failWriteAfter;
        Outcome outcome;
        try {
            for (const std::string& file : files)
                Control().TransferFile(file, own);
        } catch (const HostError& error) {
            outcome.failure = error.what();
        }
        for (const MemoryHost::SheetData& sheet : host->workbooks.at(0).sheets)
            outcome.sheets.push_back(sheet.cells);
        outcome.log = ui.log;
        return outcome;
    }

    // Many invoices, and between them an element of another kind that goes to another page.
    std::string ManyInvoices(int count)
    {
        std::string data = "<Invoices>\n";
        for (int i = 1; i <= count; ++i) {
            data += "<Invoice no=\"" + std::to_string(i) + "\"><Customer>C" + std::to_string(i) +
                    "</Customer><Line><Product>P</Product><Qty>" + std::to_string(i % 7) +
                    "</Qty></Line><Note>a</Note><Note>b</Note></Invoice>\n";
            if (i % 50 == 0)
                data += "<Memo n=\"m" + std::to_string(i) + "\"/>\n";
        }
        return data + "</Invoices>\n";
    }
};

const std::string TwoPageControl = R"(<Control>
  <DBItem ID="Invoice" Page="Invoices">
    <Attribute ID="no" Col="A"/>
    <SubItem ID="Customer" Col="B" Echo=""/>
    <SubItem ID="Line" NewRow=""><SubItem ID="Product" Col="C"/><SubItem ID="Qty" Col="D"/></SubItem>
    <SubItem ID="Note" Col="E" ColIncrement=""/>
  </DBItem>
  <DBItem ID="Memo" Page="Other"><Attribute ID="n" Col="A"/></DBItem>
  <DBItem ID="Stray" Page="Nowhere"/>
</Control>)";

TEST_F(ImportRoundTripsTest, TheWorkedExampleWritesInAHandfulOfCalls)
{
    WriteControl(InvoiceControl);
    const std::vector<std::string> files{WriteData("invoices.xml", InvoiceData)};
    Outcome cellByCell = Run(false, files);
    EXPECT_EQ(host->counters.WriteCalls(), 12);
    Outcome buffered = Run(true, files);
    EXPECT_EQ(buffered, cellByCell);
    EXPECT_EQ(Table(1, 2, 6, 10, 6), InvoiceTable);
    EXPECT_LE(host->counters.WriteCalls() + host->counters.writeLimits, 3);
}

TEST_F(ImportRoundTripsTest, ManyElementsOnTwoPagesGiveTheSameSheetsAndLog)
{
    WriteControl(TwoPageControl);
    const std::vector<std::string> files{WriteData("a.xml", ManyInvoices(400)),
                                         WriteData("b.xml", "<I><Stray/><Invoice no=\"x\"/><Memo n=\"last\"/></I>")};
    Outcome cellByCell = Run(false, files);
    int cellByCellCalls = host->counters.WriteCalls();
    Outcome buffered = Run(true, files);
    EXPECT_EQ(buffered, cellByCell);
    EXPECT_EQ(buffered.log.size(), 400u + 8 + 3);
    EXPECT_LT(host->counters.WriteCalls() * 20, cellByCellCalls);
}

TEST_F(ImportRoundTripsTest, AFailureInTheMiddleOfAFileKeepsEveryEarlierCell)
{
    WriteControl(TwoPageControl);
    const std::vector<std::string> files{WriteData("a.xml", ManyInvoices(400))};
    for (int failAfter : {0, 5, 1234, 2399}) {
        SCOPED_TRACE(failAfter);
        Outcome cellByCell = Run(false, files, failAfter);
        EXPECT_NE(cellByCell.failure.find("Az importálás megszakadt: " + files[0] + ", "), std::string::npos);
        EXPECT_EQ(Run(true, files, failAfter), cellByCell);
    }
}

}  // namespace
