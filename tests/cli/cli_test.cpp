// korvex-cli end to end: the real program on the bundled examples. Runs with --open start
// a private office of their own; the test's own office (OfficeFixture) reads results
// back through the host and stands in for "the running office" of runs without --open.

#include "tests/support/clirun.h"
#include "host/excelsheet.h"
#include "tests/support/officefixture.h"
#include "tests/support/officetest.h"
#include "tests/support/processlist.h"
#include "host/libreoffice/unohost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path Examples = fs::path(KORVEX_SOURCE_DIR) / "examples";
// The outputs the user guide shows, byte for byte.
const fs::path Expected = Examples / "expected";

using testcli::Entries;
using testcli::ReadFile;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A scratch folder whose "tmp" folder is the $TMPDIR of the program runs, so whatever
// their offices leave behind shows up there.
class Scratch : public testcli::ScratchFolder {
public:
    Scratch() : ScratchFolder("korvex-clitest") { Tmp(); }
    std::filesystem::path Tmp() const { return Folder("tmp"); }
};

// Offices killed on the way out may take a moment to be gone, and after a program that
// was killed itself, the supervisor of its office sweeps up a moment later.
bool Eventually(const std::function<bool()>& condition)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

using Result = testcli::Run;

// Runs korvex-cli in the folder above tmp, with TMPDIR set to tmp and the given
// environment additions. watch is called with the run so far whenever more output arrives.
Result RunCli(const std::vector<std::string>& args, const fs::path& tmp,
              const std::vector<std::pair<std::string, std::string>>& environment = {},
              const std::function<void(const Result&)>& watch = {})
{
    return testcli::RunProgram(KORVEX_CLI, args, {tmp, tmp.parent_path(), environment, false}, watch);
}

std::string Today()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
           std::to_string(local.tm_mday);
}

// The Date elements of CreateDateItem hold the day of the run: they are replaced by a
// marker, and their dates collected, so the rest can be compared byte for byte.
std::string WithoutDates(const std::string& text, std::vector<std::string>* dates = nullptr)
{
    static const std::regex date(
        "<Date>\t<Year>([0-9]+)</Year>\t<Month>([0-9]+)</Month>\t<Day>([0-9]+)</Day>\t</Date>");
    std::string rest;
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), date), end; it != end; ++it) {
        rest.append(last, (*it)[0].first);
        rest += "<Date>…</Date>";
        if (dates)
            dates->push_back((*it)[1].str() + "-" + (*it)[2].str() + "-" + (*it)[3].str());
        last = (*it)[0].second;
    }
    rest.append(last, text.cend());
    return rest;
}

// The cells A6:F11 of the import's target sheet after the worked example.
const std::vector<std::vector<std::string>> ImportedGrid = {
    {"1", "Őrség Bútor Kft.", "Íróasztal", "2", "", ""},
    {"", "", "Szék", "3", "", ""},
    {"", "", "", "", "sürgős", "fizetve"},
    {"", "", "", "", "", ""},
    {"2", "Ünőkő Bt.", "Lámpa", "1", "", ""},
    {"", "", "", "", "", ""},
};

class CliTest : public OfficeTest {
protected:
    // Nothing of a run's private office is left: no process, no profile folder, no socket.
    void ExpectNoOfficeLeft(const Result& run) const
    {
        const fs::path tmp = scratch.Tmp();
        EXPECT_TRUE(Eventually([&] { return testprocesses::ProcessesMentioning(tmp.string()).empty(); }))
            << "an office of the run is still running";
        EXPECT_TRUE(Eventually([&] { return Entries(tmp).empty(); })) << "the office's folder is left behind";
        const std::string socket =
            "OSL_PIPE_" + std::to_string(::getuid()) + "_korvex-cli-" + std::to_string(run.pid) + "-";
        EXPECT_TRUE(Eventually([&] {
            for (const std::string& name : Entries("/tmp"))
                if (name.rfind(socket, 0) == 0)
                    return false;
            return true;
        })) << "the office's pipe is left behind";
    }

