#pragma once

#include <memory>
#include <stdexcept>
#include <string>

// A failure of the spreadsheet host: the office is gone, an index is out of range,
// a cell cannot be read or written.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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

// One worksheet of one open workbook. Rows and columns are 1-based here.
class HostSheet {
public:
    virtual ~HostSheet() = default;
    virtual std::string Name() = 0;
    virtual CellValue ReadCell(int row, int column) = 0;
    virtual void WriteCell(int row, int column, const CellValue& value) = 0;
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
