#pragma once

#include "host/hostbackend.h"

#include <vector>

// The rows ahead of a read, fetched from the host in one call and served from memory
// until a read leaves them. One object belongs to one opened worksheet; it forgets
// everything when the sheet is opened again or written.
class SheetReadAhead {
public:
    // Starts afresh; with enabled false every read goes to the host on its own.
    void Reset(bool enabled);
    // Drops the rows held (a write may have made them stale).
    void Forget();
    // The value of a cell (1-based), as HostSheet::ReadCell gives it. The first read
    // after Reset goes alone (a sheet is often asked for one cell only); a later one
    // outside the rows held fetches a block that starts at its row. A block the host
    // does not give falls back to reading the one cell. The value stays valid until
    // the next call.
    const CellValue& Read(HostSheet& sheet, int row, int column);
    // The sheet's used rows as the host reported them at the last block; -1 before.
    int UsedRows() const { return usedRows_; }

    // The size of a block: about BlockCells cells, MinRows to MaxRows rows; the used
    // width when it is at most WideSheet columns, else the columns asked for so far.
    static constexpr int BlockCells = 32768;
    static constexpr int MinRows = 16;
    static constexpr int MaxRows = 4096;
    static constexpr int WideSheet = 128;

private:
    void Load(HostSheet& sheet, int row);
    const CellValue& Held(int row, int column) const;
    const CellValue& Single(CellValue value);

    bool enabled_ = false;
    int reads_ = 0;
    int askedLeft_ = 0;
    int askedRight_ = 0;
    int usedRows_ = -1;
    CellValue single_;   // the last cell read on its own
    CellRange known_;    // the cells the block answers for: those outside fetched_ are empty
    CellRange fetched_;  // the cells read from the host
    std::vector<CellValue> values_;
};
