#include "stats/multiple_regression.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/least_squares.h"
#include "stats/pvalue.h"
#include "workflow/analysis_choices.h"

namespace vextal {

namespace {

// The t of a coefficient whose standard error is 0.
constexpr long double InfiniteT = 1000;

// The analysis reads cells directly: the X and Y choices, not the column
// selection of raw-data documents, decide which columns take part.
long double CellValue(const DataTable& table, int row, int column) {
    if (IsExcluded(table, row, column))
        return MissingValue;
    return RawValue(table, row, column);
}

std::string VariableName(const DataTable& table, int column) {
    std::string name(1, static_cast<char>('A' + column));
    name += ':';
    name += table.ColumnInfo[column].Title;
    return name;
}

bool ValidColumn(int column) {
    return column >= 0 && column < DataColumnCount;
}

bool HoldsData(const DataTable& table, int column) {
    return !ColumnIsEmpty(table, column);
}

// Picks the Y column and the X columns, or names the check that failed.
MultipleRegressionMessage ChooseVariables(const DataTable& table, const AnalysisChoices& choices,
                                          MultipleRegressionResult& result) {
    if (!HasData(table))
        return MultipleRegressionMessage::NoData;
    const int y = choices.DependentY;
    if (result.Regression) {
        bool otherData = false;
        for (int c = 0; c < DataColumnCount && !otherData; ++c)
            otherData = c != y && HoldsData(table, c);
        if (!otherData || !ValidColumn(y) || !HoldsData(table, y))
            return MultipleRegressionMessage::NoDependent;
        result.DependentColumn = y;
        result.DependentName = VariableName(table, y);
    }
    for (int c = 0; c < DataColumnCount; ++c) {
        if (!choices.IndependentX[c] || !HoldsData(table, c))
            continue;
        if (result.Regression && c == y)
            continue; // Y is never one of its own predictors
        RegressionVariable variable;
        variable.Column = c;
        variable.Name = VariableName(table, c);
        result.Variables.push_back(std::move(variable));
    }
    const int k = static_cast<int>(result.Variables.size());
    if (result.Regression && k == 0)
        return MultipleRegressionMessage::NoIndependent;
    if (!result.Regression && k < 2)
        return MultipleRegressionMessage::TooFewVariables;
    return MultipleRegressionMessage::None;
}

// Collects the rows whose chosen values are all present, with their values.
void SelectRows(const DataTable& table, MultipleRegressionResult& result,
                std::vector<std::vector<long double>>& x, std::vector<long double>& y) {
    const int k = static_cast<int>(result.Variables.size());
    x.assign(k, {});
    const int lastRow = std::clamp(table.LastRow, 0, TableRowCount - 1);
    for (int row = 0; row <= lastRow; ++row) {
        bool complete = !result.Regression || !IsMissing(CellValue(table, row, result.DependentColumn));
        for (int j = 0; j < k && complete; ++j)
            complete = !IsMissing(CellValue(table, row, result.Variables[j].Column));
        if (!complete) {
            ++result.ExcludedRows;
            continue;
        }
        result.Rows.push_back(row);
        for (int j = 0; j < k; ++j)
            x[j].push_back(CellValue(table, row, result.Variables[j].Column));
        if (result.Regression)
            y.push_back(CellValue(table, row, result.DependentColumn));
    }
    result.N = static_cast<int>(result.Rows.size());
}

long double Mean(const std::vector<long double>& values) {
    return AccurateMean(values);
}

long double SumOfProducts(const std::vector<long double>& a, long double meanA,
                          const std::vector<long double>& b, long double meanB) {
    long double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - meanA) * (b[i] - meanB);
    return sum;
}

void ComputeFit(const LeastSquaresFit& fit, const std::vector<std::vector<long double>>& x,
                const std::vector<long double>& y, MultipleRegressionResult& result) {
    const int k = static_cast<int>(x.size());
    const int n = result.N;
    result.DF = n - k - 1;

    long double ssResidual = 0;
    for (long double e : fit.Residuals)
        ssResidual += e * e;
    const long double s = std::sqrt(ssResidual / result.DF);
    result.SSResidual = ssResidual;
    result.SDResidual = s;

    result.MeanY = Mean(y);
    result.SSTotal = SumOfProducts(y, result.MeanY, y, result.MeanY);
    result.RSquared = 1 - ssResidual / result.SSTotal;
    result.AdjustedRSquared = 1 - (1 - result.RSquared) * (n - 1) / result.DF;
    // Rounding can leave R squared a hair below 0 when Y does not depend on X.
    result.MultipleR = std::sqrt(std::max(result.RSquared, 0.0L));
    if (ssResidual > 0) {
        result.F = std::max(((result.SSTotal - ssResidual) / k) / (ssResidual / result.DF), 0.0L);
        result.P = f_prob(k, result.DF, result.F);
    }

    result.CriticalT = critical_t(result.DF);
    result.Terms.assign(k + 1, {});
    for (int j = 0; j <= k; ++j) {
        RegressionTerm& term = result.Terms[j];
        term.Column = j == 0 ? -1 : result.Variables[j - 1].Column;
        term.Coefficient = fit.Coefficients[j];
        term.SE = s * std::sqrt(fit.Inverse[j][j]);
        term.Lower = term.Coefficient - result.CriticalT * term.SE;
        term.Upper = term.Coefficient + result.CriticalT * term.SE;
        term.TInfinite = term.SE == 0;
        term.T = term.TInfinite ? InfiniteT : std::fabs(term.Coefficient / term.SE);
        // An exactly determined coefficient has P 0, whatever t_prob makes
        // of the stand-in t with few degrees of freedom.
        term.P = term.TInfinite ? 0 : t_prob(result.DF, term.T);
    }

    for (int j = 1; j <= k; ++j) {
        RegressionVariable& variable = result.Variables[j - 1];
        variable.Mean = Mean(x[j - 1]);
        variable.SumOfSquares = SumOfProducts(x[j - 1], variable.Mean, x[j - 1], variable.Mean);
        if (k < 2)
            continue;
        // The diagonal of the inverse correlation matrix of the X: equal to
        // SE^2 * SS / s^2, but defined for a perfect fit as well (how well
        // X_j is predicted by the other X does not depend on Y).
        variable.VIF = fit.ScaledInverseDiagonal[j];
        variable.RSquaredWithOthers = 1 - 1 / variable.VIF;
        result.MaxVIF = std::max(result.MaxVIF, variable.VIF);
    }
}

void ComputeCorrelations(const std::vector<std::vector<long double>>& x, const std::vector<long double>& y,
                         MultipleRegressionResult& result) {
    const std::size_t k = x.size();
    for (std::size_t i = 0; i < k; ++i) {
        RegressionVariable& variable = result.Variables[i];
        if (IsMissing(variable.Mean)) {
            variable.Mean = Mean(x[i]);
            variable.SumOfSquares = SumOfProducts(x[i], variable.Mean, x[i], variable.Mean);
        }
    }
    for (std::size_t i = 0; i < k; ++i) {
        RegressionVariable& a = result.Variables[i];
        a.Correlations.assign(k, 0);
        for (std::size_t j = 0; j < k; ++j) {
            const RegressionVariable& b = result.Variables[j];
            a.Correlations[j] =
                SumOfProducts(x[i], a.Mean, x[j], b.Mean) / std::sqrt(a.SumOfSquares * b.SumOfSquares);
        }
        if (result.Regression)
            a.CorrelationWithY =
                SumOfProducts(x[i], a.Mean, y, result.MeanY) / std::sqrt(result.SSTotal * a.SumOfSquares);
    }
}

} // namespace

