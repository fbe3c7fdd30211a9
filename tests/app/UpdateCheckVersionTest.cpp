// The version-number rules of the update check: the strict parser and the two-decimal text.

#include <gtest/gtest.h>
#include <optional>
#include <string>

#include <QLocale>

#include "app/VersionNumber.h"

namespace tessoly {
namespace {

struct ParseCase {
    std::string text;
    std::optional<float> expected;
};

class ParseVersionNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseVersionNumberTest, AcceptsOnlyTheStrictGrammar) {
    const ParseCase& c = GetParam();
    const std::optional<float> parsed = ParseVersionNumber(c.text);
    ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << "text: \"" << c.text << "\"";
    if (c.expected) {
        EXPECT_EQ(*parsed, *c.expected) << "text: \"" << c.text << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseVersionNumberTest,
    ::testing::Values(
        ParseCase{"1.05", 1.05f}, ParseCase{"1.1", 1.1f}, ParseCase{"1.10", 1.1f}, ParseCase{"1.0", 1.0f},
        ParseCase{" 2 ", 2.0f}, ParseCase{"   3", 3.0f}, ParseCase{"+1.5", 1.5f}, ParseCase{"-1", -1.0f},
        ParseCase{".5", 0.5f}, ParseCase{"5.", 5.0f}, ParseCase{"1e2", 100.0f}, ParseCase{"1E+2", 100.0f},
        ParseCase{"25e-1", 2.5f}, ParseCase{"1,10", std::nullopt}, ParseCase{"1.10\n", std::nullopt},
        ParseCase{"1.10\r\n", std::nullopt}, ParseCase{"\n1.10", std::nullopt},
        ParseCase{"\t1", std::nullopt}, ParseCase{"1.10 beta", std::nullopt}, ParseCase{"", std::nullopt},
        ParseCase{" ", std::nullopt}, ParseCase{".", std::nullopt}, ParseCase{"+", std::nullopt},
        ParseCase{"1.2.3", std::nullopt}, ParseCase{"1e", std::nullopt}, ParseCase{"1e+", std::nullopt},
        ParseCase{"e5", std::nullopt}, ParseCase{"0x10", std::nullopt}, ParseCase{"inf", std::nullopt},
        ParseCase{"nan", std::nullopt}, ParseCase{"1e999", std::nullopt}, ParseCase{"--1", std::nullopt},
        ParseCase{"false", std::nullopt}, ParseCase{std::string("1\0", 2), std::nullopt}));

TEST(ParseVersionNumber, TextsThatRoundToTheSameFloatAreEqual) {
    // The comparison of the update check is between 32-bit values.
    EXPECT_EQ(ParseVersionNumber("1.05"), ParseVersionNumber("1.0500000001"));
    EXPECT_LT(*ParseVersionNumber("1.05"), *ParseVersionNumber("1.1"));
}

struct TextCase {
    float value;
    const char* expected;
};

class VersionNumberTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(VersionNumberTextTest, HasTwoDecimalsAndNoLeadingZero) {
    EXPECT_EQ(VersionNumberText(GetParam().value).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, VersionNumberTextTest,
                         ::testing::Values(TextCase{1.1f, "1.10"}, TextCase{2.0f, "2.00"},
                                           TextCase{0.5f, ".50"}, TextCase{1.05f, "1.05"},
                                           TextCase{10.0f, "10.00"}, TextCase{1234.5f, "1234.50"},
                                           TextCase{0.125f, ".13"}, TextCase{0.0f, ".00"},
                                           TextCase{-1.5f, "-1.50"},
                                           TextCase{1e20f, "100000002004087734272.00"}));

TEST(VersionNumberText, UsesAPointWhateverTheLocale) {
    const QLocale saved;
    for (const QLocale& locale :
         {QLocale(QLocale::German), QLocale(QLocale::French), QLocale(QLocale::English)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(VersionNumberText(1.1f).toStdString(), "1.10") << locale.name().toStdString();
        EXPECT_EQ(VersionNumberText(12345.0f).toStdString(), "12345.00") << locale.name().toStdString();
    }
    QLocale::setDefault(saved);
}

} // namespace
} // namespace tessoly
