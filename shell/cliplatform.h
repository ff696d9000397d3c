#pragma once

// What korvex-cli needs from the system it runs on: its arguments, the default data
// folder, interrupts, and the spreadsheet application that --open starts privately
// (a headless LibreOffice on Linux, an invisible Excel on Windows) with the storing of
// workbooks after an import.

#include "host/excelsheet.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Makes the console and the arguments speak UTF-8; returns the arguments after the
// program name.
std::vector<std::string> CliArguments(int argc, char* argv[]);

// The data folder without --data-folder (KORVEX_DATA_FOLDER, else the per-user or the
// system-wide one), with native separators, ending with one.
std::string DefaultCliDataFolder();

// The first Ctrl-C sets TCliFrontend::Interrupted and ends the private office, so that a
// call blocked in it returns; the program then cleans up on its way out.
void CatchInterrupts();
bool ErrorOutputIsTerminal();

// The running application's workbooks without --open (its connection as the platform
// finds it; the environment may choose it).
HostConnector RunningHostConnector();

// A private spreadsheet application for one command. The destructor closes every
// workbook without saving it and ends the application.
class PrivateOffice {
public:
    virtual ~PrivateOffice() = default;
    // Opens a file; the workbooks are listed in the order they were opened. HostError
    // (Hungarian, naming the file) when it cannot be opened.
    virtual void Open(const std::string& file) = 0;
    virtual HostConnector Connector() const = 0;
    // See StoreRunningWorkbooks.
    virtual std::vector<std::string> Store(const std::vector<int>& positions, const std::string& saveAsDir,
                                           bool force) = 0;
};

// The name shown while it starts ("LibreOffice", "Excel").
std::string PrivateOfficeName();
// Starts it; HostError when it cannot (nothing is left running then).
std::unique_ptr<PrivateOffice> StartPrivateOffice(std::function<bool()> cancelled);

// Stores workbooks of the running application: those at the given 1-based positions,
// or every one when positions is empty; in place, or as copies in saveAsDir under their
// file names; atomically, in the format they were loaded in. Unless force is set, nothing
// is stored when a target is open elsewhere (the application's owner file of another
// user or office is there) or when saveAsDir would replace an existing file. Returns the
// paths written.
std::vector<std::string> StoreRunningWorkbooks(const std::vector<int>& positions, const std::string& saveAsDir,
                                               bool force);
