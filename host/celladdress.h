#pragma once

#include <cstddef>
#include <string_view>

// One or two column letters to a 0-based column: "A" = 0, "AA" = 26, "BA" = 52.
// Throws HostError for an empty text.
int ColumnIndex(std::string_view letters);

// Splits an A1-style cell name by the host's rule (only the first two characters are
// examined for letters). Returns {row, column} 1-based; row 0 means no row digits.
struct CellAddress {
    int row = 0;
    int column = 0;
};
CellAddress ParseCellName(std::string_view cellName);
// The 1-based column of a non-empty cell name by that rule; rowStart receives where
// the row digits begin (1 or 2).
int CellNameColumn(std::string_view cellName, size_t& rowStart);
