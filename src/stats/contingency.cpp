#include "stats/contingency.h"

#include <cmath>
#include <memory>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/contingency_tables.h"
#include "report/result_tables.h"
#include "stats/calc_error.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"
#include "stats/two_by_two_report.h"

namespace vextal {

namespace {

constexpr int FractionCode = 30;
constexpr int NegativeCode = 31;
constexpr int ZeroRowCode = 32;
constexpr int ZeroColumnCode = 33;
constexpr int NotRectangularCode = 34;
constexpr int EmptyTableCode = 46;

// The chi-square approximation needs every expected count above 1 and at
// least 80 % of them above 5.
constexpr long double MinimumExpected = 1;
constexpr long double SmallExpected = 5;
constexpr int SmallCellsPercentLimit = 20;

std::string ColumnTitle(const DataTable& data, int tableColumn) {
    if (tableColumn < 0 || tableColumn >= DataColumnCount)
        return {};
    const std::string& title = data.ColumnInfo[tableColumn].Title;
    return title.empty() ? std::string(1, static_cast<char>('A' + tableColumn)) : title;
}

ContingencyResult TotalsOf(const ContingencyTable& table) {
    ContingencyResult result;
    result.Rows = table.RowCount();
    result.Columns = table.ColumnCount();
    for (int row : table.Rows)
        result.RowNumbers.push_back(row + 1);
    result.ColumnTitles = table.ColumnTitles;
    result.RowTotals.assign(result.Rows, 0);
    result.ColumnTotals.assign(result.Columns, 0);
    for (int i = 0; i < result.Rows; ++i)
        for (int j = 0; j < result.Columns; ++j) {
            result.RowTotals[i] += table.Cell(i, j);
            result.ColumnTotals[j] += table.Cell(i, j);
            result.N += table.Cell(i, j);
        }
    return result;
}

void WriteTrend(ReportWriter& report, const ContingencyResult& result) {
    const bool twoRows = result.Orientation == TrendOrientation::TwoRows;
    report.new_line();
    WriteUnderlinedTitle(report, "Chi-Squared Test for Trend.");
    report.write_line("Note: This analysis is useful only if the categories defining the");
    if (twoRows) {
        report.write_line("columns are arranged in a natural order (i.e. age groups, dose");
        report.write_line("or time), with equal spacing between columns.");
    } else {
        report.write_line("rows are arranged in a natural order (i.e. age groups, dose");
        report.write_line("or time), with equal spacing between rows.");
    }
    report.new_line();
    report.write_text("Chi-squared for trend = ");
    report.write_number(FiveSignificant, result.Trend.ChiSquare);
    report.write_line(" (1 degree of freedom)");
    write_table_p_value(report, 0, false, result.Trend.P);
    report.write_line(result.Trend.P < 0.05L
                          ? "There is a significant linear trend among the ordered categories"
                          : "There is not a significant linear trend among the ordered categories");
    report.write_line(twoRows ? "defining the columns and the proportion of subjects in the top row."
                              : "defining the rows and the proportion of subjects in the left column.");
}

void WriteTotals(ReportWriter& totals, const ContingencyResult& result) {
    WriteTotalsTableHeader(totals, "Row");
    for (int i = 0; i < result.Rows; ++i)
        WriteTotalsTableRow(totals, std::to_string(result.RowNumbers[i]), result.RowTotals[i],
                            100 * result.RowTotals[i] / result.N);
    WriteTotalsTableTotal(totals, result.N);
    totals.new_line();
    WriteTotalsTableHeader(totals, "Column");
    for (int j = 0; j < result.Columns; ++j)
        if (result.ColumnTotals[j] != 0)
            WriteTotalsTableRow(totals, result.ColumnTitles[j], result.ColumnTotals[j],
                                100 * result.ColumnTotals[j] / result.N);
    WriteTotalsTableTotal(totals, result.N);
    totals.new_line();
}

void WriteContingencyReport(ReportWriter& report, const ContingencyResult& result,
                            const ReportWriter& totals) {
    report.new_line();
    WriteUnderlinedTitle(report, "Chi-squared Test for Independence");
    report.new_line();
    report.write_text("Chi-square: ");
    report.write_number(FiveSignificant, result.ChiSquare);
    report.new_line();
    report.write_text("Degrees of Freedom: ");
    report.write_integer(result.DF);
    report.new_line();
    report.new_line();
    report.write_line("Table size: " + std::to_string(result.Rows) + " rows, " +
                      std::to_string(result.Columns) + " columns.");
    write_table_p_value(report, 0, false, result.P);
    report.write_line(result.P < 0.05L ? "The row and column variables are significantly associated."
                                       : "The row and column variables are not significantly associated.");
    report.new_line();
    if (result.ApproximationInvalid) {
        report.write_line("  Chi-square calculations are only valid when all expected");
        report.write_line("values are greater than 1.0 and at least 80% of the expected");
        report.write_line("values are greater than 5.  These conditions have not been");
        report.write_line("met, and thus the chi-square calculations are not valid.  To");
        report.write_line("avoid this problem, combine two or more rows or columns.");
    }
    if (result.HasTrend)
        WriteTrend(report, result);
    report.new_line();
    WriteUnderlinedTitle(report, "Summary of Data");
    report.new_line();
    AppendReport(report, totals);
    report.write_closing();
}

} // namespace

int ReadContingencyTable(const DataTable& data, ContingencyTable& table) {
    table = {};
    const int lastColumn = ColumnCountForAnalysis(data);
    bool rectangular = true;
    for (int row = 0; row <= data.LastRow && row < TableRowCount; ++row) {
        std::vector<int> present;
        for (int column = 0; column <= lastColumn; ++column)
            if (!IsMissing(GetValue(data, row, column)))
                present.push_back(column);
        if (present.empty())
            continue;
        if (table.Rows.empty())
            table.Columns = present; // the first data row fixes the columns
        if (present != table.Columns)
            rectangular = false;
        table.Rows.push_back(row);
    }
    if (!rectangular) {
        table = {};
        return NotRectangularCode;
    }
    if (table.Rows.empty() || table.Columns.empty())
        return EmptyTableCode;
    for (int column : table.Columns) {
        table.GridColumns.push_back(MapColumn(data, column));
        table.ColumnTitles.push_back(ColumnTitle(data, table.GridColumns.back()));
    }
    for (int row : table.Rows)
        for (int column : table.Columns)
            table.Cells.push_back(GetValue(data, row, column));
    return 0;
}

int CheckContingencyTable(const ContingencyTable& table) {
    int code = 0;
    for (int j = 0; j < table.ColumnCount(); ++j) {
        long double total = 0;
        for (int i = 0; i < table.RowCount(); ++i) {
            const long double v = table.Cell(i, j);
            total += v;
            if (!(std::floor(v) == v))
                code = FractionCode;
            if (v < 0)
                code = NegativeCode;
        }
        if (code == 0 && total == 0)
            code = ZeroColumnCode;
    }
    // A row "of zeros" holds only zero cells; a row such as -1, 1 totals 0
    // but keeps the code of its negative count.
    for (int i = 0; i < table.RowCount(); ++i) {
        bool allZero = true;
        for (int j = 0; j < table.ColumnCount(); ++j)
            allZero = allZero && table.Cell(i, j) == 0;
        if (allZero)
            code = ZeroRowCode;
    }
    return code;
}

TrendResult chi_square_for_trend(const ContingencyTable& table, TrendOrientation orientation) {
    TrendResult trend;
    const bool twoRows = orientation == TrendOrientation::TwoRows;
    const int categories = twoRows ? table.ColumnCount() : table.RowCount();
    for (int k = 0; k < categories; ++k) {
        const long double first = twoRows ? table.Cell(0, k) : table.Cell(k, 0);
        const long double second = twoRows ? table.Cell(1, k) : table.Cell(k, 1);
        if (IsMissing(first))
            continue;
        // The score is the category's place in the grid, counted from 1.
        const long double x = (twoRows ? table.GridColumns[k] : table.Rows[k]) + 1;
        const long double n = first + second;
        trend.N += n;
        trend.T += first;
        trend.S1 += n * x;
        trend.S2 += n * x * x;
        trend.S3 += first * x;
    }
    const long double meanX = trend.S1 / trend.N;
    const long double p = trend.T / trend.N;
    const long double u = trend.S3 - trend.T * meanX;
    trend.ChiSquare = u * u / ((trend.S2 - trend.N * meanX * meanX) * p * (1 - p));
    trend.P = chi2_prob(1, trend.ChiSquare);
    return trend;
}

ContingencyResult ComputeContingency(const ContingencyTable& table) {
    ContingencyResult result = TotalsOf(table);
    // A single row or column leaves no degrees of freedom.
    if (result.Rows < 2 || result.Columns < 2)
        throw CalcFault{CalcDivideByZero};
    long double chiSquare = 0;
    for (int i = 0; i < result.Rows; ++i)
        for (int j = 0; j < result.Columns; ++j) {
            const long double expected = result.RowTotals[i] * result.ColumnTotals[j] / result.N;
            if (expected <= MinimumExpected)
                result.ApproximationInvalid = true;
            if (expected <= SmallExpected)
                ++result.SmallExpectedCells;
            const long double deviation = table.Cell(i, j) - expected;
            chiSquare += deviation * deviation / expected;
        }
    if (100 * result.SmallExpectedCells >= SmallCellsPercentLimit * result.Rows * result.Columns)
        result.ApproximationInvalid = true;
    result.ChiSquare = chiSquare;
    result.DF = (result.Rows - 1) * (result.Columns - 1);
    result.P = chi2_prob(result.DF, chiSquare);

    if (result.Rows == 2 && result.Columns > 2) {
        result.HasTrend = true;
        result.Orientation = TrendOrientation::TwoRows;
    } else if (result.Rows > 2 && result.Columns == 2) {
        result.HasTrend = true;
        result.Orientation = TrendOrientation::TwoColumns;
    }
    if (result.HasTrend)
        result.Trend = chi_square_for_trend(table, result.Orientation);
    return result;
}

int analyse_larger_table(DataDocument& document, ReportWriter& report, ContingencyResult& result) {
    document.ReportHelpTopic = LargerTableHelpTopic;
    result = {};
    ContingencyTable table;
    const int code = RunAnalysisFrame(
        report, document.CalcError,
        [&] {
            const int extent = ReadContingencyTable(document.Table, table);
            return extent != 0 ? extent : CheckContingencyTable(table);
        },
        [&] {
            // The totals tables are built apart and appended after the
            // report; running out of memory here becomes code 10.
            auto totals = std::make_unique<ReportWriter>();
            result = ComputeContingency(table);
            WriteTotals(*totals, result);
            WriteContingencyReport(report, result, *totals);
        });
    if (code != 0)
        result = {};
    return code;
}

int analyse_larger_table(DataDocument& document, ReportWriter& report) {
    ContingencyResult result;
    return analyse_larger_table(document, report, result);
}

} // namespace vextal
