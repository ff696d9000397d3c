// Export throughput: a generated workbook of 20,000 data rows x 8 columns converted
// into one XML file, on the in-memory host and, with --office, through a private
// headless LibreOffice, there side by side cell by cell (KORVEX_HOST_UNBUFFERED=1, on
// a smaller workbook: about a millisecond a cell) and with reads in blocks. Prints
// rows per second and host calls (every call into the backend); the last line is
// "export speed-up: N", buffered over cell by cell per row through LibreOffice.
// On the in-memory host the export also runs with its output validated against an XML
// Schema; "schema validation: ..." compares the two times (goal: at most 1.5 times).
//
// The engine beside libxml2: the in-memory export of 10,000 and of 160,000 rows, each
// run followed by libxml2's xmlTextWriter writing the same bytes from the same values
// (checked), and the rows per second at 160,000 over those at 10,000 (1 = linear).
// With --office also the office start (connect-ready) with the cached profile and
// with a fresh one. Every figure line ends with the machine's load. Run by hand:
//     export_bench [--rows N] [--runs N] [--office] [--slow-rows N] [--no-scale]

#include "bench/benchfrontend.h"
#include "bench/countingbackend.h"
#include "export/exceltoxml.h"
#include "host/memory/memoryhost.h"
#include "common/processmemory.h"
#include "common/xmldocument.h"

#include <libxml/xmlwriter.h>

#ifdef KORVEX_HAVE_OFFICE
#include "tests/support/officefixture.h"
#include "host/libreoffice/officeprocess.h"
#include "host/libreoffice/unohost.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int Columns = 8;

void WriteControlFile(const fs::path& path, const std::string& schema = "")
{
    std::ofstream file(path, std::ios::binary);
    file << "[MAIN]\r\nVERSION=1.00\r\n" << (schema.empty() ? "" : "SCHEMA=" + schema + "\r\n")
         << "COLS=A;B;C;D;E;F;G;H\r\n[MAPPING]\r\n"
         << "A=EndItem(Row);BeginItem(Row);Attribute(id)\r\n";
    for (char column = 'B'; column < 'A' + Columns; ++column)
        file << column << "=BeginItem(C" << column << ");Content;EndItem(C" << column << ")\r\n";
    file << "[FORMAT]\r\nRow=1\r\n";
}

// The schema of the generated output: Row elements with an id, texts in the odd
// columns, integers in the even ones.
void WriteSchema(const fs::path& path)
{
    std::ofstream file(path, std::ios::binary);
    file << "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
         << "<xs:element name=\"Data\"><xs:complexType><xs:sequence>\n"
         << "<xs:element name=\"Row\" minOccurs=\"0\" maxOccurs=\"unbounded\"><xs:complexType><xs:sequence>\n";
    for (int column = 2; column <= Columns; ++column)
        file << "<xs:element name=\"C" << char('A' + column - 1) << "\" type=\""
             << (column % 2 ? "xs:string" : "xs:integer") << "\"/>\n";
    file << "</xs:sequence><xs:attribute name=\"id\" type=\"xs:string\" use=\"required\"/></xs:complexType>"
         << "</xs:element>\n</xs:sequence></xs:complexType></xs:element>\n</xs:schema>\n";
}

std::string DataText(int row, int column)
{
    return column % 2 ? "sor " + std::to_string(row) + " oszlop " + std::to_string(column)
                      : std::to_string(row * 10 + column);
}

