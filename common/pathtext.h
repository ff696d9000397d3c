#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Texts are UTF-8 everywhere in the program; a path is made from them and turned back
// the same way on every platform (a plain std::string would take the Windows code page).
inline std::filesystem::path PathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
