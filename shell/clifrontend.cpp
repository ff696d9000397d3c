#include "shell/clifrontend.h"
#include "shell/climessages.h"

#include "common/pathtext.h"

#include <filesystem>
#include <map>
#include <ostream>

std::atomic<bool> TCliFrontend::Interrupted{false};

namespace fs = std::filesystem;

std::optional<std::string> ResolveOutputPath(const std::string& proposed, const std::string& outputDir,
                                             const std::string& workbookFullName)
{
    fs::path name = PathFromUtf8(proposed);
    if (proposed.empty())
        return proposed;
    if (outputDir.empty()) {
        if (name.is_absolute())
            return proposed;
        return Utf8FromPath((PathFromUtf8(workbookFullName).parent_path() / name).lexically_normal());
    }
    // Checked on absolute paths; a relative folder gives a relative name, as it was given.
    std::error_code error;
    fs::path base = fs::absolute(PathFromUtf8(outputDir), error).lexically_normal();
    if (error)
        base = PathFromUtf8(outputDir).lexically_normal();
    fs::path target = (name.is_absolute() ? name : base / name).lexically_normal();
    fs::path inside = target.lexically_relative(base);
    if (inside.empty() || inside == "." || *inside.begin() == ".." || target.filename().empty())
        return std::nullopt;
    return Utf8FromPath(name.is_absolute() ? target : (PathFromUtf8(outputDir) / inside).lexically_normal());
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

namespace {

// The import drains no messages: its log lines are where an interrupt is noticed.
void StopIfInterrupted()
{
    if (TCliFrontend::Interrupted)
        throw std::runtime_error(CliMsg::InterruptedText);
}

}  // namespace

void TCliFrontend::AppendLog(std::string_view line)
{
    StopIfInterrupted();
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
    // The export's text has CR LF line ends (as in its file); a terminal log has LF.
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out_ << line << '\n';
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    out_ << std::flush;
}

void TCliFrontend::SetStatus(int panel, std::string_view text)
{
    if (panel == 0)
        workbook_ = std::string(text);
    else if (panel == 1)
        sheet_ = std::string(text);
    else if (panel == 2 && progress_) {
        err_ << "\r\x1b[K" << sheet_ << ": " << text << CliMsg::RowSuffix << std::flush;
        progressShown_ = true;
    }
}

void TCliFrontend::ProcessMessages()
{
    StopIfInterrupted();
}

void TCliFrontend::Warning(std::string_view caption, std::string_view text)
{
    EndProgress();
    failed_ = true;
    err_ << caption << ": " << text << '\n' << std::flush;
}

namespace {

std::string LeavesFolderMessage(const std::string& workbook, const std::string& proposed, const std::string& folder)
{
    return CliMsg::WorkbookStart + workbook + CliMsg::LeavesFolderName + proposed + CliMsg::LeavesFolderDir + folder +
           CliMsg::LeavesFolderEnglish + workbook + CliMsg::LeavesFolderEnd;
}

// The same file however it is named (a symbolic link, a folder reached twice).
fs::path Identity(const std::string& path)
{
    std::error_code error;
    fs::path identity = fs::weakly_canonical(PathFromUtf8(path), error);
    return error ? PathFromUtf8(path) : identity;
}

}  // namespace

bool TCliFrontend::AcceptOutputPlan(const std::vector<std::pair<std::string, std::string>>& proposed)
{
    std::map<fs::path, std::string> owners;  // output file -> workbook
    for (const auto& [workbook, name] : proposed) {
        if (name.find('\0') != std::string::npos) {
            Warning(Caption(), CliMsg::WorkbookStart + workbook + CliMsg::NulName + workbook + CliMsg::NulNameEnd);
            return false;
        }
        std::optional<std::string> path = ResolveOutputPath(name, options_.outputDir, workbook);
        if (!path) {
            Warning(Caption(), LeavesFolderMessage(workbook, name, options_.outputDir) + CliMsg::NothingExported);
            return false;
        }
        if (path->empty())
            continue;
        auto [owner, added] = owners.emplace(Identity(*path), workbook);
        if (!added) {
            Warning(Caption(), CliMsg::WorkbookStart + owner->second + CliMsg::SameFileAnd + workbook + CliMsg::SameFile +
                                   *path + CliMsg::SameFileEnd);
            return false;
        }
    }
    return true;
}

std::optional<std::string> TCliFrontend::AskSaveFileName(std::string_view proposed)
{
    std::optional<std::string> path = ResolveOutputPath(std::string(proposed), options_.outputDir, workbook_);
    if (!path) {
        Warning(Caption(), LeavesFolderMessage(workbook_, std::string(proposed), options_.outputDir));
        return std::nullopt;
    }
    if (path->empty()) {
        // The window would show an empty save dialog; here nobody can fill it in.
        Warning(Caption(), CliMsg::NoOutputName + workbook_);
        return std::nullopt;
    }
    return path;
}

void TCliFrontend::FileWritten(std::string_view path)
{
    written_.emplace_back(path);
}

std::vector<std::string> TCliFrontend::AskDataFiles()
{
    std::vector<std::string> files;
    for (const std::string& file : options_.dataFiles) {
        std::error_code error;
        fs::path full = fs::absolute(PathFromUtf8(file), error);
        files.push_back(error ? file : Utf8FromPath(full.lexically_normal()));
    }
    return files;
}

std::optional<std::vector<bool>> TCliFrontend::SelectWorkbooks(const std::vector<std::string>& names)
{
    if (options_.workbooks.empty())
        return std::vector<bool>(names.size(), true);
    std::vector<bool> ticked(names.size(), false);
    for (int position : options_.workbooks) {
        if (position > static_cast<int>(names.size()))
            throw CliUsageError(CliMsg::NoWorkbook + std::to_string(position) + CliMsg::OnlyWorkbooks +
                                std::to_string(names.size()) + CliMsg::NoWorkbookOpen +
                                std::to_string(position) + CliMsg::OnlyOpen + std::to_string(names.size()) +
                                CliMsg::OpenEnd);
        ticked[position - 1] = true;
    }
    return ticked;
}

void TCliFrontend::WorkbookFailed(std::string_view workbookName, std::string_view reason)
{
    EndProgress();
    failed_ = true;
    if (Interrupted)
        return;  // the run ends with "Megszakítva / interrupted", not with a reason that follows from it
    err_ << CliMsg::Failed << workbookName;
    if (!reason.empty())
        err_ << ": " << reason;
    err_ << '\n' << std::flush;
}

std::string TCliFrontend::OutputSchema() const
{
    if (options_.schemaFile.empty())
        return {};
    std::error_code error;
    fs::path full = fs::absolute(PathFromUtf8(options_.schemaFile), error);
    return error ? options_.schemaFile : Utf8FromPath(full.lexically_normal());
}

bool TCliFrontend::KeepInvalidOutput(const std::vector<std::string>& problems, long count)
{
    EndProgress();
    err_ << workbook_ << CliMsg::SchemaBroken << count << CliMsg::SchemaBrokenEnglish << count << CliMsg::SchemaBrokenEnd
         << '\n';
    for (const std::string& problem : problems)
        err_ << "  " << problem << '\n';
    if (!options_.keepInvalid) {
        failed_ = true;
        err_ << CliMsg::NotWrittenInvalid << workbook_ << '\n';
    }
    err_ << std::flush;
    return options_.keepInvalid;
}
