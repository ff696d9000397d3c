// The user guide shows real files: every <pre data-file="PATH"> block holds the text of
// that file of the repository (a tab drawn as an arrow, CR LF shown as a line break),
// and its command-line table names the options that --help names.

#include "shell/clioptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path Source = KORVEX_SOURCE_DIR;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The text a <pre> block shows, as a file would hold it (line ends aside).
std::string ShownText(std::string html)
{
    html = Replace(html, "<span class=\"tab\">→</span>", "\t");
    html = std::regex_replace(html, std::regex("<[^>]*>"), "");
    html = Replace(html, "&lt;", "<");
    html = Replace(html, "&gt;", ">");
    html = Replace(html, "&quot;", "\"");
    html = Replace(html, "&amp;", "&");
    if (!html.empty() && html.front() == '\n')  // HTML drops the line break after <pre>
        html.erase(0, 1);
    return html;
}

std::string WithoutTrailingLineEnd(std::string text)
{
    text = Replace(text, "\r\n", "\n");
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

const std::string& Guide()
{
    static const std::string text = ReadFile(Source / "docs" / "korvex-sugo.html");
    return text;
}

TEST(GuideTest, ShownFilesAreTheRepositorysFiles)
{
    static const std::regex block("<pre data-file=\"([^\"]+)\">([\\s\\S]*?)</pre>");
    std::set<std::string> shown;
    for (std::sregex_iterator it(Guide().begin(), Guide().end(), block), end; it != end; ++it) {
        const std::string file = (*it)[1].str();
        SCOPED_TRACE(file);
        shown.insert(file);
        ASSERT_TRUE(fs::is_regular_file(Source / file));
        EXPECT_EQ(WithoutTrailingLineEnd(ShownText((*it)[2].str())), WithoutTrailingLineEnd(ReadFile(Source / file)));
    }
    // The walkthrough, the worked examples and the control files they use.
    for (const char* file : {"examples/data/szamlak.ini", "examples/expected/szamlak-export.xml",
                             "examples/data/szemelyek.ini", "examples/data/termekek.ini",
                             "examples/expected/nyilvantartas.xml", "examples/data/XMLToExcel.xml",
                             "examples/szamlak.xml"})
        EXPECT_TRUE(shown.count(file)) << file << " is not shown";
}

// The options a text names: "--name" at the start of a table cell or of a line.
std::set<std::string> OptionsNamed(const std::string& text, const std::regex& pattern)
{
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        names.insert((*it)[1].str());
    return names;
}

TEST(GuideTest, TheCommandLineTableNamesTheOptionsOfHelp)
{
    const std::string help = CliHelpText;
    const std::set<std::string> inHelp = OptionsNamed(help, std::regex("(?:^|\\n)(--[a-z-]+)"));
    const size_t table = Guide().find("id=\"cli-kapcsolok\"");
    ASSERT_NE(table, std::string::npos);
    const std::string rows = Guide().substr(table, Guide().find("</table>", table) - table);
    EXPECT_EQ(OptionsNamed(rows, std::regex("<tr><td><code>(--[a-z-]+)")), inHelp);
}

}  // namespace
