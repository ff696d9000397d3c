#include "library/xmlscanner/dtddefs.h"

#include "library/xmlscanner/scannertext.h"

#include <cstring>

using scannertext::IsQuote;
using scannertext::StartsWith;

namespace {

// Moves to the next quotation mark, ">", "[" or the terminating zero.
const char* SeekLiteral(const char* p)
{
    while (*p != '\0' && !IsQuote(*p) && *p != '>' && *p != '[')
        ++p;
    return p;
}

// Reads the literal opened by the mark at p; answers its closing mark, or the
// terminating zero when the literal is not closed.
const char* ReadLiteral(const char* p, std::string& out)
{
    const char* body = p + 1;
    const char* close = std::strchr(body, *p);
    const char* end = close ? close : body + std::strlen(body);
    out.assign(body, end);
    return end;
}

} // namespace

TExternalID::TExternalID(const char* Start)
{
    const char* p = Start;
    const bool isPublic = StartsWith(p, "PUBLIC");
    if (isPublic || StartsWith(p, "SYSTEM"))
        p += 6;
    p = SeekLiteral(p);
    if (isPublic) {
        if (!IsQuote(*p)) {
            Final = p;
            return;
        }
        p = ReadLiteral(p, PublicId);
        if (*p == '\0') {
            Final = p;
            return;
        }
        p = SeekLiteral(p + 1);
    }
    if (IsQuote(*p))
        p = ReadLiteral(p, SystemId);
    Final = p;
}
