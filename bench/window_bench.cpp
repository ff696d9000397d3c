// The main window's export beside the command line's on the same workbook: the same
// engine, once behind TMainForm (shown, with its status panels, progress and log; the
// two questions answered at once) and once behind the terminal frontend of korvex-cli.
// Prints each time and the line
//   window/cli export time: N
// (the window's time over the command line's). Run under Xvfb or QT_QPA_PLATFORM=offscreen:
//     window_bench [--rows N] [--runs N] [--office]
// Without --office the workbook is held in memory; with it, it lies in a private
// headless LibreOffice.

#include "shell/clifrontend.h"
#include "shell/commanddrivers.h"
#include "shell/mainform.h"
#include "host/memory/memoryhost.h"

#ifdef KORVEX_HAVE_OFFICE
#include "tests/support/officefixture.h"
#include "host/libreoffice/unohost.h"
#endif

#include <QApplication>
#include <QPlainTextEdit>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Columns = 8;

// The window with the two questions answered as korvex-cli answers them.
class AnsweringForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    std::optional<std::string> AskSaveFileName(std::string_view proposed) override { return std::string(proposed); }
    std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) override
    {
        return std::vector<bool>(names.size(), true);
    }
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

std::vector<CellValue> DataValues(int rows)
{
    std::vector<CellValue> values;
    values.reserve(static_cast<size_t>(rows) * Columns);
    for (int row = 5; row < 5 + rows; ++row)
        for (int column = 1; column <= Columns; ++column)
            values.push_back(column % 2 ? CellValue::FromText("sor " + std::to_string(row) + " oszlop " +
                                                              std::to_string(column))
                                        : CellValue::FromNumber(row * 10 + column));
    return values;
}

std::shared_ptr<HostBackend> MemoryWorkbook(int rows, const fs::path& output)
{
    auto host = std::make_shared<MemoryHost>();
    int book = host->AddWorkbook("bench.xlsx", {"Start", "Data"});
    host->SetText(book, 1, "A1", "Data");
    host->SetText(book, 1, "A2", output.string());
    host->Set(book, 1, "A3", CellValue::FromNumber(0));
    host->SetText(book, 2, "A1", "bench.ini");
    host->SetText(book, 2, "B1", "1.00");
    host->Sheet(book, 2)->WriteBlock({5, 1, rows, Columns}, DataValues(rows));
    return host;
}

double Seconds(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double RunWindow(const HostConnector& connect, const fs::path& folder)
{
    qputenv("KORVEX_DATA_FOLDER", QByteArray::fromStdString(folder.string()));
    AnsweringForm form(connect);
    form.show();
    QApplication::processEvents();
    double seconds = Seconds([&] { form.ExcelToXMLClick(); });
    if (form.XMLDest()->toPlainText().isEmpty())
        throw std::runtime_error("the window's export wrote nothing");
    return seconds;
}

double RunCli(const HostConnector& connect, const fs::path& folder)
{
    CliOptions options;
    std::ostringstream out, err;
    TCliFrontend ui(options, folder.string() + "/", out, err, false);
    double seconds = Seconds([&] { RunExcelToXML(ui, connect); });
    if (ui.Failed())
        throw std::runtime_error("the command line's export failed: " + err.str());
    return seconds;
}

void Compare(const char* label, const HostConnector& connect, const fs::path& folder, int rows, int runs)
{
    double window = 0, cli = 0;
    for (int run = 1; run <= runs; ++run) {
        double c = RunCli(connect, folder);
        double w = RunWindow(connect, folder);
        std::printf("%s, %d rows x %d columns, run %d: window %.3f s, cli %.3f s\n", label, rows, Columns, run, w, c);
        window += w;
        cli += c;
    }
    std::printf("window/cli export time: %.2f\n", window / cli);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int rows = 20000;
    int runs = 1;
    bool office = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--office")
            office = true;
        else if (arg == "--rows" && i + 1 < argc)
            rows = std::stoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::stoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: window_bench [--rows N] [--runs N] [--office]\n");
            return 2;
        }
    }
    try {
        fs::path folder = fs::temp_directory_path() / ("korvex-window-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        WriteControlFile(folder / "bench.ini");
        const fs::path output = folder / "bench.xml";
        if (!office) {
            auto host = MemoryWorkbook(rows, output);
            Compare("in-memory workbook", [host] { return host; }, folder, rows, runs);
        } else {
#ifdef KORVEX_HAVE_OFFICE
            OfficeFixture officeProcess;
            officeProcess.CreateDocument({{"Start", {{"A1", "Data"}, {"A2", output.string()}, {"A3", "0"}}},
                                          {"Data", {{"A1", "bench.ini"}, {"B1", "'1.00"}}}});
            const std::string connection = officeProcess.Connection();
            auto filler = ConnectLibreOfficeAt(connection);
            filler->Sheet(filler->WorkbookCount(), 2)->WriteBlock({5, 1, rows, Columns}, DataValues(rows));
            Compare("LibreOffice workbook", [connection] { return ConnectLibreOfficeAt(connection); }, folder, rows,
                    runs);
#else
            std::printf("LibreOffice: not built in (no UNO SDK), skipped\n");
#endif
        }
        fs::remove_all(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
