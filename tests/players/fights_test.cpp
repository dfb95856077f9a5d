#include "men_fixture.h"

#include "players/actions.h"
#include "players/fights.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"

namespace {

class FightsTest : public MenTest {
protected:
    PlayerSlot* a = nullptr;
    PlayerSlot* o = nullptr;
    void SetUp() override
    {
        MenTest::SetUp();
        for (int t = 0; t < 2; ++t)
            for (int i = 0; i < 18; ++i) place(man(t, i), -20000 + 2000 * i, 9000 * (t + 1));
        a = man(0, 3);
        o = man(1, 3);
        match_globals.match_state = 3;
        match_globals.fight_pair[0] = a;
        match_globals.fight_pair[1] = o;
        a->fight_opponent = o;
        o->fight_opponent = a;
        a->action = o->action = ACT_SQUARE_UP;
    }
    // Facing each other along y, `gap` apart.
    void square_up(int gap)
    {
        place(a, 0, 0, 0);
        place(o, 0, gap, 128);
        a->primary_animation = o->primary_animation = ANIM_STAND;
    }
};

TEST_F(FightsTest, NearFightersFacingEachOtherGoStraightToWaiting)
{
    for (int gap : {335, 200, 351}) {
        square_up(gap);
        a->fight_stage = FIGHT_APPROACH;
        act_fight(a);
        EXPECT_EQ(a->fight_stage, FIGHT_WAIT) << gap;
    }
    square_up(352);
    a->fight_stage = FIGHT_APPROACH;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_STEP_IN);
    // Not facing yet: he stays and turns.
    square_up(300);
    a->facing = 20;
    a->fight_stage = FIGHT_APPROACH;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_APPROACH);
    EXPECT_EQ(a->wanted_facing, 0);
}

TEST_F(FightsTest, SteppingInCloseStopsAndStandsTheSameTick)
{
    square_up(200);
    a->fight_stage = FIGHT_STEP_IN;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_APPROACH);
    EXPECT_TRUE(is_standing_anim(a)) << a->primary_animation;
    EXPECT_EQ(a->arrived, 1u);
    EXPECT_EQ(a->target_y, 0) << "stops where he is";
    // From afar he heads for 320 short of O.
    square_up(1000);
    a->fight_stage = FIGHT_STEP_IN;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_STEP_IN);
    EXPECT_EQ(a->target_y, 1000 - 320);
    EXPECT_EQ(a->arrived, 0u);
}

TEST_F(FightsTest, FromSquaringUpToABlow)
{
    square_up(100);
    a->fight_stage = FIGHT_APPROACH;
    act_fight(a); // facing, O standing: wait
    ASSERT_EQ(a->fight_stage, FIGHT_WAIT);
    act_fight(a); // the timer has run out: a blow that reaches O is chosen
    ASSERT_EQ(a->fight_stage, FIGHT_CLOSE_IN);
    const uint16_t blow = a->chosen_blow;
    EXPECT_TRUE((blow >= 296 && blow <= 304) || blow == 308 || blow == 309) << blow;
    act_fight(a); // in reach: the blow is queued
    ASSERT_EQ(a->fight_stage, FIGHT_WAIT);
    EXPECT_EQ(a->queued_blow, blow);
    act_fight(a); // thrown
    EXPECT_EQ(a->fight_stage, FIGHT_BLOW_DELIVERED);
    EXPECT_EQ(a->primary_animation, blow);
    EXPECT_NE(a->man_flags & MAN_BUSY, 0);
    EXPECT_EQ(a->queued_blow, 0);
    EXPECT_TRUE(is_hit_by_blow(o));
    // The blow over, he steps in again and, this close, squares up anew.
    a->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_APPROACH);
    EXPECT_TRUE(is_standing_anim(a)) << a->primary_animation;
}

TEST_F(FightsTest, GroundKicksForAManDown)
{
    square_up(100);
    o->man_flags |= MAN_IN_BOTH_GRIDS;
    ASSERT_TRUE(choose_fight_blow(a, o));
    EXPECT_TRUE(a->chosen_blow == ANIM_DIRTY_GROUND_KICK || a->chosen_blow == ANIM_DIRTY_BIG_GROUND_KICK);
    // Nothing in reach: he steps in again.
    square_up(1000);
    a->fight_stage = FIGHT_WAIT;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_STEP_IN);
}

