#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A command line that cannot be run; the message says why (Hungarian, then English).
class CliUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The parsed command line of korvex-cli.
struct CliOptions {
    enum class Command { Export, Import, Check, Help };

    Command command = Command::Help;
    std::string dataFolder;              // empty: the default data folder
    std::vector<std::string> openFiles;  // --open: run a private office on these files
    std::vector<int> workbooks;          // --workbook: 1-based positions; empty = every one
    std::string outputDir;               // export: where relative A2 names land
    bool save = false;                   // import: store the workbooks in place
    std::string saveAsDir;               // import: store copies here
    bool force = false;                  // import: store over lock files and existing copies
    std::vector<std::string> dataFiles;  // import: the XML data files, in order
    std::string schemaFile;              // export: the schema of every workbook's output
    bool keepInvalid = false;            // export: write output that breaks its schema
    std::vector<std::string> checkFiles; // check: control files; empty = those of the data folder
};

// One option the parser accepts: its name, the placeholder of its value (nullptr for a
// switch) and the commands that take it.
struct CliOptionInfo {
    const char* name;
    const char* value;
    bool forExport;
    bool forImport;
    bool forCheck;
};
// Every option of export, import and check, in the order --help lists them (--help aside).
extern const std::vector<CliOptionInfo> CliOptionTable;

// Throws CliUsageError for anything that is not a valid command line.
CliOptions ParseCliOptions(const std::vector<std::string>& args);

// The --help text, in Hungarian and English.
extern const char* const CliHelpText;
