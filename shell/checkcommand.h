#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// korvex-cli check: checks control files without a workbook. files empty: every *.ini
// of the data folder (export control files) and its XMLToExcel.xml; otherwise the
// files named, a name ending in .xml being an import control file. Prints one
// "file:line: message" per problem to out; returns 1 when any problem was found (notes
// alone do not count), else 0.
int RunCheck(const std::vector<std::string>& files, const std::string& dataFolder, std::ostream& out,
             std::ostream& err);
