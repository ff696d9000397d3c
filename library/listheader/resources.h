#pragma once

#include <optional>
#include <string>
#include <string_view>

class TSharedXmlDocument;

// The host program's XML document that the library may use (format resources, the XML
// Spreadsheet form of a copied table). The library never sets it; null unless the host
// does.
extern TSharedXmlDocument* SharedXMLDocument;

// The bytes of the program's embedded resource of the given type ("XMLTITLE", "TITLE",
// "XML") and name, kept as the Qt resource ":/<type>/<name>". Names are matched without
// regard to letter case, as Windows resource names are. No value when there is none.
std::optional<std::string> FindResourceData(std::string_view name, std::string_view type);
