// Friedman test and its exact P value over the orderings of every row.
#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <numeric>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/column_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/fault_guard.h"
#include "stats/nonparametric_anova.h"
#include "stats/nonparametric_report.h"
#include "stats/pvalue.h"
#include "stats/rank_counting.h"
#include "stats/ranks.h"
#include "stats/walked_exact_p.h"

namespace vextal {

namespace {

using namespace nonparametric;

constexpr int NotEnoughData = 11;
constexpr int DataMissing = 15;

// Counts, over every way of giving each of `rows` rows one of the k!
// orderings of the ranks 1..k, the weight of those whose Σ (column rank
// sum)² reaches `threshold`. A composition (how many rows take each
// ordering) is walked once, as the non-decreasing sequence of orderings of
// rows 1..n, and weighted by its multinomial count n!/Π c_j!, built row by
// row. A step adds or removes one ordering from the column sums: O(k).
class RowOrderings {
public:
    RowOrderings(int rows, int columns, long double threshold, const EnumerationStep& step)
        : rows_(rows), columns_(columns), threshold_(threshold), step_(step) {
        std::array<int, FriedmanMaxExactColumns> order{};
        std::iota(order.begin(), order.begin() + columns_, 1);
        do {
            orderings_.insert(orderings_.end(), order.begin(), order.begin() + columns_);
        } while (std::next_permutation(order.begin(), order.begin() + columns_));
        count_ = static_cast<int>(orderings_.size()) / columns_;
    }

    void Run() { Row(0, 0, -1, 0, 1); }
    bool Stopped() const { return stopped_; }
    std::int64_t Weight() const { return weight_; }
    std::int64_t Extreme() const { return extreme_; }

private:
    void Row(int row, int first, int previous, int run, std::int64_t weight) {
        if (row == rows_) {
            std::int64_t sum = 0;
            for (int c = 0; c < columns_; ++c) sum += static_cast<std::int64_t>(columnSums_[c]) * columnSums_[c];
            weight_ += weight;
            if (static_cast<long double>(sum) >= threshold_) extreme_ += weight;
            ++compositions_;
            if ((compositions_ & (ProgressInterval - 1)) == 0 && step_ && !step_(static_cast<long double>(weight_)))
                stopped_ = true;
            return;
        }
        for (int j = first; j < count_ && !stopped_; ++j) {
            const int* ranks = &orderings_[static_cast<std::size_t>(j) * columns_];
            const int nextRun = j == previous ? run + 1 : 1;
            // (row + 1)!/Π L! from row!/Π L!: exact, the result is a multinomial count.
            const std::int64_t nextWeight = weight * (row + 1) / nextRun;
            for (int c = 0; c < columns_; ++c) columnSums_[c] += ranks[c];
            Row(row + 1, j, j, nextRun, nextWeight);
            for (int c = 0; c < columns_; ++c) columnSums_[c] -= ranks[c];
        }
    }

