// Linear least squares through the normal equations.
//
// Method: X'X and X'y are formed from the raw (uncentred) data with an
// intercept column of ones and solved by Gauss-Jordan elimination, whose
// pivot in each column is the usable entry closest to 1; an entry below
// 1e-15 in magnitude is never a pivot, and a column without another entry
// makes the system singular.
//
// Accuracy: forming X'X squares the condition number of the data, so the
// coefficients lose about log10(cond(X)^2) of the 19 digits of extended
// precision: well-conditioned data keep 15 digits, the NIST Longley set
// about 11, the fifth-degree Wampler sets about 10, and the tenth-degree
// Filip set is refused as singular. FitLeastSquares is the one place that
// chooses the method.
#pragma once

#include <vector>

namespace vextal {

/// A dense matrix, row by row.
using RealMatrix = std::vector<std::vector<long double>>;

/// Entries smaller than this in magnitude are never used as pivots.
inline constexpr long double SingularPivot = 1e-15L;

/// In-place Gauss-Jordan elimination of the augmented matrix made of the
/// first `rows` rows and `cols` columns of `matrix` (cols >= rows). On
/// success the left rows x rows block is the identity and the columns to its
/// right hold the solutions. Returns false when the left block is singular
/// (or the dimensions do not fit the matrix); the matrix is then undefined.
bool gauss_jordan(RealMatrix& matrix, int rows, int cols);

/// Solves xtx * b = xty for the first `size` equations; false when singular.
bool solve_normal_equations(const RealMatrix& xtx, const std::vector<long double>& xty, int size,
                            std::vector<long double>& b);

/// The inverse of the leading size x size block of `a`; false when singular.
bool invert(const RealMatrix& a, int size, RealMatrix& inverse);

struct LeastSquaresFit {
    std::vector<long double> Coefficients; // b0 (intercept), b1..bk
    RealMatrix Inverse;                    // (X'X)^-1, the unscaled covariance of b
};

/// Fits y = b0 + b1 x1 + ... + bk xk. `x` holds one vector per X variable,
/// each as long as y. Returns false when the fit is not determined: X'X is
/// singular, or so nearly singular that its inverse has a diagonal entry
/// that is not positive.
bool FitLeastSquares(const std::vector<std::vector<long double>>& x, const std::vector<long double>& y,
                     LeastSquaresFit& fit);

} // namespace vextal
