// Checks of the studentized-range and Dunnett tables against values computed
// here by independent, simpler means: t quantiles from the incomplete beta
// function (continued fraction), the expected range of k normals, and
// Simpson-rule integrals of the normal-theory tails.
#include "stats/critical_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

using namespace vextal;

namespace {

using Real = long double;
constexpr Real Sqrt2 = std::numbers::sqrt2_v<Real>;
constexpr Real Pi = std::numbers::pi_v<Real>;
constexpr int InfiniteDfKey = 500;

Real NormalLower(Real z) {
    return 0.5L * std::erfc(-z / Sqrt2);
}
Real NormalDensity(Real z) {
    return std::exp(-0.5L * z * z) / std::sqrt(2 * Pi);
}

// Regularized incomplete beta I_x(a, b) by the modified Lentz continued fraction.
Real IncompleteBeta(Real a, Real b, Real x) {
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    if (x > (a + 1) / (a + b + 2))
        return 1 - IncompleteBeta(b, a, 1 - x);
    const Real tiny = 1e-300L;
    Real front = std::exp(a * std::log(x) + b * std::log1p(-x) + std::lgamma(a + b) - std::lgamma(a) -
                          std::lgamma(b)) /
                 a;
    Real c = 1, d = 1 - (a + b) * x / (a + 1);
    if (std::fabs(d) < tiny)
        d = tiny;
    d = 1 / d;
    Real f = d;
    for (int m = 1; m <= 10000; ++m) {
        for (int half = 0; half < 2; ++half) {
            Real num = half == 0 ? m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m))
                                 : -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1));
            d = 1 + num * d;
            if (std::fabs(d) < tiny)
                d = tiny;
            c = 1 + num / c;
            if (std::fabs(c) < tiny)
                c = tiny;
            d = 1 / d;
            f *= c * d;
        }
        if (std::fabs(c * d - 1) < 1e-19L)
            break;
    }
    return front * f;
}

// P(|T| > t) for Student t with df degrees of freedom (500 = normal).
Real TwoTailT(int df, Real t) {
    if (df == InfiniteDfKey)
        return std::erfc(t / Sqrt2);
    return IncompleteBeta(df / 2.0L, 0.5L, df / (df + t * t));
}

// The t with P(|T| > t) = p, by bisection.
Real TQuantile(int df, Real p) {
    Real lo = 0, hi = 1;
    while (TwoTailT(df, hi) > p)
        hi *= 2;
    for (int i = 0; i < 200; ++i) {
        Real mid = 0.5L * (lo + hi);
        (TwoTailT(df, mid) > p ? lo : hi) = mid;
    }
    return 0.5L * (lo + hi);
}

// Composite Simpson rule with n (even) intervals.
Real Simpson(const std::function<Real(Real)>& f, Real a, Real b, int n) {
    Real h = (b - a) / n, sum = f(a) + f(b);
    for (int i = 1; i < n; ++i)
        sum += (i % 2 ? 4 : 2) * f(a + i * h);
    return sum * h / 3;
}

// P(range of k standard normals > x).
Real RangeTail(int k, Real x) {
    return 1 - Simpson(
                   [&](Real z) {
                       return k * NormalDensity(z) * std::pow(NormalLower(z) - NormalLower(z - x), k - 1);
                   },
                   -10, 12, 1100);
}

// P(largest of `means - 1` comparisons with a common control > c), equal groups.
Real DunnettTail(int means, bool twoSided, Real c) {
    return 1 - Simpson(
                   [&](Real z) {
                       Real inside = twoSided ? NormalLower(Sqrt2 * c - z) - NormalLower(-Sqrt2 * c - z)
                                              : NormalLower(Sqrt2 * c - z);
                       return NormalDensity(z) * std::pow(inside, means - 1);
                   },
                   -10, 10, 1000);
}

