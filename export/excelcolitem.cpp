#include "export/excelcolitem.h"

#include "export/inifile.h"
#include "export/textrules.h"

#include <array>
#include <ctime>

namespace {

// In the order of the kinds; matched upper-cased.
constexpr std::array<std::string_view, 5> CommandNames = {"BEGINITEM", "CREATEDATEITEM", "CONTENT", "ENDITEM",
                                                          "ATTRIBUTE"};

}  // namespace

TCommandItem::TCommandItem(std::string commandText)
{
    std::string name(TrimBlanks(SplitFirst(commandText, "(")));
    std::string upper = UpperAscii(name);
    for (size_t i = 0; i < CommandNames.size(); ++i) {
        if (upper == CommandNames[i]) {
            Kind = static_cast<int>(i);
            break;
        }
    }
    Argument = std::string(TrimBlanks(SplitFirst(commandText, ")")));
}

TXMLDocument::Node TCommandItem::Execute(TXMLDocument::Node cursor, const std::string& cellText,
                                         const TOutputOrigin* origin) const
{
    switch (Kind) {
    case BeginItem:
        if (TXMLDocument::NodeName(cursor) != Argument) {
            TXMLDocument::Node child = TXMLDocument::AddChild(cursor, Argument);
            MarkOrigin(child, origin);
            return child;
        }
        return cursor;
    case CreateDateItem:
        AddDateItem(cursor, LocalToday(), origin);
        return cursor;
    case Content:
        TXMLDocument::SetText(cursor, cellText);
        MarkOrigin(cursor, origin);
        return cursor;
    case EndItem:
        // The document element has no parent element: an EndItem naming the root keeps
        // the cursor there instead of leaving the tree.
        if (TXMLDocument::NodeName(cursor) == Argument)
            if (TXMLDocument::Node parent = TXMLDocument::Parent(cursor))
                return parent;
        return cursor;
    case Attribute: {
        size_t equals = Argument.find('=');
        if (equals == std::string::npos)
            TXMLDocument::SetAttribute(cursor, Argument, cellText);
        else
            TXMLDocument::SetAttribute(cursor, std::string_view(Argument).substr(0, equals),
                                       std::string_view(Argument).substr(equals + 1));
        MarkOrigin(cursor, origin);
        return cursor;
    }
    default:
        return cursor;
    }
}

TExcelColItem::TExcelColItem(std::string column, std::string mappingText)
    : Column(std::move(column))
{
    std::string_view rest = mappingText;
    while (!rest.empty()) {
        std::string part(TrimBlanks(SplitFirst(rest, ";")));
        if (!part.empty())
            Commands.emplace_back(std::move(part));
    }
}

TXMLDocument::Node TExcelColItem::Apply(TXMLDocument::Node cursor, const std::string& cellText,
                                        const TOutputOrigin* origin) const
{
    for (const TCommandItem& command : Commands)
        cursor = command.Execute(cursor, cellText, origin);
    return cursor;
}

TDate LocalToday()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void AddDateItem(TXMLDocument::Node element, const TDate& date, const TOutputOrigin* origin)
{
    TXMLDocument::Node item = TXMLDocument::AddChild(element, "Date");
    MarkOrigin(item, origin);
    const std::pair<const char*, int> parts[] = {{"Year", date.year}, {"Month", date.month}, {"Day", date.day}};
    for (const auto& [name, value] : parts) {
        TXMLDocument::Node part = TXMLDocument::AddChild(item, name);
        TXMLDocument::SetText(part, std::to_string(value));
        MarkOrigin(part, origin);
    }
}
