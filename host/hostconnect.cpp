#include "hostconnect.h"

#if defined(_WIN32)
#include "excelhost.h"
#elif defined(KORVEX_HAVE_UNO)
#include "unohost.h"
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