// The same tail studentized by s = chi_df / sqrt(df), for df >= 5.
Real Studentized(const std::function<Real(Real)>& tail, int df, Real q) {
    if (df == InfiniteDfKey)
        return tail(q);
    Real half = df / 2.0L;
    Real logC = std::log(2.0L) + half * std::log(half) - std::lgamma(half);
    return Simpson(
        [&](Real s) {
            return s <= 0 ? 0 : std::exp(logC + (df - 1) * std::log(s) - half * s * s) * tail(q * s);
        },
        0, 4, 200);
}

// Expected range of k standard normals: integral of 1 - Phi^k - (1 - Phi)^k.
Real ExpectedRange(int k) {
    return Simpson([&](Real z) { return 1 - std::pow(NormalLower(z), k) - std::pow(NormalLower(-z), k); },
                   -12, 12, 4800);
}

const Real QAlpha[3] = {0.05L, 0.01L, 0.001L};
const Real DunnettAlpha[2] = {0.05L, 0.01L};

// Size of one stored unit of the studentized-range tables.
Real QUnit(int alphaIndex, int row) {
    if (row == 0)
        return alphaIndex == 2 ? 0.1L : 0.01L;
    if (row == 1 && alphaIndex == 2)
        return 0.01L;
    return 0.001L;
}

int QRow(int df) {
    for (int r = 0; r < QTableRowCount; ++r)
        if (QTableRowKey[r] == df)
            return r;
    return -1;
}
int QColumn(int k) {
    for (int c = 0; c < QTableColumnCount; ++c)
        if (QTableColumnKey[c] == k)
            return c;
    return -1;
}
int DunnettRow(int df) {
    for (int r = 0; r < DunnettRowCount; ++r)
        if (DunnettRowKey[r] == df)
            return r;
    return -1;
}
int DunnettColumn(bool twoSided, int means) {
    int count = twoSided ? DunnettTwoSidedColumnCount : DunnettOneSidedColumnCount;
    for (int c = 0; c < count; ++c)
        if ((twoSided ? DunnettTwoSidedColumnKey : DunnettOneSidedColumnKey)[c] == means)
            return c;
    return -1;
}

Real Q(int alphaIndex, int df, int k) {
    return QTableScaled(alphaIndex, QRow(df), QColumn(k));
}
Real Dunnett(bool twoSided, int alphaIndex, int df, int means) {
    return DunnettTableValue(twoSided, alphaIndex, DunnettRow(df), DunnettColumn(twoSided, means));
}

// The two cells where the table keeps the printed value instead of the integral.
bool IsPublishedEntry(int alphaIndex, int row, int column) {
    return (alphaIndex == 1 && QTableRowKey[row] == 1 && QTableColumnKey[column] == 2) ||
           (alphaIndex == 2 && QTableRowKey[row] == 1 && QTableColumnKey[column] == 3);
}

// Stored value v holds the exact value when the tail at v - half a unit is
// above alpha and at v + half a unit below it (slack in units for the
// quadrature here).
void ExpectBracketsAlpha(const std::function<Real(Real)>& tail, Real stored, Real unit, Real alpha,
                         Real slack, const std::string& where) {
    EXPECT_GT(tail(stored - (0.5L + slack) * unit), alpha)
        << where << ": table value " << double(stored) << " too high";
    EXPECT_LT(tail(stored + (0.5L + slack) * unit), alpha)
        << where << ": table value " << double(stored) << " too low";
}

} // namespace

TEST(CriticalTableKeys, AscendWithTheInfiniteDfRowLast) {
    // Table lookups search the keys in order and treat the last row as df 500.
    EXPECT_EQ(InfiniteDfKey, QTableRowKey[QTableRowCount - 1]);
    EXPECT_EQ(InfiniteDfKey, DunnettRowKey[DunnettRowCount - 1]);
    EXPECT_EQ(22, QTableColumnKey[19]);
    EXPECT_EQ(100, QTableColumnKey[QTableColumnCount - 1]);
    EXPECT_EQ(21, DunnettTwoSidedColumnKey[DunnettTwoSidedColumnCount - 1]);
    for (int r = 1; r < QTableRowCount; ++r)
        EXPECT_LT(QTableRowKey[r - 1], QTableRowKey[r]);
    for (int c = 1; c < QTableColumnCount; ++c)
        EXPECT_LT(QTableColumnKey[c - 1], QTableColumnKey[c]);
    for (int r = 1; r < DunnettRowCount; ++r)
        EXPECT_LT(DunnettRowKey[r - 1], DunnettRowKey[r]);
}

