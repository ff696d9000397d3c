#pragma once

#include "host/hostbackend.h"

#include <compare>
#include <vector>

// A cell position, 1-based.
struct CellPos {
    int row = 0;
    int column = 0;

    friend auto operator<=>(const CellPos&, const CellPos&) = default;
};

// How the cells held back for one sheet go to the host: rectangles written in one
// call each (their cells that were not written are blank and stay empty) and cells
// written one by one.
struct WritePlan {
    std::vector<CellRange> blocks;
    std::vector<CellPos> singles;
};

// The largest area planned in one piece (one byte a cell while planning).
constexpr long long MaxPlannedArea = 1LL << 22;

// Splits written cells, sorted by row and then column, into areas of nearby rows:
// each area is asked about its cells in use once, and a long run of untouched rows
// is never part of one.
std::vector<CellRange> WriteAreas(const std::vector<CellPos>& sortedCells);

// Covers blockCells (distinct, inside area) with few rectangles that hold nothing but
// written and blank cells. A cell in use that is not written, an untouchable cell
// and a cell of singleCells (written on its own) is never inside a rectangle; a block
// cell that is untouchable is written on its own. The singles of the plan are
// singleCells and those moved block cells.
WritePlan PlanBlockWrites(const CellRange& area, const std::vector<CellPos>& blockCells,
                          const std::vector<CellPos>& singleCells, const BlockWriteLimits& limits);

// The rectangles to empty before the written cells (in any order, repeats allowed) are
// written over, when a host writes much faster into empty cells. Column by column, a
// run goes from a written cell to a written cell and holds no cell in use that is not
// written, so emptying it loses nothing the writes do not replace; runs without a cell
// in use are left out, and runs of neighbouring columns over the same rows are joined.
// inUse holds rectangles that do not overlap.
std::vector<CellRange> RangesToEmpty(std::vector<CellPos> written, const std::vector<CellRange>& inUse);
