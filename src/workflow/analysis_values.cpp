#include "workflow/analysis_values.h"

#include "stats/column_tests.h"
#include "stats/contingency.h"
#include "stats/linear_correlation.h"
#include "stats/linear_regression.h"
#include "stats/multiple_regression.h"
#include "stats/spearman.h"
#include "stats/two_by_two.h"

namespace vextal {

namespace {

JsonValue Num(long double x) { return JsonValue::Number(x); }
JsonValue Int(long long n) { return JsonValue::Integer(n); }

}  // namespace

JsonValue Interval(long double lower, long double upper) {
    return JsonValue::Array().Push(Num(lower)).Push(Num(upper));
}

void AddRegressionValues(JsonValue& v, const LinearRegressionAnalysis& a) {
    const RegressionParameters& p = a.Parameters;
    v.Set("n", Int(a.Sums.N));
    v.Set("forced", JsonValue::Bool(a.Forced));
    v.Set("slope", Num(p.Slope)).Set("se_slope", Num(p.SlopeSE)).Set("slope_ci", Interval(p.SlopeLower, p.SlopeUpper));
    v.Set("intercept", Num(p.YIntercept)).Set("se_intercept", Num(p.YInterceptSE));
    v.Set("intercept_ci", Interval(p.YInterceptLower, p.YInterceptUpper));
    v.Set("x_intercept", Num(p.XIntercept));
    v.Set("r", Num(a.R)).Set("r2", Num(a.RSquared)).Set("syx", Num(a.SyX));
    v.Set("perfect_line", JsonValue::Bool(a.PerfectLine));
    v.Set("f", Num(a.F)).Set("t", Num(a.T)).Set("p", Num(a.P));
    v.Set("df", Int(a.DFResidual));
    if (a.RunsTestPerformed) {
        v.Set("runs", Int(a.Runs.Runs)).Set("runs_above", Int(a.Runs.Above)).Set("runs_below", Int(a.Runs.Below));
        v.Set("runs_p", a.Runs.P < 0 ? JsonValue::Null() : Num(a.Runs.P));
    }
    if (a.Linearity.Performed)
        v.Set("nonlinear_f", Num(a.Linearity.F)).Set("nonlinear_p", Num(a.Linearity.P));
    if (a.StandardCurvePerformed) {
        JsonValue entries = JsonValue::Array();
        for (const StandardCurveEntry& e : a.Curve.Entries)
            entries.Push(JsonValue::Object().Set("x", Num(e.X)).Set("y", Num(e.Y)).Set("outside",
                                                                                     JsonValue::Bool(e.Outside)));
        v.Set("interpolated", entries);
    }
}

void AddCorrelationValues(JsonValue& v, const CorrelationResult& r) {
    v.Set("n", Int(r.N)).Set("r", Num(r.R)).Set("r2", Num(r.RSquared)).Set("t", Num(r.T)).Set("p", Num(r.P));
    v.Set("r_ci", Interval(r.Lower, r.Upper));
}

void AddSpearmanValues(JsonValue& v, const SpearmanResult& r) {
    v.Set("n", Int(r.Statistic.N)).Set("rs", Num(r.Statistic.Rs)).Set("ties", JsonValue::Bool(r.Statistic.Ties));
    v.Set("rs_ci", Interval(r.LowerCI, r.UpperCI));
    v.Set("p", Num(r.P)).Set("p_approximate", Num(r.Statistic.ApproximateP));
    v.Set("exact_state", Int(static_cast<int>(r.Exact.State)));
}

void AddTwoByTwoValues(JsonValue& v, const TwoByTwoResult& r) {
    v.Set("n", Int(r.N));
    v.Set("p", Num(r.ReportedP));
    if (r.FisherChosen) {
        v.Set("p_fisher_one_sided", Num(r.Fisher.OneSided)).Set("p_fisher_two_sided", Num(r.Fisher.TwoSided));
    }
    if (r.ChiSquarePerformed) {
        v.Set("chi2", Num(r.ChiSquare)).Set("df", Int(r.DF)).Set("yates", JsonValue::Bool(r.YatesCorrection));
        v.Set("p_chi2", Num(r.ChiSquareP)).Set("p_chi2_one_sided", Num(r.ChiSquarePOneSided));
    }
    if (r.RelativeRisk) {
        v.Set("relative_risk", Num(r.RelativeRisk->Value));
        v.Set("rr_ci", Interval(r.RelativeRisk->Lower, r.RelativeRisk->Upper));
    }
    if (r.OddsRatio) {
        v.Set("odds_ratio", Num(r.OddsRatio->Ratio.Value));
        v.Set("or_ci", Interval(r.OddsRatio->Ratio.Lower, r.OddsRatio->Ratio.Upper));
        v.Set("or_half_added", JsonValue::Bool(r.OddsRatio->HalfAdded));
    }
    if (r.Difference) {
        const ProportionDifference& d = *r.Difference;
        v.Set("p1", Num(d.Top.Fraction)).Set("p2", Num(d.Bottom.Fraction)).Set("difference", Num(d.Difference));
        if (d.StandardError) v.Set("difference_se", Num(*d.StandardError));
        if (d.Interval) v.Set("difference_ci", Interval(d.Interval->Lower, d.Interval->Upper));
    }
    if (r.Diagnostics) {
        const DiagnosticResult& d = *r.Diagnostics;
        auto estimate = [](const DiagnosticEstimate& e) {
            return JsonValue::Object().Set("value", Num(e.Value)).Set("ci", Interval(e.Interval.Lower, e.Interval.Upper));
        };
        v.Set("sensitivity", estimate(d.Sensitivity)).Set("specificity", estimate(d.Specificity));
        v.Set("positive_predictive_value", estimate(d.PositivePredictiveValue));
        v.Set("negative_predictive_value", estimate(d.NegativePredictiveValue));
        v.Set("likelihood_ratio", d.LikelihoodRatio ? Num(*d.LikelihoodRatio) : JsonValue::Null());
    }
}

void AddContingencyValues(JsonValue& v, const ContingencyResult& r) {
    v.Set("rows", Int(r.Rows)).Set("columns", Int(r.Columns)).Set("n", Num(r.N));
    v.Set("chi2", Num(r.ChiSquare)).Set("df", Int(r.DF)).Set("p", Num(r.P));
    v.Set("small_expected_cells", Int(r.SmallExpectedCells));
    v.Set("approximation_invalid", JsonValue::Bool(r.ApproximationInvalid));
    if (r.HasTrend) v.Set("trend_chi2", Num(r.Trend.ChiSquare)).Set("trend_p", Num(r.Trend.P));
}

void AddMultipleRegressionValues(JsonValue& v, const MultipleRegressionResult& r) {
    v.Set("n", Int(r.N)).Set("n_excluded", Int(r.ExcludedRows)).Set("df", Int(r.DF));
    if (r.Regression) {
        JsonValue terms = JsonValue::Array();
        for (std::size_t i = 0; i < r.Terms.size(); ++i) {
            const RegressionTerm& t = r.Terms[i];
            std::string name = "intercept";
            long double vif = MissingValue;
            if (i > 0 && i - 1 < r.Variables.size()) {
                name = r.Variables[i - 1].Name;
                vif = r.Variables[i - 1].VIF;
            }
            terms.Push(JsonValue::Object()
                           .Set("name", JsonValue::String(name))
                           .Set("b", Num(t.Coefficient))
                           .Set("se", Num(t.SE))
                           .Set("ci_lower", Num(t.Lower))
                           .Set("ci_upper", Num(t.Upper))
                           .Set("t", t.TInfinite ? JsonValue::Null() : Num(t.T))
                           .Set("p", Num(t.P))
                           .Set("vif", Num(vif)));
        }
        v.Set("coefficients", terms);
        v.Set("r2", Num(r.RSquared)).Set("adj_r2", Num(r.AdjustedRSquared)).Set("multiple_r", Num(r.MultipleR));
        v.Set("f", Num(r.F)).Set("p", Num(r.P)).Set("ss_res", Num(r.SSResidual)).Set("sd_res", Num(r.SDResidual));
    }
    JsonValue matrix = JsonValue::Array();
    for (const RegressionVariable& variable : r.Variables) {
        JsonValue row = JsonValue::Array();
        for (long double c : variable.Correlations) row.Push(Num(c));
        matrix.Push(JsonValue::Object().Set("name", JsonValue::String(variable.Name)).Set("r", row));
    }
    v.Set("correlation_matrix", matrix);
}

namespace {

void AddTTestStatistic(JsonValue& v, const TTestStatistic& t, int tails) {
    v.Set("t", Num(t.T)).Set("df", Int(t.DF));
    v.Set("p", Num(tails == 1 ? t.POneTailed : t.PTwoTailed));
    v.Set("p_one_tailed", Num(t.POneTailed)).Set("p_two_tailed", Num(t.PTwoTailed));
    v.Set("mean_diff", Num(t.Difference)).Set("se_diff", Num(t.SE));
    v.Set("ci_lower", Num(t.Lower)).Set("ci_upper", Num(t.Upper));
}

void AddSignedRank(JsonValue& v, const SignedRankResult& r) {
    v.Set("w", Num(r.W)).Set("t_plus", Num(r.TPlus)).Set("t_minus", Num(r.TMinus)).Set("n", Int(r.N));
    v.Set("zeros", Int(r.Zeros)).Set("z", Num(r.Z)).Set("p_approximate_one_tailed", Num(r.ApproximateP));
    v.Set("exact_state", Int(static_cast<int>(r.ExactState)));
}

}  // namespace

void AddColumnTestValues(JsonValue& v, const ColumnTestOutcome& outcome) {
    if (!outcome.NonParametric) {
        const TTestOutcome& t = outcome.TTest;
        switch (t.Kind) {
            case TTestKind::OneSample:
                v.Set("hypothetical", Num(t.OneSample.Hypothetical));
                AddTTestStatistic(v, t.OneSample.Test, t.OneSample.Tails);
                break;
            case TTestKind::Unpaired:
            case TTestKind::Welch:
                AddTTestStatistic(v, t.Unpaired.Test, t.Unpaired.Tails);
                v.Set("welch", JsonValue::Bool(t.Unpaired.Welch));
                if (t.Unpaired.Welch) v.Set("welch_df", Num(t.Unpaired.WelchDF));
                v.Set("f", Num(t.Unpaired.F)).Set("p_f", Num(t.Unpaired.PF));
                break;
            case TTestKind::Paired:
                AddTTestStatistic(v, t.Paired.Test, t.Paired.Tails);
                v.Set("pairs", Int(t.Paired.Pairs)).Set("r", Num(t.Paired.R)).Set("p_r", Num(t.Paired.PR));
                break;
        }
        return;
    }
    const RankTestOutcome& r = outcome.Rank;
    v.Set("p", Num(r.ReportedP()));
    switch (r.Test) {
        case RankTest::SignedRank:
            v.Set("hypothetical", Num(r.Hypothetical));
            AddSignedRank(v, r.SignedRank);
            break;
        case RankTest::MatchedPairs:
            AddSignedRank(v, r.SignedRank);
            v.Set("pairs", Int(r.Pairs)).Set("rs", Num(r.SpearmanR)).Set("p_rs", Num(r.SpearmanP));
            break;
        case RankTest::MannWhitney: {
            const MannWhitneyResult& m = r.MannWhitney;
            v.Set("u", Num(m.U)).Set("u_prime", Num(m.UPrime)).Set("rank_sum_a", Num(m.RankSumA));
            v.Set("rank_sum_b", Num(m.RankSumB)).Set("n_a", Int(m.NA)).Set("n_b", Int(m.NB)).Set("z", Num(m.Z));
            v.Set("p_approximate_one_tailed", Num(m.ApproximateP));
            v.Set("exact_state", Int(static_cast<int>(m.ExactState)));
            break;
        }
    }
}

}  // namespace vextal
