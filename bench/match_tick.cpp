// The match tick headless: one tick of a match in open play, men, ball,
// umpires and rules, with no display (the data set named by KOB99_DATA_DIR
// or beside the program).
#include "match/match_driver.h"
#include "match/match_flow.h"
#include "match/match_records.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

static void BM_MatchTick(benchmark::State& state)
{
    MatchRunSettings s;
    s.quarter_minutes = 20;
    headless_match_setup(s);
    for (auto _ : state) {
        headless_match_tick();
        if (headless_match_over())
            headless_match_setup(s);
    }
    benchmark::DoNotOptimize(match_globals.period_clock);
}
BENCHMARK(BM_MatchTick);

// A whole match as the game plays it: four quarters of 20 minutes from the
// captains' meeting, through the breaks, to full time or 297,600 ticks (the
// four quarters' clock time), whichever comes first. Reported as ticks a
// second, as a multiple of real time (62 ticks a second) and as the peak
// resident memory of the process.
static void BM_WholeMatch(benchmark::State& state)
{
    MatchRunSettings s;
    s.quarter_minutes = 20;
    constexpr int64_t quarters_of_play = 4 * 20 * 60 * 62;
    int64_t ticks = 0;
    for (auto _ : state) {
        headless_match_setup(s);
        for (int64_t n = 0; n < quarters_of_play && !headless_match_full_time(); ++n, ++ticks) {
            if (headless_match_over() && !headless_match_resume())
                break;
            headless_match_tick();
        }
    }
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    state.counters["ticks_per_second"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(ticks) / 62.0, benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = static_cast<double>(use.ru_maxrss) / 1024.0;
    state.counters["ticks"] = static_cast<double>(ticks) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WholeMatch)->Unit(benchmark::kSecond)->Iterations(1);
