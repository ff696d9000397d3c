#include "exceltoxml.h"

void TExcelToXML::ReadImportMapping(TExcelApp&, const std::string&, int, TXMLToExcelControl&)
{
}
