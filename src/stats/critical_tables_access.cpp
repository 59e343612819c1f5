// Reads the scaled integers of the critical-value tables (critical_tables.cpp)
// back as values. Division by the exact power of ten gives the nearest long
// double to the tabled decimal.
#include "stats/critical_tables.h"

namespace vextal {

long double QTableScaled(int alphaIndex, int row, int column) {
    if (row < 0 || row >= QTableRowCount || column < 0 || column >= QTableColumnCount)
        return 0;
    // Stored units per 1: df 1 (row 0) keeps fewer decimals, and at alpha
    // 0.001 so does df 2 (row 1), where the values run into the hundreds.
    switch (alphaIndex) {
    case 0:
        return QTable05[row][column] / (row == 0 ? 100.0L : 1000.0L);
    case 1:
        return QTable01[row][column] / (row == 0 ? 100.0L : 1000.0L);
    case 2:
        return QTable001[row][column] / (row == 0 ? 10.0L : row == 1 ? 100.0L : 1000.0L);
    default:
        return 0;
    }
}

long double DunnettTableValue(bool twoSided, int alphaIndex, int row, int column) {
    if (row < 0 || row >= DunnettRowCount || column < 0)
        return 0;
    // Bases in hundredths, per table and row.
    if (twoSided) {
        if (column >= DunnettTwoSidedColumnCount)
            return 0;
        switch (alphaIndex) {
        case 0:
            return (DunnettTwoSided05[row][column] + 196) / 100.0L;
        case 1: {
            const int base = row == 0 ? 400 : row == 1 ? 370 : row == 2 ? 300 : 258; // df 5, 6, 7, others
            return (DunnettTwoSided01[row][column] + base) / 100.0L;
        }
        default:
            return 0;
        }
    }
    if (column >= DunnettOneSidedColumnCount)
        return 0;
    switch (alphaIndex) {
    case 0:
        return (DunnettOneSided05[row][column] + 100) / 100.0L;
    case 1:
        return (DunnettOneSided01[row][column] + (row == 0 ? 280 : 200)) / 100.0L; // df 5, others
    default:
        return 0;
    }
}

} // namespace vextal
