// Export throughput: a generated workbook of 20,000 data rows x 8 columns converted
// into one XML file on the in-memory host. Prints rows per second and host calls
// (cell reads) per second. Run by hand: export_bench [rows] [runs]

#include "exceltoxml.h"
#include "memoryhost.h"
#include "xmldocument.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

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

void WriteControlFile(const fs::path& path)
{
    std::ofstream file(path, std::ios::binary);
    file << "[MAIN]\r\nVERSION=1.00\r\nCOLS=A;B;C;D;E;F;G;H\r\n[MAPPING]\r\n"
         << "A=EndItem(Row);BeginItem(Row);Attribute(id)\r\n";
    for (char column = 'B'; column < 'A' + Columns; ++column)
        file << column << "=BeginItem(C" << column << ");Content;EndItem(C" << column << ")\r\n";
    file << "[FORMAT]\r\nRow=1\r\n";
}

std::shared_ptr<MemoryHost> MakeWorkbook(int rows, const fs::path& output)
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
                      column % 2 ? CellValue::FromText("sor " + std::to_string(row) + " oszlop " + std::to_string(column))
                                 : CellValue::FromNumber(row * 10 + column));
    return host;
}

}  // namespace

int main(int argc, char** argv)
{
    int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
    int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    fs::path folder = fs::temp_directory_path() / ("korvex-export-bench-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    WriteControlFile(folder / "bench.ini");

    std::printf("export, in-memory host: %d rows x %d columns\n", rows, Columns);
    for (int run = 1; run <= runs; ++run) {
        auto host = MakeWorkbook(rows, folder / "bench.xml");
        BenchFrontend ui((folder / "").string());
        TExcelApp app(host, &ui);
        TExcelToXML converter(ui);
        auto start = std::chrono::steady_clock::now();
        converter.Convert(app, "bench.xlsx", 1);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("run %d: %.3f s, %.0f rows/s, %.0f host calls/s (%d cell reads), %zu bytes written\n", run,
                    seconds, rows / seconds, host->counters.reads / seconds, host->counters.reads,
                    static_cast<size_t>(fs::file_size(folder / "bench.xml")));
    }
    fs::remove_all(folder);
    return 0;
}
