#include "shell/clioptions.h"

#include "shell/climessages.h"

#include <charconv>

const char* const CliHelpText = CliMsg::HelpText;

namespace {

int ParsePosition(const std::string& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        throw CliUsageError(CliMsg::InvalidWorkbookNumber + text);
    return value;
}

}  // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& args)
{
    CliOptions options;
    if (args.empty())
        throw CliUsageError(CliMsg::MissingCommand);

    size_t i = 0;
    const std::string& command = args[i++];
    if (command == "--help" || command == "-h" || command == "help")
        return options;
    if (command == "export")
        options.command = CliOptions::Command::Export;
    else if (command == "import")
        options.command = CliOptions::Command::Import;
    else if (command == "check")
        options.command = CliOptions::Command::Check;
    else
        throw CliUsageError(CliMsg::UnknownCommand + command);
    const bool isImport = options.command == CliOptions::Command::Import;
    const bool isExport = options.command == CliOptions::Command::Export;
    const bool isCheck = options.command == CliOptions::Command::Check;

    auto value = [&](const std::string& option) -> const std::string& {
        if (i >= args.size() || args[i].empty())
            throw CliUsageError(CliMsg::MissingValue + option);
        return args[i++];
    };

    bool optionsEnded = false;
    while (i < args.size()) {
        const std::string& arg = args[i++];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (isCheck)
                options.checkFiles.push_back(arg);
            else if (isImport)
                options.dataFiles.push_back(arg);
            else
                throw CliUsageError(CliMsg::UnexpectedArgument + arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options = CliOptions();
            return options;
        } else if (arg == "--data-folder") {
            options.dataFolder = value(arg);
        } else if (arg == "--open" && !isCheck) {
            options.openFiles.push_back(value(arg));
        } else if (arg == "--workbook" && !isCheck) {
            options.workbooks.push_back(ParsePosition(value(arg)));
        } else if (arg == "--output-dir" && isExport) {
            options.outputDir = value(arg);
        } else if (arg == "--schema" && isExport) {
            options.schemaFile = value(arg);
        } else if (arg == "--keep-invalid" && isExport) {
            options.keepInvalid = true;
        } else if (arg == "--save" && isImport) {
            options.save = true;
        } else if (arg == "--save-as" && isImport) {
            options.saveAsDir = value(arg);
        } else if (arg == "--force" && isImport) {
            options.force = true;
        } else {
            throw CliUsageError(CliMsg::UnknownOption + arg);
        }
    }
    if (options.save && !options.saveAsDir.empty())
        throw CliUsageError(CliMsg::SaveAndSaveAs);
    if (options.force && !options.save && options.saveAsDir.empty())
        throw CliUsageError(CliMsg::ForceNeedsSave);
    if (isImport && options.dataFiles.empty())
        throw CliUsageError(CliMsg::NoDataFile);
    return options;
}
