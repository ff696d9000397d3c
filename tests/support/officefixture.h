#pragma once

// A private headless LibreOffice for tests that need a real office: its own profile
// and file folder in a fresh temporary folder and its own pipe, so test runs never
// meet each other or a user's office. The office is always terminated when the
// object goes (XDesktop::terminate, then SIGKILL to its process group as a fallback),
// and a small supervisor process ends it when the test program dies without that
// (a crash or a sanitizer abort), and then removes its temporary folder and sockets.
//
// Typical use (GoogleTest):
//
//     static std::unique_ptr<OfficeFixture> office;   // one per test program
//     if (OfficeFixture::FindOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
//     office = std::make_unique<OfficeFixture>();
//     auto book = office->Folder() / "a.xlsx";
//     office->CreateWorkbookFile(book, {{"Adatok", {{"A1", "1970"}, {"B2", "=1/0"}}}});
//     int doc = office->Open(book);
//     auto host = ConnectLibreOfficeAt(office->Connection());   // the backend under test
//     ...
//     office->CloseAll();                                         // between tests
//
// The header carries no UNO types; link the target korvex_officefixture.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The office could not be started, or an office call failed.
class OfficeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class OfficeFixture {
public:
    // One cell's content typed as a user would type it in an en-US office: "1970",
    // "1.5", "2024-01-15", "TRUE", "=1/0" (a formula), "'0123" (text, apostrophe dropped).
    struct Cell {
        std::string name;   // A1-style: "B3"
        std::string input;
    };
    struct Sheet {
        std::string name;
        std::vector<Cell> cells;
    };
    // What the office itself holds in a cell, to check what a backend wrote.
    struct CellInfo {
        std::string type;     // "EMPTY", "VALUE", "TEXT" or "FORMULA"
        std::string formula;  // the cell's formula text; for TEXT/VALUE cells their content
        std::string text;     // the displayed text
        double value = 0;
    };

    // The office program to start: $KORVEX_SOFFICE, else "soffice" found on PATH.
    // "" when there is none (tests then skip).
    static std::string FindOffice();

    // Starts the office and waits until it accepts connections (OfficeError when it
    // cannot be started or does not answer within three minutes).
    OfficeFixture();
    ~OfficeFixture();
    OfficeFixture(const OfficeFixture&) = delete;
    OfficeFixture& operator=(const OfficeFixture&) = delete;

    // The connection description for the backend: "pipe,name=korvex-test-<pid>-<n>".
    const std::string& Connection() const;
    // A folder for test files, removed with the fixture.
    const std::filesystem::path& Folder() const;

    // Creates a spreadsheet file with the given sheets, in the format of its extension:
    // ".xlsx" (Excel 2007-365), ".xls" (Excel 97-2003) or ".ods". The file is not left open.
    void CreateWorkbookFile(const std::filesystem::path& file, const std::vector<Sheet>& sheets);

    // Opens a spreadsheet file (hidden) and returns its handle.
    int Open(const std::filesystem::path& file);
    // Creates a document that was never saved; its sheets as given (none: the default one).
    int CreateDocument(const std::vector<Sheet>& sheets = {});
    // Saves a document to a file in the format of its extension; the document stays open.
    void Store(int document, const std::filesystem::path& file);
    // Closes a document without saving it; CloseAll closes every document of the office.
    void Close(int document);
    void CloseAll();

    // The title the office gives a document ("Untitled 1" before it is saved).
    std::string Title(int document);
    // Sheet 1-based, cell by A1-style name.
    CellInfo Inspect(int document, int sheet, const std::string& cellName);
    // Types input into a cell (see Cell).
    void Type(int document, int sheet, const std::string& cellName, const std::string& input);

    // Empty while the office runs; once it has ended by itself (a crash), what it last
    // wrote, to say why.
    std::string Obituary() const;

    // Ends the office now (the destructor does it otherwise); later calls fail.
    void Terminate();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
