// Evaluations per second of TArithmeticExpression on a set of short expressions, beside
// muParser parsing and evaluating the same expressions, one fresh parse per evaluation.
#include "library/arithmetic/arithmetic.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#ifdef KORVEX_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

// Written the same for both evaluators: "." points, ASCII operators.
const std::vector<std::string> Expressions = {
    "2*(3.5+1)/4", "1/3", "-273.15", "8/2/2", "2+3*4", "(1+2)*(3+4)",
    "1e3*2.5-7", "((2))", "0.1+0.2", "12.5*(1-0.25)/(2+0.5)",
};

constexpr long Evaluations = 1000000;

template <typename Evaluate>
double Run(Evaluate evaluate, double& checksum)
{
    const auto start = std::chrono::steady_clock::now();
    checksum = 0;
    for (long i = 0; i < Evaluations; ++i)
        checksum += evaluate(Expressions[i % Expressions.size()]);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return Evaluations / elapsed.count();
}

void Report(const char* name, double perSecond, double checksum)
{
    std::printf("%-44s %12.0f evaluations/s  (%.3f us each, checksum %.6g)\n", name, perSecond,
                1e6 / perSecond, checksum);
}

} // namespace

int main()
{
    std::printf("%ld evaluations over %zu expressions\n", Evaluations, Expressions.size());

    double ours = 0;
    const double oursPerSecond = Run([](const std::string& text) {
        const TArithmeticExpression expression(text);
        return expression.Value;
    }, ours);
    Report("TArithmeticExpression (single precision)", oursPerSecond, ours);

#ifdef KORVEX_HAVE_MUPARSER
    mu::Parser parser;
    double theirs = 0;
    const double theirsPerSecond = Run([&parser](const std::string& text) {
        parser.SetExpr(text);
        return parser.Eval();
    }, theirs);
    Report("muParser SetExpr + Eval (double precision)", theirsPerSecond, theirs);
    std::printf("ratio TArithmeticExpression / muParser: %.2f\n", oursPerSecond / theirsPerSecond);

    for (const std::string& text : Expressions) {
        parser.SetExpr(text);
        const double expected = parser.Eval();
        const double got = TArithmeticExpression(text).Value;
        if (std::fabs(got - expected) > 1e-6 * std::fmax(1.0, std::fabs(expected)))
            std::printf("differs: %s = %.17g, muParser %.17g\n", text.c_str(), got, expected);
    }
#else
    std::printf("muParser: not found at configure time, no comparison\n");
#endif
    return 0;
}
