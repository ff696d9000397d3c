#include "host/libreoffice/officeprofile.h"

#include "common/messages.h"
#include "host/hostbackend.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const SettingsFile = "registrymodifications.xcu";
const char* const LastVersionPath = "/org.openoffice.Setup/Product";
const char* const LastVersionName = "ooSetupLastVersion";

std::string ReadWhole(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string_view SkipBlanks(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The value of the first <prop oor:name="name"> that carries one: <value>...</value>
// right after the opening tag, only white space between.
std::string PropValue(std::string_view xcd, std::string_view name)
{
    const std::string open = "<prop oor:name=\"" + std::string(name) + "\">";
    for (size_t at = xcd.find(open); at != std::string_view::npos; at = xcd.find(open, at + open.size())) {
        std::string_view rest = SkipBlanks(xcd.substr(at + open.size()));
        if (rest.substr(0, 7) != "<value>")
            continue;
        rest.remove_prefix(7);
        size_t end = rest.find("</value>");
        if (end != std::string_view::npos && end > 0 && end < 32)
            return std::string(rest.substr(0, end));
    }
    return {};
}

bool SafeVersion(std::string_view version)
{
    for (char c : version)
        if (!((c >= '0' && c <= '9') || c == '.'))
            return false;
    return !version.empty();
}

std::uint64_t Fnv1a(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

fs::path FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

// The parts of a profile that belong to one running office, not to the profile.
bool LeftOut(const fs::path& relative)
{
    const std::string first = relative.begin() == relative.end() ? "" : relative.begin()->string();
    if (first != "user")
        return false;
    auto second = std::next(relative.begin());
    if (second == relative.end())
        return false;
    const std::string name = second->string();
    return name == ".lock" || name == "temp" || name == "backup";
}

// Profiles whose making was cut short (the process was killed) and that nobody can
// be making any more.
void RemoveAbandoned(const fs::path& folder, const std::string& prefix)
{
    std::error_code error;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code ignored;
        if (name.rfind(prefix, 0) == 0 && entry.last_write_time(ignored) < old)
            fs::remove_all(entry.path(), ignored);
    }
}

}  // namespace

std::string InstalledOfficeVersion(const fs::path& program)
{
    std::error_code error;
    fs::path real = fs::canonical(program, error);
    if (error)
        return {};
    fs::path share = real.parent_path().parent_path() / "share";
    for (const char* folder : {"registry", ".registry"}) {
        std::string version = PropValue(ReadWhole(share / folder / "main.xcd"), "ooSetupVersion");
        if (SafeVersion(version))
            return version;
    }
    return {};
}

std::string ProfileSettingsText(std::string_view version)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                       "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                       "<item oor:path=\"/org.openoffice.Office.Common/Misc\">"
                       "<prop oor:name=\"UseLocking\" oor:op=\"fuse\"><value>false</value></prop></item>\n";
    if (SafeVersion(version))
        text += std::string("<item oor:path=\"") + LastVersionPath + "\"><prop oor:name=\"" + LastVersionName +
                "\" oor:op=\"fuse\"><value>" + std::string(version) + "</value></prop></item>\n";
    text += "</oor:items>\n";
    return text;
}

void WriteProfileSettings(const fs::path& profile, std::string_view version)
{
    std::error_code error;
    fs::create_directories(profile / "user", error);
    std::ofstream settings(profile / "user" / SettingsFile, std::ios::binary | std::ios::trunc);
    settings << ProfileSettingsText(version);
    settings.close();
    if (error || !settings)
        throw HostError(Msg::OfficeProfileNotWritable + profile.string());
}

bool ProfileNamesVersion(const fs::path& profile, std::string_view version)
{
    const std::string settings = ReadWhole(profile / "user" / SettingsFile);
    const std::string item = std::string("<item oor:path=\"") + LastVersionPath + "\"><prop oor:name=\"" +
                             LastVersionName + "\"";
    for (size_t at = settings.find(item); at != std::string::npos; at = settings.find(item, at + item.size())) {
        size_t value = settings.find("<value>", at);
        size_t end = settings.find("</item>", at);
        if (value != std::string::npos && value < end &&
            settings.compare(value + 7, version.size() + 8, std::string(version) + "</value>") == 0)
            return true;
    }
    return false;
}

fs::path ProfileCacheFolder()
{
    if (fs::path chosen = FromEnvironment("KORVEX_PROFILE_CACHE"); !chosen.empty())
        return chosen;
    if (fs::path cache = FromEnvironment("XDG_CACHE_HOME"); !cache.empty())
        return cache / "korvex";
    if (fs::path home = FromEnvironment("HOME"); !home.empty())
        return home / ".cache" / "korvex";
    return {};
}

std::string CachedProfileName(const fs::path& program, std::string_view version)
{
    std::error_code error;
    fs::path real = fs::canonical(program, error);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a((error ? program : real).string())));
    return "libreoffice-" + std::string(version.empty() ? "unknown" : version) + "-" + hash;
}

fs::path CachedProfile(const fs::path& program, std::string_view version,
                       const std::function<void(const fs::path&)>& make)
{
    const fs::path folder = ProfileCacheFolder();
    if (folder.empty() || version.empty())
        return {};
    const fs::path cached = folder / CachedProfileName(program, version);
    std::error_code error;
    if (fs::is_directory(cached / "user", error))
        return cached;

    fs::path building;
    try {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
        const std::string making = cached.filename().string() + ".making-";
        RemoveAbandoned(folder, making);
        std::string pattern = (folder / (making + "XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            return {};
        building = pattern;
        make(building);
        if (!ProfileNamesVersion(building, version))
            throw HostError("the office did not keep its settings");
        fs::rename(building, cached, error);  // fails when another process was first
        if (!error)
            return cached;
    } catch (...) {
        // No cached profile this time; a fresh one still works.
    }
    if (!building.empty())
        fs::remove_all(building, error);
    return fs::is_directory(cached / "user", error) ? cached : fs::path();
}

void CopyProfile(const fs::path& cached, const fs::path& target)
{
    fs::create_directories(target);
    for (auto entry = fs::recursive_directory_iterator(cached); entry != fs::recursive_directory_iterator(); ++entry) {
        const fs::path relative = entry->path().lexically_relative(cached);
        if (LeftOut(relative)) {
            if (entry->is_directory())
                entry.disable_recursion_pending();
            continue;
        }
        if (entry->is_symlink())
            continue;
        if (entry->is_directory())
            fs::create_directory(target / relative);
        else if (entry->is_regular_file())
            fs::copy_file(entry->path(), target / relative);
    }
}
