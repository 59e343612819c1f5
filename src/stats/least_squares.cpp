#include "stats/least_squares.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace vextal {

namespace {

bool Fits(const RealMatrix& matrix, int rows, int cols) {
    if (rows < 1 || cols < rows || matrix.size() < static_cast<std::size_t>(rows))
        return false;
    for (int r = 0; r < rows; ++r)
        if (matrix[r].size() < static_cast<std::size_t>(cols))
            return false;
    return true;
}

bool Usable(long double entry) {
    return std::fabs(entry) >= SingularPivot;
}

// The pivot row of column c among the rows not used yet: walking them in
// order, a candidate replaces the current choice when that choice is not
// usable, or when the candidate is usable and strictly closer to 1. A tiny
// entry never displaces a usable one, so an exact zero below a good pivot
// does not make a regular matrix look singular.
int ChoosePivot(const RealMatrix& matrix, int rows, int c, const std::vector<bool>& used) {
    int chosen = -1;
    for (int r = 0; r < rows; ++r) {
        if (used[r])
            continue;
        if (chosen < 0) {
            chosen = r;
            continue;
        }
        const long double current = matrix[chosen][c];
        const long double candidate = matrix[r][c];
        if (!Usable(current) || (Usable(candidate) && std::fabs(1 - candidate) < std::fabs(1 - current)))
            chosen = r;
    }
    return chosen;
}

} // namespace

bool gauss_jordan(RealMatrix& matrix, int rows, int cols) {
    if (!Fits(matrix, rows, cols))
        return false;
    std::vector<bool> used(rows, false);
    std::vector<int> pivotRow(rows, -1);
    for (int c = 0; c < rows; ++c) {
        const int p = ChoosePivot(matrix, rows, c, used);
        if (p < 0 || !Usable(matrix[p][c]))
            return false;
        used[p] = true;
        pivotRow[c] = p;
        std::vector<long double>& pivot = matrix[p];
        const long double divisor = pivot[c];
        for (int j = 0; j < cols; ++j)
            pivot[j] /= divisor;
        for (int r = 0; r < rows; ++r) {
            if (r == p)
                continue;
            const long double factor = matrix[r][c];
            if (factor == 0)
                continue;
            for (int j = 0; j < cols; ++j)
                matrix[r][j] -= factor * pivot[j];
        }
    }
    // Row i becomes the row that holds the 1 of column i.
    RealMatrix ordered(rows);
    for (int i = 0; i < rows; ++i)
        ordered[i] = std::move(matrix[pivotRow[i]]);
    for (int i = 0; i < rows; ++i)
        matrix[i] = std::move(ordered[i]);
    return true;
}

bool solve_normal_equations(const RealMatrix& xtx, const std::vector<long double>& xty, int size,
                            std::vector<long double>& b) {
    if (!Fits(xtx, size, size) || xty.size() < static_cast<std::size_t>(size))
        return false;
    RealMatrix augmented(size, std::vector<long double>(size + 1));
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j)
            augmented[i][j] = xtx[i][j];
        augmented[i][size] = xty[i];
    }
    if (!gauss_jordan(augmented, size, size + 1))
        return false;
    b.assign(size, 0);
    for (int i = 0; i < size; ++i)
        b[i] = augmented[i][size];
    return true;
}

bool invert(const RealMatrix& a, int size, RealMatrix& inverse) {
    if (!Fits(a, size, size))
        return false;
    RealMatrix augmented(size, std::vector<long double>(2 * size, 0));
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j)
            augmented[i][j] = a[i][j];
        augmented[i][size + i] = 1;
    }
    if (!gauss_jordan(augmented, size, 2 * size))
        return false;
    inverse.assign(size, std::vector<long double>(size));
    for (int i = 0; i < size; ++i)
        for (int j = 0; j < size; ++j)
            inverse[i][j] = augmented[i][size + j];
    return true;
}

bool FitLeastSquares(const std::vector<std::vector<long double>>& x, const std::vector<long double>& y,
                     LeastSquaresFit& fit) {
    const int size = static_cast<int>(x.size()) + 1;
    const std::size_t n = y.size();
    for (const auto& column : x)
        if (column.size() != n)
            return false;

    // Index 0 is the intercept, whose "values" are all 1.
    auto value = [&](int j, std::size_t row) -> long double { return j == 0 ? 1.0L : x[j - 1][row]; };
    RealMatrix xtx(size, std::vector<long double>(size, 0));
    std::vector<long double> xty(size, 0);
    for (std::size_t row = 0; row < n; ++row)
        for (int i = 0; i < size; ++i) {
            const long double xi = value(i, row);
            for (int j = 0; j < size; ++j)
                xtx[i][j] += xi * value(j, row);
            xty[i] += xi * y[row];
        }

    if (!solve_normal_equations(xtx, xty, size, fit.Coefficients))
        return false;
    if (!invert(xtx, size, fit.Inverse))
        return false;
    // The inverse of a positive definite matrix has a positive diagonal; one
    // that does not is rounding noise, not a fit.
    for (int j = 0; j < size; ++j)
        if (!(fit.Inverse[j][j] > 0))
            return false;
    return true;
}

} // namespace vextal
