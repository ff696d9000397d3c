#include "shell/commanddrivers.h"
#include "shell/windowmessages.h"

#include "common/pathtext.h"
#include "export/exceltoxml.h"
#include "import/xmltoexcelcontrol.h"
#include "import/datafilecheck.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

const char* const NoWorkbookMessage = WindowMsg::NoWorkbook;
const char* const EndOfImportLine = WindowMsg::EndOfImport;
const char* const DataFolderMissingMessage = WindowMsg::DataFolderMissing;

namespace {

// Restores the normal cursor however the loop ends.
class BusyGuard {
public:
    explicit BusyGuard(Frontend& ui) : ui_(ui) {}
    ~BusyGuard() { ui_.SetBusy(false); }

private:
    Frontend& ui_;
};

}  // namespace

// A data folder that is not there: both commands stop with a warning before they read
// or write anything (an export would otherwise write empty documents over good files).
bool DataFolderMissing(Frontend& ui)
{
    const std::string folder = ui.DataFolder();
    std::error_code error;
    if (std::filesystem::is_directory(PathFromUtf8(folder), error))
        return false;
    ui.Warning(ui.Caption(), DataFolderMissingMessage + folder);
    return true;
}

namespace {

// The proposed output file (A2) of every ticked workbook that has data sheets.
std::vector<std::pair<std::string, std::string>> ProposedOutputs(TExcelApp& app, const std::vector<std::string>& names,
                                                                 const std::vector<bool>& ticked)
{
    std::vector<std::pair<std::string, std::string>> proposed;
    for (size_t j = 0; j < names.size() && j < ticked.size(); ++j) {
        if (!ticked[j])
            continue;
        try {
            const int index = static_cast<int>(j) + 1;
            if (app.GetSheetCount(index) <= 1)
                continue;
            TExcelSheet sheet;
            sheet.Open(app, names[j], index, 1);
            proposed.emplace_back(names[j], sheet.GetCellText("A2"));
        } catch (...) {
            // The workbook fails in its own turn, with its own message.
        }
    }
    return proposed;
}

// The open workbooks and the user's tick on each (nullopt: the choice was cancelled).
struct WorkbookChoice {
    std::vector<std::string> names;
    std::optional<std::vector<bool>> ticked;
};

// Lists the workbooks of the connection and lets the user tick some. Without any open
// workbook the user is warned and there is no choice at all.
std::optional<WorkbookChoice> ChooseWorkbooks(Frontend& ui, TExcelApp& app)
{
    WorkbookChoice choice;
    if (app.GetWorkbookNames(choice.names) == 0) {
        ui.Warning(ui.Caption(), NoWorkbookMessage);
        return std::nullopt;
    }
    choice.ticked = ui.SelectWorkbooks(choice.names);
    return choice;
}

// Runs one workbook's step. A failure is that workbook's: it is reported with its name
// (a lower layer has shown its own message where it has one) and the loop over the
// workbooks ends, which the false answer tells.
template <typename Step>
bool GuardWorkbook(Frontend& ui, const std::string& name, Step&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        ui.WorkbookFailed(name, error.what());
    } catch (...) {
        ui.WorkbookFailed(name, "");
    }
    return false;
}

}  // namespace

void RunExcelToXML(Frontend& ui, const HostConnector& connect)
{
    TExcelApp app(connect, &ui);
    std::optional<WorkbookChoice> choice = ChooseWorkbooks(ui, app);
    if (!choice || !choice->ticked || DataFolderMissing(ui))
        return;
    const std::vector<std::string>& names = choice->names;
    const std::vector<bool>& ticked = *choice->ticked;
    if (ui.WantsOutputPlan() && !ui.AcceptOutputPlan(ProposedOutputs(app, names, ticked)))
        return;
    BusyGuard busy(ui);
    for (size_t j = 0; j < names.size(); ++j) {
        bool done = GuardWorkbook(ui, names[j], [&] {
            ui.SetBusy(true);
            if (j < ticked.size() && ticked[j]) {
                ui.SetStatus(0, names[j]);
                ui.ProcessMessages();
                TExcelToXML converter(ui);
                converter.Convert(app, names[j], static_cast<int>(j) + 1);
            }
        });
        if (!done)
            break;
    }
}

void RunXMLToExcel(Frontend& ui, const HostConnector& connect)
{
    std::vector<std::string> files = ui.AskDataFiles();
    if (files.empty())
        return;
    if (DataFolderMissing(ui))
        return;
    TXMLToExcelControl control(ui);
    control.ResetRows();
    std::unique_ptr<TXmlSchema> schema = LoadDataSchema(ui.DataFolder(), control.Schema);

    TExcelApp app(connect, &ui);
    std::optional<WorkbookChoice> choice = ChooseWorkbooks(ui, app);
    if (!choice)
        return;
    // A cancelled choice maps no pages; the files are transferred all the same.
    if (choice->ticked) {
        const std::vector<std::string>& names = choice->names;
        const std::vector<bool>& ticked = *choice->ticked;
        for (size_t j = 0; j < names.size(); ++j) {
            if (j >= ticked.size() || !ticked[j])
                continue;
            bool done = GuardWorkbook(ui, names[j], [&] {
                TExcelToXML converter(ui);
                converter.ReadImportMapping(app, names[j], static_cast<int>(j) + 1, control);
            });
            if (!done)
                break;
        }
    }
    ui.SetLogText("");
    for (const std::string& file : files) {
        ui.AppendLog(file);
        // A file that breaks its schema fails like a malformed one: before any cell.
        if (schema)
            CheckDataFile(*schema, file);
        control.TransferFile(file, app);
    }
    ui.AppendLog(EndOfImportLine);
}