    // Reads A6:F11 of the second sheet of a workbook file through the host.
    std::vector<std::vector<std::string>> ReadImportedGrid(const fs::path& workbook) const
    {
        office->Open(workbook);
        TExcelApp app(ConnectLibreOfficeAt(office->Connection()));
        std::vector<std::string> names;
        app.GetWorkbookNames(names);
        auto found = std::find(names.begin(), names.end(), workbook.string());
        if (found == names.end())
            throw std::runtime_error("not open in the office: " + workbook.string());
        TExcelSheet sheet;
        sheet.Open(app, workbook.string(), static_cast<int>(found - names.begin()) + 1, 2);
        std::vector<std::vector<std::string>> grid;
        for (int row = 6; row <= 11; ++row) {
            grid.emplace_back();
            for (char column = 'A'; column <= 'F'; ++column)
                grid.back().push_back(sheet.GetCellText(std::string(1, column) + std::to_string(row)));
        }
        return grid;
    }

    static std::string DataFolder() { return (Examples / "data").string(); }

    Scratch scratch;
};

TEST_F(CliTest, ExportOfTheExampleWorkbooksGivesTheExpectedFilesAndLog)
{
    fs::path utf8 = scratch.Copy(Examples / "peldak.xlsx", "books");
    fs::path latin2 = scratch.Copy(Examples / "peldak-latin2.xlsx", "books");
    fs::path out = scratch.Folder("out");

    std::string dayBefore = Today();
    Result run = RunCli({"export", "--data-folder", DataFolder(), "--open", utf8.string(), "--open", latin2.string(),
                         "--output-dir", "out"},  // relative to the folder it runs in
                        scratch.Tmp());
    std::string dayAfter = Today();

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"nyilvantartas-latin2.xml", "nyilvantartas.xml"}));
    std::vector<std::string> dates;
    for (const char* name : {"nyilvantartas.xml", "nyilvantartas-latin2.xml"})
        EXPECT_EQ(WithoutDates(ReadFile(out / name), &dates), WithoutDates(ReadFile(Expected / name))) << name;
    EXPECT_EQ(WithoutDates(run.out, &dates), WithoutDates(ReadFile(Expected / "export-log.txt")));
    ASSERT_EQ(dates.size(), 12u);  // three products, two files, file and log
    for (const std::string& date : dates)
        EXPECT_TRUE(date == dayBefore || date == dayAfter) << date;

    EXPECT_TRUE(Contains(run.err, "Kiírva / written: out/nyilvantartas.xml\n")) << run.err;
    EXPECT_TRUE(Contains(run.err, "Kiírva / written: out/nyilvantartas-latin2.xml\n")) << run.err;
    ExpectNoOfficeLeft(run);
}

// The guide's first export, as its command-line form: the invoice workbook gives the
// file the guide shows, and stdout shows the same text with LF line ends.
TEST_F(CliTest, TheGuidesFirstExportGivesTheFileItShows)
{
    fs::path workbook = scratch.Copy(Examples / "szamlak-munkafuzet.xlsx", "books");
    fs::path out = scratch.Folder("out");

    Result run = RunCli({"export", "--data-folder", DataFolder(), "--open", workbook.string(), "--output-dir", "out"},
                        scratch.Tmp());

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Entries(out), std::vector<std::string>{"szamlak-export.xml"});
    const std::string expected = ReadFile(Expected / "szamlak-export.xml");
    EXPECT_EQ(ReadFile(out / "szamlak-export.xml"), expected);
    EXPECT_EQ(run.out, std::regex_replace(expected, std::regex("\r\n"), "\n") + "\n");
    EXPECT_TRUE(Contains(run.err, "Kiírva / written: out/szamlak-export.xml\n")) << run.err;
    ExpectNoOfficeLeft(run);
}

