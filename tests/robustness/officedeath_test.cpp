// The office dies in the middle of a command: killed (SIGKILL, as a crash would end it)
// while the export reads rows and while the import writes cells. The command must end
// with a clear message and lose nothing: the export writes no file and leaves an earlier
// one alone, the import names the file it was transferring. korvex-cli --open must leave
// no office behind. Each test starts offices of its own, since it kills them.

#include "tests/support/clirun.h"
#include "shell/commanddrivers.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/officefixture.h"
#include "tests/support/processlist.h"
#include "host/buffering/readahead.h"
#include "host/libreoffice/unohost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

using testcli::Entries;
using testcli::ReadFile;

void WriteFile(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// Kills the office processes whose command line holds marker, as a crash would end
// them. Returns how many were killed.
int KillOffice(const std::string& marker)
{
    int killed = 0;
    for (pid_t pid : testprocesses::ProcessesMentioning(marker))
        killed += ::kill(pid, SIGKILL) == 0 ? 1 : 0;
    return killed;
}

// Killed processes may take a moment to leave the process table.
bool OfficeGone(const std::string& marker)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (testprocesses::ProcessesMentioning(marker).empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// --- Workbooks as flat OpenDocument files: thousands of rows without typing them ---

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
    return out;
}

std::string TextCell(const std::string& text)
{
    return "<table:table-cell office:value-type=\"string\"><text:p>" + Escaped(text) + "</text:p></table:table-cell>";
}

std::string Row(const std::string& cells, int repeated = 1)
{
    return "<table:table-row table:number-rows-repeated=\"" + std::to_string(repeated) + "\">" + cells +
           "</table:table-row>";
}

std::string Table(const std::string& name, const std::string& rows)
{
    return "<table:table table:name=\"" + name + "\">" + rows + "</table:table>";
}

void WriteSpreadsheet(const fs::path& file, const std::string& tables)
{
    WriteFile(file,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
              "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
              "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
              "<office:body><office:spreadsheet>" +
                  tables + "</office:spreadsheet></office:body></office:document>\n");
}

// The export's workbook: root Root, UTF-8 output to output, one data sheet under
// control.ini with rows data rows from row 5 on.
void WriteExportBook(const fs::path& file, const fs::path& output, int rows)
{
    const std::string zero = "<table:table-cell office:value-type=\"float\" office:value=\"0\"><text:p>0</text:p>"
                             "</table:table-cell>";
    WriteSpreadsheet(file, Table("Start", Row(TextCell("Root")) + Row(TextCell(output.string())) + Row(zero)) +
                               Table("Data", Row(TextCell("control.ini") + TextCell("1.00")) +
                                                 Row("<table:table-cell/>", 3) +
                                                 Row(TextCell("value") + TextCell("other"), rows)));
}

const std::string ExportControl = "[MAIN]\nCOLS=A;B\n[MAPPING]\nA=BeginItem(Row);Attribute(a)\nB=Attribute(b);EndItem(Row)\n";

// The import's workbook: its second sheet is the page "Page".
void WriteImportBook(const fs::path& file)
{
    WriteSpreadsheet(file, Table("Start", Row("<table:table-cell/>")) + Table("Lap", Row(TextCell("Page"))));
}

const std::string ImportControl =
    R"(<C><DBItem ID="Item" Page="Page"><Attribute ID="no" Col="A"/><SubItem ID="Name" Col="B" Echo=""/></DBItem></C>)";

// Enough elements that the import sends cells to the office more than once.
std::string ImportData(int items)
{
    std::string data = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Items>\n";
    for (int i = 1; i <= items; ++i)
        data += "<Item no=\"" + std::to_string(i) + "\"><Name>name " + std::to_string(i) + "</Name></Item>\n";
    return data + "</Items>\n";
}
constexpr int ImportItems = 20000;

class Scratch : public testcli::ScratchFolder {
public:
    Scratch() : ScratchFolder("korvex-death") {}
};

// A frontend that runs an action once: when the export shows a row on the status bar,
// or when a log line starts with a text.
class KillingFrontend : public FakeFrontend {
public:
    void SetStatus(int panel, std::string_view text) override
    {
        FakeFrontend::SetStatus(panel, text);
        if (panel == 2 && !atRow.empty() && text == atRow)
            Fire();
    }
    void AppendLog(std::string_view line) override
    {
        FakeFrontend::AppendLog(line);
        if (!atLog.empty() && line.substr(0, atLog.size()) == atLog)
            Fire();
    }

    std::string atRow;
    std::string atLog;
    std::function<void()> action;
    bool fired = false;

private:
    void Fire()
    {
        if (!fired && action) {
            fired = true;
            action();
        }
    }
};

class OfficeDeathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (OfficeFixture::FindOffice().empty())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
        office = std::make_unique<OfficeFixture>();
        marker = "--accept=" + office->Connection() + ";";
        ui.dataFolder = (data / "").string();
    }

    HostConnector Connector() const
    {
        return [connection = office->Connection()] { return ConnectLibreOfficeAt(connection); };
    }
    void KillOfficeNow() { ASSERT_GT(KillOffice(marker), 0) << "no office process found"; }

    Scratch scratch;
    fs::path data = scratch.Folder("data");
    std::unique_ptr<OfficeFixture> office;
    std::string marker;
    KillingFrontend ui;
};

