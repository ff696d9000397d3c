#include "common/atomicfile.h"

#include "common/messages.h"
#include "common/pathtext.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Symbolic links followed to the file they name, which need not exist yet.
fs::path FollowLinks(fs::path path)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;
        fs::path next = fs::read_symlink(path, error);
        if (error)
            return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    throw AtomicFileError(Msg::FileNotWritable + Utf8FromPath(path) + Msg::TooManyLinks);
}

std::string UniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
#ifdef _WIN32
    const unsigned long long process = GetCurrentProcessId();
#else
    const unsigned long long process = static_cast<unsigned long long>(::getpid());
#endif
    return std::to_string(process) + "-" + std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ull) +
           "-" + std::to_string(counter++);
}

// Creates a new file, never opening one that exists. Only the owner may read it until
// Commit gives it its final rights.
bool CreateNew(const fs::path& path, int& error)
{
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"wbx");
    error = file ? 0 : errno;
    if (file)
        std::fclose(file);
    return file != nullptr;
#else
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    error = fd < 0 ? errno : 0;
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
#endif
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

FilePtr OpenForWriting(const fs::path& path)
{
#ifdef _WIN32
    return FilePtr(_wfopen(path.c_str(), L"wb"));
#else
    return FilePtr(std::fopen(path.c_str(), "wb"));
#endif
}

// The rights a file created now would get (read and write for all, less the umask).
fs::perms NewFileRights()
{
#ifdef _WIN32
    return fs::perms::owner_read | fs::perms::owner_write;
#else
    mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<fs::perms>(0666 & ~mask);
#endif
}

}  // namespace

AtomicFile::AtomicFile(const fs::path& path)
    : given_(path)
{
    if (path.filename().empty())
        Fail(Msg::NoFileName);
    target_ = FollowLinks(path);
    const fs::path folder = target_.parent_path().empty() ? fs::path(".") : target_.parent_path();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        Fail(Msg::NoSuchFolder + Utf8FromPath(folder));
    fs::file_status status = fs::status(target_, error);
    if (fs::is_directory(status))
        Fail(Msg::FolderOfThatName);
    if (fs::exists(status)) {
        constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        bool writable = (status.permissions() & anyWrite) != fs::perms::none;
#ifndef _WIN32
        writable = writable && ::access(target_.c_str(), W_OK) == 0;
#endif
        if (!writable)
            throw AtomicFileError(Msg::FileReadOnly + Utf8FromPath(given_));
    }

    int createError = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path name(".");
        name += target_.filename();
        name += ".korvex-" + UniqueSuffix() + ".tmp";
        if (CreateNew(folder / name, createError)) {
            temp_ = folder / name;
            return;
        }
        if (createError != EEXIST)
            break;
    }
    Fail(std::string(Msg::TempFileNotCreated) + std::strerror(createError));
}

AtomicFile::~AtomicFile()
{
    if (!temp_.empty()) {
        std::error_code ignored;
        fs::remove(temp_, ignored);
    }
}

void AtomicFile::Fail(const std::string& reason) const
{
    throw AtomicFileError(Msg::FileNotWritable + Utf8FromPath(given_) + " (" + reason + ")");
}

void AtomicFile::Write(std::string_view bytes)
{
    FilePtr file = OpenForWriting(temp_);
    if (!file)
        Fail(Msg::TempFileNotOpened);
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    written = std::fclose(file.release()) == 0 && written;
    if (!written)
        Fail(Msg::WriteFailed);
}

void AtomicFile::Commit()
{
    std::error_code error;
    fs::file_status old = fs::status(target_, error);
    const bool replacing = !error && fs::exists(old);
    fs::permissions(temp_, replacing ? old.permissions() & fs::perms::mask : NewFileRights(), error);
    if (error)
        Fail(Msg::PermissionsNotSet + error.message());
#ifndef _WIN32
    struct stat owner {};
    if (replacing && ::stat(target_.c_str(), &owner) == 0) {
        // Only a privileged process may give a file away; others keep their own.
        if (::chown(temp_.c_str(), owner.st_uid, owner.st_gid) != 0)
            (void)!::chown(temp_.c_str(), static_cast<uid_t>(-1), owner.st_gid);
    }
    fs::rename(temp_, target_, error);
    if (error)
        Fail(error.message());
#else
    // Windows keeps no owner or group to carry over; the read-only bit is all that
    // fs::permissions sets there, and a read-only file was refused already. The rename
    // replaces the file in one step and reaches the disk before it returns.
    if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(std::error_code(static_cast<int>(GetLastError()), std::system_category()).message());
#endif
    temp_.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile file(PathFromUtf8(path));
    file.Write(bytes);
    file.Commit();
}
