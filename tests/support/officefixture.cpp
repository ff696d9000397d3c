#include "officefixture.h"

#include "unoconnection.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/NotNumericException.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/NumberFormatter.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <osl/file.hxx>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <fstream>
#include <map>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace css;

namespace {

constexpr auto StartTimeout = std::chrono::seconds(180);
constexpr auto StopTimeout = std::chrono::seconds(30);
constexpr auto PollInterval = std::chrono::milliseconds(25);

template <class Call>
auto OfficeCall(const std::string& what, Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const uno::Exception&) {
        throw OfficeError(what + ": " + CaughtUnoExceptionText());
    } catch (const HostError& e) {
        throw OfficeError(what + ": " + e.what());
    }
}

rtl::OUString FileUrl(const fs::path& file)
{
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(FromUtf8(fs::absolute(file).string()), url) != osl::FileBase::E_None)
        throw OfficeError("no file URL for " + file.string());
    return url;
}

std::string FilterFor(const fs::path& file)
{
    std::string extension = file.extension().string();
    if (extension == ".xlsx")
        return "Calc MS Excel 2007 XML";
    if (extension == ".xls")
        return "MS Excel 97";
    if (extension == ".ods")
        return "calc8";
    throw OfficeError("no spreadsheet format for " + file.string());
}

uno::Sequence<beans::PropertyValue> Properties(const std::vector<std::pair<const char*, uno::Any>>& values)
{
    uno::Sequence<beans::PropertyValue> properties(static_cast<sal_Int32>(values.size()));
    beans::PropertyValue* out = properties.getArray();
    for (const auto& [name, value] : values) {
        out->Name = rtl::OUString::createFromAscii(name);
        out->Value = value;
        ++out;
    }
    return properties;
}

bool IsExecutable(const fs::path& file)
{
    return !file.empty() && ::access(file.c_str(), X_OK) == 0 && !fs::is_directory(file);
}

std::string LogTail(const fs::path& log)
{
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
}

// Whether the process has ended, without reaping it: its process group id stays
// reserved until waitpid, so the group can still be killed safely.
bool HasEnded(pid_t pid)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Runs in a child of the test process, as the leader of a process group of its own
// that also holds the office (the launcher and soffice.bin). It ends with the office,
// and ends the whole group when the test process goes without stopping the office
// (a crash or an abort): then the read end of the lifeline sees end-of-file. Only
// async-signal-safe calls from here on.
[[noreturn]] void Supervise(int lifeline, char* const* argv, const char* logPath)
{
    ::setpgid(0, 0);
    pid_t office = ::fork();
    if (office == 0) {
        int out = ::open(logPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = ::open("/dev/null", O_RDONLY);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        if (in >= 0)
            ::dup2(in, 0);
        ::close_range(3, ~0U, 0);  // no connection of the test process leaks into the office
        ::execv(argv[0], argv);
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
            ::kill(0, SIGKILL);
            ::_exit(124);
        }
    }
}

}  // namespace

struct OfficeFixture::Impl {
    fs::path root;
    fs::path files;
    fs::path log;
    std::string connection;
    pid_t pid = -1;      // the supervisor, leader of the office's process group
    int keepAlive = -1;  // the write end of its lifeline
    std::unique_ptr<UnoConnection> link;
    uno::Reference<frame::XDesktop2> desktop;
    std::map<int, uno::Reference<lang::XComponent>> documents;
    int nextHandle = 1;

    void Start();
    void Spawn(const std::string& program, const std::vector<std::string>& arguments);
    void WaitUntilAccepting(const std::string& url);
    void Stop();

    uno::Reference<lang::XComponent> Load(const rtl::OUString& url);
    uno::Reference<lang::XComponent> Document(int handle) const;
    int Keep(uno::Reference<lang::XComponent> document);
};

void OfficeFixture::Impl::Start()
{
    std::string program = FindOffice();
    if (program.empty())
        throw OfficeError("LibreOffice (soffice) is not installed");

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/korvex-office-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw OfficeError("cannot create a temporary folder for the office");
    root = pattern;
    files = root / "files";
    log = root / "office.log";
    fs::create_directories(files);

    static int started = 0;
    std::string pipe = "korvex-test-" + std::to_string(::getpid()) + "-" + std::to_string(++started);
    connection = "pipe,name=" + pipe;
    Spawn(program, {"--headless", "--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
                    "-env:UserInstallation=" + ToUtf8(FileUrl(root / "profile")),
                    "--accept=" + connection + ";urp;StarOffice.ComponentContext"});
    WaitUntilAccepting("uno:" + connection + ";urp;StarOffice.ComponentContext");
}

