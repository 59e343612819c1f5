#include "stats/post_tests.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/anova_table.h"
#include "report/comparison_tables.h"
#include "report/result_tables.h"
#include "stats/critical_values.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"
#include "workflow/analysis_choices.h"

namespace vextal {

namespace {

// ---------------------------------------------------------------------------
// Shared pieces

// The studentized-range critical values for one number of means.
struct RangeCriticals {
    long double Q05, Q01, Q001;
};

RangeCriticals RangeCriticalsFor(int df, int means) {
    return {StudentizedRangeCritical(df, means, 0.05L), StudentizedRangeCritical(df, means, 0.01L),
            StudentizedRangeCritical(df, means, 0.001L)};
}

long double RangeCategory(long double q, const RangeCriticals& critical) {
    if (q > critical.Q001) return 0.001L;
    if (q > critical.Q01) return 0.01L;
    if (q > critical.Q05) return 0.05L;
    return 1.0L;
}

// SE of a difference of two means in the Tukey-Kramer form, which carries the
// factor 1/2 of the studentized range.
long double RangeSE(const PostTestGroup& a, const PostTestGroup& b, long double ms) {
    return std::sqrt((1.0L / a.N + 1.0L / b.N) * ms * 0.5L);
}

void WriteUnderlined(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_text(text);
    report.toggle_underline();
    report.new_line();
}

// "If the value of t is greater than 2.5 then the P value is less" / "than 0.05."
void WriteCriticalSentence(ReportWriter& report, std::string_view statistic, long double critical) {
    report.write_text("If the value of ");
    report.write_text(statistic);
    report.write_text(" is greater than ");
    report.write_number(FiveSignificant, critical);
    report.write_line(" then the P value is less");
    report.write_line("than 0.05.");
}

const PostTestGroup& GroupOfColumn(const std::vector<PostTestGroup>& groups, int column) {
    for (const PostTestGroup& g : groups)
        if (g.Column == column) return g;
    return groups.front();  // every comparison names columns taken from `groups`
}

// Composes a test's text in scratch writers and appends it to the report only
// when it is complete. Running out of memory sets code 10 and writes nothing.
template <class Result, class Body>
Result Composed(ReportWriter& report, DataDocument& document, Body body) {
    Result result;
    ReportWriter text;
    try {
        ReportWriter second;
        result = body(text, second);
    } catch (const std::bad_alloc&) {
        document.CalcError = CalcOutOfMemory;
        Result failed;
        failed.Code = CalcOutOfMemory;
        return failed;
    }
    AppendReport(report, text);
    return result;
}

// ---------------------------------------------------------------------------
// Bonferroni

PostTestResult ComputeBonferroni(const std::vector<PostTestGroup>& groups, int df, bool ordinary,
                                 std::span<const bool> selectedPairs, bool selectedOnly, long double ms) {
    const int k = static_cast<int>(groups.size());
    auto compared = [&](int i, int j) {
        if (!selectedOnly) return true;
        const int index = PairIndex(i, j, k);
        return index >= 0 && index < static_cast<int>(selectedPairs.size()) && selectedPairs[index];
    };

    PostTestResult result;
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j)
            if (compared(i, j)) ++result.Comparisons;
    // With no pair to compare there is no per-comparison level 0.05 / (2m').
    if (result.Comparisons == 0) throw CalcFault{CalcDivideByZero};

    result.Critical = inverse_t(df, 0.05L / (2 * result.Comparisons));
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j) {
            if (!compared(i, j)) continue;
            const PostTestGroup& a = groups[i];
            const PostTestGroup& b = groups[j];
            PairComparison pair;
            pair.First = a.Column;
            pair.Second = b.Column;
            pair.Difference = a.Mean - b.Mean;
            const long double se = ordinary ? std::sqrt(ms / a.N + ms / b.N) : std::sqrt(2 * ms / a.N);
            pair.Statistic = std::fabs(pair.Difference) / se;
            // A probability cannot exceed 1, however many comparisons multiply it.
            pair.P = std::min(1.0L, t_prob(df, pair.Statistic) * result.Comparisons);
            pair.Lower = pair.Difference - result.Critical * se;
            pair.Upper = pair.Difference + result.Critical * se;
            result.Pairs.push_back(pair);
        }
    return result;
}

