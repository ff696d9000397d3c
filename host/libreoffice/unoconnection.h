#pragma once

// The UNO side of the LibreOffice backend, shared with the test fixtures that drive
// an office of their own. Only code built against the UNO SDK includes this header.

#include "host/hostbackend.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

namespace cppu {
class UnoUrl;
}

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// UTF-8 std::string <-> UNO string. Invalid UTF-8 becomes replacement characters.
std::string ToUtf8(const rtl::OUString& text);
rtl::OUString FromUtf8(std::string_view text);

// The office's file URL of a path (made absolute first). Throws HostError when the path
// has none.
rtl::OUString FileUrl(const std::filesystem::path& path);

// A property list for the office's calls ({"Hidden", Any(true)}, ...), in the given order.
css::uno::Sequence<css::beans::PropertyValue> Properties(
    const std::vector<std::pair<const char*, css::uno::Any>>& values);

// The text of the UNO exception being handled, with its type: call only inside a
// catch block that caught a css::uno::Exception.
std::string CaughtUnoExceptionText();

// This process's own UNO runtime, bootstrapped once and kept until the process ends.
// Throws HostError when the LibreOffice libraries cannot be bootstrapped.
css::uno::Reference<css::uno::XComponentContext> LocalUnoContext();

// One connection (an URP bridge) to a running office. The bridge is disposed when
// the object goes, so no remote thread or socket outlives its owner.
class UnoConnection {
public:
    // Connects to a UNO URL ("uno:pipe,name=korvex;urp;StarOffice.ComponentContext").
    // Throws HostError when nothing answers or the URL is malformed.
    explicit UnoConnection(const std::string& unoUrl);
    ~UnoConnection();
    UnoConnection(const UnoConnection&) = delete;
    UnoConnection& operator=(const UnoConnection&) = delete;

    const css::uno::Reference<css::uno::XComponentContext>& RemoteContext() const { return remote_; }
    // The office's desktop, created afresh on the remote context.
    css::uno::Reference<css::frame::XDesktop2> Desktop() const;

private:
    void Connect(const cppu::UnoUrl& url);

    css::uno::Reference<css::lang::XComponent> bridge_;
    css::uno::Reference<css::uno::XComponentContext> remote_;
};
