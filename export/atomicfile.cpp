#include "export/atomicfile.h"

#include "common/pathtext.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

// Removes the temporary file unless the rename has taken it over.
class TempFile {
public:
    explicit TempFile(fs::path path) : path_(std::move(path)) {}
    ~TempFile()
    {
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const fs::path& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    fs::path path_;
};

std::string UniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ull) + "-" +
           std::to_string(counter++);
}

// Creates a new file exclusively ("x": never opens a file that exists already).
FilePtr CreateNew(const fs::path& path)
{
#ifdef _WIN32
    return FilePtr(_wfopen(path.c_str(), L"wbx"));
#else
    return FilePtr(std::fopen(path.c_str(), "wbx"));
#endif
}

[[noreturn]] void Fail(const std::string& path, const std::string& reason)
{
    throw std::runtime_error("A fájl nem írható: " + path + " (" + reason + ")");
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    const fs::path target = PathFromUtf8(path);
    if (target.filename().empty())
        Fail(path, "nincs fájlnév");

    FilePtr file;
    std::unique_ptr<TempFile> temp;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        fs::path tempName(".");
        tempName += target.filename();
        tempName += "." + UniqueSuffix() + ".tmp";
        errno = 0;
        file = CreateNew(target.parent_path() / tempName);
        if (file)
            temp = std::make_unique<TempFile>(target.parent_path() / tempName);
        else if (errno != EEXIST)
            break;
    }
    if (!file)
        Fail(path, "az ideiglenes fájl nem hozható létre");

    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    written = std::fclose(file.release()) == 0 && written;
    if (!written)
        Fail(path, "írási hiba");

    std::error_code error;
    fs::rename(temp->Path(), target, error);
    if (error)
        Fail(path, error.message());
    temp->Release();
}