void OfficeFixture::Impl::Spawn(const std::string& program, const std::vector<std::string>& arguments)
{
    // Everything the children need is prepared before fork: they may only make
    // async-signal-safe calls.
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    std::string logPath = log.string();
    int lifeline[2];
    if (::pipe2(lifeline, O_CLOEXEC) != 0)
        throw OfficeError("cannot start " + program);

    pid = ::fork();
    if (pid < 0) {
        ::close(lifeline[0]);
        ::close(lifeline[1]);
        throw OfficeError("cannot start " + program);
    }
    if (pid == 0) {
        ::close(lifeline[1]);
        Supervise(lifeline[0], argv.data(), logPath.c_str());
    }
    ::close(lifeline[0]);
    keepAlive = lifeline[1];
    ::setpgid(pid, pid);
}

void OfficeFixture::Impl::WaitUntilAccepting(const std::string& url)
{
    auto deadline = std::chrono::steady_clock::now() + StartTimeout;
    for (;;) {
        try {
            link = std::make_unique<UnoConnection>(url);
            desktop = link->Desktop();
            return;
        } catch (const HostError& e) {
            link.reset();
            if (HasEnded(pid)) {
                Stop();
                throw OfficeError("the office ended before it accepted connections:\n" + LogTail(log));
            }
            if (std::chrono::steady_clock::now() > deadline) {
                Stop();
                throw OfficeError(std::string("the office does not accept connections: ") + e.what());
            }
        }
        std::this_thread::sleep_for(PollInterval);
    }
}

