#include "shell/commanddrivers.h"

#include "export/exceltoxml.h"
#include "import/xmltoexcelcontrol.h"
#include "import/datafilecheck.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

const char* const NoWorkbookMessage = "Nincs excel fájl megnyitva, vagy az excel nem fogadóképes!";
const char* const EndOfImportLine = "*** End ***";

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

void RunExcelToXML(Frontend& ui, const HostConnector& connect)
{
    TExcelApp app(connect, &ui);
    std::vector<std::string> names;
    if (app.GetWorkbookNames(names) == 0) {
        ui.Warning(ui.Caption(), NoWorkbookMessage);
        return;
    }
    std::optional<std::vector<bool>> ticked = ui.SelectWorkbooks(names);
    if (!ticked)
        return;
    BusyGuard busy(ui);
    for (size_t j = 0; j < names.size(); ++j) {
        try {
            ui.SetBusy(true);
            if (j < ticked->size() && (*ticked)[j]) {
                ui.SetStatus(0, names[j]);
                ui.ProcessMessages();
                TExcelToXML converter(ui);
                converter.Convert(app, names[j], static_cast<int>(j) + 1);
            }
        } catch (const std::exception& error) {
            // A lower layer has shown its own message where it has one.
            ui.WorkbookFailed(names[j], error.what());
            break;
        } catch (...) {
            ui.WorkbookFailed(names[j], "");
            break;
        }
    }
}

void RunXMLToExcel(Frontend& ui, const HostConnector& connect)
{
    std::vector<std::string> files = ui.AskDataFiles();
    if (files.empty())
        return;
    TXMLToExcelControl control(ui);
    control.ResetRows();
    std::unique_ptr<TXmlSchema> schema = LoadDataSchema(ui.DataFolder(), control.Schema);

    TExcelApp app(connect, &ui);
    std::vector<std::string> names;
    if (app.GetWorkbookNames(names) == 0) {
        ui.Warning(ui.Caption(), NoWorkbookMessage);
        return;
    }
    std::optional<std::vector<bool>> ticked = ui.SelectWorkbooks(names);
    if (ticked) {
        for (size_t j = 0; j < names.size(); ++j) {
            if (j >= ticked->size() || !(*ticked)[j])
                continue;
            try {
                TExcelToXML converter(ui);
                converter.ReadImportMapping(app, names[j], static_cast<int>(j) + 1, control);
            } catch (const std::exception& error) {
                ui.WorkbookFailed(names[j], error.what());
                break;
            } catch (...) {
                ui.WorkbookFailed(names[j], "");
                break;
            }
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
