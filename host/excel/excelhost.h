#pragma once

#include "host/hostbackend.h"

#include <memory>

// Windows only: connects to the Excel that is already running ("Excel.Application"
// in the running object table) over late-bound OLE Automation. No new instance is
// started; nullptr when none answers.
std::shared_ptr<HostBackend> ConnectExcel();
