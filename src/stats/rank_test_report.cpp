#include "stats/rank_test_report.h"

#include <array>
#include <string>

#include "report/column_tables.h"
#include "report/report_writer.h"

namespace vextal {

namespace {

constexpr int TitleWidth = 65;

void UnderlinedLine(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_line(text);
    report.toggle_underline();
}

void Title(ReportWriter& report, std::string_view title) {
    UnderlinedLine(report, centred(title, TitleWidth));
}

// Below 20 arrangements no one-tailed P can reach 0.05 (1/20); below 40 no
// two-tailed P can.
bool TooFewArrangements(RankExactState state, long double arrangements, int tails) {
    return state == RankExactState::Exact && arrangements < (tails == 1 ? 20 : 40);
}

void NormalApproximationRemark(ReportWriter& report, bool parenthesised) {
    report.write_line(parenthesised ? "(The P value is an estimate based on a normal approximation.)"
                                    : "The P value is an estimate based on a normal approximation.");
}

void Regardless(ReportWriter& report, std::string_view what) {
    report.write_line("Regardless of what data you enter, it is impossible for this test to");
    report.write_text("yield P < 0.05 with so few data ");
    report.write_text(what);
    report.write_line(".");
}

void SignedRankDetails(ReportWriter& report, const SignedRankResult& r, bool tieRemark) {
    UnderlinedLine(report, "Calculation details");
    report.write_text("Sum of all signed ranks (W) = ");
    report.write_number(-5, r.W);
    if (tieRemark && r.Ties)
        report.write_text(" (corrected for ties)");
    report.new_line();
    report.write_text("Sum of positive ranks (T+) = ");
    report.write_number(-5, r.TPlus);
    report.new_line();
    report.write_text("Sum of negative ranks (T-) = ");
    report.write_number(-5, r.TMinus);
    report.new_line();
    report.write_text("Number of pairs = ");
    report.write_integer(r.N);
    report.new_line();
}

void SummaryOfData(ReportWriter& report, std::span<const ColumnInfo> columns, bool emptyLine) {
    Title(report, "Summary of Data");
    if (emptyLine)
        report.new_line();
    WriteTTestSummaryBlock(report, columns);
}

} // namespace

void WriteSignedRankReport(ReportWriter& report, const RankTestOutcome& outcome, const ColumnInfo& column) {
    const SignedRankResult& r = outcome.SignedRank;
    report.new_line();
    Title(report, "Wilcoxon signed rank test");
    report.write_text("Does the median of ");
    report.write_text(column.Title);
    report.write_text(" differ significantly from ");
    report.write_number(-5, outcome.Hypothetical);
    report.write_line("? ");
    report.new_line();

    report.write_p_value(outcome.Tails, true, outcome.ReportedP());
    report.new_line();
    if (r.ExactState != RankExactState::Exact)
        NormalApproximationRemark(report, true);
    else if (r.Ties)
        report.write_line("(P value may be inaccurate because of ties.)");
    report.new_line();
    if (TooFewArrangements(r.ExactState, r.Arrangements, outcome.Tails))
        Regardless(report, "points");
    report.new_line();

    SignedRankDetails(report, r, true);
    if (r.Zeros > 0) {
        report.write_text("Note: ");
        report.write_integer(r.Zeros);
        report.write_line(r.Zeros == 1 ? " zero value was excluded from calculations."
                                       : " zero values were excluded from calculations.");
    }
    SummaryOfData(report, std::span<const ColumnInfo>(&column, 1), true);
}

void WriteMatchedPairsReport(ReportWriter& report, const RankTestOutcome& outcome, const ColumnInfo& first,
                             const ColumnInfo& second, const ColumnInfo& differences) {
    const SignedRankResult& r = outcome.SignedRank;
    Title(report, "Wilcoxon matched-pairs signed-ranks test");
    report.write_text("Does the median of the differences between ");
    report.write_text(first.Title);
    report.write_text(" and ");
    report.write_line(second.Title);
    report.write_line(" differ signficantly from zero?");
    report.new_line();

    report.write_p_value(outcome.Tails, true, outcome.ReportedP());
    if (r.ExactState != RankExactState::Exact)
        NormalApproximationRemark(report, true);
    report.new_line();
    if (TooFewArrangements(r.ExactState, r.Arrangements, outcome.Tails)) {
        Regardless(report, "pairs");
        report.new_line();
    }

    report.new_line();
    SignedRankDetails(report, r, false);
    if (r.Zeros > 0) {
        report.write_text("Note: ");
        report.write_integer(r.Zeros);
        report.write_line(r.Zeros == 1 ? " pair was excluded from calculations because both"
                                       : " pairs were excluded from calculations because both ");
        report.write_line("values were equal.");
    }

    report.new_line();
    UnderlinedLine(report, "Assumption test: Was the pairing effective?");
    if (IsMissing(outcome.SpearmanR)) {
        // The pairs of one column are all tied: r is undefined.
        report.write_line("Can't calculate r. One group has no variability.");
    } else {
        report.write_text("Nonparametric Spearman correlation coefficient (r) = ");
        report.write_number(-5, outcome.SpearmanR);
        report.new_line();
        if (outcome.SpearmanR >= 0) {
            report.write_p_value(1, true, outcome.SpearmanP / 2);
            report.write_line("Effective pairing results in a significant correlation between the");
            report.write_text("columns.  With these data, the pairing (or matching) appears ");
            if (outcome.SpearmanP <= 0.05L) {
                report.write_line("to be effective.");
            } else {
                report.write_text("not to be effective.  ");
                report.write_line("The unpaired test may be more appropriate.");
            }
        } else {
            report.write_line("The negative correlation coefficient indicates that the pairing or");
            report.write_line("matching was NOT effective.");
        }
    }

    report.new_line();
    const std::array<ColumnInfo, 3> columns{first, second, differences};
    SummaryOfData(report, columns, true);
}

void WriteMannWhitneyReport(ReportWriter& report, const RankTestOutcome& outcome, const ColumnInfo& first,
                            const ColumnInfo& second) {
    const MannWhitneyResult& r = outcome.MannWhitney;
    report.new_line();
    Title(report, "Mann-Whitney Test");
    report.write_text("Do the medians of ");
    report.write_text(first.Title);
    report.write_text(" and ");
    report.write_text(second.Title);
    report.write_line(" differ significantly?");
    report.new_line();

    report.write_p_value(outcome.Tails, true, outcome.ReportedP());
    if (r.ExactState == RankExactState::Exact) {
        report.write_line("The P value is exact.");
    } else {
        NormalApproximationRemark(report, false);
        if (r.ExactState == RankExactState::TiedRanks)
            report.write_line("The 'exact' method would not be exact, due to tied ranks.");
    }
    report.new_line();
    if (TooFewArrangements(r.ExactState, r.Arrangements, outcome.Tails))
        Regardless(report, "points");

    report.new_line();
    UnderlinedLine(report, "Calculation details");
    report.write_text("Mann-Whitney U-statistic = ");
    report.write_number(-5, r.U);
    report.new_line();
    report.write_text("U' = ");
    report.write_number(-5, r.UPrime);
    report.new_line();
    report.write_text("Sum of ranks in ");
    report.write_text(first.Title);
    report.write_text(" = ");
    report.write_number(-5, r.RankSumA);
    report.write_text(".  Sum of ranks in ");
    report.write_text(second.Title);
    report.write_text(" = ");
    report.write_number(-5, r.RankSumB);
    report.write_line(". ");

    report.new_line();
    const std::array<ColumnInfo, 2> columns{first, second};
    SummaryOfData(report, columns, false);
}

} // namespace vextal
