#include "library/listheader/headerformatload.h"
#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"
#include "library/listheader/resources.h"
#include "tests/library/languages/scopedlanguage.h"
#include "library/listheader/sharedxmldocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Narrows ModuleMask for one test.
class ScopedModuleMask {
public:
    explicit ScopedModuleMask(uint32_t mask) : saved_(ModuleMask) { ModuleMask = mask; }
    ~ScopedModuleMask() { ModuleMask = saved_; }
    ScopedModuleMask(const ScopedModuleMask&) = delete;
    ScopedModuleMask& operator=(const ScopedModuleMask&) = delete;

private:
    uint32_t saved_;
};

// Lends the library the host's XML document, which lets XML formats load.
class ScopedSharedDocument {
public:
    ScopedSharedDocument() { SharedXMLDocument = &document_; }
    ~ScopedSharedDocument() { SharedXMLDocument = nullptr; }
    ScopedSharedDocument(const ScopedSharedDocument&) = delete;
    ScopedSharedDocument& operator=(const ScopedSharedDocument&) = delete;

private:
    TSharedXmlDocument document_;
};

void ForgetMeasurements()
{
    Measurements.clear();
    MeasurementsLoaded = false;
}

std::vector<int> Ids(const TListHeaderFormat& format)
{
    std::vector<int> ids;
    for (int position = 0; position < format.Count; ++position)
        ids.push_back(format.Column(position)->ID);
    return ids;
}

void ExpectConsistent(const TListHeaderFormat& format)
{
    ASSERT_EQ(format.Columns.size(), static_cast<std::size_t>(format.Count));
    ASSERT_EQ(format.Order.size(), static_cast<std::size_t>(format.Count));
    std::vector<bool> seen(format.Order.size());
    for (const int16_t index : format.Order) {
        ASSERT_TRUE(index >= 0 && index < format.Count);
        ASSERT_FALSE(seen[index]);
        seen[index] = true;
    }
}

class HeaderFormatLoad : public ::testing::Test {
protected:
    void SetUp() override { ForgetMeasurements(); }
    void TearDown() override { ForgetMeasurements(); }

    TListHeaderFormat format;
};

TEST_F(HeaderFormatLoad, ResourcesAreFoundByTypeAndNameWithoutRegardToCase)
{
    EXPECT_TRUE(FindResourceData("Sample", "XMLTITLE"));
    EXPECT_TRUE(FindResourceData("sAMPLE", "TITLE"));
    EXPECT_TRUE(FindResourceData("MEASUREMENTS", "XML"));
    EXPECT_FALSE(FindResourceData("Sample", "XML"));
    EXPECT_FALSE(FindResourceData("Missing", "TITLE"));
    EXPECT_FALSE(FindResourceData("", "TITLE"));
    EXPECT_FALSE(FindResourceData("../XML/Measurements", "TITLE"));
}

TEST_F(HeaderFormatLoad, EmptyNameLeavesTheFormatEmpty)
{
    ScopedSharedDocument document;
    EXPECT_TRUE(format.Load(""));
    EXPECT_EQ(format.Count, 0);
    EXPECT_EQ(format.Rows, 1);
    EXPECT_TRUE(format.Columns.empty());
    EXPECT_FALSE(MeasurementsLoaded);
}

TEST_F(HeaderFormatLoad, XmlFormatWithModuleMaskOne)
{
    ScopedSharedDocument document;
    ScopedModuleMask mask(1);
    format.Load("sample");
    ExpectConsistent(format);
    EXPECT_EQ(format.Rows, 2);
    EXPECT_EQ(Ids(format), (std::vector<int>{1, 3}));

    const TListHeaderFormatCol& length = *format.Column(0);
    EXPECT_EQ(length.Width, 12);
    EXPECT_EQ(length.TitleAlignment, 2);  // "Center"
    EXPECT_EQ(length.DataAlignment, 1);
    EXPECT_EQ(length.Kind, 2);
    EXPECT_EQ(length.Precision, 5);
    EXPECT_EQ(length.Digits, 2);
    EXPECT_EQ(length.FloatFormat, 2);
    EXPECT_TRUE(length.ShowZero);
    EXPECT_EQ(length.Lines[0].Text, "Hossz");
    EXPECT_EQ(length.Lines[1].Text, "[mm]");
    EXPECT_EQ(length.Lines[1].MeasurementID, "Length");
    EXPECT_EQ(length.Lines[1].DefaultUnit, 3);
    EXPECT_EQ(length.Lines[1].CurrentUnit, 3);
    EXPECT_EQ(length.Lines[0].DefaultUnit, -1);

    // No "Format": kind 0 with the other value fields at their defaults.
    const TListHeaderFormatCol& third = *format.Column(1);
    EXPECT_EQ(third.TitleAlignment, 0);
    EXPECT_EQ(third.DataAlignment, 2);  // "CENTER"
    EXPECT_EQ(third.Kind, 0);
    EXPECT_EQ(third.Precision, 5);
    EXPECT_EQ(third.Digits, 3);
    EXPECT_EQ(third.FloatFormat, 0);
    // UTF-8 rows are taken as written: characters beyond Windows-1252 survive, entity
    // references stay as they are.
    EXPECT_EQ(third.Lines[0].Text, "Ellenállás (kΩ)");
    EXPECT_EQ(third.Lines[1].Text, "R &amp; C");
    EXPECT_TRUE(MeasurementsLoaded);
}

