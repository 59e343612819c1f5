// Probability routines shared by every test: log-gamma, the regularized
// incomplete beta and gamma functions, upper-tail P values of the F, t,
// normal and chi-square distributions, their inverse searches, fixed critical
// values, the studentized-range table and an exact binomial coefficient.
//
// Method: Lanczos log-gamma (six terms), continued fractions and series for
// the incomplete functions, bisection for the inverses. The continued
// fractions and series stop at a relative change of 3e-7, so P values are
// good to about six significant digits; reports print four decimals. Every
// report's printed digits depend on these tolerances and iteration limits,
// so they are part of the contract, not tuning knobs.
//
// Faults: the routines do not catch floating-point faults; the caller's fault
// guard does. An argument that is not finite makes a routine return NaN at
// once with the invalid-operation flag raised, and every loop is bounded, so
// a NaN or an infinity can never spin a convergence loop forever.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace vextal {

/// Receives the text of an "Assert failed: " message (the program shows a box,
/// tests capture it). The default writes to standard error.
using AssertMessageSink = std::function<void(const std::string& message)>;
/// Installs a sink and returns the previous one.
AssertMessageSink SetAssertMessageSink(AssertMessageSink sink);

inline constexpr int PrimeCount = 303;  // the primes 2 .. 1999
extern const std::array<std::int32_t, PrimeCount> Primes;

/// Prime-exponent work area of the exact binomial coefficient and of
/// Fisher's exact test: exponent i belongs to Primes[i].
struct PrimeExponents {
    std::array<std::int32_t, PrimeCount> Exponent{};
    void Clear() { Exponent.fill(0); }
    /// Adds weight times the prime factorisation of every integer 2..n (that is, of n!).
    void AddFactorial(int n, int weight);
};

long double ln_gamma(long double x);
long double beta_cf(long double a, long double b, long double x);
long double incomplete_beta(long double a, long double b, long double x);
long double gamma_series(long double a, long double x);
long double GCF(long double a, long double x);
long double gamma_q(long double a, long double x);

/// P(F' >= F) for an F distribution with df1 and df2 degrees of freedom.
long double f_prob(std::int32_t df1, std::int32_t df2, long double F);
/// Two-tailed P of t with df degrees of freedom.
long double t_prob(std::int32_t df, long double t);
/// Two-tailed P of a standard normal deviate (taken as t with 5000 df).
long double z_prob(long double z);
/// P(chi-square >= x); 0 above 1000 and below 0.
long double chi2_prob(std::int32_t df, long double x);

/// z > 0 whose one-tailed P is p.
long double inverse_z(long double p);
/// t > 0 whose one-tailed P is p (bracket narrower than 0.0001).
long double inverse_t(std::int32_t df, long double p);
/// F whose upper-tail P is p (good to about 0.01).
long double inverse_f(std::int32_t df1, std::int32_t df2, long double p);

/// Two-tailed 5% critical value of t (df >= 1).
long double critical_t(std::int32_t df);
/// Critical value of z for alpha 0.2, 0.1, 0.05, 0.02 or 0.01, one or two tails.
long double critical_z(std::int32_t tails, long double alpha);
/// Studentized-range table entry (row: df row 0..25, column: k column 0..34)
/// for alpha 0.05, 0.01 or 0.001; 0 for anything else.
long double q_table_value(std::int32_t row, std::int32_t column, long double alpha);

/// C(n, k), capped at 2,000,000,000.
std::int32_t binomial_coefficient(std::int32_t n, std::int32_t k);
/// Product of the primes raised to the stored exponents (consumes them).
long double prime_product(PrimeExponents& work);

/// n! for n <= 12; larger n raise the overflow flag and return INT32_MAX.
std::int32_t factorial(std::int32_t n);
/// n(n+1)/2; a result beyond 32 bits raises the overflow flag.
std::int32_t sum_1_to_n(std::int32_t n);
long double power(long double base, long double exponent);
long double log10(long double x);
long double ln(long double x);
long double arcsin(long double x);
long double sd_from_sem(std::int32_t n, long double sem);
long double sem_from_sd(std::int32_t n, long double sd);
inline std::int32_t min_int(std::int32_t a, std::int32_t b) { return a < b ? a : b; }
inline std::int32_t max_int(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
inline void swap_int(std::int32_t& a, std::int32_t& b) { std::int32_t t = a; a = b; b = t; }

/// True when alpha is the significance level `level` given as a long double
/// literal, or the same level rounded through double (as a caller may pass it).
bool SameAlpha(long double alpha, long double level);

}  // namespace vextal