TEST_F(FightsTest, ABlowAimedStraightIsDodged)
{
    give_row(ANIM_UPPERCUT, 40);
    give_row(ANIM_LOW_KICK, 60);
    int dodges[4] = {};
    for (int n = 0; n < 64; ++n) {
        for (int32_t blow : {ANIM_UPPERCUT, ANIM_LOW_KICK}) {
            square_up(300);
            o->primary_animation = static_cast<uint32_t>(blow);
            o->primary_position = 0;
            a->fight_stage = FIGHT_DEFEND;
            a->man_flags = 0;
            act_fight(a);
            const uint32_t r = a->primary_animation;
            EXPECT_TRUE(r == ANIM_BACKSTEP || r == ANIM_QUICKSTEP_LEFT || r == ANIM_QUICKSTEP_RIGHT) << r;
            EXPECT_NE(a->man_flags & MAN_BUSY, 0);
            if (blow == ANIM_UPPERCUT) {
                EXPECT_NE(r, static_cast<uint32_t>(ANIM_BACKSTEP)) << "never against an uppercut";
            }
            if (r == ANIM_QUICKSTEP_LEFT || r == ANIM_QUICKSTEP_RIGHT) {
                EXPECT_EQ(a->primary_position, 5 * 65536);
            }
            ++dodges[r == ANIM_BACKSTEP ? 0 : (r == ANIM_QUICKSTEP_LEFT ? 1 : 2)];
        }
    }
    EXPECT_GT(dodges[0], 0);
    EXPECT_GT(dodges[1], 0);
    EXPECT_GT(dodges[2], 0);
    // Once the blow has passed the dodge gives way to standing, then he steps in.
    o->primary_position = 59 * 65536;
    act_fight(a);
    EXPECT_TRUE(is_standing_anim(a)) << a->primary_animation;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_STEP_IN);
}

TEST_F(FightsTest, FightNeedsAMatchedPair)
{
    square_up(100);
    o->fight_opponent = nullptr;
    a->fight_stage = FIGHT_APPROACH;
    act_fight(a);
    EXPECT_EQ(a->fight_stage, FIGHT_APPROACH);
}

TEST_F(FightsTest, RackOffSteps)
{
    match_globals.fight_pair[0] = match_globals.fight_pair[1] = nullptr;
    match_globals.match_state = 1;
    o->fight_opponent = nullptr;
    a->action = ACT_RACK_OFF;
    place(a, 0, 0, 0);
    place(o, 0, 200, 0);
    match_globals.ball_holder = o;
    act_rack_off(a);
    EXPECT_EQ(match_globals.ball_holder, nullptr) << "the ball is dropped";
    EXPECT_EQ(a->stage, 1);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_BACKSTEP));
    act_rack_off(a);
    EXPECT_EQ(a->stage, 2);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_AGGRO_RACK_OFF_MATE_1));
    EXPECT_EQ(a->rack_offs, 1);
    // O turns to face him first.
    act_rack_off(a);
    EXPECT_EQ(o->wanted_facing, 128);
    EXPECT_EQ(a->stage, 2);
    o->facing = 128;
    o->primary_animation = ANIM_ARGUE_HUH;
    team_records[0].pairings[3][3] = 40;
    act_rack_off(a);
    EXPECT_EQ(team_records[0].pairings[3][3], 20) << "no fight: the pair value halves";
    EXPECT_EQ(a->action, 0) << "O's protest is at its end";
    EXPECT_EQ(a->fight_opponent, nullptr);
    // Without a partner the action ends.
    a->action = ACT_RACK_OFF;
    act_rack_off(a);
    EXPECT_EQ(a->action, 0);
}

// A man told to rack off answers by his grudge against the man who told him,
// scaled by the match's aggression: squaring up, or one "huh?" that plays out.
TEST_F(FightsTest, RackOffAnsweredByTheGrudge)
{
    struct Case {
        uint8_t grudge;
        int32_t aggression;
        bool fights;
        uint32_t answer;
    } cases[] = {
        {200, 100, true, 369},
        {29, 100, false, ANIM_ARGUE_HUH},
        {200, 10, false, ANIM_ARGUE_HUH}, // 20 after scaling
        {0, 100, false, ANIM_ARGUE_HUH},
    };
    for (const Case& c : cases) {
        o->primary_animation = ANIM_STAND;
        o->man_flags = 0;
        grudge(o, a) = c.grudge;
        match_globals.aggression_percent = c.aggression;
        EXPECT_EQ(rack_off_turns_to_fight(a, o), c.fights) << int(c.grudge) << " at " << c.aggression;
        EXPECT_EQ(o->primary_animation, c.answer);
        EXPECT_TRUE(o->man_flags & MAN_BUSY);
    }
    // Already answering: the "huh?" is not started again.
    grudge(o, a) = 255;
    match_globals.aggression_percent = 100;
    o->primary_animation = ANIM_ARGUE_HUH;
    o->primary_position = 5 * 65536;
    EXPECT_FALSE(rack_off_turns_to_fight(a, o));
    EXPECT_EQ(o->primary_position, 5 * 65536);
}

TEST_F(FightsTest, BlowReachAndPairValues)
{
    place(a, 0, 0, 0);
    place(o, 300, 400, 0); // 500 away
    EXPECT_TRUE(within_blow_reach(a, o, 500));
    EXPECT_FALSE(within_blow_reach(a, o, 499));
    pair_value_by_number(a, o, 7);
    EXPECT_EQ(team_records[0].pairings[3][3], 7);
    // A man with no row (an official) changes nothing.
    PlayerSlot* umpire = &official_slots[0];
    umpire->number = 64;
    std::memset(team_records[0].pairings, 0, sizeof team_records[0].pairings);
    pair_value_by_number(a, umpire, 9);
    for (const auto& row : team_records[0].pairings)
        for (uint8_t v : row) EXPECT_EQ(v, 0);
}

} // namespace