std::shared_ptr<MemoryHost> MakeMemoryWorkbook(int rows, const fs::path& output,
                                               const std::string& controlFile = "bench.ini")
{
    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook("bench.xlsx", {"Start", "Data"});
    host->SetText(book, 1, "A1", "Data");
    host->SetText(book, 1, "A2", output.string());
    host->Set(book, 1, "A3", CellValue::FromNumber(0));
    host->SetText(book, 2, "A1", controlFile);
    host->SetText(book, 2, "B1", "1.00");
    for (int row = 5; row < 5 + rows; ++row)
        for (int column = 1; column <= Columns; ++column)
            host->Set(book, 2, row, column,
                      column % 2 ? CellValue::FromText(DataText(row, column))
                                 : CellValue::FromNumber(row * 10 + column));
    return host;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// libxml2 writing the text the export writes for a workbook of MakeMemoryWorkbook,
// from the same values, with its streaming writer; the layout goes in as raw text.
// Returns the seconds taken.
double WriteWithLibxml2(int rows, const fs::path& file)
{
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<xmlTextWriter, decltype(&xmlFreeTextWriter)> writer(
        xmlNewTextWriterFilename(file.c_str(), 0), xmlFreeTextWriter);
    if (!writer)
        throw std::runtime_error("libxml2 cannot write " + file.string());
    auto raw = [&](const char* text) { xmlTextWriterWriteRaw(writer.get(), BAD_CAST text); };
    auto name = [](const std::string& text) { return BAD_CAST text.c_str(); };
    raw("<?xml version=\"1.0\" encoding=\"utf-8\"?>\t");
    xmlTextWriterStartElement(writer.get(), BAD_CAST "Data");
    std::string text;
    for (int row = 5; row < 5 + rows; ++row) {
        raw("\r\n\t");
        xmlTextWriterStartElement(writer.get(), BAD_CAST "Row");
        text = DataText(row, 1);
        xmlTextWriterWriteAttribute(writer.get(), BAD_CAST "id", name(text));
        for (int column = 2; column <= Columns; ++column) {
            raw("\t");
            std::string element = std::string("C") + char('A' + column - 1);
            xmlTextWriterStartElement(writer.get(), name(element));
            text = DataText(row, column);
            xmlTextWriterWriteString(writer.get(), name(text));
            xmlTextWriterEndElement(writer.get());
        }
        raw("\t");
        xmlTextWriterEndElement(writer.get());
    }
    raw("\t");
    xmlTextWriterEndElement(writer.get());
    if (xmlTextWriterFlush(writer.get()) < 0)
        throw std::runtime_error("libxml2 cannot write " + file.string());
    writer.reset();
    return Seconds(start);
}

std::string FileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Converts a workbook of the host, prints the figures of the run and gives its rows
// per second. Buffered or not is decided when the connection is made.
double Run(const char* label, int run, int rows, std::shared_ptr<HostBackend> backend, int book,
           const fs::path& folder, bool buffered = true)
{
    if (!buffered)
        ::setenv("KORVEX_HOST_UNBUFFERED", "1", 1);
    auto counting = std::make_shared<CountingBackend>(std::move(backend));
    BenchFrontend ui("export_bench", (folder / "").string());
    TExcelApp app(counting, &ui);
    ::unsetenv("KORVEX_HOST_UNBUFFERED");
    std::vector<std::string> names;
    app.GetWorkbookNames(names);
    counting->calls = 0;
    TExcelToXML converter(ui);
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    converter.Convert(app, names.at(static_cast<size_t>(book) - 1), book);
    double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s, %d rows, run %d: %.3f s (%.3f s of CPU), %.0f rows/s, %lld host calls, %zu bytes written (%s)\n",
                label, rows, run, seconds, cpu, rows / seconds, counting->calls,
                static_cast<size_t>(fs::file_size(folder / "bench.xml")), MachineLoad().c_str());
    if (ui.warnings > 0)
        throw std::runtime_error("the export showed a warning");
    return rows / seconds;
}

// The in-memory export of 10,000 and 160,000 rows, each run followed by libxml2 writing
// the same bytes; the best of the runs of each.
void RunScale(int runs, const fs::path& folder)
{
    const int sizes[] = {10000, 160000};
    struct Best {
        double export_ = 0;   // rows/s
        double libxml2 = 0;  // rows/s
    } best[2];
    std::shared_ptr<MemoryHost> hosts[2];
    for (int i = 0; i < 2; ++i)
        hosts[i] = MakeMemoryWorkbook(sizes[i], folder / "bench.xml");
    for (int run = 1; run <= runs; ++run) {
        for (int i = 0; i < 2; ++i) {
            double rate = Run("in-memory host", run, sizes[i], hosts[i], 1, folder);
            double seconds = WriteWithLibxml2(sizes[i], folder / "libxml2.xml");
            if (FileBytes(folder / "libxml2.xml") != FileBytes(folder / "bench.xml"))
                throw std::runtime_error("libxml2 did not write the bytes of the export");
            std::printf("libxml2 xmlTextWriter, the same bytes, %d rows, run %d: %.3f s, %.0f rows/s (%s)\n",
                        sizes[i], run, seconds, sizes[i] / seconds, MachineLoad().c_str());
            best[i].export_ = std::max(best[i].export_, rate);
            best[i].libxml2 = std::max(best[i].libxml2, sizes[i] / seconds);
        }
    }
    for (int i = 0; i < 2; ++i)
        std::printf("in-memory export, %d rows: %.0f rows/s, %.2f times libxml2's time for the same bytes (%s)\n",
                    sizes[i], best[i].export_, best[i].libxml2 / best[i].export_, MachineLoad().c_str());
    std::printf("in-memory export linearity: rows/s at %d over rows/s at %d: %.2f (%s)\n", sizes[1], sizes[0],
                best[1].export_ / best[0].export_, MachineLoad().c_str());
}

