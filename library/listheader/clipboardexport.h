#pragma once

#include <QByteArray>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <libxml/tree.h>

class TListHeaderFormat;
class TListHeaderFormatCol;
class TSharedXmlDocument;

// One row of a list as the export reads it: the caption and the sub-item texts.
struct TExportItem {
    std::string Caption;
    std::vector<std::string> SubItems;
};

// The bytes the export places on the clipboard, each as the clipboard receives it (the
// RTF and XML forms end with the zero byte of their memory block, the text with a UTF-16
// zero). An absent form is empty.
struct TClipboardForms {
    QByteArray Rtf;   // "Rich Text Format"
    QByteArray Text;  // UTF-16 little-endian text
    QByteArray Xml;   // "XML Spreadsheet"
};

// The writer of one table export: RTF, UTF-16 text and, while the host has set a shared
// XML document, the XML Spreadsheet form built in that document.
class TVmdClipboardStream {
public:
    // xml: the document the XML form is built in, or null for none.
    explicit TVmdClipboardStream(TSharedXmlDocument* xml);
    // Uses SharedXMLDocument.
    TVmdClipboardStream();

    std::string RtfStream;   // 8-bit RTF
    QByteArray TextStream;   // UTF-16 little-endian
    xmlNode* TableNode = nullptr;
    xmlNode* RowNode = nullptr;

    void BeginRtf();
    void BeginWorkbook();
    void CellX(int right);
    void BeginRows();
    // A data cell: its text escaped for RTF, then "\cell ".
    void RtfCell(const std::string& text);
    // A title cell: an RTF fragment made by RtfTitle, written as it is.
    void RtfFragmentCell(const std::string& fragment);
    void StringCell(const std::string& plain, const std::string& marked);
    void NumberCell(const std::string& text);
    void EndRow();
    void EndRtf();

    // The forms as Finish places them; the XML form ends the use of the document.
    TClipboardForms Forms();
    // Replaces the clipboard's content by the forms.
    void Finish();

private:
    void AppendText(std::string_view utf8);

    TSharedXmlDocument* xml_;
};

// Writes the titles and the rows (null: the header has no list) of a header format.
void ExportTable(TVmdClipboardStream& out, const TListHeaderFormat& format, const std::vector<TExportItem>* items);

// ---- Text rules

// RTF text of a UTF-8 text: code units below 128 as they are ("\", "{" and "}" escaped by
// a backslash), every other UTF-16 code unit as "\u<unsigned value>?".
std::string RtfEscape(std::string_view text);

// One title line as an RTF fragment with {\super }, {\sub } and {\f<symbolFont> } groups.
std::string RtfTitle(const TListHeaderFormatCol& column, int line, int symbolFont);

// One title line as plain text and as XML Spreadsheet rich text with <Sup>/<Sub> marks.
std::pair<std::string, std::string> XmlTitle(const TListHeaderFormatCol& column, int line);

// The text of a number cell ("1,5" -> "1.5"), or none when the text must be a string
// cell: it holds "/", "..." or a space, is exactly "-", or is not one decimal number
// ([sign] digits [. digits] [exponent]) as a whole. The empty text counts as a number.
std::pair<bool, std::string> NumberCellText(std::string_view text);

// The serialised XML form made ready for the clipboard: the empty default namespace
// declaration removed, the <Sub>/<Sup> marks of rich text unescaped and the XML
// declaration put in front when there is none.
std::string XmlSpreadsheetText(std::string xml);
