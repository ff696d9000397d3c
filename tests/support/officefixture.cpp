#include "tests/support/officefixture.h"

#include "host/libreoffice/officeprocess.h"
#include "host/libreoffice/unoconnection.h"

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

#include <cctype>
#include <chrono>
#include <map>

namespace fs = std::filesystem;
using namespace css;

namespace {

constexpr auto StartTimeout = std::chrono::seconds(180);

// When a call fails because the office has gone, its last words say why.
std::string WhyGone(const OfficeProcess* process)
{
    if (!process || !process->HasEnded())
        return "";
    return "the office has ended. Its log ends:\n" + process->LogTail();
}

std::string Because(const OfficeProcess* process)
{
    std::string why = WhyGone(process);
    return why.empty() ? why : "; " + why;
}

template <class Call>
auto OfficeCall(const std::string& what, const OfficeProcess* process, Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const uno::Exception&) {
        throw OfficeError(what + ": " + CaughtUnoExceptionText() + Because(process));
    } catch (const HostError& e) {
        throw OfficeError(what + ": " + e.what() + Because(process));
    }
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

}  // namespace

struct OfficeFixture::Impl {
    std::unique_ptr<OfficeProcess> process;
    fs::path files;
    std::string connection;
    uno::Reference<frame::XDesktop2> desktop;
    std::map<int, uno::Reference<lang::XComponent>> documents;
    int nextHandle = 1;

    void Start();
    void Stop();

    uno::Reference<lang::XComponent> Load(const rtl::OUString& url);
    uno::Reference<lang::XComponent> Document(int handle) const;
    int Keep(uno::Reference<lang::XComponent> document);
};

void OfficeFixture::Impl::Start()
{
    if (FindOffice().empty())
        throw OfficeError("LibreOffice (soffice) is not installed");
    OfficeProcess::Options options;
    options.pipePrefix = "korvex-test";
    options.startTimeout = StartTimeout;
    try {
        process = std::make_unique<OfficeProcess>(options);
        files = process->Folder() / "files";
        fs::create_directories(files);
        connection = process->Connection();
        desktop = process->Link().Desktop();
    } catch (const HostError& e) {
        throw OfficeError(std::string("the office did not start: ") + e.what());
    }
}

void OfficeFixture::Impl::Stop()
{
    documents.clear();
    desktop.clear();
    process.reset();  // ends the office and removes its folder
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
    return OfficeProcess::FindOffice();
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
    if (!impl_->desktop.is() && !impl_->process)
        return;
    try {
        CloseAll();
    } catch (...) {
        // Terminating ends whatever is still open.
    }
    impl_->Stop();
}

std::string OfficeFixture::Obituary() const
{
    return WhyGone(impl_->process.get());
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
        OfficeCall("storing " + file.string(), impl_->process.get(), [&] {
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
    return OfficeCall("opening " + file.string(), impl_->process.get(), [&] { return impl_->Keep(impl_->Load(FileUrl(file))); });
}

int OfficeFixture::CreateDocument(const std::vector<Sheet>& sheets)
{
    return OfficeCall("creating a document", impl_->process.get(), [&] {
        int document = impl_->Keep(impl_->Load("private:factory/scalc"));
        Fill(impl_->process->Link().RemoteContext(), impl_->Document(document), sheets);
        return document;
    });
}

void OfficeFixture::Store(int document, const fs::path& file)
{
    OfficeCall("storing " + file.string(), impl_->process.get(), [&] {
        uno::Reference<frame::XStorable>(impl_->Document(document), uno::UNO_QUERY_THROW)
            ->storeAsURL(FileUrl(file), Properties({{"FilterName", uno::Any(FromUtf8(FilterFor(file)))},
                                                    {"Overwrite", uno::Any(true)}}));
    });
}

void OfficeFixture::Close(int document)
{
    OfficeCall("closing a document", impl_->process.get(), [&] {
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
    OfficeCall("closing the documents", impl_->process.get(), [&] {
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
    return OfficeCall("reading a title", impl_->process.get(), [&] {
        return ToUtf8(uno::Reference<frame::XTitle>(impl_->Document(document), uno::UNO_QUERY_THROW)->getTitle());
    });
}

OfficeFixture::CellInfo OfficeFixture::Inspect(int document, int sheet, const std::string& cellName)
{
    return OfficeCall("inspecting " + cellName, impl_->process.get(), [&] {
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
    OfficeCall("typing into " + cellName, impl_->process.get(),
               [&] {
                   uno::Reference<lang::XComponent> component = impl_->Document(document);
                   TypeInto(impl_->process->Link().RemoteContext(), component, CellNamed(component, sheet, cellName), input);
               });
}
