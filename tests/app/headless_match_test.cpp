// Whole matches headless on the kit's data, with nothing helping the men:
// they run, bump and stop by themselves.
#include "match/headless_match.h"

#include <algorithm>
#include <vector>

namespace {

class WholeMatch : public HeadlessMatch {
protected:
    // Raw ticks until the state comes or the cap runs out; whether it came.
    static bool play_until(uint8_t state, int cap)
    {
        for (int i = 0; i < cap && match_globals.match_state != state; ++i)
            headless_match_tick();
        return match_globals.match_state == state;
    }
    // A match from the seed with 1-minute quarters, as matchrun plays it: the
    // digest every 256 ticks until full time (or the cap), then the ticks run
    // and both scores.
    struct Played {
        std::vector<uint32_t> digests;
        int32_t ticks = 0;
        bool full_time = false;
        int32_t points[2] = {};
    };
    Played play(uint32_t seed, int32_t cap)
    {
        MatchRunSettings s;
        s.seed = seed;
        s.quarter_minutes = 1;
        start(s);
        Played out;
        while (out.ticks < cap && !headless_match_full_time()) {
            if (headless_match_over() && !headless_match_resume())
                break;
            headless_match_tick();
            if (++out.ticks % 256 == 0)
                out.digests.push_back(headless_match_hash());
        }
        out.full_time = headless_match_full_time() != 0;
        out.points[0] = team_records[0].points;
        out.points[1] = team_records[1].points;
        return out;
    }
};

// The line-up packs each team onto a grid 256 apart that the men enter from
// one side: a man whose spot lies beyond a team-mate already standing, or
// who brakes to under a walk short of it, would never arrive and the
// captains would never meet.
TEST_F(WholeMatch, EveryStartReachesTheCaptainsMeeting)
{
    struct Start {
        uint8_t variant;
        int8_t home, away;
    } starts[] = {{0, 0, 9}, {1, 0, 9}, {2, 0, 9}, {0, 3, 7}, {1, 8, 12}};
    for (const Start& c : starts) {
        MatchRunSettings s;
        s.kick_off_variant = c.variant;
        s.home_team = c.home;
        s.away_team = c.away;
        start(s);
        ASSERT_EQ(match_globals.match_state, PRE_MATCH);
        EXPECT_TRUE(play_until(CAPTAINS_MEET, 8000))
            << "variant " << int(c.variant) << ", clubs " << int(c.home) << " and " << int(c.away)
            << ": still in state " << int(match_globals.match_state);
    }
}

// A whole short match twice in one process: nothing left over from the
// first may change the second, tick for tick, to the final score.
TEST_F(WholeMatch, TheSameSeedPlaysTheSameMatch)
{
    const Played first = play(3, 30000);
    ASSERT_TRUE(first.full_time) << "stopped after " << first.ticks << " ticks";
    ASSERT_GT(first.digests.size(), 20u);
    const Played again = play(3, 30000);
    EXPECT_EQ(first.digests, again.digests);
    EXPECT_EQ(first.ticks, again.ticks);
    EXPECT_TRUE(again.full_time);
    EXPECT_EQ(first.points[0], again.points[0]);
    EXPECT_EQ(first.points[1], again.points[1]);
    const std::vector<uint32_t> other = play(4, 3072).digests;
    ASSERT_EQ(other.size(), 12u);
    EXPECT_FALSE(std::equal(other.begin(), other.end(), first.digests.begin())) << "another seed, another match";
}

} // namespace
