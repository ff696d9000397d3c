#include "host/buffering/blockplan.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

namespace {

// Rows without a write that may sit inside one area.
constexpr int MaxRowGap = 8;

enum Mark : std::uint8_t { Blank, Written, InUse, Untouchable };

// The marks of one area, row by row.
class AreaGrid {
public:
    explicit AreaGrid(const CellRange& area)
        : area_(area)
        , marks_(static_cast<size_t>(area.Cells()), Blank)
    {
    }

    Mark& At(int row, int column)
    {
        return marks_[static_cast<size_t>(row - area_.row) * area_.columns + (column - area_.column)];
    }

    // Marks the part of range that lies inside the area.
    void MarkRange(const CellRange& range, Mark mark)
    {
        int top = std::max(range.row, area_.row);
        int bottom = std::min(range.LastRow(), area_.LastRow());
        int left = std::max(range.column, area_.column);
        int right = std::min(range.LastColumn(), area_.LastColumn());
        for (int row = top; row <= bottom; ++row)
            for (int column = left; column <= right; ++column)
                At(row, column) = mark;
    }

    // Whether a block may cover the rectangle: it holds written and blank cells only.
    bool Coverable(int top, int bottom, int left, int right)
    {
        for (int row = top; row <= bottom; ++row)
            for (int column = left; column <= right; ++column)
                if (At(row, column) != Blank && At(row, column) != Written)
                    return false;
        return true;
    }

private:
    CellRange area_;
    std::vector<Mark> marks_;
};

CellRange Rectangle(int top, int bottom, int left, int right)
{
    return {top, left, bottom - top + 1, right - left + 1};
}

// A row whose written cells cannot share one rectangle: one rectangle per run of
// written and blank cells, trimmed to its written ends.
void AddRowRuns(AreaGrid& grid, int row, int left, int right, std::vector<CellRange>& blocks)
{
    int first = 0;
    int last = 0;
    bool open = false;
    for (int column = left; column <= right + 1; ++column) {
        Mark mark = column <= right ? grid.At(row, column) : InUse;
        if (mark == Written) {
            if (!open)
                first = column;
            last = column;
            open = true;
        } else if (mark != Blank && open) {
            blocks.push_back(Rectangle(row, row, first, last));
            open = false;
        }
    }
}

}  // namespace

std::vector<CellRange> WriteAreas(const std::vector<CellPos>& sortedCells)
{
    std::vector<CellRange> areas;
    int top = 0, bottom = 0, left = 0, right = 0;
    auto close = [&] {
        if (top > 0)
            areas.push_back(Rectangle(top, bottom, left, right));
    };
    for (const CellPos& cell : sortedCells) {
        bool newRow = cell.row > bottom;
        long long grown = static_cast<long long>(cell.row - top + 1) * (std::max(right, cell.column) - std::min(left, cell.column) + 1);
        if (top == 0 || (newRow && (cell.row - bottom > MaxRowGap + 1 || grown > MaxPlannedArea))) {
            close();
            top = bottom = cell.row;
            left = right = cell.column;
            continue;
        }
        bottom = cell.row;
        left = std::min(left, cell.column);
        right = std::max(right, cell.column);
    }
    close();
    return areas;
}

