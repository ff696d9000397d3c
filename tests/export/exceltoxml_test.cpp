#include "export/exceltoxml.h"

#include "shell/commanddrivers.h"
#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"
#include "tests/export/tempfolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string PersonsIni =
    "[MAIN]\r\n"
    "VERSION=1.00\r\n"
    "COLS=A;B\r\n"
    "[MAPPING]\r\n"
    "A=EndItem(Person);BeginItem(Person);Attribute(name)\r\n"
    "B=BeginItem(Born);Content;EndItem(Born)\r\n"
    "[FORMAT]\r\n"
    "Person=1\r\n";

const std::string WorkedExampleBytes =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Export>\r\n"
    "\t<Person name=\"Ash\">\t<Born>1970</Born>\t</Person>\r\n"
    "\t<Person name=\"Elm\"/>\t</Export>";

// The version warning: the control file's path as caption.
std::vector<FakeFrontend::Shown> Mismatch(const std::string& path)
{
    return {{path, "Eltérő verziójú vezérlőfájl!"}};
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui.dataFolder = folder.WithSeparator();
        host = std::make_shared<MemoryHost>();
    }

    // A workbook whose first sheet names root, output file and encoding, followed by
    // data sheets named after their control files.
    int AddBook(const std::string& name, const std::string& root, const std::string& output, CellValue encoding,
                const std::vector<std::string>& controlFiles)
    {
        std::vector<std::string> sheets{"Start"};
        for (size_t i = 0; i < controlFiles.size(); ++i)
            sheets.push_back("Data" + std::to_string(i + 1));
        int book = host->AddWorkbook(name, sheets);
        host->SetText(book, 1, "A1", root);
        host->SetText(book, 1, "A2", output.empty() ? "" : folder.File(output));
        host->Set(book, 1, "A3", encoding);
        for (size_t i = 0; i < controlFiles.size(); ++i) {
            host->SetText(book, static_cast<int>(i) + 2, "A1", controlFiles[i]);
            host->SetText(book, static_cast<int>(i) + 2, "B1", "1.00");
        }
        return book;
    }

    int AddWorkedExample(const std::string& name = "/books/example.xlsx", const std::string& output = "export.xml")
    {
        folder.Write("persons.ini", PersonsIni);
        int book = AddBook(name, "Export", output, CellValue::FromNumber(0), {"persons.ini"});
        host->workbooks[book - 1].sheets[1].name = "Persons";
        host->SetText(book, 2, "A5", "Ash");
        host->Set(book, 2, "B5", CellValue::FromNumber(1970));
        host->SetText(book, 2, "A6", "Elm");
        return book;
    }

    // A one-sheet mapping "A=<mapping>" with the given cells of column A.
    int AddColumnBook(const std::string& mapping, const std::vector<std::pair<int, std::string>>& cells,
                      CellValue encoding = CellValue::FromNumber(0), const std::string& extra = "")
    {
        folder.Write("column.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=" + mapping + "\n" + extra);
        int book = AddBook("/books/column.xlsx", "Root", "out.xml", encoding, {"column.ini"});
        for (const auto& [row, text] : cells)
            host->SetText(book, 2, "A" + std::to_string(row), text);
        return book;
    }

    void Convert(int book)
    {
        TExcelApp app(host, &ui);
        TExcelToXML converter(ui);
        converter.Convert(app, host->workbooks[book - 1].fullName, book);
    }

    HostConnector Connector()
    {
        return [host = host]() -> std::shared_ptr<HostBackend> { return host; };
    }

    // The data rows read from the last sheet, as the row panel showed them.
    std::vector<int> RowsRead() const
    {
        std::vector<int> rows;
        for (const auto& [panel, text] : ui.statusHistory)
            if (panel == 2)
                rows.push_back(std::stoi(text));
        return rows;
    }

    TempFolder folder;
    FakeFrontend ui;
    std::shared_ptr<MemoryHost> host;
};

