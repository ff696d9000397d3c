#pragma once

#include "shell/clioptions.h"
#include "common/frontend.h"
#include "common/xmldocument.h"

#include <atomic>
#include <iosfwd>
#include <optional>
#include <string>

// The engine's window onto a terminal: the log goes to stdout, warnings and progress to
// stderr, and the dialogs are answered from the command line.
class TCliFrontend : public Frontend {
public:
    TCliFrontend(const CliOptions& options, std::string dataFolder, std::ostream& out, std::ostream& err,
                 bool progress);

    // Something went wrong (a warning, a failed workbook or file): exit status 1.
    bool Failed() const { return failed_; }
    void MarkFailed() { failed_ = true; }
    // Set from a signal handler; the next ProcessMessages ends the command.
    static std::atomic<bool> Interrupted;

    std::string Caption() const override { return "Korvex"; }
    std::string DataFolder() const override { return dataFolder_; }
    TXMLDocument& Document() override { return document_; }
    void AppendLog(std::string_view line) override;
    void SetLogText(std::string_view text) override;
    void SetStatus(int panel, std::string_view text) override;
    void ProcessMessages() override;
    void SetBusy(bool) override {}
    void Warning(std::string_view caption, std::string_view text) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposed) override;
    // Refuses the export before anything is written when an output file would leave
    // --output-dir, holds a NUL character, or is named by two workbooks.
    bool WantsOutputPlan() const override { return true; }
    bool AcceptOutputPlan(const std::vector<std::pair<std::string, std::string>>& proposed) override;
    void FileWritten(std::string_view path) override;
    // The data files of the command line, as full paths (the log shows full paths).
    std::vector<std::string> AskDataFiles() override;
    std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) override;
    void WorkbookFailed(std::string_view workbookName, std::string_view reason) override;
    // --schema, as a full path.
    std::string OutputSchema() const override;
    // The problems go to stderr; the output is written only with --keep-invalid.
    bool KeepInvalidOutput(const std::vector<std::string>& problems, long count) override;

    // Finishes the progress line, if one is shown.
    void EndProgress();
    // The files the export has written, in order.
    const std::vector<std::string>& WrittenFiles() const { return written_; }

private:
    const CliOptions& options_;
    std::string dataFolder_;
    std::ostream& out_;
    std::ostream& err_;
    bool progress_;
    bool progressShown_ = false;
    bool failed_ = false;
    std::string workbook_;  // status panel 0: the workbook being converted
    std::string sheet_;     // status panel 1
    std::vector<std::string> written_;
    TXMLDocument document_;
};

// Where the export writes a proposed output name. With outputDir it lands inside that
// folder: relative names below it; a name that would leave it (absolute elsewhere, or
// through "..") gives nullopt. Without outputDir absolute names stay as they are and
// relative ones go beside the workbook. An empty name stays empty.
std::optional<std::string> ResolveOutputPath(const std::string& proposed, const std::string& outputDir,
                                             const std::string& workbookFullName);
