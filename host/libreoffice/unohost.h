#pragma once

#include "host/hostbackend.h"

#include <memory>
#include <string>
#include <string_view>

// The connection description used when KORVEX_OFFICE is not set.
extern const char* const DefaultOfficeConnection;  // "pipe,name=korvex"

// The full UNO URL for a connection description: a bare one ("pipe,name=korvex",
// "socket,host=localhost,port=2002") gets the URP protocol and the office's component
// context; one that already names a protocol ("...;urp;...") or a whole "uno:" URL
// is completed or kept as it is. An empty description means the default one.
std::string OfficeConnectionUrl(std::string_view description);

// Connects to a running LibreOffice that listens on a UNO connection: the pipe
// "korvex" unless KORVEX_OFFICE gives another connection description. nullptr when
// none answers; a refused connection answers at once.
std::shared_ptr<HostBackend> ConnectLibreOffice();
// The same for a given connection description.
std::shared_ptr<HostBackend> ConnectLibreOfficeAt(std::string_view description);
