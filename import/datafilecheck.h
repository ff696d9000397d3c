#pragma once

#include "common/xmlschema.h"

#include <memory>
#include <string>

// The import's schema step, kept apart from the transfer: a data file is validated as
// a whole before any of its elements reaches a worksheet.

// The schema named by the import control file (its root element's "Schema"
// attribute, a file in the data folder); null when it names none. A schema that
// cannot be read throws XmlError, a name outside the data folder std::runtime_error.
std::unique_ptr<TXmlSchema> LoadDataSchema(const std::string& dataFolder, const std::string& schemaName);

// Throws ImportError when the file breaks the schema, one line of the message per
// problem with its line in the file.
void CheckDataFile(const TXmlSchema& schema, const std::string& path);
