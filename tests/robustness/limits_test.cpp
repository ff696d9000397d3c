// Hostile files against the limits of the import and the export: each case either works
// or fails with a clear message, without a stack overflow and within bounded memory.

#include "shell/commanddrivers.h"
#include "export/exceltoxml.h"
#include "tests/import/importfixture.h"
#include "tests/export/tempfolder.h"
#include "export/textrules.h"
#include "common/xmldocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A failure message shows the whole text it was looked for in.
#define EXPECT_CONTAINS(text, part) EXPECT_NE((text).find(part), std::string::npos) << (text)

std::string Repeat(const std::string& part, size_t times)
{
    std::string text;
    text.reserve(part.size() * times);
    for (size_t i = 0; i < times; ++i)
        text += part;
    return text;
}

// open * depth + inner + close * depth: elements nested depth levels deep.
std::string Nested(const std::string& open, const std::string& inner, const std::string& close, size_t depth)
{
    return Repeat(open, depth) + inner + Repeat(close, depth);
}

// The message of the exception that call throws ("" when it throws none).
template <class Call>
std::string FailureOf(Call&& call)
{
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

// --- Import ---------------------------------------------------------------------

const std::string DeepLevels = "100000 levels";
constexpr size_t HostileDepth = 100000;

class ImportLimitsTest : public ImportTest {
protected:
    void SetUp() override
    {
        book = AddBook("/books/a.xlsx", {"Page"});
    }

    int book = 0;
};

TEST_F(ImportLimitsTest, DataNestedAHundredThousandLevelsIsRefusedWithTheFileNamed)
{
    WriteControl(R"(<C><DBItem ID="Item" Page="Page"><SubItem ID="a" Col="A"/></DBItem></C>)");
    Map(book);
    const std::string path =
        WriteData("deep.xml", "<Data><Item>" + Nested("<a>", "x", "</a>", HostileDepth) + "</Item></Data>");

    std::string message = FailureOf([&] { Transfer(path); });
    EXPECT_CONTAINS(message, "Hibás XML fájl: " + path);
    EXPECT_CONTAINS(message, "túl mélyen egymásba ágyazott elemek");
    EXPECT_EQ(CellCount(book, 2), 1u);  // the page name only
}

TEST_F(ImportLimitsTest, AControlFileNestedAHundredThousandLevelsIsRefused)
{
    WriteControl("<C><DBItem ID=\"Item\" Page=\"Page\">" +
                 Nested("<SubItem ID=\"a\" Col=\"A\">", "", "</SubItem>", HostileDepth) + "</DBItem></C>");

    std::string message = FailureOf([&] { Control(); });
    EXPECT_CONTAINS(message, "Hibás XML fájl: " + folder.WithSeparator() + ImportControlFileName);
    EXPECT_CONTAINS(message, "túl mélyen egymásba ágyazott elemek");
}

// Within the parser's depth limit the control model and the transfer follow the nesting
// to its end.
TEST_F(ImportLimitsTest, NestingWithinTheParserLimitIsFollowedToTheEnd)
{
    constexpr size_t depth = 200;
    WriteControl("<C><DBItem ID=\"Item\" Page=\"Page\">" +
                 Nested("<SubItem ID=\"a\">", "<SubItem ID=\"b\" Col=\"C\"/>", "</SubItem>", depth) + "</DBItem></C>");
    Map(book);
    Transfer(WriteData("deep.xml", "<Data><Item>" + Nested("<a>", "<b>end</b>", "</a>", depth) + "</Item></Data>"));

    EXPECT_EQ(Cell(book, 2, 6, 3), "end");
}

TEST_F(ImportLimitsTest, AnAttributeValueOfFiveMegabytesIsWrittenWhole)
{
    const std::string value(5 << 20, 'v');
    WriteControl(R"(<C><DBItem ID="Item" Page="Page"><Attribute ID="big" Col="B"/></DBItem></C>)");
    Map(book);
    Transfer(WriteData("big.xml", "<Data><Item big=\"" + value + "\"/></Data>"));

    EXPECT_EQ(Cell(book, 2, 6, 2), value);
}

// libxml2 takes at most 10,000,000 bytes for one attribute value or one text.
TEST_F(ImportLimitsTest, ValuesAndTextsBeyondTenMegabytesAreRefusedWithTheFileNamed)
{
    WriteControl(R"(<C><DBItem ID="Item" Page="Page"><Attribute ID="big" Col="B"/><SubItem ID="t" Col="C"/></DBItem></C>)");
    Map(book);
    const std::string huge(11'000'000, 'v');
    const std::string attribute = WriteData("attribute.xml", "<Data><Item big=\"" + huge + "\"/></Data>");
    const std::string text = WriteData("text.xml", "<Data><Item><t>" + huge + "</t></Item></Data>");

    std::string message = FailureOf([&] { Transfer(attribute); });
    EXPECT_CONTAINS(message, "Hibás XML fájl: " + attribute);
    EXPECT_CONTAINS(message, "túl hosszú attribútumérték");
    message = FailureOf([&] { Transfer(text); });
    EXPECT_CONTAINS(message, "Hibás XML fájl: " + text);
    EXPECT_CONTAINS(message, "túl hosszú szöveg");
    EXPECT_EQ(CellCount(book, 2), 1u);
}

TEST_F(ImportLimitsTest, HugeAttributeValuesInTheControlFile)
{
    const std::string id(5 << 20, 'i');
    WriteControl("<C><DBItem ID=\"" + id + "\" Page=\"Page\"/></C>");
    ASSERT_EQ(Control().DBItems.size(), 1u);
    EXPECT_EQ(Control().DBItems[0].ID, id);

    const std::string path = folder.WithSeparator() + ImportControlFileName;
    const std::pair<std::string, std::string> refused[] = {
        {"<C><DBItem ID=\"" + std::string(11'000'000, 'i') + "\" Page=\"Page\"/></C>", "túl hosszú attribútumérték"},
        // libxml2 also refuses a single start tag longer than its limit.
        {"<C><DBItem ID=\"" + id + "\" Page=\"" + id + "\"/></C>", "túl hosszú elem vagy érték"},
    };
    for (const auto& [text, reason] : refused) {
        control.reset();
        WriteControl(text);
        std::string message = FailureOf([&] { Control(); });
        EXPECT_CONTAINS(message, "Hibás XML fájl: " + path);
        EXPECT_CONTAINS(message, reason);
    }
}

// --- Export ---------------------------------------------------------------------

class ExportLimitsTest : public ::testing::Test {
protected:
    void SetUp() override { ui.dataFolder = folder.WithSeparator(); }

    // One data sheet under control.ini, the root Root, UTF-8 output to out.xml.
    int AddBook(const std::string& controlFile)
    {
        folder.Write("control.ini", controlFile);
        int book = host->AddWorkbook("/books/big.xlsx", {"Start", "Data"});
        host->SetText(book, 1, "A1", "Root");
        host->SetText(book, 1, "A2", folder.File("out.xml"));
        host->Set(book, 1, "A3", CellValue::FromNumber(0));
        host->SetText(book, 2, "A1", "control.ini");
        host->SetText(book, 2, "B1", "1.00");
        return book;
    }

    void Export() { RunExcelToXML(ui, [this] { return host; }); }

    TempFolder folder;
    FakeFrontend ui;
    std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
};

// Column letters A to ZZ, in order.
std::vector<std::string> AllColumns()
{
    std::vector<std::string> columns;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        columns.push_back(std::string(1, letter));
    for (char first = 'A'; first <= 'Z'; ++first)
        for (char second = 'A'; second <= 'Z'; ++second)
            columns.push_back(std::string{first, second});
    return columns;
}

TEST_F(ExportLimitsTest, TenThousandColumnsAreAllRead)
{
    const std::vector<std::string> letters = AllColumns();
    ASSERT_EQ(letters.size(), 702u);
    std::string cols;
    std::string mapping;
    for (size_t i = 0; i < 10000; ++i)
        cols += letters[i % letters.size()] + ";";
    for (const std::string& column : letters)
        mapping += column + "=BeginItem(C);Attribute(n=" + column + ");EndItem(C)\n";
    int book = AddBook("[MAIN]\nCOLS=" + cols + "\n[MAPPING]\n" + mapping);
    for (size_t column = 1; column <= letters.size(); ++column)
        host->Set(book, 2, 5, static_cast<int>(column), CellValue::FromText("x"));

    Export();

    ASSERT_TRUE(ui.failedWorkbooks.empty()) << ui.failedWorkbooks[0].text;
    const std::string written = folder.Read("out.xml");
    size_t elements = 0;
    for (size_t at = written.find("<C "); at != std::string::npos; at = written.find("<C ", at + 1))
        ++elements;
    EXPECT_EQ(elements, 10000u);
    EXPECT_NE(written.find("<C n=\"ZZ\"/>"), std::string::npos);
}

// A megabyte of COLS, and as many MAPPING keys, read in one pass each.
TEST_F(ExportLimitsTest, AMegabyteOfColsIsReadInFull)
{
    constexpr size_t parts = 1 << 19;  // "A;" 524,288 times: 1 MiB
    std::string mapping;
    for (size_t i = 0; i < parts / 8; ++i)
        mapping.append("K").append(std::to_string(i)).append("=Content\n");
    folder.Write("control.ini", "[MAIN]\nCOLS=" + Repeat("A;", parts) + "\n[MAPPING]\n" + mapping + "A=Content\n");

    TExcelToXML converter(ui);
    ASSERT_EQ(converter.ReadControlFile(folder.File("control.ini"), "1.00"), 0);
    ASSERT_EQ(converter.Columns.size(), parts);
    EXPECT_EQ(converter.Columns.back().Column, "A");
    ASSERT_EQ(converter.Columns.back().Commands.size(), 1u);
    EXPECT_EQ(converter.Columns.back().Commands[0].Kind, TCommandItem::Content);
}

TEST_F(ExportLimitsTest, AMegabyteLongMappingIsParsedInFull)
{
    constexpr size_t commands = 1 << 17;
    TExcelColItem column("A", Repeat("Content ;", commands) + "BeginItem(Last)");
    ASSERT_EQ(column.Commands.size(), commands + 1);
    EXPECT_EQ(column.Commands.back().Argument, "Last");
}

// The largest indent on many tags would make gigabytes; the export stops with a message
// naming the entry and writes nothing.
TEST_F(ExportLimitsTest, AHugeIndentOnABigTextFailsWithAClearMessage)
{
    int book = AddBook("[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Row);Content;EndItem(Row)\n[FORMAT]\nRow=-32768\n");
    for (int row = 5; row < 5 + 10000; ++row)
        host->Set(book, 2, row, 1, CellValue::FromText("x"));

    Export();

    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_CONTAINS(ui.failedWorkbooks[0].text, "A kimeneti szöveg túl hosszú lenne");
    EXPECT_CONTAINS(ui.failedWorkbooks[0].text, "\"Row\" elem [FORMAT] bejegyzése (-32768)");
    EXPECT_TRUE(ui.saveQuestions.empty());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"control.ini"});
}

