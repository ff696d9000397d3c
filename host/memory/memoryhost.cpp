#include "host/memory/memoryhost.h"

#include "host/celladdress.h"

#include <algorithm>
#include <iterator>

namespace {

void CheckCell(int row, int column)
{
    if (row < 1 || row > SheetRows || column < 1 || column > SheetColumns)
        throw HostError("cell position out of range");
}

// Calls visit(first, last) with the held cells of each row of range, row by row: the
// map is ordered by row and then column, so they are one run per row.
template <class Cells, class Visit>
void ForEachRowOf(Cells& cells, const CellRange& range, Visit visit)
{
    for (int row = range.row; row <= range.LastRow(); ++row) {
        auto first = cells.lower_bound({row, range.column});
        auto last = first;
        while (last != cells.end() && last->first.first == row && last->first.second <= range.LastColumn())
            ++last;
        visit(first, last);
    }
}

void CheckRange(const CellRange& range)
{
    if (range.Empty())
        throw HostError("empty cell range");
    CheckCell(range.row, range.column);
    CheckCell(range.LastRow(), range.LastColumn());
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
        CountRead(host_.counters.reads);
        auto& cells = Target().cells;
        auto it = cells.find({row, column});
        return it == cells.end() ? CellValue{} : it->second;
    }

    void WriteCell(int row, int column, const CellValue& value) override
    {
        CheckCell(row, column);
        CheckLocked({row, column, 1, 1});
        CheckWrites(1);
        ++host_.counters.cellWrites;
        Store(Target(), row, column, value);
    }

    bool BlockAccess() const override { return true; }

    // Asked before every block a read fetches: the last row is the map's last key, the
    // last column is kept until the cells change, so a long scan stays linear.
    CellRange UsedArea() override
    {
        CountRead(host_.counters.usedAreas);
        MemoryHost::SheetData& sheet = Target();
        CellRange used;
        if (!sheet.cells.empty()) {
            used.rows = sheet.cells.rbegin()->first.first;
            used.columns = sheet.UsedColumns();
        }
        return used;
    }

    std::vector<CellValue> ReadBlock(const CellRange& range) override
    {
        CheckRange(range);
        CountRead(host_.counters.blockReads);
        auto& cells = Target().cells;
        std::vector<CellValue> values(static_cast<size_t>(range.Cells()));
        ForEachRowOf(cells, range, [&](auto first, auto last) {
            for (auto it = first; it != last; ++it)
                values[static_cast<size_t>(it->first.first - range.row) * range.columns +
                       (it->first.second - range.column)] = it->second;
        });
        return values;
    }

    void WriteBlock(const CellRange& range, const std::vector<CellValue>& values) override
    {
        CheckRange(range);
        if (values.size() != static_cast<size_t>(range.Cells()))
            throw HostError("a block of " + std::to_string(values.size()) + " values does not fit its range");
        int written = 0;
        for (const CellValue& value : values)
            written += value.kind != CellValue::Kind::Empty;
        CheckLocked(range);
        CheckWrites(written);
        ++host_.counters.blockWrites;
        MemoryHost::SheetData& sheet = Target();
        size_t i = 0;
        for (int row = range.row; row <= range.LastRow(); ++row)
            for (int column = range.column; column <= range.LastColumn(); ++column)
                Store(sheet, row, column, values[i++]);
    }

    BlockWriteLimits WriteLimits(const CellRange& area) override
    {
        CheckRange(area);
        CountRead(host_.counters.writeLimits);
        auto& cells = Target().cells;
        BlockWriteLimits limits;
        ForEachRowOf(cells, area, [&](auto first, auto last) {
            for (auto it = first; it != last; ++it)
                limits.occupied.push_back({it->first.first, it->first.second, 1, 1});
        });
        return limits;
    }

    bool FasterIntoEmptyCells() const override { return host_.fasterIntoEmptyCells; }

    void EmptyCells(const std::vector<CellRange>& ranges) override
    {
        for (const CellRange& range : ranges) {
            CheckRange(range);
            CheckLocked(range);
        }
        MemoryHost::SheetData& sheet = Target();
        for (const CellRange& range : ranges)
            ForEachRowOf(sheet.cells, range, [&](auto first, auto last) {
                host_.counters.emptiedCells += static_cast<int>(std::distance(first, last));
                sheet.changes += first != last;
                sheet.cells.erase(first, last);
            });
    }

private:
    // Every read call fails once the switch's number of read calls has been made.
    void CountRead(int& counter)
    {
        if (host_.failures.failReadAfter >= 0 && host_.counters.ReadCalls() >= host_.failures.failReadAfter)
            throw HostError("read failure (test switch)");
        ++counter;
    }

    void CheckLocked(const CellRange& range) const
    {
        auto [row, column] = host_.failures.lockedCell;
        if (range.Contains(row, column))
            throw HostError("locked cell (test switch)");
    }

    // Cells are counted whether they go one by one or in a block; a write that would
    // pass the switch's mark fails before it changes anything.
    void CheckWrites(int cells)
    {
        int limit = host_.failures.failWriteAfter;
        if (limit >= 0 && host_.counters.writes + cells > limit)
            throw HostError("write failure (test switch)");
        host_.counters.writes += cells;
    }

    static void Store(MemoryHost::SheetData& sheet, int row, int column, const CellValue& value)
    {
        ++sheet.changes;
        if (value.kind == CellValue::Kind::Empty)
            sheet.cells.erase({row, column});
        else
            sheet.cells[{row, column}] = value;
    }

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

int MemoryHost::SheetData::UsedColumns()
{
    if (countedAt_ != changes || countedCells_ != cells.size()) {
        usedColumns_ = 0;
        for (const auto& [position, value] : cells)
            usedColumns_ = std::max(usedColumns_, position.second);
        countedAt_ = changes;
        countedCells_ = cells.size();
    }
    return usedColumns_;
}

int MemoryHost::AddWorkbook(std::string fullName, std::vector<std::string> sheetNames)
{
    WorkbookData book{std::move(fullName), {}};
    for (auto& name : sheetNames) {
        SheetData sheet;
        sheet.name = std::move(name);
        book.sheets.push_back(std::move(sheet));
    }
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
    SheetData& target = sheets[sheet - 1];
    ++target.changes;
    if (value.kind == CellValue::Kind::Empty)
        target.cells.erase({row, column});
    else
        target.cells[{row, column}] = std::move(value);
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
