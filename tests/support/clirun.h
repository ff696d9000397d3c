#pragma once

// Running korvex-cli (or any program) from a test: a scratch folder per test, and a run
// that collects standard output and error while it goes, so a test can act in the
// middle of it (send a signal, kill its office) and check what it printed.

#include "tests/support/wellformedxml.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace testcli {

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix)
    {
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A folder inside, created when missing.
    std::filesystem::path Folder(const std::string& name) const
    {
        std::filesystem::create_directories(path_ / name);
        return path_ / name;
    }
    // Copies a file into a folder inside; returns the copy.
    std::filesystem::path Copy(const std::filesystem::path& from, const std::string& toFolder) const
    {
        std::filesystem::path to = Folder(toFolder) / from.filename();
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        return to;
    }

private:
    std::filesystem::path path_;
};

// What a run left behind: the names in a folder, sorted, and a file's bytes ("" when
// it cannot be read).
inline std::vector<std::string> Entries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Run {
    pid_t pid = -1;
    int status = -1;  // the exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

struct RunOptions {
    std::filesystem::path tmp;                    // the run's TMPDIR, so its office's command line names it
    std::filesystem::path workingFolder;          // empty: the test's own
    std::vector<std::pair<std::string, std::string>> environment;  // set after KORVEX_* are cleared
    bool errorOnTerminal = false;                 // stderr a terminal: progress lines show there
};

// Runs program with args and returns when it has ended and both streams are closed.
// watch sees the run so far after every read.
inline Run RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options,
                      const std::function<void(const Run&)>& watch = {})
{
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int out[2];
    int err[2];
    bool streams = ::pipe2(out, O_CLOEXEC) == 0 &&
                   (options.errorOnTerminal ? ::openpty(&err[0], &err[1], nullptr, nullptr, nullptr) == 0
                                            : ::pipe2(err, O_CLOEXEC) == 0);
    if (!streams)
        throw std::runtime_error("no pipe or terminal for " + program);
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close_range(3, ~0U, 0);
        if (!options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0)
            ::_exit(126);
        ::setenv("TMPDIR", options.tmp.c_str(), 1);
        ::unsetenv("KORVEX_OFFICE");
        ::unsetenv("KORVEX_DATA_FOLDER");
        for (const auto& [name, value] : options.environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);

    Run run;
    run.pid = child;
    pollfd ends[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (::poll(ends, 2, -1) < 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (ends[i].fd < 0 || !(ends[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            ssize_t got = ::read(ends[i].fd, buffer, sizeof buffer);
            if (got <= 0) {  // a terminal without a writer reads as an error
                ::close(ends[i].fd);
                ends[i].fd = -1;
                --open;
                continue;
            }
            sinks[i]->append(buffer, static_cast<size_t>(got));
            if (watch)
                watch(run);
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // Every file the export reports as written must be well-formed XML.
    const std::string written = "Kiírva / written: ";
    for (size_t start = 0; (start = run.err.find(written, start)) != std::string::npos;) {
        size_t end = run.err.find('\n', start);
        std::string path = run.err.substr(start + written.size(), end == std::string::npos ? end : end - start - written.size());
        testxml::RequireWellFormed(options.workingFolder.empty() ? std::filesystem::path(path)
                                                                 : options.workingFolder / path);
        start = end == std::string::npos ? run.err.size() : end;
    }
    return run;
}

}  // namespace testcli
