#include "data/cell_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace vextal {
namespace {

const NumberSettings PointSettings{'.', ','};
const NumberSettings CommaSettings{',', ';'};

std::string Show(const DataTable& table, long double value, bool stripZeros = false) {
    return FormatCell(table, 0, value, false, false, stripZeros);
}

std::string ForFile(long double value) {
    return FormatCell(DataTable{}, 0, value, false, true, false);
}

TEST(FormatCell, SwitchesToScientificFormAtTheBoundaries) {
    DataTable table;
    table.ColumnFormat[0] = 5;
    EXPECT_EQ(Show(table, 12345678.0L), "1.235E+07");
    EXPECT_EQ(Show(table, 10000000.0L), "10000000.00000");
    EXPECT_EQ(Show(table, 0.0001L), "1.000E-04");
    EXPECT_EQ(Show(table, 0.00011L), "0.00011");
    EXPECT_EQ(Show(table, -0.00011L), "-0.00011");
    EXPECT_EQ(Show(table, -12345678.0L), "-1.235E+07");
    EXPECT_EQ(Show(table, 0.0L), "0.00000");
    EXPECT_EQ(Show(table, 0.0L, true), "0");
}

TEST(FormatCell, UsesTheColumnFormatElseAutoDecimals) {
    DataTable table;
    EXPECT_EQ(Show(table, 1.25L), "1");
    table.AutoDecimals[0] = 3;
    EXPECT_EQ(Show(table, 1.25L), "1.250");
    table.ColumnFormat[0] = 1;
    EXPECT_EQ(Show(table, 1.25L), "1.3");
    table.ColumnFormat[0] = 0;
    EXPECT_EQ(Show(table, 2.5L), "3");
    EXPECT_EQ(FormatCell(table, 99, 2.5L, false, false, false), "3");
}

TEST(FormatCell, StripsZerosAndTheSignOfAShownZero) {
    DataTable table;
    table.ColumnFormat[0] = 4;
    EXPECT_EQ(Show(table, 1.5L, true), "1.5");
    EXPECT_EQ(Show(table, 2.0L, true), "2");
    EXPECT_EQ(Show(table, 100.0L, true), "100");
    EXPECT_EQ(Show(table, -0.00012L), "-0.0001");
    table.ColumnFormat[0] = 2;
    EXPECT_EQ(Show(table, -0.001L), "0.00");
    EXPECT_EQ(Show(table, -0.001L, true), "0");
    EXPECT_EQ(Show(table, -0.0L), "0.00");
}

TEST(FormatCell, MarksExcludedValuesAndLeavesMissingBlank) {
    DataTable table;
    table.ColumnFormat[0] = 2;
    EXPECT_EQ(FormatCell(table, 0, 1.5L, true, false, false), "*1.50");
    EXPECT_EQ(FormatCell(table, 0, 12345678.0L, true, false, false), "*1.235E+07");
    EXPECT_EQ(FormatCell(table, 0, MissingValue, true, false, false), "");
    EXPECT_EQ(FormatCell(table, 0, MissingValue, false, true, false), "");
}

TEST(FileForms, KeepEveryDigit) {
    DataTable table;
    table.ColumnFormat[0] = 0;
    EXPECT_EQ(FormatCell(table, 0, 1.123456789L, false, true, false), "1.123456789");
    EXPECT_EQ(ForFile(123456789.0L), "1.23456789E+08");
    EXPECT_EQ(ForFile(1e-10L), "1E-10");
    EXPECT_EQ(ForFile(-0.5L), "-0.5");
    EXPECT_EQ(FormatStatistic(MissingValue), "");
    EXPECT_EQ(FormatStatistic(0.5L), "0.5");
    EXPECT_EQ(FormatStatistic(1.23456789e-5L), "1.23456789E-05");

    for (long double value : {123456789.0L, 1.123456789L, 1e-10L, 0.1L, -98765.4321L,
                              1.0L / 3.0L, 12345678.9L, LDBL_MAX, -LDBL_MIN}) {
        long double back = 0;
        ASSERT_TRUE(ParseNumber(ForFile(value), PointSettings, back)) << ForFile(value);
        EXPECT_EQ(back, value) << ForFile(value);
        ASSERT_TRUE(ParseNumber(FormatStatistic(value), PointSettings, back));
        EXPECT_EQ(back, value) << FormatStatistic(value);
    }
}

TEST(ParseNumber, ReadsOlderFileForms) {
    long double value = 0;
    ASSERT_TRUE(ParseNumber("1.235E+07", PointSettings, value));
    EXPECT_EQ(value, 12350000.0L);
    ASSERT_TRUE(ParseNumber("1.2346E+0007", PointSettings, value));
    EXPECT_EQ(value, 12346000.0L);
    ASSERT_TRUE(ParseNumber("0.12345679", PointSettings, value));
    EXPECT_EQ(value, 0.12345679L);
}

TEST(ParseNumber, TakesTheLocaleDecimalSeparator) {
    long double value = 0;
    ASSERT_TRUE(ParseNumber("1,5", CommaSettings, value));
    EXPECT_EQ(value, 1.5L);
    ASSERT_TRUE(ParseNumber("1,", CommaSettings, value));
    EXPECT_EQ(value, 1.0L);
    ASSERT_TRUE(ParseNumber("-1,25E2", CommaSettings, value));
    EXPECT_EQ(value, -125.0L);
    ASSERT_TRUE(ParseNumber("2.75", CommaSettings, value));
    EXPECT_EQ(value, 2.75L);
    EXPECT_FALSE(ParseNumber("1,5,2", CommaSettings, value));
    EXPECT_FALSE(ParseNumber("1.5,2", CommaSettings, value));
    EXPECT_FALSE(ParseNumber("1,5", PointSettings, value));
}

TEST(ParseNumber, CutsBlanksAndReadsEmptyTextAsZero) {
    long double value = 7;
    ASSERT_TRUE(ParseNumber(" 2 ", CommaSettings, value));
    EXPECT_EQ(value, 2.0L);
    ASSERT_TRUE(ParseNumber("", CommaSettings, value));
    EXPECT_EQ(value, 0.0L);
    value = 7;
    ASSERT_TRUE(ParseNumber(" \t ", CommaSettings, value));
    EXPECT_EQ(value, 0.0L);
}

TEST(ParseNumber, AcceptsSignsPointsAndExponents) {
    long double value = 0;
    ASSERT_TRUE(ParseNumber("5.", PointSettings, value));
    EXPECT_EQ(value, 5.0L);
    ASSERT_TRUE(ParseNumber(".5", PointSettings, value));
    EXPECT_EQ(value, 0.5L);
    ASSERT_TRUE(ParseNumber("+3", PointSettings, value));
    EXPECT_EQ(value, 3.0L);
    ASSERT_TRUE(ParseNumber("-1e-3", PointSettings, value));
    EXPECT_EQ(value, -1e-3L);
    ASSERT_TRUE(ParseNumber("1E5", PointSettings, value));
    EXPECT_EQ(value, 100000.0L);
}

TEST(ParseNumber, ReadsTheEdgesOfTheRange) {
    long double value = 0;
    ASSERT_TRUE(ParseNumber("1.18973149535723176502e+4932", PointSettings, value));
    EXPECT_EQ(value, LDBL_MAX);
    ASSERT_TRUE(ParseNumber("3.6451995318824746025e-4951", PointSettings, value));
    EXPECT_EQ(value, std::numeric_limits<long double>::denorm_min());
    ASSERT_TRUE(ParseNumber("1e-5000", PointSettings, value));
    EXPECT_EQ(value, 0.0L);
}

TEST(ParseNumber, RejectsWhatIsNotADecimalNumberAndLeavesTheValue) {
    for (const char* text : {"abc", "1e5000", "-1.2e4932", "1e99999999999999999999", "0x10",
                             "inf", "-INF", "nan", "Infinity", "1E", "1E+", "--1", "+-1",
                             "1 2", "1..5", "e5", ".", "-", ",", "1,5", "12abc", "1e5.5"}) {
        long double value = 42;
        EXPECT_FALSE(ParseNumber(text, PointSettings, value)) << text;
        EXPECT_EQ(value, 42.0L) << text;
    }
}

// Whatever arrives from a file, the clipboard or an import: either a
// failure or a finite value, never a crash.
TEST(ParseNumber, SurvivesHostileText) {
    std::vector<std::string> texts = {
        std::string(10000, '9'),
        "0." + std::string(6000, '0') + "1",
        std::string(5000, '9') + "e-5000",
        std::string("1\0" "5", 3),
        "\xff\xfe",
        "1e-99999999999999999999",
        "-0",
        "1e+-5",
        "1,,5",
        " , ",
        "\t-\t",
        std::string(100000, ' ') + "1",
        "1" + std::string(100000, '0'),
    };
    for (const NumberSettings& settings : {PointSettings, CommaSettings, NumberSettings{'\0', ','},
                                           NumberSettings{'5', ','}, NumberSettings{'e', ','}}) {
        for (const std::string& text : texts) {
            long double value = 42;
            if (ParseNumber(text, settings, value)) {
                EXPECT_TRUE(std::isfinite(value)) << text.substr(0, 40);
            } else {
                EXPECT_EQ(value, 42.0L) << text.substr(0, 40);
            }
        }
    }
}

TEST(CountDecimals, CountsDigitsAfterThePointOrANegativeExponent) {
    EXPECT_EQ(CountDecimals("1.5E-3", PointSettings), 3);
    EXPECT_EQ(CountDecimals("1e-12", PointSettings), 12);
    EXPECT_EQ(CountDecimals("1.5E3", PointSettings), 0);
    EXPECT_EQ(CountDecimals("1.25", PointSettings), 2);
    EXPECT_EQ(CountDecimals("1,25", CommaSettings), 2);
    EXPECT_EQ(CountDecimals("1,25", PointSettings), 0);
    EXPECT_EQ(CountDecimals("12", PointSettings), 0);
    EXPECT_EQ(CountDecimals("", PointSettings), 0);
}

TEST(CountIntegerDigits, CountsCharactersBeforeThePointPlusTheExponent) {
    EXPECT_EQ(CountIntegerDigits("123.45"), 3);
    EXPECT_EQ(CountIntegerDigits("12345"), 5);
    EXPECT_EQ(CountIntegerDigits("1.5E3"), 4);
    EXPECT_EQ(CountIntegerDigits("12E2"), 4);
    EXPECT_EQ(CountIntegerDigits("1.5E-3"), 1);
    EXPECT_EQ(CountIntegerDigits("1E-99999999999"), 1);
}

TEST(RaiseAutoDecimals, CountsOnlyValuesOfAtMostFourteenDigits) {
    DataTable table;
    EXPECT_FALSE(RaiseAutoDecimals(table, 0, "123456789012.345", PointSettings));
    EXPECT_EQ(table.AutoDecimals[0], 0);
    EXPECT_TRUE(RaiseAutoDecimals(table, 0, "12345678901.234", PointSettings));
    EXPECT_EQ(table.AutoDecimals[0], 3);
    EXPECT_FALSE(RaiseAutoDecimals(table, 0, "1.5", PointSettings));
    EXPECT_EQ(table.AutoDecimals[0], 3);
    EXPECT_TRUE(RaiseAutoDecimals(table, 1, "1.5E-3", PointSettings));
    EXPECT_EQ(table.AutoDecimals[1], 3);
    EXPECT_TRUE(RaiseAutoDecimals(table, 2, "0,0625", CommaSettings));
    EXPECT_EQ(table.AutoDecimals[2], 4);
    EXPECT_FALSE(RaiseAutoDecimals(table, 26, "1.5", PointSettings));
    EXPECT_FALSE(RaiseAutoDecimals(table, -1, "1.5", PointSettings));
}

}  // namespace
}  // namespace vextal
