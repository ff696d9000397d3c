#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A read-only INI file as the control files need it: "[section]" headers, "key=value"
// lines, ";" comment lines. Section and key names are compared without regard to
// letter case, names and values lose their surrounding blanks. A repeated section
// continues the first one; of a repeated key the first value wins. The file may be UTF-8 (with or without a byte order
// mark), UTF-16 with a byte order mark, or Windows-1250; all texts are given as UTF-8.
class TIniFile {
public:
    // Reads the whole file; a missing file reads as an empty one. A file that exists
    // but cannot be read throws std::runtime_error.
    explicit TIniFile(const std::string& path);
    // The same for the raw bytes of a file.
    static TIniFile FromBytes(std::string_view bytes);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The keys of a section in file order (each once); empty for a missing section.
    std::vector<std::string> ReadSection(std::string_view section) const;

private:
    TIniFile() = default;
    void Parse(std::string_view text);

    struct Entry {
        std::string key;     // as written
        std::string folded;  // for lookup
        std::string value;
    };
    // The indexes keep a hostile file with very many sections or keys linear to read.
    struct Section {
        std::string folded;
        std::vector<Entry> entries;
        std::unordered_map<std::string, size_t> index;  // folded key -> entry
    };
    const Section* Find(std::string_view section) const;

    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> section
};

// One line of an INI text as the reader takes it apart.
struct TIniLine {
    enum class Kind {
        Skipped,   // empty or a ";" comment
        Section,   // "[name]"; closed tells whether the "]" is there
        Entry,     // "key=value"; the key may be empty
        Other,     // anything else: no "=" outside a section header
    };
    Kind kind = Kind::Skipped;
    int number = 0;           // 1-based line number
    std::string_view name;    // the section's name or the entry's key, blanks trimmed
    std::string_view value;   // the entry's value, blanks trimmed
    bool closed = true;
};
// Takes the next line off the front of text (which must not be empty).
TIniLine NextIniLine(std::string_view& text, int number);

// Lower-case form of a UTF-8 text for comparisons that ignore letter case (ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic letters).
std::string FoldCase(std::string_view text);
// The text without characters up to and including the space at both ends.
std::string_view TrimBlanks(std::string_view text);
