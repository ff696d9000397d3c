#pragma once

#include "common/checkfinding.h"

#include <string>
#include <vector>

// Everything wrong with an import control file that shows without a data file or a
// workbook: a file that does not parse (with its line), unknown elements and
// attributes (typos such as "NewROw"), Attribute items without Col, Col values that
// are not column letters, DB items without Page, repeated IDs among siblings, and a
// Schema outside the data folder or unreadable. dataFolder ends with a separator.
std::vector<TCheckFinding> CheckImportControl(const std::string& path, const std::string& dataFolder);
