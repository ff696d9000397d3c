#include "host/libreoffice/unohost.h"

#include "common/messages.h"
#include "host/libreoffice/unoconnection.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <osl/file.hxx>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

using namespace css;

const char* const DefaultOfficeConnection = "pipe,name=korvex";

namespace {

// Runs one host operation and turns every UNO exception into a HostError that says
// what was being done; nothing from UNO leaves this file.
template <class Call>
auto Guarded(const std::string& what, Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const lang::DisposedException&) {
        throw HostError(what + Msg::NoLongerOpenInOffice);
    } catch (const lang::IndexOutOfBoundsException&) {
        throw HostError(what + Msg::PlaceOutsideSheet);
    } catch (const uno::Exception&) {
        throw HostError(what + ": " + CaughtUnoExceptionText());
    }
}

std::string CellWhat(const char* action, int row, int column)
{
    return std::string(action) + " (" + std::to_string(row) + Msg::RowComma + std::to_string(column) + Msg::ColumnParen;
}

std::string RangeWhat(const char* action, const CellRange& range)
{
    return std::string(action) + " (" + std::to_string(range.row) + "–" + std::to_string(range.LastRow()) + Msg::RowComma +
           std::to_string(range.column) + "–" + std::to_string(range.LastColumn()) + Msg::ColumnParen;
}

// The office's 0-based range addresses as 1-based ranges.
std::vector<CellRange> RangesOf(const uno::Reference<sheet::XSheetCellRanges>& ranges)
{
    std::vector<CellRange> result;
    const uno::Sequence<table::CellRangeAddress> addresses = ranges->getRangeAddresses();
    for (const table::CellRangeAddress& address : addresses)
        result.push_back({address.StartRow + 1, address.StartColumn + 1, address.EndRow - address.StartRow + 1,
                          address.EndColumn - address.StartColumn + 1});
    return result;
}

constexpr sal_Int32 ContentFlags =
    sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING | sheet::CellFlags::FORMULA;

std::string Trimmed(std::string_view text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

// The open spreadsheet documents in the order they were opened. The desktop lists
// them newest first; RuntimeUID is a per-process counter and must be compared as a
// number ("10" comes after "9").
std::vector<uno::Reference<sheet::XSpreadsheetDocument>> SpreadsheetDocuments(
    const uno::Reference<frame::XDesktop2>& desktop)
{
    struct Opened {
        sal_Int64 uid;
        uno::Reference<sheet::XSpreadsheetDocument> document;
    };
    std::vector<Opened> opened;
    uno::Reference<container::XEnumeration> components =
        desktop->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
        uno::Reference<sheet::XSpreadsheetDocument> document(components->nextElement(), uno::UNO_QUERY);
        if (!document.is())
            continue;
        uno::Reference<beans::XPropertySet> properties(document, uno::UNO_QUERY_THROW);
        rtl::OUString uid;
        properties->getPropertyValue("RuntimeUID") >>= uid;
        opened.push_back({uid.toInt64(), document});
    }
    std::stable_sort(opened.begin(), opened.end(),
                     [](const Opened& a, const Opened& b) { return a.uid < b.uid; });
    std::vector<uno::Reference<sheet::XSpreadsheetDocument>> documents;
    for (Opened& entry : opened)
        documents.push_back(std::move(entry.document));
    return documents;
}

// A file URL as a file-system path; other URLs are kept as they are.
std::string DocumentLocation(const rtl::OUString& url)
{
    rtl::OUString path;
    if (osl::FileBase::getSystemPathFromFileURL(url, path) == osl::FileBase::E_None)
        return ToUtf8(path);
    return ToUtf8(url);
}

uno::Reference<container::XIndexAccess> SheetsOf(const uno::Reference<sheet::XSpreadsheetDocument>& document)
{
    // A closed document answers with no sheets rather than an exception.
    uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY);
    if (!sheets.is())
        throw HostError(Msg::WorkbookClosed);
    return sheets;
}

class UnoSheet : public HostSheet {
public:
    UnoSheet(std::shared_ptr<UnoConnection> connection, uno::Reference<sheet::XSpreadsheet> sheet,
             uno::Reference<util::XNumberFormats> formats)
        : connection_(std::move(connection))
        , sheet_(std::move(sheet))
        , formats_(std::move(formats))
    {
    }

