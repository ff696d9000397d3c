#include "unohost.h"

std::shared_ptr<HostBackend> ConnectLibreOffice()
{
    return nullptr;
}
