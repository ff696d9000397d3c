#pragma once

// A stand-in for Excel's automation object model, for tests on machines without Excel
// (Windows, or Wine). It answers the late-bound calls Korvex makes as Excel's object
// model documents them:
//
// Application: Workbooks; Visible and DisplayAlerts (read and write); Quit ends the
//   application: every later call on any of its objects fails.
// Workbooks: Count; Item(i), i 1-based, also as the default member; an index out of
//   range fails with DISP_E_BADINDEX ("Subscript out of range"). Open(FileName, ...)
//   loads a workbook (here: a flat OpenDocument spreadsheet, .fods, by its cells), adds
//   it at the end and returns it; a file that is already open, or cannot be read, fails.
//   With alerts off, Excel opens a file that someone else has open (its owner file
//   "~$NAME" lies beside it) or that is marked read-only as read-only.
// Workbook: FullName (the path as opened), Name (the file name), Worksheets, ReadOnly;
//   Close(SaveChanges) removes it from Workbooks: calls on it and on its sheets and
//   ranges then fail with RPC_E_DISCONNECTED, as a released Excel object does;
//   Save, SaveAs(FileName), SaveCopyAs(FileName) write its cells as a .fods file
//   (SaveAs also renames the workbook; SaveCopyAs leaves it as it is). Save of a
//   read-only workbook fails ("Cannot access read-only document"); the other two may
//   write elsewhere.
// Worksheets: Count; Item(j), 1-based, also as the default member.
// Worksheet: Name; Cells (the whole sheet as a Range) and Cells(row, column), both
//   1-based; Range("A1") and Range("A1:C3"); UsedRange: the smallest rectangle holding
//   every cell with a value or a number format of its own ("$A$1" on an empty sheet).
// Range: Row, Column (its top-left cell), Rows and Columns (ranges whose Count is the
//   number of rows or columns), Count (cells), Item(row, column) relative to its
//   top-left cell, also as the default member; NumberFormat (read: the common format,
//   Null when the cells differ; write: every cell); Value:
//   - read: one cell gives its value, several a 2-D SAFEARRAY of VARIANTs with lower
//     bounds 1 (rows first). An empty cell is VT_EMPTY, a number VT_R8, a text VT_BSTR,
//     a truth value VT_BOOL, a number under a date format VT_DATE, under a currency
//     format VT_CY, an error value VT_ERROR holding 0x800A0000 + Excel's error number
//     (#NULL! 2000, #DIV/0! 2007, #VALUE! 2015, #REF! 2023, #NAME? 2029, #NUM! 2036,
//     #N/A 2042).
//   - write: a text is taken as typed input: a leading apostrophe is dropped and keeps
//     the rest as text; "=..." is a formula (here: the sum or difference of two numbers,
//     otherwise #NAME?); a text that reads as a number becomes that number ("01234" is
//     1234), "TRUE"/"FALSE" (any case) a truth value. In a cell formatted as text ("@")
//     every text stays exactly as written, apostrophe included. A date becomes a number
//     under a date format (unless the cell has one of its own); numbers, truth values
//     and Empty are stored as they are; an array writes its cells in turn (its bounds
//     need not start at 1), blanks beyond it as #N/A, as Excel fills a larger range.
//
// Names are matched without regard to case, as OLE Automation does.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <oleauto.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace exceldouble {

// The CLSID the double registers for "Excel.Application".
extern const CLSID ClsidApplication;

// Excel's error numbers (xlErrDiv0 ...) and their VT_ERROR codes.
enum ErrorNumber : long { ErrNull = 2000, ErrDiv0 = 2007, ErrValue = 2015, ErrRef = 2023, ErrName = 2029,
                          ErrNum = 2036, ErrNA = 2042 };
constexpr SCODE ErrorCode(long number) { return static_cast<SCODE>(0x800A0000L | number); }

// One cell as Excel keeps it.
struct Cell {
    enum class Kind { Empty, Number, Text, Boolean, Error };
    Kind kind = Kind::Empty;
    double number = 0;   // Number; Boolean 0/1
    std::wstring text;   // Text
    long error = 0;      // Error: Excel's error number
    std::wstring format; // empty: "General"
    bool Blank() const { return kind == Kind::Empty && format.empty(); }
};

struct Sheet {
    std::wstring name;
    std::map<std::pair<int, int>, Cell> cells;  // (row, column), 1-based
    Cell& At(int row, int column) { return cells[{row, column}]; }
    Cell Get(int row, int column) const;
};

struct Book {
    std::wstring fullName;
    std::vector<std::shared_ptr<Sheet>> sheets;
    bool open = true;
    bool readOnly = false;
};

// What the application holds; the tests read and change it directly.
struct State {
    std::vector<std::shared_ptr<Book>> books;
    bool visible = false;
    bool displayAlerts = true;
    bool quit = false;
    int saves = 0;  // Save, SaveAs and SaveCopyAs calls
};

// A workbook from a flat OpenDocument spreadsheet; HostError-free: false when the file
// cannot be read.
bool LoadFods(const std::wstring& path, Book& book);
bool SaveFods(const Book& book, const std::wstring& path);

// A new application object (one reference, for the caller) over the given state.
IDispatch* NewApplication(std::shared_ptr<State> state);

// Registers the ProgID "Excel.Application" (HKEY_CLASSES_ROOT) with the double's CLSID;
// with server set, also the program that CoCreateInstance starts (LocalServer32).
bool RegisterProgId(const std::wstring& server = L"");
void UnregisterProgId();

}  // namespace exceldouble
