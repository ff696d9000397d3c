// Data files measured against the schema the import control file names, before any
// of their elements reaches a worksheet.
#include "shell/commanddrivers.h"
#include "import/datafilecheck.h"
#include "tests/import/importfixture.h"

namespace {

using Lines = std::vector<std::string>;

// Invoices whose Qty is an integer and whose Summary is optional.
const std::string InvoiceXsd = R"(<?xml version="1.0" encoding="utf-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="Invoices"><xs:complexType><xs:sequence>
    <xs:element name="Invoice" maxOccurs="unbounded"><xs:complexType>
      <xs:sequence>
        <xs:element name="Customer" type="xs:string"/>
        <xs:element name="Line" maxOccurs="unbounded"><xs:complexType><xs:sequence>
          <xs:element name="Product" type="xs:string"/>
          <xs:element name="Qty" type="xs:integer"/>
        </xs:sequence></xs:complexType></xs:element>
        <xs:element name="Note" type="xs:string" minOccurs="0" maxOccurs="unbounded"/>
      </xs:sequence>
      <xs:attribute name="no" type="xs:integer" use="required"/>
    </xs:complexType></xs:element>
    <xs:element name="Summary" minOccurs="0"/>
  </xs:sequence></xs:complexType></xs:element>
</xs:schema>
)";

std::string ControlWithSchema(const std::string& schema)
{
    std::string control = InvoiceControl;
    control.replace(control.find("<Control>"), 9, "<Control Schema=\"" + schema + "\">");
    return control;
}

class ImportSchemaTest : public ImportTest {
protected:
    void SetUp() override { folder.Write("invoices.xsd", InvoiceXsd); }
    HostConnector Connect()
    {
        return [host = host] { return host; };
    }
};

TEST_F(ImportSchemaTest, AValidFileIsTransferredAsBefore)
{
    WriteControl(ControlWithSchema("invoices.xsd"));
    int book = AddBook("/books/invoices.xlsx", {"Invoices"});
    ui.dataFiles = {WriteData("invoices.xml", InvoiceData)};
    RunXMLToExcel(ui, Connect());
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_EQ(ui.log.back(), "*** End ***");
}

TEST_F(ImportSchemaTest, AnInvalidFileIsReportedWithItsLinesAndNotTransferred)
{
    WriteControl(ControlWithSchema("invoices.xsd"));
    int book = AddBook("/books/invoices.xlsx", {"Invoices"});
    std::string bad = InvoiceData;
    bad.replace(bad.find("<Qty>3</Qty>"), 12, "<Qty>három</Qty>");  // line 6
    bad.replace(bad.find("<Invoice no=\"2\">"), 16, "<Invoice>");       // line 10
    ui.dataFiles = {WriteData("good.xml", InvoiceData), WriteData("bad.xml", bad), WriteData("later.xml", InvoiceData)};
    try {
        RunXMLToExcel(ui, Connect());
        ADD_FAILURE() << "the invalid file was accepted";
    } catch (const ImportError& error) {
        std::string text = error.what();
        EXPECT_NE(text.find("2 helyen nem felel meg a sémának"), std::string::npos) << text;
        EXPECT_NE(text.find(ui.dataFiles[1]), std::string::npos) << text;
        EXPECT_NE(text.find("\n  6. sor: \"három\" nem érvényes integer érték ["), std::string::npos) << text;
        EXPECT_NE(text.find("\n  10. sor: hiányzik a kötelező \"no\" attribútum ["), std::string::npos) << text;
    }
    // The good file went in; nothing of the bad one nor of the one after it.
    EXPECT_EQ(ui.log, (Lines{ui.dataFiles[0], "Invoice Alpha", "Invoice Beta", "--- Summary", ui.dataFiles[1]}));
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_EQ(CellCount(book, 2), 13u);
}

TEST_F(ImportSchemaTest, AMalformedFileIsReportedWithItsLine)
{
    TXmlSchema schema(folder.Write("invoices.xsd", InvoiceXsd));
    std::string path = WriteData("bad.xml", "<Invoices>\n<Invoice no='1'>\n</Invoices>\n");
    try {
        CheckDataFile(schema, path);
        ADD_FAILURE() << "a malformed file was accepted";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("\n  3. sor: "), std::string::npos) << error.what();
    }
}

TEST_F(ImportSchemaTest, AControlFileWithoutSchemaChecksNothing)
{
    WriteControl(InvoiceControl);
    int book = AddBook("/books/invoices.xlsx", {"Invoices"});
    ui.dataFiles = {WriteData("odd.xml", "<Invoices><Invoice no='x'><Customer>A</Customer></Invoice></Invoices>")};
    RunXMLToExcel(ui, Connect());
    EXPECT_EQ(Table(book, 2, 6, 6, 2), (std::vector<std::vector<std::string>>{{"x", "A"}}));
}

TEST_F(ImportSchemaTest, AMissingOrOutsideSchemaEndsTheCommandBeforeAnyCell)
{
    for (std::string name : {"missing.xsd", "../invoices.xsd"}) {
        SCOPED_TRACE(name);
        WriteControl(ControlWithSchema(name));
        AddBook("/books/invoices.xlsx", {"Invoices"});
        ui.dataFiles = {WriteData("invoices.xml", InvoiceData)};
        EXPECT_ANY_THROW(RunXMLToExcel(ui, Connect()));
        EXPECT_EQ(host->counters.writes, 0);
    }
}

}  // namespace
