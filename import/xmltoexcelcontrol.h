#pragma once

#include "excelsheet.h"
#include "frontend.h"

#include <string>

// The import control file "XMLToExcel.xml" and the transfer of data files.
class TXMLToExcelControl {
public:
    explicit TXMLToExcelControl(Frontend& ui) : ui_(ui) {}

    void ResetRows() {}
    void TransferFile(const std::string&, TExcelApp&) {}

private:
    Frontend& ui_;
};