// The Bonferroni and Tukey-Kramer layout: title, critical value, the table
// of comparisons, and the confidence-interval block built beside it.
void WriteComparisonTable(ReportWriter& text, ReportWriter& second, const std::vector<PostTestGroup>& groups,
                          const PostTestResult& result, const char* title, const char* statistic) {
    text.new_line();
    WriteUnderlined(text, title);
    WriteCriticalSentence(text, statistic, result.Critical);
    text.new_line();
    text.new_line();
    WritePostTestTableHeader(text, std::string(statistic) + " ");
    WritePostTestCIHeader(second);
    for (const PairComparison& pair : result.Pairs) {
        const std::string& first = GroupOfColumn(groups, pair.First).Title;
        const std::string& other = GroupOfColumn(groups, pair.Second).Title;
        WritePostTestTableRow(text, first, other, pair.Difference, pair.Statistic, pair.P);
        WritePostTestCIRow(second, first, other, pair.Difference, pair.Lower, pair.Upper);
    }
    text.new_line();
    AppendReport(text, second);
    text.new_line();
}

void WriteBonferroni(ReportWriter& text, ReportWriter& second, const std::vector<PostTestGroup>& groups,
                     const PostTestResult& result) {
    WriteComparisonTable(text, second, groups, result, "Bonferroni Multiple Comparisons Test", "t");
    if (result.Comparisons >= 9) {
        text.toggle_bold();
        text.write_line("Warning: With so many comparisons, the Bonferroni method");
        text.write_line("is said to be too conservative.  This means that the P");
        text.write_line("values are too high.  You should consider using a different");
        text.write_line("post-test.");
        text.toggle_bold();
    }
}

// ---------------------------------------------------------------------------
// Tukey-Kramer and Student-Newman-Keuls

PostTestResult ComputeTukeyKramer(const std::vector<PostTestGroup>& groups, int df, long double ms) {
    const int k = static_cast<int>(groups.size());
    const RangeCriticals critical = RangeCriticalsFor(df, k);
    PostTestResult result;
    result.Critical = critical.Q05;
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j) {
            PairComparison pair;
            pair.First = groups[i].Column;
            pair.Second = groups[j].Column;
            pair.Difference = groups[i].Mean - groups[j].Mean;
            const long double se = RangeSE(groups[i], groups[j], ms);
            pair.Statistic = std::fabs(pair.Difference) / se;
            pair.P = RangeCategory(pair.Statistic, critical);
            pair.Lower = pair.Difference - critical.Q05 * se;
            pair.Upper = pair.Difference + critical.Q05 * se;
            result.Pairs.push_back(pair);
        }
    result.Comparisons = static_cast<int>(result.Pairs.size());
    return result;
}

PostTestResult ComputeNewmanKeuls(const std::vector<PostTestGroup>& groups, int df, long double ms) {
    std::vector<PostTestGroup> sorted = groups;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const PostTestGroup& a, const PostTestGroup& b) { return a.Mean < b.Mean; });
    const int k = static_cast<int>(sorted.size());
    PostTestResult result;
    // Every pair inside a range already found not significant is left
    // untested; `bound` is the top of the widest such range so far.
    int bound = -1;
    for (int i = 0; i < k - 1; ++i)
        for (int j = k - 1; j > i; --j) {
            PairComparison pair;
            pair.First = sorted[i].Column;
            pair.Second = sorted[j].Column;
            pair.Difference = sorted[i].Mean - sorted[j].Mean;
            if (j > bound) {
                const RangeCriticals critical = RangeCriticalsFor(df, j - i + 1);
                pair.Statistic = std::fabs(pair.Difference) / RangeSE(sorted[i], sorted[j], ms);
                pair.P = RangeCategory(pair.Statistic, critical);
                if (pair.P > 0.05L) bound = j;
            } else {
                pair.Statistic = MissingValue;
                pair.P = 0.1L;
            }
            result.Pairs.push_back(pair);
        }
    result.Comparisons = static_cast<int>(result.Pairs.size());
    return result;
}

