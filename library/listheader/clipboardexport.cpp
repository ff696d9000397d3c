#include "library/listheader/clipboardexport.h"

#include "library/listheader/listheader.h"
#include "library/listheader/listheaderformat.h"
#include "library/listheader/resources.h"
#include "library/listheader/sharedxmldocument.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <memory>
#include <stdexcept>

namespace {

constexpr char RtfProlog[] =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Microsoft Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
    "{\\f2\\fswiss\\fcharset1 Microsoft Sans Serif;}{\\f3\\froman\\fprq2\\fcharset238{\\*\\fname Times New Roman;}"
    "Times New Roman CE;}}\r\n"
    "{\\colortbl\\red0\\green0\\blue0;}\\deflang1038\\pard\\plain\\f3\\fs20 \\lang1038 \\trowd \\trgaph71\\trleft-71 \r\n";

constexpr char HtmlNamespace[] = "http://www.w3.org/TR/REC-html40";

// The symbol font of the RTF prolog's font table.
constexpr int RtfSymbolFont = 1;

void ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits from position at on; answers how many.
std::size_t SkipDigits(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at - start;
}

// [sign] digits [. digits] [exponent] and nothing else, with a digit somewhere before
// the exponent: what strtod reads as a whole, without its hexadecimal, "inf" and "nan".
bool IsDecimalNumber(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    std::size_t digits = SkipDigits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += SkipDigits(text, at);
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (SkipDigits(text, at) == 0)
            return false;
    }
    return at == text.size();
}

} // namespace

// ---- Text rules

std::string RtfEscape(std::string_view text)
{
    const QString wide = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::string out;
    out.reserve(text.size());
    for (const QChar c : wide) {
        const char16_t unit = c.unicode();
        if (unit >= 128) {
            out += "\\u" + std::to_string(unit) + '?';
            continue;
        }
        // A backslash or brace of the text would start a control word or a group.
        if (unit == '\\' || unit == '{' || unit == '}')
            out += '\\';
        out += static_cast<char>(unit);
    }
    return out;
}

std::string RtfTitle(const TListHeaderFormatCol& column, int line, int symbolFont)
{
    std::string text = column.Title(line);
    std::string piece;
    std::string out;
    bool open = false;
    const auto openGroup = [&](const std::string& start) {
        if (open)
            out += '}';
        out += start;
        open = true;
    };
    while (!text.empty()) {
        const int code = NextMarkupPiece(text, piece);
        if (!piece.empty())
            out += RtfEscape(piece);
        if (code == MarkupHeaderEnd)
            break;
        switch (code) {
        case MarkupSuperscript: openGroup("{\\super "); break;
        case MarkupSubscript: openGroup("{\\sub "); break;
        case MarkupSymbol: openGroup("{\\f" + std::to_string(symbolFont) + ' '); break;
        case MarkupPlain:
            if (open)
                out += '}';
            open = false;
            break;
        default: break;
        }
    }
    if (open)
        out += '}';
    return out;
}

std::pair<std::string, std::string> XmlTitle(const TListHeaderFormatCol& column, int line)
{
    std::string text = column.Title(line);
    std::string piece;
    std::string plain;
    std::string marked;
    int state = 0;  // 1 superscript, -1 subscript
    const auto close = [&] {
        if (state > 0)
            marked += "</Sup>";
        else if (state < 0)
            marked += "</Sub>";
        state = 0;
    };
    while (!text.empty()) {
        const int code = NextMarkupPiece(text, piece);
        if (!piece.empty()) {
            plain += piece;
            marked += piece;
        }
        if (code == MarkupHeaderEnd)
            break;
        if (code == MarkupSuperscript) {
            if (state < 0)
                close();
            if (state == 0) {
                marked += "<Sup>";
                state = 1;
            }
        } else if (code == MarkupSubscript) {
            if (state > 0)
                close();
            if (state == 0) {
                marked += "<Sub>";
                state = -1;
            }
        } else if (code == MarkupPlain) {
            close();
        }
    }
    close();
    return {plain, marked};
}

std::pair<bool, std::string> NumberCellText(std::string_view text)
{
    if (text.find('/') != std::string_view::npos || text.find("...") != std::string_view::npos
        || text.find(' ') != std::string_view::npos || text == "-")
        return {false, {}};
    std::string number(text);
    for (char& c : number) {
        if (c == ',')
            c = '.';
    }
    if (!number.empty() && !IsDecimalNumber(number))
        return {false, {}};
    return {true, number};
}

