#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "data/number_text.h"
#include "report/number_format.h"

using namespace vextal;

namespace {

std::string PSentence(int tails, bool significance, long double P) {
    ReportWriter w;
    w.write_p_value(tails, significance, P);
    return w.Text();
}

std::string Number(int digits, long double x) { return FormatDigits(digits, x); }

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

const std::string B(1, BoldMarker);
const std::string U(1, UnderlineMarker);

}  // namespace

TEST(DigitRule, FiveSignificantDigits) {
    EXPECT_EQ("12346", Trim(Number(-5, 12345.678L)));
    EXPECT_EQ("123457", Trim(Number(-5, 123456.7L)));
    EXPECT_EQ("123.46", Number(-5, 123.456L));
    EXPECT_EQ("12.346", Number(-5, 12.3456L));
    EXPECT_EQ("1.235", Number(-5, 1.23456L));
    EXPECT_EQ("0.1235", Number(-5, 0.123456L));
    EXPECT_EQ("0.01235", Number(-5, 0.0123456L));
    EXPECT_EQ("0.000", Number(-5, 0));
    EXPECT_EQ("1.234E-05", Trim(Number(-5, 0.00001234L)));
    EXPECT_EQ("2.346E+07", Trim(Number(-5, 23456789)));
    EXPECT_EQ("-1.000E-05", Trim(Number(-5, -0.00001L)));
    EXPECT_EQ("10.000", Number(-5, 10));
    EXPECT_EQ("10.000", Number(-5, 9.99999L)) << "e = 0 gives three decimals and the value carries over";
}

TEST(DigitRule, WidthsAndDecimals) {
    EXPECT_EQ("0.00", Number(2, -0.001L)) << "never -0.00";
    EXPECT_EQ("-0.01", Number(2, -0.006L));
    EXPECT_EQ("0.0123", Number(4, 0.0123L));
    EXPECT_EQ("    1.50", FormatDigitsWidth(8, 2, 1.5L));
    EXPECT_EQ("    ", FormatDigitsWidth(4, -5, MissingValue)) << "a missing value prints as blanks";
    EXPECT_EQ(" 1.234E-05", Number(-5, 0.00001234L)) << "the sign position of the scientific field";
    EXPECT_EQ(4, DigitRuleExponent(12345.678L));
    EXPECT_EQ(-2, DigitRuleExponent(0.0123L));
    EXPECT_EQ(0, DigitRuleExponent(1));
    EXPECT_EQ(1, DigitRuleExponent(0));
    // Extreme magnitudes keep a scientific field's width, so the number still
    // fits on a report line.
    EXPECT_EQ("  1.000E-300", Number(-5, 1e-300L));
    EXPECT_EQ("  1.000E+300", Number(-5, 1e300L));
}

TEST(DigitRule, ExactTiesRoundAwayFromZero) {
    EXPECT_EQ("0.13", Number(2, 0.125L));
    EXPECT_EQ("-0.13", Number(2, -0.125L));
    EXPECT_EQ("2.5", Number(1, 2.5L));
    EXPECT_EQ("3", Trim(format_real(0, 0, 2.5L)));
}

TEST(PValueSentence, FormsAndThresholds) {
    EXPECT_EQ("The two-tailed P value is 0.0123, considered significant.\r\n", PSentence(2, true, 0.0123L));
    EXPECT_EQ("The one-tailed P value is < 0.0001, considered extremely significant.\r\n",
              PSentence(1, true, 0.00002L));
    EXPECT_EQ("The P value is 0.5000. \r\n", PSentence(0, false, 0.5L));
    EXPECT_EQ("The two-tailed P value is < 0.0001. \r\n", PSentence(2, false, 0.0001L));
    EXPECT_EQ("The two-tailed P value is 0.0001. \r\n", PSentence(2, false, 0.00011L));
    EXPECT_EQ("The two-tailed P value is > 0.9999. \r\n", PSentence(2, false, 0.9999L));
    EXPECT_EQ("The two-tailed P value is 0.9999. \r\n", PSentence(2, false, 0.99989L));
    EXPECT_EQ("The P value is 0.0500, considered not quite significant.\r\n", PSentence(3, true, 0.05L));
}

