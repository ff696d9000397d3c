// Import throughput: a generated data file of 50,000 top-level elements, each with two
// attributes and four sub elements (six cells), transferred into one worksheet on the
// in-memory host and, with --office, through a private headless LibreOffice. Prints
// elements per second and written cells per second. Run by hand:
//     import_bench [--elements N] [--runs N] [--office] [--office-elements N]
// The office takes about a millisecond a cell, hence its smaller default.

#include "exceltoxml.h"
#include "memoryhost.h"
#include "xmldocument.h"
#include "xmltoexcelcontrol.h"

#ifdef KORVEX_HAVE_OFFICE
#include "officefixture.h"
#include "unohost.h"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr int CellsPerElement = 6;

// Answers every question at once and shows nothing.
class BenchFrontend : public Frontend {
public:
    explicit BenchFrontend(std::string folder) : folder_(std::move(folder)) {}
    std::string Caption() const override { return "import_bench"; }
    std::string DataFolder() const override { return folder_; }
    TXMLDocument& Document() override { return document_; }
    void AppendLog(std::string_view) override { ++logLines; }
    void SetLogText(std::string_view) override {}
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

    long long logLines = 0;

private:
    std::string folder_;
    TXMLDocument document_;
};

// Counts the cells written through a backend.
class CountingBackend : public HostBackend {
public:
    explicit CountingBackend(std::shared_ptr<HostBackend> inner) : inner_(std::move(inner)) {}
    int WorkbookCount() override { return inner_->WorkbookCount(); }
    std::string WorkbookFullName(int book) override { return inner_->WorkbookFullName(book); }
    int SheetCount(int book) override { return inner_->SheetCount(book); }
    std::unique_ptr<HostSheet> Sheet(int book, int sheet) override
    {
        return std::make_unique<CountingSheet>(inner_->Sheet(book, sheet), writes);
    }

    long long writes = 0;

private:
    class CountingSheet : public HostSheet {
    public:
        CountingSheet(std::unique_ptr<HostSheet> inner, long long& writes) : inner_(std::move(inner)), writes_(writes)
        {
        }
        std::string Name() override { return inner_->Name(); }
        CellValue ReadCell(int row, int column) override { return inner_->ReadCell(row, column); }
        void WriteCell(int row, int column, const CellValue& value) override
        {
            ++writes_;
            inner_->WriteCell(row, column, value);
        }

    private:
        std::unique_ptr<HostSheet> inner_;
        long long& writes_;
    };
    std::shared_ptr<HostBackend> inner_;
};

void WriteControlFile(const fs::path& path)
{
    std::ofstream(path, std::ios::binary) << R"(<?xml version="1.0" encoding="utf-8"?>
<Import>
  <DBItem ID="Record" Page="Data">
    <Attribute ID="id" Col="A"/>
    <Attribute ID="kind" Col="B"/>
    <SubItem ID="Name" Col="C" Echo=""/>
    <SubItem ID="City" Col="D"/>
    <SubItem ID="Amount" Col="E"/>
    <SubItem ID="Note" Col="F"/>
  </DBItem>
</Import>
)";
}

// The data file as the export would lay it out: one element a line, tabs between tags.
void WriteDataFile(const fs::path& path, int elements)
{
    std::ofstream file(path, std::ios::binary);
    file << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\t<Records>\r\n";
    for (int i = 1; i <= elements; ++i)
        file << "\t<Record id=\"" << i << "\" kind=\"" << (i % 2 ? "bérlő" : "vevő") << "\">\t<Name>Ügyfél " << i
             << "</Name>\t<City>Győr</City>\t<Amount>" << i * 7 % 1000 << "</Amount>\t<Note>árvíztűrő tükörfúrógép "
             << i << "</Note>\t</Record>\r\n";
    file << "</Records>";
}

// Reads the control file, maps workbook 1 and transfers the data file, as the command does.
void Run(const char* label, int run, std::shared_ptr<HostBackend> backend, const fs::path& folder)
{
    auto counting = std::make_shared<CountingBackend>(std::move(backend));
    BenchFrontend ui((folder / "").string());
    TExcelApp app(counting, &ui);
    std::vector<std::string> names;
    app.GetWorkbookNames(names);
    TXMLToExcelControl control(ui);
    control.ResetRows();
    TExcelToXML(ui).ReadImportMapping(app, names.at(0), 1, control);

    auto start = std::chrono::steady_clock::now();
    control.TransferFile((folder / "data.xml").string(), app);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s run %d: %.3f s, %.0f elements/s, %.0f cells/s (%lld cells, %lld log lines)\n", label, run,
                seconds, ui.logLines / seconds, counting->writes / seconds, counting->writes, ui.logLines);
}

std::shared_ptr<MemoryHost> MakeMemoryWorkbook()
{
    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook("bench.xlsx", {"Start", "Data"});
    host->SetText(book, 2, "A1", "Data");
    return host;
}

#ifdef KORVEX_HAVE_OFFICE
void RunOffice(int elements, int runs, const fs::path& folder)
{
    if (OfficeFixture::FindOffice().empty()) {
        std::printf("LibreOffice: soffice not found, skipped\n");
        return;
    }
    WriteDataFile(folder / "data.xml", elements);
    OfficeFixture office;
    auto book = office.Folder() / "bench.xlsx";
    office.CreateWorkbookFile(book, {{"Start", {}}, {"Data", {{"A1", "Data"}}}});
    std::printf("LibreOffice: %d elements, %d cells each\n", elements, CellsPerElement);
    for (int run = 1; run <= runs; ++run) {
        office.CloseAll();
        office.Open(book);
        Run("LibreOffice", run, ConnectLibreOfficeAt(office.Connection()), folder);
    }
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    int elements = 50000;
    int runs = 3;
    int officeElements = 1000;
    bool office = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--office")
            office = true;
        else if (arg == "--elements" && i + 1 < argc)
            elements = std::atoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--office-elements" && i + 1 < argc)
            officeElements = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: import_bench [--elements N] [--runs N] [--office] [--office-elements N]\n");
            return 2;
        }
    }
    fs::path folder = fs::temp_directory_path() / ("korvex-import-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    WriteControlFile(folder / ImportControlFileName);
    WriteDataFile(folder / "data.xml", elements);

    int status = 0;
    try {
        std::printf("import of %d elements, %d cells each; data file %zu bytes\n", elements, CellsPerElement,
                    static_cast<size_t>(fs::file_size(folder / "data.xml")));
        for (int run = 1; run <= runs; ++run)
            Run("in-memory", run, MakeMemoryWorkbook(), folder);
        if (office) {
#ifdef KORVEX_HAVE_OFFICE
            RunOffice(officeElements, runs, folder);
#else
            (void)officeElements;
            std::printf("LibreOffice: not built in (no UNO SDK), skipped\n");
#endif
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "import_bench: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
