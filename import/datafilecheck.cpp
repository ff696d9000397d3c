#include "import/datafilecheck.h"

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
    std::string text = "Az adatfájl " + std::to_string(report.count) + " helyen nem felel meg a sémának (" +
                       schema.Path() + "), nincs átvéve: " + path;
    for (const SchemaProblem& problem : report.problems) {
        text += "\n  ";
        if (problem.line > 0)
            text += std::to_string(problem.line) + ". sor: ";
        text += SchemaProblemText(problem.message);
    }
    if (report.count > static_cast<long>(report.problems.size()))
        text += "\n  ... és még " + std::to_string(report.count - static_cast<long>(report.problems.size())) + " hely";
    throw ImportError(text);
}
