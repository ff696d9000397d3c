#pragma once

#include "host/excelsheet.h"
#include "common/frontend.h"
#include "common/xmldocument.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The import control file "XMLToExcel.xml" and the transfer of XML data files into
// worksheet rows. Texts are UTF-8; rows and columns are 0-based.

// A control file the import cannot use; the message names the file, the line and the item.
class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

extern const char* const ImportControlFileName;  // "XMLToExcel.xml"
extern const char* const DataSchemaAttribute;    // "Schema", on the control file's root element

// Copies one XML attribute of an element into one column.
class TXMLToExcelAttribute {
public:
    // Fills the item from an "Attribute" element. An item without a usable "Col" is
    // refused (ImportError), so that nothing is ever written to an undefined column.
    void ReadAttribute(TXMLDocument::Node element);
    void WriteAttribute(TXMLDocument::Node element, TExcelSheet& sheet, int row) const;

    std::string ID;
    int Col = -1;
};

// One kind of child element: its text, its attributes and its own child elements.
class TXMLToExcelSubItem {
public:
    void ReadSubItem(TXMLDocument::Node element);
    // Writes the element when it is this item's; reports NewRow when it matched.
    // echoText receives the element's text when the item echoes it.
    bool MatchElement(TXMLDocument::Node element, TExcelSheet& sheet, std::string& echoText);

    std::string ID;
    int Col = -1;  // -1: the element's text is not written
    bool NewRow = false;
    int Row = 0;
    bool Echo = false;
    std::string AttrID;
    std::string AttrValue;
    bool ColIncrement = false;
    int ColCount = 0;
    std::vector<TXMLToExcelAttribute> Attributes;
    std::vector<TXMLToExcelSubItem> SubItems;
};

// One kind of top-level element of the data files and the worksheet it goes to.
class TXMLToExcelDBItem {
public:
    void ReadDBItem(TXMLDocument::Node element);
    void SetTarget(std::string_view workbookName, int workbookIndex, int sheetIndex);
    // False until a worksheet has carried this item's page name.
    bool HasTarget() const { return WorkbookIndex > 0 && SheetIndex > 0; }
    // Writes one top-level element into the target worksheet and logs it. Without a
    // target nothing is written; the log line names the missing page.
    void TransferElement(TXMLDocument::Node element, TExcelApp& host, Frontend& ui, std::string& echoText);

    std::string ID;
    std::string Page;
    int Row = 0;
    std::string WorkbookName;
    int WorkbookIndex = 0;  // 1-based; 0 = no target
    int SheetIndex = 0;     // 1-based; 0 = no target
    std::vector<TXMLToExcelAttribute> Attributes;
    std::vector<TXMLToExcelSubItem> SubItems;
};

// The whole control file, read once per "XML->Excel" command.
class TXMLToExcelControl {
public:
    // Reads DataFolder + "XMLToExcel.xml" through the main window's document.
    // Throws XmlError (missing or malformed file) or ImportError (unusable item).
    explicit TXMLToExcelControl(Frontend& ui);

    // Gives every DB item whose Page equals pageName (exactly) this worksheet.
    void AssignPage(std::string_view workbookName, int workbookIndex, int sheetIndex, std::string_view pageName);
    // Puts every item on sheet row 6.
    void ResetRows();
    // Writes the top-level elements of one data file; rows carry on from earlier files.
    // A missing or malformed file throws XmlError, a refused cell write HostError naming
    // the file and the element; cells already written stay.
    void TransferFile(const std::string& fileName, TExcelApp& host);

    std::vector<TXMLToExcelDBItem> DBItems;
    // The XML Schema of the data files: the root element's "Schema" attribute, a file
    // inside the data folder; empty when the control file names none.
    std::string Schema;
    // The last text echoed while the current top-level element was written.
    std::string EchoText;

private:
    // How a file was read before its writes were made.
    struct Survey {
        bool read = false;     // once, noting the cells it writes
        bool emptied = false;  // and those that held data were emptied
    };
    Survey EmptyCellsAhead(const std::string& fileName, TExcelApp& host);
    bool WritesOverData(TExcelApp& host) const;
    void TransferNode(TXMLDocument::Node node, TExcelApp& host);

    Frontend& ui_;
};

// The row of an item and of everything below it; sub items also restart ColIncrement.
void SetRows(TXMLToExcelDBItem& item, int row);
void SetRows(TXMLToExcelSubItem& item, int row);
// The largest row among the item and everything below it.
int LastRow(const TXMLToExcelDBItem& item);
int LastRow(const TXMLToExcelSubItem& item);

// The log line of an element whose DB item has no worksheet.
std::string MissingPageLine(std::string_view id, std::string_view page);
