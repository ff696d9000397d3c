#include "scanlog.h"

#include <gtest/gtest.h>

namespace {

} // namespace