void WriteTukeyKramer(ReportWriter& text, ReportWriter& second, const std::vector<PostTestGroup>& groups,
                      const PostTestResult& result) {
    WriteComparisonTable(text, second, groups, result, "Tukey-Kramer Multiple Comparisons Test", "q");
}

void WriteNewmanKeuls(ReportWriter& text, const std::vector<PostTestGroup>& groups, const PostTestResult& result) {
    text.new_line();
    WriteUnderlined(text, "Student-Newman-Keuls Multiple Comparisons Test");
    text.new_line();
    WriteSnkTableHeader(text);
    for (const PairComparison& pair : result.Pairs)
        WriteSnkTableRow(text, GroupOfColumn(groups, pair.First).Title, GroupOfColumn(groups, pair.Second).Title,
                         pair.Difference, pair.Statistic, pair.P);
    text.new_line();
    text.write_line("With Student-Newman-Keuls test, it is impossible to calculate confidence");
    text.write_line("intervals.");
}

// ---------------------------------------------------------------------------
// Dunnett

PostTestResult ComputeDunnett(const std::vector<PostTestGroup>& groups, int df, int control, bool twoSided,
                              long double ms) {
    PostTestResult result;
    if (df <= 5) {
        result.TooFewDF = true;
        return result;
    }
    // Without groups there is no control to compare with.
    if (groups.empty()) throw CalcFault{CalcInvalid};
    const int k = static_cast<int>(groups.size());
    const long double critical05 = DunnettCritical(df, k, twoSided, 0.05L);
    const long double critical01 = DunnettCritical(df, k, twoSided, 0.01L);
    result.Critical = critical05;
    const PostTestGroup& c = groups[control];
    for (int g = 0; g < k; ++g) {
        if (g == control) continue;
        PairComparison pair;
        pair.First = c.Column;
        pair.Second = groups[g].Column;
        pair.Difference = c.Mean - groups[g].Mean;
        const long double se = std::sqrt((1.0L / c.N + 1.0L / groups[g].N) * ms);
        pair.Statistic = std::fabs(pair.Difference) / se;
        pair.P = pair.Statistic > critical01 ? 0.01L : pair.Statistic > critical05 ? 0.05L : 1.0L;
        pair.Lower = pair.Difference - critical05 * se;
        pair.Upper = pair.Difference + critical05 * se;
        result.Pairs.push_back(pair);
    }
    result.Comparisons = static_cast<int>(result.Pairs.size());
    return result;
}

void WriteDunnett(ReportWriter& text, ReportWriter& second, const std::vector<PostTestGroup>& groups,
                  int control, const PostTestResult& result) {
    WriteUnderlined(text, "Dunnett Multiple Comparisons Test");
    if (result.TooFewDF) {
        text.write_text("Too few data points. DF must exceed 5. ");
        text.new_line();
        return;
    }
    text.write_text("Control column: ");
    text.write_line(groups[control].Title);
    WriteCriticalSentence(text, "q", result.Critical);
    text.new_line();
    text.new_line();
    WriteDunnettTableHeader(text, true);
    WriteDunnettCIHeader(second);
    for (const PairComparison& pair : result.Pairs) {
        const std::string& first = GroupOfColumn(groups, pair.First).Title;
        const std::string& other = GroupOfColumn(groups, pair.Second).Title;
        WriteDunnettTableRow(text, true, first, other, pair.Difference, pair.Statistic, pair.P);
        WriteDunnettCIRow(second, first, other, pair.Difference, pair.Lower, pair.Upper);
    }
    text.new_line();
    AppendReport(text, second);
}

