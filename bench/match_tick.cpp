// The match tick headless: one tick of a match in open play, men, ball,
// umpires and rules, with no display (the data set named by KOB99_DATA_DIR
// or beside the program).
#include "app/match_driver.h"
#include "match/match_flow.h"
#include "match/match_records.h"

#include <benchmark/benchmark.h>

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