// The import's data file, and the file the guide's first export writes from the same
// invoices, fill the sheet alike: the export and the import examples meet.
TEST_F(CliTest, ImportWithSaveAsGivesTheWorkedExampleInACopy)
{
    fs::path workbook = scratch.Copy(Examples / "import-munkafuzet.xlsx", "books");
    const std::string before = ReadFile(workbook);

    for (const fs::path& data : {Examples / "szamlak.xml", Expected / "szamlak-export.xml"}) {
        SCOPED_TRACE(data.string());
        fs::path copies = scratch.Folder("copies-" + data.stem().string());
        Result run = RunCli({"import", "--data-folder", DataFolder(), "--open", "books/import-munkafuzet.xlsx",
                             "--save-as", copies.filename().string(), data.string()},  // relative paths
                            scratch.Tmp());

        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, data.string() + "\nSzámla Őrség Bútor Kft.\nSzámla Ünőkő Bt.\n--- Összesítő\n*** End ***\n");
        EXPECT_TRUE(Contains(run.err, "Mentve / saved: " + (copies / "import-munkafuzet.xlsx").string())) << run.err;
        EXPECT_EQ(ReadFile(workbook), before) << "--save-as leaves the original alone";
        EXPECT_EQ(Entries(copies), std::vector<std::string>{"import-munkafuzet.xlsx"});
        ExpectNoOfficeLeft(run);

        EXPECT_EQ(ReadImportedGrid(copies / "import-munkafuzet.xlsx"), ImportedGrid);
        office->CloseAll();
    }
}

TEST_F(CliTest, ImportWithSaveStoresTheWorkbookOfTheRunningOfficeInPlace)
{
    fs::path workbook = scratch.Copy(Examples / "import-munkafuzet.xlsx", "books");
    office->Open(workbook);

    Result run = RunCli({"import", "--data-folder", DataFolder(), "--save", (Examples / "szamlak.xml").string()},
                        scratch.Tmp(), {{"KORVEX_OFFICE", office->Connection()}});

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "Mentve / saved: " + workbook.string())) << run.err;
    EXPECT_EQ(Entries(workbook.parent_path()), std::vector<std::string>{"import-munkafuzet.xlsx"})
        << "no temporary file is left beside the workbook";
    office->CloseAll();
    EXPECT_EQ(ReadImportedGrid(workbook), ImportedGrid);
}

TEST_F(CliTest, FailuresOfTheImportStoreNothing)
{
    fs::path workbook = scratch.Copy(Examples / "import-munkafuzet.xlsx", "books");
    const std::string before = ReadFile(workbook);
    fs::path broken = scratch.Path() / "hibas.xml";
    std::ofstream(broken) << "<?xml version=\"1.0\"?>\n<Számlák><Számla sorszám=\"3\"><Vevő>Csonka</Vevő>\n";
    fs::path noControlFile = scratch.Folder("empty");

    struct Case {
        const char* what;
        std::vector<std::string> args;
        bool privateOffice;
        std::string message;  // what stderr names
        std::string lastLog;  // the last line on stdout
    };
    const Case cases[] = {
        {"missing control file, running office",
         {"import", "--data-folder", noControlFile.string(), "--save", (Examples / "szamlak.xml").string()},
         false,
         (noControlFile / "XMLToExcel.xml").string(),
         ""},
        {"malformed second data file, private office",
         {"import", "--data-folder", DataFolder(), "--open", workbook.string(), "--save",
          (Examples / "szamlak.xml").string(), broken.string()},
         true,
         broken.string(),
         broken.string() + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.privateOffice)
            office->Open(workbook);
        Result run = RunCli(c.args, scratch.Tmp(), {{"KORVEX_OFFICE", office->Connection()}});
        office->CloseAll();

        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Contains(run.err, "Hiba / error: ")) << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        EXPECT_FALSE(Contains(run.out, "*** End ***"));
        EXPECT_TRUE(run.out.size() >= c.lastLog.size() &&
                    run.out.compare(run.out.size() - c.lastLog.size(), c.lastLog.size(), c.lastLog) == 0)
            << run.out;
        EXPECT_FALSE(Contains(run.err, "Mentve")) << run.err;
        EXPECT_EQ(ReadFile(workbook), before) << "the workbook file is untouched";
        EXPECT_EQ(Entries(workbook.parent_path()), std::vector<std::string>{"import-munkafuzet.xlsx"});
        ExpectNoOfficeLeft(run);
    }
}

