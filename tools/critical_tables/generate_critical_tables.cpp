// Generator of src/stats/critical_tables.cpp: the upper percentage points of
// the studentized range and the many-to-one (Dunnett) critical values that the
// post tests read.
//
// Build and run by hand from the repository root; it is not part of the
// project build:
//   g++ -std=c++20 -O2 -Wall -Wextra tools/critical_tables/generate_critical_tables.cpp -o gen
//   ./gen > src/stats/critical_tables.cpp
// or configure tools/critical_tables/CMakeLists.txt on its own. The run takes
// under a minute on one core and writes its self-checks to standard error;
// the exit status is non-zero when a check fails.
//
// Method (everything in long double, 64-bit mantissa):
// - Normal-theory tails W, by composite 16-point Gauss-Legendre over z on
//   panels of width 1, skipping panels where the integrand is provably below
//   1e-28:
//     range of k normals:  W(x) = 1 - k * integral of phi(z) [Phi(z) - Phi(z - x)]^(k-1) dz
//     Dunnett, p = means - 1 comparisons with a common control, equal group
//     sizes (correlation 1/2):
//       two-sided: W(c) = 1 - integral of phi(z) [Phi(sqrt2 c - z) - Phi(-sqrt2 c - z)]^p dz
//       one-sided: W(c) = 1 - integral of phi(z) Phi(sqrt2 c - z)^p dz
//   Differences of Phi are formed from whichever tail avoids cancellation.
// - Studentized by s = chi_df / sqrt(df): P(T > q) = integral of W(x) f_df(x/q) / q dx
//   over x = q s from 0 to where W falls below 1e-28 (about 21 for the range
//   of 100 means), by composite 16-point Gauss-Legendre on panels of width 0.25.
//   Working in x keeps df 1 and 2 harmless: the heavy tail of 1/s lies
//   where W is already zero, and the density f_df(x/q)/q is smooth and nearly
//   flat over the range. Infinite df is W(q) itself.
// - Quantiles: Brent's method on ln P(q) - ln alpha in ln q, after bracketing
//   from a neighbouring cell's value.
// - Checks: every quantile's tail is re-evaluated with every inner and outer
//   panel halved and the change carried over to the quantile; the k = 2 and
//   two-means columns are compared with t quantiles from the closed-form t
//   distribution function for integer df (finite trigonometric series); no
//   value may lie within 1e-5 of a unit of a rounding tie.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Real = long double;

constexpr Real Pi = std::numbers::pi_v<Real>;
constexpr Real Sqrt2 = std::numbers::sqrt2_v<Real>;
constexpr Real InvSqrt2Pi = 0.398942280401432677939946059934381868L; // 1/sqrt(2 pi)

// Anything smaller than this contributes nothing at the alphas tabled
// (at least 1e-3) and is dropped from the integrals.
constexpr Real Negligible = 1e-28L;

constexpr int InfiniteDf = 0; // df value meaning "infinite" inside the generator

// --------------------------------------------------------------------------
// Normal distribution

Real NormalDensity(Real z) {
    return InvSqrt2Pi * std::exp(-0.5L * z * z);
}

// P(Z <= z)
Real NormalLower(Real z) {
    return 0.5L * std::erfc(-z / Sqrt2);
}

// P(Z > z)
Real NormalUpper(Real z) {
    return 0.5L * std::erfc(z / Sqrt2);
}

// P(a < Z < b) for a <= b, without cancellation in either tail.
Real NormalBetween(Real a, Real b) {
    if (a >= 0)
        return NormalUpper(a) - NormalUpper(b);
    if (b <= 0)
        return NormalLower(b) - NormalLower(a);
    return 1 - NormalLower(a) - NormalUpper(b);
}

Real IntPower(Real x, int n) {
    Real r = 1;
    while (n > 0) {
        if (n & 1)
            r *= x;
        x *= x;
        n >>= 1;
    }
    return r;
}

// --------------------------------------------------------------------------
// Gauss-Legendre rules on [-1, 1], nodes by Newton's method on P_n.

struct Rule {
    std::vector<Real> x, w;
};

Rule GaussLegendre(int n) {
    Rule r;
    r.x.resize(n);
    r.w.resize(n);
    for (int i = 0; i < n; ++i) {
        Real z = std::cos(Pi * (i + 0.75L) / (n + 0.5L));
        Real derivative = 0;
        for (int iter = 0; iter < 100; ++iter) {
            Real p0 = 1, p1 = z;
            for (int j = 2; j <= n; ++j) {
                Real p2 = ((2 * j - 1) * z * p1 - (j - 1) * p0) / j;
                p0 = p1;
                p1 = p2;
            }
            derivative = n * (z * p1 - p0) / (z * z - 1);
            Real step = p1 / derivative;
            z -= step;
            if (std::fabs(step) < 1e-20L)
                break;
        }
        r.x[i] = z;
        r.w[i] = 2 / ((1 - z * z) * derivative * derivative);
    }
    return r;
}

