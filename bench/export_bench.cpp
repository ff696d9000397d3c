// Export throughput: a generated workbook of 20,000 data rows x 8 columns converted
// into one XML file, on the in-memory host and, with --office, through a private
// headless LibreOffice. Prints rows per second and host calls (every call into the
// backend) per second. Run by hand:
//     export_bench [--rows N] [--runs N] [--office] [--office-rows N]
// Filling the office's workbook and reading it both take about a millisecond a cell.

#include "exceltoxml.h"
#include "memoryhost.h"
#include "xmldocument.h"

#ifdef KORVEX_HAVE_OFFICE
#include "officefixture.h"
#include "unohost.h"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr int Columns = 8;

// Answers every question at once and shows nothing.
class BenchFrontend : public Frontend {
public:
    explicit BenchFrontend(std::string folder) : folder_(std::move(folder)) {}
    std::string Caption() const override { return "export_bench"; }
    std::string DataFolder() const override { return folder_; }
    TXMLDocument& Document() override { return document_; }
    void AppendLog(std::string_view) override {}
    void SetLogText(std::string_view text) override { logSize = text.size(); }
    void SetStatus(int, std::string_view) override {}
    void ProcessMessages() override {}
    void SetBusy(bool) override {}
    void Warning(std::string_view caption, std::string_view text) override
    {
        std::fprintf(stderr, "warning: %.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                     text.data());
    }
    std::optional<std::string> AskSaveFileName(std::string_view proposed) override { return std::string(proposed); }
    std::vector<std::string> AskDataFiles() override { return {}; }
    std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) override
    {
        return std::vector<bool>(names.size(), true);
    }

    size_t logSize = 0;

private:
    std::string folder_;
    TXMLDocument document_;
};

// Counts every call into a backend and its sheets.
class CountingBackend : public HostBackend {
public:
    explicit CountingBackend(std::shared_ptr<HostBackend> inner) : inner_(std::move(inner)) {}
    int WorkbookCount() override { return ++calls, inner_->WorkbookCount(); }
    std::string WorkbookFullName(int book) override { return ++calls, inner_->WorkbookFullName(book); }
    int SheetCount(int book) override { return ++calls, inner_->SheetCount(book); }
    std::unique_ptr<HostSheet> Sheet(int book, int sheet) override
    {
        ++calls;
        return std::make_unique<CountingSheet>(inner_->Sheet(book, sheet), calls);
    }

    long long calls = 0;

private:
    class CountingSheet : public HostSheet {
    public:
        CountingSheet(std::unique_ptr<HostSheet> inner, long long& calls) : inner_(std::move(inner)), calls_(calls) {}
        std::string Name() override { return ++calls_, inner_->Name(); }
        CellValue ReadCell(int row, int column) override { return ++calls_, inner_->ReadCell(row, column); }
        void WriteCell(int row, int column, const CellValue& value) override
        {
            ++calls_;
            inner_->WriteCell(row, column, value);
        }

    private:
        std::unique_ptr<HostSheet> inner_;
        long long& calls_;
    };
    std::shared_ptr<HostBackend> inner_;
};

void WriteControlFile(const fs::path& path)
{
    std::ofstream file(path, std::ios::binary);
    file << "[MAIN]\r\nVERSION=1.00\r\nCOLS=A;B;C;D;E;F;G;H\r\n[MAPPING]\r\n"
         << "A=EndItem(Row);BeginItem(Row);Attribute(id)\r\n";
    for (char column = 'B'; column < 'A' + Columns; ++column)
        file << column << "=BeginItem(C" << column << ");Content;EndItem(C" << column << ")\r\n";
    file << "[FORMAT]\r\nRow=1\r\n";
}

std::string DataText(int row, int column)
{
    return column % 2 ? "sor " + std::to_string(row) + " oszlop " + std::to_string(column)
                      : std::to_string(row * 10 + column);
}

