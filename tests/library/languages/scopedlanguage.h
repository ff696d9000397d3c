#pragma once

#include "library/languages/vmlanguages.h"

#include <initializer_list>
#include <string>
#include <utility>

// Gives the global store one language with the given texts for as long as it lives, as
// its interface language, and leaves the store empty again afterwards.
class ScopedLanguage {
public:
    explicit ScopedLanguage(std::initializer_list<std::pair<const std::string, std::string>> strings = {})
        : language_(LanguageStore.AddLanguage({}))
    {
        language_.Strings.insert(strings.begin(), strings.end());
        LanguageStore.InterfaceLanguage = &language_;
    }
    ~ScopedLanguage() { LanguageStore.Clear(); }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

    TLanguage& Language() const { return language_; }

private:
    TLanguage& language_;
};
