#include "arithmetic.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Any text: the constructor returns, and a success never leaves an infinity or a NaN.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TArithmeticExpression expression(std::string_view(reinterpret_cast<const char*>(data), size));
    if (expression.ErrorText.empty() && !std::isfinite(expression.Value))
        std::abort();
    return 0;
}
