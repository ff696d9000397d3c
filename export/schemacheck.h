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

// The origins of one export, one per data row that wrote something.
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

// The finished output measured against its schema: one Hungarian line per problem
// (the first TXmlSchema::MaxProblems of them) and the number of all problems.
struct TOutputCheck {
    std::vector<std::string> lines;
    long count = 0;
};

// Validates the finished text of an export. built is the text as it was built, before
// constant texts and layout, and origins the origin of each of its elements in the
// order of their start tags: problems in the text are traced back to those rows. An
// empty built says the text holds the elements as built, in their order.
TOutputCheck CheckOutput(const TXmlSchema& schema, std::string_view text, std::string_view built,
                         const std::vector<const TOutputOrigin*>& origins);

// "Termékek, 18. sor (Termék/Ár): reason [libxml2's text]"; without an origin the
// sheet and row are left out.
std::string ProblemLine(const TOutputOrigin* origin, const std::string& path, const std::string& libxmlMessage);
// "A kimenet N helyen nem felel meg a sémának. Mégis menti?"
std::string InvalidOutputQuestion(long count);
