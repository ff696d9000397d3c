#include "library/listheader/headerformatload.h"
#include "library/listheader/headerregistry.h"
#include "library/languages/libraryerror.h"
#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The first byte picks what the rest of the input is: "X" an XML header format, "T" a text
// header format, "S" a column settings text, "O" a stored "Order" text, "M" a measurement
// document; a lower-case letter does the same with ModuleMask narrowed to 1. Whatever the
// input, nothing may crash and the formats must stay consistent.

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckConsistent(const TListHeaderFormat& format)
{
    Check(format.Rows >= 1 && format.Rows <= 2);
    Check(format.Count >= 0);
    Check(format.Columns.size() == static_cast<std::size_t>(format.Count));
    Check(format.Order.size() == static_cast<std::size_t>(format.Count));
    std::vector<bool> seen(format.Order.size());
    for (const int16_t index : format.Order) {
        Check(index >= 0 && index < format.Count);
        Check(!seen[index]);
        seen[index] = true;
    }
}

void FuzzSettings(const std::string& text)
{
    TListHeaderFormatCol column;
    try {
        column.ApplySettings(text);
    } catch (const LibraryError&) {
        return;  // a factor or offset that is no valid expression
    }
    // What was read is written so that it reads back the same.
    const std::string written = column.SettingsText();
    TListHeaderFormatCol back = column;
    back.ApplySettings(written);
    Check(back == column);
    Check(back.SettingsText() == written);
}

void FuzzOrder(const std::string& text)
{
    TListHeaderFormat format;
    for (const int id : {1, 2, 3, 2, -1, 0, 300})
        format.Columns.emplace_back().ID = static_cast<int16_t>(id);
    format.Count = static_cast<int16_t>(format.Columns.size());
    ApplyOrderText(format, text);
    CheckConsistent(format);
}

void FuzzMeasurements(const std::string& xml)
{
    ReadMeasurements(xml);
    for (const TMeasurement& measurement : Measurements) {
        for (const TMeasurementUnit& unit : measurement.Units) {
            TListHeaderFormatColLine line;
            line.MeasurementID = measurement.ID;
            line.Text = "[" + unit.UnitText + "]";
            ResolveUnit(line);
            SetUnit(line, unit.Index);
            Check(line.CurrentUnit == unit.Index);
            (void)UnitListText(unit);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const char mode = static_cast<char>(data[0]);
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    Measurements.clear();
    ModuleMask = (mode >= 'a' && mode <= 'z') ? 1u : 0xFFFFFFFFu;

    TListHeaderFormat format;
    switch (mode) {
    case 'X': case 'x':
        if (ReadXmlTitle(format, input))
            CheckConsistent(format);
        break;
    case 'T': case 't':
        ReadTextTitle(format, input);
        CheckConsistent(format);
        break;
    case 'S': case 's':
        FuzzSettings(input);
        break;
    case 'O': case 'o':
        FuzzOrder(input);
        break;
    case 'M': case 'm':
        FuzzMeasurements(input);
        break;
    default:
        break;
    }
    Measurements.clear();
    return 0;
}
