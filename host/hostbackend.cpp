#include "host/hostbackend.h"

#include "common/messages.h"

CellRange HostSheet::UsedArea()
{
    return {1, 1, SheetRows, SheetColumns};
}

std::vector<CellValue> HostSheet::ReadBlock(const CellRange& range)
{
    std::vector<CellValue> values;
    values.reserve(static_cast<size_t>(range.Cells()));
    for (int row = range.row; row <= range.LastRow(); ++row)
        for (int column = range.column; column <= range.LastColumn(); ++column)
            values.push_back(ReadCell(row, column));
    return values;
}

void HostSheet::WriteBlock(const CellRange& range, const std::vector<CellValue>& values)
{
    if (values.size() != static_cast<size_t>(range.Cells()))
        throw HostError(std::to_string(values.size()) + Msg::ValuesDoNotFit);
    size_t i = 0;
    for (int row = range.row; row <= range.LastRow(); ++row)
        for (int column = range.column; column <= range.LastColumn(); ++column)
            WriteCell(row, column, values[i++]);
}

BlockWriteLimits HostSheet::WriteLimits(const CellRange& area)
{
    BlockWriteLimits limits;
    for (int row = area.row; row <= area.LastRow(); ++row)
        for (int column = area.column; column <= area.LastColumn(); ++column)
            if (ReadCell(row, column).kind != CellValue::Kind::Empty)
                limits.occupied.push_back({row, column, 1, 1});
    return limits;
}

void HostSheet::EmptyCells(const std::vector<CellRange>& ranges)
{
    for (const CellRange& range : ranges)
        for (int row = range.row; row <= range.LastRow(); ++row)
            for (int column = range.column; column <= range.LastColumn(); ++column)
                WriteCell(row, column, CellValue::Empty());
}
