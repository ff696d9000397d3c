#include "exceltoxml.h"

void TExcelToXML::Convert(TExcelApp&, const std::string&, int)
{
}
