#include "common/atomicfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        do
            root = fs::temp_directory_path() / ("korvex-atomic-" + std::to_string(random()));
        while (!fs::create_directory(root));
        fs::create_directory(root / "out");
        fs::create_directory(root / "elsewhere");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(root / "out", fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root, ignored);
    }

    static void Put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    static std::string Read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static fs::perms Rights(const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; }
    static std::vector<std::string> Entries(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root;
};

// What a replaced file keeps: its permission bits, whatever they are.
struct RightsCase {
    fs::perms mode;
};

void PrintTo(const RightsCase& c, std::ostream* out)
{
    *out << "mode 0" << std::oct << static_cast<unsigned>(c.mode) << std::dec;
}

class KeptRightsTest : public AtomicFileTest, public ::testing::WithParamInterface<RightsCase> {};

TEST_P(KeptRightsTest, TheReplacedFileKeepsItsRights)
{
    const fs::path file = root / "out" / "a.xml";
    Put(file, "old");
    fs::permissions(file, GetParam().mode);
    WriteFileAtomically(file.string(), "new");
    EXPECT_EQ(Read(file), "new");
    EXPECT_EQ(Rights(file), GetParam().mode);
    EXPECT_EQ(Entries(root / "out"), std::vector<std::string>{"a.xml"});
}

#ifdef _WIN32
// Windows keeps only a read-only mark (a writable file shows as 0666).
INSTANTIATE_TEST_SUITE_P(Modes, KeptRightsTest, ::testing::Values(fs::perms(0666)));
#else
INSTANTIATE_TEST_SUITE_P(Modes, KeptRightsTest,
                         ::testing::Values(RightsCase{fs::perms(0600)}, RightsCase{fs::perms(0640)},
                                           RightsCase{fs::perms(0660)}, RightsCase{fs::perms(0755)},
                                           RightsCase{fs::perms(0200)}));

TEST_F(AtomicFileTest, ANewFileGetsTheRightsOfNewFiles)
{
    mode_t mask = ::umask(027);
    WriteFileAtomically((root / "out" / "new.xml").string(), "x");
    ::umask(mask);
    EXPECT_EQ(Rights(root / "out" / "new.xml"), fs::perms(0640));
}

// A symbolic link is written through: the link stays, its target gets the content
// (and keeps its rights), the temporary file lives beside the target.
struct LinkCase {
    const char* name;
    bool relative;
    bool targetExists;
};

void PrintTo(const LinkCase& c, std::ostream* out)
{
    *out << c.name;
}

class LinkTest : public AtomicFileTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkTest, WritesThroughTheLinkToItsTarget)
{
    const LinkCase& c = GetParam();
    const fs::path target = root / "elsewhere" / "real.xml";
    const fs::path link = root / "out" / "a.xml";
    if (c.targetExists) {
        Put(target, "old");
        fs::permissions(target, fs::perms(0600));
    }
    fs::create_symlink(c.relative ? fs::path("../elsewhere/real.xml") : target, link);

    AtomicFile file(link);
    EXPECT_EQ(file.Target().lexically_normal(), target);
    EXPECT_EQ(file.TempPath().parent_path().lexically_normal(), root / "elsewhere");
    file.Write("new");
    file.Commit();

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target), "new");
    if (c.targetExists) {
        EXPECT_EQ(Rights(target), fs::perms(0600));
    }
    EXPECT_EQ(Entries(root / "elsewhere"), std::vector<std::string>{"real.xml"});
    EXPECT_EQ(Entries(root / "out"), std::vector<std::string>{"a.xml"});
}

INSTANTIATE_TEST_SUITE_P(Links, LinkTest,
                         ::testing::Values(LinkCase{"Absolute", false, true}, LinkCase{"Relative", true, true},
                                           LinkCase{"Dangling", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

// Refusals: the old file stays as it was and nothing is left behind.
struct RefusalCase {
    const char* name;
    const char* path;       // below root
    const char* expected;   // part of the message
};

void PrintTo(const RefusalCase& c, std::ostream* out)
{
    *out << c.name;
}

class RefusalTest : public AtomicFileTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, RefusesAndLeavesEverythingAsItWas)
{
    const RefusalCase& c = GetParam();
    Put(root / "out" / "readonly.xml", "old");
    fs::permissions(root / "out" / "readonly.xml", fs::perms(0444));
    fs::create_directory(root / "out" / "folder.xml");
#ifndef _WIN32
    fs::create_symlink(root / "out" / "readonly.xml", root / "out" / "link.xml");
#endif
    const std::vector<std::string> before = Entries(root / "out");

    const std::string path = (root / c.path).string();
    try {
        WriteFileAtomically(path, "new");
        FAIL() << "no refusal";
    } catch (const AtomicFileError& error) {
        EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
    EXPECT_EQ(Read(root / "out" / "readonly.xml"), "old");
    EXPECT_EQ(Entries(root / "out"), before);
}

const RefusalCase Refusals[] = {
    {"ReadOnlyFile", "out/readonly.xml", "írásvédett"},
#ifndef _WIN32
    {"LinkToAReadOnlyFile", "out/link.xml", "írásvédett"},
#endif
    {"AFolderInItsPlace", "out/folder.xml", "mappa"},
    {"AMissingFolder", "out/missing/a.xml", "nem létezik"},
};

INSTANTIATE_TEST_SUITE_P(Cases, RefusalTest, ::testing::ValuesIn(Refusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AtomicFileTest, WithoutCommitTheOldFileStaysAndTheTemporaryFileGoes)
{
    const fs::path file = root / "out" / "a.xml";
    Put(file, "old");
    {
        AtomicFile pending(file);
        pending.Write("half");
        EXPECT_TRUE(fs::exists(pending.TempPath()));
    }
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(Entries(root / "out"), std::vector<std::string>{"a.xml"});
}

#ifndef _WIN32
TEST_F(AtomicFileTest, TheOwnerIsKeptWhereTheProcessMaySetIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only a privileged process may give a file to another user";
    const fs::path file = root / "out" / "a.xml";
    Put(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    WriteFileAtomically(file.string(), "new");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
}
#endif

}  // namespace