TEST_F(ExportTest, WorkedExampleGivesTheThreeLines)
{
    Convert(AddWorkedExample());
    EXPECT_EQ(folder.Read("export.xml"), WorkedExampleBytes);
    EXPECT_EQ(ui.saveQuestions, std::vector<std::string>{folder.File("export.xml")});
    EXPECT_EQ(ui.log, (std::vector<std::string>{"<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Export>",
                                                "\t<Person name=\"Ash\">\t<Born>1970</Born>\t</Person>",
                                                "\t<Person name=\"Elm\"/>\t</Export>"}));
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_EQ(ui.status[1], "Persons");
    EXPECT_EQ(RowsRead().back(), 16);
    EXPECT_FALSE(ui.document.Active());
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"export.xml", "persons.ini"}));
}

TEST_F(ExportTest, WorkedExampleThroughTheCommand)
{
    AddWorkedExample();
    RunExcelToXML(ui, Connector());
    EXPECT_EQ(folder.Read("export.xml"), WorkedExampleBytes);
    EXPECT_TRUE(ui.failedWorkbooks.empty());
    EXPECT_FALSE(ui.busy);
}

TEST_F(ExportTest, ReplacesAnEarlierFile)
{
    folder.Write("export.xml", "an older, longer content that must disappear entirely");
    Convert(AddWorkedExample());
    EXPECT_EQ(folder.Read("export.xml"), WorkedExampleBytes);
}

TEST_F(ExportTest, CancelledSaveDialogWritesNothingButShowsTheText)
{
    ui.saveAnswers.push_back(std::nullopt);
    Convert(AddWorkedExample());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"persons.ini"});
    EXPECT_EQ(ui.log.size(), 3u);
}

TEST_F(ExportTest, TheSaveDialogChoiceIsWhereTheFileGoes)
{
    ui.saveAnswers.push_back(folder.File("chosen.xml"));
    Convert(AddWorkedExample());
    EXPECT_EQ(folder.Read("chosen.xml"), WorkedExampleBytes);
    EXPECT_FALSE(std::filesystem::exists(folder.File("export.xml")));
}

TEST_F(ExportTest, AWorkbookWithOneSheetDoesNothing)
{
    int book = host->AddWorkbook("/books/single.xlsx", {"Only"});
    host->SetText(book, 1, "A3", "not a number");
    EXPECT_NO_THROW(Convert(book));
    EXPECT_TRUE(ui.saveQuestions.empty());
    EXPECT_TRUE(ui.log.empty());
}

struct GapCase {
    int gapRows;
    bool laterRowRead;
};

class EmptyRowsTest : public ExportTest, public ::testing::WithParamInterface<GapCase> {};

TEST_P(EmptyRowsTest, TenEmptyRowsEndTheScan)
{
    std::vector<std::pair<int, std::string>> cells;
    for (int row = 5; row <= 20; ++row)
        cells.emplace_back(row, "r");
    int later = 21 + GetParam().gapRows;
    cells.emplace_back(later, "later");
    Convert(AddColumnBook("BeginItem(Row);Content;EndItem(Row)", cells));
    std::string text = folder.Read("out.xml");
    EXPECT_EQ(text.find("later") != std::string::npos, GetParam().laterRowRead) << text;
    EXPECT_EQ(RowsRead().back(), GetParam().laterRowRead ? later + 10 : 30);
}

INSTANTIATE_TEST_SUITE_P(Gaps, EmptyRowsTest, ::testing::Values(GapCase{9, true}, GapCase{10, false}));

