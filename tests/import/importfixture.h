#pragma once

#include "host/cellvalue.h"
#include "export/exceltoxml.h"
#include "tests/support/fakefrontend.h"
#include "host/memory/memoryhost.h"
#include "import/xmltoexcelcontrol.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

// The control file of the worked example: invoices with their number, customer,
// lines on rows of their own and notes spread over columns.
inline const std::string InvoiceControl = R"(<?xml version="1.0" encoding="utf-8"?>
<Control>
  <DBItem ID="Invoice" Page="Invoices">
    <Attribute ID="no" Col="A"/>
    <SubItem ID="Customer" Col="B" Echo=""/>
    <SubItem ID="Line" NewRow="">
      <SubItem ID="Product" Col="C"/>
      <SubItem ID="Qty" Col="D"/>
    </SubItem>
    <SubItem ID="Note" Col="E" ColIncrement=""/>
  </DBItem>
</Control>
)";

inline const std::string InvoiceData = R"(<?xml version="1.0" encoding="utf-8"?>
<Invoices>
  <Invoice no="1">
    <Customer>Alpha</Customer>
    <Line><Product>X</Product><Qty>2</Qty></Line>
    <Line><Product>Y</Product><Qty>3</Qty></Line>
    <Note>urgent</Note>
    <Note>paid</Note>
  </Invoice>
  <Invoice no="2">
    <Customer>Beta</Customer>
    <Line><Product>Z</Product><Qty>1</Qty></Line>
  </Invoice>
  <Summary/>
</Invoices>
)";

// Sheet rows 6 to 10, columns A to F, after the worked example.
inline const std::vector<std::vector<std::string>> InvoiceTable = {
    {"1", "Alpha", "X", "2", "", ""},
    {"", "", "Y", "3", "", ""},
    {"", "", "", "", "urgent", "paid"},
    {"", "", "", "", "", ""},
    {"2", "Beta", "Z", "1", "", ""},
};

// A fresh folder under the system's temporary folder, removed with the object.
class ImportFolder {
public:
    ImportFolder()
    {
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() / ("korvex-import-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~ImportFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ImportFolder(const ImportFolder&) = delete;
    ImportFolder& operator=(const ImportFolder&) = delete;

    std::string WithSeparator() const { return (path_ / "").string(); }
    // Writes the bytes as they are and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return (path_ / name).string();
    }

private:
    std::filesystem::path path_;
};

// An import on the in-memory host: a data folder with the control file, workbooks
// whose sheets 2.. carry page names, and the mapping and transfer steps of the command.
class ImportTest : public ::testing::Test {
protected:
    ImportTest() { ui.dataFolder = folder.WithSeparator(); }

    void WriteControl(const std::string& text) { folder.Write(ImportControlFileName, text); }
    std::string WriteData(const std::string& name, const std::string& bytes) { return folder.Write(name, bytes); }

    // A workbook with a first sheet of its own and one sheet per page name (in A1).
    int AddBook(const std::string& fullName, const std::vector<std::string>& pages)
    {
        std::vector<std::string> sheets{"Start"};
        for (size_t i = 0; i < pages.size(); ++i)
            sheets.push_back("Sheet" + std::to_string(i + 2));
        int book = host->AddWorkbook(fullName, sheets);
        for (size_t i = 0; i < pages.size(); ++i)
            if (!pages[i].empty())
                host->SetText(book, static_cast<int>(i) + 2, "A1", pages[i]);
        return book;
    }

    // Reads the control file and resets the rows, as the command does.
    TXMLToExcelControl& Control()
    {
        if (!control) {
            control = std::make_unique<TXMLToExcelControl>(ui);
            control->ResetRows();
        }
        return *control;
    }

    void Map(int book)
    {
        TExcelToXML converter(ui);
        converter.ReadImportMapping(app, host->workbooks.at(book - 1).fullName, book, Control());
    }

    void Transfer(const std::string& path) { Control().TransferFile(path, app); }

    // The text of a cell as the host gives it back ("" for an empty cell).
    std::string Cell(int book, int sheet, int row, int column) const
    {
        return CellValueText(host->Get(book, sheet, row, column));
    }
    // Sheet rows first..last, columns A.. for the given number of columns.
    std::vector<std::vector<std::string>> Table(int book, int sheet, int first, int last, int columns) const
    {
        std::vector<std::vector<std::string>> rows;
        for (int row = first; row <= last; ++row) {
            rows.emplace_back();
            for (int column = 1; column <= columns; ++column)
                rows.back().push_back(Cell(book, sheet, row, column));
        }
        return rows;
    }
    size_t CellCount(int book, int sheet) const { return host->workbooks.at(book - 1).sheets.at(sheet - 1).cells.size(); }

    ImportFolder folder;
    FakeFrontend ui;
    std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
    TExcelApp app{host, &ui};
    std::unique_ptr<TXMLToExcelControl> control;
};
