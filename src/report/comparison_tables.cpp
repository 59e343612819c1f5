#include "report/comparison_tables.h"

#include <algorithm>

#include "data/number_text.h"
#include "report/result_tables.h"

namespace vextal {

namespace {

// A level of 0.05 may reach us as the extended literal or as a double
// widened to extended (a slightly larger value); both count as "at most 0.05".
constexpr long double Level(long double extended, double widened) {
    return std::max(extended, static_cast<long double>(widened));
}
constexpr long double Level001 = Level(0.001L, 0.001);
constexpr long double Level01 = Level(0.01L, 0.01);
constexpr long double Level05 = Level(0.05L, 0.05);

constexpr std::string_view Stars001 = "*** P<0.001";
constexpr std::string_view Stars01 = "**  P<0.01";
constexpr std::string_view Stars05 = "*   P<0.05";
constexpr std::string_view StarsNone = "ns  P>0.05";

// "first" right-justified in 15, the joint, "second" left-justified in 15.
void WritePair(ReportWriter& report, std::string_view first, std::string_view joint,
               std::string_view second) {
    report.pad_to_column(1);
    report.write_text(right_justified(first, 15));
    report.write_text(joint);
    report.write_text(left_justified(second, 15));
}

void WriteStars(ReportWriter& report, int stop, const std::string& stars) {
    report.pad_to_column(stop);
    report.write_text(stars);
    report.new_line();
}

// Header shared by the post-test and SNK tables.
void WriteComparisonHeader(ReportWriter& report, std::string_view statistic) {
    report.toggle_bold();
    WriteHeadingLine(report, {{36, 10, "Mean"}});
    WriteHeadingLine(
        report, {{1, 34, "Comparison"}, {36, 10, "Difference"}, {47, 8, statistic}, {55, 11, "P value"}});
    WriteRuleLine(report, {{1, 34}, {36, 10}, {47, 7}, {55, 11}}, '=');
    report.toggle_bold();
}

}  // namespace

std::string SignificanceStars(long double P) {
    std::string_view stars = StarsNone;
    if (P <= Level001)
        stars = Stars001;
    else if (P <= Level01)
        stars = Stars01;
    else if (P <= Level05)
        stars = Stars05;
    return right_justified(stars, 11);
}

std::string DunnettSignificanceStars(long double P) {
    std::string_view stars = StarsNone;
    if (P <= Level01)
        stars = Stars01;
    else if (P <= Level05)
        stars = Stars05;
    return right_justified(stars, 10);
}

void WritePostTestTableHeader(ReportWriter& report, std::string_view statistic) {
    WriteComparisonHeader(report, statistic);
}

void WritePostTestTableRow(ReportWriter& report, std::string_view first, std::string_view second,
                           long double difference, long double statistic, long double P) {
    WritePair(report, first, " vs ", second);
    WriteSignificantField(report, {36, 10}, difference);
    WriteSignificantField(report, {47, 7}, statistic);
    WriteStars(report, 55, SignificanceStars(P));
}

void WritePostTestCIHeader(ReportWriter& report) {
    report.toggle_bold();
    WriteHeadingLine(report, {{36, 10, "Mean"}, {47, 0, "95% Confidence Interval"}});
    WriteHeadingLine(report, {{1, 34, "Difference"}, {36, 10, "Difference"}, {47, 7, "From"}, {55, 7, "To"}});
    WriteRuleLine(report, {{1, 34}, {36, 10}, {47, 7}, {55, 7}}, '=');
    report.toggle_bold();
}

void WritePostTestCIRow(ReportWriter& report, std::string_view first, std::string_view second,
                        long double difference, long double lower, long double upper) {
    WritePair(report, first, " - ", second);
    WriteSignificantField(report, {36, 10}, difference);
    WriteSignificantField(report, {47, 7}, lower);
    WriteSignificantField(report, {55, 7}, upper);
    report.new_line();
}

void WriteSnkTableHeader(ReportWriter& report) { WriteComparisonHeader(report, "q "); }

void WriteSnkTableRow(ReportWriter& report, std::string_view first, std::string_view second,
                      long double difference, long double q, long double P) {
    WritePair(report, first, " vs ", second);
    WriteSignificantField(report, {36, 10}, difference);
    report.pad_to_column(47);
    if (IsMissing(q))
        report.write_text("  ---  ");
    else
        report.write_number_width(7, FiveSignificant, q);
    WriteStars(report, 55, SignificanceStars(P));
}

void WriteDunnettTableHeader(ReportWriter& report, bool withQ) {
    report.toggle_bold();
    WriteHeadingLine(report, {{36, 10, "Mean"}});
    if (withQ) {
        WriteHeadingLine(report,
                         {{1, 34, "Comparison"}, {36, 10, "Difference"}, {47, 8, "q "}, {56, 10, "P value"}});
        WriteRuleLine(report, {{1, 34}, {36, 10}, {47, 8}, {56, 10}}, '=');
    } else {
        WriteHeadingLine(report, {{1, 34, "Comparison"}, {36, 10, "Difference"}, {47, 10, "P value"}});
        WriteRuleLine(report, {{1, 34}, {36, 10}, {47, 10}}, '=');
    }
    report.toggle_bold();
}

void WriteDunnettTableRow(ReportWriter& report, bool withQ, std::string_view control, std::string_view other,
                          long double difference, long double q, long double P) {
    WritePair(report, control, " vs ", other);
    WriteSignificantField(report, {36, 10}, difference);
    if (withQ) WriteSignificantField(report, {47, 8}, q);
    WriteStars(report, withQ ? 56 : 47, DunnettSignificanceStars(P));
}

void WriteDunnettCIHeader(ReportWriter& report) {
    report.toggle_bold();
    WriteHeadingLine(report, {{36, 10, "Mean"}, {47, 8, "Lower"}, {56, 8, "Upper"}});
    WriteHeadingLine(report,
                     {{1, 34, "Difference"}, {36, 10, "Difference"}, {47, 8, "95% CI"}, {56, 8, "95% CI"}});
    WriteRuleLine(report, {{1, 34}, {36, 10}, {47, 8}, {56, 8}}, '=');
    report.toggle_bold();
}

void WriteDunnettCIRow(ReportWriter& report, std::string_view control, std::string_view other,
                       long double difference, long double lower, long double upper) {
    WritePair(report, control, " - ", other);
    WriteSignificantField(report, {36, 10}, difference);
    WriteSignificantField(report, {47, 8}, lower);
    WriteSignificantField(report, {56, 8}, upper);
    report.new_line();
}

void WriteDunnTableHeader(ReportWriter& report, DunnDifference kind) {
    report.toggle_bold();
    WriteHeadingLine(report, {{36, 10, kind == DunnDifference::MeanRank ? "Mean Rank" : "Rank Sum"}});
    WriteHeadingLine(report, {{1, 34, "Comparison"}, {36, 10, "Difference"}, {47, 11, "P value"}});
    WriteRuleLine(report, {{1, 34}, {36, 10}, {47, 11}}, '=');
    report.toggle_bold();
}

void WriteDunnTableRow(ReportWriter& report, std::string_view first, std::string_view second,
                       long double difference, long double P) {
    WritePair(report, first, " vs. ", second);
    WriteSignificantField(report, {36, 10}, difference);
    WriteStars(report, 47, SignificanceStars(P));
}

}  // namespace vextal
