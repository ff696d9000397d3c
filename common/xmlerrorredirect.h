#pragma once

#include <libxml/xmlerror.h>

// While it lives, the errors libxml2 reports through its global handler (a parse or a
// validation without a context of its own) go to handler with context, not to stderr;
// the handler before it comes back when it goes.
class XmlErrorRedirect {
public:
    XmlErrorRedirect(void* context, xmlStructuredErrorFunc handler)
        : oldHandler_(xmlStructuredError)
        , oldContext_(xmlStructuredErrorContext)
    {
        xmlSetStructuredErrorFunc(context, handler);
    }
    ~XmlErrorRedirect() { xmlSetStructuredErrorFunc(oldContext_, oldHandler_); }
    XmlErrorRedirect(const XmlErrorRedirect&) = delete;
    XmlErrorRedirect& operator=(const XmlErrorRedirect&) = delete;

private:
    xmlStructuredErrorFunc oldHandler_;
    void* oldContext_;
};
