#pragma once

#include <string>
#include <string_view>
#include <vector>

// Turns a text such as "2*(3,5+1)/4" into a number while it is constructed: decimal numbers
// with "." or "," as the point, + - * / (also × and ÷), a leading sign and parentheses.
// Every step is rounded to single precision. Look at ErrorText first: Value means
// something only when ErrorText is empty. Failures never leave the constructor.
class TArithmeticExpression {
public:
    enum class OperatorTypes { Add, Subtract, Multiply, Divide, None };

    // Deeper nesting of parentheses than this is refused as a malformed expression, so
    // the recursion over parenthesised parts stays bounded.
    static constexpr int MaxNesting = 256;

    explicit TArithmeticExpression(std::string_view expression);

    double Value = 0;
    // Empty after success; otherwise the store's "IDS_EXPRESSIONERROR" text followed by
    // the expression as it was given.
    std::string ErrorText;

    // The whole evaluation of one text; also leaves each intermediate result in Value.
    // Throws LibraryError on any failure.
    long double Evaluate(std::string_view expression);

    // Splits a text into numbers and the operators between them, checking the grammar and
    // evaluating parenthesised parts on the way. Throws LibraryError on any failure.
    void Parse(std::string_view expression, std::vector<float>& values,
               std::vector<OperatorTypes>& operators);

private:
    void ApplyPass(std::vector<float>& values, std::vector<OperatorTypes>& operators,
                   OperatorTypes first, OperatorTypes second, std::string_view expression);
};
