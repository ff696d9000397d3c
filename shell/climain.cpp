// korvex-cli: the two menu commands without windows, for batch jobs and scheduled runs.

#include "shell/checkcommand.h"
#include "shell/clifrontend.h"
#include "shell/climessages.h"
#include "shell/clioptions.h"
#include "shell/cliplatform.h"
#include "shell/commanddrivers.h"
#include "common/pathtext.h"
#include "common/processmemory.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

namespace fs = std::filesystem;

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// --data-folder, else KORVEX_DATA_FOLDER, else the per-user or system-wide folder.
std::string ChosenDataFolder(const CliOptions& options)
{
    if (options.dataFolder.empty())
        return DefaultCliDataFolder();
    // Absolute, as the window's folder is: the messages then name the full path.
    std::error_code error;
    fs::path absolute = fs::absolute(PathFromUtf8(options.dataFolder), error);
    std::string folder = Utf8FromPath(error ? PathFromUtf8(options.dataFolder) : absolute.lexically_normal());
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}

// What can be checked before an office is started (which takes seconds): the files
// and folders named on the command line must be there.
void CheckPaths(const CliOptions& options)
{
    for (const std::string& file : options.openFiles)
        if (!fs::is_regular_file(PathFromUtf8(file)))
            throw std::runtime_error(CliMsg::FileNotFound + file);
    for (const std::string& file : options.dataFiles)
        if (!fs::is_regular_file(PathFromUtf8(file)))
            throw std::runtime_error(CliMsg::XmlFileNotFound + file);
    for (const std::string* folder : {&options.outputDir, &options.saveAsDir})
        if (!folder->empty() && !fs::is_directory(PathFromUtf8(*folder)))
            throw std::runtime_error(CliMsg::FolderMissing + *folder);
}

void Note(const std::string& text)
{
    std::cerr << text << '\n' << std::flush;
}

// The import, then the storing of the workbooks it filled.
void RunImport(TCliFrontend& ui, const CliOptions& options, const HostConnector& connect,
               PrivateOffice* office)
{
    RunXMLToExcel(ui, connect);
    if (TCliFrontend::Interrupted)
        return;
    const bool store = options.save || !options.saveAsDir.empty();
    if (!store) {
        if (office)
            Note(CliMsg::NotSaved);
        return;
    }
    if (ui.Failed()) {
        // A partly filled workbook is not stored over a good file.
        Note(CliMsg::NotSavedAfterFailure);
        return;
    }
    std::vector<std::string> stored = office ? office->Store(options.workbooks, options.saveAsDir, options.force)
                                             : StoreRunningWorkbooks(options.workbooks, options.saveAsDir, options.force);
    for (const std::string& path : stored)
        Note(CliMsg::Saved + path);
}

// Runs the command; returns the exit status.
int Run(const CliOptions& options)
{
    TCliFrontend ui(options, ChosenDataFolder(options), std::cout, std::cerr, ErrorOutputIsTerminal());
    try {
        CheckPaths(options);
        if (DataFolderMissing(ui))
            return ExitFailed;
        std::unique_ptr<PrivateOffice> office;
        HostConnector connect = RunningHostConnector();
        if (!options.openFiles.empty()) {
            const std::string name = PrivateOfficeName();
            Note(name + CliMsg::Starting + name + CliMsg::StartingEnd);
            office = StartPrivateOffice([] { return TCliFrontend::Interrupted.load(); });
            for (const std::string& file : options.openFiles)
                office->Open(file);
            connect = office->Connector();
        }
        if (options.command == CliOptions::Command::Export) {
            RunExcelToXML(ui, connect);
            for (const std::string& path : ui.WrittenFiles())
                Note(CliMsg::Written + path);
        } else {
            RunImport(ui, options, connect, office.get());
        }
    } catch (const CliUsageError& error) {
        ui.EndProgress();
        std::cerr << error.what() << '\n';
        return ExitUsage;
    } catch (const std::exception& error) {
        ui.EndProgress();
        if (!TCliFrontend::Interrupted)
            std::cerr << CliMsg::Error << error.what() << '\n';
        ui.MarkFailed();
    }
    ui.EndProgress();
    if (TCliFrontend::Interrupted) {
        std::cerr << CliMsg::InterruptedText << '\n';
        return ExitFailed;
    }
    return ui.Failed() ? ExitFailed : 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    KeepLargeBlocksForReuse();
    std::vector<std::string> args = CliArguments(argc, argv);
    CliOptions options;
    try {
        options = ParseCliOptions(args);
    } catch (const CliUsageError& error) {
        std::cerr << error.what() << CliMsg::SeeHelp;
        return ExitUsage;
    }
    if (options.command == CliOptions::Command::Help) {
        std::cout << CliHelpText;
        return 0;
    }
    if (options.command == CliOptions::Command::Check)
        return RunCheck(options.checkFiles, ChosenDataFolder(options), std::cout, std::cerr);
    CatchInterrupts();
    return Run(options);
}
