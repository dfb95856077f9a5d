#include "two_teams.h"

#include "match/game_maths.h"
#include "match/kick_out_positions.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class KickOutPositionsTest : public ::testing::Test {
protected:
    TeamRecord& kicking = team_records[0];
    TeamRecord& opposing = team_records[1];
    void SetUp() override { set_up_two_teams(22); }
    int holders(const TeamRecord& t) const
    {
        int n = 0;
        for (const PlayerSlot& m : t.slots) n += m.stoppage_man ? 1 : 0;
        return n;
    }
    const PlayerSlot* holder_of(const TeamRecord& t, int index) const
    {
        for (const PlayerSlot& m : t.slots)
            if (m.stoppage_man && m.spot_index == index)
                return &m;
        return nullptr;
    }
    // The slot nearest the spot by the team's default table among free men.
    int nearest_free(const TeamRecord& t, FormationSpot s, const PlayerSlot* skip) const
    {
        const int ti = &t == &team_records[0] ? 0 : 1;
        int best = -1, best_d = 0;
        for (int i = 0; i < GROUND_MEN; ++i) {
            const PlayerSlot& m = t.slots[i];
            if (m.stoppage_man || &m == skip)
                continue;
            const FormationSpot h = default_formation_spots[ti].spot[i];
            const int d = vector_length(h.x - s.x, h.y - s.y);
            if (best < 0 || d < best_d) {
                best = i;
                best_d = d;
            }
        }
        return best;
    }
};

TEST_F(KickOutPositionsTest, KickingPlanHandsSpotsOutInListOrderAndSkipsTheKicker)
{
    match_globals.controlled_man_a = &kicking.slots[0];
    int32_t n = 0;
    const FormationSpot* spots = kickout_spot_list(1, 1, &n);
    ASSERT_EQ(n, 17);
    // The first spot takes its nearest man whatever the later spots need.
    const int first = nearest_free(kicking, spots[0], &kicking.slots[0]);
    choose_kickout_positions(&kicking, 1);
    EXPECT_EQ(holders(kicking), 17);
    EXPECT_EQ(holder_of(kicking, 0), &kicking.slots[first]);
    EXPECT_EQ(kicking.slots[0].stoppage_man, 0u);
    std::set<int> indexes;
    for (int i = 0; i < GROUND_MEN; ++i)
        if (kicking.slots[i].stoppage_man)
            indexes.insert(kicking.slots[i].spot_index);
    EXPECT_EQ(indexes.size(), 17u);
    // Plan 1's receivers are claim entries 2..5, its extra pair 6..7.
    EXPECT_EQ(kick_out_role_man(&kicking, 1, 0), holder_of(kicking, 2));
    EXPECT_EQ(kick_out_role_man(&kicking, 1, 5), holder_of(kicking, 7));
    EXPECT_EQ(kickout_receiver(&kicking, 1, 3), holder_of(kicking, 5));
    EXPECT_EQ(kickout_receiver(&kicking, 1, 4), nullptr); // four options
    // A plan above 7 only clears the claims.
    choose_kickout_positions(&kicking, 8);
    EXPECT_EQ(holders(kicking), 0);
}

TEST_F(KickOutPositionsTest, ClaimsEndWhenTheMenRunOutAndBenchMenNeverClaim)
{
    for (int i = 5; i < GROUND_MEN; ++i) kicking.slots[i].busy_flag = 1;
    kicking.slots[3].man_flags |= MAN_OUT_OF_PLAY;
    choose_kickout_positions(&kicking, 0);
    EXPECT_EQ(holders(kicking), 4);
    for (int i = FIRST_BENCH_SLOT; i < TEAM_SLOTS; ++i) EXPECT_EQ(kicking.slots[i].stoppage_man, 0u);
    // The opposing hand-out stops too, with no fatal exit.
    for (int i = 2; i < GROUND_MEN; ++i) opposing.slots[i].busy_flag = 1;
    choose_oppose_kickout_positions(&opposing, 5);
    EXPECT_EQ(holders(opposing), 2);
}

TEST_F(KickOutPositionsTest, PlanZeroGivesTheOpposingTeamASpotOnlyWithoutAManOnTheMark)
{
    choose_oppose_kickout_positions(&opposing, 0);
    ASSERT_EQ(holders(opposing), 1);
    int32_t n = 0;
    const FormationSpot* list = kickout_spot_list(0, 0, &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(list[0].x, -23040);
    EXPECT_EQ(list[0].y, 5120);
    match_globals.controlled_man_b = &opposing.slots[4];
    choose_oppose_kickout_positions(&opposing, 0);
    EXPECT_EQ(holders(opposing), 0);
}

TEST_F(KickOutPositionsTest, PlanSevenPutsTheManOnTheMarkFirstOrClaimsEveryPlace)
{
    match_globals.controlled_man_b = &opposing.slots[9];
    choose_oppose_kickout_positions(&opposing, 7);
    EXPECT_EQ(holders(opposing), 12);
    EXPECT_EQ(holder_of(opposing, 0), &opposing.slots[9]);
    // Without a man on the mark place 0 is claimed like the others.
    match_globals.controlled_man_b = nullptr;
    choose_oppose_kickout_positions(&opposing, 7);
    EXPECT_EQ(holders(opposing), 13);
    EXPECT_NE(holder_of(opposing, 0), nullptr);
}

TEST_F(KickOutPositionsTest, PlanSixSendsTwoMenToItsRepeatedSpot)
{
    choose_kickout_positions(&kicking, 6);
    int32_t n = 0;
    const FormationSpot* spots = kickout_spot_list(1, 6, &n);
    const PlayerSlot* a = holder_of(kicking, 7);
    const PlayerSlot* b = holder_of(kicking, 8);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(spots[7].x, spots[8].x);
    EXPECT_EQ(spots[7].y, spots[8].y);
}

TEST_F(KickOutPositionsTest, PlansOfTheKickOutStates)
{
    const int want[][2] = {{59, 1}, {60, 1}, {61, 2}, {65, 4}, {66, 4}, {68, 5}, {70, 6}, {71, 0}, {72, 0}, {73, 7},
                           {58, -1}, {74, -1}};
    for (const auto& w : want) EXPECT_EQ(kick_out_plan_of_state(w[0]), w[1]) << w[0];
    EXPECT_EQ(kickout_option_point(4, 6).x, -3840);
    EXPECT_EQ(kickout_option_point(4, 6).y, -11520);
}

} // namespace
