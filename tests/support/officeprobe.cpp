// Exits 0 when an office accepts connections at the given description (default:
// KORVEX_OFFICE, else the pipe "korvex"), 1 otherwise. scripts/office.sh waits with it.

#include "unohost.h"

#include <cstdio>

int main(int argc, char** argv)
{
    auto host = argc > 1 ? ConnectLibreOfficeAt(argv[1]) : ConnectLibreOffice();
    if (!host) {
        std::fprintf(stderr, "no office answers\n");
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
