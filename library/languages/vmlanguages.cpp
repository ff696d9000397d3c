#include "library/languages/vmlanguages.h"

#include "library/listheader/listheaderformat.h"

#include <algorithm>

TVmLanguages* LanguageStoreInstance = nullptr;
TVmLanguages LanguageStore;

namespace {

// Options_12 -> Options: drops a trailing "_" + digits; any other name stays as it is.
std::string_view FormBaseName(std::string_view name)
{
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    if (digits == name.size() || digits == 0 || name[digits - 1] != '_')
        return name;
    return name.substr(0, digits - 1);
}

const TLanguageForm* FindFormNamed(const std::vector<TLanguageForm>& forms, std::string_view name)
{
    const auto found = std::find_if(forms.begin(), forms.end(),
                                    [name](const TLanguageForm& form) { return form.Name == name; });
    return found == forms.end() ? nullptr : &*found;
}

} // namespace

std::string LoadStringResource(int32_t)
{
    return {};
}

// ---- TLanguageTitle

void TLanguageTitle::Apply(TListHeaderFormat& format) const
{
    const std::size_t entries = std::min(Positions.size(), Texts.size());
    const std::size_t columns = std::min<std::size_t>(std::max<int>(format.Count, 0), format.Columns.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const auto position = static_cast<uint16_t>(Positions[i]);
        const int columnId = position & 0xFF;
        const int line = static_cast<int8_t>(position >> 8);
        if (line < 0 || line >= format.Rows || line >= 2)
            continue;
        for (std::size_t c = 0; c < columns; ++c) {
            if (format.Columns[c].ID == columnId)
                format.Columns[c].Lines[line].Text = Texts[i];
        }
    }
}

// ---- TLanguage

std::string TLanguage::FindString(std::string_view key) const
{
    const auto found = Strings.find(key);
    return found == Strings.end() ? std::string() : found->second;
}

std::string TLanguage::ExpandPlaceholders(std::string_view s) const
{
    std::string result;
    for (;;) {
        const std::size_t hash = s.find('#');
        if (hash == std::string_view::npos)
            break;
        if (hash > 0 && s[hash - 1] == '\\') {
            result.append(s.substr(0, hash - 1));
            result += '#';
            s.remove_prefix(hash + 1);
            continue;
        }
        result.append(s.substr(0, hash));
        s.remove_prefix(hash + 1);
        const std::size_t close = s.find('#');
        if (close == std::string_view::npos)
            continue;  // an unmatched "#" just disappears
        result += FindString(s.substr(0, close));
        s.remove_prefix(close + 1);
    }
    result.append(s);
    return result;
}

const TLanguageForm* TLanguage::FindForm(std::string_view windowName) const
{
    if (FormsEnabled == 0)
        return nullptr;
    if (const TLanguageForm* form = FindFormNamed(Forms, windowName))
        return form;
    const std::string_view base = FormBaseName(windowName);
    return base == windowName ? nullptr : FindFormNamed(Forms, base);
}

void TLanguage::TranslateForm(TLanguageWindow& form) const
{
    if (const TLanguageForm* entry = FindForm(form.WindowName()))
        form.ApplyEntry(*entry, Charset);
}

void TLanguage::TranslateTitle(TListHeaderFormat& format, std::string_view name) const
{
    const auto found = std::find_if(Titles.begin(), Titles.end(),
                                    [name](const TLanguageTitle& title) { return title.Name == name; });
    if (found != Titles.end())
        found->Apply(format);
}

// ---- TVmLanguages

TVmLanguages::TVmLanguages()
{
    LanguageStoreInstance = this;
}

TVmLanguages::~TVmLanguages()
{
    // Whoever asks after the store is gone finds no store rather than a dangling one.
    if (LanguageStoreInstance == this)
        LanguageStoreInstance = nullptr;
}

TLanguage* TVmLanguages::SelectedLanguage() const
{
    return UseTextLanguage ? TextLanguage : InterfaceLanguage;
}

std::string TVmLanguages::GetText(std::string_view key) const
{
    const TLanguage* language = SelectedLanguage();
    return language ? language->FindString(key) : std::string();
}

std::string TVmLanguages::GetResourceText(int32_t ident) const
{
    std::string text = LoadStringResource(ident);
    const TLanguage* language = SelectedLanguage();
    return language ? language->ExpandPlaceholders(text) : text;
}

void TVmLanguages::TranslateForm(TLanguageWindow& form) const
{
    if (InterfaceLanguage)
        InterfaceLanguage->TranslateForm(form);
}

void TVmLanguages::TranslateTitle(TListHeaderFormat& format, std::string_view name) const
{
    if (const TLanguage* language = SelectedLanguage())
        language->TranslateTitle(format, name);
}

TLanguage& TVmLanguages::AddLanguage(TLanguage language)
{
    Languages.push_back(std::make_unique<TLanguage>(std::move(language)));
    return *Languages.back();
}

void TVmLanguages::Clear()
{
    InterfaceLanguage = nullptr;
    TextLanguage = nullptr;
    UseTextLanguage = false;
    Languages.clear();
}
