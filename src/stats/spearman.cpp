#include "stats/spearman.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"
#include "stats/rank_counting.h"
#include "stats/ranks.h"
#include "workflow/calculation_progress.h"

namespace vextal {

namespace {

constexpr int NoPairCode = 47;
constexpr int AllXTiedCode = 37;
constexpr int AllYTiedCode = 38;
constexpr int ProgressInterval = 256;           // assignments between progress reports
constexpr long double CIVarianceFactor = 1.06L; // variance of Fisher's z of rs is about 1.06/(N − 3)

std::int64_t Factorial64(int n) {
    std::int64_t f = 1;
    for (int i = 2; i <= n; ++i)
        f *= i;
    return f;
}

// The permutation walk: position k takes each rank still free in turn (by
// swapping it into a[k]), carrying the partial ΣD² down, so each step costs
// O(1). The last two positions are settled together.
class AssignmentWalk {
public:
    AssignmentWalk(int n, std::int64_t dHigh, const std::function<bool(std::int64_t)>& every256)
        : n_(n), dHigh_(dHigh), every256_(every256) {
        for (int i = 0; i < n_; ++i)
            ranks_[static_cast<std::size_t>(i)] = i;
    }

    void Run() { Level(0, 0); }
    bool Stopped() const { return stopped_; }
    std::int64_t Count() const { return count_; }
    std::int64_t Walked() const { return walked_; }

private:
    static int Square(int d) { return d * d; }

    void Level(int k, std::int64_t partial) {
        if (k == n_ - 2) {
            const int x = ranks_[static_cast<std::size_t>(k)];
            const int y = ranks_[static_cast<std::size_t>(k + 1)];
            const std::int64_t kept = partial + Square(x - k) + Square(y - k - 1);
            const std::int64_t swapped = partial + Square(y - k) + Square(x - k - 1);
            count_ += (kept >= dHigh_) + (swapped >= dHigh_);
            walked_ += 2;
            if (walked_ % ProgressInterval == 0 && every256_ && !every256_(walked_))
                stopped_ = true;
            return;
        }
        for (int i = k; i < n_ && !stopped_; ++i) {
            std::swap(ranks_[static_cast<std::size_t>(k)], ranks_[static_cast<std::size_t>(i)]);
            Level(k + 1, partial + Square(ranks_[static_cast<std::size_t>(k)] - k));
            std::swap(ranks_[static_cast<std::size_t>(k)], ranks_[static_cast<std::size_t>(i)]);
        }
    }

