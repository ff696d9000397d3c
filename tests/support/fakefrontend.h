#pragma once

#include "common/frontend.h"
#include "common/xmldocument.h"
#include "tests/support/wellformedxml.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A Frontend without windows for tests: records what the engine shows and answers
// its questions from scripted replies.
class FakeFrontend : public Frontend {
public:
    struct Shown {
        std::string caption;
        std::string text;
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    std::string caption = "Korvex test";
    std::string dataFolder = "./";
    TXMLDocument document;

    std::vector<std::string> log;               // the log, one entry per line
    std::vector<Shown> warnings;
    std::string status[3];
    std::vector<std::pair<int, std::string>> statusHistory;
    int processMessagesCalls = 0;
    int stopAtProcessMessages = 0;              // the user stops the command at this call
    int interruptFromLogLine = 0;               // from this line (1-based) on AppendLog throws,
                                                // as the command line's does once interrupted
    int busyCalls = 0;
    bool busy = false;
    std::vector<std::string> saveQuestions;     // the proposed names, in order
    std::vector<Shown> failedWorkbooks;         // WorkbookFailed: {workbook name, reason}
    std::vector<std::string> writtenFiles;      // FileWritten, in order; each one parsed
    // AcceptOutputPlan: what the export proposed; the answer (only asked when wanted).
    bool wantsOutputPlan = false;
    bool acceptOutputPlan = true;
    std::vector<std::pair<std::string, std::string>> outputPlan;

    // Scripted answers. An empty queue answers the save dialog with the proposed name
    // (as if the user kept it) and the workbook dialog with "all ticked".
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<std::string> dataFiles;
    std::deque<std::optional<std::vector<bool>>> workbookAnswers;
    std::vector<std::vector<std::string>> workbookQuestions;
    // The export's schema check: the schema named for the run, the answers to "save
    // anyway?" (an empty queue answers no) and what each question listed.
    std::string outputSchema;
    std::deque<bool> keepInvalidAnswers;
    std::vector<std::vector<std::string>> invalidReports;
    std::vector<long> invalidCounts;

    std::string Caption() const override { return caption; }
    std::string DataFolder() const override { return dataFolder; }
    TXMLDocument& Document() override { return document; }

    void AppendLog(std::string_view line) override
    {
        if (interruptFromLogLine > 0 && log.size() + 1 >= static_cast<size_t>(interruptFromLogLine))
            throw std::runtime_error("interrupted (test switch)");
        log.emplace_back(line);
    }
    void SetLogText(std::string_view text) override
    {
        log.clear();
        std::string_view rest = text;
        while (!rest.empty()) {
            size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            log.emplace_back(line);
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
    }
    void SetStatus(int panel, std::string_view text) override
    {
        if (panel >= 0 && panel < 3)
            status[panel] = std::string(text);
        statusHistory.emplace_back(panel, std::string(text));
    }
    void ProcessMessages() override
    {
        if (++processMessagesCalls == stopAtProcessMessages)
            throw CommandCancelled();
    }
    void SetBusy(bool value) override
    {
        ++busyCalls;
        busy = value;
    }
    void Warning(std::string_view caption_, std::string_view text) override
    {
        warnings.push_back({std::string(caption_), std::string(text)});
    }
    std::optional<std::string> AskSaveFileName(std::string_view proposed) override
    {
        saveQuestions.emplace_back(proposed);
        if (saveAnswers.empty())
            return std::string(proposed);
        auto answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    std::vector<std::string> AskDataFiles() override { return dataFiles; }
    void FileWritten(std::string_view path) override
    {
        writtenFiles.emplace_back(path);
        testxml::RequireWellFormed(std::filesystem::path(std::u8string(path.begin(), path.end())));
    }
    bool WantsOutputPlan() const override { return wantsOutputPlan; }
    bool AcceptOutputPlan(const std::vector<std::pair<std::string, std::string>>& proposed) override
    {
        outputPlan = proposed;
        return acceptOutputPlan;
    }
    std::string OutputSchema() const override { return outputSchema; }
    bool KeepInvalidOutput(const std::vector<std::string>& problems, long count) override
    {
        invalidReports.push_back(problems);
        invalidCounts.push_back(count);
        if (keepInvalidAnswers.empty())
            return false;
        bool answer = keepInvalidAnswers.front();
        keepInvalidAnswers.pop_front();
        return answer;
    }
    void WorkbookFailed(std::string_view workbookName, std::string_view reason) override
    {
        failedWorkbooks.push_back({std::string(workbookName), std::string(reason)});
    }
    std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) override
    {
        workbookQuestions.push_back(names);
        if (workbookAnswers.empty())
            return std::vector<bool>(names.size(), true);
        auto answer = workbookAnswers.front();
        workbookAnswers.pop_front();
        return answer;
    }

    // The panel-0 texts in the order they were set: the workbooks the export started.
    std::vector<std::string> StartedWorkbooks() const
    {
        std::vector<std::string> started;
        for (const auto& [panel, text] : statusHistory)
            if (panel == 0)
                started.push_back(text);
        return started;
    }
};
