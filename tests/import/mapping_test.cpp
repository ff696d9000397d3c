// Giving the DB items their target worksheets from the page names in A1.
#include "tests/import/importfixture.h"

namespace {

class MappingTest : public ImportTest {
protected:
    void SetUp() override
    {
        WriteControl(R"(<C>
            <DBItem ID="Invoice" Page="Invoices"/>
            <DBItem ID="Order" Page="Invoices"/>
            <DBItem ID="Person" Page="People"/>
            <DBItem ID="Blank"/>
            </C>)");
    }

    struct Target {
        std::string workbook;
        int book = 0;
        int sheet = 0;
        friend bool operator==(const Target&, const Target&) = default;
    };
    Target TargetOf(size_t item)
    {
        const TXMLToExcelDBItem& db = Control().DBItems.at(item);
        return {db.WorkbookName, db.WorkbookIndex, db.SheetIndex};
    }
};

TEST_F(MappingTest, TheFirstSheetIsNeverATarget)
{
    int book = host->AddWorkbook("/books/one.xlsx", {"Only"});
    host->SetText(book, 1, "A1", "Invoices");
    Map(book);
    for (size_t i = 0; i < Control().DBItems.size(); ++i)
        EXPECT_FALSE(Control().DBItems[i].HasTarget()) << i;
}

TEST_F(MappingTest, EveryItemOfAPageIsAssignedAndTheLastSheetWins)
{
    int book = AddBook("/books/a.xlsx", {"Invoices", "People", "Invoices", "", "Invoices"});
    Map(book);
    EXPECT_EQ(TargetOf(0), (Target{"/books/a.xlsx", 1, 6}));
    EXPECT_EQ(TargetOf(1), (Target{"/books/a.xlsx", 1, 6}));
    EXPECT_EQ(TargetOf(2), (Target{"/books/a.xlsx", 1, 3}));
    // No "Page": the last sheet whose A1 is empty.
    EXPECT_EQ(TargetOf(3), (Target{"/books/a.xlsx", 1, 5}));
}

TEST_F(MappingTest, ALaterTickedWorkbookReplacesAnEarlierOne)
{
    int first = AddBook("/books/a.xlsx", {"Invoices", "People"});
    int second = AddBook("/books/b.xlsx", {"Other", "Invoices"});
    Map(first);
    Map(second);
    EXPECT_EQ(TargetOf(0), (Target{"/books/b.xlsx", 2, 3}));
    EXPECT_EQ(TargetOf(2), (Target{"/books/a.xlsx", 1, 3}));
}

TEST_F(MappingTest, PageNamesAreComparedExactly)
{
    int book = AddBook("/books/a.xlsx", {"invoices", "Invoices ", " Invoices", "INVOICES", "People"});
    Map(book);
    EXPECT_FALSE(Control().DBItems[0].HasTarget());
    EXPECT_EQ(TargetOf(2).sheet, 6);
}

TEST_F(MappingTest, ANumberInA1IsComparedAsTheHostText)
{
    WriteControl(R"(<C><DBItem ID="Y" Page="2024"/><DBItem ID="H" Page="1.5"/></C>)");
    int book = AddBook("/books/a.xlsx", {"", ""});
    host->Set(book, 2, "A1", CellValue::FromNumber(2024));
    host->Set(book, 3, "A1", CellValue::FromNumber(1.5));
    Map(book);
    EXPECT_EQ(TargetOf(0).sheet, 2);
    EXPECT_EQ(TargetOf(1).sheet, 3);
}

TEST_F(MappingTest, AnUnreadableA1EndsTheMappingButKeepsEarlierAssignments)
{
    int book = AddBook("/books/a.xlsx", {"People", "", "Invoices"});
    host->Set(book, 3, "A1", CellValue::FromError());
    EXPECT_THROW(Map(book), HostError);
    EXPECT_EQ(TargetOf(2).sheet, 2);
    EXPECT_FALSE(Control().DBItems[0].HasTarget());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].caption, "Hibás cella!");
}

}  // namespace