TEST(StudentizedRangeTable, HoldsTheQuotedValuesAtEachStoredScale) {
    auto expectValue = [](Real expected, Real actual) { EXPECT_NEAR(expected, actual, expected * 1e-15L); };
    // alpha 0.05: df 1 in hundredths, then thousandths.
    expectValue(17.97L, Q(0, 1, 2));
    expectValue(26.98L, Q(0, 1, 3));
    expectValue(32.82L, Q(0, 1, 4));
    expectValue(6.085L, Q(0, 2, 2));
    expectValue(8.331L, Q(0, 2, 3));
    expectValue(3.877L, Q(0, 10, 3));
    expectValue(2.772L, Q(0, InfiniteDfKey, 2));
    expectValue(6.085L, Q(0, InfiniteDfKey, 100));
    // alpha 0.01 and 0.001: df 1 in hundredths and tenths, df 2 at 0.001 in hundredths.
    expectValue(90.03L, Q(1, 1, 2));
    EXPECT_NEAR(135.0L, Q(1, 1, 3), 0.05L); // quoted to four significant digits
    expectValue(900.3L, Q(2, 1, 2));
    expectValue(1351.0L, Q(2, 1, 3));
    expectValue(44.69L, Q(2, 2, 2));
}

TEST(StudentizedRangeTable, KeepsThePublishedEntriesWhereTheyDifferFromTheIntegral) {
    // q(0.01; 2, 1) = sqrt2 t(0.005; 1) = 90.0242... rounds to 90.02; the printed table says 90.03.
    Real exact = Sqrt2 * TQuantile(1, 0.01L);
    EXPECT_NEAR(90.0242L, exact, 1e-4L);
    EXPECT_EQ(9003, QTable01[0][0]);
    // q(0.001; 3, 1) is 1350.47...; the printed table says 1351.0.
    EXPECT_EQ(13510, QTable001[0][1]);
    Real approximate = std::sqrt(2 / Pi) * ExpectedRange(3) / 0.001L; // see the df 1 test below
    EXPECT_NEAR(1350.47L, approximate, 0.01L);
}

TEST(StudentizedRangeTable, TwoMeansColumnIsSqrt2TimesTheTwoTailedTAtEveryRow) {
    // The range of two normals is sqrt2 |Z|, so q(alpha; 2, df) = sqrt2 t(alpha/2; df).
    for (int a = 0; a < 3; ++a) {
        for (int r = 0; r < QTableRowCount; ++r) {
            if (IsPublishedEntry(a, r, 0))
                continue;
            Real expected = Sqrt2 * TQuantile(QTableRowKey[r], QAlpha[a]);
            EXPECT_NEAR(expected, QTableScaled(a, r, 0), (0.5L + 1e-4L) * QUnit(a, r))
                << "alpha " << double(QAlpha[a]) << ", df " << QTableRowKey[r];
        }
    }
}

TEST(StudentizedRangeTable, OneDfRowAtTheSmallestAlphaFollowsTheExpectedRange) {
    // At df 1, P(Q > q) = (1/q) integral of W(x) f1(x/q) dx with f1(s) = sqrt(2/pi) exp(-s^2/2);
    // for q in the thousands f1 is flat over the range of W, so q = sqrt(2/pi) E[range] / alpha
    // to about 1e-6 relatively, far inside the tenths stored at alpha 0.001.
    for (int c = 0; c < QTableColumnCount; ++c) {
        if (IsPublishedEntry(2, 0, c))
            continue;
        int k = QTableColumnKey[c];
        Real expected = std::sqrt(2 / Pi) * ExpectedRange(k) / 0.001L;
        EXPECT_NEAR(expected, QTableScaled(2, 0, c), 0.051L) << "k " << k;
    }
}