TEST_F(OfficeDeathTest, AnExportWhoseOfficeDiesWhileReadingRowsWritesNothing)
{
    fs::path output = scratch.Folder("out") / "export.xml";
    WriteFile(output, "earlier");
    WriteFile(data / "control.ini", ExportControl);
    fs::path book = office->Folder() / "rows.fods";
    WriteExportBook(book, output, 3 * SheetReadAhead::MaxRows);
    office->Open(book);
    ui.atRow = "100";
    ui.action = [this] { KillOfficeNow(); };

    auto start = std::chrono::steady_clock::now();
    RunExcelToXML(ui, Connector());
    std::cout << "the export ended " << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
              << " s after it started\n";

    ASSERT_TRUE(ui.fired);
    ASSERT_EQ(ui.failedWorkbooks.size(), 1u);
    EXPECT_TRUE(Contains(ui.failedWorkbooks[0].text, "A munkalap már nem érhető el")) << ui.failedWorkbooks[0].text;
    EXPECT_TRUE(ui.saveQuestions.empty());
    EXPECT_EQ(ReadFile(output), "earlier");
    EXPECT_EQ(Entries(output.parent_path()), std::vector<std::string>{"export.xml"});
    EXPECT_TRUE(OfficeGone(marker));
}

TEST_F(OfficeDeathTest, AnImportWhoseOfficeDiesWhileWritingCellsNamesTheFile)
{
    WriteFile(data / "XMLToExcel.xml", ImportControl);
    fs::path items = scratch.Folder("in") / "items.xml";
    WriteFile(items, ImportData(ImportItems));
    fs::path book = office->Folder() / "import.fods";
    WriteImportBook(book);
    office->Open(book);
    ui.dataFiles = {items.string()};
    ui.atLog = "Item ";  // the first element is in the office: more are on their way
    ui.action = [this] { KillOfficeNow(); };

    std::string failure;
    auto start = std::chrono::steady_clock::now();
    try {
        RunXMLToExcel(ui, Connector());
    } catch (const std::exception& error) {
        failure = error.what();
    }
    std::cout << "the import ended " << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
              << " s after it started: " << failure << "\n";

    ASSERT_TRUE(ui.fired);
    EXPECT_TRUE(Contains(failure, "Az importálás megszakadt: " + items.string())) << failure;
    ASSERT_FALSE(ui.log.empty());
    EXPECT_EQ(ui.log.front(), items.string());
    EXPECT_NE(ui.log.back(), "*** End ***");
    EXPECT_TRUE(OfficeGone(marker));
}

// --- korvex-cli --open --------------------------------------------------------------

using CliRun = testcli::Run;

// Runs korvex-cli with TMPDIR=tmp (so its office's command line names tmp). stderr is a
// terminal, so the export shows its rows there. watch sees the run after every read.
CliRun RunCli(const std::vector<std::string>& args, const fs::path& tmp, const std::function<void(const CliRun&)>& watch)
{
    return testcli::RunProgram(KORVEX_CLI, args, {tmp, {}, {}, true}, watch);
}

class CliOfficeDeathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (OfficeFixture::FindOffice().empty())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }

    // Runs korvex-cli and kills its office once reached says so.
    CliRun RunAndKill(const std::vector<std::string>& args, const std::function<bool(const CliRun&)>& reached)
    {
        return RunCli(args, tmp, [&](const CliRun& sofar) {
            if (!killed && reached(sofar))
                killed = KillOffice(tmp.string()) > 0;
        });
    }

    // No process, profile folder or temporary file of the run's office is left.
    void ExpectNoOfficeLeft()
    {
        EXPECT_TRUE(OfficeGone(tmp.string())) << "an office of the run is still running";
        EXPECT_EQ(Entries(tmp), std::vector<std::string>{}) << "the office's folder is left behind";
    }

    Scratch scratch;
    fs::path data = scratch.Folder("data");
    fs::path tmp = scratch.Folder("tmp");
    bool killed = false;
};

TEST_F(CliOfficeDeathTest, ExportLeavesNoOfficeAndNoFile)
{
    fs::path outputs = scratch.Folder("out");
    WriteFile(data / "control.ini", ExportControl);
    fs::path book = scratch.Folder("books") / "rows.fods";
    WriteExportBook(book, "export.xml", 5 * SheetReadAhead::MaxRows);

    CliRun run = RunAndKill({"export", "--data-folder", data.string(), "--open", book.string(), "--output-dir",
                          outputs.string()},
                         [](const CliRun& sofar) { return Contains(sofar.err, ": 100. sor"); });

    ASSERT_TRUE(killed) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "A munkalap már nem érhető el")) << run.err;
    EXPECT_EQ(Entries(outputs), std::vector<std::string>{});
    ExpectNoOfficeLeft();
}

TEST_F(CliOfficeDeathTest, ImportNamesTheFileAndLeavesNoOffice)
{
    WriteFile(data / "XMLToExcel.xml", ImportControl);
    fs::path items = scratch.Folder("in") / "items.xml";
    WriteFile(items, ImportData(ImportItems));
    fs::path book = scratch.Folder("books") / "import.fods";
    WriteImportBook(book);

    CliRun run = RunAndKill({"import", "--data-folder", data.string(), "--open", book.string(), items.string()},
                         [](const CliRun& sofar) { return Contains(sofar.out, "Item name 1\n"); });

    ASSERT_TRUE(killed) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "Az importálás megszakadt: " + items.string())) << run.err;
    EXPECT_FALSE(Contains(run.out, "*** End ***"));
    ExpectNoOfficeLeft();
}

}  // namespace