const Rule& Rule16() {
    static const Rule rule = GaussLegendre(16);
    return rule;
}

// --------------------------------------------------------------------------
// Inner integrals: the upper tail W(x) of the normal-theory statistic.
//
// Both are integrals over z of weight(z) * d(z)^power with d between 0 and 1,
// taken by composite Gauss-Legendre. A panel whose integrand is provably below
// Negligible is skipped: the caller supplies an upper bound of d over a panel.

struct Panel {
    std::size_t first, last; // node range
    Real lo, hi;
    Real weightBound; // integral over the panel of the weight, bounded above
};

struct ZGrid {
    std::vector<Real> z, weight;
    std::vector<Panel> panels;
};

// weightAt(z): the weight function; maxWeight(lo, hi): its maximum on [lo, hi].
template <class WeightAt, class MaxWeight>
ZGrid MakeZGrid(Real lo, Real hi, Real panelWidth, WeightAt weightAt, MaxWeight maxWeight) {
    const Rule& rule = Rule16();
    ZGrid grid;
    int count = std::max(1, static_cast<int>(std::ceil((hi - lo) / panelWidth)));
    Real width = (hi - lo) / count;
    for (int p = 0; p < count; ++p) {
        Panel panel;
        panel.lo = lo + p * width;
        panel.hi = panel.lo + width;
        panel.first = grid.z.size();
        Real mid = 0.5L * (panel.lo + panel.hi);
        for (std::size_t i = 0; i < rule.x.size(); ++i) {
            Real z = mid + 0.5L * width * rule.x[i];
            grid.z.push_back(z);
            grid.weight.push_back(0.5L * width * rule.w[i] * weightAt(z));
        }
        panel.last = grid.z.size();
        panel.weightBound = width * maxWeight(panel.lo, panel.hi);
        grid.panels.push_back(panel);
    }
    return grid;
}

// Largest value of the standard normal density on [lo, hi].
Real MaxDensity(Real lo, Real hi) {
    if (lo <= 0 && hi >= 0)
        return InvSqrt2Pi;
    return NormalDensity(std::min(std::fabs(lo), std::fabs(hi)));
}

// Tail of the range of k independent standard normals:
//   W(x) = 1 - k * integral of phi(z) [Phi(z) - Phi(z - x)]^(k-1) dz.
class RangeTail {
public:
    RangeTail(int k, Real panelWidth) : k_(k) {
        // Below zLo, k phi(z) Phi(z)^(k-1) is negligible; above zHi, k phi(z) is.
        const Real logFloor = std::log(Negligible);
        Real zLo = 0;
        while (std::log(Real(k)) + std::log(NormalDensity(zLo)) + (k - 1) * std::log(NormalLower(zLo)) >
               logFloor)
            zLo -= 0.0625L;
        Real zHi = std::sqrt(2 * (std::log(k * InvSqrt2Pi) - logFloor));
        grid_ = MakeZGrid(
            zLo, zHi, panelWidth, [k](Real z) { return k * NormalDensity(z); },
            [k](Real lo, Real hi) { return k * MaxDensity(lo, hi); });
        for (Real z : grid_.z) {
            lower_.push_back(NormalLower(z));
            upper_.push_back(NormalUpper(z));
        }
        // P(range < x) <= k (x phi(0))^(k-1); P(range > x) <= 2k P(Z > x/2).
        smallX_ = std::sqrt(2 * Pi) * std::pow(Negligible / k, 1.0L / (k - 1));
        largeX_ = 2;
        while (2 * k * NormalUpper(largeX_ / 2) > Negligible)
            largeX_ += 0.125L;
    }

    // Beyond this the tail is below Negligible.
    Real LargeArgument() const { return largeX_; }

    Real operator()(Real x) const {
        if (x <= smallX_)
            return 1;
        if (x >= largeX_)
            return 0;
        Real below = 0; // P(range < x)
        for (const Panel& panel : grid_.panels) {
            // On the panel, Phi(z) - Phi(z - x) <= min(Phi(hi), P(Z > lo - x)).
            Real bound = std::min(NormalLower(panel.hi), NormalUpper(panel.lo - x));
            if (panel.weightBound * IntPower(bound, k_ - 1) < Negligible * 1e-3L)
                continue;
            for (std::size_t i = panel.first; i < panel.last; ++i) {
                Real z = grid_.z[i], shifted = z - x, d;
                if (shifted >= 0)
                    d = NormalUpper(shifted) - upper_[i];
                else if (z <= 0)
                    d = lower_[i] - NormalLower(shifted);
                else
                    d = 1 - upper_[i] - NormalLower(shifted);
                if (d > 0)
                    below += grid_.weight[i] * IntPower(d, k_ - 1);
            }
        }
        return 1 - below;
    }

private:
    int k_;
    ZGrid grid_;
    std::vector<Real> lower_, upper_;
    Real smallX_, largeX_;
};

