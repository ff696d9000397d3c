#include "export/exceltoxml.h"

#include "common/messages.h"
#include "common/atomicfile.h"
#include "common/pathtext.h"
#include "export/inifile.h"
#include "export/textcodec.h"
#include "export/textrules.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>

const char* const VersionMismatchMessage = Msg::VersionMismatch;

namespace {

constexpr int FirstDataRow = 5;
constexpr int EmptyRowsAtEnd = 10;
const std::string ConstantTextElement = "CONSTANTTEXT";
const std::string ConstantTextOpen = "<CONSTANTTEXT>";
const std::string ConstantTextClose = "</CONSTANTTEXT>";

// Shows a workbook's failure in its own words (the window has no other place for it),
// then ends the workbook with it.
[[noreturn]] void FailWorkbook(Frontend& ui, const std::string& workbook, const std::string& text)
{
    ui.Warning(workbook, text);
    throw std::runtime_error(text);
}

// A name as a message can show it: control characters as \xNN.
std::string EscapedForMessage(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

// A control file named on a data sheet must lie in the data folder or below it: a
// relative name without a step up ("..") and without a NUL character.
bool InsideDataFolder(const std::string& name)
{
    if (name.find('\0') != std::string::npos)
        return false;
    const std::filesystem::path path = PathFromUtf8(name);
    if (path.has_root_name() || path.has_root_directory())
        return false;
    for (const auto& part : path.lexically_normal())
        if (part == "..")
            return false;
    return true;
}

// Whether a command of the columns begins an element of that name.
bool BeginsElement(const std::vector<TExcelColItem>& columns, const std::string& name)
{
    for (const TExcelColItem& column : columns)
        for (const TCommandItem& command : column.Commands)
            if (command.Kind == TCommandItem::BeginItem && command.Argument == name)
                return true;
    return false;
}

int ReadEncoding(const std::string& text)
{
    std::optional<int> value = ParseInteger(text);
    if (!value)
        throw std::runtime_error(Msg::EncodingNotInteger + text + "\"");
    return *value;
}

}  // namespace

void TExcelToXML::Convert(TExcelApp& app, const std::string& workbookName, int workbookIndex)
{
    int sheetCount = app.GetSheetCount(workbookIndex);
    if (sheetCount <= 1)
        return;

    TExcelSheet sheet;
    sheet.Open(app, workbookName, workbookIndex, 1);
    RootName = sheet.GetCellText("A1");
    FileName = sheet.GetCellText("A2");
    if (FileName.find('\0') != std::string::npos)
        FailWorkbook(ui_, workbookName, Msg::NulOutputName + sheet.SheetName + Msg::NulOutputNameEnd);
    Encoding = ReadEncoding(sheet.GetCellText("A3"));
    Formats.clear();

    TOutputWriter output(RootName);
    constantTextsNamed_ = RootName == ConstantTextElement;

    for (int s = 2; s <= sheetCount; ++s) {
        sheet.Open(app, workbookName, workbookIndex, s);
        std::string controlFile = sheet.GetCellText("A1");
        std::string version = sheet.GetCellText("B1");
        if (controlFile.empty())
            continue;
        if (!InsideDataFolder(controlFile))
            FailWorkbook(ui_, workbookName,
                         Msg::SheetStart + sheet.SheetName + Msg::ControlOutside + EscapedForMessage(controlFile) +
                             Msg::ControlOutsideEnd);
        if (ReadControlFile(ui_.DataFolder() + controlFile, version) != 0)
            continue;
        if (Columns.empty())
            ui_.Warning(ControlFileName, Msg::NoColumnsRead + sheet.SheetName + Msg::NoColumnsReadSheet + workbookName +
                                             Msg::NoColumnsReadEnd);
        TakeSchema(ControlSchema);
        constantTextsNamed_ = constantTextsNamed_ || BeginsElement(Columns, ConstantTextElement);
        origins_.BeginSheet(sheet.SheetName);
        ui_.SetStatus(1, sheet.SheetName);
        ui_.ProcessMessages();
        ScanRows(sheet, output);
        // Back to the nearest element named like the root for the next sheet; the
        // document element at the latest.
        while (output.CursorName() != RootName && output.End()) {
        }
    }

    std::string text = WriteXML(output);
    if (!logShown_)
        ui_.SetLogText(text);
}

void TExcelToXML::TakeSchema(const std::string& name)
{
    if (name.empty() || !ui_.OutputSchema().empty())
        return;
    if (SchemaName.empty())
        SchemaName = name;
    else if (name != SchemaName)
        throw std::runtime_error(Msg::TwoSchemas + SchemaName + Msg::And + name);
}

std::string TExcelToXML::SchemaPath() const
{
    std::string chosen = ui_.OutputSchema();
    if (!chosen.empty() || SchemaName.empty())
        return chosen;
    return ResolveSchemaPath(ui_.DataFolder(), SchemaName);
}

bool TExcelToXML::OutputAccepted(const std::string& text, std::string_view bytes, const BuiltOutput& built)
{
    std::string path = SchemaPath();
    if (path.empty())
        return true;
    TXmlSchema schema(path);
    // Valid output, the usual case, is known from the bytes alone; only problems need
    // the text as built to point at the rows behind them.
    if (schema.Accepts(bytes))
        return true;
    TOutputCheck check = CheckOutput(schema, text, built.text, built.origins);
    if (check.count == 0)
        return true;
    // The user sees the output above the problems before answering.
    ui_.SetLogText(text);
    logShown_ = true;
    return ui_.KeepInvalidOutput(check.lines, check.count);
}

void TExcelToXML::ScanRows(TExcelSheet& sheet, TOutputWriter& output)
{
    int emptyRun = 0;
    std::string text;  // one cell's, its room used again for the next
    // With a schema to follow, problems are traced back to the rows that made them.
    if (!ui_.OutputSchema().empty() || !SchemaName.empty())
        output.KeepOrigins();
    // A sheet filled to its last row never shows ten empty rows: it ends there.
    for (int row = FirstDataRow; emptyRun < EmptyRowsAtEnd && row <= SheetRows; ++row) {
        const std::string rowText = std::to_string(row);
        ui_.SetStatus(2, rowText);
        ui_.SetProgress(row, sheet.KnownUsedRows());
        ui_.ProcessMessages();
        bool empty = true;
        const TOutputOrigin* origin = nullptr;
        for (const TExcelColItem& column : Columns) {
            sheet.GetCellText(column.Column, row, text);
            if (!text.empty()) {
                empty = false;
                if (std::optional<NonXmlCharacter> bad = FindNonXmlCharacter(text))
                    FailWorkbook(ui_, sheet.WorkbookName,
                                 Msg::SheetStart + sheet.SheetName + Msg::SheetWord + column.Column + rowText +
                                     Msg::BadCharacter + DescribeCharacter(*bad) + Msg::BadCharacterEnd);
                if (!origin && output.KeepsOrigins())
                    origin = origins_.Add(row);
                column.Apply(output, text, origin);
            }
        }
        emptyRun = empty ? emptyRun + 1 : 0;
    }
}

int TExcelToXML::ReadControlFile(const std::string& fileName, const std::string& version)
{
    ControlFileName = fileName;
    ControlSchema.clear();
    Columns.clear();
    try {
        TIniFile ini(fileName);
        if (ini.ReadString("MAIN", "VERSION", "1.00") != version) {
            ui_.Warning(fileName, VersionMismatchMessage);
            return 1;
        }
        ControlSchema = ini.ReadString("MAIN", "SCHEMA", "");
        const std::string cols = ini.ReadString("MAIN", "COLS", "");
        std::string_view rest = cols;
        while (!rest.empty()) {
            std::string key = UpperAscii(TrimBlanks(SplitFirst(rest, ";")));
            if (!key.empty())
                Columns.emplace_back(key, ini.ReadString("MAPPING", key, key));
        }
        for (const std::string& key : ini.ReadSection("FORMAT"))
            Formats.emplace_back(key, ini.ReadString("FORMAT", key, ""));
        return 0;
    } catch (const std::runtime_error&) {
        // A control file that exists but cannot be read (TIniFile).
        return 1;
    } catch (const std::invalid_argument&) {
        // A [FORMAT] indent that is no number (TFormatItem); what came before it stays.
        return 1;
    } catch (const std::bad_alloc&) {
        // A control file too large to hold is skipped like an unreadable one.
        return 1;
    }
}

std::string TExcelToXML::WriteXML(TOutputWriter& output)
{
    const char* const declaration = Encoding == 0 ? Utf8Declaration : Iso88592Declaration;
    // Only constant texts bring markup the writer did not make, and only where an
    // element was given their name.
    std::string text = output.Finish(constantTextsNamed_ ? "" : declaration);
    BuiltOutput built;
    built.origins = output.TakeOrigins();
    bool rawMarkup = false;
    if (constantTextsNamed_) {
        rawMarkup = text.find(ConstantTextOpen) != std::string::npos;
        if (rawMarkup) {
            // Their elements are no longer those built: with a schema to follow, the
            // text as built is kept for tracing problems back to the rows.
            if (output.KeepsOrigins())
                built.text = text;
            text = ExpandConstantText(std::move(text));
        }
        if (!rawMarkup || text.find("<?xml") == std::string::npos)
            text.insert(0, declaration);
    }
    for (const TFormatItem& format : Formats)
        text = format.Apply(text);
    // The file declares ISO-8859-2, so the text shown is what that code page can hold.
    if (Encoding != 0)
        text = Iso88592ToUtf8(Utf8ToIso88592(text));
    text = LayoutPasses(text, Encoding);

    const bool sureWellFormed = !rawMarkup && Encoding == 0 && IsWellFormedAsWritten(text);
    // Valid UTF-8 is written as it is: no copy of the whole text.
    std::string encoded;
    std::string_view bytes = text;
    if (Encoding != 0)
        bytes = encoded = Utf8ToIso88592(text);
    else if (!sureWellFormed && !IsValidUtf8(text))
        bytes = encoded = EncodeUtf8(text);
    // Constant texts go in as raw markup, a code page may lack a name's letter: only a
    // well-formed result is written.
    if (!sureWellFormed)
        if (std::string problem = TXMLDocument::WellFormednessProblem(bytes); !problem.empty())
            FailWorkbook(ui_, FileName,
                         Msg::OutputNotWellFormed + problem + Msg::OutputConstantTexts + ControlFileName +
                             Msg::OutputNotWritten + FileName);

    if (!OutputAccepted(text, bytes, built)) {
        FileName.clear();
        return text;
    }
    FileName = ui_.AskSaveFileName(FileName).value_or("");
    if (!FileName.empty()) {
        WriteFileAtomically(FileName, bytes);
        ui_.FileWritten(FileName);
    }
    return text;
}

std::string TExcelToXML::ExpandConstantText(std::string text) const
{
    // Without a marker nothing is replaced: the control file need not be read again.
    if (text.find(ConstantTextOpen) == std::string::npos)
        return text;
    std::optional<TIniFile> ini;
    try {
        ini.emplace(ControlFileName);
    } catch (const std::runtime_error&) {
        // An unreadable control file gives no constant texts, like a missing one.
        ini.emplace(TIniFile::FromBytes({}));
    } catch (const std::bad_alloc&) {
        ini.emplace(TIniFile::FromBytes({}));
    }
    // Walks the text once: what has been dealt with is left behind, never erased.
    // Once no closing marker follows, none follows a later opening one either.
    std::string out;
    size_t rest = 0;
    bool closeAhead = true;
    while (rest < text.size()) {
        size_t open = text.find(ConstantTextOpen, rest);
        if (open == std::string::npos)
            break;
        out.append(text, rest, open - rest);
        rest = open + ConstantTextOpen.size();
        size_t close = closeAhead ? text.find(ConstantTextClose, rest) : std::string::npos;
        if (close == std::string::npos) {
            closeAhead = false;
            continue;
        }
        std::string name = text.substr(rest, close - rest);
        rest = close + ConstantTextClose.size();
        if (name.empty())
            continue;
        for (int n = 0;; ++n) {
            std::string line = ini->ReadString(name, "Line" + std::to_string(n), "");
            if (line.empty())
                break;
            CheckOutputSize(out.size() + line.size() + (text.size() - rest),
                            Msg::ConstantTextName + name + Msg::ConstantTextTooLong);
            out += line;
        }
    }
    out.append(text, rest);
    return out;
}
