#include "stats/pvalue.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace vextal;

namespace {

// The continued fractions and the series stop at a relative change of 3e-7,
// so P values agree with closed forms to about that; 2e-6 relative leaves room
// for the last step of the recurrence.
constexpr long double Tolerance = 2e-6L;

void ExpectRelative(long double expected, long double actual, const std::string& what) {
    const long double scale = std::max(std::fabs(expected), 1e-12L);
    EXPECT_LE(std::fabs(actual - expected) / scale, Tolerance)
        << what << ": expected " << static_cast<double>(expected) << ", got " << static_cast<double>(actual);
}

const long double Pi = std::acos(-1.0L);

struct CapturedAsserts {
    std::vector<std::string> messages;
    AssertMessageSink previous;
    CapturedAsserts() {
        previous = SetAssertMessageSink([this](const std::string& m) { messages.push_back(m); });
    }
    ~CapturedAsserts() { SetAssertMessageSink(previous); }
};

}  // namespace

TEST(ProbabilityClosedForms, TWithOneAndTwoDegreesOfFreedom) {
    for (long double t : {0.01L, 0.3L, 1.0L, 2.5L, 6.0L, 12.706L, 40.0L}) {
        ExpectRelative(1 - 2 / Pi * std::atan(t), t_prob(1, t), "t, 1 df, t=" + std::to_string((double)t));
        ExpectRelative(1 - t / std::sqrt(2 + t * t), t_prob(2, t), "t, 2 df, t=" + std::to_string((double)t));
        EXPECT_EQ(t_prob(7, t), t_prob(7, -t)) << "two-tailed P is symmetric";
    }
}

TEST(ProbabilityClosedForms, ChiSquareWithTwoAndOneDegreesOfFreedom) {
    for (long double x : {0.05L, 0.5L, 1.0L, 2.0L, 3.84L, 10.0L, 30.0L, 80.0L}) {
        ExpectRelative(std::exp(-x / 2), chi2_prob(2, x), "chi2, 2 df, x=" + std::to_string((double)x));
        ExpectRelative(std::erfc(std::sqrt(x / 2)), chi2_prob(1, x), "chi2, 1 df, x=" + std::to_string((double)x));
    }
}

TEST(ProbabilityClosedForms, FWithTwoAndTwoDegreesOfFreedom) {
    for (long double F : {0.01L, 0.5L, 1.0L, 3.0L, 19.0L, 99.0L, 1000.0L})
        ExpectRelative(1 / (1 + F), f_prob(2, 2, F), "F(2,2), F=" + std::to_string((double)F));
}

TEST(ProbabilityClosedForms, LogGammaOfIntegersAndHalves) {
    long double factorialValue = 1;
    for (int n = 1; n <= 30; ++n) {
        if (n > 1) factorialValue *= (n - 1);
        // The six-term Lanczos form is good to about 2e-10 absolute.
        EXPECT_NEAR(static_cast<double>(std::log(factorialValue)), static_cast<double>(ln_gamma(n)), 1e-9) << n;
    }
    EXPECT_NEAR(static_cast<double>(std::log(std::sqrt(Pi))), static_cast<double>(ln_gamma(0.5L)), 1e-9);
}

TEST(ProbabilityBoundaries, ZeroStatisticsGivePOne) {
    for (int df : {1, 2, 5, 30, 500}) {
        EXPECT_EQ(1.0L, t_prob(df, 0)) << df;
        EXPECT_EQ(1.0L, f_prob(df, 3, 0)) << df;
        EXPECT_EQ(1.0L, chi2_prob(df, 0)) << df;
    }
    EXPECT_EQ(0.0L, f_prob(2, 3, -1));
    EXPECT_EQ(0.0L, chi2_prob(3, -0.5L));
}

TEST(ProbabilityBoundaries, ChiSquareAboveOneThousandIsZero) {
    EXPECT_EQ(0.0L, chi2_prob(1, 1000.5L));
    EXPECT_EQ(0.0L, chi2_prob(900, 1000.5L));
    // At 1000 itself the P value is computed: with 900 df it is far from 0.
    EXPECT_GT(chi2_prob(900, 1000), 0.005L);
    EXPECT_LT(chi2_prob(900, 1000), 0.02L);
    EXPECT_GT(chi2_prob(1, 1000), 0.0L) << "tiny, but computed";
    EXPECT_LT(chi2_prob(1, 1000), 1e-200L);
}

TEST(ProbabilityBoundaries, NormalIsTWithFiveThousandDegreesOfFreedom) {
    const long double p = z_prob(1.96L);
    EXPECT_NE(0.05L, p);
    EXPECT_NEAR(0.05, static_cast<double>(p), 2e-4);
    EXPECT_EQ(t_prob(5000, 1.96L), p);
}

