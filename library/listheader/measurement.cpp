#include "library/listheader/measurement.h"

#include "library/listheader/listheaderformat.h"
#include "library/listheader/resources.h"
#include "library/listheader/resourcetext.h"
#include "library/listheader/textvalue.h"
#include "library/xmlscanner/vmdxmlparser.h"

#include <exception>

std::vector<TMeasurement> Measurements;
bool MeasurementsLoaded = false;

namespace {

bool IsBracketed(std::string_view text)
{
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

// Reads one "Unit" element whose start tag is the current part; stops at its end tag.
TMeasurementUnit ReadUnit(TVmdXmlParser& parser)
{
    TMeasurementUnit unit;
    unit.Index = ParseInt16Attribute(parser.CurAttr.Value("Index"), "Index");
    unit.Factor = static_cast<float>(TextToValue(WidenAnsi(parser.CurAttr.Value("Factor")), 0));
    unit.Offset = static_cast<float>(TextToValue(WidenAnsi(parser.CurAttr.Value("Offset")), 0, true));
    unit.Comment = WidenAnsi(parser.CurAttr.Value("Comment"));
    while (parser.Scan()) {
        if (parser.CurPartType == ptContent && parser.CurName == "Unit")
            unit.UnitText = WidenAnsi(parser.CurContent);
        else if (parser.CurPartType == ptEndTag && parser.CurName == "Unit")
            break;
    }
    return unit;
}

// Reads one "Measurement" element whose start tag is the current part into the list;
// a failure leaves the quantity out.
void ReadMeasurement(TVmdXmlParser& parser)
{
    TMeasurement measurement;
    measurement.ID = WidenAnsi(parser.CurAttr.Value("ID"));
    while (parser.Scan()) {
        if (parser.CurPartType == ptStartTag && parser.CurName == "Unit")
            measurement.Units.push_back(ReadUnit(parser));
        else if (parser.CurPartType == ptEndTag && parser.CurName == "Measurement")
            break;
    }
    Measurements.push_back(std::move(measurement));
}

} // namespace

void ReadMeasurements(const std::string& xml)
{
    TVmdXmlParser parser;
    parser.LoadFromBuffer(xml.c_str());
    parser.SetNormalize(true);
    parser.StartScan();
    try {
        while (parser.Scan()) {
            if (parser.CurPartType == ptStartTag && parser.CurName == "Measurement")
                ReadMeasurement(parser);
        }
    } catch (const std::exception&) {
        // A malformed unit ends the reading; the quantities read before it stay.
    }
}

void LoadMeasurements()
{
    if (MeasurementsLoaded)
        return;
    MeasurementsLoaded = true;
    if (const auto xml = FindResourceData("Measurements", "XML"))
        ReadMeasurements(*xml);
}

const TMeasurement* FindMeasurement(std::string_view id)
{
    for (const TMeasurement& measurement : Measurements) {
        if (measurement.ID == id)
            return &measurement;
    }
    return nullptr;
}

void ResolveUnit(TListHeaderFormatColLine& line)
{
    line.DefaultUnit = -1;
    if (!line.MeasurementID.empty()) {
        std::string_view unitText = line.Text;
        if (IsBracketed(unitText))
            unitText = unitText.substr(1, unitText.size() - 2);
        if (const TMeasurement* measurement = FindMeasurement(line.MeasurementID)) {
            for (const TMeasurementUnit& unit : measurement->Units) {
                if (unit.UnitText == unitText) {
                    line.DefaultUnit = unit.Index;
                    break;
                }
            }
        }
    }
    line.CurrentUnit = line.DefaultUnit;
}

void SetUnit(TListHeaderFormatColLine& line, int unitIndex)
{
    line.CurrentUnit = static_cast<int16_t>(unitIndex);
    if (line.MeasurementID.empty())
        return;
    const TMeasurement* measurement = FindMeasurement(line.MeasurementID);
    if (!measurement)
        return;
    for (const TMeasurementUnit& unit : measurement->Units) {
        if (unit.Index == unitIndex) {
            line.Text = IsBracketed(line.Text) ? "[" + unit.UnitText + "]" : unit.UnitText;
            return;
        }
    }
}

std::string UnitListText(const TMeasurementUnit& unit)
{
    std::string text;
    const std::string& source = unit.UnitText;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\\' && i + 1 < source.size() && (source[i + 1] == 'u' || source[i + 1] == 'p')) {
            ++i;
            continue;
        }
        text += source[i];
    }
    if (!unit.Comment.empty())
        text += " (" + unit.Comment + ")";
    return text;
}
