#include "exceltoxml.h"

void TExcelToXML::Convert(TExcelApp&, const std::string&, int)
{
}

void TExcelToXML::ReadImportMapping(TExcelApp&, const std::string&, int, TXMLToExcelControl&)
{
}
