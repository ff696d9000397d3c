#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A failure of the spreadsheet host: the office is gone, an index is out of range,
// a cell cannot be read or written.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The size of a worksheet in the hosts the tool works with.
constexpr int SheetRows = 1048576;
constexpr int SheetColumns = 16384;

// One cell's raw value as a backend reports it. Texts are UTF-8.
struct CellValue {
    enum class Kind { Empty, Text, Number, DateTime, Boolean, Error };

    Kind kind = Kind::Empty;
    std::string text;   // Kind::Text
    double number = 0;  // Number; DateTime as a serial day count (1899-12-30 = 0); Boolean 0 or 1

    static CellValue Empty() { return {}; }
    static CellValue FromText(std::string text) { return {Kind::Text, std::move(text), 0}; }
    static CellValue FromNumber(double value) { return {Kind::Number, {}, value}; }
    static CellValue FromDateTime(double serial) { return {Kind::DateTime, {}, serial}; }
    static CellValue FromBoolean(bool value) { return {Kind::Boolean, {}, value ? 1.0 : 0.0}; }
    static CellValue FromError() { return {Kind::Error, {}, 0}; }

    friend bool operator==(const CellValue&, const CellValue&) = default;
};

// A rectangle of cells: its top-left cell (1-based) and its size.
struct CellRange {
    int row = 1;
    int column = 1;
    int rows = 0;
    int columns = 0;

    int LastRow() const { return row + rows - 1; }
    int LastColumn() const { return column + columns - 1; }
    bool Empty() const { return rows <= 0 || columns <= 0; }
    long long Cells() const { return Empty() ? 0 : static_cast<long long>(rows) * columns; }
    bool Contains(int r, int c) const { return r >= row && r <= LastRow() && c >= column && c <= LastColumn(); }

    friend bool operator==(const CellRange&, const CellRange&) = default;
};

// What a block write has to leave alone inside an area. A block gives every cell it
// covers a value (those it does not write become empty), so it may cover a cell in
// `occupied` only by writing it, and a cell in `untouchable` not at all: there a
// block write would lose something that a single write keeps (a note in LibreOffice).
struct BlockWriteLimits {
    std::vector<CellRange> occupied;
    std::vector<CellRange> untouchable;
};

// One worksheet of one open workbook. Rows and columns are 1-based here.
class HostSheet {
public:
    virtual ~HostSheet() = default;
    virtual std::string Name() = 0;
    virtual CellValue ReadCell(int row, int column) = 0;
    virtual void WriteCell(int row, int column, const CellValue& value) = 0;

    // Rectangles in one call. A backend that moves a block in one round trip says so
    // here and overrides the operations below; the defaults go cell by cell, and the
    // wrapper does not use blocks on a backend that has none of its own.
    virtual bool BlockAccess() const { return false; }
    // From A1 to the last row and the last column that hold anything; a backend may
    // answer with more, never with less. The default is the whole sheet.
    virtual CellRange UsedArea();
    // The values of a rectangle row by row, each one as ReadCell gives it.
    virtual std::vector<CellValue> ReadBlock(const CellRange& range);
    // Stores values (row by row) as WriteCell stores each; an Empty value empties the cell.
    virtual void WriteBlock(const CellRange& range, const std::vector<CellValue>& values);
    // The cells of an area that a block write has to respect.
    virtual BlockWriteLimits WriteLimits(const CellRange& area);

    // Whether blocks written over cells that hold data are much slower than into empty
    // ones, so that a writer who knows every cell it is about to write empties them
    // first with EmptyCells.
    virtual bool FasterIntoEmptyCells() const { return false; }
    // Empties the contents of the rectangles; notes and formats stay. The default goes
    // cell by cell.
    virtual void EmptyCells(const std::vector<CellRange>& ranges);
};

// The running spreadsheet application. Workbooks and sheets are addressed by their
// 1-based position; every call asks the application afresh. Failures throw HostError.
class HostBackend {
public:
    virtual ~HostBackend() = default;
    virtual int WorkbookCount() = 0;
    virtual std::string WorkbookFullName(int book) = 0;
    virtual int SheetCount(int book) = 0;
    virtual std::unique_ptr<HostSheet> Sheet(int book, int sheet) = 0;
};
