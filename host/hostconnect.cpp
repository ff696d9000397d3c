#include "host/hostconnect.h"

#if defined(_WIN32)
#include "host/excel/excelhost.h"
#elif defined(KORVEX_HAVE_UNO)
#include "host/libreoffice/unohost.h"
#endif

std::shared_ptr<HostBackend> ConnectDefaultHost()
{
#if defined(_WIN32)
    return ConnectExcel();
#elif defined(KORVEX_HAVE_UNO)
    return ConnectLibreOffice();
#else
    return nullptr;
#endif
}
