// Linear least squares with an intercept.
//
// Method: every variable is centred on its mean (a mean with one correction
// pass) and each X is scaled to unit length, Z = (X - mean) / length. A
// Householder QR of Z gives the triangular R with R'R = Z'Z, the correlation
// matrix of the X, without forming it; R is solved and inverted by
// Gauss-Jordan elimination, whose pivot in each column is the usable entry
// closest to 1; an entry below 1e-15 in magnitude is never a pivot, and a
// column without another entry makes the system singular (two identical or
// exactly collinear X columns, or a constant one). One refinement pass with
// the residuals follows; slopes, intercept and (X'X)^-1 are then transformed
// back to the units of the data.
//
// Accuracy: centring removes the loss that large means cause in raw cross
// products, scaling makes the singularity rule independent of units, and
// the QR factor has the condition of the data rather than its square: the
// NIST Pontius and Wampler sets keep 12 or more digits of every estimate and
// the tenth-degree Filip set about 10 (the accuracy table in README.md).
// FitLeastSquares is the one place that chooses the method.
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

/// Residual-refinement passes after the solve.
inline constexpr int RefinementPasses = 1;

struct LeastSquaresFit {
    std::vector<long double> Coefficients; // b0 (intercept), b1..bk
    RealMatrix Inverse;                    // (X'X)^-1, the unscaled covariance of b
    /// Diagonal of the inverse correlation matrix of the X variables (index
    /// j for b_j; index 0 repeats Inverse[0][0]): entry j is the VIF of X_j.
    std::vector<long double> ScaledInverseDiagonal;
    std::vector<long double> Residuals; // y - fitted, computed from centred values
};

/// The mean of `values` with one correction pass (0 for no values).
long double AccurateMean(const std::vector<long double>& values);

/// Fits y = b0 + b1 x1 + ... + bk xk. `x` holds one vector per X variable,
/// each as long as y. Returns false when the fit is not determined: an X
/// column is constant, the triangular factor of the scaled X is singular
/// under the pivot rule, or so nearly singular that the inverse has a
/// diagonal entry that is not positive.
bool FitLeastSquares(const std::vector<std::vector<long double>>& x, const std::vector<long double>& y,
                     LeastSquaresFit& fit);

} // namespace vextal
