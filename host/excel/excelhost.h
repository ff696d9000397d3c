#pragma once

#include "host/hostbackend.h"

#include <memory>
#include <string>
#include <vector>

// Windows only: connects to the Excel that is already running ("Excel.Application"
// in the running object table) over late-bound OLE Automation. No new instance is
// started; nullptr when none answers.
std::shared_ptr<HostBackend> ConnectExcel();

// Stores workbooks of the running Excel: those at the given 1-based positions of its
// Workbooks, or every one when positions is empty. In place with the workbook's Save
// (Excel's own safe save); with saveAsDir, a copy (SaveCopyAs, the workbook's own
// format) under its file name, written beside the target and then moved over it, so a
// failed store leaves the old file as it was. The open workbooks keep their files.
// Unless force is set, a copy never replaces an existing file (nothing is stored then).
// Returns the paths written; HostError (Hungarian) on the first failure.
std::vector<std::string> StoreExcelWorkbooks(const std::vector<int>& positions, const std::string& saveAsDir,
                                             bool force = false);

// A private, invisible Excel for one command: started with CoCreateInstance (never the
// running one), DisplayAlerts off, its files opened without updating links. The
// destructor closes every workbook without saving, quits it and releases every
// reference. Use it on the thread that made it.
class PrivateExcel {
public:
    // HostError when Excel is not installed or does not start.
    PrivateExcel();
    ~PrivateExcel();
    PrivateExcel(const PrivateExcel&) = delete;
    PrivateExcel& operator=(const PrivateExcel&) = delete;

    // Opens a workbook file; HostError naming the file when Excel refuses it.
    void Open(const std::string& file);
    // The backend over this Excel (each call a fresh one; they share the application).
    std::shared_ptr<HostBackend> Connect() const;
    // As StoreExcelWorkbooks, on this Excel.
    std::vector<std::string> Store(const std::vector<int>& positions, const std::string& saveAsDir,
                                   bool force = false);
    // Closes the workbooks and quits now (the destructor does it otherwise).
    void Quit() noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
