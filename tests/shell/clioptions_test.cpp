#include "clifrontend.h"
#include "clioptions.h"

#include <gtest/gtest.h>

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

TEST(CliFrontendTest, OutputPathsFollowTheWorkbookOrTheOutputFolder)
{
    EXPECT_EQ(ResolveOutputPath("export.xml", "", "/books/a.xlsx"), "/books/export.xml");
    EXPECT_EQ(ResolveOutputPath("sub/e.xml", "/out", "/books/a.xlsx"), "/out/sub/e.xml");
    EXPECT_EQ(ResolveOutputPath("/abs/e.xml", "/out", "/books/a.xlsx"), "/abs/e.xml");
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
