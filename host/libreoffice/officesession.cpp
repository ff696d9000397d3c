#include "host/libreoffice/officesession.h"

#include "common/messages.h"
#include "common/atomicfile.h"
#include "common/pathtext.h"
#include "host/libreoffice/officeprocess.h"
#include "host/libreoffice/unoconnection.h"
#include "host/libreoffice/unohost.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/thePathSettings.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <osl/file.hxx>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;
using namespace css;

namespace {

std::string SystemPath(const rtl::OUString& url)
{
    rtl::OUString path;
    if (osl::FileBase::getSystemPathFromFileURL(url, path) != osl::FileBase::E_None)
        return {};
    return ToUtf8(path);
}

std::vector<uno::Reference<frame::XModel>> SpreadsheetModels(const uno::Reference<frame::XDesktop2>& desktop)
{
    std::vector<uno::Reference<frame::XModel>> models;
    uno::Reference<container::XEnumeration> components = desktop->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
        uno::Reference<sheet::XSpreadsheetDocument> document(components->nextElement(), uno::UNO_QUERY);
        uno::Reference<frame::XModel> model(document, uno::UNO_QUERY);
        if (model.is())
            models.push_back(model);
    }
    return models;
}

// The name the host lists a workbook under: its file path, or its title when it was
// never saved (see the LibreOffice backend).
std::string ListedName(const uno::Reference<frame::XModel>& model)
{
    rtl::OUString url = model->getURL();
    if (url.isEmpty())
        return ToUtf8(uno::Reference<frame::XTitle>(model, uno::UNO_QUERY_THROW)->getTitle());
    std::string path = SystemPath(url);
    return path.empty() ? ToUtf8(url) : path;
}

void CloseQuietly(const uno::Reference<uno::XInterface>& component)
{
    try {
        uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY);
        if (closeable.is()) {
            closeable->close(true);
            return;
        }
        uno::Reference<lang::XComponent> disposable(component, uno::UNO_QUERY);
        if (disposable.is())
            disposable->dispose();
    } catch (...) {
        // Ending the office closes whatever is left.
    }
}

// The filter (and its options) the workbook was loaded with, so it is stored in the
// same format; a workbook that was never loaded from a file gets its extension's format.
uno::Sequence<beans::PropertyValue> StoreFilter(const uno::Reference<frame::XModel>& model, const fs::path& target)
{
    rtl::OUString filter, filterOptions;
    const uno::Sequence<beans::PropertyValue> loaded = model->getArgs();
    for (const beans::PropertyValue& argument : loaded) {
        if (argument.Name == "FilterName")
            argument.Value >>= filter;
        else if (argument.Name == "FilterOptions")
            argument.Value >>= filterOptions;
    }
    if (filter.isEmpty()) {
        std::string extension = target.extension().string();
        if (extension == ".xlsx")
            filter = "Calc MS Excel 2007 XML";
        else if (extension == ".xls")
            filter = "MS Excel 97";
        else if (extension == ".ods")
            filter = "calc8";
        else
            throw HostError(Msg::UnknownWorkbookFormat + Utf8FromPath(target));
    }
    std::vector<std::pair<const char*, uno::Any>> values{{"FilterName", uno::Any(filter)},
                                                         {"Overwrite", uno::Any(true)}};
    if (!filterOptions.isEmpty())
        values.emplace_back("FilterOptions", uno::Any(filterOptions));
    return Properties(values);
}

// LibreOffice's mark that someone has a document open: ".~lock.NAME#" beside it.
fs::path LockFileOf(const fs::path& file)
{
    return file.parent_path() / (".~lock." + Utf8FromPath(file.filename()) + "#");
}

// The office's own temporary files ("lu....tmp") in a folder.
std::set<fs::path> OfficeTempFiles(const fs::path& folder)
{
    std::set<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::string name = Utf8FromPath(entry->path().filename());
        if (name.size() > 6 && name.starts_with("lu") && name.ends_with(".tmp"))
            found.insert(entry->path());
    }
    return found;
}

// Removes the office temporary files that appeared in a folder while a store ran (an
// office that dies in the middle leaves them behind).
class OfficeLeftovers {
public:
    explicit OfficeLeftovers(fs::path folder) : folder_(std::move(folder)), before_(OfficeTempFiles(folder_)) {}
    ~OfficeLeftovers()
    {
        for (const fs::path& file : OfficeTempFiles(folder_)) {
            std::error_code ignored;
            if (!before_.contains(file))
                fs::remove(file, ignored);
        }
    }
    OfficeLeftovers(const OfficeLeftovers&) = delete;
    OfficeLeftovers& operator=(const OfficeLeftovers&) = delete;

private:
    fs::path folder_;
    std::set<fs::path> before_;
};

