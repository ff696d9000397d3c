#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"
#include "library/listheader/unitlist.h"

#include <QComboBox>
#include <QTest>

class UnitListTest : public QObject {
    Q_OBJECT

private:
    static TListHeaderFormatColLine Line(const char* id, int16_t currentUnit)
    {
        TListHeaderFormatColLine line;
        line.Text = "[mm]";
        line.MeasurementID = id;
        line.DefaultUnit = 3;
        line.CurrentUnit = currentUnit;
        return line;
    }

private slots:
    void init()
    {
        Measurements = {
            {"Length", {{"m", "metre", 0, 1, 0}, {"mm", "", 3, 0.001f, 0}, {"k\\um\\p", "", 7, 1000, 0}}},
            {"Area", {{"m\\u2\\p", "square metre", 0, 1, 0}}},
        };
    }

    void cleanup() { Measurements.clear(); }

    void listsTheUnitsAndSelectsTheCurrentOne()
    {
        QComboBox list;
        std::vector<int16_t> indexes;
        FillUnitList(Line("Length", 3), list, indexes);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.itemText(0), QStringLiteral("m (metre)"));
        QCOMPARE(list.itemText(1), QStringLiteral("mm"));
        QCOMPARE(list.itemText(2), QStringLiteral("km"));
        QCOMPARE(indexes, (std::vector<int16_t>{0, 3, 7}));
        QCOMPARE(list.currentIndex(), 1);
        QCOMPARE(SelectedUnit(list, indexes), 3);

        list.setCurrentIndex(2);
        QCOMPARE(SelectedUnit(list, indexes), 7);
    }

    void superscriptAndPlainCodesAreRemoved()
    {
        QComboBox list;
        std::vector<int16_t> indexes;
        FillUnitList(Line("Area", -1), list, indexes);
        QCOMPARE(list.itemText(0), QStringLiteral("m2 (square metre)"));
    }

    void noCurrentUnitSelectsTheFirst()
    {
        for (const int16_t current : {int16_t(-1), int16_t(5)}) {
            QComboBox list;
            std::vector<int16_t> indexes;
            FillUnitList(Line("Length", current), list, indexes);
            QCOMPARE(list.currentIndex(), 0);
            QCOMPARE(SelectedUnit(list, indexes), 0);
        }
    }

    void anUnknownQuantityLeavesTheListAlone()
    {
        for (const char* id : {"", "Mass"}) {
            QComboBox list;
            list.addItems({QStringLiteral("old"), QStringLiteral("items")});
            list.setCurrentIndex(1);
            std::vector<int16_t> indexes{4, 9};
            FillUnitList(Line(id, 3), list, indexes);
            QCOMPARE(list.count(), 2);
            QCOMPARE(indexes, (std::vector<int16_t>{4, 9}));
            QCOMPARE(SelectedUnit(list, indexes), 9);
        }
    }

    void selectionOutsideTheIndexesIsNoUnit()
    {
        QComboBox list;
        std::vector<int16_t> indexes;
        QCOMPARE(SelectedUnit(list, indexes), -1);
        list.addItems({QStringLiteral("a"), QStringLiteral("b")});
        list.setCurrentIndex(1);
        indexes = {2};
        QCOMPARE(SelectedUnit(list, indexes), -1);
    }
};

QTEST_MAIN(UnitListTest)
#include "unitlist_test.moc"
