#include "library/listheader/textvalue.h"

#include "library/arithmetic/arithmetic.h"
#include "library/languages/libraryerror.h"
#include "library/arithmetic/plainnumber.h"
#include "library/languages/vmlanguages.h"

#include <stdexcept>

namespace {

constexpr int PlainNumberMode = 5;

[[noreturn]] void Reject(const std::string& text)
{
    throw LibraryError(LanguageStore.GetText("IDS_WRONGVALUE") + " " + text);
}

bool Accepts(int mode, float value)
{
    switch (mode) {
    case 1: return value > 0;
    case 2: return value >= 0;
    case 3: return value < 0;
    case 4: return value <= 0;
    default: return true;
    }
}

} // namespace

double TextToValue(const std::string& text, int mode, bool emptyIsZero)
{
    if (mode < 0 || mode > PlainNumberMode)
        throw std::invalid_argument("TextToValue: unknown mode " + std::to_string(mode));
    if (emptyIsZero && text.empty())
        return 0;

    float value = 0;
    if (mode == PlainNumberMode) {
        const std::string shown = DecimalCommasToPoints(text);
        // A number beyond the single range is refused rather than handed on as infinity.
        const auto number = PlainNumberValue(shown);
        if (!number)
            Reject(shown);
        value = *number;
    } else {
        const TArithmeticExpression expression(text);
        if (!expression.ErrorText.empty())
            throw LibraryError(expression.ErrorText);
        value = static_cast<float>(expression.Value);
    }
    if (!Accepts(mode, value))
        Reject(text);
    return value;
}
