// korvex-cli on Linux: LibreOffice over UNO, the XDG data folder (through Qt Core), POSIX
// signals.

#include "shell/cliplatform.h"

#include "shell/clifrontend.h"
#include "shell/datafolder.h"
#include "host/libreoffice/officeprocess.h"
#include "host/libreoffice/officesession.h"
#include "host/libreoffice/unohost.h"

#include <QDir>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

// The first Ctrl-C (or SIGTERM, SIGHUP) asks the command to stop and kills the private
// office, so that a call blocked in it returns and everything is cleaned up on the
// way out; the handler is then reset, so a second one ends the program at once.
extern "C" void OnInterrupt(int)
{
    TCliFrontend::Interrupted = true;
    OfficeProcess::KillAll();
}

// The office connection used without --open: KORVEX_OFFICE or the default pipe.
std::string RunningOfficeConnection()
{
    const char* chosen = std::getenv("KORVEX_OFFICE");
    return chosen ? chosen : "";
}

std::chrono::seconds OfficeStartTimeout()
{
    const char* chosen = std::getenv("KORVEX_OFFICE_TIMEOUT");
    int seconds = chosen ? std::atoi(chosen) : 0;
    return std::chrono::seconds(seconds > 0 ? seconds : 180);
}

class LibreOfficeSession : public PrivateOffice {
public:
    explicit LibreOfficeSession(const OfficeSession::Options& options) : session_(options) {}

    void Open(const std::string& file) override { session_.Open(file); }
    HostConnector Connector() const override { return session_.Connector(); }
    std::vector<std::string> Store(const std::vector<int>& positions, const std::string& saveAsDir,
                                   bool force) override
    {
        return StoreWorkbooks(session_.Connection(), positions, saveAsDir, force);
    }

private:
    OfficeSession session_;
};

}  // namespace

std::vector<std::string> CliArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string DefaultCliDataFolder()
{
    return QDir::toNativeSeparators(DefaultDataFolder()).toStdString();
}

void CatchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A reader that stops early (korvex-cli ... | head) must not end the program before
    // it has shut its office down: the writes then just fail.
    std::signal(SIGPIPE, SIG_IGN);
}

bool ErrorOutputIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

HostConnector RunningHostConnector()
{
    return [connection = RunningOfficeConnection()] { return ConnectLibreOfficeAt(connection); };
}

std::string PrivateOfficeName()
{
    return "LibreOffice";
}

std::unique_ptr<PrivateOffice> StartPrivateOffice(std::function<bool()> cancelled)
{
    OfficeSession::Options start;
    start.startTimeout = OfficeStartTimeout();
    start.cancelled = std::move(cancelled);
    return std::make_unique<LibreOfficeSession>(start);
}

std::vector<std::string> StoreRunningWorkbooks(const std::vector<int>& positions, const std::string& saveAsDir,
                                               bool force)
{
    return StoreWorkbooks(RunningOfficeConnection(), positions, saveAsDir, force);
}