// The profile folder (as a file URL) of the office reached through a connection; ""
// when it does not say. A lock file ends with the profile of the office that wrote it.
std::string OfficeProfileUrl(const UnoConnection& link)
{
    try {
        uno::Reference<beans::XPropertySet> paths(util::thePathSettings::get(link.RemoteContext()),
                                                  uno::UNO_QUERY_THROW);
        rtl::OUString config;
        paths->getPropertyValue("UserConfig") >>= config;
        std::string url = ToUtf8(config);
        const std::string suffix = "/user/config";
        if (url.ends_with(suffix))
            url.resize(url.size() - suffix.size());
        return url;
    } catch (const uno::Exception&) {
        return {};
    }
}

// Whether a file is open in another office (or by another user): its lock file is
// there and was not written by the office we store through.
bool LockedElsewhere(const fs::path& file, const std::string& ourProfile)
{
    std::ifstream lock(LockFileOf(file), std::ios::binary);
    if (!lock)
        return false;
    std::string content((std::istreambuf_iterator<char>(lock)), std::istreambuf_iterator<char>());
    while (!content.empty() && (content.back() == ';' || content.back() == '\n' || content.back() == '\r'))
        content.pop_back();
    const std::string profile = content.substr(content.rfind(',') == std::string::npos ? 0 : content.rfind(',') + 1);
    if (!profile.empty() && !ourProfile.empty() && profile == ourProfile)
        return false;
    return true;
}

void StoreAtomically(const uno::Reference<frame::XModel>& model, const fs::path& target)
{
    const std::string name = Utf8FromPath(target);
    std::unique_ptr<AtomicFile> file;
    try {
        file = std::make_unique<AtomicFile>(target);
    } catch (const AtomicFileError& error) {
        throw HostError(std::string(Msg::WorkbookNotSaved) + error.what());
    }
    OfficeLeftovers leftovers(file->TempPath().parent_path());
    try {
        uno::Reference<frame::XStorable>(model, uno::UNO_QUERY_THROW)
            ->storeToURL(FileUrl(file->TempPath()), StoreFilter(model, target));
    } catch (const uno::Exception&) {
        throw HostError(Msg::WorkbookNotSaved + name + " (" + CaughtUnoExceptionText() + ")");
    }
    try {
        file->Commit();
    } catch (const AtomicFileError& error) {
        throw HostError(std::string(Msg::WorkbookNotSaved) + error.what());
    }
}

}  // namespace

struct OfficeSession::Impl {
    std::unique_ptr<OfficeProcess> process;
    std::string connection;
    uno::Reference<frame::XDesktop2> desktop;
    std::set<fs::path> opened;
};

OfficeSession::OfficeSession(const Options& options)
    : impl_(std::make_unique<Impl>())
{
    OfficeProcess::Options start;
    start.pipePrefix = "korvex-cli";
    start.startTimeout = options.startTimeout;
    start.cancelled = options.cancelled;
    impl_->process = std::make_unique<OfficeProcess>(start);
    impl_->connection = impl_->process->Connection();
    try {
        impl_->desktop = impl_->process->Link().Desktop();
    } catch (...) {
        impl_->process->Stop();
        throw;
    }
}

OfficeSession::~OfficeSession()
{
    Stop();
}

void OfficeSession::Stop() noexcept
{
    if (impl_->desktop.is()) {
        try {
            uno::Reference<container::XEnumeration> components =
                impl_->desktop->getComponents()->createEnumeration();
            std::vector<uno::Reference<uno::XInterface>> open;
            while (components->hasMoreElements())
                open.emplace_back(components->nextElement(), uno::UNO_QUERY);
            for (const auto& component : open)
                CloseQuietly(component);
        } catch (...) {
            // The office may be gone already (killed on a signal); Stop ends what is left.
        }
        impl_->desktop.clear();
    }
    if (impl_->process)
        impl_->process->Stop();
}

