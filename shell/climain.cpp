#include "clifrontend.h"
#include "clioptions.h"
#include "commanddrivers.h"
#include "datafolder.h"
#include "hostconnect.h"
#include "officesession.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <exception>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

extern "C" void OnInterrupt(int)
{
    TCliFrontend::Interrupted = true;
}

std::string DataFolderFor(const CliOptions& options)
{
    if (options.dataFolder.empty())
        return QDir::toNativeSeparators(DefaultDataFolder()).toStdString();
    std::string folder = options.dataFolder;
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}

// Runs the command; returns the exit status.
int Run(const CliOptions& options)
{
    TCliFrontend ui(options, DataFolderFor(options), std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    std::unique_ptr<OfficeSession> office;
    HostConnector connect = ConnectDefaultHost;
    try {
        if (!options.openFiles.empty()) {
            office = std::make_unique<OfficeSession>();
            for (const std::string& file : options.openFiles)
                office->Open(file);
            connect = office->Connector();
        }
        if (options.command == CliOptions::Command::Export) {
            RunExcelToXML(ui, connect);
        } else {
            RunXMLToExcel(ui, connect);
            if (office && !options.save && options.saveAsDir.empty())
                std::cerr << "A munkafüzetek nincsenek mentve (--save vagy --save-as) / "
                             "the workbooks were not saved (use --save or --save-as)\n";
            if (options.save || !options.saveAsDir.empty())
                StoreWorkbooks(connect, options.workbooks, options.saveAsDir);
        }
    } catch (const CliUsageError& error) {
        ui.EndProgress();
        std::cerr << error.what() << '\n';
        return ExitUsage;
    } catch (const std::exception& error) {
        ui.EndProgress();
        std::cerr << "Hiba / error: " << error.what() << '\n';
        ui.MarkFailed();
    }
    ui.EndProgress();
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
        std::cerr << error.what() << "\n\n" << CliHelpText;
        return ExitUsage;
    }
    if (options.command == CliOptions::Command::Help) {
        std::cout << CliHelpText;
        return 0;
    }
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    return Run(options);
}
