#include "export/exceltoxml.h"

#include "common/messages.h"
#include "shell/commanddrivers.h"
#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"
#include "tests/export/tempfolder.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <tuple>
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

void PrintTo(const GapCase& c, std::ostream* out)
{
    *out << c.gapRows << " empty rows";
}

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

// A declaration inserted as constant text inside the root would be changed into the
// ISO-8859-2 one (see the layout passes), but the file would not be well-formed XML:
// the workbook fails instead, and nothing is written.
TEST_F(ExportTest, AnIso88592FileWithADeclarationInsideIsNotWritten)
{
    const std::string extra = "[Decl]\nLine0=<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    TExcelApp app(host, &ui);
    TExcelToXML converter(ui);
    int book = AddColumnBook("BeginItem(CONSTANTTEXT);Content;EndItem(CONSTANTTEXT)", {{5, "Decl"}},
                             CellValue::FromText("2"), extra);
    EXPECT_THROW(converter.Convert(app, host->workbooks[book - 1].fullName, book), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.xml")));
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_NE(ui.warnings[0].text.find("az XML-deklaráció csak a fájl legelején állhat"), std::string::npos)
        << ui.warnings[0].text;
}

// Without constant texts a UTF-8 output is well-formed as written, unless a format
// breaks a line before the declaration or a constant attribute value brings a character
// XML does not allow: then the finished text is still parsed, and nothing is written.
TEST_F(ExportTest, WhatBreaksAnOutputWithoutConstantTextsIsStillCaught)
{
    const struct {
        const char* name;
        std::string mapping;
        std::string extra;
        const char* reason;  // part of the warning
    } cases[] = {
        {"a format before the declaration", "BeginItem(T);Content;EndItem(T)", "[FORMAT]\n?xml=1\n",
         "az XML-deklaráció csak a fájl legelején állhat"},
        {"a control character in a constant attribute", "BeginItem(T);Attribute(v=a\x01" "b);EndItem(T)", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.warnings.clear();
        TExcelApp app(host, &ui);
        TExcelToXML converter(ui);
        int book = AddColumnBook(c.mapping, {{5, "x"}}, CellValue::FromNumber(0), c.extra);
        EXPECT_THROW(converter.Convert(app, host->workbooks[book - 1].fullName, book), std::runtime_error);
        EXPECT_FALSE(std::filesystem::exists(folder.File("out.xml")));
        ASSERT_EQ(ui.warnings.size(), 1u);
        EXPECT_NE(ui.warnings[0].text.find(Msg::OutputNotWellFormed), std::string::npos) << ui.warnings[0].text;
        EXPECT_NE(ui.warnings[0].text.find(c.reason), std::string::npos) << ui.warnings[0].text;
    }
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

void PrintTo(const VersionCase& c, std::ostream* out)
{
    *out << CaseText(c.content) << " for B1 " << CaseText(c.b1);
}

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

TEST_F(ControlFileTest, AnUnreadableFileIsSkippedSilently)
{
    std::filesystem::create_directory(folder.Path() / "dir.ini");
    EXPECT_EQ(converter.ReadControlFile(folder.File("dir.ini"), "1.00"), 1);
    EXPECT_TRUE(ui.warnings.empty());
}

// Only an unusable control file reads as 1; a fault of the program reaches the caller.
TEST_F(ControlFileTest, AFaultOfTheProgramIsNotTakenForAnUnusableFile)
{
    struct FaultyFrontend : FakeFrontend {
        void Warning(std::string_view, std::string_view) override { throw std::logic_error("fault"); }
    } faulty;
    TExcelToXML reader(faulty);
    folder.Write("c.ini", "[MAIN]\nVERSION=2\n");
    EXPECT_THROW(reader.ReadControlFile(folder.File("c.ini"), "1.00"), std::logic_error);
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

void PrintTo(const ConstantCase& c, std::ostream* out)
{
    *out << CaseText(c.text);
}

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

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

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

// Characters that XML 1.0 cannot carry fail the workbook at the cell that holds them;
// tab, line feed and carriage return go through.
struct CharacterCase {
    const char* name;
    std::string text;
    const char* shown;  // how the message names the character; "" = written
};

void PrintTo(const CharacterCase& c, std::ostream* out)
{
    *out << c.name;
}

class CharacterTest : public ExportTest,
                      public ::testing::WithParamInterface<std::tuple<CharacterCase, const char*>> {};

TEST_P(CharacterTest, FailsTheWorkbookNamingSheetCellAndCharacter)
{
    const auto& [c, mapping] = GetParam();
    folder.Write("out.xml", "earlier");
    AddColumnBook(mapping, {{5, "fine"}, {6, "a" + c.text + "b"}});
    RunExcelToXML(ui, Connector());
    if (std::string(c.shown).empty()) {
        EXPECT_TRUE(ui.failedWorkbooks.empty());
        EXPECT_EQ(ui.writtenFiles, std::vector<std::string>{folder.File("out.xml")});
        return;
    }
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].caption, "/books/column.xlsx");
    for (const char* part : {"Data1", "A6", c.shown})
        EXPECT_NE(ui.warnings[0].text.find(part), std::string::npos) << ui.warnings[0].text;
    EXPECT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_EQ(folder.Read("out.xml"), "earlier");
    EXPECT_TRUE(ui.saveQuestions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CharacterTest,
    ::testing::Combine(
        ::testing::Values(CharacterCase{"Nul", std::string(1, '\0'), "U+0000"},
                          CharacterCase{"Control", "\x01", "U+0001"}, CharacterCase{"Escape", "\x1B", "U+001B"},
                          CharacterCase{"Unit", "\x1F", "U+001F"}, CharacterCase{"FFFE", "\xEF\xBF\xBE", "U+FFFE"},
                          CharacterCase{"FFFF", "\xEF\xBF\xBF", "U+FFFF"},
                          CharacterCase{"LoneHighSurrogate", "\xED\xA0\x80", "U+D800"},
                          CharacterCase{"LoneLowSurrogate", "\xED\xBF\xBF", "U+DFFF"},
                          CharacterCase{"NotUtf8", "\xFF", "0xFF"}, CharacterCase{"TabLineFeedReturn", "\t\n\r", ""},
                          CharacterCase{"BeyondTheBasicPlane", "\xF0\x9F\x98\x80", ""}),
        ::testing::Values("BeginItem(T);Content;EndItem(T)", "BeginItem(T);Attribute(v);EndItem(T)")),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::string(std::get<1>(info.param)).find("Content") != std::string::npos ? "InText" : "InAttribute");
    });

// Control files come from the data folder or its subfolders only.
struct ControlNameCase {
    const char* name;
    std::string a1;  // "@" stands for the scratch folder
    bool accepted;
};

void PrintTo(const ControlNameCase& c, std::ostream* out)
{
    *out << c.name;
}

class ControlNameTest : public ExportTest, public ::testing::WithParamInterface<ControlNameCase> {};

TEST_P(ControlNameTest, OnlyTheDataFolderAndItsSubfoldersAreRead)
{
    const ControlNameCase& c = GetParam();
    const std::string mapping = "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(T);Content;EndItem(T)\n";
    std::filesystem::create_directories(folder.Path() / "data" / "sub");
    folder.Write("data/sub/ok.ini", mapping);
    folder.Write("data/ok.ini", mapping);
    folder.Write("secret.ini", mapping + "[S]\nLine0=secret\n");
    ui.dataFolder = (folder.Path() / "data" / "").string();
    std::string a1 = c.a1;
    if (a1.starts_with("@"))
        a1 = folder.Path().string() + a1.substr(1);
    int book = AddBook("/books/c.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {a1});
    host->SetText(book, 2, "A5", "x");

    RunExcelToXML(ui, Connector());

    if (c.accepted) {
        EXPECT_TRUE(ui.warnings.empty());
        EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root>\t<T>x</T>\t</Root>");
        return;
    }
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].caption, "/books/c.xlsx");
    EXPECT_NE(ui.warnings[0].text.find("Data1"), std::string::npos) << ui.warnings[0].text;
    EXPECT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.xml")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlNameTest,
    ::testing::Values(ControlNameCase{"Plain", "ok.ini", true}, ControlNameCase{"Subfolder", "sub/ok.ini", true},
                      ControlNameCase{"UpAndBackDown", "sub/../ok.ini", true},
                      ControlNameCase{"Parent", "../secret.ini", false},
                      ControlNameCase{"UpThroughASubfolder", "sub/../../secret.ini", false},
                      ControlNameCase{"Absolute", "@/secret.ini", false},
                      ControlNameCase{"Nul", std::string("ok.ini\0../../secret.ini", 23), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportTest, ANulInTheOutputNameFailsTheWorkbook)
{
    int book = AddWorkedExample();
    host->SetText(book, 1, "A2", folder.File("a.xml") + std::string(1, '\0') + ".txt");
    RunExcelToXML(ui, Connector());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_NE(ui.warnings[0].text.find("NUL"), std::string::npos) << ui.warnings[0].text;
    EXPECT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"persons.ini"});
}

