#include "host/libreoffice/officeprocess.h"

#include "common/messages.h"
#include "host/hostbackend.h"
#include "host/libreoffice/officeprofile.h"
#include "host/libreoffice/unoconnection.h"
#include "host/libreoffice/unohost.h"

#include <rtl/digest.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr auto StopTimeout = std::chrono::seconds(30);
constexpr auto PollInterval = std::chrono::milliseconds(25);

// The process groups of the offices running now, for KillAll. A fixed table of
// lock-free atomics: a signal handler may read it at any moment.
std::array<std::atomic<pid_t>, 16> RunningGroups{};
static_assert(std::atomic<pid_t>::is_always_lock_free);

void RememberGroup(pid_t group)
{
    for (auto& slot : RunningGroups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group))
            return;
    }
    // More offices than slots: that one is not killed on a signal, but still stopped.
}

void ForgetGroup(pid_t group)
{
    for (auto& slot : RunningGroups) {
        pid_t expected = group;
        slot.compare_exchange_strong(expected, 0);
    }
}

bool IsExecutable(const fs::path& file)
{
    return !file.empty() && ::access(file.c_str(), X_OK) == 0 && !fs::is_directory(file);
}

// Whether the process has ended, without reaping it: its process group id stays
// reserved until waitpid, so the group can still be killed safely.
bool ProcessHasEnded(pid_t pid)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Removes the private folder once the office is gone, from outside the office's process
// group, which is about to be killed: returns when the sweeper has left the group.
// Only async-signal-safe calls.
void SweepLater(char* const* sweep)
{
    int left[2];
    if (::pipe2(left, O_CLOEXEC) != 0)
        return;
    pid_t sweeper = ::fork();
    if (sweeper == 0) {
        ::setsid();
        ::execv(sweep[0], sweep);  // closes the write end: the supervisor goes on
        ::_exit(127);
    }
    ::close(left[1]);
    char byte;
    while (sweeper > 0 && ::read(left[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(left[0]);
}

// What the supervisor needs once its owner is gone, prepared before fork.
struct Orphaned {
    std::vector<std::string> sockets;    // the office's listening sockets
    std::vector<std::string> sweep;      // a command that removes the private folder
    std::vector<char*> sweepArgv;
};

// Runs in a child of the owner, as the leader of a process group of its own that also
// holds the office (the launcher and soffice.bin). It ends with the office, and ends
// the whole group when the owner goes without stopping the office: then the read end
// of the lifeline sees end-of-file, and the sockets and the private folder of the
// office are removed as well. Only async-signal-safe calls from here on.
[[noreturn]] void Supervise(int lifeline, char* const* argv, char* const* envp, const char* logPath,
                            Orphaned& orphaned)
{
    ::setpgid(0, 0);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGINT, SIG_IGN);  // Ctrl-C is the owner's business; it stops the office
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);

    // Hold none of the owner's files (a pipe its caller reads to the end, for one).
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
    }
    if (lifeline > 3)
        ::close_range(3, static_cast<unsigned>(lifeline) - 1, 0);
    ::close_range(static_cast<unsigned>(lifeline) + 1, ~0U, 0);

    pid_t office = ::fork();
    if (office == 0) {
        ::signal(SIGINT, SIG_DFL);
        int out = ::open(logPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::close_range(3, ~0U, 0);
        ::execve(argv[0], argv, envp);
        ::_exit(127);
    }
    if (office < 0)
        ::_exit(126);
    for (;;) {
        pollfd watch{lifeline, POLLIN, 0};
        int ready = ::poll(&watch, 1, 100);
        int status = 0;
        if (::waitpid(office, &status, WNOHANG) == office)
            ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 125);
        if (ready > 0) {
            for (const std::string& socket : orphaned.sockets)
                ::unlink(socket.c_str());
            SweepLater(orphaned.sweepArgv.data());
            ::kill(0, SIGKILL);
            ::_exit(124);
        }
    }
}

std::string UniquePipe(const std::string& prefix)
{
    static std::atomic<int> started{0};
    return prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(++started);
}

