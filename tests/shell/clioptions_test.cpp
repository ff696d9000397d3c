#include "shell/clifrontend.h"
#include "shell/clioptions.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace {

using Args = std::vector<std::string>;

TEST(CliOptionsTest, ParsesExport)
{
    CliOptions options = ParseCliOptions(
        {"export", "--data-folder", "/ctl", "--open", "a.xlsx", "--open", "b.ods", "--workbook", "2", "--output-dir", "out"});
    EXPECT_EQ(options.command, CliOptions::Command::Export);
    EXPECT_EQ(options.dataFolder, "/ctl");
    EXPECT_EQ(options.openFiles, (Args{"a.xlsx", "b.ods"}));
    EXPECT_EQ(options.workbooks, std::vector<int>{2});
    EXPECT_EQ(options.outputDir, "out");
}

TEST(CliOptionsTest, ParsesImportWithDataFilesInOrder)
{
    CliOptions options = ParseCliOptions({"import", "one.xml", "--save-as", "copies", "two.xml", "--", "--three.xml"});
    EXPECT_EQ(options.command, CliOptions::Command::Import);
    EXPECT_EQ(options.dataFiles, (Args{"one.xml", "two.xml", "--three.xml"}));
    EXPECT_EQ(options.saveAsDir, "copies");
    EXPECT_FALSE(options.save);
    EXPECT_FALSE(options.force);
    EXPECT_TRUE(ParseCliOptions({"import", "--save", "--force", "a.xml"}).force);
}

TEST(CliOptionsTest, ParsesSchemaOptionsAndCheck)
{
    CliOptions options = ParseCliOptions({"export", "--schema", "out.xsd", "--keep-invalid"});
    EXPECT_EQ(options.schemaFile, "out.xsd");
    EXPECT_TRUE(options.keepInvalid);
    options = ParseCliOptions({"check", "--data-folder", "/ctl", "a.ini", "XMLToExcel.xml"});
    EXPECT_EQ(options.command, CliOptions::Command::Check);
    EXPECT_EQ(options.dataFolder, "/ctl");
    EXPECT_EQ(options.checkFiles, (Args{"a.ini", "XMLToExcel.xml"}));
    EXPECT_TRUE(ParseCliOptions({"check"}).checkFiles.empty());
}

TEST(CliOptionsTest, HelpWins)
{
    for (const Args& args : {Args{"--help"}, Args{"export", "--help"}, Args{"import", "-h"}})
        EXPECT_EQ(ParseCliOptions(args).command, CliOptions::Command::Help);
    EXPECT_NE(std::string(CliHelpText).find("--save-as DIR"), std::string::npos);
}

// Option name -> value placeholder ("" for a switch), as --help writes them.
using HelpOptions = std::map<std::string, std::string>;

HelpOptions OptionsIn(const std::string& text, const std::regex& pattern)
{
    HelpOptions found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found[(*it)[1].str()] = (*it)[2].str();
    return found;
}

const std::regex OptionWithValue("(--[a-z-]+)(?: ([A-Z][A-Za-z.]*))?");

// The options of one usage line of --help, "korvex-cli export [--data-folder DIR] ...",
// with the indented lines that carry it on.
HelpOptions UsageOptions(const std::string& command)
{
    std::istringstream help(CliHelpText);
    std::string usage;
    for (std::string line; std::getline(help, line);) {
        if (line.rfind("  korvex-cli " + command + " ", 0) == 0)
            usage = line;
        else if (!usage.empty() && std::regex_search(line, std::regex("^ +\\[")))
            usage += line;
        else if (!usage.empty())
            break;
    }
    if (usage.empty())
        ADD_FAILURE() << "no usage line for " << command;
    return OptionsIn(usage, OptionWithValue);
}

// The options --help describes: the lines that start with an option.
HelpOptions DescribedOptions()
{
    return OptionsIn(CliHelpText, std::regex("(?:^|\\n)(--[a-z-]+)(?: ([A-Z][A-Za-z.]*))? "));
}

Args WithValue(Args args, const std::string& name, const std::string& value)
{
    args.push_back(name);
    if (!value.empty())
        args.push_back(name == "--workbook" ? "1" : "x");
    return args;
}