TEST_F(ExportLimitsTest, TheLargestIndentOnAFewTagsIsLaidOut)
{
    TFormatItem format("Row", "32767");
    const std::string text = format.Apply("<Doc><Row/><Row>1</Row><Row>2</Row></Doc>");
    EXPECT_EQ(text, "<Doc><Row/>\n" + std::string(32767, '\t') + "<Row>1</Row>\n" + std::string(32767, '\t') +
                        "<Row>2</Row></Doc>");
}

TEST_F(ExportLimitsTest, ConstantTextsThatWouldGrowPastTheLimitFailWithAClearMessage)
{
    const std::string line(100000, 'c');
    folder.Write("control.ini", "[Big]\nLine0=" + line + "\nLine1=" + line + "\n");
    TExcelToXML converter(ui);
    converter.ControlFileName = folder.File("control.ini");

    const std::string few = Repeat("<CONSTANTTEXT>Big</CONSTANTTEXT>", 3);
    EXPECT_EQ(converter.ExpandConstantText(few), Repeat(line + line, 3));
    const std::string many = Repeat("<CONSTANTTEXT>Big</CONSTANTTEXT>", 2000);
    std::string message = FailureOf([&] { converter.ExpandConstantText(many); });
    EXPECT_CONTAINS(message, "A kimeneti szöveg túl hosszú lenne");
    EXPECT_CONTAINS(message, "[Big] állandó szöveg");
}