TEST_F(HeaderFormatLoad, XmlFormatWithTheInitialModuleMask)
{
    ScopedSharedDocument document;
    format.Load("Sample");
    ExpectConsistent(format);
    // "1,2" passes, "!2" and "0" drop their columns, the empty-element column is not read.
    EXPECT_EQ(Ids(format), (std::vector<int>{1, 2}));
    EXPECT_EQ(format.Column(1)->TitleAlignment, 0);  // "middle"
    EXPECT_EQ(format.Column(1)->Kind, 1);
}

TEST_F(HeaderFormatLoad, TitleWithoutEndTagCountsNoColumns)
{
    ScopedSharedDocument document;
    format.Load("Unclosed");
    EXPECT_EQ(format.Count, 0);
    ExpectConsistent(format);
}

TEST_F(HeaderFormatLoad, BrokenXmlFallsBackToTheTextOnAnEmptiedFormat)
{
    ScopedSharedDocument document;
    format.Load("Fallback");
    ExpectConsistent(format);
    ASSERT_EQ(format.Count, 1);
    EXPECT_EQ(format.Column(0)->ID, 7);
    EXPECT_EQ(format.Column(0)->Lines[0].Text, "From text");
}

TEST_F(HeaderFormatLoad, RowsOfAnotherEncodingAreWidenedFromWindows1252)
{
    ScopedSharedDocument document;
    format.Load("Latin");
    ASSERT_EQ(format.Count, 1);
    EXPECT_EQ(format.Column(0)->Lines[0].Text, "Név");
}

TEST_F(HeaderFormatLoad, WithoutTheSharedDocumentOnlyTextFormatsLoad)
{
    ScopedModuleMask mask(1);
    format.Load("Sample");
    ExpectConsistent(format);
    EXPECT_FALSE(MeasurementsLoaded);
    EXPECT_EQ(format.Rows, 2);
    // The column dropped by "[1,2]" has consumed its lines.
    EXPECT_EQ(Ids(format), (std::vector<int>{1, 3, 4}));

    const TListHeaderFormatCol& first = *format.Column(0);
    EXPECT_EQ(first.Width, 12);
    EXPECT_TRUE(first.Visible);
    EXPECT_EQ(first.TitleAlignment, 2);
    EXPECT_EQ(first.DataAlignment, 1);
    EXPECT_EQ(first.Kind, 2);
    EXPECT_EQ(first.Lines[1].Text, "[mm]");
    EXPECT_EQ(format.Column(1)->Lines[0].Text, "Név");
    EXPECT_EQ(format.Column(1)->Lines[1].Text, "");

    const TListHeaderFormatCol& hidden = *format.Column(2);
    EXPECT_FALSE(hidden.Visible);
    EXPECT_EQ(hidden.Width, 8);
    EXPECT_EQ(hidden.TitleAlignment, 2);
    EXPECT_EQ(hidden.Lines[0].Text, "Rejtett");
    EXPECT_EQ(hidden.Lines[1].Text, "sor");

    format.Clear();
    format.Load("Missing");
    EXPECT_EQ(format.Count, 0);
}

TEST_F(HeaderFormatLoad, TitlesAreTranslatedAfterLoading)
{
    ScopedLanguage language;
    TLanguageTitle title;
    title.Name = "Sample";
    title.Positions = {static_cast<int16_t>((0 << 8) | 1)};  // line 0 of column 1
    title.Texts = {"Length"};
    language.Language().Titles.push_back(title);
    format.Load("Sample");
    ASSERT_GE(format.Count, 1);
    EXPECT_EQ(format.Column(0)->Lines[0].Text, "Length");
}