bool Parses(const Args& args)
{
    try {
        ParseCliOptions(args);
        return true;
    } catch (const CliUsageError&) {
        return false;
    }
}

// Whether some command line with this option parses: the option alone, or beside one
// other option of the usage line (an option may need a companion, none may need two).
bool Accepted(const std::string& command, const std::string& name, const std::string& value,
              const HelpOptions& usage)
{
    const Args tail = command == "import" ? Args{"data.xml"} : Args{};
    Args alone = WithValue({command}, name, value);
    alone.insert(alone.end(), tail.begin(), tail.end());
    if (Parses(alone))
        return true;
    for (const auto& [other, otherValue] : usage) {
        Args pair = WithValue(WithValue({command}, name, value), other, otherValue);
        pair.insert(pair.end(), tail.begin(), tail.end());
        if (other != name && Parses(pair))
            return true;
    }
    return false;
}

TEST(CliOptionsTest, HelpListsExactlyTheOptionsTheParserAccepts)
{
    const HelpOptions forExport = UsageOptions("export");
    const HelpOptions forImport = UsageOptions("import");
    const HelpOptions forCheck = UsageOptions("check");
    HelpOptions all = forExport;
    all.insert(forImport.begin(), forImport.end());
    all.insert(forCheck.begin(), forCheck.end());

    for (const auto& [command, usage] :
         {std::pair{std::string("export"), forExport}, {"import", forImport}, {"check", forCheck}}) {
        // Every option of either usage line: accepted where its line lists it, refused elsewhere.
        for (const auto& [name, value] : all)
            EXPECT_EQ(Accepted(command, name, value, usage), usage.count(name) != 0) << command << " " << name;
        // A value placeholder in the usage line means the parser wants a value.
        for (const auto& [name, value] : usage) {
            if (!value.empty()) {
                EXPECT_THROW(ParseCliOptions({command, name}), CliUsageError) << command << " " << name;
            }
        }
    }
    // Every option the parser knows is on the usage lines, with the same placeholder.
    HelpOptions known;
    for (const CliOptionInfo& option : CliOptionTable) {
        known[option.name] = option.value ? option.value : "";
        EXPECT_EQ(forExport.count(option.name) != 0, option.forExport) << option.name;
        EXPECT_EQ(forImport.count(option.name) != 0, option.forImport) << option.name;
        EXPECT_EQ(forCheck.count(option.name) != 0, option.forCheck) << option.name;
    }
    EXPECT_EQ(all, known);
    // And each one has its description, as --help itself has.
    all["--help"] = "";
    EXPECT_EQ(DescribedOptions(), all);
}

TEST(CliOptionsTest, RejectsWhatCannotRun)
{
    const Args bad[] = {
        {},
        {"convert"},
        {"export", "--save"},
        {"export", "stray.xml"},
        {"import"},
        {"import", "--output-dir", "x", "a.xml"},
        {"import", "--save", "--save-as", "d", "a.xml"},
        {"export", "--workbook", "0"},
        {"export", "--workbook", "2x"},
        {"export", "--open"},
        {"export", "--bogus"},
        {"export", "--force"},
        {"import", "--force", "a.xml"},
        {"export", "--schema"},
        {"import", "--schema", "s.xsd", "a.xml"},
        {"import", "--keep-invalid", "a.xml"},
        {"check", "--open", "a.xlsx"},
        {"check", "--schema", "s.xsd"},
    };
    for (const Args& args : bad)
        EXPECT_THROW(ParseCliOptions(args), CliUsageError) << (args.empty() ? "" : args.back());
}

// A path with the platform's separators ("\\" on Windows).
std::string Native(const std::string& path)
{
    return std::filesystem::path(path).make_preferred().string();
}

// Where A2 lands: with --output-dir always inside it, or nowhere.
struct OutputCase {
    const char* proposed;
    const char* outputDir;
    std::optional<std::string> expected;  // with "/"; the platform's separators are compared
};

void PrintTo(const OutputCase& c, std::ostream* out)
{
    *out << CaseText(c.proposed) << " in " << CaseText(c.outputDir);
}

class OutputPathTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputPathTest, FollowsTheWorkbookOrStaysInsideTheOutputFolder)
{
    const OutputCase& c = GetParam();
    const std::optional<std::string> expected = c.expected ? std::optional(Native(*c.expected)) : std::nullopt;
    EXPECT_EQ(ResolveOutputPath(c.proposed, c.outputDir, "/books/a.xlsx"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputPathTest,
    ::testing::Values(OutputCase{"export.xml", "", "/books/export.xml"},
                      OutputCase{"/abs/e.xml", "", "/abs/e.xml"},
                      OutputCase{"../up.xml", "", "/up.xml"},
                      OutputCase{"", "/out", ""},
                      OutputCase{"sub/e.xml", "/out", "/out/sub/e.xml"},
                      OutputCase{"sub/../e.xml", "/out", "/out/e.xml"},
                      OutputCase{"e.xml", "out", "out/e.xml"},
                      OutputCase{"../e.xml", "out", std::nullopt},
                      OutputCase{"/out/inside.xml", "/out/", "/out/inside.xml"},
                      OutputCase{"../../../tmp/x.xml", "/out", std::nullopt},
                      OutputCase{"sub/../../x.xml", "/out", std::nullopt},
                      OutputCase{"/etc/cron.d/x", "/out", std::nullopt},
                      OutputCase{"/outside.xml", "/out", std::nullopt},
                      OutputCase{"/out", "/out", std::nullopt},
                      OutputCase{".", "/out", std::nullopt}));

// The command line refuses the whole export before anything is written.
struct PlanCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> proposed;
    const char* reason;  // part of the warning; "" = accepted
};

void PrintTo(const PlanCase& c, std::ostream* out)
{
    *out << c.name;
}

class OutputPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(OutputPlanTest, RefusesClashesEscapesAndNuls)
{
    const PlanCase& c = GetParam();
    CliOptions options;
    options.outputDir = "/out";
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    const bool accepted = ui.AcceptOutputPlan(c.proposed);
    EXPECT_EQ(accepted, std::string(c.reason).empty()) << err.str();
    EXPECT_EQ(ui.Failed(), !accepted);
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputPlanTest,
    ::testing::Values(
        PlanCase{"Distinct", {{"/b/a.xlsx", "a.xml"}, {"/b/b.xlsx", "b.xml"}, {"/b/c.xlsx", ""}}, ""},
        PlanCase{"SameName", {{"/b/a.xlsx", "x.xml"}, {"/b/b.xlsx", "x.xml"}}, "/b/a.xlsx és a(z) /b/b.xlsx"},
        PlanCase{"SameFileOtherSpelling", {{"/b/a.xlsx", "x.xml"}, {"/b/b.xlsx", "sub/../x.xml"}}, "ugyanabba"},
        PlanCase{"AbsoluteInsideClashes", {{"/b/a.xlsx", "/out/x.xml"}, {"/b/b.xlsx", "x.xml"}}, "ugyanabba"},
        PlanCase{"LeavesTheFolder", {{"/b/a.xlsx", "a.xml"}, {"/b/b.xlsx", "../../../tmp/x.xml"}},
                 "/b/b.xlsx munkafüzet kimeneti fájlja"},
        PlanCase{"AbsoluteElsewhere", {{"/b/a.xlsx", "/etc/cron.d/x"}}, "--output-dir"},
        PlanCase{"Nul", {{"/b/a.xlsx", std::string("a.xml\0.txt", 10)}}, "NUL"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliFrontendTest, AnswersTheWorkbookDialogFromTheOptions)
{
    CliOptions options;
    std::ostringstream out, err;
    TCliFrontend all(options, "/ctl/", out, err, false);
    EXPECT_EQ(all.SelectWorkbooks({"a", "b"}), (std::vector<bool>{true, true}));

    options.workbooks = {2};
    TCliFrontend second(options, "/ctl/", out, err, false);
    EXPECT_EQ(second.SelectWorkbooks({"a", "b", "c"}), (std::vector<bool>{false, true, false}));

    options.workbooks = {4};
    TCliFrontend missing(options, "/ctl/", out, err, false);
    EXPECT_THROW(missing.SelectWorkbooks({"a", "b"}), CliUsageError);
}

TEST(CliFrontendTest, TheExportTextIsLoggedWithLineFeeds)
{
    CliOptions options;
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    ui.SetLogText("<?xml?>\t<a>\r\n\t<b/>\t</a>");
    EXPECT_EQ(out.str(), "<?xml?>\t<a>\n\t<b/>\t</a>\n");
}

TEST(CliFrontendTest, WrittenFilesAreThoseTheExportReported)
{
    CliOptions options;
    options.outputDir = "/out";
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    ui.SetStatus(0, "/books/a.xlsx");
    EXPECT_EQ(ui.AskSaveFileName("a.xml"), Native("/out/a.xml"));
    ui.FileWritten(Native("/out/a.xml"));
    ui.SetStatus(0, "/books/b.xlsx");
    EXPECT_EQ(ui.AskSaveFileName("b.xml"), Native("/out/b.xml"));
    ui.WorkbookFailed("/books/b.xlsx", "A fájl nem írható");  // its file was not written
    EXPECT_EQ(ui.WrittenFiles(), std::vector<std::string>{Native("/out/a.xml")});
    EXPECT_TRUE(ui.Failed());
}

TEST(CliFrontendTest, AnOutputLeavingTheOutputFolderIsAWarning)
{
    CliOptions options;
    options.outputDir = "/out";
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    ui.SetStatus(0, "/books/a.xlsx");
    EXPECT_EQ(ui.AskSaveFileName("../x.xml"), std::nullopt);
    EXPECT_TRUE(ui.Failed());
    EXPECT_NE(err.str().find("/books/a.xlsx"), std::string::npos) << err.str();
}

TEST(CliFrontendTest, InvalidOutputGoesToStderrAndIsWrittenOnlyWithKeepInvalid)
{
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        CliOptions options;
        options.keepInvalid = keep;
        std::ostringstream out, err;
        TCliFrontend ui(options, "/ctl/", out, err, false);
        ui.SetStatus(0, "/books/a.xlsx");
        EXPECT_EQ(ui.KeepInvalidOutput({"Termékek, 18. sor (Termék/Ár): baj"}, 1), keep);
        EXPECT_EQ(ui.Failed(), !keep);
        EXPECT_EQ(out.str(), "");
        EXPECT_NE(err.str().find("  Termékek, 18. sor (Termék/Ár): baj\n"), std::string::npos) << err.str();
    }
}

TEST(CliFrontendTest, AnEmptyOutputNameIsAWarningNotASilentSkip)
{
    CliOptions options;
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    ui.SetStatus(0, "/books/a.xlsx");
    EXPECT_EQ(ui.AskSaveFileName(""), std::nullopt);
    EXPECT_TRUE(ui.Failed());
    EXPECT_NE(err.str().find("A2"), std::string::npos) << err.str();
    EXPECT_TRUE(ui.WrittenFiles().empty());
}

TEST(CliFrontendTest, DataFilesAreLoggedWithTheirFullPaths)
{
    CliOptions options;
    options.dataFiles = {"/data/a.xml", "rel/../b.xml"};
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    std::vector<std::string> files = ui.AskDataFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], std::filesystem::absolute("/data/a.xml").string());
    EXPECT_EQ(files[1], (std::filesystem::current_path() / "b.xml").string());
}

TEST(CliFrontendTest, AnInterruptEndsTheCommandAtItsNextStep)
{
    CliOptions options;
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    TCliFrontend::Interrupted = true;
    EXPECT_THROW(ui.ProcessMessages(), std::runtime_error);  // the export's steps
    EXPECT_THROW(ui.AppendLog("Számla"), std::runtime_error);  // the import's steps
    TCliFrontend::Interrupted = false;
    EXPECT_NO_THROW(ui.AppendLog("Számla"));
}

TEST(CliFrontendTest, LogGoesToStdoutWarningsToStderr)
{
    CliOptions options;
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    ui.SetLogText("<a/>");
    ui.AppendLog("*** End ***");
    EXPECT_FALSE(ui.Failed());
    ui.Warning("Hibás cella!", "/b.xlsx Data B7");
    EXPECT_EQ(out.str(), "<a/>\n*** End ***\n");
    EXPECT_EQ(err.str(), "Hibás cella!: /b.xlsx Data B7\n");
    EXPECT_TRUE(ui.Failed());
}

}  // namespace
