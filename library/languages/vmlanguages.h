#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TListHeaderFormat;

// A language's entry for one component of a window: property names (or paths such as
// "Columns.item.Caption") with their values, written by the window translation.
class TLanguageFormItem {
public:
    std::string Name;
    std::string Type;  // a class name such as "TButton"
    std::vector<std::string> PropertyNames;
    std::vector<std::string> PropertyValues;  // one per name
};

// A language's entry for one window: the window's own properties and its components'.
class TLanguageForm {
public:
    std::string Name;
    std::vector<std::string> PropertyNames;
    std::vector<std::string> PropertyValues;  // one per name
    std::vector<TLanguageFormItem> Items;
};

// Translated title lines for one header format. A position's low byte is a column ID, its
// high byte (signed) the title line.
class TLanguageTitle {
public:
    std::string Name;
    std::vector<int16_t> Positions;
    std::vector<std::string> Texts;  // one per position

    void Apply(TListHeaderFormat& format) const;
};

// A window as the translation sees it: the component name its entry is found by, and the
// writing of an entry into it. The widgets layer adapts its windows to this, which keeps
// the store itself free of any window code.
class TLanguageWindow {
public:
    virtual ~TLanguageWindow() = default;
    virtual std::string WindowName() const = 0;
    virtual void ApplyEntry(const TLanguageForm& entry, int32_t charset) = 0;
};

// One language: texts by key, window entries and header title entries.
class TLanguage {
public:
    // Identifying data for language-file readers; no lookup reads it.
    std::string Id;
    int32_t IdNumber = 0;
    int32_t DbId = 0;

    int32_t Charset = -1;      // font character set for translated windows; -1 keeps fonts
    int16_t FormsEnabled = 1;  // 0: window entries are never applied
    std::vector<TLanguageForm> Forms;
    std::map<std::string, std::string, std::less<>> Strings;  // exact, case-sensitive keys
    std::vector<TLanguageTitle> Titles;

    // The text for key, or the empty text.
    std::string FindString(std::string_view key) const;
    // Replaces every #key# in s by the key's text; "\#" keeps a literal "#".
    std::string ExpandPlaceholders(std::string_view s) const;

    // The entry for a window name: the exact name first, then the name without a trailing
    // "_<digits>" (Options_12 -> Options). nullptr when none, or when FormsEnabled is 0.
    const TLanguageForm* FindForm(std::string_view windowName) const;
    void TranslateForm(TLanguageWindow& form) const;

    // Applies the first title entry named name; nothing when there is none.
    void TranslateTitle(TListHeaderFormat& format, std::string_view name) const;
};

// The store of translated texts. Every lookup answers the empty text (or changes nothing)
// when it has nothing to offer, so callers keep their own Hungarian text as a default.
class TVmLanguages {
public:
    TVmLanguages();
    ~TVmLanguages();
    TVmLanguages(const TVmLanguages&) = delete;
    TVmLanguages& operator=(const TVmLanguages&) = delete;

    std::vector<std::unique_ptr<TLanguage>> Languages;
    TLanguage* InterfaceLanguage = nullptr;  // not owned; windows always use this one
    TLanguage* TextLanguage = nullptr;       // not owned
    bool UseTextLanguage = false;

    // The language that texts and titles come from; no fallback between the two.
    TLanguage* SelectedLanguage() const;

    std::string GetText(std::string_view key) const;
    // The program's string resource numbered ident with its #key# placeholders expanded.
    std::string GetResourceText(int32_t ident) const;
    void TranslateForm(TLanguageWindow& form) const;
    void TranslateTitle(TListHeaderFormat& format, std::string_view name) const;

    // For language-file readers: adds a language and answers where it is kept.
    TLanguage& AddLanguage(TLanguage language);
    // Forgets every language and both selections.
    void Clear();
};

// The program's string table entry numbered ident; the empty text when there is none.
// This program carries no string table.
std::string LoadStringResource(int32_t ident);

// The one store of the program.
extern TVmLanguages LanguageStore;
// Points to LanguageStore once it is built; null before that and after it is gone.
extern TVmLanguages* LanguageStoreInstance;
