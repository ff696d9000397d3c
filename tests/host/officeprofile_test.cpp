// The profile a private office starts with: the installed version read from the
// installation, the settings written into it, and the cached profile made once and
// copied for every start. With an office installed, two real starts share one cache.

#include "host/libreoffice/officeprofile.h"

#ifdef KORVEX_HAVE_UNO
#include "host/libreoffice/officeprocess.h"
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class OfficeProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("korvex-profile-test-" + std::to_string(std::random_device()()));
        fs::create_directories(root);
        const char* old = std::getenv("KORVEX_PROFILE_CACHE");
        oldCache = old ? old : "";
        hadCache = old != nullptr;
        ::setenv("KORVEX_PROFILE_CACHE", (root / "cache").c_str(), 1);
    }
    void TearDown() override
    {
        if (hadCache)
            ::setenv("KORVEX_PROFILE_CACHE", oldCache.c_str(), 1);
        else
            ::unsetenv("KORVEX_PROFILE_CACHE");
        fs::remove_all(root);
    }

    // A made profile as an office leaves it: settings naming the version, and files.
    static void FillLikeAnOffice(const fs::path& folder, const std::string& version)
    {
        WriteProfileSettings(folder, version);
        Write(folder / "user" / "config" / "a.xml", "<a/>");
        Write(folder / "user" / "extensions" / "x" / "b.rdb", "b");
    }

    fs::path root;
    std::string oldCache;
    bool hadCache = false;
};

TEST_F(OfficeProfileTest, VersionComesFromTheInstallationsSettings)
{
    // program/soffice reached through a link, beside share/registry/main.xcd.
    Write(root / "office" / "program" / "soffice", "#!/bin/sh\n");
    Write(root / "office" / "share" / "registry" / "main.xcd",
          "<oor:data><prop oor:name=\"ooSetupVersion\" oor:type=\"xs:string\"><value/></prop>"
          "<prop oor:name=\"ooSetupVersion\">\n   <value>7.4</value>\n </prop>"
          "<prop oor:name=\"ooSetupVersionAboutBox\"><value>7.4.7.2</value></prop></oor:data>");
    fs::create_directories(root / "bin");
    fs::create_symlink(root / "office" / "program" / "soffice", root / "bin" / "soffice");
    EXPECT_EQ(InstalledOfficeVersion(root / "bin" / "soffice"), "7.4");

    // No settings, or a value that is not a version: none.
    fs::remove(root / "office" / "share" / "registry" / "main.xcd");
    EXPECT_EQ(InstalledOfficeVersion(root / "bin" / "soffice"), "");
    Write(root / "office" / "share" / ".registry" / "main.xcd",
          "<prop oor:name=\"ooSetupVersion\"><value>7\"/><x a=\"</value></prop>");
    EXPECT_EQ(InstalledOfficeVersion(root / "bin" / "soffice"), "");
    EXPECT_EQ(InstalledOfficeVersion(root / "missing"), "");
}

TEST_F(OfficeProfileTest, SettingsNameTheVersionAndTurnOffLocking)
{
    WriteProfileSettings(root / "p", "7.4");
    const std::string settings = Read(root / "p" / "user" / "registrymodifications.xcu");
    EXPECT_NE(settings.find("<prop oor:name=\"UseLocking\" oor:op=\"fuse\"><value>false</value>"), std::string::npos);
    EXPECT_TRUE(ProfileNamesVersion(root / "p", "7.4"));
    EXPECT_FALSE(ProfileNamesVersion(root / "p", "7.5"));
    EXPECT_FALSE(ProfileNamesVersion(root / "p", "7"));

    // Without a version only the locking setting is written.
    WriteProfileSettings(root / "q", "");
    EXPECT_EQ(Read(root / "q" / "user" / "registrymodifications.xcu").find("ooSetupLastVersion"), std::string::npos);
    EXPECT_FALSE(ProfileNamesVersion(root / "q", ""));
}

TEST_F(OfficeProfileTest, AProfileIsMadeOnceAndReused)
{
    int made = 0;
    auto make = [&](const fs::path& folder) {
        ++made;
        FillLikeAnOffice(folder, "7.4");
    };
    const fs::path first = CachedProfile("/usr/bin/soffice", "7.4", make);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.parent_path(), root / "cache");
    EXPECT_EQ(first.filename().string().rfind("libreoffice-7.4-", 0), 0u) << first;
    EXPECT_EQ(CachedProfile("/usr/bin/soffice", "7.4", make), first);
    EXPECT_EQ(made, 1);
    // Another installation or version gets a profile of its own.
    EXPECT_NE(CachedProfile("/opt/office/program/soffice", "7.4", make), first);
    EXPECT_NE(CachedProfile("/usr/bin/soffice", "24.2", [&](const fs::path& folder) {
                  ++made;
                  FillLikeAnOffice(folder, "24.2");
              }),
              first);
    EXPECT_EQ(made, 3);
    EXPECT_EQ(Names(root / "cache").size(), 3u);
}

