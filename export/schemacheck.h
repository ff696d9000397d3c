#pragma once

#include "common/xmldocument.h"
#include "common/xmlschema.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

// Where an element of the export came from: the data sheet and the row whose cells
// created it or filled it last.
struct TOutputOrigin {
    const std::string* sheet;
    int row;
};

// The origins of one export. An element carries its origin in the node's free
// application field, so keeping it costs one store per command, no lookup.
class TOutputOrigins {
public:
    // The rows read from now on belong to this sheet.
    void BeginSheet(const std::string& sheetName);
    // An origin for the cells of one row of the current sheet; valid while this lives.
    const TOutputOrigin* Add(int row);

private:
    std::deque<std::string> sheets_;
    std::deque<TOutputOrigin> origins_;
};

inline void MarkOrigin(TXMLDocument::Node element, const TOutputOrigin* origin)
{
    if (element && origin)
        element->_private = const_cast<TOutputOrigin*>(origin);
}
inline const TOutputOrigin* OriginOf(const xmlNode* element)
{
    return element ? static_cast<const TOutputOrigin*>(element->_private) : nullptr;
}

// The finished output measured against its schema: one Hungarian line per problem
// (the first TXmlSchema::MaxProblems of them) and the number of all problems.
struct TOutputCheck {
    std::vector<std::string> lines;
    long count = 0;
};

// Validates the finished text of an export. built is the document element it was
// made from: problems in the text are traced back to its elements and their origins.
TOutputCheck CheckOutput(const TXmlSchema& schema, std::string_view text, const xmlNode* built);

// "Termékek, 18. sor (Termék/Ár): reason [libxml2's text]"; without an origin the
// sheet and row are left out.
std::string ProblemLine(const TOutputOrigin* origin, const std::string& path, const std::string& libxmlMessage);
// "A kimenet N helyen nem felel meg a sémának. Mégis menti?"
std::string InvalidOutputQuestion(long count);
