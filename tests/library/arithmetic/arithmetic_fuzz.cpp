#include "library/arithmetic/arithmetic.h"
#include "library/languages/libraryerror.h"
#include "library/listheader/textvalue.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// Any text: the evaluator returns, a success never leaves an infinity or a NaN, and
// TextToValue either gives a finite value or raises the library's error.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TArithmeticExpression expression(text);
    if (expression.ErrorText.empty() && !std::isfinite(expression.Value))
        std::abort();
    for (int mode = 0; mode <= 5; ++mode) {
        for (bool emptyIsZero : {false, true}) {
            try {
                if (!std::isfinite(static_cast<double>(TextToValue(text, mode, emptyIsZero))))
                    std::abort();
            } catch (const LibraryError&) {
            }
        }
    }
    return 0;
}
