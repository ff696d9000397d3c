#include "shell/commanddrivers.h"
#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

HostConnector ConnectTo(std::shared_ptr<MemoryHost> host)
{
    return [host] { return host; };
}

HostConnector NoApplication()
{
    return [] { return std::shared_ptr<HostBackend>(); };
}

class CommandDriversTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("korvex-drivers-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        ui.dataFolder = folder.string() + "/";
        host = std::make_shared<MemoryHost>();
    }
    void TearDown() override { fs::remove_all(folder); }

    void WriteFile(const std::string& name, const std::string& text)
    {
        std::ofstream(folder / name, std::ios::binary) << text;
    }

    // A workbook that exports one element <Root><Item>text</Item></Root> to out.
    void AddExportWorkbook(const std::string& name, const std::string& encoding, const std::string& out)
    {
        int book = host->AddWorkbook(name, {"Start", "Data"});
        host->SetText(book, 1, "A1", "Root");
        host->SetText(book, 1, "A2", (folder / out).string());
        host->SetText(book, 1, "A3", encoding);
        host->SetText(book, 2, "A1", "items.ini");
        host->SetText(book, 2, "B1", "1");
        host->SetText(book, 2, "A5", "text");
    }

    fs::path folder;
    FakeFrontend ui;
    std::shared_ptr<MemoryHost> host;
};

TEST_F(CommandDriversTest, ExportWithoutApplicationWarnsWithTheCaption)
{
    ui.caption = "XML generálás excel táblákból 1.00 (2026. 12. 10.)";
    RunExcelToXML(ui, NoApplication());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0], (FakeFrontend::Shown{ui.caption, NoWorkbookMessage}));
    EXPECT_TRUE(ui.workbookQuestions.empty());
}

TEST_F(CommandDriversTest, ExportCancelledConvertsNothingAndKeepsTheCursor)
{
    AddExportWorkbook("/books/a.xlsx", "0", "a.xml");
    ui.workbookAnswers.push_back(std::nullopt);
    RunExcelToXML(ui, ConnectTo(host));
    ASSERT_EQ(ui.workbookQuestions.size(), 1u);
    EXPECT_EQ(ui.workbookQuestions[0], std::vector<std::string>{"/books/a.xlsx"});
    EXPECT_TRUE(ui.statusHistory.empty());
    EXPECT_EQ(ui.busyCalls, 0);
    EXPECT_EQ(host->counters.reads, 0);
}

TEST_F(CommandDriversTest, ExportConvertsOnlyTickedWorkbooks)
{
    WriteFile("items.ini", "[MAIN]\nVERSION=1\nCOLS=A\n[MAPPING]\nA=BeginItem(Item);Content;EndItem(Item)\n");
    AddExportWorkbook("/books/a.xlsx", "0", "a.xml");
    AddExportWorkbook("/books/b.xlsx", "0", "b.xml");
    ui.workbookAnswers.push_back(std::vector<bool>{false, true});
    RunExcelToXML(ui, ConnectTo(host));
    EXPECT_EQ(ui.StartedWorkbooks(), std::vector<std::string>{"/books/b.xlsx"});
    EXPECT_FALSE(fs::exists(folder / "a.xml"));
    EXPECT_TRUE(fs::exists(folder / "b.xml"));
    EXPECT_FALSE(ui.busy);
}

TEST_F(CommandDriversTest, ExportStopsAtTheFirstFailingWorkbook)
{
    WriteFile("items.ini", "[MAIN]\nVERSION=1\nCOLS=A\n[MAPPING]\nA=BeginItem(Item);Content;EndItem(Item)\n");
    AddExportWorkbook("/books/good.xlsx", "0", "good.xml");
    AddExportWorkbook("/books/bad.xlsx", "not a number", "bad.xml");
    AddExportWorkbook("/books/later.xlsx", "0", "later.xml");
    RunExcelToXML(ui, ConnectTo(host));
    EXPECT_EQ(ui.StartedWorkbooks(), (std::vector<std::string>{"/books/good.xlsx", "/books/bad.xlsx"}));
    EXPECT_TRUE(fs::exists(folder / "good.xml"));
    EXPECT_FALSE(fs::exists(folder / "bad.xml"));
    EXPECT_FALSE(fs::exists(folder / "later.xml"));
    EXPECT_FALSE(ui.busy);
}

TEST_F(CommandDriversTest, ImportCancelledAtTheFileDialogDoesNothing)
{
    RunXMLToExcel(ui, NoApplication());
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(CommandDriversTest, ImportWithoutApplicationWarnsAfterTheFilesAreChosen)
{
    WriteFile("XMLToExcel.xml", "<Control/>");
    WriteFile("data.xml", "<Data/>");
    ui.dataFiles = {(folder / "data.xml").string()};
    ui.log = {"earlier"};
    RunXMLToExcel(ui, NoApplication());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].text, NoWorkbookMessage);
    EXPECT_EQ(ui.log, std::vector<std::string>{"earlier"});
}

TEST_F(CommandDriversTest, ImportWithTheWorkbookDialogCancelledStillTransfersAndEnds)
{
    WriteFile("XMLToExcel.xml", "<Control/>");
    WriteFile("one.xml", "<Data/>");
    WriteFile("two.xml", "<Data/>");
    host->AddWorkbook("/books/a.xlsx", {"Start", "Page"});
    ui.dataFiles = {(folder / "one.xml").string(), (folder / "two.xml").string()};
    ui.workbookAnswers.push_back(std::nullopt);
    ui.log = {"earlier"};
    RunXMLToExcel(ui, ConnectTo(host));
    EXPECT_EQ(ui.log, (std::vector<std::string>{ui.dataFiles[0], ui.dataFiles[1], EndOfImportLine}));
    EXPECT_EQ(host->counters.reads, 0);
}

TEST_F(CommandDriversTest, ImportWithoutControlFileFailsBeforeContactingTheHost)
{
    WriteFile("data.xml", "<Data/>");
    ui.dataFiles = {(folder / "data.xml").string()};
    bool contacted = false;
    HostConnector connect = [&] {
        contacted = true;
        return std::shared_ptr<HostBackend>(host);
    };
    EXPECT_ANY_THROW(RunXMLToExcel(ui, connect));
    EXPECT_FALSE(contacted);
}

}  // namespace