TEST(PValueSentence, SignificanceWordsUseTheUnroundedP) {
    EXPECT_EQ("extremely ", SignificanceWord(0.0009L));
    EXPECT_EQ("very ", SignificanceWord(0.001L));
    EXPECT_EQ("very ", SignificanceWord(0.0099L));
    EXPECT_EQ("", SignificanceWord(0.01L));
    EXPECT_EQ("", SignificanceWord(0.0499L));
    EXPECT_EQ("not quite ", SignificanceWord(0.05L));
    EXPECT_EQ("not quite ", SignificanceWord(0.0999L));
    EXPECT_EQ("not ", SignificanceWord(0.1L));
}

TEST(Writer, LinesColumnsAndCuts) {
    ReportWriter w;
    w.write_text(std::string(100, 'x'));
    EXPECT_EQ(81, w.Column()) << "text is cut to 80 characters";
    w.new_line();
    EXPECT_EQ(1, w.Column());
    EXPECT_EQ(2, w.LineNumber());
    w.write_text("ab");
    w.pad_to_column(6);
    w.write_text("c");
    w.pad_to_column(3);
    EXPECT_EQ(std::string(80, 'x') + "\r\nab   c", w.Text());
    w.restart_report();
    EXPECT_EQ("", w.Text());
    EXPECT_EQ(1, w.LineNumber());
}

TEST(Writer, StyleMarkersCarryOverLineBreaks) {
    ReportWriter w;
    w.toggle_underline();
    w.write_line("Title");
    w.toggle_underline();
    w.toggle_bold();
    w.write_text("x");
    w.toggle_bold();
    EXPECT_EQ(U + "Title" + U + "\r\n" + U + U + B + "x" + B, w.Text());
    ReportWriter c;
    c.toggle_bold();
    c.write_text("ab");
    EXPECT_EQ(3, c.Column()) << "markers take no column";
}

TEST(Writer, TabStopsAndIntegers) {
    ReportWriter w;
    w.add_tab_stop(5);
    w.add_tab_stop(10);
    w.write_text("ab");
    w.tab();
    w.write_integer(42);
    w.tab();
    w.write_integer_width(-7, 4);
    w.tab();  // no stop beyond: nothing
    EXPECT_EQ("ab  42     -7", w.Text());
    w.clear_tab_stops();
    for (int i = 1; i <= 25; ++i) w.add_tab_stop(20 + i);
    w.new_line();
    for (int i = 0; i < 24; ++i) w.tab();
    EXPECT_EQ(40, w.Column()) << "only the first 20 tab stops are kept";
}

TEST(Writer, ClosingFillsShortReports) {
    ReportWriter w;
    w.write_line("one");
    w.write_closing();
    EXPECT_EQ(21, w.LineNumber());
    EXPECT_NE(std::string::npos, w.Text().find("\r\n\r\n                       *     *     *\r\n\r\n\r\n"));
    ReportWriter longer;
    for (int i = 0; i < 30; ++i) longer.write_line("line");
    longer.write_closing();
    EXPECT_EQ(35, longer.LineNumber());
}

TEST(Writer, LongReportsAreNeverCut) {
    ReportWriter w;
    for (int i = 0; i < 2000; ++i) w.write_line(std::string(60, 'a' + i % 26));
    EXPECT_EQ(2000u * 62u, w.Text().size());
}

TEST(Justification, CentredAndPadded) {
    const std::string c = centred("Summary of Data", 65);
    EXPECT_EQ(std::string(25, ' ') + "Summary of Data" + std::string(25, ' '), c);
    EXPECT_EQ("  ab  ", centred("ab", 6));
    EXPECT_EQ(" abc  ", centred("abc", 6));
    EXPECT_EQ("toolong", centred("toolong", 3));
    EXPECT_EQ("ab   ", left_justified("  ab ", 5));
    EXPECT_EQ("   ab", right_justified(" ab  ", 5));
    EXPECT_EQ("abcdef", right_justified("abcdef", 3));
    EXPECT_EQ(" µg ", centred("µg", 4)) << "width counts characters, not bytes";
}

TEST(Utf8, UserTextNeverForgesMarkers) {
    ReportWriter w;
    w.write_text("\x80x\xC3\xA9");  // a stray marker byte, then x and é
    EXPECT_EQ("?x\xC3\xA9", w.Text());
    EXPECT_EQ(4, w.Column());
    EXPECT_EQ("a?b", ValidUtf8("a\xFF" "b"));
    EXPECT_EQ("??", ValidUtf8("\xE2\x82"));  // a cut-off euro sign
    EXPECT_EQ(2, DisplayLength("\xE2\x82\xAC" + B + "x"));
}