// ---------------------------------------------------------------------------
// Linear trend

LinearTrendResult ComputeLinearTrend(const std::vector<PostTestGroup>& groups, const TrendAnovaInput& anova) {
    const int k = static_cast<int>(groups.size());
    // The nonlinear part has k - 2 degrees of freedom.
    if (k < 3) throw CalcFault{CalcDivideByZero};
    LinearTrendResult r;
    r.Coefficients = LinearTrendCoefficients(k);
    for (int i = 0; i < k; ++i) {
        const long double c = r.Coefficients[i];
        r.L += c * groups[i].Mean;
        r.D += c * c / groups[i].N;
        r.S += c * c;
    }
    r.SSLinear = r.L * r.L / r.D;
    // L / S is the slope per step of the codes; for an even number of groups
    // the codes step by 2 per column, so the slope per column is twice that.
    r.Slope = (groups.size() % 2 == 0 ? 2 * r.L : r.L) / r.S;
    r.RSquared = r.SSLinear / anova.SSTotal;
    r.FLinear = r.SSLinear / anova.MSResidual;
    r.PLinear = f_prob(1, anova.DFResidual, r.FLinear);
    r.DFNonlinear = k - 2;
    r.SSNonlinear = anova.SSBetween - r.SSLinear;
    r.MSNonlinear = r.SSNonlinear / r.DFNonlinear;
    r.FNonlinear = r.MSNonlinear / anova.MSResidual;
    r.PNonlinear = f_prob(r.DFNonlinear, anova.DFResidual, r.FNonlinear);
    return r;
}

void WriteLinearTrend(ReportWriter& text, bool ordinary, const TrendAnovaInput& anova,
                      const LinearTrendResult& r) {
    WriteUnderlined(text, "Test for linear trend between column means and column number");
    text.new_line();
    text.write_text("Slope = ");
    text.write_number(FiveSignificant, r.Slope);
    text.write_text("    r squared = ");
    text.write_number(FiveSignificant, r.RSquared);
    text.new_line();
    text.new_line();

    text.toggle_bold();
    text.write_text("Is the linear trend statistically significant?");
    text.toggle_bold();
    text.new_line();
    text.write_p_value(0, true, r.PLinear);
    text.write_text("There is ");
    if (r.PLinear > 0.05L) text.write_text("not ");
    text.write_line("a significant linear trend.");
    text.new_line();

    text.toggle_bold();
    text.write_text("Is the nonlinear variation statistically significant?");
    text.toggle_bold();
    text.new_line();
    text.write_p_value(0, true, r.PNonlinear);
    text.write_line("After accounting for the linear trend, the remaining variation among");
    text.write_text("column means is ");
    if (r.PNonlinear > 0.05L) text.write_text("not ");
    text.write_line("significant.");
    text.new_line();
    text.new_line();

    text.write_line("This result was obtained from dividing variation among columns into");
    text.write_line("linear and nonlinear components:");
    text.new_line();
    const AnovaVariant variant = ordinary ? AnovaVariant::LinearTrendOrdinary : AnovaVariant::LinearTrendRepeated;
    const std::vector<std::string> labels = AnovaRowLabels(variant);
    std::vector<AnovaRow> rows;
    rows.push_back({labels[0], 1, r.SSLinear, r.SSLinear});
    rows.push_back({labels[1], r.DFNonlinear, r.SSNonlinear, r.MSNonlinear});
    if (!ordinary) rows.push_back({labels[2], anova.DFIndividual, anova.SSIndividual, anova.MSIndividual});
    rows.push_back({labels[rows.size()], anova.DFResidual, anova.SSResidual, anova.MSResidual});
    rows.push_back({labels[rows.size()], anova.DFTotal, anova.SSTotal, std::nullopt});
    WriteAnovaTable(text, variant, rows);
    text.new_line();
    text.write_text("F (linear trend) = ");
    text.write_number(FiveSignificant, r.FLinear);
    text.write_line("    =MSlinear/MSresidual");
    text.new_line();
    text.write_text("F (nonlinear trend) = ");
    text.write_number(FiveSignificant, r.FNonlinear);
    text.write_line("   =MSnonlinear/MSresidual");
    text.new_line();
}

}  // namespace

