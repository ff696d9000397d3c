// Planning the rectangles in which held-back writes go to the host.
#include "host/buffering/blockplan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// An area drawn row by row from sheet row 6, column A:
//   w  written          W  written over a cell in use     N  written over a note
//   .  blank            #  in use, not written            n  a note, not written
//   s  written on its own (a value that does not go in blocks)
struct Drawing {
    CellRange area;
    std::vector<CellPos> blockCells, singleCells;
    BlockWriteLimits limits;
    std::vector<std::string> rows;
};

Drawing Draw(const std::vector<std::string>& rows)
{
    Drawing d;
    d.rows = rows;
    d.area = {6, 1, static_cast<int>(rows.size()), static_cast<int>(rows.at(0).size())};
    for (int r = 0; r < d.area.rows; ++r) {
        for (int c = 0; c < d.area.columns; ++c) {
            CellPos cell{6 + r, 1 + c};
            CellRange one{cell.row, cell.column, 1, 1};
            switch (rows[r][c]) {
            case 'w': d.blockCells.push_back(cell); break;
            case 'W': d.blockCells.push_back(cell); d.limits.occupied.push_back(one); break;
            case 'N': d.blockCells.push_back(cell); d.limits.untouchable.push_back(one); break;
            case '#': d.limits.occupied.push_back(one); break;
            case 'n': d.limits.untouchable.push_back(one); break;
            case 's': d.singleCells.push_back(cell); break;
            default: break;
            }
        }
    }
    return d;
}

char At(const Drawing& d, int row, int column)
{
    return d.rows[row - 6][column - 1];
}

// What every plan has to keep: blocks apart, no cell in use or noted or written on its
// own inside one, every written cell in a block or among the singles.
void ExpectSound(const Drawing& d, const WritePlan& plan)
{
    std::vector<int> cover(static_cast<size_t>(d.area.Cells()), 0);
    for (const CellRange& block : plan.blocks) {
        for (int row = block.row; row <= block.LastRow(); ++row) {
            for (int column = block.column; column <= block.LastColumn(); ++column) {
                ASSERT_TRUE(d.area.Contains(row, column));
                char mark = At(d, row, column);
                EXPECT_TRUE(mark == 'w' || mark == 'W' || mark == '.') << "row " << row << " column " << column;
                ++cover[static_cast<size_t>(row - 6) * d.area.columns + column - 1];
            }
        }
    }
    for (int value : cover)
        EXPECT_LE(value, 1) << "blocks overlap";
    for (const CellPos& cell : d.blockCells) {
        bool single = std::find(plan.singles.begin(), plan.singles.end(), cell) != plan.singles.end();
        bool inBlock = cover[static_cast<size_t>(cell.row - 6) * d.area.columns + cell.column - 1] == 1;
        EXPECT_NE(single, inBlock) << "row " << cell.row << " column " << cell.column;
    }
}

