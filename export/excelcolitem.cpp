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

void TCommandItem::Execute(TOutputWriter& output, std::string_view cellText, const TOutputOrigin* origin) const
{
    switch (Kind) {
    case BeginItem:
        if (output.CursorName() != Argument) {
            output.Begin(Argument);
            output.MarkCursor(origin);
        }
        return;
    case CreateDateItem:
        AddDateItem(output, LocalToday(), origin);
        return;
    case Content:
        output.SetText(cellText);
        output.MarkCursor(origin);
        return;
    case EndItem:
        // The document element has no parent element: an EndItem naming the root keeps
        // the cursor there instead of leaving the tree.
        if (output.CursorName() == Argument)
            output.End();
        return;
    case Attribute: {
        size_t equals = Argument.find('=');
        if (equals == std::string::npos)
            output.SetAttribute(Argument, cellText);
        else
            output.SetAttribute(std::string_view(Argument).substr(0, equals),
                                std::string_view(Argument).substr(equals + 1));
        output.MarkCursor(origin);
        return;
    }
    default:
        return;
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

void TExcelColItem::Apply(TOutputWriter& output, std::string_view cellText, const TOutputOrigin* origin) const
{
    for (const TCommandItem& command : Commands)
        command.Execute(output, cellText, origin);
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

void AddDateItem(TOutputWriter& output, const TDate& date, const TOutputOrigin* origin)
{
    output.Begin("Date");
    output.MarkCursor(origin);
    const std::pair<const char*, int> parts[] = {{"Year", date.year}, {"Month", date.month}, {"Day", date.day}};
    for (const auto& [name, value] : parts) {
        output.Begin(name);
        output.SetText(std::to_string(value));
        output.MarkCursor(origin);
        output.End();
    }
    output.End();
}
