#pragma once

#include "host/hostbackend.h"

#include <memory>

// Connects to the platform's spreadsheet application: Excel over OLE Automation on
// Windows, LibreOffice Calc over UNO elsewhere. Returns nullptr when none answers.
std::shared_ptr<HostBackend> ConnectDefaultHost();
