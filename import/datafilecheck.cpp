#include "import/datafilecheck.h"

#include "common/messages.h"
#include "import/xmltoexcelcontrol.h"

std::unique_ptr<TXmlSchema> LoadDataSchema(const std::string& dataFolder, const std::string& schemaName)
{
    if (schemaName.empty())
        return nullptr;
    return std::make_unique<TXmlSchema>(ResolveSchemaPath(dataFolder, schemaName));
}

void CheckDataFile(const TXmlSchema& schema, const std::string& path)
{
    SchemaReport report = schema.ValidateFile(path);
    if (report.Valid())
        return;
    std::string text = Msg::DataFileInvalid + std::to_string(report.count) + Msg::DataFileInvalidSchema + schema.Path() +
                       Msg::DataFileNotTaken + path;
    for (const SchemaProblem& problem : report.problems) {
        text += "\n  ";
        if (problem.line > 0)
            text += std::to_string(problem.line) + Msg::RowAtColon;
        text += SchemaProblemText(problem.message);
    }
    if (report.count > static_cast<long>(report.problems.size()))
        text += "\n  " + std::string(Msg::AndMore) +
                std::to_string(report.count - static_cast<long>(report.problems.size())) + Msg::Places;
    throw ImportError(text);
}
