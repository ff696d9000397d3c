// Transferring data files into worksheet rows.
#include "tests/import/importfixture.h"

#include <map>
#include <utility>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Lines = std::vector<std::string>;

// UTF-8 text as UTF-16LE bytes with a byte order mark (letters of the BMP only).
std::string Utf16Le(const std::string& utf8)
{
    std::string bytes = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        unsigned code = lead;
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        if (length == 2)
            code = ((lead & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
        else if (length == 3)
            code = ((lead & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
        bytes += static_cast<char>(code & 0xFF);
        bytes += static_cast<char>(code >> 8);
        i += length;
    }
    return bytes;
}

class TransferTest : public ImportTest {
protected:
    // One workbook "/books/a.xlsx" whose sheet 2 is the page "P".
    void OnePage(const std::string& control)
    {
        WriteControl(control);
        book = AddBook("/books/a.xlsx", {"P"});
        Map(book);
    }
    Rows Rows6(int last, int columns) const { return Table(book, 2, 6, last, columns); }

    int book = 0;
};

TEST_F(TransferTest, TheWorkedExampleFillsRowsSixToTen)
{
    WriteControl(InvoiceControl);
    book = AddBook("/books/invoices.xlsx", {"Invoices"});
    Map(book);
    Transfer(WriteData("invoices.xml", InvoiceData));
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_EQ(CellCount(book, 2), 13u);  // A1 and the twelve written cells, nothing else
    EXPECT_EQ(ui.log, (Lines{"Invoice Alpha", "Invoice Beta", "--- Summary"}));
    // The next invoice would start on sheet row 13.
    EXPECT_EQ(Control().DBItems[0].Row, 12);
    EXPECT_FALSE(ui.document.Active());
}

TEST_F(TransferTest, RowsCarryOnIntoTheNextFile)
{
    WriteControl(InvoiceControl);
    book = AddBook("/books/invoices.xlsx", {"Invoices"});
    Map(book);
    Transfer(WriteData("one.xml", InvoiceData));
    Transfer(WriteData("two.xml", R"(<I><Invoice no="3"><Customer>Gamma</Customer></Invoice></I>)"));
    EXPECT_EQ(Table(book, 2, 11, 13, 2), (Rows{{"", ""}, {"", ""}, {"3", "Gamma"}}));
    EXPECT_EQ(ui.log.back(), "Invoice Gamma");
}

TEST_F(TransferTest, NewRowWithTheValueNoStillMovesTheRow)
{
    OnePage(R"(<C><DBItem ID="E" Page="P"><SubItem ID="L" Col="A" NewRow="no"/></DBItem></C>)");
    Transfer(WriteData("d.xml", "<R><E><L>a</L><L>b</L></E><E><L>c</L></E></R>"));
    // a, b on their own rows; the DB item goes two past the row after b (8 + 2).
    EXPECT_EQ(Rows6(10, 1), (Rows{{"a"}, {"b"}, {""}, {""}, {"c"}}));
}

TEST_F(TransferTest, WithoutNewRowASecondElementOverwritesTheFirst)
{
    OnePage(R"(<C><DBItem ID="E" Page="P"><SubItem ID="L" Col="A"/></DBItem></C>)");
    Transfer(WriteData("d.xml", "<R><E><L>a</L><L>b</L></E><E><L>c</L></E></R>"));
    EXPECT_EQ(Rows6(8, 1), (Rows{{"b"}, {""}, {"c"}}));
}

TEST_F(TransferTest, ConditionAttributesSelectElements)
{
    struct Case {
        const char* condition;   // AttrID / AttrValue of the sub item
        const char* element;     // the data element
        bool written;
    };
    const Case cases[] = {
        {R"(AttrID="kind" AttrValue="home")", R"(<Phone kind="home">1</Phone>)", true},
        {R"(AttrID="kind" AttrValue="home")", R"(<Phone kind="Home">1</Phone>)", false},
        {R"(AttrID="kind" AttrValue="home")", R"(<Phone>1</Phone>)", false},
        {R"(AttrID="kind")", R"(<Phone kind="">1</Phone>)", true},
        {R"(AttrID="kind")", R"(<Phone kind="home">1</Phone>)", false},
        {R"(AttrID="kind")", R"(<Phone>1</Phone>)", false},
        {R"(AttrValue="home")", R"(<Phone>1</Phone>)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.condition) + " " + c.element);
        host = std::make_shared<MemoryHost>();
        app = TExcelApp(host, &ui);
        control.reset();
        OnePage(std::string(R"(<C><DBItem ID="E" Page="P"><SubItem ID="Phone" Col="B" NewRow="" )") + c.condition +
                R"(/><SubItem ID="Tail" Col="C"/></DBItem></C>)");
        Transfer(WriteData("d.xml", std::string("<R><E>") + c.element + "<Tail>t</Tail></E></R>"));
        // A match writes and moves Tail down a row; a refusal does neither.
        const Rows expected = c.written ? Rows{{"", "1", ""}, {"", "", "t"}} : Rows{{"", "", "t"}, {"", "", ""}};
        EXPECT_EQ(Rows6(7, 3), expected);
    }
}

TEST_F(TransferTest, ColIncrementRestartsOnEveryNewRow)
{
    OnePage(R"(<C><DBItem ID="E" Page="P">
        <SubItem ID="Line" NewRow=""><SubItem ID="Tag" Col="B" ColIncrement=""/></SubItem>
        </DBItem></C>)");
    Transfer(WriteData("d.xml", "<R><E><Line><Tag>a</Tag><Tag>b</Tag><Tag>c</Tag></Line><Line><Tag>d</Tag></Line></E></R>"));
    EXPECT_EQ(Rows6(7, 4), (Rows{{"", "a", "b", "c"}, {"", "d", "", ""}}));
}

TEST_F(TransferTest, TwoDBItemsWithTheSameIDBothWriteAndLog)
{
    WriteControl(R"(<C>
        <DBItem ID="E" Page="P"><SubItem ID="V" Col="A" Echo=""/></DBItem>
        <DBItem ID="E" Page="Q"><SubItem ID="V" Col="B"/></DBItem>
        </C>)");
    book = AddBook("/books/a.xlsx", {"P", "Q"});
    Map(book);
    Transfer(WriteData("d.xml", "<R><E><V>x</V></E></R>"));
    EXPECT_EQ(Cell(book, 2, 6, 1), "x");
    EXPECT_EQ(Cell(book, 3, 6, 2), "x");
    // EchoText is cleared for each DB item.
    EXPECT_EQ(ui.log, (Lines{"E x", "E "}));
}

TEST_F(TransferTest, TopLevelNodesWithoutAnItemAreLogged)
{
    OnePage(R"(<C><DBItem ID="E" Page="P"/><DBItem Page="P"/></C>)");
    Transfer(WriteData("d.xml", "<R>\r\n\t<E/>\r\n\t<Other/><!--c-->text<e/>\t</R>"));
    // Layout whitespace is passed over; other text and comments are logged by name.
    EXPECT_EQ(ui.log, (Lines{"E ", "--- Other", "--- #comment", "--- #text", "--- e"}));
    EXPECT_EQ(Control().DBItems[0].Row, 7);
}

TEST_F(TransferTest, AnElementWhosePageIsMissingIsLoggedAndNotWritten)
{
    WriteControl(R"(<C>
        <DBItem ID="Invoice" Page="Invoices"><SubItem ID="V" Col="A"/></DBItem>
        <DBItem ID="Person" Page="People"><SubItem ID="V" Col="A"/></DBItem>
        </C>)");
    book = AddBook("/books/a.xlsx", {"People"});
    Map(book);
    Transfer(WriteData("d.xml", "<R><Invoice><V>1</V></Invoice><Person><V>2</V></Person></R>"));
    EXPECT_EQ(ui.log, (Lines{MissingPageLine("Invoice", "Invoices"), "Person "}));
    EXPECT_EQ(ui.log[0], "Invoice: nincs \"Invoices\" lap (A1) a kijelölt munkafüzetekben, az elem kimaradt");
    EXPECT_EQ(Cell(book, 2, 6, 1), "2");
    EXPECT_EQ(CellCount(book, 2), 2u);
    EXPECT_EQ(Control().DBItems[0].Row, 5);
}

TEST_F(TransferTest, OnlyTextOnlyElementsGiveTextAndWhitespaceIsKept)
{
    OnePage(R"(<C><DBItem ID="E" Page="P">
        <SubItem ID="V" Col="A" NewRow=""><Attribute ID="a" Col="B"/></SubItem>
        </DBItem></C>)");
    Transfer(WriteData("d.xml", "<R><E>"
                                "<V a='1'>  two words \n</V>"
                                "<V a='2'><![CDATA[cdata]]></V>"
                                "<V a='3'>mixed<b/>text</V>"
                                "<V a='4'/>"
                                "<V a='5'>&lt;&amp;&#x151;</V>"
                                "<V a='6'> </V>"
                                "</E></R>"));
    EXPECT_EQ(Rows6(11, 2), (Rows{{"  two words \n", "1"}, {"", "2"}, {"", "3"}, {"", "4"}, {"<&ő", "5"}, {" ", "6"}}));
}

TEST_F(TransferTest, ANegativeColumnWritesNoTextButAttributesAndRows)
{
    OnePage(R"(<C><DBItem ID="E" Page="P">
        <SubItem ID="V" Col="1" NewRow=""><Attribute ID="a" Col="B"/></SubItem>
        </DBItem></C>)");
    Transfer(WriteData("d.xml", "<R><E><V a='x'>text</V><V a='y'>text</V></E></R>"));
    EXPECT_EQ(Rows6(7, 2), (Rows{{"", "x"}, {"", "y"}}));
}

TEST_F(TransferTest, DataFilesAreReadInTheEncodingTheyDeclare)
{
    const std::string text = "Ő ő Ű ű Á é";
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;  // what the cells get
    };
    const std::string latin2 = "\xD5 \xF5 \xDB \xFB \xC1 \xE9";  // the same letters in ISO-8859-2 and windows-1250
    // Bytes where the two differ: Š š ť in windows-1250 (in ISO-8859-2 they are controls).
    const std::string cp1250 = "\x8A \x9A \x9D";
    const Case cases[] = {
        {"utf-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?><R><E v=\"" + text + "\"><T>" + text + "</T></E></R>", text},
        {"utf-8 bom", "\xEF\xBB\xBF<R><E v=\"" + text + "\"><T>" + text + "</T></E></R>", text},
        {"iso-8859-2", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><R><E v=\"" + latin2 + "\"><T>" + latin2 +
                           "</T></E></R>", text},
        {"windows-1250", "<?xml version=\"1.0\" encoding=\"windows-1250\"?><R><E v=\"" + latin2 + "\"><T>" + latin2 +
                             "</T></E></R>", text},
        {"windows-1250 only", "<?xml version=\"1.0\" encoding=\"windows-1250\"?><R><E v=\"" + cp1250 + "\"><T>" +
                                  cp1250 + "</T></E></R>", "Š š ť"},
        {"utf-16", Utf16Le("<?xml version=\"1.0\" encoding=\"UTF-16\"?><R><E v=\"" + text + "\"><T>" + text +
                           "</T></E></R>"), text},
    };
    OnePage(R"(<C><DBItem ID="E" Page="P"><Attribute ID="v" Col="A"/><SubItem ID="T" Col="C"/></DBItem></C>)");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Transfer(WriteData("d.xml", c.bytes));
        int row = Control().DBItems[0].Row - 1;  // the sheet row the element went to
        EXPECT_EQ(Cell(book, 2, row, 1), c.text);
        EXPECT_EQ(Cell(book, 2, row, 3), c.text);
    }
    EXPECT_EQ(ui.log, Lines(std::size(cases), "E "));
}

TEST_F(TransferTest, AMalformedFileEndsTheImportAndKeepsEarlierCells)
{
    WriteControl(InvoiceControl);
    book = AddBook("/books/invoices.xlsx", {"Invoices"});
    Map(book);
    Transfer(WriteData("good.xml", InvoiceData));
    const std::string bad = WriteData("bad.xml", "<Invoices>\n<Invoice no=\"3\">\n<Customer>Gamma</Invoice>\n</Invoices>");
    try {
        Transfer(bad);
        ADD_FAILURE() << "a malformed file was accepted";
    } catch (const XmlError& error) {
        EXPECT_EQ(error.what(),
                  "Hibás XML fájl: " + bad + ", 3. sor: a(z) <Customer> elem (3. sor) záró címkéje helyett </Invoice> áll");
    }
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_FALSE(ui.document.Active());

    const std::string missing = folder.WithSeparator() + "missing.xml";
    try {
        Transfer(missing);
        ADD_FAILURE() << "a missing file was accepted";
    } catch (const XmlError& error) {
        EXPECT_EQ(error.what(), "Az XML fájl nem található: " + missing);
    }
}

TEST_F(TransferTest, AFailingCellWriteEndsTheImportAndKeepsEarlierCells)
{
    WriteControl(InvoiceControl);
    book = AddBook("/books/invoices.xlsx", {"Invoices"});
    Map(book);
    host->failures.failWriteAfter = 3;
    const std::string path = WriteData("d.xml", InvoiceData);
    try {
        Transfer(path);
        ADD_FAILURE() << "a failing write was not reported";
    } catch (const HostError& error) {
        EXPECT_EQ(error.what(), "Az importálás megszakadt: " + path + ", 3. sor (Invoice): write failure (test switch)");
    }
    EXPECT_EQ(Table(book, 2, 6, 6, 4), (Rows{{"1", "Alpha", "X", ""}}));
    EXPECT_FALSE(ui.document.Active());
}

// Element text is the whole text with the document's own entities expanded, as in
// attribute values; an entity that is never read adds nothing and the rest stays.
TEST_F(TransferTest, EntitiesInElementTextAreExpanded)
{
    OnePage(R"(<C><DBItem ID="E" Page="P"><SubItem ID="V" Col="A" Echo=""/></DBItem></C>)");
    const std::pair<const char*, const char*> cases[] = {
        {"Alfa &co; B\xC3\xA9ta", "Alfa Kft. B\xC3\xA9ta"},
        {"&co;", "Kft."},
        {"&full; &amp; &#66;&co;", "Alfa Kft. & BKft."},
        {"x &ext; y", "x  y"},
        {"a&none;b", "ab"},
        {"&markup;", ""},         // holds an element: no text, as for <b> written out
        {"a<![CDATA[b]]>", ""},   // a CDATA section does not count
        {"plain", "plain"},
    };
    std::string data = "<?xml version=\"1.0\"?>\n<!DOCTYPE R [\n<!ENTITY co \"Kft.\">\n<!ENTITY full \"Alfa &co;\">\n"
                       "<!ENTITY ext SYSTEM \"missing.txt\">\n<!ENTITY markup \"<b>x</b>\">\n<!ENTITY none \"\">\n]>\n<R>";
    Rows expected;
    Lines log;
    for (const auto& [text, cell] : cases) {
        data += std::string("<E><V>") + text + "</V></E>\n";
        expected.push_back({cell});
        expected.push_back({""});
        log.push_back(std::string("E ") + cell);
    }
    Transfer(WriteData("entities.xml", data + "</R>"));
    expected.pop_back();
    EXPECT_EQ(Rows6(6 + 2 * static_cast<int>(std::size(cases)) - 2, 1), expected);
    EXPECT_EQ(ui.log, log);

    // An undefined entity (the document's type is declared elsewhere and not read).
    Transfer(WriteData("undefined.xml", "<!DOCTYPE R SYSTEM \"elsewhere.dtd\"><R><E><V>x &undefined; y</V></E></R>"));
    EXPECT_EQ(ui.log.back(), "E x  y");

    // The expansion is bounded as for attribute values.
    std::string refs;
    for (int i = 0; i < 200; ++i)
        refs += "&big;";
    const std::string quadratic = WriteData("quadratic.xml", "<!DOCTYPE R [<!ENTITY big \"" + std::string(100000, 'x') +
                                                                 "\">]>\n<R>\n<E><V>" + refs + "</V></E></R>");
    try {
        Transfer(quadratic);
        ADD_FAILURE() << "a quadratic blowup was accepted";
    } catch (const XmlError& error) {
        EXPECT_EQ(error.what(), "Hibás XML fájl: " + quadratic +
                                    ", 3. sor: a(z) \"V\" elem szövege az entitások kifejtése után túl hosszú");
    }
}

TEST_F(TransferTest, AStopEndsTheFileBeforeTheNextElementAndKeepsEarlierOnes)
{
    WriteControl(InvoiceControl);
    book = AddBook("/books/invoices.xlsx", {"Invoices"});
    Map(book);
    // The root's children: blank, Invoice 1, blank, Invoice 2, ...; the stop comes
    // before Invoice 2.
    ui.stopAtProcessMessages = 4;
    EXPECT_THROW(Transfer(WriteData("d.xml", InvoiceData)), CommandCancelled);
    EXPECT_EQ(Table(book, 2, 6, 10, 6),
              (Rows{InvoiceTable[0], InvoiceTable[1], InvoiceTable[2], Rows::value_type(6), Rows::value_type(6)}));
    EXPECT_EQ(ui.log, (std::vector<std::string>{"Invoice Alpha"}));
    EXPECT_FALSE(ui.document.Active());
}

// A host that writes faster into empty cells has the cells a file rewrites emptied
// first; every cell ends as it would without that, and cells the file does not write
// (old rows it no longer reaches, the user's own cells) are never touched.
class RewriteTest : public TransferTest {
protected:
    using Cells = std::map<std::pair<int, int>, CellValue>;

    // The second file: fewer lines and notes than the first, so that old cells stay.
    static constexpr const char* Shorter = R"(<Invoices>
  <Invoice no="7"><Customer>Gamma</Customer><Line><Product>Q</Product><Qty>9</Qty></Line></Invoice>
  <Invoice no="8"><Customer>Delta</Customer><Note>late</Note></Invoice>
</Invoices>)";

    // On a fresh host: imports InvoiceData, adds cells of the user's own, then imports
    // second from row 6 again, as a later command would, stopped at its stopAt-th
    // message check, or interrupted from its interruptAt-th log line (0: not stopped).
    // Returns the data sheet's cells.
    Cells Rewrite(bool fasterIntoEmptyCells, const std::string& second, int stopAt = 0, int interruptAt = 0,
                  const std::string& first = InvoiceData)
    {
        host = std::make_shared<MemoryHost>();
        app = TExcelApp{host, &ui};
        control.reset();
        ui.log.clear();
        WriteControl(InvoiceControl);
        book = AddBook("/books/invoices.xlsx", {"Invoices"});
        Map(book);
        Transfer(WriteData("first.xml", first));
        host->SetText(book, 2, "A9", "between the invoices");
        host->SetText(book, 2, "F6", "beside a row");
        host->SetText(book, 2, "B30", "far below");
        host->fasterIntoEmptyCells = fasterIntoEmptyCells;
        host->failures.lockedCell = lockedInSecond;
        control.reset();
        Map(book);
        ui.stopAtProcessMessages = stopAt ? ui.processMessagesCalls + stopAt : 0;
        ui.interruptFromLogLine = interruptAt ? static_cast<int>(ui.log.size()) + interruptAt : 0;
        try {
            Transfer(WriteData("second.xml", second));
        } catch (const std::runtime_error&) {  // a stop or an interrupt
            ui.interruptFromLogLine = 0;
            ui.log.push_back("(stopped)");
        }
        ui.interruptFromLogLine = 0;
        return host->workbooks.at(book - 1).sheets.at(1).cells;
    }

    std::pair<int, int> lockedInSecond{0, 0};  // (row, column) refused in the second import
};

TEST_F(RewriteTest, EmptiedAheadTheCellsEndAsWrittenOver)
{
    for (const std::string& second : {InvoiceData, std::string(Shorter)}) {
        SCOPED_TRACE(second);
        Cells expected = Rewrite(false, second);
        Lines expectedLog = ui.log;
        int expectedRow = Control().DBItems[0].Row;
        EXPECT_EQ(Rewrite(true, second), expected);
        EXPECT_GT(host->counters.emptiedCells, 0);
        EXPECT_EQ(ui.log, expectedLog);
        EXPECT_EQ(Control().DBItems[0].Row, expectedRow);
    }

    // A cell the host refuses: nothing is emptied in its sheet, and the import ends
    // at it as it would otherwise, the cells after it untouched.
    lockedInSecond = {9, 2};
    Cells expected = Rewrite(false, Shorter);
    Lines expectedLog = ui.log;
    EXPECT_EQ(expectedLog.back(), "(stopped)");
    EXPECT_EQ(Rewrite(true, Shorter), expected);
    EXPECT_EQ(host->counters.emptiedCells, 0);
    EXPECT_EQ(ui.log, expectedLog);
}

TEST_F(RewriteTest, IntoEmptyRowsTheFileIsReadOnce)
{
    WriteControl(InvoiceControl);
    book = AddBook("/books/invoices.xlsx", {"Invoices"});
    host->fasterIntoEmptyCells = true;
    Map(book);
    int before = ui.processMessagesCalls;
    Transfer(WriteData("d.xml", InvoiceData));
    EXPECT_EQ(Table(book, 2, 6, 10, 6), InvoiceTable);
    EXPECT_EQ(host->counters.emptiedCells, 0);
    EXPECT_EQ(ui.processMessagesCalls - before, 7);  // the root's seven children, once
}

// The second file's root has five children: the survey checks for messages five
// times, then the writes five times. Once cells have been emptied a stop or an
// interrupt ends the import after the file, so that none of them stays empty; a stop
// during the survey leaves the sheet as it was.
TEST_F(RewriteTest, AStopNeverLeavesEmptiedCellsEmpty)
{
    const Cells before = Rewrite(false, "<Invoices/>");
    const Cells after = Rewrite(false, Shorter);
    const Lines afterLog = ui.log;

    EXPECT_EQ(Rewrite(true, Shorter, 2), before);
    EXPECT_EQ(host->counters.emptiedCells, 0);
    EXPECT_EQ(ui.log.back(), "(stopped)");

    EXPECT_EQ(Rewrite(true, Shorter, 5 + 2), after);
    EXPECT_GT(host->counters.emptiedCells, 0);
    Lines log = afterLog;
    log.push_back("(stopped)");
    EXPECT_EQ(ui.log, log);

}

// The command line is interrupted from its log, whose lines wait for their cells: with
// 48,000 writes the first lines come after the first cells have been sent.
TEST_F(RewriteTest, AnInterruptNeverLeavesEmptiedCellsEmpty)
{
    auto invoices = [](const std::string& customer, const std::string& product, const std::string& qty) {
        std::string data = "<Invoices>";
        for (int i = 1; i <= 12000; ++i)
            data += "<Invoice no=\"" + std::to_string(i) + "\"><Customer>" + customer + "</Customer><Line><Product>" +
                    product + "</Product><Qty>" + qty + "</Qty></Line></Invoice>\n";
        return data + "</Invoices>";
    };
    const std::string first = invoices("Old", "P", "1"), second = invoices("New", "Q", "2");
    const Cells after = Rewrite(false, second, 0, 0, first);

    EXPECT_EQ(Rewrite(true, second, 0, 1, first), after);
    EXPECT_GT(host->counters.emptiedCells, 0);
    EXPECT_EQ(ui.log.back(), "(stopped)");
    // Without cells emptied ahead the interrupt ends the file where it comes.
    EXPECT_NE(Rewrite(false, second, 0, 1, first), after);
}

// Hostile data files: the parser reads nothing outside the file and expands no
// entity beyond bounds.
TEST_F(TransferTest, AnExternalEntityIsNotRead)
{
    const std::string secret = WriteData("secret.txt", "top secret");
    OnePage(R"(<C><DBItem ID="E" Page="P"><SubItem ID="V" Col="A"/><Attribute ID="a" Col="B"/></DBItem></C>)");
    Transfer(WriteData("d.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE R [\n<!ENTITY x SYSTEM \"file://" + secret +
                                    "\">\n<!ENTITY y SYSTEM \"" + secret + "\">\n]>\n"
                                    "<R><E a=\"plain\"><V>&x;</V><V>&y;</V></E></R>"));
    EXPECT_EQ(Rows6(6, 2), (Rows{{"", "plain"}}));
    EXPECT_EQ(ui.log, Lines{"E "});

    // An external document type is not loaded either (its default attribute would show).
    WriteData("defaults.dtd", "<!ATTLIST E a CDATA \"from the dtd\">");
    Transfer(WriteData("d2.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE R SYSTEM \"defaults.dtd\">\n<R><E/></R>"));
    EXPECT_EQ(Cell(book, 2, 8, 2), "");
}

TEST_F(TransferTest, EntityBombsFailCleanly)
{
    OnePage(R"(<C><DBItem ID="E" Page="P"><SubItem ID="V" Col="A"/><Attribute ID="a" Col="B"/></DBItem></C>)");
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE R [\n<!ENTITY l0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        laughs += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += "&l" + std::to_string(level - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<R><E a=\"&l9;\"><V>&l9;</V></E></R>";
    const std::string billion = WriteData("laughs.xml", laughs);
    EXPECT_THROW(
        {
            try {
                Transfer(billion);
            } catch (const XmlError& error) {
                EXPECT_NE(std::string(error.what()).find("Hibás XML fájl: " + billion + ", "), std::string::npos);
                throw;
            }
        },
        XmlError);

    // One big entity repeated: harmless to the parser, bounded when the value is built.
    const std::string quadratic =
        WriteData("quadratic.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE R [<!ENTITY big \"" + std::string(100000, 'x') +
                                       "\">]>\n<R>\n<E a=\"" + [] {
                                           std::string refs;
                                           for (int i = 0; i < 200; ++i)
                                               refs += "&big;";
                                           return refs;
                                       }() + "\"/></R>");
    try {
        Transfer(quadratic);
        ADD_FAILURE() << "a quadratic blowup was accepted";
    } catch (const XmlError& error) {
        EXPECT_EQ(error.what(), "Hibás XML fájl: " + quadratic +
                                    ", 4. sor: a(z) \"a\" attribútum értéke az entitások kifejtése után túl hosszú");
    }
    EXPECT_EQ(host->counters.writes, 0);

    // Small internal entities are still expanded in attribute values.
    Transfer(WriteData("small.xml", "<!DOCTYPE R [<!ENTITY co \"Korvex Kft.\">]><R><E a=\"&co; &amp; co\"/></R>"));
    EXPECT_EQ(Cell(book, 2, 6, 2), "Korvex Kft. & co");
}

}  // namespace
