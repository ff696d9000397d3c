#pragma once

#include "hostbackend.h"
#include "messagesink.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Makes the connection to the running spreadsheet application; nullptr when none answers.
using HostConnector = std::function<std::shared_ptr<HostBackend>()>;

// The connection to the running spreadsheet application. Empty when none could be
// reached; every call then fails, which each operation handles as documented.
class TExcelApp {
public:
    // Connects with the given connector; a throwing connector leaves the object empty.
    explicit TExcelApp(const HostConnector& connect, MessageSink* messages = nullptr);
    // Wraps an existing backend (nullptr = no application).
    explicit TExcelApp(std::shared_ptr<HostBackend> backend, MessageSink* messages = nullptr);

    // Appends the full names of the open workbooks in host order; any failure ends the
    // reading silently. Returns the number of entries in names afterwards.
    int GetWorkbookNames(std::vector<std::string>& names);
    // The number of worksheets of a workbook (1-based); 0 when out of range or on failure.
    int GetSheetCount(int workbookIndex);

    bool Connected() const { return static_cast<bool>(backend_); }
    HostBackend& Backend();  // throws HostError when not connected
    MessageSink* Messages() const { return messages_; }

private:
    std::shared_ptr<HostBackend> backend_;
    MessageSink* messages_;
};

// One worksheet of one open workbook; one object is reused for every sheet a caller visits.
class TExcelSheet {
public:
    // Points the object at a worksheet. Sets WorkbookName first; throws HostError when
    // the sheet cannot be reached (its name cannot be read).
    void Open(TExcelApp& app, std::string_view workbookName, int workbookIndex, int sheetIndex);

    // The text of an A1-style cell. A name that denotes no cell shows the "Hibás cella!"
    // warning and reads as ""; a value without a text shows it and throws HostError.
    std::string GetCellText(std::string_view cellName);
    // Writes text to a 0-based row and column; failures are passed on.
    void SetCellText(int row, int column, std::string_view text);

    std::string WorkbookName;
    std::string SheetName;

private:
    void ShowCellError(std::string_view cellName);

    std::unique_ptr<HostSheet> sheet_;
    MessageSink* messages_ = nullptr;
};

// One or two column letters to a 0-based column: "A" = 0, "AA" = 26, "BA" = 52.
// Throws HostError for an empty text.
int ColumnIndex(std::string_view letters);

// Splits an A1-style cell name by the host's rule (only the first two characters are
// examined for letters). Returns {row, column} 1-based; row 0 means no row digits.
struct CellAddress {
    int row = 0;
    int column = 0;
};
CellAddress ParseCellName(std::string_view cellName);

extern const char* const CellErrorCaption;  // "Hibás cella!"