TEST_F(OfficeProfileTest, AFailedMakingLeavesNothingAndGivesNoProfile)
{
    const std::pair<const char*, std::function<void(const fs::path&)>> failures[] = {
        {"throws", [](const fs::path& folder) {
             FillLikeAnOffice(folder, "7.4");
             throw std::runtime_error("the office did not start");
         }},
        {"settings lost", [](const fs::path& folder) { FillLikeAnOffice(folder, "7.3"); }},
    };
    for (const auto& [what, make] : failures) {
        SCOPED_TRACE(what);
        EXPECT_EQ(CachedProfile("/usr/bin/soffice", "7.4", make), fs::path());
        EXPECT_TRUE(Names(root / "cache").empty());
    }
    // No version or no cache folder: nothing is made at all.
    bool called = false;
    EXPECT_EQ(CachedProfile("/usr/bin/soffice", "", [&](const fs::path&) { called = true; }), fs::path());
    ::setenv("KORVEX_PROFILE_CACHE", "", 1);
    ::unsetenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string oldHome = home ? home : "";
    ::unsetenv("HOME");
    EXPECT_EQ(ProfileCacheFolder(), fs::path());
    EXPECT_EQ(CachedProfile("/usr/bin/soffice", "7.4", [&](const fs::path&) { called = true; }), fs::path());
    if (home)
        ::setenv("HOME", oldHome.c_str(), 1);
    EXPECT_FALSE(called);
}

// Processes starting together each make a profile; one rename wins and every one of
// them uses the winner, whole.
TEST_F(OfficeProfileTest, ProfilesMadeAtTheSameTimeEndInOne)
{
    std::atomic<int> waiting{4};
    std::vector<fs::path> got(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            got[i] = CachedProfile("/usr/bin/soffice", "7.4", [&](const fs::path& folder) {
                FillLikeAnOffice(folder, "7.4");
                --waiting;
                while (waiting > 0)
                    std::this_thread::yield();
            });
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const fs::path& path : got) {
        EXPECT_EQ(path, got[0]);
        EXPECT_TRUE(ProfileNamesVersion(path, "7.4"));
    }
    EXPECT_EQ(Names(root / "cache"), std::set<std::string>{got[0].filename().string()});
}

TEST_F(OfficeProfileTest, ACopyLeavesOutWhatBelongsToOneOffice)
{
    FillLikeAnOffice(root / "cached", "7.4");
    Write(root / "cached" / "user" / ".lock", "host,pid");
    Write(root / "cached" / "user" / "temp" / "t", "t");
    Write(root / "cached" / "user" / "backup" / "b", "b");
    CopyProfile(root / "cached", root / "copy");
    EXPECT_EQ(Names(root / "copy" / "user"), (std::set<std::string>{"config", "extensions", "registrymodifications.xcu"}));
    EXPECT_EQ(Read(root / "copy" / "user" / "extensions" / "x" / "b.rdb"), "b");
    EXPECT_TRUE(ProfileNamesVersion(root / "copy", "7.4"));
}

#ifdef KORVEX_HAVE_UNO
// Two offices started one after the other: the first makes the cached profile, both
// start from copies of it, and neither leaves anything in it.
TEST_F(OfficeProfileTest, OfficesStartFromTheCachedProfile)
{
    if (OfficeProcess::FindOffice().empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const std::string version = InstalledOfficeVersion(OfficeProcess::FindOffice());
    if (version.empty())
        GTEST_SKIP() << "the installed office does not name its version";
    OfficeProcess::Options options;
    options.pipePrefix = "korvex-profile-test";
    for (int start = 0; start < 2; ++start) {
        OfficeProcess office(options);
        EXPECT_TRUE(ProfileNamesVersion(office.Folder() / "profile", version));
        EXPECT_TRUE(fs::is_directory(office.Folder() / "profile" / "user" / "config"));
        office.Stop();
        ASSERT_EQ(Names(root / "cache").size(), 1u);
    }
    const fs::path cached = root / "cache" / *Names(root / "cache").begin();
    EXPECT_FALSE(fs::exists(cached / "user" / ".lock"));
    EXPECT_TRUE(ProfileNamesVersion(cached, version));
}
#endif

}  // namespace
