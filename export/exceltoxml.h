#pragma once

#include "excelsheet.h"
#include "frontend.h"

#include <string>

class TXMLToExcelControl;

// Converts one open workbook into one XML file.
class TExcelToXML {
public:
    explicit TExcelToXML(Frontend& ui) : ui_(ui) {}

    void Convert(TExcelApp& app, const std::string& workbookName, int workbookIndex);
    // Gives the import's DB items their target worksheets from this workbook's pages.
    void ReadImportMapping(TExcelApp& app, const std::string& workbookName, int workbookIndex,
                           TXMLToExcelControl& control);

private:
    Frontend& ui_;
};
