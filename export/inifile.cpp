#include "export/inifile.h"

#include "common/messages.h"
#include "export/textcodec.h"
#include "common/pathtext.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace {

char32_t FoldChar(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c == 0x178)
        return 0xFF;
    // Latin Extended-A pairs capitals and small letters side by side, with the
    // parity changing at the few letters that have no pair.
    bool evenCapital = (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapital && c % 2 == 0) || (oddCapital && c % 2 == 1))
        return c + 1;
    return c;
}

std::string ReadFileBytes(const std::string& path)
{
    if (path.empty())
        return {};
    const std::filesystem::path file = PathFromUtf8(path);
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return {};
    std::ifstream stream(file, std::ios::binary);
    if (!stream || std::filesystem::is_directory(file, error))
        throw std::runtime_error(Msg::FileNotReadable + path);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad())
        throw std::runtime_error(Msg::FileNotReadable + path);
    return bytes;
}

}  // namespace

std::string FoldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size())
        AppendUtf8(out, FoldChar(NextCodePoint(text, pos)));
    return out;
}

std::string_view TrimBlanks(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

TIniFile::TIniFile(const std::string& path)
{
    Parse(DecodeTextFile(ReadFileBytes(path)));
}

TIniFile TIniFile::FromBytes(std::string_view bytes)
{
    TIniFile ini;
    ini.Parse(DecodeTextFile(bytes));
    return ini;
}

TIniLine NextIniLine(std::string_view& text, int number)
{
    size_t end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    TIniLine result;
    result.number = number;
    if (line.empty() || line.front() == ';')
        return result;
    if (line.front() == '[') {
        size_t close = line.find(']');
        result.kind = TIniLine::Kind::Section;
        result.closed = close != std::string_view::npos;
        result.name = TrimBlanks(line.substr(1, result.closed ? close - 1 : line.npos));
        return result;
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        result.kind = TIniLine::Kind::Other;
        return result;
    }
    result.kind = TIniLine::Kind::Entry;
    result.name = TrimBlanks(line.substr(0, equals));
    result.value = TrimBlanks(line.substr(equals + 1));
    return result;
}

void TIniFile::Parse(std::string_view text)
{
    Section* current = nullptr;
    for (int number = 1; !text.empty(); ++number) {
        const TIniLine line = NextIniLine(text, number);
        if (line.kind == TIniLine::Kind::Section) {
            std::string folded = FoldCase(line.name);
            auto [found, added] = sectionIndex_.try_emplace(folded, sections_.size());
            if (added)
                sections_.push_back(Section{std::move(folded), {}, {}});
            current = &sections_[found->second];
            continue;
        }
        if (line.kind != TIniLine::Kind::Entry || !current || line.name.empty())
            continue;
        std::string folded = FoldCase(line.name);
        if (current->index.try_emplace(folded, current->entries.size()).second)
            current->entries.push_back({std::string(line.name), std::move(folded), std::string(line.value)});
    }
}

const TIniFile::Section* TIniFile::Find(std::string_view section) const
{
    auto found = sectionIndex_.find(FoldCase(section));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    if (const Section* found = Find(section)) {
        auto entry = found->index.find(FoldCase(key));
        if (entry != found->index.end())
            return found->entries[entry->second].value;
    }
    return std::string(defaultValue);
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const Section* found = Find(section))
        for (const Entry& entry : found->entries)
            keys.push_back(entry.key);
    return keys;
}