std::string XmlSpreadsheetText(std::string xml)
{
    ReplaceAll(xml, "xmlns=\"\"", "");
    ReplaceAll(xml, "&lt;Sub&gt;", "<Sub>");
    ReplaceAll(xml, "&lt;/Sub&gt;", "</Sub>");
    ReplaceAll(xml, "&lt;Sup&gt;", "<Sup>");
    ReplaceAll(xml, "&lt;/Sup&gt;", "</Sup>");
    if (xml.find("<?xml") == std::string::npos)
        xml.insert(0, "<?xml version=\"1.0\"?>");
    return xml;
}

// ---- TVmdClipboardStream

TVmdClipboardStream::TVmdClipboardStream(TSharedXmlDocument* xml)
    : xml_(xml)
{
}

TVmdClipboardStream::TVmdClipboardStream()
    : TVmdClipboardStream(SharedXMLDocument)
{
}

void TVmdClipboardStream::BeginRtf()
{
    RtfStream += RtfProlog;
}

void TVmdClipboardStream::BeginWorkbook()
{
    if (!xml_)
        return;
    try {
        xml_->SetActive(true);
        xmlNode* workbook = xml_->CreateElement("Workbook");
        xml_->SetDocumentElement(workbook);
        TSharedXmlDocument::SetAttribute(workbook, "xmlns", "urn:schemas-microsoft-com:office:spreadsheet");
        TSharedXmlDocument::SetAttribute(workbook, "xmlns:o", "urn:schemas-microsoft-com:office:office");
        TSharedXmlDocument::SetAttribute(workbook, "xmlns:x", "urn:schemas-microsoft-com:office:excel");
        TSharedXmlDocument::SetAttribute(workbook, "xmlns:ss", "urn:schemas-microsoft-com:office:spreadsheet");
        TSharedXmlDocument::SetAttribute(workbook, "xmlns:html", HtmlNamespace);
        xmlNode* sheet = TSharedXmlDocument::AddChild(workbook, "Worksheet");
        TSharedXmlDocument::SetAttribute(sheet, "ss:Name", "Export");
        TableNode = TSharedXmlDocument::AddChild(sheet, "Table");
        RowNode = TSharedXmlDocument::AddChild(TableNode, "Row");
    } catch (const std::exception&) {
        // Without a table the XML form is left out; the other forms go on.
        TableNode = RowNode = nullptr;
    }
}

void TVmdClipboardStream::CellX(int right)
{
    RtfStream += "\\cellx" + std::to_string(right);
}

void TVmdClipboardStream::BeginRows()
{
    RtfStream += "\\pard\\plain \\f3\\fs20\\lang1038 \\intbl ";
}

void TVmdClipboardStream::RtfCell(const std::string& text)
{
    RtfStream += RtfEscape(text);
    RtfStream += "\\cell ";
}

void TVmdClipboardStream::RtfFragmentCell(const std::string& fragment)
{
    RtfStream += fragment;
    RtfStream += "\\cell ";
}

void TVmdClipboardStream::AppendText(std::string_view utf8)
{
    const QString wide = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (const QChar c : wide) {
        const char16_t unit = c.unicode();
        TextStream.append(static_cast<char>(unit & 0xFF));
        TextStream.append(static_cast<char>(unit >> 8));
    }
}

void TVmdClipboardStream::StringCell(const std::string& plain, const std::string& marked)
{
    AppendText(plain);
    AppendText("\t");
    if (!RowNode)
        return;
    xmlNode* cell = TSharedXmlDocument::AddChild(RowNode, "Cell");
    if (marked.empty() || marked == plain) {
        xmlNode* data = TSharedXmlDocument::AddChild(cell, "Data");
        TSharedXmlDocument::SetAttribute(data, "ss:Type", "String");
        TSharedXmlDocument::SetText(data, plain);
    } else {
        xmlNode* data = TSharedXmlDocument::AddChild(cell, "ss:Data");
        TSharedXmlDocument::SetAttribute(data, "ss:Type", "String");
        TSharedXmlDocument::SetAttribute(data, "xmlns", HtmlNamespace);
        TSharedXmlDocument::SetText(data, marked);
    }
}

void TVmdClipboardStream::NumberCell(const std::string& text)
{
    const auto [isNumber, number] = NumberCellText(text);
    if (!isNumber) {
        StringCell(text, "");
        return;
    }
    AppendText(text);
    AppendText("\t");
    if (!RowNode)
        return;
    xmlNode* cell = TSharedXmlDocument::AddChild(RowNode, "Cell");
    xmlNode* data = TSharedXmlDocument::AddChild(cell, "Data");
    TSharedXmlDocument::SetAttribute(data, "ss:Type", "Number");
    TSharedXmlDocument::SetText(data, number);
}

void TVmdClipboardStream::EndRow()
{
    RtfStream += "\\row\r\n";
    AppendText("\r\n");
    if (TableNode)
        RowNode = TSharedXmlDocument::AddChild(TableNode, "Row");
}

void TVmdClipboardStream::EndRtf()
{
    RtfStream += "\\pard\\plain \\f3\\fs20\\lang1038 \\par ";
}

