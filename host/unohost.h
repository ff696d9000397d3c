#pragma once

#include "hostbackend.h"

#include <memory>

// Connects to a running LibreOffice that listens on a UNO connection: the pipe
// "korvex" unless KORVEX_OFFICE gives another connection description. nullptr when none.
std::shared_ptr<HostBackend> ConnectLibreOffice();
