#include "shell/clioptions.h"

#include "shell/climessages.h"

#include <charconv>

const char* const CliHelpText = CliMsg::HelpText;

const std::vector<CliOptionInfo> CliOptionTable = {
    {"--data-folder", "DIR", true, true, true},
    {"--open", "FILE", true, true, false},
    {"--workbook", "N", true, true, false},
    {"--output-dir", "DIR", true, false, false},
    {"--save", nullptr, false, true, false},
    {"--save-as", "DIR", false, true, false},
    {"--force", nullptr, false, true, false},
    {"--schema", "FILE.xsd", true, false, false},
    {"--keep-invalid", nullptr, true, false, false},
};

namespace {

bool TakesOption(const CliOptionInfo& option, CliOptions::Command command)
{
    switch (command) {
    case CliOptions::Command::Export: return option.forExport;
    case CliOptions::Command::Import: return option.forImport;
    case CliOptions::Command::Check: return option.forCheck;
    default: return false;
    }
}

const CliOptionInfo* FindOption(const std::string& name, CliOptions::Command command)
{
    for (const CliOptionInfo& option : CliOptionTable)
        if (name == option.name && TakesOption(option, command))
            return &option;
    return nullptr;
}

int ParsePosition(const std::string& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        throw CliUsageError(CliMsg::InvalidWorkbookNumber + text);
    return value;
}

void Apply(CliOptions& options, const std::string& name, const std::string& value)
{
    if (name == "--data-folder")
        options.dataFolder = value;
    else if (name == "--open")
        options.openFiles.push_back(value);
    else if (name == "--workbook")
        options.workbooks.push_back(ParsePosition(value));
    else if (name == "--output-dir")
        options.outputDir = value;
    else if (name == "--save")
        options.save = true;
    else if (name == "--save-as")
        options.saveAsDir = value;
    else if (name == "--force")
        options.force = true;
    else if (name == "--schema")
        options.schemaFile = value;
    else if (name == "--keep-invalid")
        options.keepInvalid = true;
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

    bool optionsEnded = false;
    while (i < args.size()) {
        const std::string& arg = args[i++];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (options.command == CliOptions::Command::Check)
                options.checkFiles.push_back(arg);
            else if (isImport)
                options.dataFiles.push_back(arg);
            else
                throw CliUsageError(CliMsg::UnexpectedArgument + arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options = CliOptions();
            return options;
        }
        const CliOptionInfo* option = FindOption(arg, options.command);
        if (!option)
            throw CliUsageError(CliMsg::UnknownOption + arg);
        std::string value;
        if (option->value) {
            if (i >= args.size() || args[i].empty())
                throw CliUsageError(CliMsg::MissingValue + arg);
            value = args[i++];
        }
        Apply(options, arg, value);
    }
    if (options.save && !options.saveAsDir.empty())
        throw CliUsageError(CliMsg::SaveAndSaveAs);
    if (options.force && !options.save && options.saveAsDir.empty())
        throw CliUsageError(CliMsg::ForceNeedsSave);
    if (isImport && options.dataFiles.empty())
        throw CliUsageError(CliMsg::NoDataFile);
    return options;
}
