#include "clifrontend.h"

#include <filesystem>
#include <ostream>

std::atomic<bool> TCliFrontend::Interrupted{false};

namespace fs = std::filesystem;

std::string ResolveOutputPath(const std::string& proposed, const std::string& outputDir,
                              const std::string& workbookFullName)
{
    fs::path name = fs::u8path(proposed);
    if (proposed.empty() || name.is_absolute())
        return proposed;
    fs::path base = !outputDir.empty() ? fs::u8path(outputDir) : fs::u8path(workbookFullName).parent_path();
    return (base / name).lexically_normal().u8string();
}

TCliFrontend::TCliFrontend(const CliOptions& options, std::string dataFolder, std::ostream& out,
                           std::ostream& err, bool progress)
    : options_(options)
    , dataFolder_(std::move(dataFolder))
    , out_(out)
    , err_(err)
    , progress_(progress)
{
}

void TCliFrontend::EndProgress()
{
    if (progressShown_) {
        err_ << "\r\x1b[K" << std::flush;
        progressShown_ = false;
    }
}

void TCliFrontend::AppendLog(std::string_view line)
{
    EndProgress();
    out_ << line << '\n' << std::flush;
    if (progress_) {
        // The import logs a file before it transfers it: show it while it runs.
        err_ << "\x1b[K" << line << "\r" << std::flush;
        progressShown_ = true;
    }
}

void TCliFrontend::SetLogText(std::string_view text)
{
    EndProgress();
    if (text.empty())
        return;
    out_ << text;
    if (text.back() != '\n')
        out_ << '\n';
    out_ << std::flush;
}

void TCliFrontend::SetStatus(int panel, std::string_view text)
{
    if (panel == 0)
        workbook_ = std::string(text);
    else if (panel == 1)
        sheet_ = std::string(text);
    else if (panel == 2 && progress_) {
        err_ << "\r\x1b[K" << sheet_ << ": " << text << ". sor" << std::flush;
        progressShown_ = true;
    }
}

void TCliFrontend::ProcessMessages()
{
    if (Interrupted)
        throw std::runtime_error("Megszakítva / interrupted");
}

void TCliFrontend::Warning(std::string_view caption, std::string_view text)
{
    EndProgress();
    failed_ = true;
    err_ << caption << ": " << text << '\n' << std::flush;
}

std::optional<std::string> TCliFrontend::AskSaveFileName(std::string_view proposed)
{
    std::string path = ResolveOutputPath(std::string(proposed), options_.outputDir, workbook_);
    if (path.empty())
        return std::nullopt;
    return path;
}

std::optional<std::vector<bool>> TCliFrontend::SelectWorkbooks(const std::vector<std::string>& names)
{
    if (options_.workbooks.empty())
        return std::vector<bool>(names.size(), true);
    std::vector<bool> ticked(names.size(), false);
    for (int position : options_.workbooks) {
        if (position > static_cast<int>(names.size()))
            throw CliUsageError("Nincs " + std::to_string(position) + ". munkafüzet, csak " +
                                std::to_string(names.size()) + " van megnyitva / there is no workbook " +
                                std::to_string(position) + ", only " + std::to_string(names.size()) + " open");
        ticked[position - 1] = true;
    }
    return ticked;
}

void TCliFrontend::WorkbookFailed(std::string_view workbookName, std::string_view reason)
{
    EndProgress();
    failed_ = true;
    err_ << "Hiba / failed: " << workbookName;
    if (!reason.empty())
        err_ << ": " << reason;
    err_ << '\n' << std::flush;
}