TEST(InverseSearches, InvertTheirDistributions) {
    EXPECT_NEAR(2.228, static_cast<double>(inverse_t(10, 0.025L)), 5e-4);
    for (int df : {1, 2, 3, 10, 50}) {
        for (long double t : {0.5L, 1.0L, 2.0L, 4.0L}) {
            const long double p = t_prob(df, t) / 2;
            EXPECT_NEAR(static_cast<double>(t), static_cast<double>(inverse_t(df, p)), 1e-4) << df;
        }
        for (long double F : {0.7L, 2.0L, 9.0L}) {
            const long double p = f_prob(df, 8, F);
            EXPECT_NEAR(static_cast<double>(F), static_cast<double>(inverse_f(df, 8, p)), 0.01) << df;
        }
    }
}

TEST(InverseSearches, CriticalZTableIsInverseZCutToTenDecimals) {
    auto cut10 = [](long double x) { return std::trunc(x * 1e10L) / 1e10L; };
    for (long double alpha : {0.2L, 0.1L, 0.05L, 0.02L, 0.01L}) {
        EXPECT_NEAR(static_cast<double>(critical_z(1, alpha)), static_cast<double>(cut10(inverse_z(alpha))), 1e-11)
            << static_cast<double>(alpha);
        EXPECT_NEAR(static_cast<double>(critical_z(2, alpha)), static_cast<double>(cut10(inverse_z(alpha / 2))),
                    1e-11)
            << static_cast<double>(alpha);
    }
    EXPECT_EQ(1.9604492187L, critical_z(2, 0.05L));
    EXPECT_EQ(1.9604492187L, critical_z(2, 0.05)) << "a double literal selects the same row";
}

TEST(InverseSearches, TerminateForEveryInput) {
    const long double inf = std::numeric_limits<long double>::infinity();
    for (long double p : {-1.0L, 0.0L, 1e-30L, 0.5L, 0.7L, 1.0L, 2.0L}) {
        EXPECT_TRUE(std::isfinite(inverse_z(p))) << static_cast<double>(p);
        EXPECT_TRUE(std::isfinite(inverse_t(5, p))) << static_cast<double>(p);
        EXPECT_TRUE(std::isfinite(inverse_f(2, 5, p))) << static_cast<double>(p);
    }
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_TRUE(std::isnan(inverse_z(std::nanl(""))));
    EXPECT_TRUE(std::fetestexcept(FE_INVALID));
    EXPECT_TRUE(std::isnan(inverse_t(3, inf)));
}

TEST(NonFiniteArguments, ReturnAtOnceWithTheInvalidFlag) {
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const std::vector<std::pair<std::string, std::function<long double(long double)>>> routines = {
        {"ln_gamma", [](long double x) { return ln_gamma(x); }},
        {"beta_cf", [](long double x) { return beta_cf(2, x, 0.5L); }},
        {"incomplete_beta", [](long double x) { return incomplete_beta(x, 2, 0.5L); }},
        {"gamma_series", [](long double x) { return gamma_series(2, x); }},
        {"GCF", [](long double x) { return GCF(x, 3); }},
        {"gamma_q", [](long double x) { return gamma_q(x, 3); }},
        {"f_prob", [](long double x) { return f_prob(2, 3, x); }},
        {"t_prob", [](long double x) { return t_prob(3, x); }},
        {"z_prob", [](long double x) { return z_prob(x); }},
        {"chi2_prob", [](long double x) { return chi2_prob(3, x); }},
        {"inverse_f", [](long double x) { return inverse_f(3, 3, x); }},
    };
    for (const auto& [name, routine] : routines)
        for (long double bad : {inf, -inf, nan}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            EXPECT_TRUE(std::isnan(routine(bad))) << name;
            EXPECT_TRUE(std::fetestexcept(FE_INVALID)) << name;
        }
}

TEST(CriticalT, TableAndFormulas) {
    EXPECT_EQ(12.706L, critical_t(1));
    EXPECT_EQ(2.228L, critical_t(10));
    EXPECT_EQ(2.042L, critical_t(30));
    EXPECT_NEAR(2.0315, static_cast<double>(critical_t(35)), 1e-15);
    EXPECT_NEAR(2.021 - 10 * 0.00105, static_cast<double>(critical_t(50)), 1e-15);
    EXPECT_NEAR(2.0 - 30 * 0.02 / 60, static_cast<double>(critical_t(90)), 1e-15);
    EXPECT_EQ(1.96L, critical_t(121));
    EXPECT_EQ(1.96L, critical_t(100000));
    // The bisection lands on the table value at three decimals.
    for (int df = 1; df <= 30; ++df)
        EXPECT_NEAR(static_cast<double>(critical_t(df)), static_cast<double>(inverse_t(df, 0.025L)), 1.5e-3) << df;
}

TEST(CriticalZ, UnsupportedArgumentsReportAndReturnZero) {
    CapturedAsserts asserts;
    EXPECT_EQ(0.0L, critical_z(1, 0.03L));
    EXPECT_EQ(0.0L, critical_z(2, 0.5L));
    EXPECT_EQ(0.0L, critical_z(3, 0.05L));
    ASSERT_EQ(3u, asserts.messages.size());
    EXPECT_EQ("Assert failed: Invalid 1 tail value in critical_z", asserts.messages[0]);
    EXPECT_EQ("Assert failed: Invalid 2 tail value in critical_z", asserts.messages[1]);
    EXPECT_EQ("Assert failed: Invalid tail value in critical_z", asserts.messages[2]);
    EXPECT_EQ(2.5767822265L, critical_z(2, 0.01L));
    EXPECT_EQ(0.8416900634L, critical_z(1, 0.2L));
}

