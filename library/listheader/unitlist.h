#pragma once

#include <cstdint>
#include <vector>

class QComboBox;
class TListHeaderFormatColLine;

// The unit choice of the header format dialog.

// Fills list with the units of the line's quantity (indexes gets their Index values, in
// the same order) and selects the line's CurrentUnit, or the first unit when it is none
// of them. A line without a known quantity leaves both as they are.
void FillUnitList(const TListHeaderFormatColLine& line, QComboBox& list, std::vector<int16_t>& indexes);

// The Index of the unit selected in list, or -1.
int SelectedUnit(const QComboBox& list, const std::vector<int16_t>& indexes);
