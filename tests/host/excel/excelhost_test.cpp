// The Excel backend over OLE Automation, against the automation double registered as
// "Excel.Application" (registry and running object table), under Windows or Wine.

#include "host/cellvalue.h"
#include "host/excel/excelhost.h"
#include "host/excelsheet.h"
#include "common/pathtext.h"
#include "tests/host/excel/exceldouble.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using exceldouble::Cell;

struct Warnings : MessageSink {
    std::vector<std::string> shown;
    void Warning(std::string_view caption, std::string_view text) override
    {
        shown.push_back(std::string(caption) + "|" + std::string(text));
    }
};

Cell Number(double value, const wchar_t* format = L"")
{
    Cell cell;
    cell.kind = Cell::Kind::Number;
    cell.number = value;
    cell.format = format;
    return cell;
}
Cell Text(const wchar_t* text)
{
    Cell cell;
    cell.kind = Cell::Kind::Text;
    cell.text = text;
    return cell;
}
Cell Boolean(bool value)
{
    Cell cell;
    cell.kind = Cell::Kind::Boolean;
    cell.number = value;
    return cell;
}
Cell Error(long number)
{
    Cell cell;
    cell.kind = Cell::Kind::Error;
    cell.error = number;
    return cell;
}

// The double, registered and running, with an empty state per test.
class ExcelHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(exceldouble::RegisterProgId());
    }
    static void TearDownTestSuite()
    {
        exceldouble::UnregisterProgId();
        CoUninitialize();
    }

    void SetUp() override { Start(); }
    void TearDown() override { Stop(); }

    void Start()
    {
        state = std::make_shared<exceldouble::State>();
        application = exceldouble::NewApplication(state);
        ASSERT_EQ(RegisterActiveObject(application, exceldouble::ClsidApplication, ACTIVEOBJECT_STRONG, &cookie), S_OK);
    }
    void Stop()
    {
        if (application) {
            RevokeActiveObject(cookie, nullptr);
            application->Release();
            application = nullptr;
        }
    }

    std::shared_ptr<exceldouble::Sheet> AddBook(const std::wstring& fullName,
                                                const std::vector<std::wstring>& sheets = {L"Lap"})
    {
        auto book = std::make_shared<exceldouble::Book>();
        book->fullName = fullName;
        for (const std::wstring& name : sheets) {
            book->sheets.push_back(std::make_shared<exceldouble::Sheet>());
            book->sheets.back()->name = name;
        }
        state->books.push_back(book);
        return book->sheets.front();
    }

    std::shared_ptr<HostBackend> Connect()
    {
        auto host = ConnectExcel();
        if (!host)
            throw std::runtime_error("the double does not answer");
        return host;
    }

    std::shared_ptr<exceldouble::State> state;
    IDispatch* application = nullptr;
    DWORD cookie = 0;
    Warnings warnings;
};

