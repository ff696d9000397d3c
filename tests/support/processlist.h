#pragma once

// The processes of this machine whose command line mentions a text: tests look for the
// offices they started (or that must be gone) by a folder or pipe name they passed.

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace testprocesses {

// The command line of a process, its arguments joined by spaces; empty for a zombie or
// a process that has just ended (reading /proc then fails, which is no error here).
inline std::string CommandLine(const std::filesystem::path& processFolder)
{
    std::string command;
    int file = ::open((processFolder / "cmdline").c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return command;
    char buffer[4096];
    for (ssize_t got; (got = ::read(file, buffer, sizeof buffer)) > 0;)
        command.append(buffer, static_cast<size_t>(got));
    ::close(file);
    for (char& c : command)
        if (c == '\0')
            c = ' ';
    return command;
}

inline std::vector<pid_t> ProcessesMentioning(const std::string& text)
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (CommandLine(entry.path()).find(text) != std::string::npos)
            found.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

}  // namespace testprocesses
