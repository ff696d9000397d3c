#include "excelsheet.h"

#include "cellvalue.h"

#include <cctype>
#include <limits>

const char* const CellErrorCaption = "Hibás cella!";

namespace {

int UpperLetter(char c)
{
    return std::toupper(static_cast<unsigned char>(c));
}

bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

TExcelApp::TExcelApp(const HostConnector& connect, MessageSink* messages)
    : messages_(messages)
{
    try {
        if (connect)
            backend_ = connect();
    } catch (...) {
        backend_.reset();
    }
}

TExcelApp::TExcelApp(std::shared_ptr<HostBackend> backend, MessageSink* messages)
    : backend_(std::move(backend))
    , messages_(messages)
{
}

HostBackend& TExcelApp::Backend()
{
    if (!backend_)
        throw HostError("no spreadsheet application is connected");
    return *backend_;
}

int TExcelApp::GetWorkbookNames(std::vector<std::string>& names)
{
    try {
        int count = Backend().WorkbookCount();
        for (int i = 1; i <= count; ++i)
            names.push_back(Backend().WorkbookFullName(i));
    } catch (...) {
        // Reading ends silently; what was read stays.
    }
    return static_cast<int>(names.size());
}

int TExcelApp::GetSheetCount(int workbookIndex)
{
    try {
        if (workbookIndex <= Backend().WorkbookCount())
            return Backend().SheetCount(workbookIndex);
    } catch (...) {
    }
    return 0;
}

void TExcelSheet::Open(TExcelApp& app, std::string_view workbookName, int workbookIndex, int sheetIndex)
{
    sheet_.reset();
    messages_ = app.Messages();
    try {
        HostBackend& host = app.Backend();
        if (workbookIndex <= host.WorkbookCount() && sheetIndex <= host.SheetCount(workbookIndex))
            sheet_ = host.Sheet(workbookIndex, sheetIndex);
    } catch (...) {
        sheet_.reset();
    }
    WorkbookName = std::string(workbookName);
    if (!sheet_)
        throw HostError("worksheet " + std::to_string(sheetIndex) + " of workbook " + WorkbookName +
                        " cannot be reached");
    SheetName = sheet_->Name();
}

CellAddress ParseCellName(std::string_view cellName)
{
    CellAddress address;
    if (cellName.empty())
        return address;
    int column = UpperLetter(cellName[0]) - 'A';
    size_t rowStart = 1;
    if (cellName.size() > 1 && IsLetter(cellName[1])) {
        column = (column + 1) * 26 + (UpperLetter(cellName[1]) - 'A');
        rowStart = 2;
    }
    long long row = 0;
    for (size_t i = rowStart; i < cellName.size() && std::isdigit(static_cast<unsigned char>(cellName[i])); ++i) {
        row = row * 10 + (cellName[i] - '0');
        if (row > std::numeric_limits<int>::max())
            return {};
    }
    address.row = static_cast<int>(row);
    address.column = column + 1;
    return address;
}

void TExcelSheet::ShowCellError(std::string_view cellName)
{
    if (messages_)
        messages_->Warning(CellErrorCaption, WorkbookName + " " + SheetName + " " + std::string(cellName));
}

std::string TExcelSheet::GetCellText(std::string_view cellName)
{
    CellValue value;
    try {
        CellAddress address = ParseCellName(cellName);
        if (!sheet_ || address.row < 1 || address.column < 1)
            throw HostError("no such cell");
        value = sheet_->ReadCell(address.row, address.column);
    } catch (...) {
        ShowCellError(cellName);
        return {};
    }
    try {
        return CellValueText(value);
    } catch (...) {
        ShowCellError(cellName);
        throw;
    }
}

void TExcelSheet::SetCellText(int row, int column, std::string_view text)
{
    if (!sheet_)
        throw HostError("no worksheet is open");
    if (row < 0 || column < 0 || row == std::numeric_limits<int>::max() || column == std::numeric_limits<int>::max())
        throw HostError("cell position out of range");
    sheet_->WriteCell(row + 1, column + 1, CellValueForText(text));
}

int ColumnIndex(std::string_view letters)
{
    if (letters.empty())
        throw HostError("empty column letters");
    if (letters.size() == 1)
        return UpperLetter(letters[0]) - 'A';
    return (UpperLetter(letters[0]) - 'A' + 1) * 26 + (UpperLetter(letters[1]) - 'A');
}
