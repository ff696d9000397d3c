#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TListHeaderFormatColLine;

// One unit of a measured quantity. Factor and offset are held for the host program;
// the library converts no values itself.
class TMeasurementUnit {
public:
    std::string UnitText;  // title markup, for example "m\u2\p"
    std::string Comment;   // shown beside the unit in the unit list
    int16_t Index = 0;     // the unit's number within its quantity, from the resource
    float Factor = 1.0f;
    float Offset = 0.0f;

    friend bool operator==(const TMeasurementUnit&, const TMeasurementUnit&) = default;
};

// A measured quantity with its units in resource order.
class TMeasurement {
public:
    std::string ID;  // matched exactly against MeasurementID of title lines
    std::vector<TMeasurementUnit> Units;

    friend bool operator==(const TMeasurement&, const TMeasurement&) = default;
};

// The program's quantities, read once from the resource "Measurements" of type "XML".
extern std::vector<TMeasurement> Measurements;
// Set by the first LoadMeasurements, whether or not it found anything.
extern bool MeasurementsLoaded;

// Fills Measurements from the resource, at most once per run; a failed attempt is not
// repeated.
void LoadMeasurements();

// Appends the quantities of a measurement document to Measurements. A malformed unit
// (a missing or non-numeric "Index", a factor that is no valid expression) ends the
// reading silently; what was appended before it stays.
void ReadMeasurements(const std::string& xml);

// The first quantity with exactly this ID, or null.
const TMeasurement* FindMeasurement(std::string_view id);

// DefaultUnit and CurrentUnit of the line from its text ("[mm]" or "mm"): the Index of
// the unit whose text matches exactly, or -1.
void ResolveUnit(TListHeaderFormatColLine& line);

// Chooses a unit: CurrentUnit = unitIndex, and the text becomes that unit's text (kept in
// brackets when it was bracketed) when the line's quantity has such a unit.
void SetUnit(TListHeaderFormatColLine& line, int unitIndex);

// The unit list entry of a unit: its text without the "\u" and "\p" codes, then the
// comment in parentheses when there is one.
std::string UnitListText(const TMeasurementUnit& unit);