void OfficeFixture::Impl::Stop()
{
    if (pid > 0) {
        if (desktop.is()) {
            try {
                desktop->terminate();
            } catch (...) {
                // The bridge goes down with the office; that is the expected end.
            }
        }
        documents.clear();
        desktop.clear();
        link.reset();
        auto deadline = std::chrono::steady_clock::now() + StopTimeout;
        while (!HasEnded(pid) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(PollInterval);
        ::kill(-pid, SIGKILL);  // stragglers of the group, or all of it after the timeout
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
    if (keepAlive >= 0) {
        ::close(keepAlive);
        keepAlive = -1;
    }
    std::error_code ignored;
    if (!root.empty())
        fs::remove_all(root, ignored);
    root.clear();
}

uno::Reference<lang::XComponent> OfficeFixture::Impl::Load(const rtl::OUString& url)
{
    if (!desktop.is())
        throw OfficeError("the office has been terminated");
    uno::Reference<frame::XComponentLoader> loader(desktop, uno::UNO_QUERY_THROW);
    uno::Reference<lang::XComponent> document =
        loader->loadComponentFromURL(url, "_blank", 0, Properties({{"Hidden", uno::Any(true)}}));
    if (!document.is())
        throw OfficeError("the office did not load " + ToUtf8(url));
    return document;
}

uno::Reference<lang::XComponent> OfficeFixture::Impl::Document(int handle) const
{
    auto found = documents.find(handle);
    if (found == documents.end())
        throw OfficeError("no open document " + std::to_string(handle));
    return found->second;
}

int OfficeFixture::Impl::Keep(uno::Reference<lang::XComponent> document)
{
    documents[nextHandle] = std::move(document);
    return nextHandle++;
}

namespace {

uno::Reference<sheet::XSpreadsheet> SheetAt(const uno::Reference<lang::XComponent>& document, int sheet)
{
    uno::Reference<container::XIndexAccess> sheets(
        uno::Reference<sheet::XSpreadsheetDocument>(document, uno::UNO_QUERY_THROW)->getSheets(),
        uno::UNO_QUERY_THROW);
    return uno::Reference<sheet::XSpreadsheet>(sheets->getByIndex(sheet - 1), uno::UNO_QUERY_THROW);
}

uno::Reference<table::XCell> CellNamed(const uno::Reference<lang::XComponent>& document, int sheet,
                                       const std::string& cellName)
{
    return SheetAt(document, sheet)->getCellRangeByName(FromUtf8(cellName))->getCellByPosition(0, 0);
}

bool IsTruthWord(const std::string& input)
{
    std::string upper;
    for (char c : input)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "TRUE" || upper == "FALSE";
}

// setFormula parses input as typed but, unlike typing, leaves the number format
// alone; a date would show as its serial number. Give the cell the format typing gives.
void TypeInto(const uno::Reference<uno::XComponentContext>& office, const uno::Reference<lang::XComponent>& document,
              const uno::Reference<table::XCell>& cell, const std::string& input)
{
    cell->setFormula(FromUtf8(input));
    uno::Reference<beans::XPropertySet> properties(cell, uno::UNO_QUERY_THROW);
    if (cell->getType() == table::CellContentType_FORMULA) {
        // The office infers a formula's format (a date for =DATE(...)) but does not
        // save it to Excel files, where the spreadsheet user would have it: make it explicit.
        properties->setPropertyValue("NumberFormat", properties->getPropertyValue("NumberFormat"));
        return;
    }
    if (cell->getType() != table::CellContentType_VALUE)
        return;
    uno::Reference<util::XNumberFormatsSupplier> supplier(document, uno::UNO_QUERY_THROW);
    sal_Int32 key = 0;
    if (IsTruthWord(input)) {
        key = uno::Reference<util::XNumberFormatTypes>(supplier->getNumberFormats(), uno::UNO_QUERY_THROW)
                  ->getStandardFormat(util::NumberFormat::LOGICAL, lang::Locale());
    } else {
        uno::Reference<util::XNumberFormatter2> formatter = util::NumberFormatter::create(office);
        formatter->attachNumberFormatsSupplier(supplier);
        try {
            key = formatter->detectNumberFormat(0, FromUtf8(input));
        } catch (const util::NotNumericException&) {
            return;
        }
    }
    if (key != 0)
        properties->setPropertyValue("NumberFormat", uno::Any(key));
}

// Gives a new document exactly the given sheets, in order, and types their cells.
void Fill(const uno::Reference<uno::XComponentContext>& office, const uno::Reference<lang::XComponent>& document,
          const std::vector<OfficeFixture::Sheet>& sheets)
{
    uno::Reference<sheet::XSpreadsheets> all =
        uno::Reference<sheet::XSpreadsheetDocument>(document, uno::UNO_QUERY_THROW)->getSheets();
    uno::Reference<container::XIndexAccess> indexed(all, uno::UNO_QUERY_THROW);
    for (size_t i = 0; i < sheets.size(); ++i) {
        rtl::OUString name = FromUtf8(sheets[i].name);
        if (i < static_cast<size_t>(indexed->getCount()))
            uno::Reference<container::XNamed>(indexed->getByIndex(i), uno::UNO_QUERY_THROW)->setName(name);
        else
            all->insertNewByName(name, static_cast<sal_Int16>(i));
        for (const OfficeFixture::Cell& cell : sheets[i].cells)
            TypeInto(office, document, CellNamed(document, static_cast<int>(i) + 1, cell.name), cell.input);
    }
    while (!sheets.empty() && indexed->getCount() > static_cast<sal_Int32>(sheets.size())) {
        uno::Reference<container::XNamed> extra(indexed->getByIndex(indexed->getCount() - 1), uno::UNO_QUERY_THROW);
        all->removeByName(extra->getName());
    }
}

void CloseDocument(const uno::Reference<lang::XComponent>& document)
{
    uno::Reference<util::XCloseable> closeable(document, uno::UNO_QUERY);
    if (closeable.is())
        closeable->close(true);
    else
        document->dispose();
}

const char* TypeName(table::CellContentType type)
{
    switch (type) {
    case table::CellContentType_EMPTY: return "EMPTY";
    case table::CellContentType_VALUE: return "VALUE";
    case table::CellContentType_TEXT: return "TEXT";
    case table::CellContentType_FORMULA: return "FORMULA";
    default: return "?";
    }
}

}  // namespace

std::string OfficeFixture::FindOffice()
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

OfficeFixture::OfficeFixture()
    : impl_(std::make_unique<Impl>())
{
    try {
        impl_->Start();
    } catch (...) {
        impl_->Stop();
        throw;
    }
}

OfficeFixture::~OfficeFixture()
{
    Terminate();
}

void OfficeFixture::Terminate()
{
    if (!impl_->desktop.is() && impl_->pid < 0)
        return;
    try {
        CloseAll();
    } catch (...) {
        // Terminating ends whatever is still open.
    }
    impl_->Stop();
}

const std::string& OfficeFixture::Connection() const
{
    return impl_->connection;
}

const fs::path& OfficeFixture::Folder() const
{
    return impl_->files;
}

void OfficeFixture::CreateWorkbookFile(const fs::path& file, const std::vector<Sheet>& sheets)
{
    int document = CreateDocument(sheets);
    try {
        OfficeCall("storing " + file.string(), [&] {
            uno::Reference<frame::XStorable>(impl_->Document(document), uno::UNO_QUERY_THROW)
                ->storeToURL(FileUrl(file), Properties({{"FilterName", uno::Any(FromUtf8(FilterFor(file)))},
                                                        {"Overwrite", uno::Any(true)}}));
        });
    } catch (...) {
        Close(document);
        throw;
    }
    Close(document);
}

int OfficeFixture::Open(const fs::path& file)
{
    return OfficeCall("opening " + file.string(), [&] { return impl_->Keep(impl_->Load(FileUrl(file))); });
}

int OfficeFixture::CreateDocument(const std::vector<Sheet>& sheets)
{
    return OfficeCall("creating a document", [&] {
        int document = impl_->Keep(impl_->Load("private:factory/scalc"));
        Fill(impl_->link->RemoteContext(), impl_->Document(document), sheets);
        return document;
    });
}

void OfficeFixture::Store(int document, const fs::path& file)
{
    OfficeCall("storing " + file.string(), [&] {
        uno::Reference<frame::XStorable>(impl_->Document(document), uno::UNO_QUERY_THROW)
            ->storeAsURL(FileUrl(file), Properties({{"FilterName", uno::Any(FromUtf8(FilterFor(file)))},
                                                    {"Overwrite", uno::Any(true)}}));
    });
}

void OfficeFixture::Close(int document)
{
    OfficeCall("closing a document", [&] {
        uno::Reference<lang::XComponent> component = impl_->Document(document);
        impl_->documents.erase(document);
        CloseDocument(component);
    });
}

void OfficeFixture::CloseAll()
{
    impl_->documents.clear();
    if (!impl_->desktop.is())
        return;
    OfficeCall("closing the documents", [&] {
        std::vector<uno::Reference<lang::XComponent>> open;
        uno::Reference<container::XEnumeration> components = impl_->desktop->getComponents()->createEnumeration();
        while (components->hasMoreElements()) {
            uno::Reference<lang::XComponent> component(components->nextElement(), uno::UNO_QUERY);
            if (component.is())
                open.push_back(component);
        }
        for (const auto& component : open)
            CloseDocument(component);
    });
}

std::string OfficeFixture::Title(int document)
{
    return OfficeCall("reading a title", [&] {
        return ToUtf8(uno::Reference<frame::XTitle>(impl_->Document(document), uno::UNO_QUERY_THROW)->getTitle());
    });
}

OfficeFixture::CellInfo OfficeFixture::Inspect(int document, int sheet, const std::string& cellName)
{
    return OfficeCall("inspecting " + cellName, [&] {
        uno::Reference<table::XCell> cell = CellNamed(impl_->Document(document), sheet, cellName);
        CellInfo info;
        info.type = TypeName(cell->getType());
        info.formula = ToUtf8(cell->getFormula());
        info.text = ToUtf8(uno::Reference<text::XTextRange>(cell, uno::UNO_QUERY_THROW)->getString());
        info.value = cell->getValue();
        return info;
    });
}

void OfficeFixture::Type(int document, int sheet, const std::string& cellName, const std::string& input)
{
    OfficeCall("typing into " + cellName,
               [&] {
                   uno::Reference<lang::XComponent> component = impl_->Document(document);
                   TypeInto(impl_->link->RemoteContext(), component, CellNamed(component, sheet, cellName), input);
               });
}
