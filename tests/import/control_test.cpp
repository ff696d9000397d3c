// Reading the import control file into the model.
#include "tests/import/importfixture.h"

namespace {

using ControlFileTest = ImportTest;

TEST_F(ControlFileTest, ReadsTheWorkedExampleInDocumentOrder)
{
    WriteControl(InvoiceControl);
    TXMLToExcelControl control(ui);
    ASSERT_EQ(control.DBItems.size(), 1u);
    const TXMLToExcelDBItem& invoice = control.DBItems[0];
    EXPECT_EQ(invoice.ID, "Invoice");
    EXPECT_EQ(invoice.Page, "Invoices");
    EXPECT_FALSE(invoice.HasTarget());
    ASSERT_EQ(invoice.Attributes.size(), 1u);
    EXPECT_EQ(invoice.Attributes[0].ID, "no");
    EXPECT_EQ(invoice.Attributes[0].Col, 0);
    ASSERT_EQ(invoice.SubItems.size(), 3u);
    const TXMLToExcelSubItem& customer = invoice.SubItems[0];
    EXPECT_EQ(customer.ID, "Customer");
    EXPECT_EQ(customer.Col, 1);
    EXPECT_TRUE(customer.Echo);
    EXPECT_FALSE(customer.NewRow);
    const TXMLToExcelSubItem& line = invoice.SubItems[1];
    EXPECT_EQ(line.Col, -1);
    EXPECT_TRUE(line.NewRow);
    ASSERT_EQ(line.SubItems.size(), 2u);
    EXPECT_EQ(line.SubItems[0].ID, "Product");
    EXPECT_EQ(line.SubItems[1].Col, 3);
    EXPECT_TRUE(invoice.SubItems[2].ColIncrement);
    // The document is left inactive for the transfers.
    EXPECT_FALSE(ui.document.Active());
}

TEST_F(ControlFileTest, FlagsArePresenceFlagsWhateverTheirValue)
{
    WriteControl(R"(<C><DBItem ID="I">
        <SubItem ID="a" NewRow="no" Echo="0" ColIncrement=""/>
        <SubItem ID="b" AttrID="kind"/>
        <SubItem ID="c" AttrID="kind" AttrValue="x"/>
        </DBItem></C>)");
    TXMLToExcelControl control(ui);
    const auto& subItems = control.DBItems.at(0).SubItems;
    EXPECT_TRUE(subItems[0].NewRow);
    EXPECT_TRUE(subItems[0].Echo);
    EXPECT_TRUE(subItems[0].ColIncrement);
    EXPECT_FALSE(subItems[1].NewRow || subItems[1].Echo || subItems[1].ColIncrement);
    EXPECT_EQ(subItems[1].AttrID, "kind");
    EXPECT_EQ(subItems[1].AttrValue, "");
    EXPECT_EQ(subItems[2].AttrValue, "x");
    EXPECT_EQ(control.DBItems[0].Page, "");
}

TEST_F(ControlFileTest, ColumnLettersGiveColumnIndexes)
{
    struct Case {
        const char* letters;
        int column;
    };
    const Case cases[] = {{"A", 0}, {"c", 2}, {"Z", 25}, {"AA", 26}, {"AB", 27}, {"ABC", 27}, {"az", 51}};
    std::string control = "<C><DBItem ID=\"I\">";
    for (const Case& c : cases)
        control += std::string("<SubItem ID=\"s\" Col=\"") + c.letters + "\"/><Attribute ID=\"a\" Col=\"" + c.letters +
                   "\"/>";
    WriteControl(control + "<SubItem ID=\"none\"/><SubItem ID=\"digit\" Col=\"1\"/></DBItem></C>");
    TXMLToExcelControl model(ui);
    const TXMLToExcelDBItem& item = model.DBItems.at(0);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(item.SubItems.at(i).Col, cases[i].column) << cases[i].letters;
        EXPECT_EQ(item.Attributes.at(i).Col, cases[i].column) << cases[i].letters;
    }
    EXPECT_EQ(item.SubItems.at(std::size(cases)).Col, -1);
    // Not letters: a sub item then never writes its text.
    EXPECT_LT(item.SubItems.at(std::size(cases) + 1).Col, 0);
}

