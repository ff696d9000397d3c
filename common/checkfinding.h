#pragma once

#include <string>

// One problem a control-file check has found: where it is and what it is (Hungarian).
// A note names something legal that is easily a mistake; it does not fail the check.
struct TCheckFinding {
    int line = 0;
    std::string message;
    bool note = false;
};