    int rows_;
    int columns_;
    long double threshold_;
    const EnumerationStep& step_;
    std::vector<int> orderings_;  // count_ orderings of the ranks 1..k, k entries each
    int count_ = 0;
    std::array<int, FriedmanMaxExactColumns> columnSums_{};
    std::int64_t compositions_ = 0;
    std::int64_t weight_ = 0;
    std::int64_t extreme_ = 0;
    bool stopped_ = false;
};

// The complete rectangle of the analysis columns: the first row with any
// value fixes the columns, every later row with a value must fill exactly
// those; empty rows are skipped.
struct Rectangle {
    std::vector<int> Indexes;  // analysis column indexes of the columns in use
    std::vector<std::vector<long double>> Rows;
};

Rectangle ReadRectangle(const DataTable& table) {
    Rectangle rect;
    const int last = ColumnCountForAnalysis(table);
    std::vector<long double> values;
    std::vector<int> present;
    for (int row = 0; row <= table.LastRow; ++row) {
        values.clear();
        present.clear();
        for (int index = 0; index <= last; ++index) {
            const int column = MapColumn(table, index);
            if (column < 0 || column >= DataColumnCount) continue;
            const long double x = GetValue(table, row, index);
            if (IsMissing(x)) continue;
            present.push_back(index);
            values.push_back(x);
        }
        if (present.empty()) continue;
        if (rect.Rows.empty())
            rect.Indexes = present;
        else if (present != rect.Indexes)
            throw CalcFault{DataMissing};
        rect.Rows.push_back(values);
    }
    return rect;
}

FriedmanResult ComputeFriedman(const DataTable& table, NonparametricPostTest kind, int condition, bool twoSided,
                               int controlColumn, std::span<const bool> selectedPairs, bool selectedOnly,
                               CalculationProgress* progress) {
    const Rectangle rect = ReadRectangle(table);
    FriedmanResult r;
    r.Rows = static_cast<std::int32_t>(rect.Rows.size());
    r.Columns = static_cast<std::int32_t>(rect.Indexes.size());
    if (r.Rows < 2 || r.Columns < 2) throw CalcFault{NotEnoughData};
    r.N = r.Rows * r.Columns;

    for (const int index : rect.Indexes) {
        const int column = MapColumn(table, index);
        const ColumnInfo& info = table.ColumnInfo[column];
        RankGroup g;
        g.Column = column;
        g.Title = info.Title;
        g.N = r.Rows;
        g.Mean = info.Mean;
        r.Groups.push_back(g);
    }
    for (const std::vector<long double>& row : rect.Rows) {
        const Ranking ranking = AverageRanks(row);
        for (int c = 0; c < r.Columns; ++c) r.Groups[c].RankSum += ranking.Ranks[c];
        // Σ t³ over the runs of the row, singletons included: Σ (t³ − t) + k.
        r.TieSum += 12 * ranking.TieSum + r.Columns;
    }
    long double sumSquares = 0;
    for (RankGroup& g : r.Groups) {
        g.MeanRank = g.RankSum / g.N;
        sumSquares += g.RankSum * g.RankSum;
    }
    r.DF = r.Columns - 1;

    const long double n = r.Rows;
    const long double k = r.Columns;
    const long double denominator = n * k * (k + 1) + (n * k - r.TieSum) / (k - 1);
    // Every row one run of equal values: the ranks say nothing, Fr is 0/0.
    if (denominator <= 0) {
        r.AllTied = true;
        r.Exact.State = NonparametricExactState::Ties;
        return r;
    }
    // Fr is never negative; keep rounding from pushing it below 0, where
    // chi2_prob would answer 0 instead of 1.
    r.Fr = std::max(0.0L, (12 * sumSquares - 3 * n * n * k * (k + 1) * (k + 1)) / denominator);
    r.ApproximateP = chi2_prob(r.DF, r.Fr);

    if (r.TieSum != r.N)
        r.Exact.State = NonparametricExactState::Ties;
    else
        r.Exact = FriedmanExactP(r.Rows, r.Columns, r.Fr, r.ApproximateP, progress);
    r.P = r.Exact.State == NonparametricExactState::Exact ? r.Exact.P : r.ApproximateP;

    r.PostTestsSkipped = PostTestSkipped(condition, r.P);
    if (PostTestWanted(condition, r.P)) {
        if (kind == NonparametricPostTest::Dunn)
            r.Dunn = DunnComparisons(r.Groups, false, selectedPairs, selectedOnly, r.TieSum, r.N, r.Rows);
        else if (kind == NonparametricPostTest::ControlComparisons)
            r.Control = ControlComparisons(r.Groups, controlColumn, twoSided, r.Rows);
    }
    return r;
}

void WriteFriedmanReport(ReportWriter& report, const DataTable& table, const FriedmanResult& r) {
    WriteUnderlinedLine(report, centred("Friedman Test (Nonparametric Repeated Measures ANOVA)", TitleWidth));
    report.new_line();
    if (r.AllTied) {
        report.write_line("Every row holds one value throughout, so the ranks cannot differ");
        report.write_line("among the columns and the Friedman statistic cannot be calculated.");
        report.new_line();
        WriteRankSummary(report, table);
        report.new_line();
        return;
    }
    WriteMedianVerdict(report, r.P);
    WriteExactness(report, r.Exact, "at least one row has two or more identical values.");

    report.new_line();
    WriteUnderlinedLine(report, "Calculation detail");
    report.new_line();
    WriteFriedmanRankTableHeader(report);
    for (const RankGroup& g : r.Groups) WriteFriedmanRankTableRow(report, g.Title, g.RankSum);
    report.new_line();
    report.write_text("Number of Rows = ");
    report.write_integer(r.Rows);
    report.new_line();
    report.write_text("Number of Columns = ");
    report.write_integer(r.Columns);
    report.new_line();
    report.new_line();
    report.write_text("Friedman Statistic Fr = ");
    report.write_number(FiveSignificant, r.Fr);
    if (r.TieSum != r.N) report.write_text(" (corrected for ties)");
    report.new_line();
    report.new_line();

    if (r.Dunn || r.Control) {
        if (r.Dunn) WriteDunnTest(report, r.Groups, *r.Dunn);
        if (r.Control) WriteControlComparisons(report, r.Groups, *r.Control);
        report.new_line();
    }
    if (r.PostTestsSkipped) {
        WritePostTestsNotCalculated(report);
        report.new_line();
    }
    WriteRankSummary(report, table);
    report.new_line();
}

}  // namespace

namespace {

ExactPResult FriedmanP(std::int32_t rows, std::int32_t columns, long double fr, long double approximateP,
                       CalculationProgress* progress, bool walkOnly) {
    ExactPResult result;
    if (rows < 1 || columns < 1) return result;
    if (columns > FriedmanMaxExactColumns) return result;  // TooLong

    // (k!)^n, stopped once it passes the limit.
    const std::int64_t orderings = factorial(columns);
    const auto limit = static_cast<std::int64_t>(FriedmanArrangementLimit);
    std::int64_t total = 1;
    for (int row = 0; row < rows; ++row) {
        total *= orderings;  // at most limit × 720: no overflow
        if (total > limit) {
            result.Arrangements = static_cast<long double>(total);
            return result;
        }
    }
    result.Arrangements = static_cast<long double>(total);

    const long double n = rows;
    const long double k = columns;
    result.ObservedSum = n * (fr + 3 * n * (k + 1)) * k * (k + 1) / 12;
    try {
        ExactCalculationScope scope(progress, approximateP, result.Arrangements);
        if (!scope.Step(0)) {
            result.State = scope.StopState();
            return result;
        }
        if (!walkOnly) {
            const long double arrangements = result.Arrangements;
            const CountingStep share = [&scope, arrangements](long double done) {
                return scope.Step(done * arrangements);
            };
            const RankCount counted =
                CountRowOrderingsAtLeast(rows, columns, result.ObservedSum - ExtremeTolerance, share);
            if (counted.Stopped) {
                result.State = scope.StopState();
                return result;
            }
            if (counted.Done) {
                result.Counted = static_cast<long double>(counted.Total);
                result.Extreme = static_cast<long double>(counted.Extreme);
                result.State = NonparametricExactState::Exact;
                result.P = result.Counted > 0 ? result.Extreme / result.Counted : 0;
                return result;
            }
        }
        const EnumerationStep step = [&scope](long double done) { return scope.Step(done); };
        RowOrderings walk(rows, columns, result.ObservedSum - ExtremeTolerance, step);
        walk.Run();
        result.Counted = static_cast<long double>(walk.Weight());
        if (walk.Stopped()) {
            result.State = scope.StopState();
            return result;
        }
        result.Extreme = static_cast<long double>(walk.Extreme());
    } catch (const std::bad_alloc&) {
        result.State = NonparametricExactState::TooLong;
        return result;
    }
    result.State = NonparametricExactState::Exact;
    result.P = result.Counted > 0 ? result.Extreme / result.Counted : 0;
    return result;
}

}  // namespace

ExactPResult FriedmanExactP(std::int32_t rows, std::int32_t columns, long double fr, long double approximateP,
                            CalculationProgress* progress) {
    return FriedmanP(rows, columns, fr, approximateP, progress, false);
}

ExactPResult FriedmanWalkedP(std::int32_t rows, std::int32_t columns, long double fr, long double approximateP,
                             CalculationProgress* progress) {
    return FriedmanP(rows, columns, fr, approximateP, progress, true);
}

FriedmanResult FriedmanTest(DataDocument& document, NonparametricPostTest kind, int postTestCondition,
                            ReportWriter& report, bool twoSided, int controlColumn,
                            std::span<const bool> selectedPairs, bool selectedOnly, CalculationProgress* progress) {
    document.ReportHelpTopic = FriedmanHelpTopic;
    const FriedmanResult result = ComputeFriedman(document.Table, kind, postTestCondition, twoSided, controlColumn,
                                                  selectedPairs, selectedOnly, progress);
    WriteFriedmanReport(report, document.Table, result);
    return result;
}

}  // namespace vextal