#ifdef KORVEX_HAVE_OFFICE
// Office start until it accepts connections: with the cached profile (made first when
// missing) and with a fresh profile, alternately; the best of each.
void RunOfficeStart(int runs)
{
    double cached = 1e9, fresh = 1e9;
    OfficeProcess::Options options;
    options.pipePrefix = "korvex-bench";
    OfficeProcess(options).Stop();  // makes the cached profile when it is missing
    for (int run = 1; run <= runs; ++run) {
        for (bool useCache : {true, false}) {
            options.cachedProfile = useCache;
            auto start = std::chrono::steady_clock::now();
            OfficeProcess office(options);
            double seconds = Seconds(start);
            office.Stop();
            std::printf("office start (connect-ready), %s profile, run %d: %.2f s (%s)\n",
                        useCache ? "cached" : "fresh", run, seconds, MachineLoad().c_str());
            (useCache ? cached : fresh) = std::min(useCache ? cached : fresh, seconds);
        }
    }
    std::printf("office start (connect-ready): %.2f s with the cached profile, %.2f s with a fresh one (%s)\n", cached,
                fresh, MachineLoad().c_str());
}

// A workbook in the office: its sheet 1 names the output, its data sheet is filled
// with one block write (typing 160,000 cells one by one takes minutes).
void MakeOfficeWorkbook(OfficeFixture& office, int rows, const fs::path& folder)
{
    office.CreateDocument({{"Start", {{"A1", "Data"}, {"A2", (folder / "bench.xml").string()}, {"A3", "0"}}},
                           {"Data", {{"A1", "bench.ini"}, {"B1", "'1.00"}}}});
    auto host = ConnectLibreOfficeAt(office.Connection());
    if (!host)
        throw std::runtime_error("no connection to the office");
    std::vector<CellValue> values;
    values.reserve(static_cast<size_t>(rows) * Columns);
    for (int row = 5; row < 5 + rows; ++row)
        for (int column = 1; column <= Columns; ++column)
            values.push_back(column % 2 ? CellValue::FromText(DataText(row, column))
                                        : CellValue::FromNumber(row * 10 + column));
    host->Sheet(host->WorkbookCount(), 2)->WriteBlock({5, 1, rows, Columns}, values);
}

// Cell by cell on a small workbook (1), in blocks on the full one (2). Returns the
// rows per second of each.
std::pair<double, double> RunOffice(int rows, int slowRows, const fs::path& folder)
{
    OfficeFixture office;
    auto start = std::chrono::steady_clock::now();
    MakeOfficeWorkbook(office, slowRows, folder);
    MakeOfficeWorkbook(office, rows, folder);
    std::printf("LibreOffice: workbooks of %d and %d rows made in %.1f s\n", slowRows, rows,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    double slow = Run("LibreOffice cell by cell (KORVEX_HOST_UNBUFFERED=1)", 1, slowRows,
                      ConnectLibreOfficeAt(office.Connection()), 1, folder, false);
    double fast = Run("LibreOffice buffered", 1, rows, ConnectLibreOfficeAt(office.Connection()), 2, folder);
    return {slow, fast};
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    // As korvex-cli and the window run.
    KeepLargeBlocksForReuse();
    int rows = 20000;
    int runs = 3;
    int slowRows = 500;
    bool office = false;
    bool scale = true;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--office")
            office = true;
        else if (arg == "--no-scale")
            scale = false;
        else if (arg == "--rows" && i + 1 < argc)
            rows = std::atoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--slow-rows" && i + 1 < argc)
            slowRows = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: export_bench [--rows N] [--runs N] [--office] [--slow-rows N] [--no-scale]\n");
            return 2;
        }
    }
    fs::path folder = fs::temp_directory_path() / ("korvex-export-bench-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    WriteControlFile(folder / "bench.ini");
    WriteControlFile(folder / "bench-schema.ini", "bench.xsd");
    WriteSchema(folder / "bench.xsd");

    int status = 0;
    try {
        std::printf("export of %d columns\n", Columns);
        double memory = 0;
        for (int run = 1; run <= runs; ++run)
            memory = std::max(memory, Run("in-memory host", run, rows, MakeMemoryWorkbook(rows, folder / "bench.xml"), 1, folder));
        double validated = 0;
        for (int run = 1; run <= runs; ++run)
            validated = std::max(validated, Run("in-memory host, output validated against its schema", run, rows,
                                                MakeMemoryWorkbook(rows, folder / "bench.xml", "bench-schema.ini"), 1,
                                                folder));
        std::printf("schema validation: export with validation %.3f s, without %.3f s: %.2f times (goal: at most 1.5)\n",
                    rows / validated, rows / memory, memory / validated);
        if (scale)
            RunScale(runs, folder);
        if (office) {
#ifdef KORVEX_HAVE_OFFICE
            if (OfficeFixture::FindOffice().empty()) {
                std::printf("LibreOffice: soffice not found, skipped\n");
            } else {
                RunOfficeStart(runs);
                auto [slow, fast] = RunOffice(rows, slowRows, folder);
                std::printf("LibreOffice buffered over the in-memory host: %.2f times the time a row\n", memory / fast);
                std::printf("export speed-up: %.0f\n", fast / slow);
            }
#else
            (void)slowRows;
            std::printf("LibreOffice: not built in (no UNO SDK), skipped\n");
#endif
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "export_bench: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