std::vector<PostTestGroup> CollectPostTestGroups(const DataTable& table) {
    std::vector<PostTestGroup> groups;
    const int last = ColumnCountForAnalysis(table);
    for (int index = 0; index <= last; ++index) {
        const int column = MapColumn(table, index);
        if (column < 0 || column >= DataColumnCount) continue;
        const ColumnInfo& info = table.ColumnInfo[column];
        if (info.N <= 0 || IsMissing(info.Mean)) continue;
        groups.push_back({column, info.Title, info.N, info.Mean});
    }
    return groups;
}

std::vector<int> LinearTrendCoefficients(int k) {
    std::vector<int> codes;
    for (int i = 1; i <= k; ++i)
        codes.push_back(k % 2 == 1 ? i - CheckedDivide(k + 1, 2) : 2 * i - k - 1);
    return codes;
}

PostTestResult BonferroniTest(ReportWriter& report, DataDocument& document, int df, bool ordinary,
                              std::span<const bool> selectedPairs, bool selectedOnly, long double ms) {
    return Composed<PostTestResult>(report, document, [&](ReportWriter& text, ReportWriter& second) {
        const std::vector<PostTestGroup> groups = CollectPostTestGroups(document.Table);
        const PostTestResult result = ComputeBonferroni(groups, df, ordinary, selectedPairs, selectedOnly, ms);
        WriteBonferroni(text, second, groups, result);
        return result;
    });
}

PostTestResult TukeyKramerTest(ReportWriter& report, DataDocument& document, int df, bool newmanKeuls,
                               long double ms) {
    return Composed<PostTestResult>(report, document, [&](ReportWriter& text, ReportWriter& second) {
        const std::vector<PostTestGroup> groups = CollectPostTestGroups(document.Table);
        if (newmanKeuls) {
            const PostTestResult result = ComputeNewmanKeuls(groups, df, ms);
            WriteNewmanKeuls(text, groups, result);
            return result;
        }
        const PostTestResult result = ComputeTukeyKramer(groups, df, ms);
        WriteTukeyKramer(text, second, groups, result);
        return result;
    });
}

PostTestResult DunnettTest(ReportWriter& report, DataDocument& document, int df, int controlGroup,
                           bool twoSided, long double ms) {
    return Composed<PostTestResult>(report, document, [&](ReportWriter& text, ReportWriter& second) {
        const std::vector<PostTestGroup> groups = CollectPostTestGroups(document.Table);
        // The stored control position may no longer fit the groups (columns
        // deselected since); the first group then serves as the control.
        const int control = controlGroup >= 0 && controlGroup < static_cast<int>(groups.size()) ? controlGroup : 0;
        const PostTestResult result = ComputeDunnett(groups, df, control, twoSided, ms);
        WriteDunnett(text, second, groups, control, result);
        return result;
    });
}

LinearTrendResult LinearTrendTest(ReportWriter& report, DataDocument& document, bool ordinary,
                                  const TrendAnovaInput& anova) {
    return Composed<LinearTrendResult>(report, document, [&](ReportWriter& text, ReportWriter&) {
        const std::vector<PostTestGroup> groups = CollectPostTestGroups(document.Table);
        const LinearTrendResult result = ComputeLinearTrend(groups, anova);
        WriteLinearTrend(text, ordinary, anova, result);
        return result;
    });
}

}  // namespace vextal
