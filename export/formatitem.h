#pragma once

#include <cstdint>
#include <string>

// The layout of one element in the finished text: line breaks with tabs before its
// opening tags and, for an indent of 0 or below, around its closing tags.
class TFormatItem {
public:
    // value: integer [ "," text ]. Throws std::invalid_argument when the number is not
    // a decimal integer; a number beyond 16 bits wraps.
    TFormatItem(std::string key, const std::string& value);

    std::string Apply(const std::string& text) const;

    std::string Tag;
    std::int16_t Indent = 0;
    std::string AfterClose;

    // The same as Apply, by its plain definition: opening tags first, then closing
    // tags in the result. Apply takes this way for a tag whose markers can overlap.
    std::string ApplyInTwoPasses(const std::string& text) const;

private:
    // A line feed and the indent's tabs.
    std::string LineBreak() const;
    // What a text grown too large by this entry is blamed on.
    std::string SizeCause() const;
};