    int n_;
    std::int64_t dHigh_;
    const std::function<bool(std::int64_t)>& every256_;
    std::array<int, SpearmanMaxExactN> ranks_{};
    std::int64_t count_ = 0;
    std::int64_t walked_ = 0;
    bool stopped_ = false;
};


} // namespace

SpearmanStatistic SpearmanRankCorrelation(std::span<const long double> x, std::span<const long double> y) {
    SpearmanStatistic s;
    const std::size_t n = std::min(x.size(), y.size());
    if (n == 0) {
        s.Code = NoPairCode;
        return s;
    }
    if (n > static_cast<std::size_t>(INT32_MAX))
        throw CalcFault{CalcOverflow};
    s.N = static_cast<std::int32_t>(n);

    const Ranking rx = AverageRanks(x.first(n));
    const Ranking ry = AverageRanks(y.first(n));
    for (std::size_t i = 0; i < n; ++i) {
        const long double d = ry.Ranks[i] - rx.Ranks[i];
        s.SumD2 += d * d;
    }
    s.Tx = rx.TieSum;
    s.Ty = ry.TieSum;

    const long double N = s.N;
    const long double S = (N * N * N - N) / 6;
    if (S - 2 * s.Tx == 0) {
        s.Code = AllXTiedCode;
        return s;
    }
    if (S - 2 * s.Ty == 0) {
        s.Code = AllYTiedCode;
        return s;
    }
    s.Rs = (S - s.SumD2 - s.Tx - s.Ty) / std::sqrt((S - 2 * s.Tx) * (S - 2 * s.Ty));
    // Rounding can carry a perfect correlation just past ±1.
    if (std::fabs(s.Rs) > 1)
        s.Rs = std::copysign(1.0L, s.Rs);
    s.Ties = s.Tx > 0 || s.Ty > 0;

    // A perfect correlation, either way, has no scatter left to test.
    if (std::fabs(s.Rs) == 1) {
        s.ApproximateP = 0;
    } else {
        const long double t = s.Rs * std::sqrt((N - 2) / (1 - s.Rs * s.Rs));
        s.ApproximateP = t_prob(s.N - 2, t);
    }
    return s;
}

std::int64_t CountRankAssignmentsAtLeast(int n, std::int64_t dHigh,
                                         const std::function<bool(std::int64_t walked)>& every256,
                                         std::int64_t& walked) {
    walked = 0;
    if (n > SpearmanMaxExactN)
        throw CalcFault{CalcOverflow};
    if (n < 2) {
        // The single (possibly empty) assignment has ΣD² = 0.
        walked = 1;
        return dHigh <= 0 ? 1 : 0;
    }
    AssignmentWalk walk(n, dHigh, every256);
    walk.Run();
    walked = walk.Walked();
    return walk.Stopped() ? -1 : walk.Count();
}

SpearmanExactResult SpearmanExactP(std::int32_t n, long double approximateP, long double rs,
                                   CalculationProgress* progress) {
    SpearmanExactResult result;
    result.P = approximateP;
    if (n > SpearmanMaxExactN) {
        result.State = SpearmanExactState::TooLong;
        return result;
    }

    // ΣD² of an rs as far below zero as the data lie above it (or the data's
    // own ΣD² when rs is negative); the distribution is symmetric, so twice
    // that tail is the two-tailed P.
    const long double N = n;
    result.DHigh = static_cast<std::int64_t>(std::round((N * N * N - N) * (1 + std::fabs(rs)) / 6));
    const std::int64_t total = Factorial64(n);

    ExactProgress answer = ExactProgress::Continue;
    CountingStep share;
    if (progress) {
        share = [&](long double done) {
            answer = ReportExactProgress(progress, done * 100);
            return answer == ExactProgress::Continue;
        };
    }

    std::int64_t count = 0;
    {
        ExactCalculationBracket scope(progress, approximateP);
        const RankCount counted = CountPermutationsAtLeast(n, result.DHigh, share);
        count = counted.Done ? static_cast<std::int64_t>(counted.Extreme) : -1;
        result.Assignments = counted.Done ? total : 0;
    }
    if (count < 0) {
        result.State =
            answer == ExactProgress::TooLong ? SpearmanExactState::TooLong : SpearmanExactState::Interrupted;
        return result;
    }
    result.State = SpearmanExactState::Exact;
    result.Count = count;
    // An rs of 0 counts the middle of the distribution in both tails; a
    // probability never exceeds 1.
    result.P = std::min(1.0L, 2.0L * static_cast<long double>(count) / static_cast<long double>(total));
    return result;
}

SpearmanResult SpearmanSums(const DataDocument& document, int xColumn, CalculationProgress* progress) {
    const DataTable& table = document.Table;
    std::vector<long double> xs;
    std::vector<long double> ys;
    const int lastColumn = ColumnCountForAnalysis(table);
    for (int row = 0; row <= table.LastRow; ++row) {
        const long double x = GetValue(table, row, xColumn);
        if (IsMissing(x))
            continue;
        for (int column = 0; column <= lastColumn; ++column) {
            if (column == xColumn)
                continue;
            const long double y = GetValue(table, row, column);
            if (IsMissing(y))
                continue;
            xs.push_back(x);
            ys.push_back(y);
        }
    }

    SpearmanResult result;
    result.Statistic = SpearmanRankCorrelation(xs, ys);
    const SpearmanStatistic& s = result.Statistic;
    if (s.Code != 0)
        return result;

    if (s.N > 10) {
        if (std::fabs(s.Rs) == 1) {
            result.LowerCI = s.Rs;
            result.UpperCI = s.Rs;
        } else {
            const long double z = (std::log(1 + s.Rs) - std::log(1 - s.Rs)) / 2;
            const long double h = std::sqrt(CIVarianceFactor / (s.N - 3)) * inverse_z(0.025L);
            result.LowerCI = std::tanh(z - h);
            result.UpperCI = std::tanh(z + h);
        }
    }

    result.Exact = SpearmanExactP(s.N, s.ApproximateP, s.Rs, progress);
    result.P = result.Exact.State == SpearmanExactState::Exact ? result.Exact.P : s.ApproximateP;
    return result;
}

void WriteSpearmanReport(ReportWriter& report, const SpearmanResult& result) {
    const SpearmanStatistic& s = result.Statistic;
    const bool exact = result.Exact.State == SpearmanExactState::Exact;

    report.toggle_underline();
    report.write_line(centred("Spearman Rank Correlation", 65));
    report.toggle_underline();
    report.new_line();
    report.new_line();
    report.write_text("Number of points = ");
    report.write_integer(s.N);
    report.new_line();
    report.new_line();

    report.write_text("Spearman r = ");
    report.write_number(-5, s.Rs);
    if (s.Ties)
        report.write_text(" (corrected for ties)");
    report.new_line();
    if (s.N > 10) {
        report.write_text("95% confidence interval: ");
        report.write_number(-5, result.LowerCI);
        report.write_text(" to ");
        report.write_number(-5, result.UpperCI);
        report.new_line();
    }
    report.new_line();

    if (s.N > 10 || exact) {
        report.new_line();
        report.new_line();
        report.new_line();
        report.toggle_underline();
        report.write_line("Test: Is r significantly different than zero?");
        report.toggle_underline();
        report.new_line();
        report.write_p_value(2, true, result.P);
        if (s.Ties && exact)
            report.write_line("The P value may be inaccurate because of ties.");
        if (result.Exact.State == SpearmanExactState::Interrupted)
            report.write_line("The P value is approximate because exact calculations were interrupted.");
        if (result.Exact.State == SpearmanExactState::TooLong) {
            report.write_line("The P value is approximate because exact calculations would have taken");
            report.write_line("too long.");
        }
        if (exact && s.N < 5) {
            report.write_line("Regardless of what data you enter, it is impossible for this test to");
            report.write_line("yield P < 0.05 with so few data points.");
        }
    } else {
        report.new_line();
        report.write_line("There were not enough points (N <= 10) to perform a linearity");
        report.write_line("check or compute the confidence interval of r.");
    }
}

int SpearmanCorrelation(DataDocument& document, ReportWriter& report, CalculationProgress* progress,
                        SpearmanResult* details) {
    document.ReportHelpTopic = SpearmanHelpTopic;
    return RunAnalysisFrame(report, document.CalcError, nullptr, [&] {
        const SpearmanResult result = SpearmanSums(document, 0, progress);
        if (result.Statistic.Code != 0)
            throw CalcFault{result.Statistic.Code};
        WriteSpearmanReport(report, result);
        if (details) *details = result;
    });
}

} // namespace vextal
