#include "memoryhost.h"

#include "excelsheet.h"

namespace {

constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384;

void CheckCell(int row, int column)
{
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
        throw HostError("cell position out of range");
}

}  // namespace

// A view of one sheet; it asks the host again on every call so that a closed workbook
// fails like a real one.
class MemorySheet : public HostSheet {
public:
    MemorySheet(MemoryHost& host, std::string fullName, int sheet)
        : host_(host), fullName_(std::move(fullName)), sheet_(sheet) {}

    std::string Name() override { return Target().name; }

    CellValue ReadCell(int row, int column) override
    {
        CheckCell(row, column);
        auto& counters = host_.counters;
        if (host_.failures.failReadAfter >= 0 && counters.reads >= host_.failures.failReadAfter)
            throw HostError("read failure (test switch)");
        ++counters.reads;
        auto& cells = Target().cells;
        auto it = cells.find({row, column});
        return it == cells.end() ? CellValue{} : it->second;
    }

    void WriteCell(int row, int column, const CellValue& value) override
    {
        CheckCell(row, column);
        auto& counters = host_.counters;
        if (host_.failures.failWriteAfter >= 0 && counters.writes >= host_.failures.failWriteAfter)
            throw HostError("write failure (test switch)");
        ++counters.writes;
        auto& cells = Target().cells;
        if (value.kind == CellValue::Kind::Empty)
            cells.erase({row, column});
        else
            cells[{row, column}] = value;
    }

private:
    MemoryHost::SheetData& Target()
    {
        for (auto& book : host_.workbooks) {
            if (book.fullName == fullName_) {
                if (sheet_ < 1 || sheet_ > static_cast<int>(book.sheets.size()))
                    break;
                return book.sheets[sheet_ - 1];
            }
        }
        throw HostError("the workbook was closed");
    }

    MemoryHost& host_;
    std::string fullName_;
    int sheet_;
};

int MemoryHost::AddWorkbook(std::string fullName, std::vector<std::string> sheetNames)
{
    WorkbookData book{std::move(fullName), {}};
    for (auto& name : sheetNames)
        book.sheets.push_back({std::move(name), {}});
    workbooks.push_back(std::move(book));
    return static_cast<int>(workbooks.size());
}

MemoryHost::WorkbookData& MemoryHost::BookAt(int book)
{
    if (book < 1 || book > static_cast<int>(workbooks.size()))
        throw HostError("workbook index out of range");
    return workbooks[book - 1];
}

void MemoryHost::Set(int book, int sheet, int row, int column, CellValue value)
{
    auto& sheets = BookAt(book).sheets;
    if (sheet < 1 || sheet > static_cast<int>(sheets.size()))
        throw HostError("sheet index out of range");
    auto& cells = sheets[sheet - 1].cells;
    if (value.kind == CellValue::Kind::Empty)
        cells.erase({row, column});
    else
        cells[{row, column}] = std::move(value);
}

void MemoryHost::Set(int book, int sheet, const std::string& cellName, CellValue value)
{
    CellAddress address = ParseCellName(cellName);
    Set(book, sheet, address.row, address.column, std::move(value));
}

void MemoryHost::SetText(int book, int sheet, const std::string& cellName, std::string text)
{
    Set(book, sheet, cellName, CellValue::FromText(std::move(text)));
}

CellValue MemoryHost::Get(int book, int sheet, int row, int column) const
{
    const auto& cells = workbooks.at(book - 1).sheets.at(sheet - 1).cells;
    auto it = cells.find({row, column});
    return it == cells.end() ? CellValue{} : it->second;
}

void MemoryHost::CloseWorkbook(int book)
{
    BookAt(book);
    workbooks.erase(workbooks.begin() + (book - 1));
}

int MemoryHost::WorkbookCount()
{
    if (failures.workbookCount)
        throw HostError("workbook count failure (test switch)");
    return static_cast<int>(workbooks.size());
}

std::string MemoryHost::WorkbookFullName(int book)
{
    return BookAt(book).fullName;
}

int MemoryHost::SheetCount(int book)
{
    if (failures.sheetAccess)
        throw HostError("sheet access failure (test switch)");
    return static_cast<int>(BookAt(book).sheets.size());
}

std::unique_ptr<HostSheet> MemoryHost::Sheet(int book, int sheet)
{
    if (failures.sheetAccess)
        throw HostError("sheet access failure (test switch)");
    auto& target = BookAt(book);
    if (sheet < 1 || sheet > static_cast<int>(target.sheets.size()))
        throw HostError("sheet index out of range");
    return std::make_unique<MemorySheet>(*this, target.fullName, sheet);
}