TEST_F(ExcelHostTest, ListsOpenWorkbooksInOrderWithTheirFullNames)
{
    AddBook(L"C:\\adatok\\első.xlsx", {L"Start", L"Adatok", L"Üres lap"});
    AddBook(L"C:\\adatok\\második.xlsx", {L"Egy"});
    AddBook(L"Munkafüzet1", {L"Munka1"});

    TExcelApp app(Connect(), &warnings);
    std::vector<std::string> names;
    ASSERT_EQ(app.GetWorkbookNames(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{"C:\\adatok\\első.xlsx", "C:\\adatok\\második.xlsx", "Munkafüzet1"}));
    EXPECT_EQ(app.GetSheetCount(1), 3);
    EXPECT_EQ(app.GetSheetCount(2), 1);
    EXPECT_EQ(app.GetSheetCount(4), 0);

    TExcelSheet sheet;
    std::vector<std::string> sheetNames;
    for (int i = 1; i <= 3; ++i) {
        sheet.Open(app, names[0], 1, i);
        sheetNames.push_back(sheet.SheetName);
    }
    EXPECT_EQ(sheetNames, (std::vector<std::string>{"Start", "Adatok", "Üres lap"}));
    EXPECT_THROW(sheet.Open(app, names[0], 1, 4), HostError);
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(ExcelHostTest, NoExcelRunningOrRegisteredGivesNoWorkbooks)
{
    Stop();
    EXPECT_EQ(ConnectExcel(), nullptr);  // registered, not running
    exceldouble::UnregisterProgId();
    EXPECT_EQ(ConnectExcel(), nullptr);  // not even registered
    TExcelApp app(ConnectExcel);
    std::vector<std::string> names;
    EXPECT_EQ(app.GetWorkbookNames(names), 0);
    EXPECT_TRUE(names.empty());
    ASSERT_TRUE(exceldouble::RegisterProgId());
}

struct ReadCase {
    Cell cell;         // as Excel holds it
    const char* text;  // what GetCellText gives
};

// Every kind of value Excel hands out, read one by one and in blocks.
std::vector<ReadCase> ReadCases()
{
    return {
        {Number(1970), "1970"},
        {Number(1.5), "1.5"},
        {Number(-0.25), "-0.25"},
        {Number(123456789012.0), "123456789012"},
        {Text(L"alma"), "alma"},
        {Text(L"árvíztűrő tükörfúrógép"), "árvíztűrő tükörfúrógép"},
        {Text(L"0123"), "0123"},
        {Number(45306, L"yyyy-mm-dd"), "2024-01-15"},
        {Number(45306.5729166666667, L"yyyy-mm-dd hh:mm"), "2024-01-15T13:45:00"},
        {Boolean(true), "TRUE"},
        {Boolean(false), "FALSE"},
        {Number(2), "2"},  // =1+1
        {Number(1250.5, L"#,##0.00 \"Ft\""), "1250.5"},
        {Number(0.1, L"0.00%"), "0.1"},
        {Text(L""), ""},
    };
}

TEST_F(ExcelHostTest, ReadsCellValuesAsText)
{
    auto sheet = AddBook(L"C:\\values.xlsx", {L"Adatok"});
    const std::vector<ReadCase> cases = ReadCases();
    for (size_t i = 0; i < cases.size(); ++i)
        sheet->At(static_cast<int>(i) + 1, 2) = cases[i].cell;

    TExcelApp app(Connect(), &warnings);
    TExcelSheet reader;
    reader.Open(app, "values", 1, 1);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(reader.GetCellText("B" + std::to_string(i + 1)), cases[i].text) << "row " << i + 1;
    EXPECT_EQ(reader.GetCellText("A1"), "");
    EXPECT_EQ(reader.GetCellText("ZZ1000"), "");
    EXPECT_TRUE(warnings.shown.empty());
}

// A value as the wrapper shows it: its text, or "#error" for an error value.
std::string Shown(const CellValue& value)
{
    return value.kind == CellValue::Kind::Error ? "#error" : CellValueText(value);
}

TEST_F(ExcelHostTest, ABlockReadsWhatSingleCellsRead)
{
    auto sheet = AddBook(L"C:\\block.xlsx", {L"Adatok"});
    std::vector<Cell> cells;
    for (const ReadCase& c : ReadCases())
        cells.push_back(c.cell);
    for (long error : {exceldouble::ErrDiv0, exceldouble::ErrNA, exceldouble::ErrValue, exceldouble::ErrRef})
        cells.push_back(Error(error));
    // Four columns from B, a gap column (D) and a gap row (4) among them.
    for (size_t i = 0; i < cells.size(); ++i) {
        int row = static_cast<int>(i / 4) + 1;
        int column = static_cast<int>(i % 4) + 2;
        sheet->At(row + (row > 3), column + (column > 3)) = cells[i];
    }

    auto host = Connect();
    auto worksheet = host->Sheet(1, 1);
    ASSERT_TRUE(worksheet->BlockAccess());
    CellRange used = worksheet->UsedArea();
    EXPECT_EQ(used, (CellRange{1, 1, 6, 6}));
    CellRange range{1, 1, 7, 7};
    std::vector<CellValue> block = worksheet->ReadBlock(range);
    ASSERT_EQ(block.size(), 49u);
    for (int row = 1; row <= 7; ++row) {
        for (int column = 1; column <= 7; ++column) {
            CellValue single = worksheet->ReadCell(row, column);
            EXPECT_EQ(Shown(block[static_cast<size_t>(row - 1) * 7 + column - 1]), Shown(single))
                << "row " << row << ", column " << column << ": " << Shown(single);
        }
    }
    // One cell as a block is a value, not a table.
    EXPECT_EQ(Shown(worksheet->ReadBlock({1, 2, 1, 1}).at(0)), "1970");
}

TEST_F(ExcelHostTest, ErrorValuesWarnAndFail)
{
    auto sheet = AddBook(L"C:\\errors.xlsx", {L"Hibák"});
    sheet->At(1, 3) = Error(exceldouble::ErrDiv0);
    sheet->At(2, 3) = Error(exceldouble::ErrNA);
    sheet->At(3, 3) = Error(exceldouble::ErrName);

    TExcelApp app(Connect(), &warnings);
    TExcelSheet reader;
    reader.Open(app, "C:\\errors.xlsx", 1, 1);
    for (const char* cell : {"C1", "C2", "C3"}) {
        warnings.shown.clear();
        EXPECT_THROW(reader.GetCellText(cell), HostError) << cell;
        EXPECT_EQ(warnings.shown, (std::vector<std::string>{std::string("Hibás cella!|C:\\errors.xlsx Hibák ") + cell}));
    }
}

struct WriteCase {
    const char* text;
    Cell::Kind kind;      // what Excel holds afterwards
    const wchar_t* held;  // its text, or the number's text
};

const std::vector<WriteCase> WriteCases{
    {"12", Cell::Kind::Number, L"12"},
    {"-3.5", Cell::Kind::Number, L"-3.5"},
    {"0.25", Cell::Kind::Number, L"0.25"},
    {"01234", Cell::Kind::Text, L"01234"},
    {"12.50", Cell::Kind::Text, L"12.50"},
    {"1e5", Cell::Kind::Text, L"1e5"},
    {"12%", Cell::Kind::Text, L"12%"},
    {"2024-01-05", Cell::Kind::Text, L"2024-01-05"},
    {"1/2", Cell::Kind::Text, L"1/2"},
    {"TRUE", Cell::Kind::Text, L"TRUE"},
    {"=1+1", Cell::Kind::Text, L"=1+1"},
    {"=A1*2", Cell::Kind::Text, L"=A1*2"},
    {"'quoted", Cell::Kind::Text, L"'quoted"},
    {"árvíztűrő", Cell::Kind::Text, L"árvíztűrő"},
    {"", Cell::Kind::Empty, L""},
};

std::wstring Held(const Cell& cell)
{
    if (cell.kind == Cell::Kind::Number) {
        wchar_t text[64];
        swprintf(text, 64, L"%.15g", cell.number);
        return text;
    }
    return cell.text;
}

TEST_F(ExcelHostTest, WritesPlainDecimalsAsNumbersAndEverythingElseAsLiteralText)
{
    auto target = AddBook(L"C:\\cél.xlsx", {L"Cél"});
    target->At(16, 1) = Text(L"old");
    // Column B is formatted as text: there the texts go as they are.
    for (size_t i = 0; i < WriteCases.size(); ++i)
        target->At(static_cast<int>(i) + 1, 2).format = L"@";

    TExcelApp app(Connect(), &warnings);
    TExcelSheet sheet;
    sheet.Open(app, "C:\\cél.xlsx", 1, 1);
    for (size_t i = 0; i < WriteCases.size(); ++i) {
        const WriteCase& c = WriteCases[i];
        const int row = static_cast<int>(i) + 1;
        sheet.SetCellText(row - 1, 0, c.text);
        sheet.SetCellText(row - 1, 1, c.text);
        for (int column : {1, 2}) {
            Cell held = target->Get(row, column);
            EXPECT_EQ(held.kind, c.kind) << c.text << " in column " << column;
            EXPECT_EQ(Held(held), c.held) << c.text << " in column " << column;
            EXPECT_EQ(sheet.GetCellText(std::string(1, char('A' + column - 1)) + std::to_string(row)), c.text)
                << "read back";
        }
    }
    EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(ExcelHostTest, ABlockWriteStoresWhatSingleWritesStore)
{
    std::vector<std::string> texts;
    for (const WriteCase& c : WriteCases)
        texts.push_back(c.text);
    for (const std::string& more : std::vector<std::string>{"két\nsor", "  szóközök  ", std::string(3000, 'x')})
        texts.push_back(more);
    const int rows = static_cast<int>(texts.size());
    auto target = AddBook(L"C:\\blokk.xlsx", {L"Cél"});
    // Columns: A single writes, B one block; C single writes and D a block where every
    // cell has the text format; E single writes and F a block of mixed formats.
    for (int row = 1; row <= rows; ++row) {
        target->At(row, 3).format = L"@";
        target->At(row, 4).format = L"@";
        if (row % 2) {
            target->At(row, 5).format = L"@";
            target->At(row, 6).format = L"@";
        }
    }
    target->At(rows, 2) = Text(L"old");

    auto host = Connect();
    auto sheet = host->Sheet(1, 1);
    std::vector<CellValue> values;
    for (const std::string& text : texts)
        values.push_back(CellValueForText(text));
    for (int pair = 0; pair < 3; ++pair) {
        for (int row = 1; row <= rows; ++row)
            sheet->WriteCell(row, 1 + 2 * pair, values[static_cast<size_t>(row - 1)]);
        sheet->WriteBlock({1, 2 + 2 * pair, rows, 1}, values);
    }
    for (int row = 1; row <= rows; ++row) {
        for (int pair = 0; pair < 3; ++pair) {
            Cell single = target->Get(row, 1 + 2 * pair);
            Cell block = target->Get(row, 2 + 2 * pair);
            EXPECT_EQ(block.kind, single.kind) << texts[static_cast<size_t>(row - 1)] << ", columns " << pair;
            EXPECT_EQ(Held(block), Held(single)) << texts[static_cast<size_t>(row - 1)] << ", columns " << pair;
        }
    }
    EXPECT_EQ(target->Get(11, 2).kind, Cell::Kind::Text);  // "=1+1" is no formula
    EXPECT_EQ(target->Get(rows, 2).text, std::wstring(3000, L'x'));
    EXPECT_EQ(target->Get(15, 2).kind, Cell::Kind::Empty);  // an empty text empties
}

TEST_F(ExcelHostTest, ClosedWorkbookFails)
{
    auto sheet = AddBook(L"book", {L"Lap"});
    sheet->At(1, 1) = Number(5);
    auto host = Connect();
    TExcelApp app(host, &warnings);
    TExcelSheet reader;
    reader.Open(app, "book", 1, 1);
    ASSERT_EQ(reader.GetCellText("A1"), "5");

    state->books.front()->open = false;  // closed in Excel: its objects are disconnected
    state->books.clear();
    EXPECT_THROW(reader.SetCellText(0, 0, "6"), HostError);
    // The cell fails, and so does the sheet: no empty text that would look like its end.
    try {
        reader.GetCellText("A1");
        ADD_FAILURE() << "a cell of a closed workbook was read";
    } catch (const HostError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "A munkalap már nem érhető el (a munkafüzetet bezárták, vagy a táblázatkezelő leállt): book Lap, "
                  "a(z) A1 cella olvasása közben");
    }
    // The cell is not at fault: no "Hibás cella!" for it.
    EXPECT_TRUE(warnings.shown.empty());
    EXPECT_THROW(host->SheetCount(1), HostError);
    EXPECT_THROW(host->WorkbookFullName(1), HostError);
    EXPECT_EQ(app.GetSheetCount(1), 0);
}

TEST_F(ExcelHostTest, CellsBeyondTheSheetAreHostErrors)
{
    AddBook(L"book", {L"Lap"});
    auto sheet = Connect()->Sheet(1, 1);
    EXPECT_THROW(sheet->ReadCell(0, 1), HostError);
    EXPECT_THROW(sheet->ReadCell(1, 16385), HostError);
    EXPECT_THROW(sheet->WriteCell(1048577, 1, CellValue::FromNumber(1)), HostError);
    EXPECT_THROW(Connect()->Sheet(1, 2), HostError);
    EXPECT_THROW(Connect()->Sheet(2, 1), HostError);
}

// In place, a workbook Excel opened read-only is refused before anything is stored,
// --force or not; a copy elsewhere is still made.
TEST_F(ExcelHostTest, SavingInPlaceRefusesAWorkbookOpenedReadOnly)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("korvex-readonly-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder / "copies");
    const std::string readOnly = Utf8FromPath(folder / "b.fods");
    const struct {
        bool ownerFile;
        std::string message;
    } cases[] = {
        {true, "A fájlt más is megnyitotta (~$b.fods), az Excel csak olvasásra nyitotta meg; Korvex nem menti "
               "(--save-as: másolat): " + readOnly},
        {false, "Az Excel a munkafüzetet csak olvasásra nyitotta meg; Korvex nem menti (--save-as: másolat): " + readOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ownerFile);
        state->books.clear();
        AddBook((folder / "a.fods").wstring());
        AddBook((folder / "b.fods").wstring());
        state->books.back()->readOnly = true;
        if (c.ownerFile)
            std::ofstream(folder / "~$b.fods") << "valaki";
        else
            fs::remove(folder / "~$b.fods");
        for (bool force : {false, true}) {
            try {
                StoreExcelWorkbooks({}, "", force);
                ADD_FAILURE() << "a read-only workbook was saved in place";
            } catch (const HostError& error) {
                EXPECT_EQ(std::string(error.what()), c.message);
            }
        }
        EXPECT_EQ(state->saves, 0);
        EXPECT_FALSE(fs::exists(folder / "a.fods"));
    }
    const std::vector<std::string> written = StoreExcelWorkbooks({2}, Utf8FromPath(folder / "copies"), false);
    EXPECT_EQ(written, std::vector<std::string>{Utf8FromPath(folder / "copies" / "b.fods")});
    EXPECT_TRUE(fs::exists(folder / "copies" / "b.fods"));
    fs::remove_all(folder);
}

}  // namespace
