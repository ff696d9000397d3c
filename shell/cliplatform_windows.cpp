// korvex-cli on Windows: Excel over OLE Automation, the application-data folders, the
// console's Ctrl-C, UTF-8 arguments and output.

#include "shell/cliplatform.h"

#include "shell/clifrontend.h"
#include "host/excel/excelhost.h"
#include "common/pathtext.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <io.h>

namespace {

namespace fs = std::filesystem;

std::string Utf8(const wchar_t* text)
{
    int length = lstrlenW(text);
    if (length == 0)
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

std::string Environment(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value ? Utf8(value) : std::string();
}

std::string WithBackslash(std::string folder)
{
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

// Only sets the flag: the command stops at its next step, and the private Excel is
// closed and quit on the way out, on the main thread that owns it.
BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        if (TCliFrontend::Interrupted.exchange(true))
            return FALSE;  // the second one ends the program at once
        return TRUE;
    }
    return FALSE;
}

class ExcelSessionOffice : public PrivateOffice {
public:
    void Open(const std::string& file) override { excel_.Open(file); }
    HostConnector Connector() const override
    {
        return [this] { return excel_.Connect(); };
    }
    std::vector<std::string> Store(const std::vector<int>& positions, const std::string& saveAsDir,
                                   bool force) override
    {
        return excel_.Store(positions, saveAsDir, force);
    }

private:
    PrivateExcel excel_;
};

}  // namespace

std::vector<std::string> CliArguments(int, char*[])
{
    // The console shows the UTF-8 the program writes; the arguments come as UTF-16.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(Utf8(words[i]));
    LocalFree(words);
    return args;
}

std::string DefaultCliDataFolder()
{
    std::string overridden = Environment(L"KORVEX_DATA_FOLDER");
    if (!overridden.empty())
        return WithBackslash(overridden);
    std::string user = WithBackslash(Environment(L"APPDATA")) + "valmoro\\Korvex\\";
    std::error_code error;
    if (fs::exists(PathFromUtf8(user), error))
        return user;
    return WithBackslash(Environment(L"ProgramData")) + "valmoro\\Korvex\\";
}

void CatchInterrupts()
{
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool ErrorOutputIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

HostConnector RunningHostConnector()
{
    return ConnectExcel;
}

std::string PrivateOfficeName()
{
    return "Excel";
}

std::unique_ptr<PrivateOffice> StartPrivateOffice(std::function<bool()>)
{
    return std::make_unique<ExcelSessionOffice>();
}

std::vector<std::string> StoreRunningWorkbooks(const std::vector<int>& positions, const std::string& saveAsDir,
                                               bool force)
{
    return StoreExcelWorkbooks(positions, saveAsDir, force);
}
