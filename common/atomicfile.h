#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

// A file that cannot be written or replaced; the message (Hungarian) names it.
class AtomicFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces a file all at once. The new content goes into a temporary file in the folder
// of the file that is finally replaced, which then takes its place by one rename, so a
// reader sees the old file or the new one, never a part.
//
// - A symbolic link is followed: its target gets the new content, the link stays.
// - The replaced file's permission bits (and owner and group, where the process may set
//   them) carry over; a new file gets the usual rights for new files.
// - A file that is read-only (no write permission bit, or not writable by this user) is
//   refused, as are a folder in the file's place and a missing folder.
// Until Commit the temporary file is removed again however the object ends, and the old
// file is left as it was.
class AtomicFile {
public:
    // Settles where the content goes and creates the empty temporary file beside it.
    explicit AtomicFile(const std::filesystem::path& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The file that Commit replaces (the path given, with symbolic links followed).
    const std::filesystem::path& Target() const { return target_; }
    // Where the content goes first; another program may write it (the temporary file
    // exists, empty, and may be replaced).
    const std::filesystem::path& TempPath() const { return temp_; }

    // Writes bytes into the temporary file (all of it, replacing what it held).
    void Write(std::string_view bytes);
    // Gives the temporary file the replaced file's rights and renames it over Target.
    void Commit();

private:
    [[noreturn]] void Fail(const std::string& reason) const;

    std::filesystem::path given_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
};

// Writes bytes to path through an AtomicFile. AtomicFileError on failure.
void WriteFileAtomically(const std::string& path, std::string_view bytes);
