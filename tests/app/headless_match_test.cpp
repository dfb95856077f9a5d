// Whole matches headless on the kit's data, with nothing helping the men:
// they run, bump and stop by themselves.
#include "match/headless_match.h"

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
    // The digest every 256 ticks over the first `ticks`.
    std::vector<uint32_t> digests(uint32_t seed, int ticks)
    {
        MatchRunSettings s;
        s.seed = seed;
        start(s);
        std::vector<uint32_t> out;
        for (int i = 1; i <= ticks; ++i) {
            headless_match_tick();
            if (i % 256 == 0)
                out.push_back(headless_match_hash());
        }
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

TEST_F(WholeMatch, TheSameSeedPlaysTheSameMatch)
{
    const std::vector<uint32_t> first = digests(4242, 3072);
    const std::vector<uint32_t> again = digests(4242, 3072);
    ASSERT_EQ(first.size(), 12u);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, digests(4243, 3072)) << "another seed, another match";
}

} // namespace