    std::string Name() override
    {
        return Guarded(Msg::ReadingSheetName, [&] {
            return ToUtf8(uno::Reference<container::XNamed>(sheet_, uno::UNO_QUERY_THROW)->getName());
        });
    }

    CellValue ReadCell(int row, int column) override
    {
        return Guarded(CellWhat(Msg::ReadingCell, row, column), [&] { return ValueOf(CellAt(row, column)); });
    }

    void WriteCell(int row, int column, const CellValue& value) override
    {
        Guarded(CellWhat(Msg::WritingCell, row, column), [&] { Store(CellAt(row, column), value); });
    }

    bool BlockAccess() const override { return true; }

    CellRange UsedArea() override
    {
        return Guarded(Msg::FindingUsedCells, [&] {
            uno::Reference<sheet::XSheetCellCursor> cursor = sheet_->createCursor();
            uno::Reference<sheet::XUsedAreaCursor>(cursor, uno::UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
            table::CellRangeAddress end =
                uno::Reference<sheet::XCellRangeAddressable>(cursor, uno::UNO_QUERY_THROW)->getRangeAddress();
            return CellRange{1, 1, end.EndRow + 1, end.EndColumn + 1};
        });
    }

    // getDataArray gives numbers and texts (raw, as stored); dates and truth values are
    // numbers told apart by their format, and an error has no value at all, so such a
    // cell is read on its own.
    std::vector<CellValue> ReadBlock(const CellRange& range) override
    {
        return Guarded(RangeWhat(Msg::ReadingCells, range), [&] {
            uno::Reference<table::XCellRange> cells = RangeAt(range);
            const uno::Sequence<uno::Sequence<uno::Any>> data =
                uno::Reference<sheet::XCellRangeData>(cells, uno::UNO_QUERY_THROW)->getDataArray();
            if (data.getLength() != range.rows)
                throw HostError(Msg::OfficeRowStart + std::to_string(data.getLength()) + Msg::OfficeRows);
            std::vector<CellValue> values(static_cast<size_t>(range.Cells()));
            bool numbers = false;
            for (int r = 0; r < range.rows; ++r) {
                const uno::Sequence<uno::Any>& row = data[r];
                if (row.getLength() != range.columns)
                    throw HostError(Msg::OfficeRowStart + std::to_string(row.getLength()) + Msg::OfficeRowLength);
                for (int c = 0; c < range.columns; ++c) {
                    CellValue& value = values[static_cast<size_t>(r) * range.columns + c];
                    double number = 0;
                    rtl::OUString text;
                    if (row[c] >>= number) {
                        value = CellValue::FromNumber(number);
                        numbers = true;
                    } else if (row[c] >>= text) {
                        if (!text.isEmpty())
                            value = CellValue::FromText(ToUtf8(text));
                    } else {
                        value = ValueOf(CellAt(range.row + r, range.column + c));
                    }
                }
            }
            if (numbers)
                ApplyFormats(cells, range, values);
            return values;
        });
    }

    // setDataArray stores a text as it is (never as a formula or a number) and empties
    // a cell for an empty text, like the single writes. It also drops the notes of the
    // range, which WriteLimits reports as untouchable.
    void WriteBlock(const CellRange& range, const std::vector<CellValue>& values) override
    {
        if (values.size() != static_cast<size_t>(range.Cells()))
            throw HostError(std::to_string(values.size()) + Msg::ValuesDoNotFit);
        uno::Sequence<uno::Sequence<uno::Any>> data(range.rows);
        for (int r = 0; r < range.rows; ++r) {
            uno::Sequence<uno::Any>& row = data.getArray()[r];
            row.realloc(range.columns);
            uno::Any* out = row.getArray();
            for (int c = 0; c < range.columns; ++c) {
                const CellValue& value = values[static_cast<size_t>(r) * range.columns + c];
                switch (value.kind) {
                case CellValue::Kind::Empty: out[c] <<= rtl::OUString(); break;
                case CellValue::Kind::Text: out[c] <<= FromUtf8(value.text); break;
                case CellValue::Kind::Number: out[c] <<= value.number; break;
                default: throw HostError(Msg::BlockOnlyNumbersAndTexts);
                }
            }
        }
        Guarded(RangeWhat(Msg::WritingCells, range), [&] {
            uno::Reference<sheet::XCellRangeData>(RangeAt(range), uno::UNO_QUERY_THROW)->setDataArray(data);
        });
    }

    BlockWriteLimits WriteLimits(const CellRange& area) override
    {
        return Guarded(RangeWhat(Msg::InspectingCells, area), [&] {
            uno::Reference<sheet::XCellRangesQuery> query(RangeAt(area), uno::UNO_QUERY_THROW);
            BlockWriteLimits limits;
            limits.occupied = RangesOf(query->queryContentCells(ContentFlags));
            limits.untouchable = RangesOf(query->queryContentCells(sheet::CellFlags::ANNOTATION));
            return limits;
        });
    }

    // A column's cells are kept in runs of one kind (numbers, texts, empty). A block
    // first empties its range, merging the runs there, then splits them again cell by
    // cell; each split moves the list of every run below it in the column. Rows that
    // hold data with empty rows between them (the import's layout) are many runs, so
    // rewriting them costs time in proportion to the rows below, on every block;
    // emptied first, they are one run.
    bool FasterIntoEmptyCells() const override { return true; }

    void EmptyCells(const std::vector<CellRange>& ranges) override
    {
        for (const CellRange& range : ranges)
            Guarded(RangeWhat(Msg::WritingCells, range), [&] {
                uno::Reference<sheet::XSheetOperation>(RangeAt(range), uno::UNO_QUERY_THROW)->clearContents(ContentFlags);
            });
    }

private:
    uno::Reference<table::XCellRange> RangeAt(const CellRange& range) const
    {
        if (range.Empty() || range.row < 1 || range.column < 1)
            throw HostError(Msg::NoSuchRange);
        return sheet_->getCellRangeByPosition(range.column - 1, range.row - 1, range.LastColumn() - 1,
                                              range.LastRow() - 1);
    }

    // The office groups a range's cells by their formats; the numbers of a group whose
    // format makes them dates or truth values become those.
    void ApplyFormats(const uno::Reference<table::XCellRange>& cells, const CellRange& range,
                      std::vector<CellValue>& values) const
    {
        uno::Reference<container::XIndexAccess> groups =
            uno::Reference<sheet::XUniqueCellFormatRangesSupplier>(cells, uno::UNO_QUERY_THROW)
                ->getUniqueCellFormatRanges();
        for (sal_Int32 g = 0, count = groups->getCount(); g < count; ++g) {
            uno::Reference<sheet::XSheetCellRanges> group(groups->getByIndex(g), uno::UNO_QUERY_THROW);
            sal_Int32 key = 0;
            uno::Reference<beans::XPropertySet>(group, uno::UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= key;
            sal_Int16 type = KeyType(key);
            if (NumberOfType(type, 0).kind == CellValue::Kind::Number)
                continue;
            for (const CellRange& part : RangesOf(group)) {
                int top = std::max(part.row, range.row), bottom = std::min(part.LastRow(), range.LastRow());
                int left = std::max(part.column, range.column), right = std::min(part.LastColumn(), range.LastColumn());
                for (int row = top; row <= bottom; ++row) {
                    for (int column = left; column <= right; ++column) {
                        CellValue& value =
                            values[static_cast<size_t>(row - range.row) * range.columns + (column - range.column)];
                        if (value.kind == CellValue::Kind::Number)
                            value = NumberOfType(type, value.number);
                    }
                }
            }
        }
    }

    uno::Reference<table::XCell> CellAt(int row, int column) const
    {
        if (row < 1 || column < 1)
            throw HostError(Msg::NoSuchCell + std::string(": ") + std::to_string(row) + Msg::RowComma + std::to_string(column) +
                            Msg::ColumnSuffix);
        return sheet_->getCellByPosition(column - 1, row - 1);
    }

    CellValue ValueOf(const uno::Reference<table::XCell>& cell) const
    {
        switch (cell->getType()) {
        case table::CellContentType_EMPTY: return CellValue::Empty();
        case table::CellContentType_TEXT: return CellValue::FromText(TextOf(cell));
        case table::CellContentType_VALUE: return NumberValue(cell, cell->getValue());
        case table::CellContentType_FORMULA: return FormulaResult(cell);
        default: break;
        }
        throw HostError(Msg::UnknownCellType);
    }

    CellValue FormulaResult(const uno::Reference<table::XCell>& cell) const
    {
        if (cell->getError() != 0)
            return CellValue::FromError();
        sal_Int32 resultType = 0;
        uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)->getPropertyValue("FormulaResultType2") >>=
            resultType;
        if (resultType & sheet::FormulaResult::ERROR)
            return CellValue::FromError();
        if (resultType & sheet::FormulaResult::STRING)
            return CellValue::FromText(TextOf(cell));
        return NumberValue(cell, cell->getValue());
    }

    // Dates, times and truth values are numbers that differ only by their format.
    CellValue NumberValue(const uno::Reference<table::XCell>& cell, double number) const
    {
        sal_Int32 key = 0;
        uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= key;
        return NumberOfType(KeyType(key), number);
    }

    static CellValue NumberOfType(sal_Int16 type, double number)
    {
        if ((type & util::NumberFormat::DURATION) == util::NumberFormat::DURATION)
            return CellValue::FromNumber(number);  // elapsed time, not a moment
        if (type & util::NumberFormat::LOGICAL)
            return CellValue::FromBoolean(number != 0);
        if (type & (util::NumberFormat::DATE | util::NumberFormat::TIME))
            return CellValue::FromDateTime(number);
        return CellValue::FromNumber(number);
    }

    // A format key names one fixed format of the document (a changed format gets a new
    // key), so its type can be remembered: that saves two calls to the office per cell.
    sal_Int16 KeyType(sal_Int32 key) const
    {
        auto known = formatTypes_.find(key);
        if (known != formatTypes_.end())
            return known->second;
        uno::Reference<beans::XPropertySet> format = formats_->getByKey(key);
        sal_Int16 type = util::NumberFormat::UNDEFINED;
        if (format.is())
            format->getPropertyValue("Type") >>= type;
        formatTypes_.emplace(key, type);
        return type;
    }

    // The text as stored, as a block read gives it: getString would give the text as
    // shown, with the decoration of a text format ("@\" kg\"" shows "abc" as "abc kg").
    static std::string TextOf(const uno::Reference<table::XCell>& cell)
    {
        const uno::Sequence<uno::Sequence<uno::Any>> data =
            uno::Reference<sheet::XCellRangeData>(cell, uno::UNO_QUERY_THROW)->getDataArray();
        rtl::OUString text;
        if (data.getLength() != 1 || data[0].getLength() != 1 || !(data[0][0] >>= text))
            throw HostError(Msg::NoTextOfTextCell);
        return ToUtf8(text);
    }

    void Store(const uno::Reference<table::XCell>& cell, const CellValue& value) const
    {
        switch (value.kind) {
        case CellValue::Kind::Empty: Clear(cell); return;
        case CellValue::Kind::Text:
            // setString stores the text literally; setFormula would parse it like
            // typed input and turn "=..." into a formula.
            if (value.text.empty())
                Clear(cell);
            else
                uno::Reference<text::XTextRange>(cell, uno::UNO_QUERY_THROW)->setString(FromUtf8(value.text));
            return;
        case CellValue::Kind::Number: cell->setValue(value.number); return;
        case CellValue::Kind::DateTime:
            StoreFormatted(cell, value.number, value.number == std::floor(value.number)
                                                   ? util::NumberFormat::DATE
                                                   : util::NumberFormat::DATETIME);
            return;
        case CellValue::Kind::Boolean: StoreFormatted(cell, value.number, util::NumberFormat::LOGICAL); return;
        case CellValue::Kind::Error: break;
        }
        throw HostError(Msg::ErrorValueNotWritable);
    }

    void StoreFormatted(const uno::Reference<table::XCell>& cell, double number, sal_Int16 formatType) const
    {
        cell->setValue(number);
        sal_Int32 key = uno::Reference<util::XNumberFormatTypes>(formats_, uno::UNO_QUERY_THROW)
                            ->getStandardFormat(formatType, lang::Locale());
        uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)->setPropertyValue("NumberFormat", uno::Any(key));
    }

