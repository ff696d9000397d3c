#include "library/listheader/headerregistry.h"
#include "library/languages/libraryerror.h"
#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

const std::string Program = "KorvexTest";

TListHeaderFormatCol Column(int id)
{
    TListHeaderFormatCol column;
    column.ID = static_cast<int16_t>(id);
    return column;
}

// Columns A (ID 1), B (ID 2), C (ID 3) in storage and display order.
TListHeaderFormat ThreeColumns()
{
    TListHeaderFormat format;
    format.Rows = 2;
    format.Columns = {Column(1), Column(2), Column(3)};
    format.Order = {0, 1, 2};
    format.Count = 3;
    return format;
}

std::string DisplayNames(const TListHeaderFormat& format)
{
    std::string names;
    for (int position = 0; position < format.Count; ++position)
        names += static_cast<char>('A' + format.Column(position)->ID - 1);
    return names;
}

TEST(SettingsText, RoundTrips)
{
    const std::vector<std::string> texts = {
        "12cr8.3f", "-20lls", "10lri#3", "15crs@Mass@[t]@1@0", "15crs@@@1@0", "7rlI", "5llc",
        "9lr3.1E", "9lr4.0g", "3ccs@a@b@0.5@-273.149993896484", "0lls",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        TListHeaderFormatCol column;
        column.ApplySettings(text);
        EXPECT_EQ(column.SettingsText(), text);
    }
}

TEST(SettingsText, ReadsTheFields)
{
    TListHeaderFormatCol column;
    column.ApplySettings("-12cr8.3F");
    EXPECT_FALSE(column.Visible);
    EXPECT_EQ(column.Width, 12);
    EXPECT_EQ(column.TitleAlignment, 2);
    EXPECT_EQ(column.DataAlignment, 1);
    EXPECT_EQ(column.Kind, 2);
    EXPECT_EQ(column.Precision, 8);
    EXPECT_EQ(column.Digits, 3);
    EXPECT_EQ(column.FloatFormat, 2);
    EXPECT_FALSE(column.ShowZero);

    column.ApplySettings(" 15crs @ Mass @ [t] @ 2,5 @ 1/4 ");
    EXPECT_TRUE(column.Visible);
    EXPECT_TRUE(column.UserDefined);
    EXPECT_EQ(column.UserLines[0], "Mass");
    EXPECT_EQ(column.UserLines[1], "[t]");
    EXPECT_EQ(column.Factor, 2.5f);
    EXPECT_EQ(column.Offset, 0.25f);

    // Without "@" the user title is off again; its lines stay for the dialog.
    column.ApplySettings("15crs");
    EXPECT_FALSE(column.UserDefined);
    EXPECT_EQ(column.UserLines[0], "Mass");
}

TEST(SettingsText, EmptyUserLinesReadBack)
{
    TListHeaderFormatCol column;
    column.UserDefined = true;
    column.Width = 15;
    EXPECT_EQ(column.SettingsText(), "15lls@@@1@0");
    TListHeaderFormatCol back;
    back.UserLines = {"x", "y"};
    back.ApplySettings(column.SettingsText());
    EXPECT_TRUE(back.UserDefined);
    EXPECT_EQ(back.UserLines[0], "");
    EXPECT_EQ(back.UserLines[1], "");
}

TEST(SettingsText, UnitPart)
{
    TListHeaderFormatCol column;
    column.Kind = 1;
    column.Width = 10;
    column.Lines[1].DefaultUnit = 3;
    column.Lines[1].CurrentUnit = 3;
    EXPECT_EQ(column.SettingsText(), "10lli");
    column.Lines[1].CurrentUnit = 0;
    EXPECT_EQ(column.SettingsText(), "10lli#0");
    column.Lines[1].CurrentUnit = -1;
    EXPECT_EQ(column.SettingsText(), "10lli");

    // A unit choice is read back through SetUnit, which also rewrites the title line
    // when the quantity knows the unit.
    Measurements = {{"Length", {{"m", "", 0, 1, 0}, {"mm", "", 3, 0.001f, 0}}}};
    TListHeaderFormatCol back;
    back.Lines[1] = {"[mm]", "Length", 3, 3};
    back.ApplySettings("10lli#0");
    EXPECT_EQ(back.Lines[1].CurrentUnit, 0);
    EXPECT_EQ(back.Lines[1].DefaultUnit, 3);
    EXPECT_EQ(back.Lines[1].Text, "[m]");
    back.ApplySettings("10lli");
    EXPECT_EQ(back.Lines[1].CurrentUnit, 0);  // no unit part: the choice stays
    Measurements.clear();
}

TEST(SettingsText, AtSignInAUserTitleKeepsTheTextReadable)
{
    TListHeaderFormatCol column;
    column.UserDefined = true;
    column.UserLines = {"a@b", "[kg]"};
    column.Factor = 2;
    TListHeaderFormatCol back;
    back.ApplySettings(column.SettingsText());
    EXPECT_EQ(back.UserLines[0], "a\xEF\xBC\xA0" "b");  // FULLWIDTH COMMERCIAL AT
    EXPECT_EQ(back.UserLines[1], "[kg]");
    EXPECT_EQ(back.Factor, 2.0f);
}

