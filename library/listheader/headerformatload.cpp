#include "library/listheader/headerformatload.h"

#include "library/listheader/listheaderformat.h"
#include "library/listheader/measurement.h"
#include "library/listheader/resources.h"
#include "library/listheader/resourcetext.h"
#include "library/xmlscanner/vmdxmlparser.h"
#include "library/languages/vmlanguages.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>

namespace {

// The model holds two title lines; a resource may name more or none.
constexpr int MaxLines = 2;
constexpr std::size_t MaxColumns = std::numeric_limits<int16_t>::max();

int16_t ClampedRows(int rows)
{
    return static_cast<int16_t>(std::clamp(rows, 1, MaxLines));
}

uint8_t AlignmentWord(const std::string& word)
{
    const QString text = QString::fromStdString(word);
    if (text.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
        return 1;
    if (text.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

uint8_t AlignmentLetter(char letter)
{
    return letter == 'c' ? 2 : letter == 'r' ? 1 : 0;
}

// The scanner document and its extent, to tell whether a part's raw span lies inside it.
class XmlResource {
public:
    explicit XmlResource(const std::string& xml)
    {
        parser.LoadFromBuffer(xml.c_str());
        parser.SetNormalize(true);
        parser.StartScan();
        begin_ = parser.DocBuffer();
        end_ = begin_ + std::strlen(begin_);
    }

    // The current content part as written in the document. Content that begins or ends
    // inside an entity's replacement text has no such span: null then.
    bool RawContent(std::string_view& raw) const
    {
        const char* first = parser.CurStart;
        const char* last = parser.CurFinal;
        const std::less_equal<const char*> le;
        if (!first || !last || !le(begin_, first) || !le(first, last) || !le(last, end_) || last == end_)
            return false;
        raw = std::string_view(first, static_cast<std::size_t>(last - first + 1));
        return true;
    }

    bool IsUtf8() const
    {
        return QString::fromStdString(parser.CurEncoding()).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0;
    }

    TVmdXmlParser parser;

private:
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
};

// A "Row" element whose start tag is the current part, into line.
void ReadRow(XmlResource& xml, TListHeaderFormatColLine& line)
{
    TVmdXmlParser& parser = xml.parser;
    line.MeasurementID = WidenAnsi(parser.CurAttr.Value("MeasurementID"));
    while (parser.Scan()) {
        if (parser.CurPartType == ptContent && parser.CurName == "Row") {
            // UTF-8 titles are taken as written, so that characters beyond Windows-1252
            // survive the scanner's 8-bit texts.
            std::string_view raw;
            if (xml.IsUtf8() && xml.RawContent(raw))
                line.Text = DecodeUtf8(raw);
            else
                line.Text = WidenAnsi(parser.CurContent);
        } else if (parser.CurPartType == ptEndTag && parser.CurName == "Row") {
            ResolveUnit(line);
            break;
        }
    }
}

// A "Column" element whose start tag is the current part.
TListHeaderFormatCol ReadColumn(XmlResource& xml, int rows)
{
    TVmdXmlParser& parser = xml.parser;
    const TAttrList& attributes = parser.CurAttr;
    TListHeaderFormatCol column;
    column.ID = ParseInt16Attribute(attributes.Value("ID"), "ID");
    column.Width = ParseInt16Attribute(attributes.Value("Width"), "Width");
    const std::string titleAlignment = attributes.Value("TitleAlignment");
    if (!titleAlignment.empty())
        column.TitleAlignment = AlignmentWord(titleAlignment);
    const std::string dataAlignment = attributes.Value("DataAlignment");
    if (!dataAlignment.empty())
        column.DataAlignment = AlignmentWord(dataAlignment);
    column.ParseFormat(attributes.Value("Format"));
    const std::string modulFlag = attributes.Value("ModulFlag");
    if (!modulFlag.empty())
        column.ParseModulFlag("[" + modulFlag + "]");

    const int lines = std::min(rows, MaxLines);
    int line = 0;
    while (parser.Scan()) {
        if (parser.CurPartType == ptStartTag && parser.CurName == "Row" && line < lines)
            ReadRow(xml, column.Lines[line++]);
        else if (parser.CurPartType == ptEndTag && parser.CurName == "Column")
            break;
    }
    return column;
}

// A "Title" element whose start tag is the current part.
void ReadTitle(XmlResource& xml, TListHeaderFormat& format)
{
    TVmdXmlParser& parser = xml.parser;
    const int rows = ParseInt16Attribute(parser.CurAttr.Value("Rows"), "Rows");
    format.Rows = ClampedRows(rows);
    while (parser.Scan()) {
        if (parser.CurPartType == ptStartTag && parser.CurName == "Column") {
            TListHeaderFormatCol column = ReadColumn(xml, rows);
            if (column.ModuleVisible && format.Columns.size() < MaxColumns) {
                format.Order.push_back(static_cast<int16_t>(format.Columns.size()));
                format.Columns.push_back(std::move(column));
            }
        } else if (parser.CurPartType == ptEndTag && parser.CurName == "Title") {
            format.Count = static_cast<int16_t>(format.Columns.size());
            return;
        }
    }
    // Without its end tag the title counts no columns; drop the ones read so that the
    // columns and the order still agree with the count.
    format.Columns.clear();
    format.Order.clear();
}

// Lines of a text resource, each without its CR LF (or a lone LF).
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    std::string_view Next()
    {
        if (AtEnd())
            return {};
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// An optionally signed decimal number from pos on, saturating far beyond 16 bits;
// 0 where there are no digits.
int ReadNumber(std::string_view text, std::size_t& pos)
{
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    int value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min(value * 10 + (text[pos] - '0'), 1 << 20);
    return negative ? -value : value;
}

int16_t Saturated16(int value)
{
    return static_cast<int16_t>(std::clamp<int>(value, std::numeric_limits<int16_t>::min(),
                                                std::numeric_limits<int16_t>::max()));
}

int LeadingNumber(std::string_view line)
{
    std::size_t pos = 0;
    return ReadNumber(line, pos);
}

} // namespace

bool ReadXmlTitle(TListHeaderFormat& format, const std::string& xml)
{
    format.Clear();
    try {
        XmlResource resource(xml);
        TVmdXmlParser& parser = resource.parser;
        while (parser.Scan()) {
            if (parser.CurPartType == ptStartTag && parser.CurName == "Title") {
                ReadTitle(resource, format);
                break;
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ReadTextTitle(TListHeaderFormat& format, std::string_view text)
{
    format.Clear();
    LineReader reader(text);
    const int rows = LeadingNumber(reader.Next());
    const int count = LeadingNumber(reader.Next());
    format.Rows = ClampedRows(rows);
    for (int c = 0; c < count && !reader.AtEnd(); ++c) {
        TListHeaderFormatCol column;
        const int width = LeadingNumber(reader.Next());
        column.Visible = width >= 0;
        column.Width = Saturated16(width < 0 ? -width : width);

        const std::string_view layout = reader.Next();
        std::size_t pos = column.ParseModulFlag(layout);
        pos += column.ParseFormat(layout.substr(pos));
        if (pos < layout.size())
            column.TitleAlignment = AlignmentLetter(layout[pos++]);
        if (pos < layout.size())
            column.DataAlignment = AlignmentLetter(layout[pos++]);
        column.ID = Saturated16(ReadNumber(layout, pos));

        for (int line = 0; line < rows && !reader.AtEnd(); ++line) {
            const std::string_view title = reader.Next();
            if (line < MaxLines)
                column.Lines[line].Text = WidenAnsi(title);
        }
        // A dropped column has still consumed its lines.
        if (column.ModuleVisible && format.Columns.size() < MaxColumns) {
            format.Order.push_back(static_cast<int16_t>(format.Columns.size()));
            format.Columns.push_back(std::move(column));
        }
    }
    format.Count = static_cast<int16_t>(format.Columns.size());
}

bool TListHeaderFormat::Load(const std::string& name)
{
    if (name.empty())
        return true;
    bool loaded = false;
    // XML formats are consulted only when the host has provided its document.
    if (SharedXMLDocument) {
        if (const auto xml = FindResourceData(name, "XMLTITLE")) {
            LoadMeasurements();
            loaded = ReadXmlTitle(*this, *xml);
            if (!loaded)
                Clear();  // the text resource starts afresh, not on a half-read format
        }
    }
    if (!loaded) {
        if (const auto text = FindResourceData(name, "TITLE")) {
            ReadTextTitle(*this, *text);
            loaded = true;
        }
    }
    if (loaded)
        LanguageStore.TranslateTitle(*this, name);
    return true;
}