TEST(StudentizedRangeTable, InfiniteDfRowHoldsTheNormalRangeQuantiles) {
    for (int a = 0; a < 3; ++a) {
        for (int c = 0; c < QTableColumnCount; ++c) {
            int k = QTableColumnKey[c];
            ExpectBracketsAlpha([k](Real x) { return RangeTail(k, x); },
                                QTableScaled(a, QTableRowCount - 1, c), 0.001L, QAlpha[a], 1e-2L,
                                "alpha " + std::to_string(double(QAlpha[a])) + ", k " + std::to_string(k));
        }
    }
}

TEST(StudentizedRangeTable, FiniteDfSpotChecksAgreeWithDirectIntegration) {
    struct Cell {
        int alphaIndex, df, k;
    };
    for (Cell cell : {Cell{0, 10, 3}, Cell{0, 10, 10}, Cell{1, 10, 3}, Cell{2, 20, 50}, Cell{0, 5, 100}}) {
        auto tail = [&](Real q) {
            return Studentized([&](Real x) { return RangeTail(cell.k, x); }, cell.df, q);
        };
        ExpectBracketsAlpha(tail, Q(cell.alphaIndex, cell.df, cell.k), 0.001L, QAlpha[cell.alphaIndex], 1e-2L,
                            "df " + std::to_string(cell.df) + ", k " + std::to_string(cell.k));
    }
}

TEST(StudentizedRangeTable, GrowsWithKAndShrinksWithDf) {
    for (int a = 0; a < 3; ++a) {
        for (int r = 0; r < QTableRowCount; ++r)
            for (int c = 1; c < QTableColumnCount; ++c)
                EXPECT_LT(QTableScaled(a, r, c - 1), QTableScaled(a, r, c))
                    << "alpha index " << a << ", row " << r;
        for (int c = 0; c < QTableColumnCount; ++c)
            for (int r = 1; r < QTableRowCount; ++r)
                EXPECT_GT(QTableScaled(a, r - 1, c), QTableScaled(a, r, c))
                    << "alpha index " << a << ", column " << c;
    }
    // Smaller alpha, larger critical value.
    for (int r = 0; r < QTableRowCount; ++r)
        for (int c = 0; c < QTableColumnCount; ++c) {
            EXPECT_LT(QTableScaled(0, r, c), QTableScaled(1, r, c));
            EXPECT_LT(QTableScaled(1, r, c), QTableScaled(2, r, c));
        }
}

TEST(DunnettTable, HoldsTheQuotedValues) {
    auto expectValue = [](Real expected, Real actual) { EXPECT_NEAR(expected, actual, expected * 1e-15L); };
    expectValue(2.57L, Dunnett(true, 0, 5, 2));
    expectValue(1.96L, Dunnett(true, 0, InfiniteDfKey, 2));
    expectValue(4.03L, Dunnett(true, 1, 5, 2));
    expectValue(2.58L, Dunnett(true, 1, InfiniteDfKey, 2));
    expectValue(2.57L, Dunnett(true, 0, 10, 3));
    // The rows with their own base at alpha 0.01, and the 16-bit one-sided cell.
    expectValue(3.71L, Dunnett(true, 1, 6, 2));
    expectValue(3.50L, Dunnett(true, 1, 7, 2));
    expectValue(4.58L, Dunnett(false, 1, 6, 10));
}

TEST(DunnettTable, TwoMeansColumnIsTheTQuantileAtEveryRow) {
    // One comparison: two-sided t(alpha/2; df), one-sided t(alpha; df).
    for (int a = 0; a < 2; ++a) {
        for (int r = 0; r < DunnettRowCount; ++r) {
            int df = DunnettRowKey[r];
            EXPECT_NEAR(TQuantile(df, DunnettAlpha[a]), DunnettTableValue(true, a, r, 0),
                        (0.5L + 1e-4L) * 0.01L)
                << "two-sided, alpha " << double(DunnettAlpha[a]) << ", df " << df;
            EXPECT_NEAR(TQuantile(df, 2 * DunnettAlpha[a]), DunnettTableValue(false, a, r, 0),
                        (0.5L + 1e-4L) * 0.01L)
                << "one-sided, alpha " << double(DunnettAlpha[a]) << ", df " << df;
        }
    }
}

