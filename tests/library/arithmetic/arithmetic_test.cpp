#include "library/arithmetic/arithmetic.h"
#include "library/languages/libraryerror.h"
#include "library/arithmetic/plainnumber.h"
#include "tests/library/languages/scopedlanguage.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct Evaluated {
    const char* expression;
    float value;
};

void PrintTo(const Evaluated& c, std::ostream* out)
{
    *out << CaseText(c.expression);
}

class Evaluates : public testing::TestWithParam<Evaluated> {};

TEST_P(Evaluates, ToTheSingleValue)
{
    const TArithmeticExpression expression(GetParam().expression);
    EXPECT_EQ(expression.ErrorText, "");
    EXPECT_EQ(expression.Value, static_cast<double>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Grammar, Evaluates, testing::Values(
    Evaluated{"", 0}, Evaluated{" 7 ", 7}, Evaluated{"\t7\r\n", 7}, Evaluated{"1 + 2", 3},
    Evaluated{"-3", -3}, Evaluated{"+3", 3}, Evaluated{"2*(3+4)", 14}, Evaluated{"((2))", 2},
    Evaluated{"(1+2)*(3+4)", 21}, Evaluated{"2+()", 2}, Evaluated{"7/2", 3.5f},
    Evaluated{"1e-50", 0}, Evaluated{"3,5*2", 7}, Evaluated{"2e+", 2}, Evaluated{"3×4", 12},
    Evaluated{"8÷2", 4}, Evaluated{"8/2/2", 2}, Evaluated{"2-3-4", -5}, Evaluated{"2+3*4", 14},
    Evaluated{"2*(-3)", -6}, Evaluated{"2*(3,5+1)/4", 2.25f}, Evaluated{"( 1 + 2 ) * 3", 9},
    Evaluated{"-(2+3)", -5}, Evaluated{"1/3", 1.0f / 3.0f}, Evaluated{"-273,15", -273.15f}));

// The number tokens: "," is a point, the longest numeric beginning counts.
INSTANTIATE_TEST_SUITE_P(NumberTokens, Evaluates, testing::Values(
    Evaluated{".5", 0.5f}, Evaluated{"5.", 5}, Evaluated{".", 0}, Evaluated{"1,25", 1.25f},
    Evaluated{"1e3", 1000}, Evaluated{"1E-2", 0.01f}, Evaluated{"1e+", 1}, Evaluated{"1e2.5", 100},
    Evaluated{"3.4e38", 3.4e38f}));

// Each step is rounded to single precision before the next one uses it.
INSTANTIATE_TEST_SUITE_P(SinglePrecision, Evaluates, testing::Values(
    Evaluated{"0.1+0.2", 0.1f + 0.2f}, Evaluated{"16777216+1-16777216", 0},
    Evaluated{"1e-30*1e-30", 0}, Evaluated{"3e38-3e38+3e38", 3e38f}));

TEST(ArithmeticExpression, OneThirdInSinglePrecision)
{
    const TArithmeticExpression expression("1/3");
    EXPECT_EQ(expression.Value, 0.3333333432674408);
    EXPECT_EQ(TArithmeticExpression("1E-2").Value, 0.009999999776482582);
}

class Fails : public testing::TestWithParam<const char*> {};

TEST_P(Fails, WithTheExpressionAsErrorText)
{
    const TArithmeticExpression expression(GetParam());
    EXPECT_EQ(expression.ErrorText, GetParam());
    EXPECT_TRUE(std::isfinite(expression.Value));
}

INSTANTIATE_TEST_SUITE_P(Grammar, Fails, testing::Values(
    "   ", "1 2", "3-", "*3", "/3", "2*(3+4", "2)", "3.5,1", "2e", "1\t2", "2*-3", "--5",
    "2(3)", "(2)(3)", "2 (3)", "(2)3", "e5", "2*e5", "1ee2", "2+x", "x", "-", "(", ")",
    "1;2", "1\xC2\xA0" "2", "3\xC3", "2 × ", "1e2e3"));

// Division by zero, 0/0 and anything beyond the single range, from a step or a token.
INSTANTIATE_TEST_SUITE_P(Arithmetic, Fails, testing::Values(
    "1/0", "0/0", "-1/0", "1/(2-2)", "1e38*10", "-1e38*10", "3e38+3e38", "-3e38-3e38",
    "1e39", "1e400", "1/1e-45", "(1e20*1e20)*0"));

TEST(ArithmeticExpression, ErrorTextIsTheStoreTextFollowedByTheExpressionAsGiven)
{
    const ScopedLanguage language({{"IDS_EXPRESSIONERROR", "Hibás kifejezés: "}});
    EXPECT_EQ(TArithmeticExpression("2+x").ErrorText, "Hibás kifejezés: 2+x");
    EXPECT_EQ(TArithmeticExpression(" 2+x ").ErrorText, "Hibás kifejezés:  2+x ");
    EXPECT_EQ(TArithmeticExpression("1/0").ErrorText, "Hibás kifejezés: 1/0");
    EXPECT_EQ(TArithmeticExpression("2+3").ErrorText, "");
}

TEST(ArithmeticExpression, ErrorTextWithoutTheKeyIsTheExpressionAlone)
{
    const ScopedLanguage language({{"ids_expressionerror", "nem ez"}});
    EXPECT_EQ(TArithmeticExpression("2+x").ErrorText, "2+x");
}

TEST(ArithmeticExpression, ParseAndEvaluateThrowWithTheTrimmedExpression)
{
    const ScopedLanguage language({{"IDS_EXPRESSIONERROR", "H: "}});
    TArithmeticExpression expression("1");
    std::vector<float> values;
    std::vector<TArithmeticExpression::OperatorTypes> operators;
    try {
        expression.Parse("  2+x ", values, operators);
        FAIL() << "no failure";
    } catch (const LibraryError& error) {
        EXPECT_STREQ(error.what(), "H: 2+x");
    }
    EXPECT_THROW(expression.Evaluate("1/0"), LibraryError);
}

TEST(ArithmeticExpression, ParseSplitsIntoValuesAndOperators)
{
    TArithmeticExpression expression("");
    std::vector<float> values;
    std::vector<TArithmeticExpression::OperatorTypes> operators;
    expression.Parse("-2*(1+1)÷4", values, operators);
    using Op = TArithmeticExpression::OperatorTypes;
    EXPECT_EQ(values, (std::vector<float>{0, 2, 2, 4}));
    EXPECT_EQ(operators, (std::vector<Op>{Op::Subtract, Op::Multiply, Op::Divide}));
}

TEST(ArithmeticExpression, DeepNestingIsAnErrorNotAStackOverflow)
{
    const std::string open(100000, '(');
    EXPECT_EQ(TArithmeticExpression(open).ErrorText, open);

    const std::string balanced = open + "1" + std::string(100000, ')');
    EXPECT_EQ(TArithmeticExpression(balanced).ErrorText, balanced);

    const int limit = TArithmeticExpression::MaxNesting;
    const std::string deepest = std::string(limit, '(') + "1+1" + std::string(limit, ')');
    const TArithmeticExpression allowed(deepest);
    EXPECT_EQ(allowed.ErrorText, "");
    EXPECT_EQ(allowed.Value, 2);
    EXPECT_NE(TArithmeticExpression("(" + deepest + ")").ErrorText, "");
}

TEST(ArithmeticExpression, LongFlatExpressions)
{
    std::string sum = "0";
    for (int i = 0; i < 100000; ++i)
        sum += "+1";
    const TArithmeticExpression expression(sum);
    EXPECT_EQ(expression.ErrorText, "");
    EXPECT_EQ(expression.Value, 100000);
}

struct PlainNumber {
    const char* text;
    std::optional<float> value;
};

void PrintTo(const PlainNumber& c, std::ostream* out)
{
    *out << CaseText(c.text);
}

class ReadsPlainNumber : public testing::TestWithParam<PlainNumber> {};

TEST_P(ReadsPlainNumber, AsTheLongestDecimalBeginning)
{
    EXPECT_EQ(PlainNumberValue(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadsPlainNumber, testing::Values(
    PlainNumber{"", 0.0f}, PlainNumber{"2,5", 2.5f}, PlainNumber{"-.5", -0.5f},
    PlainNumber{"12abc", 12.0f}, PlainNumber{"+7", 7.0f}, PlainNumber{"-", 0.0f},
    PlainNumber{"+-5", 0.0f}, PlainNumber{"1e", 1.0f}, PlainNumber{"1e-", 1.0f},
    PlainNumber{"0x10", 0.0f}, PlainNumber{"-inf", 0.0f}, PlainNumber{"1e-400", 0.0f},
    PlainNumber{"0e999999999999", 0.0f}, PlainNumber{"1e-45", 1e-45f},
    PlainNumber{"abc", std::nullopt}, PlainNumber{" 5", std::nullopt},
    PlainNumber{"e5", std::nullopt}, PlainNumber{"1e39", std::nullopt},
    PlainNumber{"-1e400", std::nullopt}, PlainNumber{"3.4028236e38", std::nullopt},
    PlainNumber{"3.4028235e38", 3.4028235e38f}));

} // namespace
