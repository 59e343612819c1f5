// Multiple regression of one Y on several X columns, and the matrix of
// Pearson correlation coefficients of chosen columns.
//
// Method: rows with every chosen value present are analysed; the fit comes
// from FitLeastSquares (QR of the centred and scaled X, Gauss-Jordan on the
// triangular factor, residual refinement). Standard errors are s * sqrt((X'X)^-1[j][j]),
// intervals use critical_t, P values t_prob and f_prob. VIF_j is the
// diagonal of the inverse correlation matrix of the X, (X'X)^-1[j][j] * SS_j.
// Correlations are two-pass sums of products of deviations from the means.
//
// Accuracy: that of FitLeastSquares for the coefficients and everything
// derived from them (see least_squares.h); correlations and sums of squares
// to nearly full extended precision.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/number_text.h"

namespace vextal {

struct AnalysisChoices;
struct DataDocument;
struct DataTable;
class ReportWriter;

inline constexpr int MultipleRegressionHelpTopic = 210;
inline constexpr int CorrelationMatrixHelpTopic = 208;

/// The data problems that replace the whole report by one line.
enum class MultipleRegressionMessage {
    None,
    NoData,          // the document holds no data
    NoDependent,     // no usable Y column
    NoIndependent,   // regression without X columns
    TooFewVariables, // correlation matrix with fewer than two columns
    TooFewRows,      // n <= k + 1
    CannotFit,       // singular normal equations
};

/// The line a message shows (empty for None).
std::string_view MultipleRegressionMessageText(MultipleRegressionMessage message);

/// One term of the fitted equation; the first is the constant.
struct RegressionTerm {
    int Column = -1; // data column, -1 for the constant
    long double Coefficient = MissingValue;
    long double SE = MissingValue;
    long double Lower = MissingValue; // 95% confidence interval
    long double Upper = MissingValue;
    long double T = MissingValue; // |b / SE|; 1000 when SE is 0
    bool TInfinite = false;       // SE was 0
    long double P = MissingValue; // two-tailed; 0 when SE is 0
};

/// One chosen X column (a variable of the matrix in correlation mode).
struct RegressionVariable {
    int Column = 0;
    std::string Name; // letter, ":" and title, e.g. "A:Weight"
    long double Mean = MissingValue;
    long double SumOfSquares = MissingValue; // about the mean
    long double VIF = MissingValue;          // regression with k > 1 only
    long double RSquaredWithOthers = MissingValue;
    std::vector<long double> Correlations;       // r with every variable, in order (k > 1)
    long double CorrelationWithY = MissingValue; // regression with k > 1 only
};

struct MultipleRegressionResult {
    bool Regression = true; // false: correlation matrix only
    MultipleRegressionMessage Message = MultipleRegressionMessage::None;
    int DependentColumn = -1;
    std::string DependentName;
    std::vector<RegressionVariable> Variables;
    std::vector<int> Rows; // the analysed rows
    int N = 0;
    int ExcludedRows = 0;              // rows in 0..LastRow with a missing or excluded value
    int DF = 0;                        // n - k - 1
    std::vector<RegressionTerm> Terms; // constant, then one per variable
    long double MeanY = MissingValue;
    long double SSTotal = MissingValue;
    long double SSResidual = MissingValue;
    long double SDResidual = MissingValue;
    long double RSquared = MissingValue;
    long double AdjustedRSquared = MissingValue;
    long double MultipleR = MissingValue;
    long double F = MissingValue; // missing when the residuals are all 0
    long double P = MissingValue;
    long double CriticalT = MissingValue;
    long double MaxVIF = 0; // k > 1 only
};

/// The date and time that heads a report; injected so that reports can be
/// reproduced.
using ReportClock = std::function<std::tm()>;
/// The local time now.
std::tm LocalTimeNow();
/// The date and time in the current locale's forms, separated by a blank.
std::string ReportDateTime(const std::tm& time);

/// Runs the checks and, when they pass, the whole calculation. Reads the
/// choices MultipleRegression, DependentY and IndependentX. Floating-point
/// faults are left to the caller's guard.
MultipleRegressionResult ComputeMultipleRegression(const DataTable& table, const AnalysisChoices& choices);

/// y minus the fitted value of a row, MissingValue when the row lacks a
/// value of the model or the result holds no fit.
long double MultipleRegressionResidual(const DataTable& table, const MultipleRegressionResult& result,
                                       int row);

/// Writes the whole report (or the message that replaces it), restarting
/// `report` first.
void WriteMultipleRegressionReport(ReportWriter& report, const MultipleRegressionResult& result,
                                   std::string_view documentTitle, std::string_view dateTime);

struct MultipleRegressionRun {
    int Code = 0; // calculation error code, 0 when none
    MultipleRegressionResult Result;
};

/// The analysis of a multiple-regression document: computes, writes the
/// report into `report` and the document's ResultReport, sets CalcError and
/// ReportHelpTopic.
MultipleRegressionRun multiple_regression(DataDocument& document, ReportWriter& report,
                                          const ReportClock& clock = LocalTimeNow);

} // namespace vextal
