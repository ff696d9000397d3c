#include "host/buffering/writebehind.h"

#include <algorithm>

namespace {

// Values that a block carries as they are; the others are written on their own.
bool GoesInBlock(const CellValue& value)
{
    return value.kind == CellValue::Kind::Text || value.kind == CellValue::Kind::Number;
}

}  // namespace

std::shared_ptr<WriteTarget> WriteSession::Find(int book, int sheet) const
{
    for (const auto& target : targets_)
        if (target->book == book && target->sheet == sheet)
            return target;
    return nullptr;
}

std::shared_ptr<WriteTarget> WriteSession::Add(int book, int sheet, std::shared_ptr<HostSheet> host, std::string name)
{
    auto target = std::make_shared<WriteTarget>(WriteTarget{book, sheet, std::move(host), std::move(name), {}});
    targets_.push_back(target);
    return target;
}

void WriteSession::Write(const std::shared_ptr<WriteTarget>& target, int row, int column, CellValue value)
{
    if (survey_) {
        target->noted.push_back({row, column});
        return;
    }
    if (!writes_.empty() && pending_ != target)
        Flush();
    if (!target->host->BlockAccess()) {
        target->host->WriteCell(row, column, value);
        return;
    }
    pending_ = target;
    writes_.push_back({row, column, std::move(value)});
}

void WriteSession::AfterWrites(std::function<void()> action)
{
    if (survey_)
        return;
    if (writes_.empty())
        action();
    else
        actions_.emplace_back(writes_.size(), std::move(action));
}

void WriteSession::Checkpoint()
{
    if (writes_.size() >= CheckpointWrites)
        Flush();
}

bool WriteSession::EmptyNotedCells()
{
    bool emptied = false;
    for (const auto& target : targets_) {
        std::vector<CellPos> noted = std::exchange(target->noted, {});
        HostSheet& sheet = *target->host;
        if (noted.empty() || !sheet.BlockAccess() || !sheet.FasterIntoEmptyCells())
            continue;
        try {
            auto [top, bottom] = std::minmax_element(noted.begin(), noted.end());
            auto [left, right] = std::minmax_element(
                noted.begin(), noted.end(), [](const CellPos& a, const CellPos& b) { return a.column < b.column; });
            CellRange area{top->row, left->column, bottom->row - top->row + 1, right->column - left->column + 1};
            std::vector<CellRange> ranges = RangesToEmpty(std::move(noted), sheet.WriteLimits(area).occupied);
            // Cells in use between the written ones cut the runs short: the rows stay in
            // many pieces whatever is emptied, and each piece would cost a call.
            if (ranges.empty() || ranges.size() > MaxEmptiedRanges)
                continue;
            emptied = true;  // some may be emptied even when a later range fails
            sheet.EmptyCells(ranges);
        } catch (const HostError&) {
            // A cell outside the sheet, a sheet gone: the writes meet it where it lies.
        }
    }
    return emptied;
}

void WriteSession::Flush()
{
    if (writes_.empty())
        return;
    // Taken out first: whatever happens below, nothing stays held.
    std::shared_ptr<WriteTarget> target = std::exchange(pending_, nullptr);
    std::vector<HeldWrite> writes = std::exchange(writes_, {});
    std::vector<Action> actions = std::exchange(actions_, {});
    bool stored = false;
    try {
        Store(*target->host, writes);
        stored = true;
    } catch (const HostError&) {
        // Replayed below, outside the handler.
    }
    if (!stored) {
        Replay(*target->host, writes, actions);
        return;
    }
    for (Action& action : actions)
        action.second();
}

void WriteSession::Replay(HostSheet& sheet, const std::vector<HeldWrite>& writes, std::vector<Action>& actions)
{
    size_t next = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
        for (; next < actions.size() && actions[next].first <= i; ++next)
            actions[next].second();
        sheet.WriteCell(writes[i].row, writes[i].column, writes[i].value);
    }
    for (; next < actions.size(); ++next)
        actions[next].second();
}

void WriteSession::Store(HostSheet& sheet, const std::vector<HeldWrite>& writes)
{
    // The last write of each cell, cells in row order.
    std::vector<std::pair<CellPos, size_t>> cells;
    cells.reserve(writes.size());
    for (size_t i = 0; i < writes.size(); ++i)
        cells.push_back({{writes[i].row, writes[i].column}, i});
    std::sort(cells.begin(), cells.end());
    auto last = std::unique(cells.rbegin(), cells.rend(), [](const auto& a, const auto& b) { return a.first == b.first; });
    cells.erase(cells.begin(), last.base());

    std::vector<CellPos> positions;
    positions.reserve(cells.size());
    for (const auto& cell : cells)
        positions.push_back(cell.first);

    auto firstAt = [&](const CellPos& pos) {
        return std::lower_bound(cells.begin(), cells.end(), pos,
                                [](const auto& cell, const CellPos& at) { return cell.first < at; });
    };

    std::vector<size_t> singles;  // journal positions of the cells written one by one
    size_t k = 0;
    for (const CellRange& area : WriteAreas(positions)) {
        std::vector<CellPos> blockCells, singleCells;
        size_t first = k;
        for (; k < cells.size() && cells[k].first.row <= area.LastRow(); ++k)
            (GoesInBlock(writes[cells[k].second].value) ? blockCells : singleCells).push_back(cells[k].first);
        if (area.Cells() > MaxPlannedArea) {
            for (size_t i = first; i < k; ++i)
                singles.push_back(cells[i].second);
            continue;
        }
        WritePlan plan = PlanBlockWrites(area, blockCells, singleCells, sheet.WriteLimits(area));
        for (const CellRange& block : plan.blocks) {
            std::vector<CellValue> values(static_cast<size_t>(block.Cells()));
            // The written cells of each row lie side by side in cells: one search a row.
            for (int row = block.row; row <= block.LastRow(); ++row)
                for (auto it = firstAt({row, block.column});
                     it != cells.end() && it->first.row == row && it->first.column <= block.LastColumn(); ++it)
                    values[static_cast<size_t>(row - block.row) * block.columns + (it->first.column - block.column)] =
                        writes[it->second].value;
            sheet.WriteBlock(block, values);
        }
        for (const CellPos& cell : plan.singles)
            singles.push_back(firstAt(cell)->second);
    }
    std::sort(singles.begin(), singles.end());
    for (size_t i : singles)
        sheet.WriteCell(writes[i].row, writes[i].column, writes[i].value);
}
