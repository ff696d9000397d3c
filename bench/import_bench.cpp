// Import throughput: a generated data file of 50,000 top-level elements, each with two
// attributes and four sub elements (six cells), transferred into one worksheet on the
// in-memory host and, with --office, through a private headless LibreOffice, there side
// by side cell by cell (KORVEX_HOST_UNBUFFERED=1, with fewer elements: about a
// millisecond a cell) and with writes in blocks. Prints elements per second, written
// cells per second and write calls; the last line is "import speed-up: N", buffered
// over cell by cell per element through LibreOffice.
//
// Also: each in-memory run followed by libxml2 reading the same file into a tree
// (xmlReadFile) and walking it (every attribute value and element text), with the
// ratio of the best times; the peak memory of a process that imports --peak-elements
// (200,000) elements into a host that discards the cells; with --office the same
// import again into the rows it has just filled, beside the import into empty rows.
// Every figure line ends with the machine's load. Run by hand:
//     import_bench [--elements N] [--runs N] [--office] [--slow-elements N] [--peak-elements N]

#include "bench/benchfrontend.h"
#include "bench/countingbackend.h"
#include "export/exceltoxml.h"
#include "host/memory/memoryhost.h"
#include "common/processmemory.h"
#include "common/xmldocument.h"
#include "import/xmltoexcelcontrol.h"

#ifdef KORVEX_HAVE_OFFICE
#include "tests/support/officefixture.h"
#include "host/libreoffice/unohost.h"
#endif

#include <libxml/parser.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int CellsPerElement = 6;

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

// Reads the control file, maps the last workbook and transfers the data file, as the
// command does. Buffered or not is decided when the connection is made. Returns the
// elements per second.
double Run(const char* label, int run, std::shared_ptr<HostBackend> backend, const fs::path& folder,
           const fs::path& data, bool buffered = true)
{
    if (!buffered)
        ::setenv("KORVEX_HOST_UNBUFFERED", "1", 1);
    auto counting = std::make_shared<CountingBackend>(std::move(backend));
    BenchFrontend ui("import_bench", (folder / "").string());
    TExcelApp app(counting, &ui);
    ::unsetenv("KORVEX_HOST_UNBUFFERED");
    std::vector<std::string> names;
    app.GetWorkbookNames(names);
    TXMLToExcelControl control(ui);
    control.ResetRows();
    TExcelToXML(ui).ReadImportMapping(app, names.back(), static_cast<int>(names.size()), control);

    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    control.TransferFile(data.string(), app);
    double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s, %lld elements, run %d: %.3f s (%.3f s of CPU), %.0f elements/s, %.0f cells/s (%lld cells in %lld "
                "write calls, %.3f s in them) (%s)\n",
                label, ui.logLines, run, seconds, cpu, ui.logLines / seconds, counting->writes / seconds,
                counting->writes, counting->writeCalls, counting->hostSeconds, MachineLoad().c_str());
    return ui.logLines / seconds;
}

std::shared_ptr<MemoryHost> MakeMemoryWorkbook()
{
    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook("bench.xlsx", {"Start", "Data"});
    host->SetText(book, 2, "A1", "Data");
    return host;
}

// libxml2 reading the file into a tree and walking every top-level element: its
// attribute values and the texts of its children. Returns the seconds taken.
double ReadWithLibxml2(const fs::path& data)
{
    auto start = std::chrono::steady_clock::now();
    xmlDoc* doc = xmlReadFile(data.c_str(), nullptr, XML_PARSE_NONET);
    if (!doc)
        throw std::runtime_error("libxml2 cannot read " + data.string());
    size_t bytes = 0;
    for (xmlNode* element = xmlDocGetRootElement(doc)->children; element; element = element->next) {
        if (element->type != XML_ELEMENT_NODE)
            continue;
        for (xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
            xmlChar* value = xmlNodeListGetString(doc, attribute->children, 1);
            bytes += xmlStrlen(value);
            xmlFree(value);
        }
        for (xmlNode* child = element->children; child; child = child->next) {
            xmlChar* text = xmlNodeGetContent(child);
            bytes += xmlStrlen(text);
            xmlFree(text);
        }
    }
    xmlFreeDoc(doc);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return bytes > 0 ? seconds : -1;
}

// A host whose data sheet takes every write and keeps nothing, so that a process's
// peak memory is the engine's own.
class DiscardingBackend : public HostBackend {
public:
    int WorkbookCount() override { return 1; }
    std::string WorkbookFullName(int) override { return "bench.xlsx"; }
    int SheetCount(int) override { return 2; }
    std::unique_ptr<HostSheet> Sheet(int, int sheet) override { return std::make_unique<DiscardingSheet>(sheet); }

private:
    class DiscardingSheet : public HostSheet {
    public:
        explicit DiscardingSheet(int sheet) : sheet_(sheet) {}
        std::string Name() override { return sheet_ == 2 ? "Data" : "Start"; }
        CellValue ReadCell(int row, int column) override
        {
            return sheet_ == 2 && row == 1 && column == 1 ? CellValue::FromText("Data") : CellValue{};
        }
        void WriteCell(int, int, const CellValue&) override {}
        bool BlockAccess() const override { return true; }
        CellRange UsedArea() override { return {1, 1, 1, 1}; }
        std::vector<CellValue> ReadBlock(const CellRange& range) override
        {
            std::vector<CellValue> values(static_cast<size_t>(range.Cells()));
            for (int row = range.row; row <= range.LastRow(); ++row)
                for (int column = range.column; column <= range.LastColumn(); ++column)
                    values[static_cast<size_t>(row - range.row) * range.columns + (column - range.column)] =
                        ReadCell(row, column);
            return values;
        }
        void WriteBlock(const CellRange&, const std::vector<CellValue>&) override {}
        BlockWriteLimits WriteLimits(const CellRange&) override { return {}; }