TEST_F(ExportTest, ASheetWithoutColumnsReadsRowsFiveToFourteen)
{
    folder.Write("nothing.ini", "[MAIN]\nVERSION=1.00\n");
    Convert(AddBook("/books/n.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"nothing.ini"}));
    EXPECT_EQ(RowsRead(), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root/>");
}

TEST_F(ExportTest, AColumnWithoutKnownCommandsStillKeepsTheRowNonEmpty)
{
    folder.Write("two.ini", "[MAIN]\nCOLS=A;B\n[MAPPING]\nA=BeginItem(Row);Content;EndItem(Row)\n");
    int book = AddBook("/books/two.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"two.ini"});
    host->SetText(book, 2, "A5", "first");
    host->SetText(book, 2, "B10", "only B");  // B has no mapping: its letters name no command
    host->SetText(book, 2, "B19", "only B");
    host->SetText(book, 2, "A28", "last");
    Convert(book);
    EXPECT_EQ(folder.Read("out.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<Row>first</Row>\t<Row>last</Row>\t</Root>");
}

TEST_F(ExportTest, EndItemNamingTheRootDoesNotLeaveTheDocument)
{
    // Without a stop at the root, the cursor would leave the document element and the
    // next BeginItem would try to add a second root.
    Convert(AddColumnBook("EndItem(Root);EndItem(Root);BeginItem(Item);Content;EndItem(Item);EndItem(Root)",
                          {{5, "x"}, {6, "y"}}));
    EXPECT_EQ(folder.Read("out.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<Item>x</Item>\t<Item>y</Item>\t</Root>");
}

TEST_F(ExportTest, TheWalkBackStopsAtAnElementWithTheRootName)
{
    folder.Write("deep.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Inner);BeginItem(Root);BeginItem(Leaf)\n");
    folder.Write("next.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Next)\n");
    int book = AddBook("/books/deep.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"deep.ini", "next.ini"});
    host->SetText(book, 2, "A5", "x");
    host->SetText(book, 3, "A5", "y");
    Convert(book);
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<Inner>\t<Root>\t<Leaf/>\t"
                                      "<Next/>\t</Root>\t</Inner>\t</Root>");
}

TEST_F(ExportTest, TheCursorCarriesOverToTheNextSheetFromTheRoot)
{
    folder.Write("open.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Open);BeginItem(Deeper)\n");
    folder.Write("next.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Next)\n");
    int book = AddBook("/books/w.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"open.ini", "next.ini"});
    host->SetText(book, 2, "A5", "x");
    host->SetText(book, 3, "A5", "y");
    Convert(book);
    EXPECT_EQ(folder.Read("out.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<Open>\t<Deeper/>\t</Open>\t<Next/>\t</Root>");
}

TEST_F(ExportTest, Iso88592OutputHoldsHungarianLettersAndQuestionMarks)
{
    Convert(AddColumnBook("BeginItem(T);Content;Attribute(a);EndItem(T)", {{5, "őűŐŰ α"}}, CellValue::FromNumber(1)));
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\t<Root>\t"
                                      "<T a=\"\xF5\xFB\xD5\xDB ?\">\xF5\xFB\xD5\xDB ?</T>\t</Root>");
    // The log shows the same text as the file holds.
    EXPECT_EQ(ui.log, std::vector<std::string>{"<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\t<Root>\t"
                                               "<T a=\"őűŐŰ ?\">őűŐŰ ?</T>\t</Root>"});
}

TEST_F(ExportTest, AnIso88592FileChangesOnlyTheExactUtf8Declaration)
{
    const std::string extra = "[Decl]\nLine0=<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    Convert(AddColumnBook("BeginItem(CONSTANTTEXT);Content;EndItem(CONSTANTTEXT)", {{5, "Decl"}},
                          CellValue::FromText("2"), extra));
    EXPECT_EQ(folder.Read("out.xml"), "<Root>\t<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\t</Root>");
}

TEST_F(ExportTest, ACharacterBeyondTheBasicPlaneIsFourUtf8Bytes)
{
    Convert(AddColumnBook("BeginItem(T);Content;EndItem(T)", {{5, "\xF0\x9F\x98\x80"}}));
    EXPECT_EQ(folder.Read("out.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<T>\xF0\x9F\x98\x80</T>\t</Root>");
}

TEST_F(ExportTest, MarkupCharactersAreEscaped)
{
    Convert(AddColumnBook("BeginItem(T);Content;Attribute(v);EndItem(T)", {{5, "<a & \"b\">"}}));
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t"
                                      "<T v=\"&lt;a &amp; &quot;b&quot;&gt;\">&lt;a &amp; \"b\"&gt;</T>\t</Root>");
}

TEST_F(ExportTest, ConstantTextReplacesTheElement)
{
    const std::string extra = "[Footer]\nLine0=<X>a\nLine1=</X>\nLine3=never\n[FORMAT]\nX=1\n";
    Convert(AddColumnBook("BeginItem(CONSTANTTEXT);Content;EndItem(CONSTANTTEXT)", {{5, "Footer"}},
                          CellValue::FromNumber(0), extra));
    // The inserted lines are seen by the format items and the passes like the rest.
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\r\n\t<X>a</X>\t</Root>");
}

TEST_F(ExportTest, VersionMismatchSkipsTheSheetWithAWarning)
{
    folder.Write("old.ini", "[MAIN]\nVERSION=2.00\nCOLS=A\n[MAPPING]\nA=BeginItem(Old)\n");
    folder.Write("new.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(New)\n");
    int book = AddBook("/books/v.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"old.ini", "new.ini"});
    host->SetText(book, 2, "A5", "x");
    host->SetText(book, 3, "A5", "y");
    Convert(book);
    EXPECT_EQ(ui.warnings, Mismatch(folder.File("old.ini")));
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<New/>\t</Root>");
}

TEST_F(ExportTest, ASheetWithoutControlFileIsLeftOut)
{
    int book = AddColumnBook("BeginItem(Row)", {{5, "x"}});
    host->SetText(book, 2, "A1", "");
    Convert(book);
    EXPECT_TRUE(RowsRead().empty());
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root/>");
}

TEST_F(ExportTest, FormatsOfAllSheetsPileUp)
{
    folder.Write("rows.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Row);Content;EndItem(Row)\n[FORMAT]\nRow=1\n");
    int book = AddBook("/books/p.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"rows.ini", "rows.ini"});
    host->SetText(book, 2, "A5", "x");
    host->SetText(book, 3, "A5", "y");
    Convert(book);
    EXPECT_EQ(folder.Read("out.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\r\n\t\r\n\t<Row>x</Row>\r\n\t\r\n\t<Row>y</Row>\t</Root>");
}

// Control files read directly.
class ControlFileTest : public ExportTest {
protected:
    int Read(const std::string& content, const std::string& version)
    {
        folder.Write("c.ini", content);
        return converter.ReadControlFile(folder.File("c.ini"), version);
    }
    std::vector<std::string> ColumnKeys() const
    {
        std::vector<std::string> keys;
        for (const TExcelColItem& column : converter.Columns)
            keys.push_back(column.Column);
        return keys;
    }
    TExcelToXML converter{ui};
};

TEST_F(ControlFileTest, ColumnsAreTrimmedUpperCasedAndEmptyPartsSkipped)
{
    EXPECT_EQ(Read("[MAIN]\nCOLS= a ; ;B;ab;a\n[MAPPING]\nA=Content\n", "1.00"), 0);
    EXPECT_EQ(ColumnKeys(), (std::vector<std::string>{"A", "B", "AB", "A"}));
    ASSERT_EQ(converter.Columns[1].Commands.size(), 1u);
    // Without a mapping a column's letters are its command text, which names no command.
    EXPECT_EQ(converter.Columns[1].Commands[0].Kind, TCommandItem::Unknown);
    EXPECT_EQ(converter.Columns[0].Commands[0].Kind, TCommandItem::Content);
}

struct VersionCase {
    std::string content;
    std::string b1;
    int result;
};

class VersionTest : public ControlFileTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, VersionMustMatchExactly)
{
    EXPECT_EQ(Read(GetParam().content, GetParam().b1), GetParam().result);
    EXPECT_EQ(ui.warnings, GetParam().result == 0 ? std::vector<FakeFrontend::Shown>{} : Mismatch(folder.File("c.ini")));
    EXPECT_EQ(converter.ControlFileName, folder.File("c.ini"));
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionTest,
                         ::testing::Values(VersionCase{"[MAIN]\nCOLS=A\n", "1.00", 0},
                                           VersionCase{"[MAIN]\nCOLS=A\n", "1.0", 1},
                                           VersionCase{"[MAIN]\nCOLS=A\n", " 1.00", 1},
                                           VersionCase{"[MAIN]\nCOLS=A\n", "1", 1},
                                           VersionCase{"[main]\nversion= 2.0b \n", "2.0b", 0},
                                           VersionCase{"[MAIN]\nVERSION=2.0b\n", "2.0B", 1}));

TEST_F(ControlFileTest, AMissingFileIsAcceptedForVersionOneEmpty)
{
    converter.Columns.emplace_back("Z", "");
    EXPECT_EQ(converter.ReadControlFile(folder.File("missing.ini"), "1.00"), 0);
    EXPECT_TRUE(converter.Columns.empty());
    EXPECT_TRUE(converter.Formats.empty());
    EXPECT_EQ(converter.ReadControlFile(folder.File("missing.ini"), "2"), 1);
}

TEST_F(ControlFileTest, AMalformedIndentFailsSilentlyKeepingWhatWasRead)
{
    EXPECT_EQ(Read("[MAIN]\nCOLS=A\n[FORMAT]\nPerson=1\nBad=x\nAfter=2\n", "1.00"), 1);
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_EQ(ColumnKeys(), std::vector<std::string>{"A"});
    ASSERT_EQ(converter.Formats.size(), 1u);
    EXPECT_EQ(converter.Formats[0].Tag, "Person");
}

TEST_F(ControlFileTest, FormatsAreKeptAcrossReads)
{
    EXPECT_EQ(Read("[FORMAT]\nRow=1\nDoc=0,x\n", "1.00"), 0);
    EXPECT_EQ(Read("[FORMAT]\nRow=2\n", "1.00"), 0);
    ASSERT_EQ(converter.Formats.size(), 3u);
    EXPECT_EQ(converter.Formats[1].Tag, "Doc");
    EXPECT_EQ(converter.Formats[1].AfterClose, "x");
    EXPECT_EQ(converter.Formats[2].Indent, 2);
}

TEST_F(ControlFileTest, AMalformedIndentSkipsTheSheetInTheExport)
{
    folder.Write("bad.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(Bad)\n[FORMAT]\nBad=one\n");
    int book = AddBook("/books/b.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"bad.ini"});
    host->SetText(book, 2, "A5", "x");
    Convert(book);
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_TRUE(RowsRead().empty());
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root/>");
}

struct ConstantCase {
    std::string text;
    std::string result;
};

class ConstantTextTest : public ControlFileTest, public ::testing::WithParamInterface<ConstantCase> {};

TEST_P(ConstantTextTest, ExpandsSections)
{
    folder.Write("c.ini", "[Footer]\nLine0=a\nLine1=b\n[Gap]\nLine0=x\nLine1=\nLine2=z\n[Markup]\nLine0=<i/>\n");
    converter.ControlFileName = folder.File("c.ini");
    EXPECT_EQ(converter.ExpandConstantText(GetParam().text), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConstantTextTest,
    ::testing::Values(ConstantCase{"<R><CONSTANTTEXT>Footer</CONSTANTTEXT></R>", "<R>ab</R>"},
                      ConstantCase{"<CONSTANTTEXT>footer</CONSTANTTEXT>", "ab"},  // sections ignore case
                      ConstantCase{"<CONSTANTTEXT>Gap</CONSTANTTEXT>", "x"},      // an empty line ends the section
                      ConstantCase{"<CONSTANTTEXT>Markup</CONSTANTTEXT>", "<i/>"},
                      ConstantCase{"<CONSTANTTEXT>Nowhere</CONSTANTTEXT>!", "!"},
                      ConstantCase{"<CONSTANTTEXT></CONSTANTTEXT>!", "!"},
                      ConstantCase{"<CONSTANTTEXT> Footer</CONSTANTTEXT>", ""},  // the name is not trimmed
                      ConstantCase{"<R><CONSTANTTEXT>Footer</R>", "<R>Footer</R>"},  // no closing marker
                      ConstantCase{"<CONSTANTTEXT><CONSTANTTEXT>Footer</CONSTANTTEXT>", ""},
                      ConstantCase{"a<CONSTANTTEXT>Footer</CONSTANTTEXT>b<CONSTANTTEXT>Footer</CONSTANTTEXT>c",
                                   "aabbabc"},
                      ConstantCase{"<CONSTANTTEXT/>", "<CONSTANTTEXT/>"},
                      ConstantCase{"", ""}));

TEST_F(ControlFileTest, ConstantTextWithoutControlFileInsertsNothing)
{
    converter.ControlFileName = folder.File("missing.ini");
    EXPECT_EQ(converter.ExpandConstantText("<R><CONSTANTTEXT>Footer</CONSTANTTEXT></R>"), "<R></R>");
    converter.ControlFileName = folder.Path().string();  // a folder: cannot be read
    EXPECT_EQ(converter.ExpandConstantText("<R><CONSTANTTEXT>Footer</CONSTANTTEXT></R>"), "<R></R>");
}

// Failing workbooks, through the export command.
struct FailureCase {
    const char* name;
    std::string root;
    CellValue encoding;
    std::string mapping;
};

class FailingWorkbookTest : public ExportTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailingWorkbookTest, StopsTheLoopAndLeavesEarlierFiles)
{
    const FailureCase& c = GetParam();
    AddWorkedExample("/books/first.xlsx", "first.xml");
    folder.Write("failing.ini", "[MAIN]\nCOLS=A\n[MAPPING]\nA=" + c.mapping + "\n");
    int failing = AddBook("/books/second.xlsx", c.root, "second.xml", c.encoding, {"failing.ini"});
    host->SetText(failing, 2, "A5", "x");
    AddWorkedExample("/books/third.xlsx", "third.xml");
    folder.Write("second.xml", "earlier content");

    RunExcelToXML(ui, Connector());

    EXPECT_EQ(folder.Read("first.xml"), WorkedExampleBytes);
    EXPECT_EQ(folder.Read("second.xml"), "earlier content");
    EXPECT_FALSE(std::filesystem::exists(folder.File("third.xml")));
    EXPECT_EQ(ui.StartedWorkbooks(), (std::vector<std::string>{"/books/first.xlsx", "/books/second.xlsx"}));
    EXPECT_EQ(ui.saveQuestions.size(), 1u);
    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_EQ(ui.failedWorkbooks[0].caption, "/books/second.xlsx");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"failing.ini", "first.xml", "persons.ini", "second.xml"}));
    EXPECT_FALSE(ui.document.Active());
    EXPECT_FALSE(ui.busy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingWorkbookTest,
    ::testing::Values(FailureCase{"EncodingNotANumber", "Root", CellValue::FromText("utf-8"), "BeginItem(Row)"},
                      FailureCase{"EncodingEmpty", "Root", CellValue::Empty(), "BeginItem(Row)"},
                      FailureCase{"EncodingFraction", "Root", CellValue::FromNumber(1.5), "BeginItem(Row)"},
                      FailureCase{"InvalidRootName", "1abc", CellValue::FromNumber(0), "BeginItem(Row)"},
                      FailureCase{"EmptyRootName", "", CellValue::FromNumber(0), "BeginItem(Row)"},
                      FailureCase{"InvalidElementName", "Root", CellValue::FromNumber(0), "BeginItem(a b)"},
                      FailureCase{"InvalidAttributeName", "Root", CellValue::FromNumber(0), "Attribute(=x)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportTest, ACellWithoutTextFailsTheWorkbookAfterItsWarning)
{
    int book = AddColumnBook("BeginItem(Row)", {{5, "x"}});
    host->Set(book, 2, "A6", CellValue::FromError());
    RunExcelToXML(ui, Connector());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].caption, "Hibás cella!");
    EXPECT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.xml")));
}

TEST_F(ExportTest, AnUnwritableFileStopsTheLoopWithoutLeavingATemporaryFile)
{
    std::filesystem::create_directory(folder.Path() / "export.xml");  // a folder where the file should go
    AddWorkedExample("/books/first.xlsx", "export.xml");
    AddWorkedExample("/books/second.xlsx", "second.xml");
    RunExcelToXML(ui, Connector());
    EXPECT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_TRUE(ui.log.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.File("second.xml")));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"export.xml", "persons.ini"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path() / "export.xml"));
}

TEST_F(ExportTest, AFileInAMissingFolderFails)
{
    ui.saveAnswers.push_back(folder.File("no/such/folder/out.xml"));
    TExcelApp app(host, &ui);
    TExcelToXML converter(ui);
    int book = AddWorkedExample();
    EXPECT_THROW(converter.Convert(app, "/books/example.xlsx", book), std::runtime_error);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"persons.ini"});
}

}  // namespace
