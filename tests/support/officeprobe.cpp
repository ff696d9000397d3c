// Tells whether an office accepts connections, or ends it cleanly; scripts/office.sh
// uses it to wait for and to stop its office.
//
//   korvex_officeprobe [DESCRIPTION]              exit 0 when an office answers, 1 when none
//   korvex_officeprobe --terminate [DESCRIPTION]  asks the office to end (exit 0 when asked)
//
// DESCRIPTION is a connection description such as "pipe,name=korvex"; without it,
// KORVEX_OFFICE or the pipe "korvex".

#include "host/libreoffice/unoconnection.h"
#include "host/libreoffice/unohost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string DescriptionFrom(int argc, char** argv, int first)
{
    if (argc > first)
        return argv[first];
    const char* chosen = std::getenv("KORVEX_OFFICE");
    return chosen ? chosen : "";
}

int Terminate(const std::string& description)
{
    try {
        UnoConnection connection(OfficeConnectionUrl(description));
        if (!connection.Desktop()->terminate()) {
            std::fprintf(stderr, "the office refused to end\n");
            return 1;
        }
    } catch (const HostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const css::uno::Exception&) {
        // The bridge breaks as the office goes down: it did end.
    }
    return 0;
}

int Probe(const std::string& description)
{
    auto host = ConnectLibreOfficeAt(description);
    if (!host) {
        std::fprintf(stderr, "no office answers at %s\n", OfficeConnectionUrl(description).c_str());
        return 1;
    }
    try {
        std::printf("%d workbook(s) open\n", host->WorkbookCount());
    } catch (const HostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--terminate") == 0)
        return Terminate(DescriptionFrom(argc, argv, 2));
    return Probe(DescriptionFrom(argc, argv, 1));
}