std::string_view MultipleRegressionMessageText(MultipleRegressionMessage message) {
    switch (message) {
    case MultipleRegressionMessage::None:
        return "";
    case MultipleRegressionMessage::NoData:
        return "Until you enter data, you won't see any results!";
    case MultipleRegressionMessage::NoDependent:
        return "You must choose a dependent (Y) variable.";
    case MultipleRegressionMessage::NoIndependent:
        return "You must choose one or more independent (X) variables.";
    case MultipleRegressionMessage::TooFewVariables:
        return "You must choose two or more variables to analyze.";
    case MultipleRegressionMessage::TooFewRows:
        return "Too few rows of data. Need at least two more rows than # of variables.";
    case MultipleRegressionMessage::CannotFit:
        return "It is not possible to fit your data. Perhaps two X columns are identical?";
    }
    return "";
}

MultipleRegressionResult ComputeMultipleRegression(const DataTable& table, const AnalysisChoices& choices) {
    MultipleRegressionResult result;
    result.Regression = choices.MultipleRegression;
    result.Message = ChooseVariables(table, choices, result);
    if (result.Message != MultipleRegressionMessage::None)
        return result;

    std::vector<std::vector<long double>> x;
    std::vector<long double> y;
    SelectRows(table, result, x, y);
    const int k = static_cast<int>(result.Variables.size());
    if (k + 1 >= result.N) {
        result.Message = MultipleRegressionMessage::TooFewRows;
        return result;
    }

    if (result.Regression) {
        LeastSquaresFit fit;
        if (!FitLeastSquares(x, y, fit)) {
            result.Message = MultipleRegressionMessage::CannotFit;
            return result;
        }
        ComputeFit(fit, x, y, result);
    }
    if (k > 1)
        ComputeCorrelations(x, y, result);
    return result;
}

long double MultipleRegressionResidual(const DataTable& table, const MultipleRegressionResult& result,
                                       int row) {
    const std::size_t k = result.Variables.size();
    if (!result.Regression || result.Terms.size() != k + 1 || row < 0 || row >= TableRowCount)
        return MissingValue;
    long double value = CellValue(table, row, result.DependentColumn);
    if (IsMissing(value))
        return MissingValue;
    value -= result.Terms[0].Coefficient;
    for (std::size_t j = 0; j < k; ++j) {
        const long double xj = CellValue(table, row, result.Variables[j].Column);
        if (IsMissing(xj))
            return MissingValue;
        value -= result.Terms[j + 1].Coefficient * xj;
    }
    return value;
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string ReportDateTime(const std::tm& time) {
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%x %X", &time);
    return std::string(text, length);
}

MultipleRegressionRun multiple_regression(DataDocument& document, ReportWriter& report,
                                          const ReportClock& clock) {
    MultipleRegressionRun run;
    const AnalysisChoices& choices = document.State.Choices;
    document.ReportHelpTopic =
        choices.MultipleRegression ? MultipleRegressionHelpTopic : CorrelationMatrixHelpTopic;
    const std::string dateTime = ReportDateTime(clock ? clock() : LocalTimeNow());
    run.Code = RunAnalysisFrame(report, document.CalcError, {}, [&] {
        run.Result = ComputeMultipleRegression(document.Table, choices);
        WriteMultipleRegressionReport(report, run.Result, document.Table.DocumentTitle, dateTime);
    });
    document.ResultReport = report.Text();
    return run;
}

} // namespace vextal
