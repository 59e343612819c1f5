#include "stats/one_way_anova.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/column_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"

namespace vextal {

namespace {

// A sum of squares is never negative; a negative one is cancellation in the
// difference of two nearly equal sums.
long double NonNegative(long double ss) {
    return ss < 0 ? 0.0L : ss;
}

void WriteVariationVerdict(ReportWriter& report, long double P) {
    report.write_text("Variation among column means is ");
    if (P > 0.05L)
        report.write_text("not ");
    report.write_line("significantly greater than expected");
    report.write_line("by chance.");
}

void WriteBartlett(ReportWriter& report, const BartlettResult& bartlett) {
    report.new_line();
    report.new_line();
    WriteUnderlinedLine(report, "Assumption test: Are the standard deviations of the groups equal?");
    report.new_line();
    report.write_line("ANOVA assumes that the data are sampled from populations with identical");
    report.write_line("SDs. This assumption is tested using the method of Bartlett.");
    report.new_line();
    if (IsMissing(bartlett.Statistic)) {
        report.write_line("Bartlett's test cannot be performed because at least one column's");
        report.write_line("standard deviation is zero.");
    } else if (bartlett.EnoughValues) {
        report.write_text("Bartlett statistic (corrected) = ");
        report.write_number(FiveSignificant, bartlett.Statistic);
        report.new_line();
        report.write_p_value(0, false, bartlett.P);
        report.write_line("Bartlett's test suggests that the differences among the SDs is");
        report.significance_word(bartlett.P);
        report.write_line("significant.");
        if (bartlett.P < 0.05L) {
            report.write_line("Since ANOVA assumes populations with equal SDs, you should consider");
            report.write_line("transforming your data (reciprocal or log) or selecting a");
            report.write_line("nonparametric test.");
        }
    } else {
        report.write_line("Bartlett's test can only be performed when every column has");
        report.write_line("at least five values.");
    }
}

bool WriteNormality(ReportWriter& report, const DataTable& table, bool typedSummaries) {
    report.new_line();
    report.new_line();
    WriteUnderlinedLine(report, "Assumption test: Are the data sampled from Gaussian distributions?");
    report.new_line();
    report.write_line("ANOVA assumes that the data are sampled from populations that follow ");
    report.write_line("Gaussian distributions. This assumption is tested using the method ");
    report.write_line("Kolmogorov and Smirnov:");
    WriteNormalityTableHeader(report);
    bool failed = false;
    for (int column : AnovaGroupColumns(table)) {
        const ColumnInfo& info = table.ColumnInfo[column];
        WriteNormalityTableRow(report, info, typedSummaries);
        if (!IsMissing(info.NormalityP) && info.NormalityP <= 0.05L)
            failed = true;
    }
    if (failed) {
        report.new_line();
        report.write_line("At least one column failed the normality test with P<0.05.");
        report.write_line("Consider using a nonparametric test or transforming the data");
        report.write_line("(i.e. converting to logarithms or reciprocals). ");
    }
    return failed;
}

} // namespace

namespace {

// What rounding the stored mean of a raw-data group lost: the mean of the
// deviations of its values from that mean (0 for typed summaries, whose
// column holds no values to correct with).
long double MeanCorrection(const DataTable& table, int column, const ColumnInfo& info) {
    long double sum = 0;
    int count = 0;
    for (int row = 0; row <= table.LastRow && row < TableRowCount; ++row) {
        if (IsExcluded(table, row, column))
            continue;
        const long double x = RawValue(table, row, column);
        if (IsMissing(x))
            continue;
        sum += x - info.Mean;
        ++count;
    }
    return count == info.N ? sum / count : 0.0L;
}

} // namespace

OneWayAnovaSumsResult OneWayAnovaSums(const DataTable& table) {
    OneWayAnovaSumsResult r;
    bool singleValue = false;
    std::int64_t totalN = 0;
    // Group means as offsets from the first group's mean, so that the
    // between-groups sum works on differences, not on the means themselves.
    struct Group {
        long double N, Offset;
    };
    std::vector<Group> groups;
    long double origin = 0;
    long double ssWithin = 0;
    for (int column : AnovaGroupColumns(table)) {
        const ColumnInfo& info = table.ColumnInfo[column];
        if (info.N == 1) {
            singleValue = true;
            continue;
        }
        const long double n = info.N;
        const long double sum = n * info.Mean;
        r.SumOfSquares += info.SD * info.SD * (n - 1) + n * info.Mean * info.Mean;
        r.SumOfGroupSquares += sum * sum / n;
        r.GrandSum += sum;
        if (groups.empty())
            origin = info.Mean;
        groups.push_back({n, (info.Mean - origin) + MeanCorrection(table, column, info)});
        ssWithin += (n - 1) * info.SD * info.SD;
        ++r.Groups;
        totalN += info.N;
        r.LargestN = std::max(r.LargestN, info.N);
    }
    if (totalN > INT_MAX)
        throw CalcFault{CalcOverflow};
    r.TotalN = static_cast<int>(totalN);
    if (r.Groups == 0)
        r.Code = 11;
    else if (singleValue)
        r.Code = 12;
    else if (r.Groups < 2)
        r.Code = 11; // one group has no variation among group means to test
    if (r.Code != 0)
        return r;

    r.CorrectionFactor = r.GrandSum * r.GrandSum / r.TotalN;
    r.DFBetween = r.Groups - 1;
    r.DFWithin = r.TotalN - r.Groups;
    r.DFTotal = r.DFBetween + r.DFWithin;
    // Deviations about the grand mean: the same sums as the raw sums less
    // the correction factor, without their cancellation.
    long double grandOffset = 0;
    for (const Group& g : groups)
        grandOffset += g.N * g.Offset;
    grandOffset /= r.TotalN;
    long double ssBetween = 0;
    for (const Group& g : groups)
        ssBetween += g.N * (g.Offset - grandOffset) * (g.Offset - grandOffset);
    r.SSBetween = NonNegative(ssBetween);
    r.SSWithin = NonNegative(ssWithin);
    r.SSTotal = r.SSBetween + r.SSWithin;
    r.MSBetween = r.SSBetween / r.DFBetween;
    r.MSWithin = r.SSWithin / r.DFWithin;
    if (r.MSWithin != 0) {
        r.F = r.MSBetween / r.MSWithin;
        r.P = f_prob(r.DFBetween, r.DFWithin, r.F);
    }
    return r;
}

std::vector<AnovaRow> OneWayAnovaRows(const OneWayAnovaSumsResult& sums) {
    const std::vector<std::string> labels = AnovaRowLabels(AnovaVariant::OneWay);
    return {{labels[0], sums.DFBetween, sums.SSBetween, sums.MSBetween},
            {labels[1], sums.DFWithin, sums.SSWithin, sums.MSWithin},
            {labels[2], sums.DFTotal, sums.SSTotal, std::nullopt}};
}

BartlettResult BartlettTest(const DataTable& table) {
    BartlettResult r;
    r.EnoughValues = true;
    long double sumF = 0, sumFVariance = 0, sumFLogVariance = 0, sumReciprocalF = 0;
    int m = 0, groups = 0;
    for (int column : AnovaGroupColumns(table)) {
        const ColumnInfo& info = table.ColumnInfo[column];
        if (info.N < BartlettMinimumN)
            r.EnoughValues = false;
        if (info.N == 1) {
            r.Code = 12;
            continue;
        }
        ++groups;
        const long double f = info.N - 1;
        sumF += f;
        if (info.SD == 0) {
            r.ZeroSD = true;
            continue;
        }
        const long double variance = info.SD * info.SD;
        sumFVariance += f * variance;
        sumFLogVariance += f * std::log(variance);
        sumReciprocalF += 1 / f;
        ++m;
    }
    if (r.Code == 0 && groups < 2)
        r.Code = 11;
    if (r.Code != 0 || r.ZeroSD)
        return r;

    r.DF = m - 1;
    r.PooledVariance = sumFVariance / sumF;
    // B is never negative (the log of a weighted mean is at least the
    // weighted mean of the logs); a negative value is round-off of equal SDs.
    r.B = std::max(0.0L, sumF * std::log(r.PooledVariance) - sumFLogVariance);
    r.Statistic = r.B / (1 + (sumReciprocalF - 1 / sumF) / (3.0L * r.DF));
    r.P = chi2_prob(r.DF, r.Statistic);
    return r;
}

OneWayAnovaResult OneWayAnova(DataDocument& document, ReportWriter& report,
                              const AnovaPostTestOptions& postTest, bool typedSummaries) {
    DataTable& table = document.Table;
    OneWayAnovaResult result;
    result.Sums = OneWayAnovaSums(table);
    if (result.Sums.Code != 0)
        throw CalcFault{result.Sums.Code};
    result.Bartlett = BartlettTest(table);
    if (result.Bartlett.Code != 0)
        throw CalcFault{result.Bartlett.Code};
    result.Table = OneWayAnovaRows(result.Sums);
    const OneWayAnovaSumsResult& sums = result.Sums;

    // The range and confidence-interval block of the summary table.
    auto second = std::make_unique<ReportWriter>();

    report.new_line();
    WriteCentredHeading(report, "One-way Analysis of Variance (ANOVA)");
    document.ReportHelpTopic = OneWayAnovaHelpTopic;
    // Without any scatter within the groups there is no F (the same holds
    // when the within-groups sum of squares vanishes at working precision).
    if (AllGroupSDsZero(table) || IsMissing(sums.F))
        throw CalcFault{13};

    report.new_line();
    report.write_p_value(sums.Groups == 2 ? 2 : 0, true, sums.P);
    WriteVariationVerdict(report, sums.P);
    report.new_line();
    if (sums.Groups == 2) {
        report.write_line("Because there are only two columns, this ANOVA is identical to");
        report.write_line("an unpaired two tailed t test.");
        report.new_line();
    }

    if (PostTestWanted(postTest.Condition, sums.P)) {
        TrendAnovaInput trend;
        trend.SSBetween = sums.SSBetween;
        trend.DFResidual = sums.DFWithin;
        trend.SSResidual = sums.SSWithin;
        trend.MSResidual = sums.MSWithin;
        trend.DFTotal = sums.DFTotal;
        trend.SSTotal = sums.SSTotal;
        result.PostTest =
            RunAnovaPostTest(report, document, postTest, true, sums.DFWithin, sums.MSWithin, trend);
    } else if (postTest.Condition == static_cast<int>(PostTestWhen::IfSignificant)) {
        WriteUnderlinedLine(report, "Post tests");
        report.write_line("Post tests were not calculated because the P value was greater");
        report.write_line("than 0.05.");
    }

    WriteBartlett(report, result.Bartlett);
    result.NormalityFailed = WriteNormality(report, table, typedSummaries);

    report.new_line();
    WriteUnderlinedLine(report, "Intermediate calculations. ANOVA table");
    report.new_line();
    WriteAnovaTable(report, AnovaVariant::OneWay, result.Table);
    report.new_line();
    report.write_text("F = ");
    report.write_number(FiveSignificant, sums.F);
    report.write_text("  =(MStreatment/MSresidual) ");
    report.new_line();
    report.new_line();
    report.new_line();

    WriteAnovaSummaryOfData(report, *second, table);
    report.write_closing();
    return result;
}

} // namespace vextal
