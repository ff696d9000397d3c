#include "shell/checkcommand.h"
#include "shell/climessages.h"

#include "common/pathtext.h"

#include "export/controlcheck.h"
#include "import/importcontrolcheck.h"
#include "import/xmltoexcelcontrol.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

namespace {

namespace fs = std::filesystem;

bool EndsWithNoCase(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char s, char t) { return std::tolower(static_cast<unsigned char>(t)) == s; });
}

std::vector<std::string> DataFolderFiles(const std::string& dataFolder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(PathFromUtf8(dataFolder), error))
        if (entry.is_regular_file() && EndsWithNoCase(Utf8FromPath(entry.path().filename()), ".ini"))
            files.push_back(Utf8FromPath(entry.path()));
    std::sort(files.begin(), files.end());
    fs::path import = PathFromUtf8(dataFolder) / ImportControlFileName;
    if (fs::is_regular_file(import, error))
        files.push_back(Utf8FromPath(import));
    return files;
}

std::vector<TCheckFinding> CheckFile(const std::string& file, const std::string& dataFolder)
{
    std::error_code error;
    if (!fs::is_regular_file(PathFromUtf8(file), error))
        return {{1, CliMsg::CheckFileMissing}};
    if (EndsWithNoCase(file, ".xml"))
        return CheckImportControl(file, dataFolder);
    std::ifstream stream(PathFromUtf8(file), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad())
        return {{1, CliMsg::CheckFileNotReadable}};
    return CheckExportControl(bytes, dataFolder);
}

}  // namespace

int RunCheck(const std::vector<std::string>& files, const std::string& dataFolder, std::ostream& out,
             std::ostream& err)
{
    std::vector<std::string> chosen = files;
    if (chosen.empty()) {
        std::error_code error;
        if (!fs::is_directory(PathFromUtf8(dataFolder), error)) {
            err << CliMsg::NoSuchDataFolder << dataFolder << '\n';
            return 1;
        }
        chosen = DataFolderFiles(dataFolder);
    }
    bool failed = false;
    for (const std::string& file : chosen) {
        for (const TCheckFinding& finding : CheckFile(file, dataFolder)) {
            out << file << ':' << finding.line << ": " << (finding.note ? CliMsg::NotePrefix : "") << finding.message << '\n';
            failed = failed || !finding.note;
        }
    }
    out << std::flush;
    return failed ? 1 : 0;
}
