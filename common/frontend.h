#pragma once

#include "common/messages.h"
#include "common/messagesink.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TXMLDocument;

// Thrown out of ProcessMessages when the user stops the running command: it ends the
// command at the next row or element like a failure, without a warning of its own.
class CommandCancelled : public std::runtime_error {
public:
    CommandCancelled() : std::runtime_error(Msg::CommandCancelled) {}
};

// The narrow window of the conversion engine onto the main window: everything the
// commands show or ask goes through here, so the GUI, the command line and the tests
// can all drive the same engine. Texts are UTF-8.
class Frontend : public MessageSink {
public:
    // The main window's caption (titles the warnings of the commands).
    virtual std::string Caption() const = 0;
    // The folder of the control files; ends with a path separator.
    virtual std::string DataFolder() const = 0;
    // The one XML document the commands share.
    virtual TXMLDocument& Document() = 0;

    // The log (XMLDest).
    virtual void AppendLog(std::string_view line) = 0;
    virtual void SetLogText(std::string_view text) = 0;

    // Status panels 0 (workbook), 1 (sheet), 2 (row).
    virtual void SetStatus(int panel, std::string_view text) = 0;
    // Lets the window repaint and take input while a long command runs; throws
    // CommandCancelled once the user has stopped the command.
    virtual void ProcessMessages() = 0;
    // How far the running step is: done out of total (rows of a sheet, elements of a
    // file); total 0 when it is not known. Only shown, never asked back.
    virtual void SetProgress(long long /*done*/, long long /*total*/) {}
    virtual void SetBusy(bool busy) = 0;

    // SaveDialog1: proposes a file name; nullopt when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(std::string_view proposed) = 0;
    // OpenDialog1: the chosen data files in order; empty when the user cancels.
    virtual std::vector<std::string> AskDataFiles() = 0;
    // The workbook selection dialog: the ticked state of each name, or nullopt on cancel.
    virtual std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) = 0;

    // A front end that answers the save dialog itself (the command line) sees every
    // ticked workbook's proposed output file (sheet 1, A2) before anything is converted,
    // as {workbook name, proposed name} pairs, and may refuse the whole export (after
    // its own warning) by answering false. The window asks the user for each file.
    virtual bool WantsOutputPlan() const { return false; }
    virtual bool AcceptOutputPlan(const std::vector<std::pair<std::string, std::string>>& /*proposed*/)
    {
        return true;
    }

    // The export has written a file (after the save dialog answered with its path).
    virtual void FileWritten(std::string_view /*path*/) {}

    // The export's loop over the workbooks ended at a failing workbook. The window shows
    // nothing of its own here (the lower layer has warned where it could); the command
    // line reports it and ends with a failure status.
    virtual void WorkbookFailed(std::string_view /*workbookName*/, std::string_view /*reason*/) {}

    // A schema every exported workbook of this run must follow, in place of the one its
    // control files name; empty: none.
    virtual std::string OutputSchema() const { return {}; }
    // The finished output breaks its schema: problems names each place (the log already
    // shows the output). True: save it anyway. Without an answer nothing is saved.
    virtual bool KeepInvalidOutput(const std::vector<std::string>& problems, long count)
    {
        for (const std::string& problem : problems)
            AppendLog(problem);
        (void)count;
        return false;
    }
};