TEST(SettingsText, TextsOutsideTheLayoutLeaveTheColumnAlone)
{
    TListHeaderFormatCol original;
    original.Width = 33;
    original.Kind = 2;
    for (const char* text : {"", "12", "12c", "12cr", "12cr8.3", "-", "@a@b"}) {
        SCOPED_TRACE(text);
        TListHeaderFormatCol column = original;
        column.ApplySettings(text);
        EXPECT_EQ(column, original);
    }
    // A factor that is no valid expression raises the conversion error, column unchanged.
    TListHeaderFormatCol column = original;
    EXPECT_THROW(column.ApplySettings("12crs@a@b@1/0@0"), LibraryError);
    EXPECT_EQ(column, original);
}

TEST(SettingsNumberText, GeneralFormatWithAPoint)
{
    const std::vector<std::pair<double, std::string>> cases = {
        {1, "1"}, {0, "0"}, {0.5, "0.5"}, {-2.25, "-2.25"}, {1e20, "1E20"}, {1e-7, "1E-7"},
        {static_cast<double>(0.1f), "0.100000001490116"}, {123456789012345678.0, "1.23456789012346E17"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(SettingsNumberText(value), text);
}

TEST(OrderText, AlwaysAPermutation)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"3,1", "CAB"}, {"9,2", "BAC"}, {"", "ABC"}, {"1,2,3", "ABC"}, {"3,2,1", "CBA"},
        {" 2 , 3", "BCA"}, {"2,2,2", "BAC"}, {"3,1,2,3,1,2", "CAB"}, {"x3;;1", "CAB"},
        {"1.5,3", "ACB"}, {",,,", "ABC"}, {"-1,+3", "CAB"}, {"99999999999999999999,2", "BAC"},
    };
    for (const auto& [text, names] : cases) {
        SCOPED_TRACE(text);
        TListHeaderFormat format = ThreeColumns();
        ApplyOrderText(format, text);
        EXPECT_EQ(format.Order.size(), 3u);
        EXPECT_EQ(DisplayNames(format), names);
    }
}

TEST(OrderText, RepeatedIdsInTheFormatEachFindTheirColumn)
{
    TListHeaderFormat format = ThreeColumns();
    format.Columns[0].ID = 5;
    format.Columns[2].ID = 5;
    ApplyOrderText(format, "5,2,5");
    EXPECT_EQ(format.Order, (std::vector<int16_t>{0, 1, 2}));
    ApplyOrderText(format, "2,5");
    EXPECT_EQ(format.Order, (std::vector<int16_t>{1, 0, 2}));
}

class HeaderRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }

    QSettings Stored() const
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Valmoro", QString::fromStdString(Program));
    }

    void Store(const QString& key, const QString& value) const { Stored().setValue(key, value); }

    QTemporaryDir folder;
};

TEST_F(HeaderRegistry, WritesOrderAndOneValuePerColumn)
{
    TListHeaderFormat format = ThreeColumns();
    format.Columns[0].ApplySettings("12cr8.3f");
    format.Columns[1].ApplySettings("-20lls");
    format.Columns[2].ApplySettings("15crs@Mass@[t]@1@0");
    format.Swap(0, 2);
    format.WriteToRegistry(Program, "Items");

    const QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Valmoro",
                           QString::fromStdString(Program));
    EXPECT_EQ(stored.value("Headers/Items/Order").toString(), "3,2,1");
    EXPECT_EQ(stored.value("Headers/Items/1").toString(), "12cr8.3f");
    EXPECT_EQ(stored.value("Headers/Items/2").toString(), "-20lls");
    EXPECT_EQ(stored.value("Headers/Items/3").toString(), "15crs@Mass@[t]@1@0");

    TListHeaderFormat read = ThreeColumns();
    read.ReadFromRegistry(Program, "Items");
    EXPECT_EQ(read, format);
}

TEST_F(HeaderRegistry, ReadsTheStoredOrder)
{
    for (const auto& [stored, names] : std::vector<std::pair<QString, std::string>>{{"3,1", "CAB"}, {"9,2", "BAC"}}) {
        Store("Headers/List/Order", stored);
        TListHeaderFormat format = ThreeColumns();
        format.ReadFromRegistry(Program, "List");
        EXPECT_EQ(DisplayNames(format), names);
    }
}

TEST_F(HeaderRegistry, ColumnsWithoutAValueKeepTheirSettings)
{
    Store("Headers/List/2", "-20lls");
    TListHeaderFormat format = ThreeColumns();
    format.Columns[0].Width = 7;
    format.Columns[0].Kind = 3;
    TListHeaderFormat expected = format;
    expected.Columns[1].Visible = false;
    expected.Columns[1].Width = 20;
    format.ReadFromRegistry(Program, "List");
    EXPECT_EQ(format, expected);
}

TEST_F(HeaderRegistry, NothingStoredChangesNothing)
{
    TListHeaderFormat format = ThreeColumns();
    format.ReadFromRegistry(Program, "Unknown");
    EXPECT_EQ(format, ThreeColumns());
}

TEST_F(HeaderRegistry, EmptyRegistryNameUsesTheHeadersKey)
{
    ThreeColumns().WriteToRegistry(Program, "");
    EXPECT_EQ(Stored().value("Headers/Order").toString(), "1,2,3");
    EXPECT_EQ(Stored().value("Headers/1").toString(), "50lls");
}

TEST_F(HeaderRegistry, AnUnquotedListInAHandEditedFileIsReadAsItsText)
{
    const QString path = Stored().fileName();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Headers]\nList\\Order=3, 1\n");
    file.close();
    TListHeaderFormat format = ThreeColumns();
    format.ReadFromRegistry(Program, "List");
    EXPECT_EQ(DisplayNames(format), "CAB");
}

} // namespace
