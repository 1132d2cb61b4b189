#include "decimal_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <concepts>
#include <limits>
#include <optional>
#include <string>

namespace stakora {
namespace {

using DecimalText::formatAmount;
using DecimalText::toSingle;
using Kind = NumberError::Kind;

// The kind of NumberError that `step` raises, or nothing if it succeeds.
template <std::invocable Step>
std::optional<Kind> failureOf(Step step) {
    try {
        (void)step();
    } catch (const NumberError& e) {
        return e.kind();
    }
    return std::nullopt;
}
std::optional<Kind> failureOf(const std::string& text) {
    return failureOf([&] { return toSingle(text); });
}

TEST(ToSingle, ReadsTheTextsTheKeyboardCanType) {
    EXPECT_EQ(static_cast<double>(toSingle("11,67")), 11.670000076293945);
    EXPECT_EQ(toSingle("0"), 0.0F);
    EXPECT_EQ(toSingle(",5"), 0.5F);
    EXPECT_EQ(toSingle("5,"), 5.0F);
    EXPECT_EQ(toSingle("10"), 10.0F);
    EXPECT_EQ(toSingle("007,250"), 7.25F);
    EXPECT_EQ(toSingle("0,1"), 0.1F);
}

TEST(ToSingle, RejectsTextsWithNoDigitOrSeveralCommas) {
    for (const char* text : {",", "1,2,3", "1,,2", ",,", ""}) {
        EXPECT_EQ(failureOf(text), Kind::TypeMismatch) << '"' << text << '"';
    }
}

TEST(ToSingle, RoundsOnceToTheNearestFloat) {
    // 2^24 + 1 lies exactly between two floats: ties go to the even one...
    EXPECT_EQ(toSingle("16777217"), 16777216.0F);
    // ...and anything past the midpoint, however far down the fraction, rounds up.
    EXPECT_EQ(toSingle("16777217,000000000000000000001"), 16777218.0F);
    EXPECT_EQ(toSingle("16777217," + std::string(300, '0') + "1"), 16777218.0F);
    EXPECT_EQ(toSingle("16777216," + std::string(300, '9')), 16777216.0F);
    // Just above the midpoint 1 + 2^-24: going through double would land on the midpoint and
    // then round down to 1.
    EXPECT_EQ(toSingle("1,0000000596046447755"), std::nextafter(1.0F, 2.0F));
    EXPECT_EQ(toSingle("1,0000000596046447753"), 1.0F);
}

TEST(ToSingle, OverflowsBeyondTheLargestFloat) {
    EXPECT_EQ(failureOf(std::string(40, '9')), Kind::Overflow);
    EXPECT_EQ(failureOf("340282357000000000000000000000000000000"), Kind::Overflow);
    EXPECT_EQ(toSingle("340282346638528859811704183484516925440"), FLT_MAX);
    // Leading zeros do not count towards the magnitude.
    EXPECT_EQ(toSingle(std::string(60, '0') + "12"), 12.0F);
}

TEST(ToSingle, AnswersAPastedMegabyteAtOnce) {
    EXPECT_EQ(failureOf(std::string(1 << 20, '7')), Kind::Overflow);
    EXPECT_EQ(toSingle("0," + std::string(1 << 20, '0') + "1"), 0.0F);  // underflow is silent
    EXPECT_EQ(toSingle("3," + std::string(1 << 20, '3')), toSingle("3,3333333333"));
}

TEST(ToSingle, AcceptsItalianGroupingAndSurroundingBlanks) {
    EXPECT_EQ(toSingle("1.234,50"), 1234.5F);
    EXPECT_EQ(toSingle("1.234.567"), 1234567.0F);
    EXPECT_EQ(toSingle("12.345,"), 12345.0F);
    EXPECT_EQ(toSingle("  10 "), 10.0F);
    EXPECT_EQ(toSingle("\t11,67\r\n"), 11.67F);
}

TEST(ToSingle, RejectsEverythingElseAPasteCanBring) {
    for (const char* text :
         {"1.5",     "1.23",  "12.3456", "1..234", ".5",  "1.234.56", "1234.567",
          "1,234.5", " ",     "-5",      "+5",     "1e5", "1E5",      "abc",
          "10€",     "1 000", "0x10",    "inf",    "nan", "5,-1",     "\u00a05"}) {
        EXPECT_EQ(failureOf(text), Kind::TypeMismatch) << '"' << text << '"';
    }
}

TEST(CheckedSteps, OverflowRaisesAndOrdinarySumsDoNot) {
    EXPECT_EQ(failureOf([] { return DecimalText::multiply(3.0e38F, 10.0F); }), Kind::Overflow);
    EXPECT_EQ(failureOf([] { return DecimalText::add(FLT_MAX, FLT_MAX); }), Kind::Overflow);
    EXPECT_EQ(failureOf([] { return DecimalText::subtract(-FLT_MAX, FLT_MAX); }), Kind::Overflow);
    EXPECT_EQ(DecimalText::add(1.7e38F, 1.7e38F), 3.4e38F);
    EXPECT_EQ(DecimalText::multiply(11.67F, 3.0F), 35.01000213623047F);
    EXPECT_EQ(DecimalText::subtract(0.0F, 1.0F), -1.0F);
}

TEST(FormatAmount, WritesTwoDecimalsWithTheComma) {
    EXPECT_EQ(formatAmount(0.0F), "0,00");
    EXPECT_EQ(formatAmount(116.7F), "116,70");
    EXPECT_EQ(formatAmount(-5.0F), "-5,00");
    EXPECT_EQ(formatAmount(1234.5F), "1234,50");
    EXPECT_EQ(formatAmount(0.5F), "0,50");
    EXPECT_EQ(formatAmount(11.670000076293945F), "11,67");
    EXPECT_EQ(formatAmount(35.01000213623047F), "35,01");
    EXPECT_EQ(formatAmount(99.995F), "100,00");
    EXPECT_EQ(formatAmount(16777216.0F), "16777216,00");
}

TEST(FormatAmount, RoundsHalvesAwayFromZeroAsTyped) {
    EXPECT_EQ(formatAmount(0.125F), "0,13");
    EXPECT_EQ(formatAmount(-0.125F), "-0,13");
    EXPECT_EQ(formatAmount(2.675F), "2,68");  // stored just below the half, typed as 2,675
    EXPECT_EQ(formatAmount(0.005F), "0,01");
    EXPECT_EQ(formatAmount(0.0049F), "0,00");
    EXPECT_EQ(formatAmount(0.0001F), "0,00");
}

TEST(FormatAmount, NeverShowsMinusZeroOrAnExponent) {
    EXPECT_EQ(formatAmount(-0.0F), "0,00");
    EXPECT_EQ(formatAmount(-0.004F), "0,00");
    EXPECT_EQ(formatAmount(std::numeric_limits<float>::denorm_min()), "0,00");
    EXPECT_EQ(formatAmount(1e20F), "100000000000000000000,00");
    EXPECT_EQ(formatAmount(-FLT_MAX), "-340282350000000000000000000000000000000,00");
}

TEST(FormatAmount, ReadsBackThroughToSingle) {
    for (float amount : {0.01F, 1.0F, 19.99F, 123456.78F, 1e15F, FLT_MAX}) {
        EXPECT_EQ(toSingle(formatAmount(amount)), amount) << amount;
    }
}

}  // namespace
}  // namespace stakora
