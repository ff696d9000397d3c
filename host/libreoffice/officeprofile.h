#pragma once

// The user profile a private headless LibreOffice starts with. A brand-new profile
// makes the office do its first-start work on every start (above all a graphics
// self-test that takes seconds and most of its memory); a profile that names the
// installed version as the last one used skips it. So a profile is made once per user
// and office installation, kept in the user's cache folder, and copied for each start.
//
// Plain file work here; starting the office that fills a new profile is
// OfficeProcess's (see OfficeProcess::Options::cachedProfile).

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The version an office installation calls itself in its settings ("7.4"): the
// setting ooSetupVersion of share/registry/main.xcd beside the program's folder
// (symbolic links followed). "" when it cannot be found.
std::string InstalledOfficeVersion(const std::filesystem::path& program);

// The text of a profile's registrymodifications.xcu: no lock files (an office that
// has to be killed leaves no ".~lock.<name>#" beside the user's workbooks) and, when
// version is not empty, that version as the last one used.
std::string ProfileSettingsText(std::string_view version);

// Writes ProfileSettingsText into <profile>/user/registrymodifications.xcu, creating
// the folders. Throws HostError when it cannot.
void WriteProfileSettings(const std::filesystem::path& profile, std::string_view version);

// Whether a profile's settings name version as the last one used.
bool ProfileNamesVersion(const std::filesystem::path& profile, std::string_view version);

// Where profiles are kept: $KORVEX_PROFILE_CACHE, else $XDG_CACHE_HOME/korvex, else
// $HOME/.cache/korvex. Empty when none of them is set.
std::filesystem::path ProfileCacheFolder();

// The name of the cached profile of one installation: "libreoffice-<version>-<hash of
// the program's real path>", so that two installations never share one.
std::string CachedProfileName(const std::filesystem::path& program, std::string_view version);

// The cached profile for an installation, made when it is missing: make fills the
// empty folder it is given (it starts the office once), which then takes the final
// name by a rename, so a half-made profile is never seen and two processes making one
// at the same time both end up with a whole one. Returns "" when there is no cache
// folder or the profile cannot be made (the caller starts with a fresh profile then);
// never throws.
std::filesystem::path CachedProfile(const std::filesystem::path& program, std::string_view version,
                                    const std::function<void(const std::filesystem::path&)>& make);

// Copies a cached profile into target (which must not exist yet), leaving out what
// belongs to one running office (its lock file, temporary files and backups).
void CopyProfile(const std::filesystem::path& cached, const std::filesystem::path& target);
