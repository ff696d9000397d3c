#pragma once

#include "export/outputwriter.h"
#include "export/schemacheck.h"

#include <string>
#include <string_view>
#include <vector>

// One command of a column's mapping, parsed from name [ "(" argument [ ")" ] ].
class TCommandItem {
public:
    enum Kinds { BeginItem = 0, CreateDateItem = 1, Content = 2, EndItem = 3, Attribute = 4, Unknown = 5 };

    explicit TCommandItem(std::string commandText);

    // Runs the command on the output's cursor element, which it may move. A name the
    // output refuses throws XmlError. The elements it creates or fills are marked with
    // origin (when given).
    void Execute(TOutputWriter& output, std::string_view cellText, const TOutputOrigin* origin = nullptr) const;

    int Kind = Unknown;
    std::string Argument;
};

// One column of a data sheet: its letters and the commands run for a non-empty cell.
class TExcelColItem {
public:
    TExcelColItem(std::string column, std::string mappingText);

    // Runs the commands in order, each on the cursor the previous one left.
    void Apply(TOutputWriter& output, std::string_view cellText, const TOutputOrigin* origin = nullptr) const;

    std::string Column;
    std::vector<TCommandItem> Commands;
};

struct TDate {
    int year;
    int month;  // 1 to 12
    int day;
};
TDate LocalToday();
// Adds a "Date" element with "Year", "Month" and "Day" children as the cursor's last child;
// the cursor stays where it is.
void AddDateItem(TOutputWriter& output, const TDate& date, const TOutputOrigin* origin = nullptr);
