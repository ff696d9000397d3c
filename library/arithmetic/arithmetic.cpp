#include "library/arithmetic/arithmetic.h"

#include "library/languages/libraryerror.h"
#include "library/arithmetic/plainnumber.h"
#include "library/languages/vmlanguages.h"

#include <cstddef>

using Op = TArithmeticExpression::OperatorTypes;

namespace {

[[noreturn]] void Fail(std::string_view expression)
{
    throw LibraryError(LanguageStore.GetText("IDS_EXPRESSIONERROR") + std::string(expression));
}

// Without the characters up to U+0020 at both ends. In UTF-8 those are exactly the bytes
// up to 0x20, since every byte of a longer character is 0x80 or above.
std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.remove_suffix(1);
    return text;
}

// The operator written at text[i] and how many bytes it takes; None for anything else.
Op OperatorAt(std::string_view text, std::size_t i, std::size_t& length)
{
    length = 1;
    switch (text[i]) {
    case '+': return Op::Add;
    case '-': return Op::Subtract;
    case '*': return Op::Multiply;
    case '/': return Op::Divide;
    default: break;
    }
    // × is U+00D7 and ÷ is U+00F7: C3 97 and C3 B7 in UTF-8.
    if (static_cast<unsigned char>(text[i]) == 0xC3 && i + 1 < text.size()) {
        length = 2;
        if (static_cast<unsigned char>(text[i + 1]) == 0x97)
            return Op::Multiply;
        if (static_cast<unsigned char>(text[i + 1]) == 0xB7)
            return Op::Divide;
    }
    return Op::None;
}

// Where the ")" matching the "(" at text[open] is; npos when the text ends first or the
// parentheses nest deeper than the limit.
std::size_t MatchingParenthesis(std::string_view text, std::size_t open)
{
    int depth = 1;
    for (std::size_t j = open + 1; j < text.size(); ++j) {
        if (text[j] == '(') {
            if (++depth > TArithmeticExpression::MaxNesting)
                return std::string_view::npos;
        } else if (text[j] == ')' && --depth == 0) {
            return j;
        }
    }
    return std::string_view::npos;
}

} // namespace

TArithmeticExpression::TArithmeticExpression(std::string_view expression)
{
    ErrorText.clear();
    try {
        Value = static_cast<double>(Evaluate(expression));
    } catch (...) {
        ErrorText = LanguageStore.GetText("IDS_EXPRESSIONERROR") + std::string(expression);
    }
}

long double TArithmeticExpression::Evaluate(std::string_view expression)
{
    if (expression.empty())
        return 0;
    std::vector<float> values;
    std::vector<OperatorTypes> operators;
    Parse(expression, values, operators);
    ApplyPass(values, operators, Op::Multiply, Op::Divide, expression);
    ApplyPass(values, operators, Op::Add, Op::Subtract, expression);
    return values[0];
}

// Applies the operators of one level from left to right, folding each into the value on
// its left, and keeps the others for the next pass. Each step works on two single-precision
// operands in double precision, which holds their exact product and rounds a sum or a
// quotient finely enough that narrowing it gives the correctly rounded single result.
// Division by zero and results beyond the single range are caught here, before they
// could turn into an infinity or a NaN.
void TArithmeticExpression::ApplyPass(std::vector<float>& values, std::vector<OperatorTypes>& operators,
                                      OperatorTypes first, OperatorTypes second,
                                      std::string_view expression)
{
    std::size_t kept = 0;  // operators kept so far; values kept = kept + 1
    for (std::size_t r = 0; r < operators.size(); ++r) {
        const OperatorTypes op = operators[r];
        const float right = values[r + 1];
        if (op != first && op != second) {
            operators[kept++] = op;
            values[kept] = right;
            continue;
        }
        const double left = values[kept];
        double x = 0;
        switch (op) {
        case Op::Add: x = left + right; break;
        case Op::Subtract: x = left - right; break;
        case Op::Multiply: x = left * right; break;
        case Op::Divide:
            if (right == 0)
                Fail(expression);
            x = left / right;
            break;
        case Op::None: break;
        }
        Value = x;
        const auto single = ToSingle(Value);
        if (!single)
            Fail(expression);
        values[kept] = *single;
    }
    operators.resize(kept);
    values.resize(kept + 1);
}

void TArithmeticExpression::Parse(std::string_view expression, std::vector<float>& values,
                                  std::vector<OperatorTypes>& operators)
{
    const std::string_view text = Trimmed(expression);
    // The pending number is always one run of the text: [tokenStart, i).
    std::size_t tokenStart = std::string_view::npos;
    bool decimalSeen = false;
    bool exponentSeen = false;

    auto flush = [&](std::size_t end, bool check) {
        if (tokenStart == std::string_view::npos)
            return;
        const auto number = PlainNumberValue(text.substr(tokenStart, end - tokenStart));
        if (!number)
            Fail(text);
        values.push_back(*number);
        tokenStart = std::string_view::npos;
        decimalSeen = false;
        exponentSeen = false;
        if (check && values.size() != operators.size() + 1)
            Fail(text);
    };
    auto appendToToken = [&](std::size_t i) {
        if (tokenStart == std::string_view::npos)
            tokenStart = i;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            appendToToken(i);
        } else if (c == '.' || c == ',') {
            if (decimalSeen)
                Fail(text);
            appendToToken(i);
            decimalSeen = true;
        } else if (c == 'E' || c == 'e') {
            if (exponentSeen || i + 1 >= text.size())
                Fail(text);
            appendToToken(i);
            if (text[i + 1] == '-' || text[i + 1] == '+')
                ++i;
            exponentSeen = true;
        } else if (c == ' ') {
            flush(i, true);
        } else if (c == '(') {
            if (tokenStart != std::string_view::npos || values.size() != operators.size())
                Fail(text);
            const std::size_t close = MatchingParenthesis(text, i);
            if (close == std::string_view::npos)
                Fail(text);
            const long double inner = Evaluate(text.substr(i + 1, close - i - 1));
            values.push_back(static_cast<float>(inner));
            i = close;
        } else {
            std::size_t length = 1;
            const OperatorTypes op = OperatorAt(text, i, length);
            if (op == Op::None)
                Fail(text);  // ")" without "(", letters, tabs inside, other signs
            flush(i, true);
            if (values.empty()) {
                if (op == Op::Multiply || op == Op::Divide)
                    Fail(text);
                values.push_back(0);  // a leading sign: -5 is 0 - 5
                operators.push_back(op);
            } else {
                operators.push_back(op);
                if (values.size() != operators.size())
                    Fail(text);
            }
            i += length - 1;
        }
    }
    flush(text.size(), false);
    if (values.size() != operators.size() + 1)
        Fail(text);
}