struct TextCase {
    const char* name;
    std::string text;
    int rows;
    std::vector<int> ids;
    std::vector<std::string> firstLines;
};

TEST(ReadTextTitle, Layouts)
{
    const std::vector<TextCase> cases = {
        {"three lines, the third dropped", "3\r\n1\r\n5\r\nslr1\r\na\r\nb\r\nc\r\n", 2, {1}, {"a"}},
        {"lone line feeds", "1\n2\n5\nslr1\na\n5\nslr2\nb\n", 1, {1, 2}, {"a", "b"}},
        {"text ends early", "1\r\n5\r\n5\r\nslr1\r\na\r\n", 1, {1}, {"a"}},
        {"no lines", "0\r\n1\r\n5\r\nslr1\r\n", 1, {1}, {""}},
        {"negative count", "1\r\n-3\r\n", 1, {}, {}},
        {"empty text", "", 1, {}, {}},
        {"numbers with trailing words", "1 rows\r\n1 column\r\n-7 wide\r\n[3]3Irc9 id\r\na\r\n", 1, {9}, {"a"}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        TListHeaderFormat format;
        ReadTextTitle(format, c.text);
        ExpectConsistent(format);
        EXPECT_EQ(format.Rows, c.rows);
        EXPECT_EQ(Ids(format), c.ids);
        std::vector<std::string> lines;
        for (int position = 0; position < format.Count; ++position)
            lines.push_back(format.Column(position)->Lines[0].Text);
        EXPECT_EQ(lines, c.firstLines);
    }
}

TEST(ReadXmlTitle, MalformedAndOddDocuments)
{
    struct Case {
        const char* xml;
        bool complete;
        std::vector<int> ids;
        int rows;
    };
    const std::vector<Case> cases = {
        {"<Title Rows='1'><Column ID='1' Width='5'></Column></Title>", true, {1}, 1},
        {"<Title><Column ID='1' Width='5'></Column></Title>", false, {}, 1},
        {"<Title Rows='1'><Column ID='70000' Width='5'></Column></Title>", false, {}, 1},
        {"<Title Rows='1'><Column Width='5'></Column></Title>", false, {}, 1},
        {"<Title Rows='5'><Column ID='1' Width='-4'><Row>a</Row><Row>b</Row><Row>c</Row></Column></Title>", true, {1}, 2},
        {"<Title Rows='0'><Column ID='2' Width='4'><Row>a</Row></Column></Title>", true, {2}, 1},
        {"<a/><b><Title/></b><Title Rows='1'><Column ID='3' Width='1'/><Column ID='4' Width='1'></Column></Title>", true, {4}, 1},
        {"no title here", true, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        TListHeaderFormat format;
        EXPECT_EQ(ReadXmlTitle(format, c.xml), c.complete);
        if (!c.complete)
            continue;
        ExpectConsistent(format);
        EXPECT_EQ(Ids(format), c.ids);
        EXPECT_EQ(format.Rows, c.rows);
    }
}

TEST(ReadXmlTitle, RowContentEndingWithAnEntityIsTakenAsWritten)
{
    // The content ends with a reference: its span runs to the ";" in the document, and
    // the raw text keeps the reference as written.
    const std::string xml = "<?xml version='1.0'?><!DOCTYPE Title [<!ENTITY u 'mm'>]>"
                            "<Title Rows='1'><Column ID='1' Width='5'><Row>x &u;</Row></Column></Title>";
    TListHeaderFormat format;
    ASSERT_TRUE(ReadXmlTitle(format, xml));
    ASSERT_EQ(format.Count, 1);
    EXPECT_EQ(format.Column(0)->Lines[0].Text, "x &u;");
}

// --- Measurement units -------------------------------------------------------------

class MeasurementUnits : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetMeasurements();
        LoadMeasurements();
    }
    void TearDown() override { ForgetMeasurements(); }

    static TListHeaderFormatColLine Line(const std::string& text, const std::string& id = "Length")
    {
        TListHeaderFormatColLine line;
        line.Text = text;
        line.MeasurementID = id;
        return line;
    }
};

