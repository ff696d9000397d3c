#include "host/excelsheet.h"
#include "host/memory/memoryhost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Warnings : MessageSink {
    std::vector<std::string> shown;
    void Warning(std::string_view caption, std::string_view text) override
    {
        shown.push_back(std::string(caption) + "|" + std::string(text));
    }
};

class ExcelSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = std::make_shared<MemoryHost>();
        host->AddWorkbook("/data/first.xlsx", {"Start", "Data"});
        host->AddWorkbook("/data/second.ods", {"Only"});
    }
    std::shared_ptr<MemoryHost> host;
    Warnings warnings;
};

TEST_F(ExcelSheetTest, ListsWorkbooksInHostOrder)
{
    TExcelApp app(host, &warnings);
    std::vector<std::string> names{"kept"};
    EXPECT_EQ(app.GetWorkbookNames(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "/data/first.xlsx", "/data/second.ods"}));
}

TEST_F(ExcelSheetTest, NoApplicationMeansNoWorkbooks)
{
    TExcelApp app(HostConnector([]() -> std::shared_ptr<HostBackend> { throw HostError("down"); }));
    std::vector<std::string> names;
    EXPECT_EQ(app.GetWorkbookNames(names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(app.GetSheetCount(1), 0);
    TExcelSheet sheet;
    EXPECT_THROW(sheet.Open(app, "book", 1, 1), HostError);
    EXPECT_EQ(sheet.WorkbookName, "book");
}

TEST_F(ExcelSheetTest, SheetCountOutOfRangeOrFailingIsZero)
{
    TExcelApp app(host);
    EXPECT_EQ(app.GetSheetCount(1), 2);
    EXPECT_EQ(app.GetSheetCount(3), 0);
    host->failures.sheetAccess = true;
    EXPECT_EQ(app.GetSheetCount(1), 0);
}

TEST_F(ExcelSheetTest, CellNamesAddressTheHostCells)
{
    struct Case {
        const char* name;
        int row, column;
    };
    const Case cases[] = {{"B12", 12, 2}, {"b12", 12, 2}, {"AA3", 3, 27}, {"BA1", 1, 53}, {"A1", 1, 1}};
    TExcelApp app(host, &warnings);
    TExcelSheet sheet;
    for (const Case& c : cases) {
        host->Set(1, 2, c.row, c.column, CellValue::FromText(c.name));
        // Opened again: rows read ahead are not kept from one opening to the next.
        sheet.Open(app, "/data/first.xlsx", 1, 2);
        EXPECT_EQ(sheet.GetCellText(c.name), c.name) << c.name;
    }
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(ExcelSheetTest, NameWithoutCellWarnsAndReadsEmpty)
{
    TExcelApp app(host, &warnings);
    TExcelSheet sheet;
    sheet.Open(app, "/data/first.xlsx", 1, 2);
    for (const char* name : {"ABC5", "A0", "", "1A"})
        EXPECT_EQ(sheet.GetCellText(name), "") << name;
    ASSERT_EQ(warnings.shown.size(), 4u);
    EXPECT_EQ(warnings.shown[0], "Hibás cella!|/data/first.xlsx Data ABC5");
}

// Reading by column letters and a row gives what the whole name gives: the value, or
// the same warning naming the cell as asked.
TEST_F(ExcelSheetTest, LettersAndRowReadLikeTheWholeName)
{
    host->Set(1, 2, "B12", CellValue::FromText("b"));
    host->Set(1, 2, "AA3", CellValue::FromNumber(27));
    host->Set(1, 2, "BA1", CellValue::FromText("ba"));
    host->Set(1, 2, 12, 1, CellValue::FromText("a1 then 2"));
    host->Set(1, 2, "C7", CellValue::FromError());
    const std::pair<const char*, int> cases[] = {{"B", 12}, {"b", 12}, {"AA", 3}, {"ba", 1}, {"A", 12}, {"A1", 2},
                                                 {"ABC", 5}, {"1", 5}, {"1A", 5}, {"", 12}, {"B", 0}, {"Zz", 9},
                                                 {"[", 3}, {"C", 7}};
    for (const auto& c : cases) {
        const char* const letters = c.first;
        const int row = c.second;
        SCOPED_TRACE(std::string(letters) + " " + std::to_string(row));
        auto read = [&](bool whole) {
            Warnings shown;
            TExcelApp app(host, &shown);
            TExcelSheet sheet;
            sheet.Open(app, "/data/first.xlsx", 1, 2);
            std::string text;
            try {
                text = whole ? sheet.GetCellText(letters + std::to_string(row)) : sheet.GetCellText(letters, row);
            } catch (const HostError& error) {
                text = std::string("failed: ") + error.what();
            }
            shown.shown.push_back(text);
            return shown.shown;
        };
        EXPECT_EQ(read(false), read(true));
    }
}

TEST_F(ExcelSheetTest, EmptyCellReadsEmptyWithoutWarning)
{
    TExcelApp app(host, &warnings);
    TExcelSheet sheet;
    sheet.Open(app, "/data/first.xlsx", 1, 1);
    EXPECT_EQ(sheet.SheetName, "Start");
    EXPECT_EQ(sheet.GetCellText("C3"), "");
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(ExcelSheetTest, ErrorValueWarnsThenFails)
{
    TExcelApp app(host, &warnings);
    TExcelSheet sheet;
    sheet.Open(app, "/data/first.xlsx", 1, 1);
    host->Set(1, 1, "B7", CellValue::FromError());
    EXPECT_THROW(sheet.GetCellText("B7"), HostError);
    ASSERT_EQ(warnings.shown.size(), 1u);
    EXPECT_EQ(warnings.shown[0], "Hibás cella!|/data/first.xlsx Start B7");
}

TEST_F(ExcelSheetTest, OpenOutOfRangeFails)
{
    TExcelApp app(host);
    TExcelSheet sheet;
    EXPECT_THROW(sheet.Open(app, "x", 3, 1), HostError);
    EXPECT_THROW(sheet.Open(app, "x", 2, 2), HostError);
}

TEST_F(ExcelSheetTest, WritesByZeroBasedPosition)
{
    TExcelApp app(host);
    TExcelSheet sheet;
    sheet.Open(app, "/data/second.ods", 2, 1);
    sheet.SetCellText(0, 0, "top-left");
    sheet.SetCellText(5, 2, "12");
    sheet.SetCellText(5, 3, "=1+1");
    EXPECT_EQ(host->Get(2, 1, 1, 1), CellValue::FromText("top-left"));
    EXPECT_EQ(host->Get(2, 1, 6, 3), CellValue::FromNumber(12));
    EXPECT_EQ(host->Get(2, 1, 6, 4), CellValue::FromText("=1+1"));
    EXPECT_THROW(sheet.SetCellText(-1, 0, "x"), HostError);
}

TEST_F(ExcelSheetTest, ClosedWorkbookFailsLater)
{
    TExcelApp app(host);
    TExcelSheet sheet;
    sheet.Open(app, "/data/second.ods", 2, 1);
    host->CloseWorkbook(2);
    EXPECT_THROW(sheet.SetCellText(0, 0, "x"), HostError);
}

TEST(ColumnIndexTest, LettersToZeroBasedColumns)
{
    const std::pair<const char*, int> cases[] = {{"A", 0}, {"Z", 25}, {"AA", 26}, {"AZ", 51}, {"BA", 52},
                                                 {"c", 2},  {"AB", 27}, {"ABC", 27}};
    for (auto [letters, column] : cases)
        EXPECT_EQ(ColumnIndex(letters), column) << letters;
    EXPECT_THROW(ColumnIndex(""), HostError);
    EXPECT_LT(ColumnIndex("1"), 0);
}

}  // namespace