std::shared_ptr<MemoryHost> MakeMemoryWorkbook(int rows, const fs::path& output)
{
    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook("bench.xlsx", {"Start", "Data"});
    host->SetText(book, 1, "A1", "Data");
    host->SetText(book, 1, "A2", output.string());
    host->Set(book, 1, "A3", CellValue::FromNumber(0));
    host->SetText(book, 2, "A1", "bench.ini");
    host->SetText(book, 2, "B1", "1.00");
    for (int row = 5; row < 5 + rows; ++row)
        for (int column = 1; column <= Columns; ++column)
            host->Set(book, 2, row, column,
                      column % 2 ? CellValue::FromText(DataText(row, column))
                                 : CellValue::FromNumber(row * 10 + column));
    return host;
}

// Converts workbook 1 of the host and prints the figures of the run.
void Run(const char* label, int run, int rows, std::shared_ptr<HostBackend> backend, const fs::path& folder)
{
    auto counting = std::make_shared<CountingBackend>(std::move(backend));
    BenchFrontend ui((folder / "").string());
    TExcelApp app(counting, &ui);
    std::vector<std::string> names;
    app.GetWorkbookNames(names);
    counting->calls = 0;
    TExcelToXML converter(ui);
    auto start = std::chrono::steady_clock::now();
    converter.Convert(app, names.at(0), 1);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s run %d: %.3f s, %.0f rows/s, %.0f host calls/s (%lld calls), %zu bytes written\n", label, run,
                seconds, rows / seconds, counting->calls / seconds, counting->calls,
                static_cast<size_t>(fs::file_size(folder / "bench.xml")));
}

#ifdef KORVEX_HAVE_OFFICE
void RunOffice(int rows, int runs, const fs::path& folder)
{
    if (OfficeFixture::FindOffice().empty()) {
        std::printf("LibreOffice: soffice not found, skipped\n");
        return;
    }
    OfficeFixture office;
    std::vector<OfficeFixture::Cell> data{{"A1", "bench.ini"}, {"B1", "'1.00"}};
    for (int row = 5; row < 5 + rows; ++row)
        for (int column = 1; column <= Columns; ++column)
            data.push_back({std::string(1, char('A' + column - 1)) + std::to_string(row),
                            (column % 2 ? "'" : "") + DataText(row, column)});
    auto book = office.Folder() / "bench.xlsx";
    auto start = std::chrono::steady_clock::now();
    office.CreateWorkbookFile(
        book, {{"Start", {{"A1", "Data"}, {"A2", (folder / "bench.xml").string()}, {"A3", "0"}}}, {"Data", data}});
    office.Open(book);
    std::printf("LibreOffice: workbook of %d rows made in %.1f s\n", rows,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    for (int run = 1; run <= runs; ++run)
        Run("LibreOffice", run, rows, ConnectLibreOfficeAt(office.Connection()), folder);
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    int rows = 20000;
    int runs = 3;
    int officeRows = 20000;
    bool office = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--office")
            office = true;
        else if (arg == "--rows" && i + 1 < argc)
            rows = std::atoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--office-rows" && i + 1 < argc)
            officeRows = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: export_bench [--rows N] [--runs N] [--office] [--office-rows N]\n");
            return 2;
        }
    }
    fs::path folder = fs::temp_directory_path() / ("korvex-export-bench-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    WriteControlFile(folder / "bench.ini");

    std::printf("export of %d columns; in-memory host: %d rows\n", Columns, rows);
    for (int run = 1; run <= runs; ++run)
        Run("in-memory", run, rows, MakeMemoryWorkbook(rows, folder / "bench.xml"), folder);
    if (office) {
#ifdef KORVEX_HAVE_OFFICE
        RunOffice(officeRows, runs, folder);
#else
        std::printf("LibreOffice: not built in (no UNO SDK), skipped\n");
#endif
    }
    fs::remove_all(folder);
    return 0;
}