    static void Clear(const uno::Reference<table::XCell>& cell)
    {
        uno::Reference<sheet::XSheetOperation>(cell, uno::UNO_QUERY_THROW)
            ->clearContents(sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING |
                            sheet::CellFlags::FORMULA);
    }

    std::shared_ptr<UnoConnection> connection_;  // first in, last out: outlives the references
    uno::Reference<sheet::XSpreadsheet> sheet_;
    uno::Reference<util::XNumberFormats> formats_;
    mutable std::map<sal_Int32, sal_Int16> formatTypes_;
};

class UnoHost : public HostBackend {
public:
    explicit UnoHost(std::shared_ptr<UnoConnection> connection)
        : connection_(std::move(connection))
        , desktop_(connection_->Desktop())
    {
    }

    int WorkbookCount() override
    {
        return Guarded(Msg::ListingWorkbooks, [&] { return static_cast<int>(SpreadsheetDocuments(desktop_).size()); });
    }

    std::string WorkbookFullName(int book) override
    {
        return Guarded(BookWhat(Msg::ReadingName, book), [&] {
            uno::Reference<sheet::XSpreadsheetDocument> document = Document(book);
            rtl::OUString url = uno::Reference<frame::XModel>(document, uno::UNO_QUERY_THROW)->getURL();
            if (!url.isEmpty())
                return DocumentLocation(url);
            // Never saved: the title the office shows, e.g. "Untitled 1".
            return ToUtf8(uno::Reference<frame::XTitle>(document, uno::UNO_QUERY_THROW)->getTitle());
        });
    }

