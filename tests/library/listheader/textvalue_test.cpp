#include "library/listheader/textvalue.h"
#include "library/languages/libraryerror.h"
#include "tests/library/languages/scopedlanguage.h"
#include "tests/support/caseprint.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

struct Accepted {
    const char* text;
    int mode;
    bool emptyIsZero;
    float value;
};

void PrintTo(const Accepted& c, std::ostream* out)
{
    *out << CaseText(c.text) << " mode " << c.mode << (c.emptyIsZero ? " empty=0" : "") << " is " << c.value;
}

class AcceptsValue : public testing::TestWithParam<Accepted> {};

TEST_P(AcceptsValue, InSinglePrecision)
{
    const Accepted& c = GetParam();
    EXPECT_EQ(TextToValue(c.text, c.mode, c.emptyIsZero), static_cast<double>(c.value))
        << c.text << " mode " << c.mode;
}

INSTANTIATE_TEST_SUITE_P(Modes, AcceptsValue, testing::Values(
    Accepted{"2,5", 5, false, 2.5f}, Accepted{"-.5", 5, false, -0.5f}, Accepted{"12abc", 5, false, 12},
    Accepted{"", 5, false, 0}, Accepted{"1e3", 5, false, 1000}, Accepted{"2*3+1", 0, false, 7},
    Accepted{"", 0, false, 0}, Accepted{"1/3", 0, false, 1.0f / 3.0f}, Accepted{"0.1", 0, false, 0.1f},
    Accepted{"0,1", 5, false, 0.1f}, Accepted{"-273,15", 0, false, -273.15f},
    Accepted{"0,5", 1, false, 0.5f}, Accepted{"0", 2, false, 0}, Accepted{"-1", 3, false, -1},
    Accepted{"0", 4, false, 0}, Accepted{"", 1, true, 0}, Accepted{"", 3, true, 0}));

TEST(TextToValue, ZeroPointOneComesBackInSinglePrecision)
{
    EXPECT_EQ(TextToValue("0.1", 0), 0.10000000149011612);
    EXPECT_NE(TextToValue("0.1", 5), 0.1);
}

struct Rejected {
    const char* text;
    int mode;
    const char* shown;  // the text as the message carries it
};

void PrintTo(const Rejected& c, std::ostream* out)
{
    *out << CaseText(c.text) << " mode " << c.mode;
}

class RejectsValue : public testing::TestWithParam<Rejected> {};

TEST_P(RejectsValue, WithTheStoreTextASpaceAndTheText)
{
    const Rejected& c = GetParam();
    try {
        TextToValue(c.text, c.mode);
        FAIL() << c.text << " mode " << c.mode << " accepted";
    } catch (const LibraryError& error) {
        EXPECT_EQ(std::string(error.what()), std::string(" ") + c.shown);
    }
    const ScopedLanguage language({{"IDS_WRONGVALUE", "Hibás érték:"}});
    try {
        TextToValue(c.text, c.mode);
        FAIL() << c.text << " mode " << c.mode << " accepted";
    } catch (const LibraryError& error) {
        EXPECT_EQ(std::string(error.what()), std::string("Hibás érték: ") + c.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, RejectsValue, testing::Values(
    Rejected{"abc", 5, "abc"}, Rejected{" 5", 5, " 5"}, Rejected{"x,5", 5, "x.5"},
    Rejected{"1e39", 5, "1e39"}, Rejected{"0", 1, "0"}, Rejected{"-2", 2, "-2"},
    Rejected{"0", 3, "0"}, Rejected{"1-0,5", 4, "1-0,5"}, Rejected{"", 1, ""}, Rejected{"", 3, ""}));

TEST(TextToValue, AMalformedExpressionCarriesTheEvaluatorsTextAlone)
{
    const ScopedLanguage language({{"IDS_WRONGVALUE", "Hibás érték:"}, {"IDS_EXPRESSIONERROR", "Hibás kifejezés: "}});
    for (int mode = 0; mode <= 4; ++mode) {
        try {
            TextToValue("2+x", mode);
            FAIL() << "accepted";
        } catch (const LibraryError& error) {
            EXPECT_STREQ(error.what(), "Hibás kifejezés: 2+x");
        }
    }
    EXPECT_THROW(TextToValue("1/0", 0), LibraryError);
}

TEST(TextToValue, UnknownModeIsAProgrammingError)
{
    EXPECT_THROW(TextToValue("1", 6), std::invalid_argument);
    EXPECT_THROW(TextToValue("1", -1), std::invalid_argument);
}

} // namespace
