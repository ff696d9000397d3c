#pragma once

#include "host/celladdress.h"
#include "host/hostbackend.h"
#include "common/messagesink.h"
#include "host/buffering/readahead.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class WriteSession;
struct WriteTarget;

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

    // Whether reads and writes go to the host in blocks (read ahead, write behind).
    // KORVEX_HOST_UNBUFFERED=1, read when the object is made, turns this off: every
    // cell then travels on its own, as a comparison and for diagnosis.
    bool Buffered() const { return buffered_; }
    // Runs action once every cell written so far has reached the host: at once,
    // unless a TWriteBehind holds writes back (or a TWriteSurvey drops it).
    void AfterWrites(std::function<void()> action);
    // Whether writing a worksheet (1-based positions) from row on would go over cells
    // that hold data, in a host that writes in blocks much faster into empty cells;
    // false on any failure.
    bool WouldWriteOverData(int workbookIndex, int sheetIndex, int row);

private:
    friend class TExcelSheet;
    friend class TWriteBehind;
    friend class TWriteSurvey;

    std::shared_ptr<HostBackend> backend_;
    MessageSink* messages_;
    bool buffered_;
    std::shared_ptr<WriteSession> session_;  // while a TWriteBehind holds writes back
};

// Holds back the cell writes made through the sheets of app while it lives and sends
// them in blocks: at Flush, at a Checkpoint once many are held, before a sheet that
// holds writes is read, when a write goes to another sheet, and when it goes (a
// failure on its way out: what the host takes is written, errors of that are
// swallowed). Worksheets opened meanwhile are reached once and then reused. Does
// nothing when app is not buffered or another TWriteBehind already holds its writes.
class TWriteBehind {
public:
    explicit TWriteBehind(TExcelApp& app);
    ~TWriteBehind();
    TWriteBehind(const TWriteBehind&) = delete;
    TWriteBehind& operator=(const TWriteBehind&) = delete;

    // Sends every held write, then runs the actions that waited for them. A write the
    // host refuses throws its HostError; the writes made before it have been stored,
    // those after it are dropped.
    void Flush();
    // A point between two units of work: flushes when many writes are held.
    void Checkpoint();

private:
    TExcelApp& app_;
    std::shared_ptr<WriteSession> session_;  // null when this object holds nothing back
};

// While it lives, the cell writes made through the sheets of app are noted and not
// made, and AfterWrites actions are dropped. A writer that is about to make the same
// writes again for real empties their cells first, in a host that writes faster into
// empty cells. Does nothing when app is not buffered or its writes are held already.
class TWriteSurvey {
public:
    explicit TWriteSurvey(TExcelApp& app);
    ~TWriteSurvey();
    TWriteSurvey(const TWriteSurvey&) = delete;
    TWriteSurvey& operator=(const TWriteSurvey&) = delete;

    bool Active() const { return static_cast<bool>(session_); }
    // Empties the noted cells that hold data (see WriteSession::EmptyNotedCells) and
    // ends the survey. Whether any cell was emptied; failures are passed on.
    bool EmptyNotedCells();

private:
    void End();

    TExcelApp& app_;
    std::shared_ptr<WriteSession> session_;
};

// One worksheet of one open workbook; one object is reused for every sheet a caller visits.
// When the application is buffered, reads are served from blocks of rows fetched
// ahead (see SheetReadAhead), which the object forgets when it is opened again or
// written through; writes are held back while a TWriteBehind lives.
class TExcelSheet {
public:
    // Points the object at a worksheet. Sets WorkbookName first; throws HostError when
    // the sheet cannot be reached (its name cannot be read). While a TWriteBehind
    // holds writes back, a position opened before in it is not asked for again.
    void Open(TExcelApp& app, std::string_view workbookName, int workbookIndex, int sheetIndex);

    // The text of an A1-style cell. A name that denotes no cell shows the "Hibás cella!"
    // warning and reads as ""; a value without a text shows it and throws HostError, and
    // so does a failed read once the worksheet itself no longer answers.
    std::string GetCellText(std::string_view cellName);
    // The same as GetCellText(columnLetters followed by row in decimal), without
    // building that name when the letters alone give the column.
    std::string GetCellText(std::string_view columnLetters, int row);
    // The same into text, whose room is used again: a loop over many cells need not
    // allocate for each.
    void GetCellText(std::string_view columnLetters, int row, std::string& text);
    // Writes text to a 0-based row and column; failures are passed on (those of a
    // held-back write when it is sent).
    void SetCellText(int row, int column, std::string_view text);
    // The sheet's used rows as far as they are known from the rows read so far (no
    // call of its own); 0 when not known.
    int KnownUsedRows() const { return std::max(readAhead_.UsedRows(), 0); }

    std::string WorkbookName;
    std::string SheetName;

private:
    // A cell's name as it was asked for: whole, or column letters and a row.
    struct AskedName {
        std::string_view name;
        std::string_view letters;
        int row = 0;
        std::string Text() const;
    };
    void ReadText(CellAddress address, const AskedName& asked, std::string& text);
    void ShowCellError(std::string_view cellName);
    bool HoldingWrites() const;
    bool SheetAnswers() const;

    std::shared_ptr<HostSheet> sheet_;
    MessageSink* messages_ = nullptr;
    SheetReadAhead readAhead_;
    std::shared_ptr<WriteSession> session_;  // the TWriteBehind's, when opened while one lived
    std::shared_ptr<WriteTarget> target_;
};

extern const char* const CellErrorCaption;  // "Hibás cella!"
