#include "data/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include "data/cell_format.h"

namespace vextal {
namespace {

TEST(FormatFixed, RoundsExactDecimalTiesAwayFromZero) {
    EXPECT_EQ(FormatFixed(1234.5L, 0), "1235");
    EXPECT_EQ(FormatFixed(0.125L, 2), "0.13");
    EXPECT_EQ(FormatFixed(2.5L, 0), "3");
    EXPECT_EQ(FormatFixed(0.5L, 0), "1");
    EXPECT_EQ(FormatFixed(-2.5L, 0), "-3");
    EXPECT_EQ(FormatFixed(-0.125L, 2), "-0.13");
    EXPECT_EQ(FormatFixed(1.0625L, 3), "1.063");
}

TEST(FormatFixed, RoundsValuesBesideATieToNearest) {
    EXPECT_EQ(FormatFixed(std::nextafter(2.5L, 0.0L), 0), "2");
    EXPECT_EQ(FormatFixed(std::nextafter(0.125L, 0.0L), 2), "0.12");
    EXPECT_EQ(FormatFixed(std::nextafter(0.125L, 1.0L), 2), "0.13");
    EXPECT_EQ(FormatFixed(0.1L, 1), "0.1");
    EXPECT_EQ(FormatFixed(2.0L / 3.0L, 4), "0.6667");
}

TEST(FormatFixed, CarriesIntoNewDigits) {
    EXPECT_EQ(FormatFixed(9.5L, 0), "10");
    EXPECT_EQ(FormatFixed(-999.5L, 0), "-1000");
    EXPECT_EQ(FormatFixed(0.96875L, 1), "1.0");
    EXPECT_EQ(FormatFixed(99.999L, 2), "100.00");
}

TEST(FormatFixed, PadsAndSigns) {
    EXPECT_EQ(FormatFixed(1.5L, 3), "1.500");
    EXPECT_EQ(FormatFixed(0.0L, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.0L, 2), "0.00");
    EXPECT_EQ(FormatFixed(123.0L, 0), "123");
    EXPECT_EQ(FormatFixed(123.0L, -4), "123");
    EXPECT_EQ(FormatFixed(-0.001L, 2), "-0.00");
}

TEST(FormatFixed, HandlesTheWholeRange) {
    const std::string largest = FormatFixed(LDBL_MAX, 0);
    EXPECT_EQ(largest.size(), 4933u);
    EXPECT_EQ(largest.substr(0, 20), "11897314953572317650");
    EXPECT_EQ(FormatFixed(1e300L, 0).size(), 301u);
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::denorm_min(), 3), "0.000");
    EXPECT_EQ(FormatFixed(-1e-4000L, 2), "-0.00");
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::infinity(), 2), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<long double>::infinity(), 2), "-INF");
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::quiet_NaN(), 2), "NAN");
}

TEST(FormatScientific4, WritesFourSignificantDigitsAndATwoDigitExponent) {
    EXPECT_EQ(FormatScientific4(12345678.0L), "1.235E+07");
    EXPECT_EQ(FormatScientific4(-4.56e-5L), "-4.560E-05");
    EXPECT_EQ(FormatScientific4(5.0L), "5.000E+00");
    EXPECT_EQ(FormatScientific4(0.0L), "0.000E+00");
    EXPECT_EQ(FormatScientific4(0.0001L), "1.000E-04");
}

TEST(FormatScientific4, KeepsEverySignificantExponentDigit) {
    EXPECT_EQ(FormatScientific4(1e300L), "1.000E+300");
    EXPECT_EQ(FormatScientific4(1e-300L), "1.000E-300");
    EXPECT_EQ(FormatScientific4(1e-4000L), "1.000E-4000");
    EXPECT_EQ(FormatScientific4(LDBL_MAX), "1.190E+4932");
    EXPECT_EQ(FormatScientific4(-LDBL_MAX), "-1.190E+4932");
    EXPECT_EQ(FormatScientific4(std::numeric_limits<long double>::denorm_min()), "3.645E-4951");
}

TEST(FormatScientific4, RoundsTiesAwayAndCarriesIntoTheExponent) {
    EXPECT_EQ(FormatScientific4(12345.0L), "1.235E+04");
    EXPECT_EQ(FormatScientific4(-12345.0L), "-1.235E+04");
    EXPECT_EQ(FormatScientific4(std::nextafter(12345.0L, 0.0L)), "1.234E+04");
    EXPECT_EQ(FormatScientific4(99996000.0L), "1.000E+08");
    EXPECT_EQ(FormatScientific4(99995.0L), "1.000E+05");
    EXPECT_EQ(FormatScientific4(99994.0L), "9.999E+04");
    EXPECT_EQ(FormatScientific4(9.9996e-7L), "1.000E-06");
}

TEST(FormatExact, ChoosesFixedOrExponentFormByMagnitude) {
    EXPECT_EQ(FormatExact(123456789.0L), "1.23456789E+08");
    EXPECT_EQ(FormatExact(10000000.0L), "10000000");
    EXPECT_EQ(FormatExact(1234567.5L), "1234567.5");
    EXPECT_EQ(FormatExact(1.123456789L), "1.123456789");
    EXPECT_EQ(FormatExact(0.00011L), "0.00011");
    EXPECT_EQ(FormatExact(0.0001L), "1E-04");
    EXPECT_EQ(FormatExact(1e-10L), "1E-10");
    EXPECT_EQ(FormatExact(-2.5L), "-2.5");
    EXPECT_EQ(FormatExact(100.0L), "100");
    EXPECT_EQ(FormatExact(0.0L), "0");
    EXPECT_EQ(FormatExact(-0.0L), "0");
    EXPECT_EQ(FormatExact(1e300L), "1E+300");
    EXPECT_EQ(FormatExact(LDBL_MAX), "1.189731495357231765E+4932");
    EXPECT_EQ(FormatExact(MissingValue), "1.7E+38");
}

// Values are drawn over the whole exponent range, around the fixed-form
// range and near the bottom of the range, where values lose precision.
TEST(FormatExact, ReadsBackExactlyForRandomValues) {
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<int> anyExponent(-16445 - 63, 16383);
    std::uniform_int_distribution<int> fixedExponent(-20, 30);
    std::uniform_int_distribution<int> tinyExponent(-16445 - 63, -16300);
    const NumberSettings settings;
    int failures = 0;
    for (int i = 0; i < 100000 && failures < 10; ++i) {
        const std::uint64_t mantissa = random() | (std::uint64_t{1} << 63);
        const int exponent = i % 3 == 0   ? anyExponent(random)
                             : i % 3 == 1 ? fixedExponent(random)
                                          : tinyExponent(random);
        long double x = std::ldexp(static_cast<long double>(mantissa), exponent - 63);
        if (random() & 1) x = -x;
        if (x == 0) continue;

        const std::string text = FormatExact(x);
        long double back = 0;
        const bool read = ParseNumber(text, settings, back);
        const long double magnitude = std::fabs(x);
        const bool fixed = magnitude > 0.0001L && magnitude <= 10000000.0L;
        if (!read || back != x || (text.find('E') == std::string::npos) != fixed) {
            ++failures;
            ADD_FAILURE() << text;
        }
    }
}

}  // namespace
}  // namespace vextal
