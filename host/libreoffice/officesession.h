#pragma once

// The office that korvex-cli --open works in: a private headless LibreOffice
// (OfficeProcess) with the given files opened hidden, and the storing of workbooks
// after an import. The header carries no UNO types.

#include "host/excelsheet.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class OfficeSession {
public:
    struct Options {
        std::chrono::seconds startTimeout{180};
        std::function<bool()> cancelled;  // polled while the office starts
    };

    // Starts the office (HostError when it cannot; nothing is left running then).
    explicit OfficeSession(const Options& options);
    // Closes every document without saving it and ends the office.
    ~OfficeSession();
    OfficeSession(const OfficeSession&) = delete;
    OfficeSession& operator=(const OfficeSession&) = delete;

    // Opens a spreadsheet file hidden, without running its macros. The workbooks are
    // listed in the order they were opened. HostError (Hungarian, naming the file) when
    // the file is missing, already open, cannot be loaded or is not a spreadsheet.
    void Open(const std::string& file);

    // The connection description ("pipe,name=...") and a connector for the engine.
    const std::string& Connection() const;
    HostConnector Connector() const;

    // Ends the office now (the destructor does it otherwise).
    void Stop() noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Stores open workbooks of the office reached by a connection description ("" = the
// default one, see ConnectLibreOfficeAt): those at the given 1-based positions of the
// host's workbook list, or every one when positions is empty. With saveAsDir empty each
// goes back to its own file, otherwise a copy goes into saveAsDir under its file name;
// always in the format the workbook was loaded in, and atomically (see AtomicFile: the
// replaced file keeps its rights, a symbolic link is written through, a read-only file is
// refused; a failed store leaves the old file as it was and removes the office's own
// temporary files it left). Unless force is set, nothing is stored when a target is open
// in another office (its ".~lock.NAME#" file was not written by this office) or when
// --save-as would replace an existing file. Returns the paths written, in order. Throws
// HostError (Hungarian) on the first failure; workbooks stored before it stay stored.
std::vector<std::string> StoreWorkbooks(std::string_view connection, const std::vector<int>& positions,
                                        const std::string& saveAsDir, bool force = false);
