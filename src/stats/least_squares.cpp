#include "stats/least_squares.h"

#include <algorithm>
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

long double AccurateMean(const std::vector<long double>& values) {
    if (values.empty())
        return 0;
    long double sum = 0;
    for (long double v : values)
        sum += v;
    const long double mean = sum / values.size();
    // One correction pass recovers what rounding the sum lost.
    long double residual = 0;
    for (long double v : values)
        residual += v - mean;
    return mean + residual / values.size();
}

bool FitLeastSquares(const std::vector<std::vector<long double>>& x, const std::vector<long double>& y,
                     LeastSquaresFit& fit) {
    const int k = static_cast<int>(x.size());
    const std::size_t n = y.size();
    for (const auto& column : x)
        if (column.size() != n)
            return false;
    if (n == 0)
        return false;

    // Centre every variable on its mean and scale each X to unit length:
    // z_j = (x_j - mean_j) / scale_j. A constant X column (scale 0) cannot
    // be told apart from the intercept.
    const long double meanY = AccurateMean(y);
    std::vector<long double> yc(n);
    for (std::size_t row = 0; row < n; ++row)
        yc[row] = y[row] - meanY;
    std::vector<long double> means(k), scales(k);
    std::vector<std::vector<long double>> z(k, std::vector<long double>(n));
    for (int j = 0; j < k; ++j) {
        means[j] = AccurateMean(x[j]);
        long double squares = 0;
        for (std::size_t row = 0; row < n; ++row) {
            z[j][row] = x[j][row] - means[j];
            squares += z[j][row] * z[j][row];
        }
        scales[j] = std::sqrt(squares);
        if (!(scales[j] > 0) || !std::isfinite(scales[j]))
            return false;
        for (std::size_t row = 0; row < n; ++row)
            z[j][row] /= scales[j];
    }

    // Householder QR of Z, applied to y as well: Z = QR with R upper
    // triangular and R'R = Z'Z, the correlation matrix of the X. R is solved
    // and inverted by Gauss-Jordan elimination, so the pivot and singularity
    // rules apply to the scaled factor; an exactly collinear X leaves a
    // diagonal entry of rounding size and the fit is refused.
    std::vector<std::vector<long double>> a = z; // column by column, reduced in place
    std::vector<long double> qty = yc;
    for (int j = 0; j < k && static_cast<std::size_t>(j) < n; ++j) {
        long double norm = 0;
        for (std::size_t row = j; row < n; ++row)
            norm += a[j][row] * a[j][row];
        norm = std::sqrt(norm);
        if (norm == 0)
            continue; // nothing to reflect; the zero diagonal is refused below
        const long double alpha = a[j][j] > 0 ? -norm : norm;
        std::vector<long double> v(a[j].begin() + j, a[j].end());
        v[0] -= alpha;
        long double vv = 0;
        for (long double e : v)
            vv += e * e;
        auto reflect = [&](std::vector<long double>& column) {
            long double dot = 0;
            for (std::size_t row = j; row < n; ++row)
                dot += v[row - j] * column[row];
            const long double factor = 2 * dot / vv;
            for (std::size_t row = j; row < n; ++row)
                column[row] -= factor * v[row - j];
        };
        for (int c = j; c < k; ++c)
            reflect(a[c]);
        reflect(qty);
    }
    RealMatrix r(k, std::vector<long double>(k, 0));
    std::vector<long double> rhs(k, 0);
    for (int i = 0; i < k; ++i) {
        for (int j = i; j < k; ++j)
            r[i][j] = a[j][i];
        rhs[i] = qty[i];
    }

    std::vector<long double> c;
    RealMatrix inverse; // (Z'Z)^-1 = R^-1 R^-T
    if (k > 0) {
        RealMatrix rInverse;
        if (!solve_normal_equations(r, rhs, k, c))
            return false;
        if (!invert(r, k, rInverse))
            return false;
        inverse.assign(k, std::vector<long double>(k, 0));
        for (int i = 0; i < k; ++i)
            for (int j = 0; j < k; ++j) {
                long double sum = 0;
                for (int l = std::max(i, j); l < k; ++l)
                    sum += rInverse[i][l] * rInverse[j][l];
                inverse[i][j] = sum;
            }
        // The inverse of a positive definite matrix has a positive diagonal;
        // one that does not is rounding noise, not a fit.
        for (int j = 0; j < k; ++j)
            if (!(inverse[j][j] > 0) || !std::isfinite(inverse[j][j]))
                return false;
    }

    // Residuals in centred form, then refinement: the solution of
    // Z'Z d = Z'e corrects c for the round-off of the solve.
    std::vector<long double> residuals(n);
    auto computeResiduals = [&] {
        for (std::size_t row = 0; row < n; ++row) {
            long double e = yc[row];
            for (int j = 0; j < k; ++j)
                e -= c[j] * z[j][row];
            residuals[row] = e;
        }
    };
    computeResiduals();
    for (int pass = 0; pass < RefinementPasses && k > 0; ++pass) {
        std::vector<long double> zte(k, 0);
        for (int j = 0; j < k; ++j)
            for (std::size_t row = 0; row < n; ++row)
                zte[j] += z[j][row] * residuals[row];
        for (int i = 0; i < k; ++i) {
            long double d = 0;
            for (int j = 0; j < k; ++j)
                d += inverse[i][j] * zte[j];
            c[i] += d;
        }
        computeResiduals();
    }

    // Back to the units of the data: b_j = c_j / scale_j, the intercept from
    // the means, and (X'X)^-1 of the design with its column of ones.
    const int size = k + 1;
    fit.Coefficients.assign(size, 0);
    fit.Inverse.assign(size, std::vector<long double>(size, 0));
    fit.ScaledInverseDiagonal.assign(size, 0);
    long double intercept = meanY;
    for (int j = 0; j < k; ++j) {
        fit.Coefficients[j + 1] = c[j] / scales[j];
        intercept -= fit.Coefficients[j + 1] * means[j];
    }
    fit.Coefficients[0] = intercept;
    // VIFs from the inverse of the centred cross products, whose entries are
    // exact for short decimal data (so a VIF of exactly 4 or 10 stays exact);
    // the factor's diagonal stands in when that matrix is too near singular.
    RealMatrix centred(k, std::vector<long double>(k, 0)), centredInverse;
    for (int i = 0; i < k; ++i)
        for (int j = 0; j <= i; ++j) {
            long double sum = 0;
            for (std::size_t row = 0; row < n; ++row)
                sum += (x[i][row] - means[i]) * (x[j][row] - means[j]);
            centred[i][j] = centred[j][i] = sum;
        }
    const bool centredInverted = k > 0 && invert(centred, k, centredInverse);
    for (int i = 0; i < k; ++i) {
        const long double vif = centredInverted ? centredInverse[i][i] * centred[i][i] : 0.0L;
        fit.ScaledInverseDiagonal[i + 1] = vif >= 1 && std::isfinite(vif) ? vif : inverse[i][i];
        for (int j = 0; j < k; ++j)
            fit.Inverse[i + 1][j + 1] = inverse[i][j] / (scales[i] * scales[j]);
    }
    // Var(b0) = 1/n + m' C m and Cov(b0, b_j) = -(C m)_j, C the slope block.
    long double quadratic = 0;
    for (int i = 0; i < k; ++i) {
        long double cm = 0;
        for (int j = 0; j < k; ++j)
            cm += fit.Inverse[i + 1][j + 1] * means[j];
        fit.Inverse[0][i + 1] = fit.Inverse[i + 1][0] = -cm;
        quadratic += means[i] * cm;
    }
    fit.Inverse[0][0] = 1.0L / n + quadratic;
    fit.ScaledInverseDiagonal[0] = fit.Inverse[0][0];
    if (!(fit.Inverse[0][0] > 0))
        return false;
    fit.Residuals = std::move(residuals);
    return true;
}

} // namespace vextal
