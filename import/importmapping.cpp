// The export converter's operation that serves the import: it lives with the import,
// which is its only user.
#include "export/exceltoxml.h"

#include "import/xmltoexcelcontrol.h"

void TExcelToXML::ReadImportMapping(TExcelApp& app, const std::string& workbookName, int workbookIndex,
                                    TXMLToExcelControl& control)
{
    // The first worksheet is the workbook's own; pages start on the second.
    int sheetCount = app.GetSheetCount(workbookIndex);
    if (sheetCount <= 1)
        return;
    TExcelSheet sheet;
    for (int sheetIndex = 2; sheetIndex <= sheetCount; ++sheetIndex) {
        sheet.Open(app, workbookName, workbookIndex, sheetIndex);
        control.AssignPage(workbookName, workbookIndex, sheetIndex, sheet.GetCellText("A1"));
    }
}