void OfficeSession::Open(const std::string& file)
{
    std::error_code error;
    fs::path path = fs::absolute(PathFromUtf8(file), error).lexically_normal();
    if (error || !fs::is_regular_file(path))
        throw HostError(Msg::FileNotFound + file);
    fs::path identity = fs::weakly_canonical(path, error);
    if (!impl_->opened.insert(error ? path : identity).second)
        throw HostError(Msg::FileAlreadyOpen + file);
    if (!impl_->desktop.is())
        throw HostError(Msg::OfficeStoppedFileNotOpened + file);

    uno::Reference<lang::XComponent> document;
    try {
        document = uno::Reference<frame::XComponentLoader>(impl_->desktop, uno::UNO_QUERY_THROW)
                       ->loadComponentFromURL(
                           FileUrl(path), "_blank", 0,
                           Properties({{"Hidden", uno::Any(true)},
                                       {"MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)}}));
    } catch (const uno::Exception&) {
        throw HostError(Msg::FileNotOpened + file + " (" + CaughtUnoExceptionText() + ")");
    }
    if (!document.is())
        throw HostError(Msg::FileNotOpened + file);
    if (!uno::Reference<sheet::XSpreadsheetDocument>(document, uno::UNO_QUERY).is()) {
        CloseQuietly(document);
        throw HostError(Msg::FileNotWorkbook + file);
    }
}

const std::string& OfficeSession::Connection() const
{
    return impl_->connection;
}

HostConnector OfficeSession::Connector() const
{
    return [connection = impl_->connection] { return ConnectLibreOfficeAt(connection); };
}

std::vector<std::string> StoreWorkbooks(std::string_view connection, const std::vector<int>& positions,
                                        const std::string& saveAsDir, bool force)
{
    std::shared_ptr<HostBackend> host = ConnectLibreOfficeAt(connection);
    if (!host)
        throw HostError(Msg::OfficeUnreachable + OfficeConnectionUrl(connection) + ")");
    const int count = host->WorkbookCount();
    std::vector<int> chosen = positions;
    if (chosen.empty()) {
        for (int position = 1; position <= count; ++position)
            chosen.push_back(position);
    }

    // Which file each chosen workbook goes to, all settled before anything is stored.
    std::vector<std::pair<std::string, fs::path>> plan;  // listed name, target
    std::set<fs::path> targets;
    for (int position : chosen) {
        if (position < 1 || position > count)
            throw HostError(Msg::NoWorkbookAt + std::to_string(position) + Msg::WorkbookAtSuffix);
        std::string name = host->WorkbookFullName(position);
        fs::path source = PathFromUtf8(name);
        if (!source.is_absolute())
            throw HostError(Msg::WorkbookHasNoFile + name);
        fs::path target = fs::absolute(saveAsDir.empty() ? source : PathFromUtf8(saveAsDir) / source.filename());
        target = target.lexically_normal();
        if (!targets.insert(target).second)
            throw HostError(Msg::TwoWorkbooksOneFile + Utf8FromPath(target));
        plan.emplace_back(std::move(name), std::move(target));
    }

    UnoConnection link(OfficeConnectionUrl(connection));
    if (!force) {
        const std::string ourProfile = OfficeProfileUrl(link);
        for (const auto& [name, target] : plan) {
            std::error_code error;
            if (!saveAsDir.empty() && fs::exists(fs::symlink_status(target, error)))
                throw HostError(Msg::TargetExists + Utf8FromPath(target) + Msg::OfWorkbook + name + ")");
            if (LockedElsewhere(target, ourProfile))
                throw HostError(Msg::OpenedElsewhere + Utf8FromPath(LockFileOf(target).filename()) +
                                Msg::OpenedElsewhereEnd + Utf8FromPath(target));
        }
    }
    std::vector<uno::Reference<frame::XModel>> models;
    try {
        models = SpreadsheetModels(link.Desktop());
    } catch (const uno::Exception&) {
        throw HostError(Msg::WorkbooksNotReadable + CaughtUnoExceptionText());
    }

    std::vector<std::string> written;
    for (const auto& [name, target] : plan) {
        uno::Reference<frame::XModel> model;
        try {
            for (const auto& candidate : models) {
                if (ListedName(candidate) == name) {
                    model = candidate;
                    break;
                }
            }
        } catch (const uno::Exception&) {
            throw HostError(Msg::WorkbooksNotReadable + CaughtUnoExceptionText());
        }
        if (!model.is())
            throw HostError(Msg::WorkbookNoLongerOpen + name);
        StoreAtomically(model, target);
        if (saveAsDir.empty()) {
            try {
                uno::Reference<util::XModifiable> modifiable(model, uno::UNO_QUERY);
                if (modifiable.is())
                    modifiable->setModified(false);  // it is saved where it came from
            } catch (const uno::Exception&) {
                // Only the office's "modified" mark; the file is written.
            }
        }
        written.push_back(Utf8FromPath(target));
    }
    return written;
}
