#pragma once

// The window side of a benchmark run: answers every question at once (every workbook
// ticked, the proposed file name taken), counts the log lines and shows nothing but
// warnings, on stderr.

#include "common/frontend.h"
#include "common/xmldocument.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The machine's load averages (1, 5 and 15 minutes) for the figures printed beside
// them: benchmarks share the machine.
inline std::string MachineLoad()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(file >> one >> five >> fifteen))
        return "load unknown";
    return "load " + one + " " + five + " " + fifteen;
}

class BenchFrontend : public Frontend {
public:
    BenchFrontend(std::string caption, std::string folder) : caption_(std::move(caption)), folder_(std::move(folder))
    {
    }
    std::string Caption() const override { return caption_; }
    std::string DataFolder() const override { return folder_; }
    TXMLDocument& Document() override { return document_; }
    void AppendLog(std::string_view) override { ++logLines; }
    void SetLogText(std::string_view) override {}
    void SetStatus(int, std::string_view) override {}
    void ProcessMessages() override {}
    void SetBusy(bool) override {}
    void Warning(std::string_view caption, std::string_view text) override
    {
        ++warnings;
        std::fprintf(stderr, "warning: %.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                     text.data());
    }
    std::optional<std::string> AskSaveFileName(std::string_view proposed) override { return std::string(proposed); }
    std::vector<std::string> AskDataFiles() override { return {}; }
    std::optional<std::vector<bool>> SelectWorkbooks(const std::vector<std::string>& names) override
    {
        return std::vector<bool>(names.size(), true);
    }

    // The output broke its schema: the problems are shown and the file is not written.
    bool KeepInvalidOutput(const std::vector<std::string>& problems, long count) override
    {
        std::fprintf(stderr, "output breaks its schema in %ld places, first: %s\n", count,
                     problems.empty() ? "" : problems.front().c_str());
        ++warnings;
        return false;
    }

    long long logLines = 0;
    int warnings = 0;

private:
    std::string caption_;
    std::string folder_;
    TXMLDocument document_;
};