TEST_F(MeasurementUnits, ResourceIsRead)
{
    ASSERT_EQ(Measurements.size(), 3u);
    const TMeasurement* length = FindMeasurement("Length");
    ASSERT_NE(length, nullptr);
    ASSERT_EQ(length->Units.size(), 2u);
    EXPECT_EQ(length->Units[0].UnitText, "m");
    EXPECT_EQ(length->Units[0].Comment, "metre");
    EXPECT_EQ(length->Units[1].Index, 3);
    EXPECT_FLOAT_EQ(length->Units[1].Factor, 0.001f);
    EXPECT_EQ(length->Units[1].Offset, 0.0f);
    const TMeasurement* area = FindMeasurement("Area");  // nested deeper
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->Units[0].UnitText, "m\\u2\\p");
    EXPECT_FLOAT_EQ(FindMeasurement("Temperature")->Units[0].Offset, -273.15f);
    EXPECT_EQ(FindMeasurement("length"), nullptr);
}

TEST_F(MeasurementUnits, ResolveUnit)
{
    struct Case {
        const char* text;
        const char* id;
        int unit;
    };
    const std::vector<Case> cases = {
        {"[mm]", "Length", 3}, {"mm", "Length", 3}, {"[m]", "Length", 0}, {"MM", "Length", -1},
        {"[mm", "Length", -1}, {"[]", "Length", -1}, {"", "Length", -1}, {"[mm]", "", -1},
        {"[mm]", "Mass", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TListHeaderFormatColLine line = Line(c.text, c.id);
        line.CurrentUnit = 7;
        ResolveUnit(line);
        EXPECT_EQ(line.DefaultUnit, c.unit);
        EXPECT_EQ(line.CurrentUnit, c.unit);
    }
}

TEST_F(MeasurementUnits, SetUnit)
{
    struct Case {
        const char* text;
        const char* id;
        int index;
        const char* result;
    };
    const std::vector<Case> cases = {
        {"[mm]", "Length", 0, "[m]"}, {"mm", "Length", 0, "m"}, {"[m]", "Length", 3, "[mm]"},
        {"[mm]", "Length", 5, "[mm]"}, {"[mm]", "Mass", 0, "[mm]"}, {"[mm]", "", 0, "[mm]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " -> " + std::to_string(c.index));
        TListHeaderFormatColLine line = Line(c.text, c.id);
        ResolveUnit(line);
        const int16_t defaultUnit = line.DefaultUnit;
        SetUnit(line, c.index);
        EXPECT_EQ(line.Text, c.result);
        EXPECT_EQ(line.CurrentUnit, c.index);
        EXPECT_EQ(line.DefaultUnit, defaultUnit);
    }
}

TEST_F(MeasurementUnits, UnitListText)
{
    EXPECT_EQ(UnitListText(FindMeasurement("Area")->Units[0]), "m2 (square metre)");
    EXPECT_EQ(UnitListText(FindMeasurement("Length")->Units[1]), "mm");
    TMeasurementUnit unit;
    unit.UnitText = "H\\d2\\pO\\u";
    EXPECT_EQ(UnitListText(unit), "H\\d2O");
}

TEST_F(MeasurementUnits, ResourceIsReadOnlyOnce)
{
    Measurements.clear();
    LoadMeasurements();
    EXPECT_TRUE(Measurements.empty());

    // Nor does a second format load read it again.
    ScopedSharedDocument document;
    TListHeaderFormat format;
    format.Load("Sample");
    ASSERT_GE(format.Count, 1);
    EXPECT_TRUE(Measurements.empty());
    EXPECT_EQ(format.Column(0)->Lines[1].DefaultUnit, -1);
}

TEST(ReadMeasurements, AMalformedUnitEndsTheReading)
{
    ForgetMeasurements();
    ReadMeasurements("<r><Measurement ID='A'><Unit Index='1'>a</Unit></Measurement>"
                     "<Measurement ID='B'><Unit Index='x'>b</Unit></Measurement>"
                     "<Measurement ID='C'><Unit Index='1'>c</Unit></Measurement></r>");
    ASSERT_EQ(Measurements.size(), 1u);
    EXPECT_EQ(Measurements[0].ID, "A");
    // An absent factor is the value of an empty expression.
    EXPECT_EQ(Measurements[0].Units[0].Factor, 0.0f);

    ForgetMeasurements();
    ReadMeasurements("<Measurement ID='A'><Unit Index='1' Factor='1/0'>a</Unit></Measurement>");
    EXPECT_TRUE(Measurements.empty());

    // Empty-element units are not units.
    ForgetMeasurements();
    ReadMeasurements("<Measurement ID='A'><Unit Index='1'/><Unit Index='2'>b</Unit></Measurement>");
    ASSERT_EQ(Measurements.size(), 1u);
    ASSERT_EQ(Measurements[0].Units.size(), 1u);
    EXPECT_EQ(Measurements[0].Units[0].Index, 2);
    ForgetMeasurements();
}

} // namespace
