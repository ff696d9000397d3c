#pragma once

#include "common/checkfinding.h"

#include <string>
#include <string_view>
#include <vector>

// Everything wrong with an export control file that shows without a workbook: lines
// the reader skips, unknown keys and commands, names the document will refuse,
// elements no command closes, malformed FORMAT entries, empty constant texts, a
// VERSION that is no number and a SCHEMA outside the data folder or unreadable.
// dataFolder (ending with a separator) is where SCHEMA is looked for.
std::vector<TCheckFinding> CheckExportControl(std::string_view bytes, const std::string& dataFolder);
