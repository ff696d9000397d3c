#include "import/xmltoexcelcontrol.h"

#include "common/messages.h"

#include <algorithm>
#include <exception>
#include <optional>

const char* const ImportControlFileName = "XMLToExcel.xml";
const char* const DataSchemaAttribute = "Schema";

namespace {

using Node = TXMLDocument::Node;

// Sheet row 6: rows 1 to 5 belong to the workbook (row 1 holds the page name).
constexpr int FirstDataRow = 5;

// Only elements are items or data: a comment or processing instruction may carry a
// name that equals an item's, and must not be taken for it.
bool IsElement(Node node)
{
    return node && node->type == XML_ELEMENT_NODE;
}

bool IsElementNamed(Node node, std::string_view name)
{
    return IsElement(node) && TXMLDocument::NodeName(node) == name;
}

// Line breaks and tabs between the top-level elements (the export writes them) are
// layout, not data; any other text is reported like an unknown element.
bool IsLayoutWhitespace(Node node)
{
    if (!node || node->type != XML_TEXT_NODE)
        return false;
    std::string text = TXMLDocument::Text(node);
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Leaves the shared document inactive however reading or a transfer ends.
class ActiveDocument {
public:
    ActiveDocument(TXMLDocument& document, const std::string& path) : document_(document)
    {
        document_.LoadFromFile(path);
    }
    ~ActiveDocument() { document_.SetActive(false); }
    ActiveDocument(const ActiveDocument&) = delete;
    ActiveDocument& operator=(const ActiveDocument&) = delete;

private:
    TXMLDocument& document_;
};

// "12. sor: a(z) "Attribute" elem (ID="no") ..." for a control file item that cannot be used.
[[noreturn]] void Refuse(Node element, const std::string& reason)
{
    throw ImportError(std::to_string(TXMLDocument::Line(element)) + Msg::LineItem +
                      TXMLDocument::NodeName(element) + Msg::ItemId +
                      TXMLDocument::Attribute(element, "ID").value_or("") + "\") " + reason);
}

// "Col" by ColumnIndex; an empty value has no column at all.
int ReadColumn(Node element, const std::string& letters)
{
    if (letters.empty())
        Refuse(element, Msg::ColumnEmpty);
    return ColumnIndex(letters);
}

template <class Item>
void ReadChildItems(Node element, Item& item)
{
    for (Node child : TXMLDocument::ChildNodes(element)) {
        if (IsElementNamed(child, "Attribute")) {
            TXMLToExcelAttribute attribute;
            attribute.ReadAttribute(child);
            item.Attributes.push_back(std::move(attribute));
        } else if (IsElementNamed(child, "SubItem")) {
            TXMLToExcelSubItem subItem;
            subItem.ReadSubItem(child);
            item.SubItems.push_back(std::move(subItem));
        }
    }
}

void SetSubItemRows(std::vector<TXMLToExcelSubItem>& subItems, int row)
{
    for (TXMLToExcelSubItem& subItem : subItems) {
        subItem.Row = row;
        subItem.ColCount = 0;
        SetSubItemRows(subItem.SubItems, row);
    }
}

int LastSubItemRow(const std::vector<TXMLToExcelSubItem>& subItems, int row)
{
    for (const TXMLToExcelSubItem& subItem : subItems)
        row = std::max(row, LastRow(subItem));
    return row;
}

}  // namespace

void SetRows(TXMLToExcelDBItem& item, int row)
{
    item.Row = row;
    SetSubItemRows(item.SubItems, row);
}

void SetRows(TXMLToExcelSubItem& item, int row)
{
    item.Row = row;
    SetSubItemRows(item.SubItems, row);
}

int LastRow(const TXMLToExcelDBItem& item)
{
    return LastSubItemRow(item.SubItems, item.Row);
}

int LastRow(const TXMLToExcelSubItem& item)
{
    return LastSubItemRow(item.SubItems, item.Row);
}

namespace {

// Writes an element's attributes on the item's row, then lets the item's sub items match
// the element's children; a child that asks for a new row moves the item's rows on.
template <class Item>
void TransferContent(Item& item, Node element, TExcelSheet& sheet, std::string& echoText)
{
    for (const TXMLToExcelAttribute& attribute : item.Attributes)
        attribute.WriteAttribute(element, sheet, item.Row);
    for (Node child : TXMLDocument::ChildNodes(element))
        for (TXMLToExcelSubItem& subItem : item.SubItems)
            if (subItem.MatchElement(child, sheet, echoText))
                SetRows(item, subItem.Row);
}

}  // namespace

std::string MissingPageLine(std::string_view id, std::string_view page)
{
    return std::string(id) + Msg::NoPage + std::string(page) + Msg::PageSkipped;
}

// --- Reading the control file ---------------------------------------------------

void TXMLToExcelAttribute::ReadAttribute(Node element)
{
    ID = TXMLDocument::Attribute(element, "ID").value_or(ID);
    std::optional<std::string> col = TXMLDocument::Attribute(element, "Col");
    if (!col)
        Refuse(element, Msg::NoColumn);
    Col = ReadColumn(element, *col);
    if (Col < 0)
        Refuse(element, Msg::ColumnValue + *col + Msg::NotAColumn);
}

void TXMLToExcelSubItem::ReadSubItem(Node element)
{
    ID = TXMLDocument::Attribute(element, "ID").value_or(ID);
    std::optional<std::string> col = TXMLDocument::Attribute(element, "Col");
    Col = col ? ReadColumn(element, *col) : -1;
    // Presence flags: the value does not matter, "no" sets the flag as well.
    NewRow = TXMLDocument::HasAttribute(element, "NewRow");
    Echo = TXMLDocument::HasAttribute(element, "Echo");
    AttrID = TXMLDocument::Attribute(element, "AttrID").value_or("");
    AttrValue = TXMLDocument::Attribute(element, "AttrValue").value_or("");
    ColIncrement = TXMLDocument::HasAttribute(element, "ColIncrement");
    ReadChildItems(element, *this);
}

void TXMLToExcelDBItem::ReadDBItem(Node element)
{
    ID = TXMLDocument::Attribute(element, "ID").value_or(ID);
    Page = TXMLDocument::Attribute(element, "Page").value_or(Page);
    ReadChildItems(element, *this);
}

TXMLToExcelControl::TXMLToExcelControl(Frontend& ui)
    : ui_(ui)
{
    const std::string path = ui.DataFolder() + ImportControlFileName;
    ActiveDocument document(ui.Document(), path);
    Schema = TXMLDocument::Attribute(ui.Document().DocumentElement(), DataSchemaAttribute).value_or("");
    try {
        for (Node child : TXMLDocument::ChildNodes(ui.Document().DocumentElement())) {
            if (!IsElementNamed(child, "DBItem"))
                continue;
            TXMLToExcelDBItem item;
            item.ReadDBItem(child);
            DBItems.push_back(std::move(item));
        }
    } catch (const ImportError& error) {
        throw ImportError(Msg::MalformedControlFile + path + ", " + error.what());
    }
}

// --- Mapping --------------------------------------------------------------------

void TXMLToExcelDBItem::SetTarget(std::string_view workbookName, int workbookIndex, int sheetIndex)
{
    WorkbookName = std::string(workbookName);
    WorkbookIndex = workbookIndex;
    SheetIndex = sheetIndex;
}

void TXMLToExcelControl::AssignPage(std::string_view workbookName, int workbookIndex, int sheetIndex,
                                    std::string_view pageName)
{
    // Every matching item, and a later worksheet replaces an earlier one.
    for (TXMLToExcelDBItem& item : DBItems)
        if (item.Page == pageName)
            item.SetTarget(workbookName, workbookIndex, sheetIndex);
}

// --- Transfer -------------------------------------------------------------------

void TXMLToExcelControl::ResetRows()
{
    for (TXMLToExcelDBItem& item : DBItems)
        SetRows(item, FirstDataRow);
}

void TXMLToExcelControl::TransferFile(const std::string& fileName, TExcelApp& host)
{
    // One top-level element at a time: memory holds the largest of them, not the file.
    // The main window's document is left inactive, as after a whole-file load.
    ui_.Document().SetActive(false);
    const Survey survey = EmptyCellsAhead(fileName, host);
    TXMLStreamReader reader(fileName, !survey.read);
    // Where the element was whose cells were being written when the host refused one.
    // Cells go to the host in blocks (see TWriteBehind), so this is followed along with
    // them; the node itself is gone by then.
    struct Place {
        long line = 0;
        std::string name;
    };
    std::optional<Place> writing;
    TWriteBehind writes(host);
    const long long total = reader.FileSize();
    // A survey is the first half of the progress.
    const long long before = survey.read ? total : 0;
    // A stop (from the window, or an interrupt that the command line raises from its
    // log) ends the file before the next element, unless cells were emptied ahead:
    // then the file is written to its end first, so that no emptied cell stays empty,
    // and the stop is raised after that. A host failure ends it at once either way.
    std::exception_ptr stop;
    auto stoppable = [&](auto&& step) {
        try {
            step();
        } catch (const HostError&) {
            throw;
        } catch (...) {
            if (!survey.emptied)
                throw;
            if (!stop)
                stop = std::current_exception();
        }
    };
    try {
        for (Node node = reader.Next(); node; node = reader.Next()) {
            ui_.SetProgress(before + reader.BytesRead(), before + total);
            stoppable([&] { ui_.ProcessMessages(); });
            if (IsLayoutWhitespace(node))
                continue;
            host.AfterWrites([&writing, place = Place{TXMLDocument::Line(node), TXMLDocument::NodeName(node)}] {
                writing = place;
            });
            TransferNode(node, host);
            stoppable([&] { writes.Checkpoint(); });
        }
        stoppable([&] { writes.Flush(); });
        ui_.SetProgress(before + total, before + total);
        if (stop)
            std::rethrow_exception(stop);
    } catch (const CommandCancelled&) {
        // The elements before the stop keep their cells and log lines.
        writes.Flush();
        throw;
    } catch (const HostError& error) {
        // Cells written before the failure stay; one of them may be refused first.
        std::string reason = error.what();
        try {
            writes.Flush();
        } catch (const HostError& earlier) {
            reason = earlier.what();
        }
        // The host knows the cell; the user also needs the file and the element.
        std::string where =
            writing ? ", " + std::to_string(writing->line) + Msg::LineOpen + writing->name + ")" : std::string();
        throw HostError(Msg::ImportStopped + fileName + where + ": " + reason);
    }
}

// Hands one child of the document element to the DB items of its name.
void TXMLToExcelControl::TransferNode(Node node, TExcelApp& host)
{
    std::string name = TXMLDocument::NodeName(node);
    bool matched = false;
    if (IsElement(node))
        for (TXMLToExcelDBItem& item : DBItems)
            if (item.ID == name) {
                item.TransferElement(node, host, ui_, EchoText);
                matched = true;
            }
    if (!matched)
        host.AfterWrites([this, line = "--- " + name] { ui_.AppendLog(line); });
}

// Some hosts write blocks much more slowly over rows that hold data than into empty
// ones (LibreOffice moves the storage of every row below on each element). There the
// file is read once without writing, noting the cells it writes; those that hold data
// are emptied, and the writes go into empty cells. A cell the file does not write is
// never emptied. Any failure of the survey leaves the cells as they are: the writes
// meet it again where it lies, after the cells before it.
TXMLToExcelControl::Survey TXMLToExcelControl::EmptyCellsAhead(const std::string& fileName, TExcelApp& host)
{
    if (!WritesOverData(host))
        return {};
    TWriteSurvey survey(host);
    if (!survey.Active())
        return {};
    // The survey moves the rows; they are put back however it ends, so that the
    // writes start where it did.
    struct PutBack {
        TXMLToExcelControl& control;
        std::vector<TXMLToExcelDBItem> items;
        std::string echo;
        ~PutBack()
        {
            control.DBItems = std::move(items);
            control.EchoText = std::move(echo);
        }
    } putBack{*this, DBItems, EchoText};
    try {
        TXMLStreamReader reader(fileName);
        const long long total = reader.FileSize();
        for (Node node = reader.Next(); node; node = reader.Next()) {
            ui_.SetProgress(reader.BytesRead(), 2 * total);
            ui_.ProcessMessages();  // a stop here comes before any cell is touched
            if (!IsLayoutWhitespace(node))
                TransferNode(node, host);
        }
    } catch (const CommandCancelled&) {
        throw;
    } catch (const std::exception&) {
        return {};
    }
    return {true, survey.EmptyNotedCells()};
}

bool TXMLToExcelControl::WritesOverData(TExcelApp& host) const
{
    for (const TXMLToExcelDBItem& item : DBItems)
        if (item.HasTarget() && host.WouldWriteOverData(item.WorkbookIndex, item.SheetIndex, item.Row + 1))
            return true;
    return false;
}

void TXMLToExcelDBItem::TransferElement(Node element, TExcelApp& host, Frontend& ui, std::string& echoText)
{
    // Log lines wait for the cells written before them (held back by TWriteBehind).
    if (!HasTarget()) {
        host.AfterWrites([&ui, line = MissingPageLine(ID, Page)] { ui.AppendLog(line); });
        return;
    }
    TExcelSheet sheet;
    sheet.Open(host, WorkbookName, WorkbookIndex, SheetIndex);
    echoText.clear();
    SetRows(*this, Row);
    TransferContent(*this, element, sheet, echoText);
    // One empty row between two elements of this item.
    Row = LastRow(*this) + 2;
    host.AfterWrites([&ui, line = ID + " " + echoText] { ui.AppendLog(line); });
}

bool TXMLToExcelSubItem::MatchElement(Node element, TExcelSheet& sheet, std::string& echoText)
{
    if (!IsElementNamed(element, ID))
        return false;
    if (!AttrID.empty()) {
        std::optional<std::string> value = TXMLDocument::Attribute(element, AttrID);
        if (!value || *value != AttrValue)
            return false;
    }
    SetRows(*this, Row);
    // Entity references in the text are expanded as in attribute values.
    if (std::optional<std::string> text = Col >= 0 ? TXMLDocument::ElementText(element) : std::nullopt) {
        if (ColIncrement)
            sheet.SetCellText(Row, Col + ColCount++, *text);
        else
            sheet.SetCellText(Row, Col, *text);
        if (Echo)
            echoText = *text;
    }
    TransferContent(*this, element, sheet, echoText);
    Row = LastRow(*this);
    if (NewRow)
        ++Row;
    return NewRow;
}

void TXMLToExcelAttribute::WriteAttribute(Node element, TExcelSheet& sheet, int row) const
{
    if (std::optional<std::string> value = TXMLDocument::Attribute(element, ID))
        sheet.SetCellText(row, Col, *value);
}
