#pragma once

// A private headless LibreOffice process: its own profile in a fresh temporary folder,
// its own pipe and its own process group, so it never meets a user's office or another
// run. A small supervisor process ends the office when its owner dies without stopping
// it (a crash, SIGKILL), and then removes the office's sockets and temporary folder.
//
// Used by korvex-cli --open (through OfficeSession) and by the test fixtures. The header
// carries no UNO types; UnoConnection comes from unoconnection.h.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

class UnoConnection;

class OfficeProcess {
public:
    struct Options {
        // The pipe is named <pipePrefix>-<process id>-<counter>; the temporary folder
        // <pipePrefix>-XXXXXX under $TMPDIR (else /tmp).
        std::string pipePrefix = "korvex";
        // How long the office may take to accept connections: seconds on a quiet machine,
        // up to a minute on a loaded one.
        std::chrono::seconds startTimeout{180};
        // Polled while waiting for the office; true gives up the start.
        std::function<bool()> cancelled;
        // Start from the user's cached profile for this installation (made by one
        // extra start the first time, see officeprofile.h); false: a fresh profile.
        bool cachedProfile = true;
        // The profile folder to use and keep (it is not removed); empty: a private
        // one in the temporary folder.
        std::filesystem::path profile;
    };

    // The office program: $KORVEX_SOFFICE, else "soffice" on PATH, else the Debian
    // location. "" when there is none.
    static std::string FindOffice();

    // Starts the office and waits until it accepts connections. Throws HostError (with
    // a Hungarian message) when it cannot be started, ends early, does not answer in
    // time or the start is cancelled; nothing is left running then.
    explicit OfficeProcess(const Options& options);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // The connection description: "pipe,name=<pipe>".
    const std::string& Connection() const { return connection_; }
    // The temporary folder (holds the profile and the office's log); removed by Stop.
    const std::filesystem::path& Folder() const { return root_; }
    // The connection made while waiting for the office. Throws HostError once stopped.
    UnoConnection& Link();
    bool Running() const { return supervisor_ > 0; }
    // Whether the office has ended by itself (or was killed) while still counted as running.
    bool HasEnded() const;
    // The last two thousand bytes the office wrote to its standard output and error.
    std::string LogTail() const;

    // Asks the office to end, waits for it (then kills what is left of its process
    // group) and removes the temporary folder. Safe to call more than once.
    void Stop() noexcept;

    // Kills the process group of every office still running in this process. Only
    // async-signal-safe calls: meant for a SIGINT/SIGTERM handler, so that a UNO call
    // blocked in the office returns (with an error) and the owners can clean up.
    static void KillAll() noexcept;

private:
    void PrepareProfile(const std::string& program, const Options& options, const std::filesystem::path& profile);
    void Spawn(const std::string& program, const std::string& profileUrl);
    void WaitUntilAccepting(const Options& options);

    std::filesystem::path root_;
    std::string pipe_;
    std::string connection_;
    std::string profileUrl_;
    pid_t supervisor_ = -1;  // leader of the office's process group
    int lifeline_ = -1;      // write end of the supervisor's lifeline
    std::unique_ptr<UnoConnection> link_;
};