TEST(StudentizedRange, TableReadsWithItsScaling) {
    EXPECT_NEAR(17.97, static_cast<double>(q_table_value(0, 0, 0.05L)), 1e-12);
    EXPECT_NEAR(6.085, static_cast<double>(q_table_value(1, 0, 0.05L)), 1e-12);
    EXPECT_NEAR(3.877, static_cast<double>(q_table_value(9, 1, 0.05L)), 1e-12);
    EXPECT_NEAR(90.03, static_cast<double>(q_table_value(0, 0, 0.01L)), 1e-12);
    EXPECT_NEAR(1351.0, static_cast<double>(q_table_value(0, 1, 0.001L)), 1e-12);
    EXPECT_EQ(0.0L, q_table_value(0, 0, 0.02L));
    EXPECT_EQ(0.0L, q_table_value(26, 0, 0.05L));
    EXPECT_EQ(0.0L, q_table_value(0, -1, 0.05L));
}

TEST(BinomialCoefficient, ExactUpToTheCap) {
    EXPECT_EQ(155117520, binomial_coefficient(30, 15));
    EXPECT_EQ(2000000000, binomial_coefficient(40, 20));
    EXPECT_EQ(2000000000, binomial_coefficient(2000, 1000));
    EXPECT_EQ(1, binomial_coefficient(2000, 0));
    EXPECT_EQ(2000, binomial_coefficient(2000, 1999));
    EXPECT_EQ(0, binomial_coefficient(5, 6));
    EXPECT_EQ(2000000000, binomial_coefficient(3000, 10));
    EXPECT_EQ(3001, binomial_coefficient(3001, 1));
    // Against Pascal's triangle wherever the value is below the cap.
    std::vector<std::vector<long long>> pascal(41);
    for (int n = 0; n <= 40; ++n) {
        pascal[n].assign(n + 1, 1);
        for (int k = 1; k < n; ++k) pascal[n][k] = pascal[n - 1][k - 1] + pascal[n - 1][k];
        for (int k = 0; k <= n; ++k) {
            const long long expected = std::min(pascal[n][k], 2000000000LL);
            EXPECT_EQ(expected, binomial_coefficient(n, k)) << n << " " << k;
        }
    }
}

TEST(BinomialCoefficient, PrimeProductConsumesTheExponents) {
    PrimeExponents work;
    work.AddFactorial(20, +1);
    work.AddFactorial(10, -1);
    EXPECT_NEAR(670442572800.0, static_cast<double>(prime_product(work)), 1e-3);  // 20!/10!
    for (int e : work.Exponent) EXPECT_EQ(0, e);
    EXPECT_EQ(1999, Primes.back());
    EXPECT_EQ(2, Primes.front());
}

TEST(SmallArithmetic, IntegersAndHelpers) {
    EXPECT_EQ(479001600, factorial(12));
    EXPECT_EQ(1, factorial(0));
    std::feclearexcept(FE_ALL_EXCEPT);
    factorial(13);
    EXPECT_TRUE(std::fetestexcept(FE_OVERFLOW)) << "13! does not fit 32 bits";
    EXPECT_EQ(5050, sum_1_to_n(100));
    std::feclearexcept(FE_ALL_EXCEPT);
    sum_1_to_n(70000);
    EXPECT_TRUE(std::fetestexcept(FE_OVERFLOW));
    EXPECT_NEAR(8.0, static_cast<double>(power(2, 3)), 1e-15);
    EXPECT_EQ(0.0L, arcsin(0));
    EXPECT_NEAR(static_cast<double>(Pi / 2), static_cast<double>(arcsin(1)), 1e-18);
    EXPECT_NEAR(static_cast<double>(Pi / 6), static_cast<double>(arcsin(0.5L)), 1e-15);
    EXPECT_NEAR(6.0, static_cast<double>(sd_from_sem(9, 2)), 1e-15);
    EXPECT_NEAR(2.0, static_cast<double>(sem_from_sd(9, 6)), 1e-15);
    int a = 1, b = 2;
    swap_int(a, b);
    EXPECT_EQ(2, a);
    EXPECT_EQ(1, min_int(a, b));
}

TEST(GammaContinuedFraction, ReportsWhenItDoesNotConverge) {
    CapturedAsserts asserts;
    // A huge shape with x just past a + 1 needs far more than 200 terms.
    EXPECT_EQ(0.0L, GCF(1e12L, 1e12L + 2));
    ASSERT_EQ(1u, asserts.messages.size());
    EXPECT_EQ("Assert failed: Undefined value in function GCF in PVALUE", asserts.messages[0]);
}