    int SheetCount(int book) override
    {
        return Guarded(BookWhat(Msg::CountingSheets, book),
                       [&] { return static_cast<int>(SheetsOf(Document(book))->getCount()); });
    }

    std::unique_ptr<HostSheet> Sheet(int book, int sheet) override
    {
        return Guarded(BookWhat(Msg::SheetOpeningStart + std::to_string(sheet) + Msg::SheetOpening, book), [&] {
            uno::Reference<sheet::XSpreadsheetDocument> document = Document(book);
            uno::Reference<container::XIndexAccess> sheets = SheetsOf(document);
            if (sheet < 1 || sheet > sheets->getCount())
                throw HostError(Msg::WorkbookHasNoSheetStart + std::to_string(sheet) + Msg::WorkbookHasNoSheet);
            uno::Reference<sheet::XSpreadsheet> found(sheets->getByIndex(sheet - 1), uno::UNO_QUERY_THROW);
            uno::Reference<util::XNumberFormats> formats =
                uno::Reference<util::XNumberFormatsSupplier>(document, uno::UNO_QUERY_THROW)->getNumberFormats();
            return std::unique_ptr<HostSheet>(std::make_unique<UnoSheet>(connection_, found, formats));
        });
    }

private:
    static std::string BookWhat(const std::string& action, int book)
    {
        return action + " (" + std::to_string(book) + Msg::WorkbookInParens;
    }

