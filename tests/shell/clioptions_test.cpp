#include "shell/clifrontend.h"
#include "shell/clioptions.h"

#include <gtest/gtest.h>

#include <filesystem>
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
}

TEST(CliOptionsTest, HelpWins)
{
    for (const Args& args : {Args{"--help"}, Args{"export", "--help"}, Args{"import", "-h"}})
        EXPECT_EQ(ParseCliOptions(args).command, CliOptions::Command::Help);
    EXPECT_NE(std::string(CliHelpText).find("--save-as DIR"), std::string::npos);
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
    };
    for (const Args& args : bad)
        EXPECT_THROW(ParseCliOptions(args), CliUsageError) << (args.empty() ? "" : args.back());
}

// A path with the platform's separators ("\\" on Windows).
std::string Native(const char* path)
{
    return std::filesystem::path(path).make_preferred().string();
}

TEST(CliFrontendTest, OutputPathsFollowTheWorkbookOrTheOutputFolder)
{
    EXPECT_EQ(ResolveOutputPath("export.xml", "", "/books/a.xlsx"), Native("/books/export.xml"));
    EXPECT_EQ(ResolveOutputPath("sub/e.xml", "/out", "/books/a.xlsx"), Native("/out/sub/e.xml"));
    EXPECT_EQ(ResolveOutputPath("/abs/e.xml", "/out", "/books/a.xlsx"), Native("/abs/e.xml"));
    EXPECT_EQ(ResolveOutputPath("", "/out", "/books/a.xlsx"), "");
}

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

TEST(CliFrontendTest, WrittenFilesAreThoseOfWorkbooksThatWentThrough)
{
    CliOptions options;
    options.outputDir = "/out";
    std::ostringstream out, err;
    TCliFrontend ui(options, "/ctl/", out, err, false);
    ui.SetStatus(0, "/books/a.xlsx");
    EXPECT_EQ(ui.AskSaveFileName("a.xml"), Native("/out/a.xml"));
    ui.SetStatus(0, "/books/b.xlsx");
    EXPECT_EQ(ui.AskSaveFileName("b.xml"), Native("/out/b.xml"));
    ui.WorkbookFailed("/books/b.xlsx", "A fájl nem írható");  // its file was not written
    EXPECT_EQ(ui.WrittenFiles(), std::vector<std::string>{Native("/out/a.xml")});
    EXPECT_TRUE(ui.Failed());
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