TEST(PlanBlockWritesTest, DrawnCases)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::vector<CellRange> blocks;
        std::vector<CellPos> singles;
    };
    const Case cases[] = {
        {"the worked example on a fresh sheet: one block",
         {"wwww..", "..ww..", "....ww", "......", "wwww.."}, {{6, 1, 5, 6}}, {}},
        {"elements apart by an empty row", {"wwwwww", "......", "wwwwww", "......", "wwwwww"}, {{6, 1, 5, 6}}, {}},
        {"written over old values", {"WWWw", "....", "WWWW"}, {{6, 1, 3, 4}}, {}},
        {"a cell in use between two elements", {"ww", "#.", "ww"}, {{6, 1, 1, 2}, {8, 1, 1, 2}}, {}},
        {"a cell in use inside a row", {"w#w"}, {{6, 1, 1, 1}, {6, 3, 1, 1}}, {}},
        {"a note on a written cell", {"wNw"}, {{6, 1, 1, 1}, {6, 3, 1, 1}}, {{6, 2}}},
        {"a note on a blank cell", {"ww.", "n.w"}, {{6, 1, 1, 2}, {7, 3, 1, 1}}, {}},
        {"a cell written on its own", {"wsw", "www"}, {{6, 1, 1, 1}, {6, 3, 1, 1}, {7, 1, 1, 3}}, {{6, 2}}},
        {"a wider row next to a cell in use", {"ww..", "#www"}, {{6, 1, 1, 2}, {7, 2, 1, 3}}, {}},
        {"a narrower row keeps the rectangle", {"wwww", ".w..", "ww.w"}, {{6, 1, 3, 4}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing d = Draw(c.rows);
        WritePlan plan = PlanBlockWrites(d.area, d.blockCells, d.singleCells, d.limits);
        ExpectSound(d, plan);
        EXPECT_EQ(plan.blocks, c.blocks);
        std::vector<CellPos> singles = plan.singles;
        std::sort(singles.begin(), singles.end());
        EXPECT_EQ(singles, c.singles);
    }
}

// The cells emptied before a rewrite: never one in use that is not written, and every
// written cell in use is emptied (so that the writes go into empty cells).
TEST(RangesToEmptyTest, DrawnCases)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::vector<CellRange> ranges;
    };
    const Case cases[] = {
        {"nothing in use: nothing to empty", {"www", "...", "www"}, {}},
        {"elements apart by an empty row: one rectangle", {"WWW", "...", "WWW", "...", "WWW"}, {{6, 1, 5, 3}}},
        {"data only in some rows: from written cell to written cell", {"www", "...", "WWW", "...", "www"},
         {{6, 1, 5, 3}}},
        {"a cell in use between two elements splits its column", {"WW", "#.", "WW"},
         {{6, 1, 1, 1}, {6, 2, 3, 1}, {8, 1, 1, 1}}},
        {"a column the file writes only in part", {"WW", "..", "W.", "..", "WW"}, {{6, 1, 5, 2}}},
        {"data below the last written row stays", {"WW", "..", "WW", "##"}, {{6, 1, 3, 2}}},
        {"a cell in use that is not written stays", {"W#W", "...", "WWW"},
         {{6, 1, 3, 1}, {6, 3, 3, 1}, {8, 2, 1, 1}}},
        {"runs without data are left out", {"Ww", ".#", "Ww"}, {{6, 1, 3, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing d = Draw(c.rows);
        std::vector<CellPos> written = d.blockCells;
        written.insert(written.end(), d.blockCells.rbegin(), d.blockCells.rend());  // repeats, any order
        std::vector<CellRange> ranges = RangesToEmpty(written, d.limits.occupied);
        EXPECT_EQ(ranges, c.ranges);
        for (const CellRange& range : ranges)
            for (int row = range.row; row <= range.LastRow(); ++row)
                for (int column = range.column; column <= range.LastColumn(); ++column)
                    EXPECT_NE(At(d, row, column), '#') << "row " << row << " column " << column;
    }
}

TEST(WriteAreasTest, LongRunsOfUntouchedRowsSplitAreas)
{
    // Eight empty rows still join two rows; nine do not.
    EXPECT_EQ(WriteAreas({{6, 2}, {6, 3}, {15, 1}}), (std::vector<CellRange>{{6, 1, 10, 3}}));
    EXPECT_EQ(WriteAreas({{6, 2}, {16, 4}}), (std::vector<CellRange>{{6, 2, 1, 1}, {16, 4, 1, 1}}));
    EXPECT_EQ(WriteAreas({}), std::vector<CellRange>{});
}

TEST(WriteAreasTest, AreasStayPlannable)
{
    // Two columns far apart over many rows would make one huge area.
    std::vector<CellPos> cells;
    for (int row = 1; row <= 2000; ++row) {
        cells.push_back({row, 1});
        cells.push_back({row, 16000});
    }
    std::vector<CellRange> areas = WriteAreas(cells);
    ASSERT_GT(areas.size(), 1u);
    int rows = 0;
    for (const CellRange& area : areas) {
        EXPECT_LE(area.Cells(), MaxPlannedArea);
        rows += area.rows;
    }
    EXPECT_EQ(rows, 2000);
}

}  // namespace
