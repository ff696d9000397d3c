#include "host/libreoffice/unoconnection.h"

#include "common/messages.h"
#include "common/pathtext.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/exc_hlp.hxx>
#include <cppuhelper/unourl.hxx>
#include <osl/file.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/malformeduriexception.hxx>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#ifndef KORVEX_LO_FUNDAMENTALRC
#define KORVEX_LO_FUNDAMENTALRC "file:///usr/lib/libreoffice/program/fundamentalrc"
#endif

using namespace css;

namespace {

// The local runtime only serves as the client end of the bridges. Bootstrapping it
// twice in one process is not supported by the libraries, so it lives until exit.
struct LocalRuntime {
    LocalRuntime()
    {
        // Without this the remote Desktop service crashes the client instead of
        // throwing; a caller's own URE_BOOTSTRAP wins.
        if (!std::getenv("URE_BOOTSTRAP"))
            rtl::Bootstrap::set("URE_BOOTSTRAP", KORVEX_LO_FUNDAMENTALRC);
#ifdef SIGPIPE
        // The bridges write to a socket: when the office dies, the next write must fail
        // with an exception the caller reports, not end this process by SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
#endif
        context = cppu::defaultBootstrap_InitialComponentContext();
    }
    ~LocalRuntime()
    {
        try {
            uno::Reference<lang::XComponent> component(context, uno::UNO_QUERY);
            if (component.is())
                component->dispose();
        } catch (...) {
        }
    }
    uno::Reference<uno::XComponentContext> context;
};

void DisposeQuietly(const uno::Reference<lang::XComponent>& component)
{
    if (!component.is())
        return;
    try {
        component->dispose();
    } catch (...) {
        // The office may already be gone; the bridge is finished either way.
    }
}

// Disposes its component when it goes out of scope, also when a constructor throws.
struct DisposeGuard {
    ~DisposeGuard() { DisposeQuietly(component); }
    uno::Reference<lang::XComponent> component;
};

}  // namespace

std::string ToUtf8(const rtl::OUString& text)
{
    rtl::OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), bytes.getLength());
}

rtl::OUString FromUtf8(std::string_view text)
{
    return rtl::OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

rtl::OUString FileUrl(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string text = Utf8FromPath(error ? path : absolute);
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(FromUtf8(text), url) != osl::FileBase::E_None)
        throw HostError(Msg::NoFileUrl + text);
    return url;
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

std::string CaughtUnoExceptionText()
{
    uno::Any caught = cppu::getCaughtException();
    uno::Exception exception;
    std::string text = ToUtf8(caught.getValueTypeName());
    if ((caught >>= exception) && !exception.Message.isEmpty())
        text += ": " + ToUtf8(exception.Message);
    return text;
}

uno::Reference<uno::XComponentContext> LocalUnoContext()
{
    try {
        static LocalRuntime runtime;
        return runtime.context;
    } catch (const cppu::BootstrapException& e) {
        throw HostError(Msg::OfficeLibrariesNotStarted + ToUtf8(e.getMessage()));
    } catch (const uno::Exception&) {
        throw HostError(Msg::OfficeLibrariesNotStarted + CaughtUnoExceptionText());
    }
}

UnoConnection::UnoConnection(const std::string& unoUrl)
{
    // A busy office now and then drops a connection it has just accepted, before the
    // first call over it is answered: the caller would see "no office" although one
    // runs. Such a drop is tried again; a refused connection (nothing listens) is not.
    constexpr int Attempts = 5;
    auto pause = std::chrono::milliseconds(100);
    for (int attempt = 1;; ++attempt) {
        try {
            cppu::UnoUrl url(FromUtf8(unoUrl));
            Connect(url);
            return;
        } catch (const rtl::MalformedUriException& e) {
            throw HostError(Msg::MalformedConnection + unoUrl + ": " + ToUtf8(e.getMessage()));
        } catch (const connection::NoConnectException&) {
            throw HostError(Msg::NoOfficeOnConnection + unoUrl + " (" + CaughtUnoExceptionText() + ")");
        } catch (const uno::Exception&) {
            if (attempt == Attempts)
                throw HostError(Msg::NoOfficeOnConnection + unoUrl + " (" + CaughtUnoExceptionText() + ")");
        }
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
}

void UnoConnection::Connect(const cppu::UnoUrl& url)
{
    uno::Reference<uno::XComponentContext> local = LocalUnoContext();
    uno::Reference<connection::XConnection> link =
        connection::Connector::create(local)->connect(url.getConnection().getDescriptor());
    uno::Reference<bridge::XBridge> bridge =
        bridge::BridgeFactory::create(local)->createBridge("", url.getProtocol().getDescriptor(), link, nullptr);
    DisposeGuard guard{uno::Reference<lang::XComponent>(bridge, uno::UNO_QUERY_THROW)};
    remote_.set(bridge->getInstance(url.getObjectName()), uno::UNO_QUERY_THROW);
    std::swap(bridge_, guard.component);
}

UnoConnection::~UnoConnection()
{
    remote_.clear();
    DisposeQuietly(bridge_);
}

uno::Reference<frame::XDesktop2> UnoConnection::Desktop() const
{
    try {
        return frame::Desktop::create(remote_);
    } catch (const uno::Exception&) {
        throw HostError(Msg::NoDesktop + CaughtUnoExceptionText());
    }
}
