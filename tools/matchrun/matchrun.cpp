// Plays a match without a display and prints the states it went through,
// the score and the clock: matchrun [seed] [quarter minutes] [tick cap]
// (the data directory as for the game: KOB99_DATA_DIR or beside the program)
#include "app/match_driver.h"
#include "match/match_records.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    MatchRunSettings s;
    if (argc > 1)
        s.seed = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    if (argc > 2)
        s.quarter_minutes = std::atoi(argv[2]);
    const int32_t cap = argc > 3 ? std::atoi(argv[3]) : 200000;
    headless_match_setup(s);
    uint8_t last = 0;
    int32_t ticks = 0;
    while (ticks < cap && !headless_match_over()) {
        headless_match_tick();
        ++ticks;
        if (match_globals.match_state != last) {
            last = match_globals.match_state;
            std::printf("tick %6d state %2u clock %6d\n", ticks, last, match_globals.period_clock);
        }
    }
    std::printf("ticks %d exit %u score %d.%d (%d) - %d.%d (%d) flow %04x\n", ticks, match_globals.init_mode,
                team_records[0].goals, team_records[0].behinds, team_records[0].points, team_records[1].goals,
                team_records[1].behinds, team_records[1].points, match_globals.flow_flags);
    return headless_match_over() ? 0 : 1;
}