TEST(DunnettTable, InfiniteDfAndSpotCellsAgreeWithDirectIntegration) {
    for (bool twoSided : {true, false}) {
        const int* columns = twoSided ? DunnettTwoSidedColumnKey : DunnettOneSidedColumnKey;
        int count = twoSided ? DunnettTwoSidedColumnCount : DunnettOneSidedColumnCount;
        for (int a = 0; a < 2; ++a)
            for (int c = 0; c < count; ++c) {
                int means = columns[c];
                ExpectBracketsAlpha(
                    [&](Real x) { return DunnettTail(means, twoSided, x); },
                    DunnettTableValue(twoSided, a, DunnettRowCount - 1, c), 0.01L, DunnettAlpha[a], 1e-2L,
                    std::string(twoSided ? "two" : "one") + "-sided, means " + std::to_string(means));
            }
    }
    struct Cell {
        bool twoSided;
        int alphaIndex, df, means;
    };
    for (Cell cell :
         {Cell{true, 0, 10, 10}, Cell{true, 1, 6, 21}, Cell{false, 0, 10, 3}, Cell{false, 1, 6, 10}}) {
        auto tail = [&](Real d) {
            return Studentized([&](Real x) { return DunnettTail(cell.means, cell.twoSided, x); }, cell.df, d);
        };
        ExpectBracketsAlpha(tail, Dunnett(cell.twoSided, cell.alphaIndex, cell.df, cell.means), 0.01L,
                            DunnettAlpha[cell.alphaIndex], 1e-2L,
                            "df " + std::to_string(cell.df) + ", means " + std::to_string(cell.means));
    }
}

TEST(DunnettTable, GrowsWithTheNumberOfMeansAndNeverGrowsWithDf) {
    for (bool twoSided : {true, false}) {
        int count = twoSided ? DunnettTwoSidedColumnCount : DunnettOneSidedColumnCount;
        for (int a = 0; a < 2; ++a) {
            for (int r = 0; r < DunnettRowCount; ++r)
                for (int c = 1; c < count; ++c)
                    EXPECT_LT(DunnettTableValue(twoSided, a, r, c - 1), DunnettTableValue(twoSided, a, r, c));
            // Hundredths can tie between neighbouring df.
            for (int c = 0; c < count; ++c)
                for (int r = 1; r < DunnettRowCount; ++r)
                    EXPECT_GE(DunnettTableValue(twoSided, a, r - 1, c), DunnettTableValue(twoSided, a, r, c));
        }
    }
    for (int r = 0; r < DunnettRowCount; ++r)
        for (int c = 0; c < DunnettOneSidedColumnCount; ++c) {
            EXPECT_LT(DunnettTableValue(false, 0, r, c), DunnettTableValue(true, 0, r, c));
            EXPECT_LT(DunnettTableValue(true, 0, r, c), DunnettTableValue(true, 1, r, c));
        }
}

TEST(CriticalTableAccess, OutOfRangeArgumentsGiveZero) {
    EXPECT_EQ(0, QTableScaled(3, 0, 0));
    EXPECT_EQ(0, QTableScaled(-1, 0, 0));
    EXPECT_EQ(0, QTableScaled(0, QTableRowCount, 0));
    EXPECT_EQ(0, QTableScaled(0, 0, QTableColumnCount));
    EXPECT_EQ(0, QTableScaled(0, -1, 0));
    EXPECT_EQ(0, DunnettTableValue(true, 2, 0, 0));
    EXPECT_EQ(0, DunnettTableValue(true, 0, DunnettRowCount, 0));
    EXPECT_EQ(0, DunnettTableValue(true, 0, 0, DunnettTwoSidedColumnCount));
    EXPECT_EQ(0, DunnettTableValue(false, 0, 0, DunnettOneSidedColumnCount));
    EXPECT_EQ(0, DunnettTableValue(false, 1, -1, 0));
    EXPECT_GT(DunnettTableValue(true, 0, 0, DunnettOneSidedColumnCount), 0); // two-sided has more columns
}