TClipboardForms TVmdClipboardStream::Forms()
{
    TClipboardForms forms;
    if (!RtfStream.empty()) {
        forms.Rtf = QByteArray::fromStdString(RtfStream + '}');
        forms.Rtf.append('\0');
    }
    if (!TextStream.isEmpty()) {
        forms.Text = TextStream;
        forms.Text.append(2, '\0');
    }
    if (xml_) {
        std::string xml;
        try {
            xml = xml_->Serialize();
        } catch (const std::exception&) {
            // The document never got its table: no XML form.
        }
        xml_->SetActive(false);
        TableNode = RowNode = nullptr;
        if (!xml.empty()) {
            forms.Xml = QByteArray::fromStdString(XmlSpreadsheetText(std::move(xml)));
            forms.Xml.append('\0');
        }
    }
    return forms;
}

void TVmdClipboardStream::Finish()
{
    const TClipboardForms forms = Forms();
    auto mime = std::make_unique<QMimeData>();
    if (!forms.Rtf.isEmpty()) {
        mime->setData(QStringLiteral("Rich Text Format"), forms.Rtf);
#ifndef Q_OS_WIN
        // What office programs on other platforms look for, without the memory block's zero.
        mime->setData(QStringLiteral("text/rtf"), forms.Rtf.chopped(1));
#endif
    }
    if (!forms.Text.isEmpty())
        mime->setText(QString::fromUtf16(reinterpret_cast<const char16_t*>(forms.Text.constData()),
                                         forms.Text.size() / 2 - 1));
    if (!forms.Xml.isEmpty())
        mime->setData(QStringLiteral("XML Spreadsheet"), forms.Xml);
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

// ---- The table

namespace {

void WriteTitleRows(TVmdClipboardStream& out, const TListHeaderFormat& format, int& visibleColumns)
{
    for (int line = 0; line < format.Rows; ++line) {
        try {
            for (int position = 0; position < format.Count; ++position) {
                const TListHeaderFormatCol* column = format.Column(position);
                if (!column)
                    throw std::out_of_range("column");
                if (!column->Visible)
                    continue;
                out.RtfFragmentCell(RtfTitle(*column, line, RtfSymbolFont));
                const auto [plain, marked] = XmlTitle(*column, line);
                out.StringCell(plain, marked);
                if (line == 0)
                    ++visibleColumns;
            }
        } catch (const std::exception&) {
            // A failing column ends its title row.
        }
        out.EndRow();
    }
}

void WriteCell(TVmdClipboardStream& out, const TListHeaderFormatCol& column, const std::string& text)
{
    if (column.Kind != 0)
        out.NumberCell(text);
    else
        out.StringCell(text, "");
}

// The caption goes to the first cell; sub-item c to the c+1-th visible column.
void WriteItem(TVmdClipboardStream& out, const TListHeaderFormat& format, const TExportItem& item, int visibleColumns)
{
    const std::string caption = TListHeader::ColoredStringWithoutColor(item.Caption);
    out.RtfCell(caption);
    const TListHeaderFormatCol* first = format.Column(0);
    if (!first)
        throw std::out_of_range("column");
    WriteCell(out, *first, caption);

    int position = 1;
    for (int c = 0; c < visibleColumns - 1; ++c) {
        if (c >= static_cast<int>(item.SubItems.size()))
            throw std::out_of_range("sub-item");
        std::string text = TListHeader::ColoredStringWithoutColor(item.SubItems[c]);
        if (text == "-")
            text.clear();
        out.RtfCell(text);
        while (format.Column(position) && !format.Column(position)->Visible)
            ++position;
        const TListHeaderFormatCol* column = format.Column(position);
        if (!column)
            throw std::out_of_range("column");
        ++position;
        WriteCell(out, *column, text);
    }
}

} // namespace

void ExportTable(TVmdClipboardStream& out, const TListHeaderFormat& format, const std::vector<TExportItem>* items)
{
    out.BeginRtf();
    out.BeginWorkbook();
    int right = 0;
    for (int position = 0; position < format.Count; ++position) {
        const TListHeaderFormatCol* column = format.Column(position);
        if (column && column->Visible) {
            right += column->Width * 100;
            out.CellX(right);
        }
    }
    out.BeginRows();
    try {
        int visibleColumns = 0;
        WriteTitleRows(out, format, visibleColumns);
        if (items) {
            for (const TExportItem& item : *items) {
                try {
                    WriteItem(out, format, item, visibleColumns);
                } catch (const std::exception&) {
                    // A short item ends its row early; the next item starts a new one.
                }
                out.EndRow();
            }
        }
    } catch (const std::exception&) {
        // The rows end here; the RTF is still closed.
    }
    out.EndRtf();
}
