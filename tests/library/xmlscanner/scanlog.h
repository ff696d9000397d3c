#pragma once

#include "library/xmlscanner/vmdxmlparser.h"

#include <string>

// One line per reported part, for table-driven expectations:
//   xml  ?target{content}  !--  !DOCTYPE  <a k=v>  <a k=v/>  </a>  'text'  [cdata]
std::string DescribePart(const TVmdXmlParser& scanner);

// Scans the whole text and joins the parts with " | ".
std::string ScanAll(TVmdXmlParser& scanner);
std::string ScanText(const std::string& text, bool normalize = true);