// Many markers in one text: each is dealt with once.
TEST_F(ExportLimitsTest, ManyConstantTextMarkersAreExpandedInOnePass)
{
    folder.Write("control.ini", "[F]\nLine0=f\n");
    TExcelToXML converter(ui);
    converter.ControlFileName = folder.File("control.ini");
    constexpr size_t markers = 200000;
    EXPECT_EQ(converter.ExpandConstantText(Repeat("<CONSTANTTEXT>F</CONSTANTTEXT>-", markers)), Repeat("f-", markers));
    EXPECT_EQ(converter.ExpandConstantText(Repeat("<CONSTANTTEXT>", markers) + "x"), "x");
}

// A mapping that goes one level deeper on every row builds a document 100,000 elements
// deep; it is written like any other.
TEST_F(ExportLimitsTest, ADocumentAHundredThousandLevelsDeepIsWritten)
{
    int book = AddBook("[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(X);BeginItem(Y)\n");
    constexpr int rows = 50000;
    for (int row = 5; row < 5 + rows; ++row)
        host->Set(book, 2, row, 1, CellValue::FromText("x"));

    Export();

    ASSERT_TRUE(ui.failedWorkbooks.empty()) << ui.failedWorkbooks[0].text;
    const std::string compact = std::string(Utf8Declaration) + "<Root>" + Repeat("<X><Y>", rows - 1) + "<X><Y/></X>" +
                                Repeat("</Y></X>", rows - 1) + "</Root>";
    EXPECT_EQ(folder.Read("out.xml"), ReplaceAll(compact, "><", ">\t<"));
}

}  // namespace