TEST_F(CliTest, FilesThatCannotBeOpenedAreNamedAndNothingIsLeft)
{
    fs::path garbage = scratch.Path() / "kaputt.xlsx";
    std::ofstream(garbage, std::ios::binary) << "PK\x03\x04 this is no workbook \x01\x02\xff";
    fs::path out = scratch.Folder("out");

    for (const fs::path& file : {scratch.Path() / "nincs-ilyen.xlsx", garbage}) {
        SCOPED_TRACE(file.string());
        Result run = RunCli({"export", "--data-folder", DataFolder(), "--open", file.string(), "--output-dir",
                             out.string()},
                            scratch.Tmp());
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Contains(run.err, "Hiba / error: A fájl nem")) << run.err;
        EXPECT_TRUE(Contains(run.err, file.string())) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Entries(out), std::vector<std::string>{});
        ExpectNoOfficeLeft(run);
    }
}

TEST_F(CliTest, UsageErrorsEndWithStatusTwoBeforeAnyOfficeStarts)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"export", "--bogus"},
        {"export", "--workbook", "0"},
        {"export", "--open"},
        {"import", "--data-folder", DataFolder()},
        {"import", "--save", "--save-as", scratch.Path().string(), "a.xml"},
        {"import", "--output-dir", scratch.Path().string(), "a.xml"},
    };
    for (const auto& args : bad) {
        std::string line;
        for (const std::string& arg : args)
            line += arg + " ";
        SCOPED_TRACE(line);
        Result run = RunCli(args, scratch.Tmp());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(Contains(run.err, "korvex-cli --help")) << run.err;
        ExpectNoOfficeLeft(run);
    }

    Result help = RunCli({"--help"}, scratch.Tmp());
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--data-folder", "--open", "--workbook", "--output-dir", "--save ", "--save-as"})
        EXPECT_TRUE(Contains(help.out, option)) << option;
}

