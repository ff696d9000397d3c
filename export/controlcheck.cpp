#include "export/controlcheck.h"

#include "common/messages.h"

#include "export/inifile.h"
#include "export/textcodec.h"
#include "export/textrules.h"
#include "common/xmlschema.h"

#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace {

// One "key=value" line of the file, as the reader takes it.
struct Entry {
    std::string key;
    std::string value;
    int line;
};

struct Section {
    std::string name;
    int line;
    std::vector<Entry> entries;
};

class Checker {
public:
    Checker(std::string_view text, const std::string& dataFolder) : dataFolder_(dataFolder) { Read(text); }

    std::vector<TCheckFinding> Run()
    {
        CheckMain();
        CheckMapping();
        CheckFormat();
        CheckConstantTexts();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const TCheckFinding& a, const TCheckFinding& b) { return a.line < b.line; });
        return std::move(findings_);
    }

private:
    void Add(int line, std::string message, bool note = false) { findings_.push_back({line, std::move(message), note}); }

    // The reader's rules (see TIniFile): trimmed lines, ";" comments, a repeated
    // section continues the first, the first of repeated keys wins.
    void Read(std::string_view text)
    {
        Section* current = nullptr;
        for (int number = 1; !text.empty(); ++number) {
            const TIniLine line = NextIniLine(text, number);
            switch (line.kind) {
            case TIniLine::Kind::Skipped:
                break;
            case TIniLine::Kind::Section: {
                if (!line.closed)
                    Add(number, Msg::CheckNoClosingBracket);
                std::string folded = FoldCase(line.name);
                auto found = std::find_if(sections_.begin(), sections_.end(),
                                          [&](const Section& s) { return FoldCase(s.name) == folded; });
                if (found == sections_.end()) {
                    sections_.push_back({std::string(line.name), number, {}});
                    current = &sections_.back();
                } else {
                    current = &*found;
                }
                break;
            }
            case TIniLine::Kind::Other:
                Add(number, current ? Msg::CheckNotKeyValue : Msg::CheckBeforeSection);
                break;
            case TIniLine::Kind::Entry:
                AddEntry(current, line);
                break;
            }
        }
    }

    void AddEntry(Section* current, const TIniLine& line)
    {
        if (!current) {
            Add(line.number, Msg::CheckBeforeSection);
            return;
        }
        std::string key(line.name);
        if (key.empty()) {
            Add(line.number, Msg::CheckNoKey);
            return;
        }
        if (const Entry* first = Find(*current, key)) {
            Add(line.number, Msg::CheckThe + key + Msg::CheckKeyRepeated + std::to_string(first->line) +
                                 Msg::CheckKeyRepeatedEnd);
            return;
        }
        current->entries.push_back({key, std::string(line.value), line.number});
    }

    static const Entry* Find(const Section& section, std::string_view key)
    {
        std::string folded = FoldCase(key);
        for (const Entry& entry : section.entries)
            if (FoldCase(entry.key) == folded)
                return &entry;
        return nullptr;
    }
    const Section* FindSection(std::string_view name) const
    {
        std::string folded = FoldCase(name);
        for (const Section& section : sections_)
            if (FoldCase(section.name) == folded)
                return &section;
        return nullptr;
    }
    static bool IsSection(const Section& section, std::string_view name) { return FoldCase(section.name) == FoldCase(name); }

    void CheckMain()
    {
        const Section* main = FindSection("MAIN");
        if (!main)
            return;
        for (const Entry& entry : main->entries) {
            std::string key = UpperAscii(entry.key);
            if (key == "VERSION")
                CheckVersion(entry);
            else if (key == "COLS")
                CheckCols(entry);
            else if (key == "SCHEMA")
                CheckSchema(entry);
            else
                Add(entry.line, Msg::CheckUnknownMainKey + entry.key + Msg::CheckUnknownMainKeyEnd);
        }
    }

    void CheckVersion(const Entry& entry)
    {
        const std::string& v = entry.value;
        size_t dot = v.find('.');
        auto digits = [](std::string_view s) {
            return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        bool number = dot == std::string::npos ? digits(v) : digits(std::string_view(v).substr(0, dot)) &&
                                                                 digits(std::string_view(v).substr(dot + 1));
        if (!number)
            Add(entry.line, Msg::CheckVersionNotNumber + v + "\"");
    }

    void CheckCols(const Entry& entry)
    {
        colsLine_ = entry.line;
        std::string_view rest = entry.value;
        while (!rest.empty()) {
            std::string key = UpperAscii(TrimBlanks(SplitFirst(rest, ";")));
            if (key.empty())
                continue;
            bool letters = key.size() <= 2 && std::all_of(key.begin(), key.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
            if (!letters)
                Add(entry.line, Msg::CheckColsPart + key + Msg::CheckColsPartNotColumn);
            columns_.push_back(key);
        }
    }

    void CheckSchema(const Entry& entry)
    {
        if (entry.value.empty())
            return;
        try {
            TXmlSchema schema(ResolveSchemaPath(dataFolder_, entry.value));
        } catch (const std::exception& error) {
            Add(entry.line, error.what());
        }
    }

    static bool IsXmlName(const std::string& name)
    {
        return !name.empty() && name.find('\0') == std::string::npos &&
               xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) == 0;
    }

    void CheckMapping()
    {
        const Section* mapping = FindSection("MAPPING");
        std::set<std::string> mapped;
        // Every element a BeginItem opens and an EndItem closes, with the first line.
        std::map<std::string, int> opened;
        std::map<std::string, int> closed;
        if (mapping) {
            for (const Entry& entry : mapping->entries) {
                std::string column = UpperAscii(entry.key);
                mapped.insert(column);
                if (colsLine_ > 0 && std::find(columns_.begin(), columns_.end(), column) == columns_.end())
                    Add(entry.line, Msg::CheckThe + entry.key + Msg::CheckColumnNotInCols, true);
                CheckCommands(entry, opened, closed);
            }
        }
        for (const std::string& column : columns_)
            if (!mapped.count(column))
                Add(colsLine_, Msg::CheckThe + column + Msg::CheckColumnNoMapping, true);
        for (const auto& [name, line] : opened)
            if (!closed.count(name) && name != "CONSTANTTEXT")
                Add(line, Msg::CheckThe + name + Msg::CheckNeverClosed, true);
        for (const auto& [name, line] : closed)
            if (!opened.count(name))
                Add(line, Msg::CheckThe + name + Msg::CheckNeverOpened, true);
        usesConstantText_ = opened.count("CONSTANTTEXT") > 0;
        if (usesConstantText_)
            constantLine_ = opened["CONSTANTTEXT"];
    }

    void CheckCommands(const Entry& entry, std::map<std::string, int>& opened, std::map<std::string, int>& closed)
    {
        static constexpr std::array<std::string_view, 5> Names = {"BEGINITEM", "CREATEDATEITEM", "CONTENT", "ENDITEM",
                                                                  "ATTRIBUTE"};
        std::string_view rest = entry.value;
        while (!rest.empty()) {
            std::string command(TrimBlanks(SplitFirst(rest, ";")));
            if (command.empty())
                continue;
            std::string text = command;
            std::string name(TrimBlanks(SplitFirst(text, "(")));
            std::string upper = UpperAscii(name);
            size_t close = text.find(')');
            std::string argument(TrimBlanks(SplitFirst(text, ")")));
            if (close != std::string::npos && !TrimBlanks(text).empty())
                Add(entry.line, Msg::CheckTheQuoted + command + Msg::CheckAfterParenLost, true);
            auto kind = std::find(Names.begin(), Names.end(), upper);
            if (kind == Names.end()) {
                Add(entry.line, Msg::CheckUnknownCommand + name + Msg::CheckUnknownCommandEnd);
                continue;
            }
            if (upper == "BEGINITEM" || upper == "ENDITEM") {
                if (!IsXmlName(argument)) {
                    Add(entry.line, Msg::CheckTheQuoted + command + Msg::CheckBadElementName + argument + "\"");
                    continue;
                }
                (upper == "BEGINITEM" ? opened : closed).try_emplace(argument, entry.line);
            } else if (upper == "ATTRIBUTE") {
                size_t equals = argument.find('=');
                std::string attribute = argument.substr(0, equals);
                if (!IsXmlName(attribute))
                    Add(entry.line, Msg::CheckTheQuoted + command + Msg::CheckBadAttributeName + attribute + "\"" +
                                        (attribute != TrimBlanks(attribute) ? Msg::CheckSpaceAroundEquals : ""));
            }
        }
    }

    void CheckFormat()
    {
        const Section* format = FindSection("FORMAT");
        if (!format)
            return;
        for (const Entry& entry : format->entries) {
            std::string number = entry.value.substr(0, entry.value.find(','));
            if (!ParseInteger(number))
                Add(entry.line, Msg::CheckBadFormat + entry.value + Msg::CheckBadFormatEnd);
            else if (!IsXmlName(entry.key))
                Add(entry.line, Msg::CheckFormatKey + entry.key + Msg::CheckFormatKeyNotName, true);
        }
    }

    void CheckConstantTexts()
    {
        bool any = false;
        for (const Section& section : sections_) {
            if (IsSection(section, "MAIN") || IsSection(section, "MAPPING") || IsSection(section, "FORMAT"))
                continue;
            any = true;
            if (!Find(section, "Line0") || Find(section, "Line0")->value.empty()) {
                Add(section.line, Msg::ConstantTextName + section.name + Msg::CheckNoLine0);
                continue;
            }
            // The lines are read up to the first missing or empty one.
            int n = 0;
            while (const Entry* entry = Find(section, "Line" + std::to_string(n))) {
                if (entry->value.empty())
                    break;
                ++n;
            }
            for (const Entry& entry : section.entries) {
                std::string upper = UpperAscii(entry.key);
                std::optional<int> index = upper.starts_with("LINE") ? ParseInteger(upper.substr(4)) : std::nullopt;
                if (!index)
                    Add(entry.line, Msg::CheckThe + entry.key + Msg::CheckNotLineN, true);
                else if (*index >= n)
                    Add(entry.line, Msg::CheckThe + entry.key + Msg::CheckLineSkipped + std::to_string(n) +
                                        Msg::CheckLineSkippedEnd);
            }
        }
        if (usesConstantText_ && !any)
            Add(constantLine_, Msg::CheckNoConstantText);
    }

    std::string dataFolder_;
    std::vector<Section> sections_;
    std::vector<TCheckFinding> findings_;
    std::vector<std::string> columns_;
    int colsLine_ = 0;
    bool usesConstantText_ = false;
    int constantLine_ = 0;
};

// A file the reader cannot take as text: NUL bytes mean UTF-16 or UTF-32 without a
// byte order mark, or no text at all. Returns the line of the first such byte.
int BinaryLine(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return 0;
    size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos)
        return 0;
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(nul), '\n'));
}

}  // namespace

std::vector<TCheckFinding> CheckExportControl(std::string_view bytes, const std::string& dataFolder)
{
    if (int line = BinaryLine(bytes))
        return {{line, Msg::CheckNotText}};
    return Checker(DecodeTextFile(bytes), dataFolder).Run();
}
