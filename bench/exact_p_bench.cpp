// Time of the exact P values at the largest sizes that are still exact:
// the counting tables in full, and the walks over every arrangement on
// smaller cases, their time scaled by the ratio of arrangements (the walks
// take constant time per arrangement) and reported as worst_ms.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "stats/nonparametric_anova.h"
#include "stats/rank_counting.h"
#include "stats/rank_enumeration.h"
#include "stats/spearman.h"
#include "stats/walked_exact_p.h"

namespace vextal {
namespace {

// worst_ms: the time of one iteration times `scale`, in milliseconds.
void Extrapolate(benchmark::State& state, double scale) {
    state.counters["worst_ms"] =
        benchmark::Counter(1.0 / (scale * 1000.0), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

double Multinomial(const std::vector<std::int32_t>& sizes) {
    double m = 1;
    int n = 0;
    for (const std::int32_t size : sizes)
        for (int i = 1; i <= size; ++i) m = m * ++n / i;
    return m;
}

void SignedRankCounted(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CountRankSubsetsAtLeast(29, 300));
}
void SignedRankWalked(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CountSignAssignmentsAtLeast(22, 180, 4096, {}).Count);
    Extrapolate(state, 128.0); // 2^29 / 2^22
}

void MannWhitneyCounted(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CountRankSetsAtMostFast(43, 33, 700));
}
void MannWhitneyWalked(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CountRankSetsAtMost(26, 13, 160, 256, {}).Count);
    Extrapolate(state, 1917334783.0 / 10400600.0); // C(43, 10) / C(26, 13)
}

// KW at the groups less one (the mean of its chi-square approximation), amid
// the deals, where the counts settle the fewest states early.
void KruskalWallisCounted(benchmark::State& state, std::vector<std::int32_t> sizes) {
    const auto kw = static_cast<long double>(sizes.size() - 1);
    for (auto _ : state) benchmark::DoNotOptimize(KruskalWallisExactP(sizes, kw, 0.5L, nullptr).P);
    state.counters["arrangements"] = Multinomial(sizes);
}
// The same at KW = scale·(groups − 1), where some shapes are slowest.
void KruskalWallisCountedAt(benchmark::State& state, std::vector<std::int32_t> sizes, long double scale) {
    const auto kw = scale * static_cast<long double>(sizes.size() - 1);
    for (auto _ : state) benchmark::DoNotOptimize(KruskalWallisExactP(sizes, kw, 0.5L, nullptr).P);
    state.counters["arrangements"] = Multinomial(sizes);
}
void KruskalWallisWalked(benchmark::State& state) {
    const std::vector<std::int32_t> sizes = {3, 5, 5};
    for (auto _ : state) benchmark::DoNotOptimize(KruskalWallisWalkedP(sizes, 2.0L, 0.5L, nullptr).P);
    Extrapolate(state, 2.0e9 / Multinomial(sizes));
}

void FriedmanCounted(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(FriedmanExactP(3, 6, 5.0L, 0.5L, nullptr).P);
}
void FriedmanWalked(benchmark::State& state) {
    // k = 6, n = 3 walked in full: 62 million compositions.
    for (auto _ : state) benchmark::DoNotOptimize(FriedmanWalkedP(3, 6, 5.0L, 0.5L, nullptr).P);
    Extrapolate(state, 1.0);
}

void SpearmanCounted(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CountPermutationsAtLeast(12, 400, {}).Extreme);
}
void SpearmanWalked(benchmark::State& state) {
    std::int64_t walked = 0;
    for (auto _ : state) benchmark::DoNotOptimize(CountRankAssignmentsAtLeast(10, 230, nullptr, walked));
    Extrapolate(state, 132.0); // 12! / 10!
}

BENCHMARK(SignedRankCounted)->Unit(benchmark::kMillisecond);
BENCHMARK(SignedRankWalked)->Unit(benchmark::kMillisecond);
BENCHMARK(MannWhitneyCounted)->Unit(benchmark::kMillisecond);
BENCHMARK(MannWhitneyWalked)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g3_4_10_10, std::vector<std::int32_t>{4, 10, 10})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g3_6_7_10, std::vector<std::int32_t>{6, 7, 10})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g4_3_5_5_6, std::vector<std::int32_t>{3, 5, 5, 6})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g4_4_4_4_7, std::vector<std::int32_t>{4, 4, 4, 7})->Unit(benchmark::kMillisecond);
// The slowest shapes of five to seven groups found by timing every vector
// of sizes with M just under 2·10^9 at several thresholds.
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_1_1_1_1_204, std::vector<std::int32_t>{1, 1, 1, 1, 204})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_1_2_2_2_24, std::vector<std::int32_t>{1, 2, 2, 2, 24})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_1_2_5_5_5, std::vector<std::int32_t>{1, 2, 5, 5, 5})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_2_2_2_2_16, std::vector<std::int32_t>{2, 2, 2, 2, 16})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g6_1_1_1_1_1_68, std::vector<std::int32_t>{1, 1, 1, 1, 1, 68})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g6_1_2_2_3_4_4, std::vector<std::int32_t>{1, 2, 2, 3, 4, 4})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCountedAt, g5_1_4_4_4_4_at_half, std::vector<std::int32_t>{1, 4, 4, 4, 4}, 0.5L)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCountedAt, g5_2_2_2_2_16_at_half, std::vector<std::int32_t>{2, 2, 2, 2, 16}, 0.5L)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCountedAt, g7_1_1_2_2_3_3_3_at_1_6, std::vector<std::int32_t>{1, 1, 2, 2, 3, 3, 3}, 1.6L)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_3_3_3_3_4, std::vector<std::int32_t>{3, 3, 3, 3, 4})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_1_4_4_4_4, std::vector<std::int32_t>{1, 4, 4, 4, 4})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_2_3_3_4_4, std::vector<std::int32_t>{2, 3, 3, 4, 4})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_2_3_3_4_5, std::vector<std::int32_t>{2, 3, 3, 4, 5})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_1_2_3_4_9, std::vector<std::int32_t>{1, 2, 3, 4, 9})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g5_1_1_1_1_208, std::vector<std::int32_t>{1, 1, 1, 1, 208})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g6_2_2_2_2_3_5, std::vector<std::int32_t>{2, 2, 2, 2, 3, 5})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g6_2_2_2_3_3_3, std::vector<std::int32_t>{2, 2, 2, 3, 3, 3})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g6_1_2_2_3_3_5, std::vector<std::int32_t>{1, 2, 2, 3, 3, 5})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g7_1_1_2_2_2_2_6, std::vector<std::int32_t>{1, 1, 2, 2, 2, 2, 6})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g7_1_1_2_2_3_3_3, std::vector<std::int32_t>{1, 1, 2, 2, 3, 3, 3})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g7_1x6_32, std::vector<std::int32_t>{1, 1, 1, 1, 1, 1, 32})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g9_1x8_9, std::vector<std::int32_t>{1, 1, 1, 1, 1, 1, 1, 1, 9})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KruskalWallisCounted, g3_1_1_44719, std::vector<std::int32_t>{1, 1, 44719})->Unit(benchmark::kMillisecond);
BENCHMARK(KruskalWallisWalked)->Unit(benchmark::kMillisecond);
BENCHMARK(FriedmanCounted)->Unit(benchmark::kMillisecond);
BENCHMARK(FriedmanWalked)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SpearmanCounted)->Unit(benchmark::kMillisecond);
BENCHMARK(SpearmanWalked)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vextal

BENCHMARK_MAIN();