// Tail of the largest of p comparisons with a common control, equal group
// sizes (each comparison standard normal, correlation 1/2 between them):
//   two-sided: W(c) = 1 - integral of phi(z) [Phi(sqrt2 c - z) - Phi(-sqrt2 c - z)]^p dz
//   one-sided: W(c) = 1 - integral of phi(z) Phi(sqrt2 c - z)^p dz
class DunnettTail {
public:
    DunnettTail(int comparisons, bool twoSided, Real panelWidth) : p_(comparisons), twoSided_(twoSided) {
        Real zHi = std::sqrt(-2 * std::log(Negligible / InvSqrt2Pi));
        // The two-sided integrand is even in z: integrate z >= 0 and double.
        Real factor = twoSided ? 2 : 1;
        grid_ = MakeZGrid(
            twoSided ? 0 : -zHi, zHi, panelWidth, [factor](Real z) { return factor * NormalDensity(z); },
            [factor](Real lo, Real hi) { return factor * MaxDensity(lo, hi); });
        // Each comparison alone is standard normal: P(any beyond c) <= p P(|Z| > c), or p P(Z > c).
        largeC_ = 0.5L;
        while (p_ * factor * NormalUpper(largeC_) > Negligible)
            largeC_ += 0.0625L;
        // Two-sided: each factor is below 2 sqrt2 c phi(0) = 2c / sqrt(pi).
        smallC_ = twoSided ? 0.5L * std::sqrt(Pi) * std::pow(Negligible, 1.0L / p_) : 0;
    }

    Real LargeArgument() const { return largeC_; }

    Real operator()(Real c) const {
        if (c <= smallC_)
            return 1;
        if (c >= largeC_)
            return 0;
        Real below = 0; // P(every comparison within the bound)
        for (const Panel& panel : grid_.panels) {
            // On the panel, either form is at most Phi(sqrt2 c - lo) (two-sided panels have lo >= 0).
            if (panel.weightBound * IntPower(NormalLower(Sqrt2 * c - panel.lo), p_) < Negligible * 1e-3L)
                continue;
            for (std::size_t i = panel.first; i < panel.last; ++i) {
                Real z = grid_.z[i];
                Real d =
                    twoSided_ ? NormalBetween(-Sqrt2 * c - z, Sqrt2 * c - z) : NormalLower(Sqrt2 * c - z);
                if (d > 0)
                    below += grid_.weight[i] * IntPower(d, p_);
            }
        }
        return 1 - below;
    }

private:
    int p_;
    bool twoSided_;
    ZGrid grid_;
    Real smallC_, largeC_;
};

// --------------------------------------------------------------------------
// Outer integral over the distribution of s = chi_df / sqrt(df).
//
// P(statistic / s > q) = integral over x of W(x) f_df(x / q) / q dx, x = q s,
// with f_df(s) = C s^(df-1) exp(-df s^2 / 2), C = 2 (df/2)^(df/2) / Gamma(df/2).
// Integrating over x rather than s ends the range where W vanishes (largeX),
// so the heavy upper tail of 1/s at df 1 and 2 never enters: there the
// integrand is W(x) times a smooth, nearly flat density. The x nodes do not
// depend on q or df, so W is tabulated once per column and every evaluation
// during the root search is a weighted sum.

// W at the nodes of a composite 16-point rule over [0, largeX], times the weights.
struct TailTable {
    std::function<Real(Real)> at; // direct evaluation, for infinite df
    std::vector<Real> x, weightedTail;
};

template <class T> TailTable Tabulate(std::shared_ptr<const T> tail, Real panelWidth) {
    TailTable table;
    table.at = [tail](Real x) { return (*tail)(x); };
    const Rule& rule = Rule16();
    Real hi = tail->LargeArgument();
    int panels = static_cast<int>(std::ceil(hi / panelWidth));
    Real width = hi / panels;
    for (int p = 0; p < panels; ++p) {
        Real mid = (p + 0.5L) * width;
        for (std::size_t i = 0; i < rule.x.size(); ++i) {
            Real x = mid + 0.5L * width * rule.x[i];
            Real w = (*tail)(x);
            if (w == 0)
                continue;
            table.x.push_back(x);
            table.weightedTail.push_back(0.5L * width * rule.w[i] * w);
        }
    }
    return table;
}

// Working rule and the check rule with every inner and outer panel halved.
// The outer panels (0.25) are narrower than the spread of the density in x
// at the largest finite df (sd q / sqrt(2 df) >= 0.17 for df 120).
constexpr Real InnerPanel = 1, OuterPanel = 0.25L;

Real StudentizedTail(const TailTable& table, int df, Real q) {
    if (df == InfiniteDf)
        return table.at(q);
    const Real half = df / 2.0L;
    const Real logC = std::log(2.0L) + half * std::log(half) - std::lgamma(half);
    Real sum = 0;
    for (std::size_t i = 0; i < table.x.size(); ++i) {
        Real s = table.x[i] / q;
        sum += table.weightedTail[i] * std::exp(logC + (df - 1) * std::log(s) - half * s * s);
    }
    return sum / q;
}