WritePlan PlanBlockWrites(const CellRange& area, const std::vector<CellPos>& blockCells,
                          const std::vector<CellPos>& singleCells, const BlockWriteLimits& limits)
{
    WritePlan plan;
    AreaGrid grid(area);
    for (const CellRange& range : limits.occupied)
        grid.MarkRange(range, InUse);
    for (const CellRange& range : limits.untouchable)
        grid.MarkRange(range, Untouchable);
    for (const CellPos& cell : singleCells) {
        if (area.Contains(cell.row, cell.column))
            grid.At(cell.row, cell.column) = Untouchable;
        plan.singles.push_back(cell);
    }
    for (const CellPos& cell : blockCells) {
        Mark& mark = grid.At(cell.row, cell.column);
        if (mark == Untouchable)
            plan.singles.push_back(cell);
        else
            mark = Written;
    }

    // Rows from top to bottom; a group of rows shares one rectangle as long as the
    // rectangle, widened to each new row's written cells and reaching over the rows
    // between, stays coverable.
    bool grouped = false;
    int top = 0, bottom = 0, left = 0, right = 0;
    for (int row = area.row; row <= area.LastRow(); ++row) {
        int first = 0, last = 0;
        for (int column = area.column; column <= area.LastColumn(); ++column) {
            if (grid.At(row, column) == Written) {
                if (first == 0)
                    first = column;
                last = column;
            }
        }
        if (first == 0)
            continue;
        if (grouped) {
            int wideLeft = std::min(left, first);
            int wideRight = std::max(right, last);
            bool fits = (wideLeft == left || grid.Coverable(top, bottom, wideLeft, left - 1)) &&
                        (wideRight == right || grid.Coverable(top, bottom, right + 1, wideRight)) &&
                        grid.Coverable(bottom + 1, row, wideLeft, wideRight);
            if (fits) {
                bottom = row;
                left = wideLeft;
                right = wideRight;
                continue;
            }
            plan.blocks.push_back(Rectangle(top, bottom, left, right));
            grouped = false;
        }
        if (grid.Coverable(row, row, first, last)) {
            grouped = true;
            top = bottom = row;
            left = first;
            right = last;
        } else {
            AddRowRuns(grid, row, first, last, plan.blocks);
        }
    }
    if (grouped)
        plan.blocks.push_back(Rectangle(top, bottom, left, right));
    return plan;
}

namespace {

// The rows of one column that hold anything, as intervals asked in rising order.
class ColumnUse {
public:
    ColumnUse(const std::vector<CellRange>& inUse, int column)
    {
        for (const CellRange& range : inUse)
            if (!range.Empty() && range.column <= column && column <= range.LastColumn())
                rows_.push_back({range.row, range.LastRow()});
        std::sort(rows_.begin(), rows_.end());
    }

    // Whether a row from first to last is in use; first never goes down between calls.
    bool Any(int first, int last)
    {
        if (first > last)
            return false;
        while (next_ < rows_.size() && rows_[next_].second < first)
            ++next_;
        return next_ < rows_.size() && rows_[next_].first <= last;
    }

private:
    std::vector<std::pair<int, int>> rows_;
    size_t next_ = 0;
};

// The runs of one column; rows are sorted and distinct.
void AddColumnRuns(int column, const CellPos* first, const CellPos* end, ColumnUse& use,
                   std::vector<CellRange>& runs)
{
    int start = first->row;
    int last = start;
    bool holdsData = use.Any(start, start);
    auto close = [&] {
        if (holdsData)
            runs.push_back({start, column, last - start + 1, 1});
    };
    for (const CellPos* cell = first + 1; cell != end; ++cell) {
        if (use.Any(last + 1, cell->row - 1)) {  // a cell in use that is not written
            close();
            start = cell->row;
            holdsData = false;
        }
        last = cell->row;
        holdsData = use.Any(last, last) || holdsData;
    }
    close();
}

}  // namespace

std::vector<CellRange> RangesToEmpty(std::vector<CellPos> written, const std::vector<CellRange>& inUse)
{
    auto byColumn = [](const CellPos& a, const CellPos& b) {
        return a.column != b.column ? a.column < b.column : a.row < b.row;
    };
    std::sort(written.begin(), written.end(), byColumn);
    written.erase(std::unique(written.begin(), written.end()), written.end());

    std::vector<CellRange> runs;
    for (size_t i = 0; i < written.size();) {
        size_t end = i;
        while (end < written.size() && written[end].column == written[i].column)
            ++end;
        ColumnUse use(inUse, written[i].column);
        AddColumnRuns(written[i].column, written.data() + i, written.data() + end, use, runs);
        i = end;
    }

    // Runs over the same rows in neighbouring columns become one rectangle.
    std::sort(runs.begin(), runs.end(), [](const CellRange& a, const CellRange& b) {
        return std::tie(a.row, a.rows, a.column) < std::tie(b.row, b.rows, b.column);
    });
    std::vector<CellRange> joined;
    for (const CellRange& run : runs) {
        if (!joined.empty() && joined.back().row == run.row && joined.back().rows == run.rows &&
            joined.back().LastColumn() + 1 == run.column)
            ++joined.back().columns;
        else
            joined.push_back(run);
    }
    return joined;
}