// The office's environment: the owner's, with TMPDIR pointing into the private folder,
// so the temporary files of a killed office go with that folder.
std::vector<std::string> OfficeEnvironment(const fs::path& tmp)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
        if (std::string_view(*entry).substr(0, 7) != "TMPDIR=")
            environment.emplace_back(*entry);
    environment.push_back("TMPDIR=" + tmp.string());
    return environment;
}

// The listening sockets an office removes when it ends by itself but leaves behind when
// it is killed: the pipe of --accept, and the one that keeps a profile to one office,
// named after the MD5 of the profile URL's UTF-16 text (one hex number per byte).
std::vector<fs::path> OfficeSockets(const std::string& pipe, const std::string& profileUrl)
{
    rtl::OUString url = FromUtf8(profileUrl);
    sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
    rtl_digest_MD5(url.getStr(), static_cast<sal_uInt32>(url.getLength() * sizeof(sal_Unicode)), digest,
                   sizeof digest);
    std::string single = "SingleOfficeIPC_";
    for (sal_uInt8 byte : digest) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%x", byte);
        single += hex;
    }
    std::vector<fs::path> sockets;
    for (const char* folder : {"/tmp", "/var/tmp"})
        for (const std::string& name : {pipe, single})
            sockets.push_back(fs::path(folder) / ("OSL_PIPE_" + std::to_string(::getuid()) + "_" + name));
    return sockets;
}

}  // namespace

std::string OfficeProcess::FindOffice()
{
    if (const char* chosen = std::getenv("KORVEX_SOFFICE"); chosen && *chosen)
        return IsExecutable(chosen) ? chosen : "";
    if (const char* path = std::getenv("PATH")) {
        std::stringstream folders(path);
        for (std::string folder; std::getline(folders, folder, ':');) {
            fs::path candidate = fs::path(folder.empty() ? "." : folder) / "soffice";
            if (IsExecutable(candidate))
                return candidate.string();
        }
    }
    fs::path installed = "/usr/lib/libreoffice/program/soffice";
    return IsExecutable(installed) ? installed.string() : "";
}

OfficeProcess::OfficeProcess(const Options& options)
{
    std::string program = FindOffice();
    if (program.empty())
        throw HostError(Msg::OfficeNotInstalled);

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + options.pipePrefix + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw HostError(Msg::OfficeTempFolder + pattern);
    root_ = pattern;
    try {
        const fs::path profile = options.profile.empty() ? root_ / "profile" : options.profile;
        PrepareProfile(program, options, profile);
        pipe_ = UniquePipe(options.pipePrefix);
        connection_ = "pipe,name=" + pipe_;
        profileUrl_ = ToUtf8(FileUrl(profile));
        fs::create_directories(root_ / "tmp");
        Spawn(program, profileUrl_);
        WaitUntilAccepting(options);
    } catch (...) {
        Stop();
        throw;
    }
}

OfficeProcess::~OfficeProcess()
{
    Stop();
}

// A copy of the cached profile when there is one, else a fresh profile; either way
// it names the installed version as the last one used, so that the office skips its
// first-start work.
void OfficeProcess::PrepareProfile(const std::string& program, const Options& options, const fs::path& profile)
{
    const std::string version = InstalledOfficeVersion(program);
    fs::path cached;
    if (options.cachedProfile && options.profile.empty()) {
        cached = CachedProfile(program, version, [&](const fs::path& folder) {
            WriteProfileSettings(folder, version);
            Options making = options;
            making.pipePrefix = options.pipePrefix + "-profile";
            making.cachedProfile = false;
            making.profile = folder;
            OfficeProcess(making).Stop();  // the office fills the profile and saves it as it ends
        });
    }
    if (!cached.empty()) {
        try {
            CopyProfile(cached, profile);
            return;
        } catch (const fs::filesystem_error&) {
            std::error_code ignored;
            fs::remove_all(profile, ignored);
        }
    }
    WriteProfileSettings(profile, version);
}

