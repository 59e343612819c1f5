// Larger contingency tables typed into the data grid: the chi-square test of
// independence with a check of the expected counts, and the chi-square test
// for trend of a 2 x k or k x 2 table.
//
// Method: Pearson's chi-square over all cells, df = (rows - 1)(cols - 1);
// the approximation is called invalid when an expected count is 1 or less or
// when at least 20 % of them are 5 or less. The trend test scores each
// category by its position in the grid (Cochran-Armitage form, 1 df).
// Accuracy: sums in extended precision; P values from chi2_prob (about six
// digits, 0 above a chi-square of 1000).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/number_text.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

/// Help topic of the larger-table results page.
inline constexpr int LargerTableHelpTopic = 612;

/// The counts of the table as read from the grid. Rows are the grid rows
/// holding values (blank rows skipped), columns the columns in use.
struct ContingencyTable {
    std::vector<int> Rows;        // grid row indexes
    std::vector<int> Columns;     // analysis column indexes (GetValue's column argument)
    std::vector<int> GridColumns; // the data table's columns behind them
    std::vector<std::string> ColumnTitles;
    std::vector<long double> Cells; // Rows.size() x Columns.size(), row-major

    int RowCount() const { return static_cast<int>(Rows.size()); }
    int ColumnCount() const { return static_cast<int>(Columns.size()); }
    long double Cell(int row, int column) const {
        return Cells[static_cast<std::size_t>(row) * Columns.size() + column];
    }
};

/// Reads the table's extent: the first row holding a value fixes the columns
/// in use. Returns 34 when a row holding values misses one of them or has a
/// value elsewhere, 46 when the table is empty, else 0.
int ReadContingencyTable(const DataTable& data, ContingencyTable& table);

/// 30 for a fraction, 31 for a negative count (the later cell's code wins),
/// 33 for a column of zeros, 32 for a row of zeros (overwriting), else 0.
int CheckContingencyTable(const ContingencyTable& table);

enum class TrendOrientation { TwoRows, TwoColumns };

struct TrendResult {
    long double ChiSquare = MissingValue;
    long double P = MissingValue;
    // Sums over the categories: N = sum n_i, T = sum t_i, S1 = sum n_i x_i,
    // S2 = sum n_i x_i^2, S3 = sum t_i x_i.
    long double N = 0, T = 0, S1 = 0, S2 = 0, S3 = 0;
};

/// Chi-square for trend across the columns of a two-row table or the rows of
/// a two-column table; category scores are grid positions counted from 1.
TrendResult chi_square_for_trend(const ContingencyTable& table, TrendOrientation orientation);

struct ContingencyResult {
    int Rows = 0;
    int Columns = 0;
    std::vector<int> RowNumbers; // grid row numbers, counted from 1
    std::vector<std::string> ColumnTitles;
    std::vector<long double> RowTotals;
    std::vector<long double> ColumnTotals;
    long double N = 0;
    long double ChiSquare = MissingValue;
    std::int32_t DF = 0;
    long double P = MissingValue;
    int SmallExpectedCells = 0; // cells with an expected count of 5 or less
    bool ApproximationInvalid = false;
    bool HasTrend = false;
    TrendOrientation Orientation = TrendOrientation::TwoRows;
    TrendResult Trend;
};

/// The tests on a checked table.
ContingencyResult ComputeContingency(const ContingencyTable& table);

/// The analysis of a larger table in the document's data grid: reads,
/// checks, computes and writes the report in the fault guard, or replaces the
/// report by the code's message. Sets the document's CalcError and help topic
/// and returns the code; `result` holds the numbers when the code is 0.
int analyse_larger_table(DataDocument& document, ReportWriter& report, ContingencyResult& result);
int analyse_larger_table(DataDocument& document, ReportWriter& report);

} // namespace vextal