// --------------------------------------------------------------------------
// Root finding.

// Brent's method for g on [a, b] with g(a) and g(b) of opposite signs.
Real Brent(const std::function<Real(Real)>& g, Real a, Real b, Real fa, Real fb, Real tol) {
    Real c = a, fc = fa, d = b - a, e = d;
    for (int iter = 0; iter < 200; ++iter) {
        if ((fb > 0 && fc > 0) || (fb < 0 && fc < 0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        Real tol1 = 2 * std::numeric_limits<Real>::epsilon() * std::fabs(b) + 0.5L * tol;
        Real xm = 0.5L * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0)
            return b;
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            Real s = fb / fa, p, q;
            if (a == c) {
                p = 2 * xm * s;
                q = 1 - s;
            } else {
                Real qq = fa / fc, r = fb / fc;
                p = s * (2 * xm * qq * (qq - r) - (b - a) * (r - 1));
                q = (qq - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            p = std::fabs(p);
            if (2 * p < std::min(3 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol1 ? d : (xm > 0 ? tol1 : -tol1);
        fb = g(b);
    }
    std::fprintf(stderr, "error: Brent's method did not converge\n");
    std::exit(2);
}

int gEvaluations = 0;

// The q with P(statistic / s > q) = alpha, searched from guess.
Real Quantile(const TailTable& tail, int df, Real alpha, Real guess) {
    auto g = [&](Real y) {
        ++gEvaluations;
        return std::log(StudentizedTail(tail, df, std::exp(y))) - std::log(alpha);
    };
    // Bracket in y = ln q: step away from the guess, doubling the step.
    Real y0 = std::log(guess), g0 = g(y0);
    Real direction = g0 > 0 ? 1 : -1; // tail too heavy: q must grow
    Real step = 0.01L, y1 = y0, g1 = g0;
    for (int i = 0; i < 60; ++i) {
        y1 = y0 + direction * step;
        g1 = g(y1);
        if ((g1 > 0) != (g0 > 0))
            break;
        y0 = y1;
        g0 = g1;
        step *= 2;
    }
    if ((g1 > 0) == (g0 > 0)) {
        std::fprintf(stderr, "error: no bracket for df %d alpha %Lg\n", df, alpha);
        std::exit(2);
    }
    return std::exp(Brent(g, y0, y1, g0, g1, 1e-16L));
}

// Relative change of the quantile q when every panel, inner and outer, is halved.
Real RefinementShift(const TailTable& tail, const TailTable& fineTail, int df, Real q) {
    Real p = StudentizedTail(tail, df, q);
    Real pFine = StudentizedTail(fineTail, df, q);
    const Real h = 1e-6L;
    Real pShifted = StudentizedTail(tail, df, q * (1 + h));
    Real elasticity = std::log(pShifted / p) / std::log1p(h); // d ln P / d ln q
    return (std::log(pFine) - std::log(p)) / elasticity;
}

// --------------------------------------------------------------------------
// Student t for the self-checks, independent of the integrals above:
// closed-form distribution function for integer df (trigonometric series).

Real TTwoTail(int df, Real t) {
    if (df == InfiniteDf)
        return std::erfc(t / Sqrt2);
    Real theta = std::atan(t / std::sqrt(Real(df)));
    Real c = std::cos(theta), s = std::sin(theta), c2 = c * c, inside;
    if (df % 2 == 1) {
        Real sum = 0, term = c;
        if (df > 1)
            sum = c;
        for (int j = 3; j <= df - 2; j += 2) {
            term *= c2 * (j - 1) / j;
            sum += term;
        }
        inside = 2 / Pi * (theta + s * sum);
    } else {
        Real sum = 1, term = 1;
        for (int j = 2; j <= df - 2; j += 2) {
            term *= c2 * (j - 1) / j;
            sum += term;
        }
        inside = s * sum;
    }
    return 1 - inside;
}

// t with P(|T| > t) = twoTailP.
Real TQuantile(int df, Real twoTailP) {
    Real lo = 0, hi = 1;
    while (TTwoTail(df, hi) > twoTailP)
        hi *= 2;
    for (int i = 0; i < 200 && hi - lo > 4 * std::numeric_limits<Real>::epsilon() * hi; ++i) {
        Real mid = 0.5L * (lo + hi);
        (TTwoTail(df, mid) > twoTailP ? lo : hi) = mid;
    }
    return 0.5L * (lo + hi);
}

// --------------------------------------------------------------------------
// Table layout.

const std::vector<int> QRowKey = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,  13,
                                  14, 15, 16, 17, 18, 19, 20, 24, 30, 40, 60, 120, 500};
const std::vector<int> QColumnKey = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                     20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 50, 60, 70, 80, 90, 100};
const std::vector<int> DunnettRowKey = {5,  6,  7,  8,  9,  10, 11, 12, 13, 14,  15,
                                        16, 17, 18, 19, 20, 24, 30, 40, 60, 120, 500};
const std::vector<int> DunnettTwoSidedColumnKey = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 21};
const std::vector<int> DunnettOneSidedColumnKey = {2, 3, 4, 5, 6, 7, 8, 9, 10};

int DfOfRow(int key) {
    return key == 500 ? InfiniteDf : key;
}

// Stored integer = exact value / unit, rounded half away from zero.
long RoundToUnit(Real value, Real unitsPerOne) {
    return static_cast<long>(std::floor(value * unitsPerOne + 0.5L));
}

// Units per 1 of the studentized-range tables: 0.05 and 0.01 keep df 1 to
// hundredths, 0.001 keeps df 1 to tenths and df 2 to hundredths; thousandths elsewhere.
Real QUnitsPerOne(int alphaIndex, int row) {
    if (alphaIndex == 2)
        return row == 0 ? 10 : row == 1 ? 100 : 1000;
    return row == 0 ? 100 : 1000;
}

int QDecimals(int alphaIndex, int row) {
    return static_cast<int>(std::lround(std::log10(QUnitsPerOne(alphaIndex, row))));
}

int DunnettBase(bool twoSided, int alphaIndex, int row) {
    if (twoSided) {
        if (alphaIndex == 0)
            return 196;
        return row == 0 ? 400 : row == 1 ? 370 : row == 2 ? 300 : 258;
    }
    if (alphaIndex == 0)
        return 100;
    return row == 0 ? 280 : 200;
}

// Cells where the widely printed tables, which users compare results with,
// differ from the integral in the last digit; the tables keep the printed value.
struct PublishedEntry {
    int alphaIndex, dfKey, k;
    long stored;
    const char* note;
};
const std::vector<PublishedEntry> PublishedEntries = {
    {1, 1, 2, 9003, "q(0.01; k 2, df 1) = 90.03"},
    {2, 1, 3, 13510, "q(0.001; k 3, df 1) = 1351.0"},
};

const char* AlphaText[3] = {"0.05", "0.01", "0.001"};
const Real AlphaValue[3] = {0.05L, 0.01L, 0.001L};
const char* AlphaSuffix[3] = {"05", "01", "001"};

struct Cell {
    Real exact = 0;
    long stored = 0;
};

using Grid = std::vector<std::vector<Cell>>;

Real gWorstShift = 0;      // largest relative refinement shift of any quantile
std::string gWorstShiftAt; // where it happened
int gNearTies = 0;
Real gWorstIdentity = 0; // largest relative deviation of a two-means value from t
bool gFailed = false;

void CheckTie(const char* what, Real value, Real unitsPerOne) {
    Real scaled = value * unitsPerOne;
    Real distance = std::fabs(scaled - std::floor(scaled) - 0.5L); // in stored units
    if (distance < 1e-5L) { // the stored digit would need a closer look
        ++gNearTies;
        gFailed = true;
        std::fprintf(stderr, "FAIL: %s = %.12Lf lies within %.1Le units of a rounding tie\n", what, value,
                     distance);
    }
}

void NoteShift(const std::string& where, Real shift) {
    if (std::fabs(shift) > gWorstShift) {
        gWorstShift = std::fabs(shift);
        gWorstShiftAt = where;
    }
}

// First guess for cell (r, c): the left neighbour scaled by the ratio one row up.
Real Guess(const Grid& grid, std::size_t r, std::size_t c, Real first) {
    if (c == 0)
        return r == 0 ? first : grid[r - 1][c].exact;
    if (r == 0)
        return grid[r][c - 1].exact * 1.05L;
    return grid[r][c - 1].exact * grid[r - 1][c].exact / grid[r - 1][c - 1].exact;
}

// The three studentized-range tables, alpha 0.05, 0.01, 0.001.
std::vector<Grid> ComputeQTables() {
    std::vector<Grid> grids(3, Grid(QRowKey.size(), std::vector<Cell>(QColumnKey.size())));
    for (std::size_t c = 0; c < QColumnKey.size(); ++c) {
        int k = QColumnKey[c];
        TailTable tail = Tabulate(std::make_shared<const RangeTail>(k, InnerPanel), OuterPanel);
        TailTable fineTail = Tabulate(std::make_shared<const RangeTail>(k, InnerPanel / 2), OuterPanel / 2);
        for (int a = 0; a < 3; ++a) {
            Grid& grid = grids[a];
            for (std::size_t r = 0; r < QRowKey.size(); ++r) {
                int df = DfOfRow(QRowKey[r]);
                Real q = Quantile(tail, df, AlphaValue[a], Guess(grid, r, c, 10));
                Real units = QUnitsPerOne(a, static_cast<int>(r));
                grid[r][c] = {q, RoundToUnit(q, units)};
                char where[96];
                std::snprintf(where, sizeof where, "q(%s; k %d, df %d)", AlphaText[a], k, QRowKey[r]);
                NoteShift(where, RefinementShift(tail, fineTail, df, q));
                CheckTie(where, q, units);
            }
        }
    }
    return grids;
}

// The Dunnett tables of one kind, alpha 0.05 and 0.01; stored = value in hundredths - row base.
std::vector<Grid> ComputeDunnettTables(bool twoSided) {
    const std::vector<int>& columns = twoSided ? DunnettTwoSidedColumnKey : DunnettOneSidedColumnKey;
    std::vector<Grid> grids(2, Grid(DunnettRowKey.size(), std::vector<Cell>(columns.size())));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        int means = columns[c];
        TailTable tail =
            Tabulate(std::make_shared<const DunnettTail>(means - 1, twoSided, InnerPanel), OuterPanel);
        TailTable fineTail = Tabulate(
            std::make_shared<const DunnettTail>(means - 1, twoSided, InnerPanel / 2), OuterPanel / 2);
        for (int a = 0; a < 2; ++a) {
            Grid& grid = grids[a];
            for (std::size_t r = 0; r < DunnettRowKey.size(); ++r) {
                int df = DfOfRow(DunnettRowKey[r]);
                Real d = Quantile(tail, df, AlphaValue[a], Guess(grid, r, c, 3));
                grid[r][c] = {d, RoundToUnit(d, 100) - DunnettBase(twoSided, a, static_cast<int>(r))};
                char where[112];
                std::snprintf(where, sizeof where, "Dunnett %s-sided(%s; %d means, df %d)",
                              twoSided ? "two" : "one", AlphaText[a], means, DunnettRowKey[r]);
                NoteShift(where, RefinementShift(tail, fineTail, df, d));
                CheckTie(where, d, 100);
            }
        }
    }
    return grids;
}

// --------------------------------------------------------------------------
// Self-checks against the t distribution.

void CheckQAgainstT(const std::vector<Grid>& grids) {
    Real worst = 0;
    for (int a = 0; a < 3; ++a) {
        for (std::size_t r = 0; r < QRowKey.size(); ++r) {
            Real expected = Sqrt2 * TQuantile(DfOfRow(QRowKey[r]), AlphaValue[a]);
            Real deviation = std::fabs(grids[a][r][0].exact / expected - 1);
            worst = std::max(worst, deviation);
            if (deviation > 1e-9L) {
                gFailed = true;
                std::fprintf(stderr, "FAIL: q(%s; 2, %d) = %.12Lf, sqrt2 t = %.12Lf\n", AlphaText[a],
                             QRowKey[r], grids[a][r][0].exact, expected);
            }
        }
    }
    std::fprintf(
        stderr,
        "check: q(alpha; 2, df) against sqrt2 t(alpha/2; df), 78 cells: max relative deviation %.2Le\n",
        worst);
    gWorstIdentity = std::max(gWorstIdentity, worst);
}

void CheckDunnettAgainstT(const Grid& grid, bool twoSided, int alphaIndex) {
    Real worst = 0;
    for (std::size_t r = 0; r < DunnettRowKey.size(); ++r) {
        Real p = twoSided ? AlphaValue[alphaIndex] : 2 * AlphaValue[alphaIndex];
        Real expected = TQuantile(DfOfRow(DunnettRowKey[r]), p);
        Real deviation = std::fabs(grid[r][0].exact / expected - 1);
        worst = std::max(worst, deviation);
        if (deviation > 1e-9L) {
            gFailed = true;
            std::fprintf(stderr, "FAIL: Dunnett(%s, 2 means, df %d) = %.12Lf, t = %.12Lf\n",
                         AlphaText[alphaIndex], DunnettRowKey[r], grid[r][0].exact, expected);
        }
    }
    std::fprintf(stderr,
                 "check: Dunnett %s-sided %s, 2 means against t, 22 rows: max relative deviation %.2Le\n",
                 twoSided ? "two" : "one", AlphaText[alphaIndex], worst);
    gWorstIdentity = std::max(gWorstIdentity, worst);
}

// --------------------------------------------------------------------------
// Output.

long MaxStored(const Grid& grid) {
    long m = 0;
    for (const auto& row : grid)
        for (const Cell& cell : row)
            m = std::max(m, cell.stored);
    return m;
}

void PrintKey(const char* declaration, const std::vector<int>& key) {
    std::printf("%s = {", declaration);
    for (std::size_t i = 0; i < key.size(); ++i)
        std::printf("%s%d", i ? ", " : "", key[i]);
    std::printf("};\n");
}

void PrintGrid(const char* type, const std::string& name, const Grid& grid, const std::vector<int>& rowKey,
               const char* countNames) {
    std::printf("\nconst %s %s%s = {\n", type, name.c_str(), countNames);
    int width = static_cast<int>(std::to_string(MaxStored(grid)).size());
    for (std::size_t r = 0; r < grid.size(); ++r) {
        std::printf("    {");
        for (std::size_t c = 0; c < grid[r].size(); ++c)
            std::printf("%s%*ld", c ? ", " : "", width, grid[r][c].stored);
        if (rowKey[r] == 500)
            std::printf("},  // df infinite\n");
        else
            std::printf("},  // df %d\n", rowKey[r]);
    }
    std::printf("};\n");
}

std::string FormatValue(Real value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lf", decimals, value);
    return text;
}

} // namespace