// A data sheet whose control file gives no column at all: the output is still written
// (a missing control file reads as empty), but a warning says why it is empty.
struct NoColumnCase {
    const char* name;
    std::string bytes;  // "-" = no file
};

void PrintTo(const NoColumnCase& c, std::ostream* out)
{
    *out << c.name;
}

class NoColumnTest : public ExportTest, public ::testing::WithParamInterface<NoColumnCase> {};

TEST_P(NoColumnTest, WarnsNamingTheControlFile)
{
    const NoColumnCase& c = GetParam();
    if (c.bytes != "-")
        folder.Write("cols.ini", c.bytes);
    Convert(AddBook("/books/n.xlsx", "Root", "out.xml", CellValue::FromNumber(0), {"cols.ini"}));
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].caption, folder.File("cols.ini"));
    EXPECT_NE(ui.warnings[0].text.find("Data1"), std::string::npos) << ui.warnings[0].text;
    EXPECT_EQ(folder.Read("out.xml"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Root/>");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoColumnTest,
    ::testing::Values(NoColumnCase{"Missing", "-"}, NoColumnCase{"Empty", ""},
                      NoColumnCase{"Garbage", std::string("\x00\x01\xFF\xFEgarbage\x7F", 12)},
                      NoColumnCase{"Utf16WithoutByteOrderMark",
                                   std::string("[\0M\0A\0I\0N\0]\0\n\0C\0O\0L\0S\0=\0A\0\n\0", 26)},
                      NoColumnCase{"EmptyCols", "[MAIN]\nCOLS= ; ;\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Constant texts go in as raw markup; a result that is not well-formed is not written.
struct BrokenConstantCase {
    const char* name;
    std::string line;
};

void PrintTo(const BrokenConstantCase& c, std::ostream* out)
{
    *out << c.name;
}

class BrokenConstantTest : public ExportTest, public ::testing::WithParamInterface<BrokenConstantCase> {};

TEST_P(BrokenConstantTest, FailsTheWorkbookInsteadOfWritingBrokenXml)
{
    folder.Write("out.xml", "earlier");
    AddColumnBook("BeginItem(CONSTANTTEXT);Content;EndItem(CONSTANTTEXT)", {{5, "Footer"}}, CellValue::FromNumber(0),
                  "[Footer]\nLine0=" + GetParam().line + "\n");
    RunExcelToXML(ui, Connector());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].caption, folder.File("out.xml"));
    EXPECT_NE(ui.warnings[0].text.find(folder.File("column.ini")), std::string::npos) << ui.warnings[0].text;
    EXPECT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_EQ(folder.Read("out.xml"), "earlier");
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenConstantTest,
                         ::testing::Values(BrokenConstantCase{"Unclosed", "<Open>"}, BrokenConstantCase{"ClosesTheRoot", "</Root><X>"},
                                           BrokenConstantCase{"DeclarationInside", "<?xml version=\"1.0\"?>"},
                                           BrokenConstantCase{"ControlCharacter", "a\x01" "b"},
                                           BrokenConstantCase{"BareAmpersand", "a & b"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportTest, AControlFileWithColumnsGivesNoSuchWarning)
{
    Convert(AddWorkedExample());
    EXPECT_TRUE(ui.warnings.empty());
}

// A data folder that does not exist stops both commands before they read or write.
TEST_F(ExportTest, AMissingDataFolderStopsBothCommands)
{
    AddWorkedExample();
    folder.Write("export.xml", "last good output");
    ui.dataFolder = folder.File("missing") + "/";
    RunExcelToXML(ui, Connector());
    ui.dataFiles = {folder.File("data.xml")};
    RunXMLToExcel(ui, Connector());
    const FakeFrontend::Shown warning{ui.caption, DataFolderMissingMessage + ui.dataFolder};
    EXPECT_EQ(ui.warnings, (std::vector<FakeFrontend::Shown>{warning, warning}));
    EXPECT_EQ(folder.Read("export.xml"), "last good output");
    EXPECT_TRUE(ui.saveQuestions.empty());
    // The export lists and offers the workbooks first (an office without any says so
    // before anything else); the import stops before it asks.
    EXPECT_EQ(ui.workbookQuestions.size(), 1u);
    EXPECT_TRUE(ui.log.empty());
}

// A front end that answers the save dialog itself sees every proposed file first and
// may refuse the whole export before anything is written.
TEST_F(ExportTest, TheOutputPlanComesBeforeAnythingIsWritten)
{
    AddWorkedExample("/books/a.xlsx", "a.xml");
    host->AddWorkbook("/books/single.xlsx", {"Only"});  // no data sheet: no output
    AddWorkedExample("/books/b.xlsx", "b.xml");
    ui.wantsOutputPlan = true;
    ui.acceptOutputPlan = false;
    RunExcelToXML(ui, Connector());
    EXPECT_EQ(ui.outputPlan, (std::vector<std::pair<std::string, std::string>>{
                                 {"/books/a.xlsx", folder.File("a.xml")}, {"/books/b.xlsx", folder.File("b.xml")}}));
    EXPECT_TRUE(ui.StartedWorkbooks().empty());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"persons.ini"});

    ui.acceptOutputPlan = true;
    RunExcelToXML(ui, Connector());
    EXPECT_EQ(ui.writtenFiles, (std::vector<std::string>{folder.File("a.xml"), folder.File("b.xml")}));
}

TEST_F(ExportTest, AReadOnlyOutputIsRefusedAndKeptAsItWas)
{
    folder.Write("export.xml", "read-only content");
    std::filesystem::permissions(folder.Path() / "export.xml", std::filesystem::perms(0444));
    AddWorkedExample();
    RunExcelToXML(ui, Connector());
    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_NE(ui.failedWorkbooks[0].text.find("írásvédett"), std::string::npos) << ui.failedWorkbooks[0].text;
    EXPECT_NE(ui.failedWorkbooks[0].text.find(folder.File("export.xml")), std::string::npos);
    EXPECT_EQ(folder.Read("export.xml"), "read-only content");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"export.xml", "persons.ini"}));
}

}  // namespace
