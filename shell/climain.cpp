// korvex-cli: the two menu commands without windows, for batch jobs and scheduled runs.

#include "shell/checkcommand.h"
#include "shell/clifrontend.h"
#include "shell/climessages.h"
#include "shell/clioptions.h"
#include "shell/commanddrivers.h"
#include "shell/datafolder.h"
#include "host/hostconnect.h"
#include "host/libreoffice/officeprocess.h"
#include "host/libreoffice/officesession.h"
#include "common/pathtext.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// The first Ctrl-C (or SIGTERM, SIGHUP) asks the command to stop and kills the private
// office, so that a call blocked in it returns and everything is cleaned up on the
// way out; the handler is then reset, so a second one ends the program at once.
extern "C" void OnInterrupt(int)
{
    TCliFrontend::Interrupted = true;
    OfficeProcess::KillAll();
}

void CatchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A reader that stops early (korvex-cli ... | head) must not end the program before
    // it has shut its office down: the writes then just fail.
    std::signal(SIGPIPE, SIG_IGN);
}

// --data-folder, else KORVEX_DATA_FOLDER, else the per-user or system-wide folder.
std::string ChosenDataFolder(const CliOptions& options)
{
    if (options.dataFolder.empty())
        return QDir::toNativeSeparators(DefaultDataFolder()).toStdString();
    // Absolute, as the window's folder is: the messages then name the full path.
    std::error_code error;
    fs::path absolute = fs::absolute(PathFromUtf8(options.dataFolder), error);
    std::string folder = Utf8FromPath(error ? PathFromUtf8(options.dataFolder) : absolute.lexically_normal());
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}

// The office connection used without --open: KORVEX_OFFICE or the default pipe.
std::string RunningOfficeConnection()
{
    const char* chosen = std::getenv("KORVEX_OFFICE");
    return chosen ? chosen : "";
}

std::chrono::seconds OfficeStartTimeout()
{
    const char* chosen = std::getenv("KORVEX_OFFICE_TIMEOUT");
    int seconds = chosen ? std::atoi(chosen) : 0;
    return std::chrono::seconds(seconds > 0 ? seconds : 180);
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
               const std::string& connection, bool privateOffice)
{
    RunXMLToExcel(ui, connect);
    if (TCliFrontend::Interrupted)
        return;
    const bool store = options.save || !options.saveAsDir.empty();
    if (!store) {
        if (privateOffice)
            Note(CliMsg::NotSaved);
        return;
    }
    if (ui.Failed()) {
        // A partly filled workbook is not stored over a good file.
        Note(CliMsg::NotSavedAfterFailure);
        return;
    }
    for (const std::string& path : StoreWorkbooks(connection, options.workbooks, options.saveAsDir, options.force))
        Note(CliMsg::Saved + path);
}

// Runs the command; returns the exit status.
int Run(const CliOptions& options)
{
    TCliFrontend ui(options, ChosenDataFolder(options), std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    try {
        CheckPaths(options);
        if (DataFolderMissing(ui))
            return ExitFailed;
        std::unique_ptr<OfficeSession> office;
        HostConnector connect = ConnectDefaultHost;
        std::string connection = RunningOfficeConnection();
        if (!options.openFiles.empty()) {
            Note(CliMsg::StartingOffice);
            OfficeSession::Options start;
            start.startTimeout = OfficeStartTimeout();
            start.cancelled = [] { return TCliFrontend::Interrupted.load(); };
            office = std::make_unique<OfficeSession>(start);
            for (const std::string& file : options.openFiles)
                office->Open(file);
            connect = office->Connector();
            connection = office->Connection();
        }
        if (options.command == CliOptions::Command::Export) {
            RunExcelToXML(ui, connect);
            for (const std::string& path : ui.WrittenFiles())
                Note(CliMsg::Written + path);
        } else {
            RunImport(ui, options, connect, connection, office != nullptr);
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
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Korvex"));
    QCoreApplication::setOrganizationName(QStringLiteral("Valmoro"));

    std::vector<std::string> args(argv + 1, argv + argc);
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