void OfficeProcess::Spawn(const std::string& program, const std::string& profileUrl)
{
    // Everything the children need is prepared before fork: they may only make
    // async-signal-safe calls.
    std::vector<std::string> texts{program,         "--headless",    "--invisible",
                                   "--norestore",   "--nologo",      "--nodefault",
                                   "--nolockcheck", "-env:UserInstallation=" + profileUrl,
                                   "--accept=" + connection_ + ";urp;StarOffice.ComponentContext"};
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = OfficeEnvironment(root_ / "tmp");
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string logPath = (root_ / "office.log").string();
    Orphaned orphaned;
    for (const fs::path& socket : OfficeSockets(pipe_, profileUrl_))
        orphaned.sockets.push_back(socket.string());
    // The office may still be writing into its folder for a moment after the kill.
    orphaned.sweep = {"/bin/sh", "-c", "sleep 2; exec rm -rf -- \"$0\"", root_.string()};
    for (std::string& text : orphaned.sweep)
        orphaned.sweepArgv.push_back(text.data());
    orphaned.sweepArgv.push_back(nullptr);
    int lifeline[2];
    if (::pipe2(lifeline, O_CLOEXEC) != 0)
        throw HostError(Msg::OfficeNotStarted + program);

    pid_t child = ::fork();
    if (child < 0) {
        ::close(lifeline[0]);
        ::close(lifeline[1]);
        throw HostError(Msg::OfficeNotStarted + program);
    }
    if (child == 0) {
        ::close(lifeline[1]);
        Supervise(lifeline[0], argv.data(), envp.data(), logPath.c_str(), orphaned);
    }
    ::close(lifeline[0]);
    lifeline_ = lifeline[1];
    supervisor_ = child;
    // Both sides set the group, so it exists before either goes on.
    ::setpgid(child, child);
    RememberGroup(child);
}

void OfficeProcess::WaitUntilAccepting(const Options& options)
{
    const std::string url = OfficeConnectionUrl(connection_);
    auto deadline = std::chrono::steady_clock::now() + options.startTimeout;
    for (;;) {
        try {
            link_ = std::make_unique<UnoConnection>(url);
            link_->Desktop();  // answers only once the office has finished starting
            return;
        } catch (const HostError& e) {
            link_.reset();
            if (ProcessHasEnded(supervisor_))
                throw HostError(Msg::OfficeDiedBeforeConnect + LogTail());
            if (options.cancelled && options.cancelled())
                throw HostError(Msg::OfficeStartCancelled);
            if (std::chrono::steady_clock::now() > deadline)
                throw HostError(Msg::OfficeTimeoutStart + std::to_string(options.startTimeout.count()) +
                                Msg::OfficeTimeout + e.what() + ")");
        }
        std::this_thread::sleep_for(PollInterval);
    }
}

UnoConnection& OfficeProcess::Link()
{
    if (!link_)
        throw HostError(Msg::OfficeStopped);
    return *link_;
}

void OfficeProcess::Stop() noexcept
{
    if (supervisor_ > 0) {
        // Cleanly when it can be asked (it then removes its sockets itself); an office
        // that never answered, refused or is gone already is not waited for.
        bool asked = false;
        if (link_) {
            try {
                asked = link_->Desktop()->terminate();
            } catch (...) {
                asked = true;  // the bridge goes down with the office
            }
        }
        link_.reset();
        auto deadline = std::chrono::steady_clock::now() + StopTimeout;
        while (asked && !ProcessHasEnded(supervisor_) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(PollInterval);
        ForgetGroup(supervisor_);
        ::kill(-supervisor_, SIGKILL);  // stragglers of the group, or all of it
        while (::waitpid(supervisor_, nullptr, 0) < 0 && errno == EINTR) {
        }
        supervisor_ = -1;
        std::error_code ignored;
        for (const fs::path& socket : OfficeSockets(pipe_, profileUrl_))
            fs::remove(socket, ignored);
    }
    link_.reset();
    if (lifeline_ >= 0) {
        ::close(lifeline_);
        lifeline_ = -1;
    }
    if (!root_.empty()) {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        root_.clear();
    }
}

bool OfficeProcess::HasEnded() const
{
    return supervisor_ > 0 && ProcessHasEnded(supervisor_);
}

void OfficeProcess::KillAll() noexcept
{
    for (auto& slot : RunningGroups) {
        pid_t group = slot.load();
        if (group > 0)
            ::kill(-group, SIGKILL);
    }
}

std::string OfficeProcess::LogTail() const
{
    std::ifstream in(root_ / "office.log");
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
}