    uno::Reference<sheet::XSpreadsheetDocument> Document(int book) const
    {
        std::vector<uno::Reference<sheet::XSpreadsheetDocument>> documents = SpreadsheetDocuments(desktop_);
        if (book < 1 || book > static_cast<int>(documents.size()))
            throw HostError(Msg::NoOpenWorkbookStart + std::to_string(book) + Msg::NoOpenWorkbook);
        return documents[book - 1];
    }

    std::shared_ptr<UnoConnection> connection_;
    uno::Reference<frame::XDesktop2> desktop_;
};

}  // namespace

std::string OfficeConnectionUrl(std::string_view description)
{
    std::string url = Trimmed(description);
    if (url.empty())
        url = DefaultOfficeConnection;
    if (url.compare(0, 4, "uno:") == 0)
        return url;
    switch (std::count(url.begin(), url.end(), ';')) {
    case 0: url += ";urp"; [[fallthrough]];
    case 1: url += ";StarOffice.ComponentContext"; break;
    default: break;
    }
    return "uno:" + url;
}

std::shared_ptr<HostBackend> ConnectLibreOfficeAt(std::string_view description)
{
    try {
        return std::make_shared<UnoHost>(std::make_shared<UnoConnection>(OfficeConnectionUrl(description)));
    } catch (const HostError&) {
        return nullptr;
    }
}

std::shared_ptr<HostBackend> ConnectLibreOffice()
{
    const char* description = std::getenv("KORVEX_OFFICE");
    return ConnectLibreOfficeAt(description ? description : "");
}
