#include "host/buffering/readahead.h"

#include "common/messages.h"

#include <algorithm>

namespace {

const CellValue EmptyCell;

}  // namespace

void SheetReadAhead::Reset(bool enabled)
{
    enabled_ = enabled;
    reads_ = 0;
    askedLeft_ = askedRight_ = 0;
    usedRows_ = -1;
    Forget();
}

void SheetReadAhead::Forget()
{
    known_ = {};
    fetched_ = {};
    values_.clear();
}

const CellValue& SheetReadAhead::Held(int row, int column) const
{
    if (!fetched_.Contains(row, column))
        return EmptyCell;
    return values_[static_cast<size_t>(row - fetched_.row) * fetched_.columns + (column - fetched_.column)];
}

const CellValue& SheetReadAhead::Single(CellValue value)
{
    single_ = std::move(value);
    return single_;
}

const CellValue& SheetReadAhead::Read(HostSheet& sheet, int row, int column)
{
    if (known_.Contains(row, column))
        return Held(row, column);
    askedLeft_ = askedLeft_ == 0 ? column : std::min(askedLeft_, column);
    askedRight_ = std::max(askedRight_, column);
    bool inSheet = row >= 1 && row <= SheetRows && column >= 1 && column <= SheetColumns;
    if (!enabled_ || reads_++ == 0 || !inSheet)
        return Single(sheet.ReadCell(row, column));
    try {
        Load(sheet, row);
    } catch (const HostError&) {
        // The cell on its own fails, or not, exactly as it would without blocks.
        Forget();
        return Single(sheet.ReadCell(row, column));
    }
    return Held(row, column);
}

void SheetReadAhead::Load(HostSheet& sheet, int row)
{
    Forget();
    // Asked when the block is read, so that rows added since the last block count.
    CellRange used = sheet.UsedArea();
    int usedRows = used.Empty() ? 0 : std::min(used.LastRow(), SheetRows);
    usedRows_ = usedRows;
    int usedColumns = used.Empty() ? 0 : std::min(used.LastColumn(), SheetColumns);

    CellRange known;
    if (usedColumns <= WideSheet) {
        known.column = 1;
        known.columns = SheetColumns;
    } else {
        known.column = askedLeft_;
        known.columns = askedRight_ - askedLeft_ + 1;
    }
    int fetchRight = std::min(known.LastColumn(), usedColumns);
    int width = std::max(1, fetchRight - known.column + 1);
    int height = std::clamp(BlockCells / width, MinRows, MaxRows);
    known.row = row;
    known.rows = std::min(height, SheetRows - row + 1);

    CellRange fetch{row, known.column, std::min(known.LastRow(), usedRows) - row + 1, fetchRight - known.column + 1};
    std::vector<CellValue> values;
    if (!fetch.Empty()) {
        values = sheet.ReadBlock(fetch);
        if (values.size() != static_cast<size_t>(fetch.Cells()))
            throw HostError(Msg::WrongBlockSize);
    } else {
        fetch = {};
    }
    known_ = known;
    fetched_ = fetch;
    values_ = std::move(values);
}