int main() {
    auto start = std::chrono::steady_clock::now();

    std::vector<Grid> q = ComputeQTables();
    std::fprintf(stderr, "studentized range done (%d evaluations)\n", gEvaluations);
    std::vector<Grid> twoSided = ComputeDunnettTables(true);
    std::vector<Grid> oneSided = ComputeDunnettTables(false);
    std::fprintf(stderr, "Dunnett tables done (%d evaluations in all)\n", gEvaluations);

    CheckQAgainstT(q);
    for (int a = 0; a < 2; ++a) {
        CheckDunnettAgainstT(twoSided[a], true, a);
        CheckDunnettAgainstT(oneSided[a], false, a);
    }
    std::fprintf(stderr, "check: largest relative change of a quantile under refinement: %.2Le at %s\n",
                 gWorstShift, gWorstShiftAt.c_str());
    if (gWorstShift > 1e-9L)
        gFailed = true;
    std::fprintf(stderr, "check: %d values within 1e-5 units of a rounding tie\n", gNearTies);

    // Published entries replace the computed ones.
    std::vector<std::string> publishedLines;
    for (const PublishedEntry& entry : PublishedEntries) {
        std::size_t r = std::find(QRowKey.begin(), QRowKey.end(), entry.dfKey) - QRowKey.begin();
        std::size_t c = std::find(QColumnKey.begin(), QColumnKey.end(), entry.k) - QColumnKey.begin();
        Cell& cell = q[entry.alphaIndex][r][c];
        int decimals = QDecimals(entry.alphaIndex, static_cast<int>(r));
        std::fprintf(stderr, "published entry %s: computed %.6Lf (stored %ld), published stored %ld\n",
                     entry.note, cell.exact, cell.stored, entry.stored);
        if (std::labs(cell.stored - entry.stored) > 10) { // a published entry corrects a last digit, no more
            std::fprintf(stderr, "FAIL: published entry %s is far from the computed value\n", entry.note);
            gFailed = true;
        }
        publishedLines.push_back(std::string(entry.note) + " (the integral gives " +
                                 FormatValue(cell.exact, decimals + 2) + ")");
        cell.stored = entry.stored;
    }

    // Storage types: 16-bit studentized-range cells and byte Dunnett cells
    // unless a value does not fit; then the table is widened, never wrapped.
    const char* qType[3];
    std::vector<std::string> widened;
    for (int a = 0; a < 3; ++a) {
        qType[a] = "std::uint16_t";
        for (std::size_t r = 0; r < QRowKey.size(); ++r)
            for (std::size_t c = 0; c < QColumnKey.size(); ++c)
                if (q[a][r][c].stored > 65535) {
                    qType[a] = "std::uint32_t";
                    char line[160];
                    std::snprintf(line, sizeof line, "q(alpha %s; k %d, df %d) = %s: stored %ld",
                                  AlphaText[a], QColumnKey[c], QRowKey[r],
                                  FormatValue(q[a][r][c].exact, QDecimals(a, static_cast<int>(r))).c_str(),
                                  q[a][r][c].stored);
                    widened.push_back(line);
                }
    }
    const char* dunnettType[2][2]; // [twoSided][alpha]
    for (int sided = 0; sided < 2; ++sided)
        for (int a = 0; a < 2; ++a) {
            const Grid& grid = sided ? twoSided[a] : oneSided[a];
            const std::vector<int>& columns = sided ? DunnettTwoSidedColumnKey : DunnettOneSidedColumnKey;
            dunnettType[sided][a] = "std::uint8_t";
            for (std::size_t r = 0; r < grid.size(); ++r)
                for (std::size_t c = 0; c < grid[r].size(); ++c) {
                    long b = grid[r][c].stored;
                    if (b < 0) {
                        std::fprintf(stderr, "FAIL: Dunnett value below its row base at %zu, %zu\n", r, c);
                        gFailed = true;
                    }
                    if (b > 255) {
                        dunnettType[sided][a] = "std::uint16_t";
                        char line[160];
                        std::snprintf(
                            line, sizeof line,
                            "Dunnett %s-sided (alpha %s; %d means, df %d) = %s: %ld above the row base %d",
                            sided ? "two" : "one", AlphaText[a], columns[c], DunnettRowKey[r],
                            FormatValue(grid[r][c].exact, 2).c_str(), b,
                            DunnettBase(sided, a, static_cast<int>(r)));
                        widened.push_back(line);
                    }
                }
        }
    for (const std::string& line : widened)
        std::fprintf(stderr, "does not fit the narrow type: %s\n", line.c_str());

    // ---- the source file
    std::printf(
        "// GENERATED FILE - do not edit. Made by tools/critical_tables/generate_critical_tables.cpp;\n"
        "// rerun it to change anything here.\n"
        "//\n"
        "// Upper percentage points of the studentized range q(alpha; k, df) for alpha\n"
        "// 0.05, 0.01 and 0.001, and Dunnett's many-to-one critical values (equal group\n"
        "// sizes, correlation 1/2 between comparisons), two-sided and one-sided, for\n"
        "// alpha 0.05 and 0.01. The row keyed df 500 holds the infinite-df values.\n"
        "//\n"
        "// How the values were computed (long double throughout): the normal-theory\n"
        "// tail (range of k normals, or the largest of the correlated comparisons)\n"
        "// by composite 16-point Gauss-Legendre quadrature over z, integrated\n"
        "// against the distribution of s = chi_df / sqrt(df) in the variable\n"
        "// x = q s by composite 16-point Gauss-Legendre; each quantile found by\n"
        "// Brent's method.\n"
        "//\n"
        "// Precision: halving every quadrature panel moves no quantile by more than\n"
        "// %.0Le relatively; the k = 2 and two-means columns agree with\n"
        "// sqrt(2) t(alpha/2; df), t(alpha/2; df) and t(alpha; df) within %.0Le\n"
        "// relatively; no value lies within 1e-5 of a unit of a rounding tie. So\n"
        "// every stored digit is the correctly rounded exact value, apart from the\n"
        "// published entries listed below.\n"
        "//\n"
        "// Storage: the exact value is rounded half away from zero at the stored unit.\n"
        "// - Studentized range: value = stored x unit, unit 0.01 for df 1 and 0.001\n"
        "//   otherwise at alpha 0.05 and 0.01; at alpha 0.001 0.1 for df 1, 0.01 for\n"
        "//   df 2 and 0.001 otherwise. QTableScaled applies these units.\n"
        "// - Dunnett: value = (stored + base) / 100. Two-sided bases: 196 at alpha\n"
        "//   0.05; 400 (df 5), 370 (df 6), 300 (df 7), 258 (other rows) at 0.01.\n"
        "//   One-sided bases: 100 at 0.05; 280 (df 5), 200 (other rows) at 0.01.\n"
        "//   DunnettTableValue applies them.\n",
        std::max(gWorstShift, 1e-18L), std::max(gWorstIdentity, 1e-18L));
    std::printf("//\n"
                "// Published entries: the printed tables users compare against differ from the\n"
                "// integral in the last digit at these cells; the tables hold the printed value:\n");
    for (const std::string& line : publishedLines)
        std::printf("// - %s\n", line.c_str());
    if (!widened.empty()) {
        std::printf("//\n"
                    "// Wider cells: these values exceed the range of the narrow element type at\n"
                    "// their unit, so their whole table uses the next wider unsigned type:\n");
        for (const std::string& line : widened)
            std::printf("// - %s\n", line.c_str());
    }
    std::printf("\n#include \"stats/critical_tables.h\"\n\nnamespace vextal {\n\n// clang-format off\n");
    PrintKey("const int QTableRowKey[QTableRowCount]", QRowKey);
    PrintKey("const int QTableColumnKey[QTableColumnCount]", QColumnKey);
    for (int a = 0; a < 3; ++a)
        PrintGrid(qType[a], std::string("QTable") + AlphaSuffix[a], q[a], QRowKey,
                  "[QTableRowCount][QTableColumnCount]");
    std::printf("\n");
    PrintKey("const int DunnettRowKey[DunnettRowCount]", DunnettRowKey);
    PrintKey("const int DunnettTwoSidedColumnKey[DunnettTwoSidedColumnCount]", DunnettTwoSidedColumnKey);
    PrintKey("const int DunnettOneSidedColumnKey[DunnettOneSidedColumnCount]", DunnettOneSidedColumnKey);
    for (int a = 0; a < 2; ++a)
        PrintGrid(dunnettType[1][a], std::string("DunnettTwoSided") + AlphaSuffix[a], twoSided[a],
                  DunnettRowKey, "[DunnettRowCount][DunnettTwoSidedColumnCount]");
    for (int a = 0; a < 2; ++a)
        PrintGrid(dunnettType[0][a], std::string("DunnettOneSided") + AlphaSuffix[a], oneSided[a],
                  DunnettRowKey, "[DunnettRowCount][DunnettOneSidedColumnCount]");
    std::printf("// clang-format on\n\n} // namespace vextal\n");

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%s in %.0f s\n", gFailed ? "FAILED" : "all checks passed", seconds);
    return gFailed ? 1 : 0;
}
