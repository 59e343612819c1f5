#include "stats/pvalue.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <limits>
#include <utility>

#include "stats/critical_tables.h"

namespace vextal {

namespace {

AssertMessageSink& Sink() {
    static AssertMessageSink sink = [](const std::string& message) { std::cerr << message << '\n'; };
    return sink;
}

void AssertFailed(const char* text) {
    if (Sink()) Sink()(std::string("Assert failed: ") + text);
}

// Returns NaN with the invalid-operation flag raised: the caller's fault guard
// then reports the calculation as invalid instead of looping on a NaN.
long double NotFinite() {
    std::feraiseexcept(FE_INVALID);
    return std::numeric_limits<long double>::quiet_NaN();
}

bool AllFinite(long double a) { return std::isfinite(a); }
bool AllFinite(long double a, long double b) { return std::isfinite(a) && std::isfinite(b); }
bool AllFinite(long double a, long double b, long double c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

// Convergence of the continued fractions and of the series: relative change.
constexpr long double Epsilon = 3e-7L;
constexpr int ContinuedFractionLimit = 200;
// The gamma series has no limit of its own in the classic form; a bound keeps
// a pathological argument from spinning. Its terms shrink at least like
// x/(a+n), so far fewer terms are needed for any argument the tests pass.
constexpr int SeriesLimit = 100000;

// Bisections halve a bracket of at most 10^40: 400 steps reach any tolerance.
constexpr int BisectionLimit = 400;
constexpr int BracketGrowthLimit = 40;

const long double LogGammaCoefficients[6] = {76.18009173L,    -86.50532033L,   24.01409822L,
                                             -1.231739516L,   0.00120858003L, -0.00000536382L};
constexpr long double LogGammaScale = 2.5066282746L;  // sqrt(2 pi)

const long double CriticalTTable[30] = {12.706L, 4.303L, 3.182L, 2.776L, 2.571L, 2.447L, 2.365L, 2.306L,
                                        2.262L,  2.228L, 2.201L, 2.179L, 2.160L, 2.145L, 2.131L, 2.120L,
                                        2.110L,  2.101L, 2.093L, 2.086L, 2.080L, 2.074L, 2.069L, 2.064L,
                                        2.060L,  2.056L, 2.052L, 2.048L, 2.045L, 2.042L};

// One-tailed P of z = 4, half of z_prob(4): the bisection of inverse_z starts there.
constexpr long double OneTailedPOfZ4 = 3.2128591413e-5L;

// A chunk of prime_product stays below this bound, so that the chunk times a
// prime up to 1999 still fits in a signed 32-bit integer.
constexpr std::int64_t ChunkBound = 1074278;
constexpr std::int32_t BinomialCap = 2000000000;

}  // namespace

const std::array<std::int32_t, PrimeCount> Primes = [] {
    std::array<std::int32_t, PrimeCount> primes{};
    int count = 0;
    for (std::int32_t candidate = 2; count < PrimeCount; ++candidate) {
        bool prime = true;
        for (int i = 0; i < count && primes[i] * primes[i] <= candidate; ++i)
            if (candidate % primes[i] == 0) {
                prime = false;
                break;
            }
        if (prime) primes[count++] = candidate;
    }
    return primes;
}();

AssertMessageSink SetAssertMessageSink(AssertMessageSink sink) { return std::exchange(Sink(), std::move(sink)); }

bool SameAlpha(long double alpha, long double level) {
    return alpha == level || alpha == static_cast<long double>(static_cast<double>(level));
}

void PrimeExponents::AddFactorial(int n, int weight) {
    for (int m = 2; m <= n; ++m) {
        int rest = m;
        for (int i = 0; i < PrimeCount && rest > 1; ++i)
            while (rest % Primes[i] == 0) {
                rest /= Primes[i];
                Exponent[i] += weight;
            }
    }
}

long double ln_gamma(long double x) {
    if (!AllFinite(x)) return NotFinite();
    long double y = x - 1;
    long double tmp = y + 5.5L;
    tmp = (y + 0.5L) * std::log(tmp) - tmp;
    long double ser = 1;
    for (long double c : LogGammaCoefficients) {
        y = y + 1;
        ser = ser + c / y;
    }
    return tmp + std::log(LogGammaScale * ser);
}

long double beta_cf(long double a, long double b, long double x) {
    if (!AllFinite(a, b, x)) return NotFinite();
    const long double qab = a + b, qap = a + 1, qam = a - 1;
    long double bm = 1, az = 1, am = 1, bz = 1 - qab * x / qap;
    for (int m = 1; m <= ContinuedFractionLimit; ++m) {
        const long double em = m, tem = 2.0L * m;
        long double d = em * (b - m) * x / ((qam + tem) * (a + tem));
        const long double ap = az + d * am;
        const long double bp = bz + d * bm;
        d = -(a + em) * (qab + em) * x / ((a + tem) * (qap + tem));
        const long double app = ap + d * az;
        const long double bpp = bp + d * bz;
        const long double aold = az;
        am = ap / bpp;
        bm = bp / bpp;
        az = app / bpp;
        bz = 1;
        if (std::fabs(az - aold) < Epsilon * std::fabs(az)) return az;
    }
    return az;  // no convergence: the last estimate, silently
}

long double incomplete_beta(long double a, long double b, long double x) {
    if (!AllFinite(a, b, x)) return NotFinite();
    long double bt = 0;
    if (x != 0 && x != 1)
        bt = std::exp(ln_gamma(a + b) - ln_gamma(a) - ln_gamma(b) + a * std::log(x) + b * std::log(1 - x));
    if (x < (a + 1) / (a + b + 2)) return bt * beta_cf(a, b, x) / a;
    return 1 - bt * beta_cf(b, a, 1 - x) / b;
}

long double gamma_series(long double a, long double x) {
    if (!AllFinite(a, x)) return NotFinite();
    const long double gln = ln_gamma(a);
    if (x == 0) return 0;
    long double ap = a;
    long double sum = 1 / a;
    long double del = sum;
    for (int n = 0; n < SeriesLimit; ++n) {
        ap = ap + 1;
        del = del * x / ap;
        sum = sum + del;
        if (std::fabs(del) < std::fabs(sum) * Epsilon) break;
    }
    return sum * std::exp(-x + a * std::log(x) - gln);
}

long double GCF(long double a, long double x) {
    if (!AllFinite(a, x)) return NotFinite();
    const long double gln = ln_gamma(a);
    long double gold = 0, a0 = 1, a1 = x, b0 = 0, b1 = 1, fac = 1;
    for (int n = 1; n <= ContinuedFractionLimit; ++n) {
        const long double an = n;
        const long double ana = an - a;
        a0 = (a1 + a0 * ana) * fac;
        b0 = (b1 + b0 * ana) * fac;
        const long double anf = an * fac;
        a1 = x * a0 + anf * a1;
        b1 = x * b0 + anf * b1;
        if (a1 != 0) {
            fac = 1 / a1;
            const long double g = b1 * fac;
            if (std::fabs((g - gold) / g) < Epsilon) return std::exp(-x + a * std::log(x) - gln) * g;
            gold = g;
        }
    }
    AssertFailed("Undefined value in function GCF in PVALUE");
    return 0;
}

long double gamma_q(long double a, long double x) {
    if (!AllFinite(a, x)) return NotFinite();
    if (x >= a + 1) return GCF(a, x);
    return 1 - gamma_series(a, x);
}

long double f_prob(std::int32_t df1, std::int32_t df2, long double F) {
    if (!AllFinite(F)) return NotFinite();
    if (F < 0) return 0;
    const long double half1 = df1 / 2.0L, half2 = df2 / 2.0L;
    return incomplete_beta(half2, half1, df2 / (df2 + df1 * F));
}

long double t_prob(std::int32_t df, long double t) {
    if (!AllFinite(t)) return NotFinite();
    return f_prob(1, df, t * t);
}

long double z_prob(long double z) {
    if (!AllFinite(z)) return NotFinite();
    return f_prob(1, 5000, z * z);
}

long double chi2_prob(std::int32_t df, long double x) {
    if (!AllFinite(x)) return NotFinite();
    if (x > 1000 || x < 0) return 0;
    return gamma_q(df / 2.0L, x / 2);
}

long double inverse_z(long double p) {
    if (!AllFinite(p)) return NotFinite();
    // The search converges for 0 < p <= 0.5; other values end at a bracket
    // edge once the step limit is reached instead of looping forever.
    long double lo = 0, hi = 8, mid = 4, pmid = OneTailedPOfZ4;
    for (int step = 0; step < BisectionLimit && std::fabs(p - pmid) > 1e-6L; ++step) {
        if (pmid >= p)
            lo = mid;
        else
            hi = mid;
        mid = lo + (hi - lo) / 2;
        pmid = z_prob(mid) / 2;
    }
    return mid;
}

long double inverse_t(std::int32_t df, long double p) {
    if (!AllFinite(p)) return NotFinite();
    long double lo = 0, hi = 4;
    for (int grow = 0; grow < BracketGrowthLimit && t_prob(df, hi) / 2 > p; ++grow) hi = hi * 10;
    long double mid = (lo + hi) / 2;
    long double pmid = t_prob(df, mid) / 2;
    for (int step = 0; step < BisectionLimit && hi - lo > 0.0001L; ++step) {
        if (pmid >= p)
            lo = mid;
        else
            hi = mid;
        mid = lo + (hi - lo) / 2;
        pmid = t_prob(df, mid) / 2;
    }
    return mid;
}

long double inverse_f(std::int32_t df1, std::int32_t df2, long double p) {
    if (!AllFinite(p)) return NotFinite();
    long double lo = 0, hi = 4;
    for (int grow = 0; grow < BracketGrowthLimit && f_prob(df1, df2, hi) > p; ++grow) hi = hi * 10;
    long double mid = hi;
    long double pmid = f_prob(df1, df2, mid);
    for (int step = 0; step < BisectionLimit && hi - lo > 0.01L; ++step) {
        if (pmid >= p)
            lo = mid;
        else
            hi = mid;
        mid = lo + (hi - lo) / 2;
        pmid = f_prob(df1, df2, mid);
    }
    return mid;
}

long double critical_t(std::int32_t df) {
    if (df < 1) return NotFinite();  // no critical value without degrees of freedom
    if (df <= 30) return CriticalTTable[df - 1];
    if (df <= 40) return 2.042L - (df - 30) * 0.021L * 0.1L;
    if (df <= 60) return 2.021L - (df - 40) * 0.021L * 0.05L;
    if (df <= 120) return 2.0L - (df - 60) * 0.02L * (1.0L / 60);
    return 1.96L;
}

long double critical_z(std::int32_t tails, long double alpha) {
    // Each entry is inverse_z of alpha (one tail) or alpha / 2 (two tails),
    // cut to ten decimals.
    struct Entry {
        long double alpha, oneTail, twoTails;
    };
    static const Entry entries[] = {
        {0.2L, 0.8416900634L, 1.2817230224L},  {0.1L, 1.2817230224L, 1.6451568603L},
        {0.05L, 1.6451568603L, 1.9604492187L}, {0.02L, 2.0542907714L, 2.3270874023L},
        {0.01L, 2.3270874023L, 2.5767822265L},
    };
    if (tails != 1 && tails != 2) {
        AssertFailed("Invalid tail value in critical_z");
        return 0;
    }
    for (const Entry& e : entries)
        if (SameAlpha(alpha, e.alpha)) return tails == 1 ? e.oneTail : e.twoTails;
    AssertFailed(tails == 1 ? "Invalid 1 tail value in critical_z" : "Invalid 2 tail value in critical_z");
    return 0;
}

long double q_table_value(std::int32_t row, std::int32_t column, long double alpha) {
    if (row < 0 || row >= QTableRowCount || column < 0 || column >= QTableColumnCount) return 0;
    if (SameAlpha(alpha, 0.05L)) return QTableScaled(0, row, column);
    if (SameAlpha(alpha, 0.01L)) return QTableScaled(1, row, column);
    if (SameAlpha(alpha, 0.001L)) return QTableScaled(2, row, column);
    return 0;
}

long double prime_product(PrimeExponents& work) {
    auto& exponent = work.Exponent;
    // One chunk: walk the primes from the smallest, taking each prime whose
    // exponent has the wanted sign while the chunk is below the bound. The
    // side is finished when the walk reaches the end of the list.
    auto chunk = [&exponent](int sign, bool& finished) {
        std::int64_t product = 1;
        int i = 0;
        for (; i < PrimeCount && product < ChunkBound; ++i)
            while (sign * exponent[i] > 0 && product < ChunkBound) {
                product *= Primes[i];
                exponent[i] -= sign;
            }
        // Stopped on the bound: the last prime visited may still have factors left.
        finished = i == PrimeCount && !(product >= ChunkBound && sign * exponent[i - 1] > 0);
        return product;
    };
    long double result = 1;
    bool numeratorDone = false, denominatorDone = false;
    while (!(numeratorDone && denominatorDone)) {
        const std::int64_t numerator = chunk(+1, numeratorDone);
        const std::int64_t denominator = chunk(-1, denominatorDone);
        result = result * static_cast<long double>(numerator) / static_cast<long double>(denominator);
    }
    return result;
}

std::int32_t binomial_coefficient(std::int32_t n, std::int32_t k) {
    if (k < 0 || n < 0 || k > n) return 0;
    if (n > 2000) {
        // Beyond the prime table: only the cap can matter here, since
        // C(n, k) for n > 2000 and 0 < k < n is at least 2001.
        const long double logValue = std::lgamma(n + 1.0L) - std::lgamma(k + 1.0L) - std::lgamma(n - k + 1.0L);
        if (logValue > std::log(static_cast<long double>(BinomialCap))) return BinomialCap;
        return static_cast<std::int32_t>(std::llround(std::exp(logValue)));
    }
    PrimeExponents work;
    work.AddFactorial(n, +1);
    work.AddFactorial(k, -1);
    work.AddFactorial(n - k, -1);
    const long double result = prime_product(work);
    if (result > BinomialCap) return BinomialCap;
    return static_cast<std::int32_t>(std::llround(result));
}

std::int32_t factorial(std::int32_t n) {
    if (n < 2) return 1;
    if (n > 12) {
        std::feraiseexcept(FE_OVERFLOW);
        return std::numeric_limits<std::int32_t>::max();
    }
    std::int32_t result = 1;
    for (std::int32_t i = 2; i <= n; ++i) result *= i;
    return result;
}

std::int32_t sum_1_to_n(std::int32_t n) {
    const std::int64_t sum = static_cast<std::int64_t>(n) * (static_cast<std::int64_t>(n) + 1) / 2;
    if (sum > std::numeric_limits<std::int32_t>::max() || sum < std::numeric_limits<std::int32_t>::min()) {
        std::feraiseexcept(FE_OVERFLOW);
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(sum);
}

long double power(long double base, long double exponent) { return std::exp(exponent * std::log(base)); }
long double log10(long double x) { return std::log10(x); }
long double ln(long double x) { return std::log(x); }

long double arcsin(long double x) {
    x = std::fabs(x);
    if (x == 0) return 0;
    if (x == 1) return std::acos(-1.0L) / 2;
    return std::atan(1 / std::sqrt(1 / (x * x) - 1));
}

long double sd_from_sem(std::int32_t n, long double sem) { return sem * std::sqrt(static_cast<long double>(n)); }
long double sem_from_sd(std::int32_t n, long double sd) { return sd / std::sqrt(static_cast<long double>(n)); }

}  // namespace vextal