TEST_F(CliTest, WithoutAnOfficeTheExportWarnsAndFails)
{
    Result run = RunCli({"export", "--data-folder", DataFolder()}, scratch.Tmp(),
                        {{"KORVEX_OFFICE", "pipe,name=korvex-nobody-listens"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Korvex: Nincs excel fájl megnyitva, vagy az excel nem fogadóképes!\n");
}

// Ctrl-C while the office starts, and Ctrl-C, SIGTERM or SIGKILL while the import writes
// into it: the office is ended, nothing of it is left and no workbook is stored.
TEST_F(CliTest, AnInterruptEndsThePrivateOfficeAndLeavesNothing)
{
    fs::path workbook = scratch.Copy(Examples / "import-munkafuzet.xlsx", "books");
    fs::path copies = scratch.Folder("copies");
    fs::path many = scratch.Path() / "sok-szamla.xml";
    {
        std::ofstream data(many);
        data << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Számlák>\n";
        for (int i = 1; i <= 20000; ++i)
            data << "<Számla sorszám=\"" << i << "\"><Vevő>Vevő " << i
                 << "</Vevő><Tétel><Termék>Szék</Termék><Mennyiség>1</Mennyiség></Tétel></Számla>\n";
        data << "</Számlák>\n";
    }
    const std::vector<std::string> args = {"import", "--data-folder", DataFolder(), "--open", workbook.string(),
                                           "--save-as", copies.string(), many.string()};
    struct Moment {
        const char* what;
        int signal;
        std::function<bool(const Result&)> reached;
    };
    auto starting = [](const Result& run) { return Contains(run.err, "LibreOffice"); };
    auto transferring = [](const Result& run) { return Contains(run.out, "Számla Vevő 1\n"); };
    const Moment moments[] = {
        {"Ctrl-C while the office starts", SIGINT, starting},
        {"Ctrl-C during the transfer", SIGINT, transferring},
        {"SIGTERM during the transfer", SIGTERM, transferring},
        // No cleanup of its own: the supervisor of the office does it.
        {"SIGKILL during the transfer", SIGKILL, transferring},
    };
    for (const Moment& moment : moments) {
        SCOPED_TRACE(moment.what);
        bool sent = false;
        Result run = RunCli(args, scratch.Tmp(), {}, [&](const Result& sofar) {
            if (!sent && moment.reached(sofar)) {
                ::kill(sofar.pid, moment.signal);
                sent = true;
            }
        });
        ASSERT_TRUE(sent);
        if (moment.signal == SIGKILL) {
            EXPECT_EQ(run.status, 128 + SIGKILL);
        } else {
            EXPECT_EQ(run.status, 1) << run.err;
            EXPECT_TRUE(Contains(run.err, "Megszakítva / interrupted")) << run.err;
        }
        EXPECT_FALSE(Contains(run.out, "*** End ***"));
        EXPECT_EQ(Entries(copies), std::vector<std::string>{});
        ExpectNoOfficeLeft(run);
    }
}

// What --save and --save-as replace, and what they refuse to replace without --force.
// Runs against the test's own office, which has the workbook open as a user's would.
struct StoreCase {
    const char* what;
    std::function<void(const fs::path& workbook, const fs::path& copy)> prepare;
    bool saveAs;
    bool force;
    const char* refusal;  // part of stderr; "" = stored
    std::function<void(const fs::path& workbook, const fs::path& copy)> check;
};

TEST_F(CliTest, StoringKeepsWhatTheReplacedFileHadAndRefusesWhatIsNotOurs)
{
    auto lockedByOther = [](const fs::path& workbook, const fs::path&) {
        std::ofstream(workbook.parent_path() / (".~lock." + workbook.filename().string() + "#"))
            << ",Kovács Anna,masik-gep,kanna,10.12.2026 09:15,file:///home/kanna/.config/libreoffice/4;";
    };
    auto copyExists = [](const fs::path&, const fs::path& copy) { std::ofstream(copy) << "earlier copy"; };
    auto rights = [](const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; };
    const StoreCase cases[] = {
        {"a workbook another user has open", lockedByOther, false, false, "más is megnyitotta", {}},
        {"the same with --force", lockedByOther, false, true, "", {}},
        {"--save-as onto an existing file", copyExists, true, false, "már létezik", {}},
        {"the same with --force", copyExists, true, true, "",
         [](const fs::path&, const fs::path& copy) { EXPECT_NE(ReadFile(copy), "earlier copy"); }},
        {"a read-only workbook",
         [](const fs::path& workbook, const fs::path&) { fs::permissions(workbook, fs::perms(0444)); }, false, true,
         "írásvédett", {}},
        {"a workbook only its owner may read",
         [](const fs::path& workbook, const fs::path&) { fs::permissions(workbook, fs::perms(0600)); }, false, false, "",
         [&](const fs::path& workbook, const fs::path&) { EXPECT_EQ(rights(workbook), fs::perms(0600)); }},
        {"a copy reached through a symbolic link",
         [](const fs::path&, const fs::path& copy) {
             fs::create_directories(copy.parent_path().parent_path() / "real");
             std::ofstream(copy.parent_path().parent_path() / "real" / "target.xlsx") << "earlier copy";
             fs::permissions(copy.parent_path().parent_path() / "real" / "target.xlsx", fs::perms(0640));
             fs::create_symlink("../real/target.xlsx", copy);
         },
         true, true, "",
         [&](const fs::path&, const fs::path& copy) {
             const fs::path target = copy.parent_path().parent_path() / "real" / "target.xlsx";
             EXPECT_TRUE(fs::is_symlink(copy));
             EXPECT_NE(ReadFile(target), "earlier copy");
             EXPECT_EQ(rights(target), fs::perms(0640));
             EXPECT_EQ(Entries(target.parent_path()), std::vector<std::string>{"target.xlsx"});
         }},
    };
    int round = 0;
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = "round" + std::to_string(++round);
        fs::path workbook = scratch.Copy(Examples / "import-munkafuzet.xlsx", folder + "/books");
        fs::path copies = scratch.Folder(folder + "/copies");
        fs::path copy = copies / workbook.filename();
        c.prepare(workbook, copy);
        const std::string before = ReadFile(workbook);
        const std::string copyBefore = ReadFile(copy);
        office->Open(workbook);
        std::vector<std::string> args = {"import", "--data-folder", DataFolder()};
        if (c.saveAs) {
            args.push_back("--save-as");
            args.push_back(copies.string());
        } else {
            args.push_back("--save");
        }
        if (c.force)
            args.push_back("--force");
        args.push_back((Examples / "szamlak.xml").string());

        Result run = RunCli(args, scratch.Tmp(), {{"KORVEX_OFFICE", office->Connection()}});
        office->CloseAll();

        const fs::path stored = c.saveAs ? copy : workbook;
        if (std::string(c.refusal).empty()) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_TRUE(Contains(run.err, "Mentve / saved: " + stored.string())) << run.err;
        } else {
            EXPECT_EQ(run.status, 1) << run.err;
            EXPECT_TRUE(Contains(run.err, c.refusal)) << run.err;
            EXPECT_TRUE(Contains(run.err, stored.string())) << run.err;
            EXPECT_FALSE(Contains(run.err, "Mentve")) << run.err;
            EXPECT_EQ(ReadFile(copy), copyBefore);
        }
        if (c.saveAs || !std::string(c.refusal).empty()) {
            EXPECT_EQ(ReadFile(workbook), before) << "the workbook file is untouched";
        }
        for (const fs::path& place : {workbook.parent_path(), copies}) {
            for (const std::string& name : Entries(place))
                EXPECT_TRUE(name == workbook.filename().string() || name.starts_with(".~lock.")) << name;
        }
        if (c.check)
            c.check(workbook, copy);
    }
}

// --output-dir keeps every output inside it, and two workbooks naming one file stop the
// export before anything is written.
TEST_F(CliTest, TheExportWritesOnlyInsideTheOutputFolderAndNeverTwiceToOneFile)
{
    fs::path data = scratch.Folder("data");
    std::ofstream(data / "rows.ini") << "[MAIN]\nCOLS=A\n[MAPPING]\nA=BeginItem(R);Content;EndItem(R)\n";
    fs::path out = scratch.Folder("out");
    struct Case {
        const char* what;
        std::vector<std::string> outputs;  // A2 of each workbook
        const char* refusal;
    };
    const Case cases[] = {
        {"a relative name that climbs out", {"../../../tmp/korvex-escape.xml"}, "--output-dir"},
        {"an absolute name elsewhere", {(scratch.Path() / "elsewhere.xml").string()}, "--output-dir"},
        {"two workbooks, one file", {"same.xml", "sub/../same.xml"}, "ugyanabba a fájlba"},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> documents;
        for (const std::string& output : c.outputs) {
            fs::path book = scratch.Folder("books") / ("book" + std::to_string(++round) + ".ods");
            office->CreateWorkbookFile(book, {{"Start", {{"A1", "Root"}, {"A2", output}, {"A3", "0"}}},
                                              {"Rows", {{"A1", "rows.ini"}, {"B1", "'1.00"}, {"A5", "x"}}}});
            documents.push_back(office->Open(book));
        }
        Result run = RunCli({"export", "--data-folder", data.string(), "--output-dir", out.string()}, scratch.Tmp(),
                            {{"KORVEX_OFFICE", office->Connection()}});
        office->CloseAll();
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Contains(run.err, c.refusal)) << run.err;
        EXPECT_FALSE(Contains(run.err, "Kiírva")) << run.err;
        EXPECT_TRUE(Entries(out).empty());
        EXPECT_FALSE(fs::exists(scratch.Path() / "elsewhere.xml"));
        EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "korvex-escape.xml"));
    }
}

TEST_F(CliTest, AMissingDataFolderIsAnErrorForBothCommands)
{
    fs::path output = scratch.Folder("out") / "export.xml";
    std::ofstream(output) << "last good output";
    const std::string missing = (scratch.Path() / "no-such-folder").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"export", "--data-folder", missing, "--output-dir", output.parent_path().string()},
          std::vector<std::string>{"import", "--data-folder", missing, (Examples / "szamlak.xml").string()}}) {
        SCOPED_TRACE(args[0]);
        Result run = RunCli(args, scratch.Tmp(), {{"KORVEX_OFFICE", office->Connection()}});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Contains(run.err, "A vezérlőfájlok mappája nem létezik")) << run.err;
        EXPECT_TRUE(Contains(run.err, missing)) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(ReadFile(output), "last good output");
    }
}

}  // namespace
