#include "library/listheader/unitlist.h"

#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"

#include <QComboBox>
#include <QString>

void FillUnitList(const TListHeaderFormatColLine& line, QComboBox& list, std::vector<int16_t>& indexes)
{
    if (line.MeasurementID.empty())
        return;
    const TMeasurement* measurement = FindMeasurement(line.MeasurementID);
    if (!measurement)
        return;
    list.clear();
    indexes.clear();
    int selected = 0;
    for (const TMeasurementUnit& unit : measurement->Units) {
        if (unit.Index == line.CurrentUnit)
            selected = list.count();
        indexes.push_back(unit.Index);
        list.addItem(QString::fromStdString(UnitListText(unit)));
    }
    list.setCurrentIndex(selected);
}

int SelectedUnit(const QComboBox& list, const std::vector<int16_t>& indexes)
{
    const int position = list.currentIndex();
    if (position < 0 || position >= static_cast<int>(indexes.size()))
        return -1;
    return indexes[static_cast<std::size_t>(position)];
}