    private:
        int sheet_;
    };
};

// Imports a file of the given number of elements in a child process and prints that
// process's peak memory.
void PrintPeakMemory(int elements, const fs::path& folder)
{
    const fs::path data = folder / "peak.xml";
    WriteDataFile(data, elements);
    std::fflush(stdout);
    pid_t child = ::fork();
    if (child == 0) {
        int status = 0;
        try {
            rusage before{};
            ::getrusage(RUSAGE_SELF, &before);
            std::printf("peak memory run: the process holds %.1f MiB before the import\n", before.ru_maxrss / 1024.0);
            Run("peak memory run, cells discarded", 1, std::make_shared<DiscardingBackend>(), folder, data);
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            std::printf("peak memory of an import of %d elements (%.1f MiB file): %.1f MiB (%s)\n", elements,
                        fs::file_size(data) / 1048576.0, usage.ru_maxrss / 1024.0, MachineLoad().c_str());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "import_bench: %s\n", error.what());
            status = 1;
        }
        std::fflush(stdout);
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    fs::remove(data);
}

#ifdef KORVEX_HAVE_OFFICE
// Cell by cell with fewer elements, then in blocks, each into a fresh document.
// Returns the elements per second of each.
std::pair<double, double> RunOffice(int slowElements, const fs::path& folder)
{
    WriteDataFile(folder / "slow.xml", slowElements);
    OfficeFixture office;
    office.CreateDocument({{"Start", {}}, {"Data", {{"A1", "Data"}}}});
    double slow = Run("LibreOffice cell by cell (KORVEX_HOST_UNBUFFERED=1)", 1,
                      ConnectLibreOfficeAt(office.Connection()), folder, folder / "slow.xml", false);
    office.CloseAll();
    office.CreateDocument({{"Start", {}}, {"Data", {{"A1", "Data"}}}});
    double fast = Run("LibreOffice buffered", 1, ConnectLibreOfficeAt(office.Connection()), folder, folder / "data.xml");
    // The same rows again: now they hold what the first import wrote.
    double refill = Run("LibreOffice buffered, into the rows just filled", 1, ConnectLibreOfficeAt(office.Connection()),
                        folder, folder / "data.xml");
    std::printf("import into rows that already hold data: %.2f times the time into empty rows (%s)\n", fast / refill,
                MachineLoad().c_str());
    return {slow, fast};
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    // As korvex-cli and the window run.
    KeepLargeBlocksForReuse();
    int elements = 50000;
    int runs = 3;
    int slowElements = 500;
    int peakElements = 200000;
    bool office = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--office")
            office = true;
        else if (arg == "--elements" && i + 1 < argc)
            elements = std::atoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--slow-elements" && i + 1 < argc)
            slowElements = std::atoi(argv[++i]);
        else if (arg == "--peak-elements" && i + 1 < argc)
            peakElements = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: import_bench [--elements N] [--runs N] [--office] [--slow-elements N] "
                                 "[--peak-elements N]\n");
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
        // First, while this process is small: a child's peak starts from its parent's size.
        if (peakElements > 0)
            PrintPeakMemory(peakElements, folder);
        double memory = 0;
        double libxml2 = 1e9;
        for (int run = 1; run <= runs; ++run) {
            memory = std::max(memory, Run("in-memory host", run, MakeMemoryWorkbook(), folder, folder / "data.xml"));
            double seconds = ReadWithLibxml2(folder / "data.xml");
            std::printf("libxml2 xmlReadFile and a walk, run %d: %.3f s (%s)\n", run, seconds, MachineLoad().c_str());
            libxml2 = std::min(libxml2, seconds);
        }
        std::printf("in-memory import: %.2f times the time of libxml2 reading and walking the file (%s)\n",
                    elements / memory / libxml2, MachineLoad().c_str());
        if (office) {
#ifdef KORVEX_HAVE_OFFICE
            if (OfficeFixture::FindOffice().empty()) {
                std::printf("LibreOffice: soffice not found, skipped\n");
            } else {
                auto [slow, fast] = RunOffice(slowElements, folder);
                std::printf("LibreOffice buffered over the in-memory host: %.2f times the time an element\n",
                            memory / fast);
                std::printf("import speed-up: %.0f\n", fast / slow);
            }
#else
            (void)slowElements;
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