TEST_F(ControlFileTest, OnlyTheNamedElementsMakeItemsAtAnyDepth)
{
    WriteControl(R"(<AnyRoot>
        <!-- a comment --><?DBItem not an element?>
        <Other ID="x"/>
        <dbitem ID="lower case"/>
        <DBItem ID="First"><Attribute ID="a" Col="A"><SubItem ID="ignored"/></Attribute>
            <SubItem ID="L1"><SubItem ID="L2"><SubItem ID="L3"><SubItem ID="L4" Col="D"/></SubItem></SubItem></SubItem>
            <Unknown ID="y"/>
        </DBItem>
        <Wrapper><DBItem ID="nested"/></Wrapper>
        <DBItem ID="First" Page="Dup"/>
        </AnyRoot>)");
    TXMLToExcelControl control(ui);
    ASSERT_EQ(control.DBItems.size(), 2u);
    EXPECT_EQ(control.DBItems[1].ID, "First");
    EXPECT_EQ(control.DBItems[1].Page, "Dup");
    const TXMLToExcelDBItem& first = control.DBItems[0];
    EXPECT_EQ(first.Attributes.size(), 1u);
    ASSERT_EQ(first.SubItems.size(), 1u);
    const TXMLToExcelSubItem& deepest = first.SubItems[0].SubItems.at(0).SubItems.at(0).SubItems.at(0);
    EXPECT_EQ(deepest.ID, "L4");
    EXPECT_EQ(deepest.Col, 3);
}

TEST_F(ControlFileTest, UnusableItemsAreRefusedWithTheirFileLineAndID)
{
    struct Case {
        const char* item;
        const char* expected;
    };
    const Case cases[] = {
        {R"(<Attribute ID="no"/>)", "a(z) \"Attribute\" elem (ID=\"no\") nem ad meg oszlopot (\"Col\")"},
        {R"(<Attribute ID="no" Col=""/>)", "a(z) \"Attribute\" elem (ID=\"no\") \"Col\" értéke üres"},
        {R"(<Attribute ID="no" Col="1"/>)", "a(z) \"Attribute\" elem (ID=\"no\") \"Col\" értéke (\"1\") nem oszlop"},
        {R"(<SubItem ID="Qty" Col=""/>)", "a(z) \"SubItem\" elem (ID=\"Qty\") \"Col\" értéke üres"},
    };
    for (const Case& c : cases) {
        WriteControl(std::string("<C>\n<DBItem ID=\"I\">\n<SubItem ID=\"L\">\n") + c.item + "</SubItem></DBItem></C>");
        try {
            TXMLToExcelControl control(ui);
            ADD_FAILURE() << c.item << " was accepted";
        } catch (const ImportError& error) {
            EXPECT_EQ(error.what(), "Hibás vezérlőfájl: " + ui.dataFolder + "XMLToExcel.xml, 4. sor: " + c.expected);
        }
        EXPECT_FALSE(ui.document.Active());
    }
}

TEST_F(ControlFileTest, AMissingOrMalformedFileIsNamedWithLineAndReason)
{
    const std::string path = ui.dataFolder + "XMLToExcel.xml";
    try {
        TXMLToExcelControl control(ui);
        ADD_FAILURE() << "a missing control file was accepted";
    } catch (const XmlError& error) {
        EXPECT_EQ(error.what(), "Az XML fájl nem található: " + path);
    }

    WriteControl("<C>\n<DBItem ID=\"I\">\n</DBitem>\n</C>\n");
    try {
        TXMLToExcelControl control(ui);
        ADD_FAILURE() << "a malformed control file was accepted";
    } catch (const XmlError& error) {
        EXPECT_EQ(error.what(), "Hibás XML fájl: " + path + ", 3. sor: a(z) <DBItem> elem (2. sor) záró címkéje helyett </DBitem> áll");
    }
    EXPECT_FALSE(ui.document.Active());
}

TEST_F(ControlFileTest, AnEmptyModelLogsEveryTopLevelElementAsUnmatched)
{
    WriteControl("<Control/>");
    int book = AddBook("/books/a.xlsx", {"Invoices"});
    Map(book);
    Transfer(WriteData("data.xml", InvoiceData));
    EXPECT_EQ(ui.log, (std::vector<std::string>{"--- Invoice", "--- Invoice", "--- Summary"}));
    EXPECT_EQ(host->counters.writes, 0);
}

}  // namespace
