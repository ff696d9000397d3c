#pragma once

#include "shell/clioptions.h"
#include "common/frontend.h"
#include "common/xmldocument.h"

#include <atomic>
#include <iosfwd>
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
    // The files the export has written: the answered save names of the workbooks that
    // did not fail afterwards.
    std::vector<std::string> WrittenFiles();

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
    std::string pending_;   // the save name of the workbook being converted
    std::vector<std::string> written_;
    TXMLDocument document_;
};

// Where the export writes a proposed output name: absolute names as they are; relative
// ones below outputDir when given, otherwise beside the workbook.
std::string ResolveOutputPath(const std::string& proposed, const std::string& outputDir,
                              const std::string& workbookFullName);
