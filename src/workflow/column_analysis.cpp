#include "workflow/column_analysis.h"

#include <array>
#include <string>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/anova_family.h"
#include "stats/column_tests.h"
#include "stats/nonparametric_anova.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/analysis_values.h"
#include "workflow/calculation_progress.h"
#include "workflow/pair_selection.h"
#include "workflow/test_selection.h"

namespace vextal {

namespace {

constexpr int PostTestBonferroni = 0;
constexpr int PostTestDunnett = 2;
constexpr int NonparametricDunn = 1;
constexpr int NonparametricControl = 2;

// While a column analysis runs, untitled selected columns are called
// "Column C" and deselected columns hold no values; this restores both.
class TemporaryColumnState {
public:
    explicit TemporaryColumnState(DataTable& table) : table_(table) {
        for (int column = 0; column < DataColumnCount; ++column) {
            titles_[column] = table.ColumnInfo[column].Title;
            counts_[column] = table.ColumnInfo[column].N;
            if (table.ColumnSelected[column]) {
                if (titles_[column].empty())
                    table.ColumnInfo[column].Title = "Column " + std::string(1, static_cast<char>('A' + column));
            } else {
                table.ColumnInfo[column].N = 0;
            }
        }
        useSelection_ = table.UseColumnSelection;
        table.UseColumnSelection = true;
    }
    ~TemporaryColumnState() {
        for (int column = 0; column < DataColumnCount; ++column) {
            table_.ColumnInfo[column].Title = titles_[column];
            table_.ColumnInfo[column].N = counts_[column];
        }
        table_.UseColumnSelection = useSelection_;
        ClearAnalysisColumns(table_);
    }
    TemporaryColumnState(const TemporaryColumnState&) = delete;
    TemporaryColumnState& operator=(const TemporaryColumnState&) = delete;

private:
    DataTable& table_;
    std::array<std::string, DataColumnCount> titles_;
    std::array<int, DataColumnCount> counts_{};
    bool useSelection_ = false;
};

JsonValue Num(long double x) { return JsonValue::Number(x); }

JsonValue AnovaRows(const std::vector<AnovaRow>& rows) {
    JsonValue out = JsonValue::Array();
    for (const AnovaRow& row : rows)
        out.Push(JsonValue::Object()
                     .Set("source", JsonValue::String(row.Label))
                     .Set("df", JsonValue::Integer(row.DF))
                     .Set("ss", Num(row.SS))
                     .Set("ms", row.MS ? Num(*row.MS) : JsonValue::Null()));
    return out;
}

std::string Letter(int column) { return std::string(1, static_cast<char>('A' + column)); }

void AddPostTest(JsonValue& v, const AnovaPostTestOutcome& post) {
    if (!post.Ran) return;
    if (post.Comparisons) {
        JsonValue pairs = JsonValue::Array();
        for (const PairComparison& c : post.Comparisons->Pairs)
            pairs.Push(JsonValue::Object()
                           .Set("a", JsonValue::String(Letter(c.First)))
                           .Set("b", JsonValue::String(Letter(c.Second)))
                           .Set("diff", Num(c.Difference))
                           .Set("stat", Num(c.Statistic))
                           .Set("p", Num(c.P))
                           .Set("ci_lower", Num(c.Lower))
                           .Set("ci_upper", Num(c.Upper)));
        v.Set("post_tests", pairs);
    }
    if (post.Trend) {
        v.Set("trend_slope", Num(post.Trend->Slope)).Set("trend_r2", Num(post.Trend->RSquared));
        v.Set("trend_f", Num(post.Trend->FLinear)).Set("trend_p", Num(post.Trend->PLinear));
        v.Set("nonlinear_f", Num(post.Trend->FNonlinear)).Set("nonlinear_p", Num(post.Trend->PNonlinear));
    }
}

void AddRankGroups(JsonValue& v, const std::vector<RankGroup>& groups) {
    JsonValue sums = JsonValue::Array(), means = JsonValue::Array();
    for (const RankGroup& g : groups) {
        sums.Push(Num(g.RankSum));
        means.Push(Num(g.MeanRank));
    }
    v.Set("rank_sums", sums).Set("mean_ranks", means);
}

void AddDunn(JsonValue& v, const std::optional<DunnResult>& dunn, const std::vector<RankGroup>& groups) {
    if (!dunn) return;
    JsonValue pairs = JsonValue::Array();
    for (const DunnComparison& c : dunn->Pairs)
        pairs.Push(JsonValue::Object()
                       .Set("a", JsonValue::String(Letter(groups[c.First].Column)))
                       .Set("b", JsonValue::String(Letter(groups[c.Second].Column)))
                       .Set("diff", Num(c.Difference))
                       .Set("p", Num(c.P)));
    v.Set("post_tests", pairs);
}

void AddAnovaFamilyValues(JsonValue& v, const AnovaFamilyResult& r) {
    if (r.OneWay) {
        const OneWayAnovaResult& a = *r.OneWay;
        v.Set("anova", AnovaRows(a.Table)).Set("f", Num(a.Sums.F)).Set("p", Num(a.Sums.P));
        v.Set("bartlett", Num(a.Bartlett.Statistic)).Set("bartlett_p", Num(a.Bartlett.P));
        AddPostTest(v, a.PostTest);
    }
    if (r.Repeated) {
        const RepeatedMeasuresResult& a = *r.Repeated;
        v.Set("anova", AnovaRows(a.Table)).Set("f", Num(a.Sums.F)).Set("p", Num(a.Sums.P));
        v.Set("f_matching", Num(a.Sums.MatchingF)).Set("p_matching", Num(a.Sums.MatchingP));
        AddPostTest(v, a.PostTest);
    }
    if (r.KruskalWallis) {
        const KruskalWallisResult& k = *r.KruskalWallis;
        v.Set("kw", Num(k.KW)).Set("df", JsonValue::Integer(k.DF)).Set("p", Num(k.P));
        v.Set("p_approximate", Num(k.ApproximateP)).Set("exact_state", JsonValue::Integer(static_cast<int>(k.Exact.State)));
        AddRankGroups(v, k.Groups);
        AddDunn(v, k.Dunn, k.Groups);
    }
    if (r.Friedman) {
        const FriedmanResult& f = *r.Friedman;
        v.Set("fr", Num(f.Fr)).Set("df", JsonValue::Integer(f.DF)).Set("p", Num(f.P));
        v.Set("p_approximate", Num(f.ApproximateP)).Set("exact_state", JsonValue::Integer(static_cast<int>(f.Exact.State)));
        AddRankGroups(v, f.Groups);
        AddDunn(v, f.Dunn, f.Groups);
        if (f.Control) {
            JsonValue pairs = JsonValue::Array();
            for (const ControlComparison& c : f.Control->Pairs)
                pairs.Push(JsonValue::Object()
                               .Set("a", JsonValue::String(Letter(f.Groups[c.Control].Column)))
                               .Set("b", JsonValue::String(Letter(f.Groups[c.Other].Column)))
                               .Set("diff", Num(c.Difference))
                               .Set("p", Num(c.P))
                               .Set("ci_lower", Num(c.Lower))
                               .Set("ci_upper", Num(c.Upper)));
            v.Set("post_tests", pairs);
        }
    }
}

int RunAnova(DataDocument& document, ReportWriter& report, CalculationProgress* progress, JsonValue& values) {
    const AnalysisChoices& c = document.State.Choices;
    const bool nonParametric = c.MultiColNonParametric != 0;
    const bool ordinary = c.MultiColOrdinary != 0;
    std::array<bool, SelectedPairCount> pairs = c.SelectedPairs;
    bool selectedOnly = false;
    int method = c.PostTestMethod;
    if (!nonParametric) {
        if (c.PostTestPairs == 1) {
            method = PostTestBonferroni;
            selectedOnly = true;
        } else if (c.PostTestPairs == 2) {
            method = PostTestDunnett;
        }
    } else {
        method = NonparametricDunn;
        if (c.PostTestPairs == 1) {
            selectedOnly = true;
        } else if (c.PostTestPairs == 2) {
            if (ordinary) {
                // Kruskal-Wallis compares the control with each other column
                // on a copy of the pair flags; the stored flags stay as they are.
                const int groups = static_cast<int>(SelectedDataColumns(document.Table).size());
                pairs = PairFlagsWithControl(groups, c.ControlColumn);
                selectedOnly = true;
            } else {
                method = NonparametricControl;
            }
        }
    }
    AnovaFamilyResult result;
    const int code = RunAnovaFamily(document, nonParametric, ordinary, report, pairs, selectedOnly, method,
                                    c.PostTestCondition, c.ControlColumn, progress, &result);
    if (code == 0) AddAnovaFamilyValues(values, result);
    return code;
}

}  // namespace

ColumnAnalysisOutcome RunColumnAnalysis(DataDocument& document, ReportWriter& report, CalculationProgress* progress) {
    ColumnAnalysisOutcome outcome;
    DataTable& table = document.Table;
    AnalysisChoices& c = document.State.Choices;
    if (c.AllColumns && c.ColumnCountClass != 1 && c.ColumnCountClass != 2)
        for (int column : DataColumns(table)) table.ColumnSelected[column] = true;

    std::string_view message;
    if (DataColumns(table).empty())
        message = NoDataMessage;
    else if (SelectedDataColumns(table).empty())
        message = NoSelectedColumnMessage;
    if (NoColumnPairFlagged(document)) message = NoPairMessage;
    if (!message.empty()) {
        WriteResultsMessage(report, message);
        outcome.MessageOnly = true;
        return outcome;
    }

    const std::vector<int> columns = SelectedDataColumns(table);
    if (progress) progress->BeginCalculation();
    {
        TemporaryColumnState temporary(table);
        ColumnTestOutcome test;
        switch (c.ColumnCountClass) {
            case 1:
                c.OneColColumn = columns[0];
                outcome.CalcError = OneColumnTest(document, columns[0], report, c.OneColNonParametric != 0,
                                                  c.OneColTwoSided != 0, c.HypotheticalValue, progress, &test);
                if (outcome.CalcError == 0) AddColumnTestValues(outcome.Values, test);
                break;
            case 2:
                c.TwoColFirstColumn = columns[0];
                c.TwoColSecondColumn = columns.size() > 1 ? columns[1] : columns[0];
                outcome.CalcError = TwoColumnTest(document, c.TwoColFirstColumn, c.TwoColSecondColumn, report,
                                                  c.TwoColEqualSD, c.TwoColNonParametric != 0,
                                                  c.TwoColTwoSided != 0, c.TwoColUnpaired != 0, progress, &test);
                if (outcome.CalcError == 0) AddColumnTestValues(outcome.Values, test);
                break;
            default:
                outcome.CalcError = RunAnova(document, report, progress, outcome.Values);
                break;
        }
    }
    if (progress) progress->EndCalculation();
    return outcome;
}

}  // namespace vextal
