// Frame-event handlers fired on synthetic rows.
#include "driver_fixture.h"

#include "players/frame_events.h"

namespace {

class Events : public DriverTest {
protected:
    // Row 100 carries `event` on its only frame; fire it.
    void fire(uint8_t event, uint32_t row = 100)
    {
        if (!animation_table[row].data) install(row, still_animation(4, 0), follow(-1), {event, 0, 0, 0});
        scripts[row][0] = event;
        fire_frame_event(man, row, 0);
    }
};

TEST_F(Events, FlagEvents)
{
    struct Case {
        uint8_t event;
        uint16_t flags_before, flags_after;
        uint16_t flags2_before, flags2_after;
    } cases[] = {
        {15, 0, 0x0008, 0, 0},           // kick flag
        {18, 0x0081, 0x0001, 0, 0},      // clear busy
        {23, 0, 0, 0, 0x0400},           // tackled while marking
        {39, 0, 0, 0x0005, 0x0001},      // recover
        {2, 0x0100, 0x0400, 0x0008, 0},  // landed, standing
    };
    for (const Case& c : cases) {
        man->man_flags = c.flags_before;
        man->man_flags2 = c.flags2_before;
        fire(c.event);
        EXPECT_EQ(man->man_flags, c.flags_after) << int(c.event);
        EXPECT_EQ(man->man_flags2, c.flags2_after) << int(c.event);
    }
    man->velocity_x = 3;
    man->man_flags = 0x0100;
    fire(2);
    EXPECT_EQ(man->man_flags, 0x0200) << "landed moving";
}

TEST_F(Events, SoundsAndCrowd)
{
    int crowd = -1;
    static int* seen = nullptr;
    seen = &crowd;
    match_hooks.crowd_react = [](int32_t k) { *seen = k; };
    ball_state.vz = 5 << 16;
    struct {
        uint8_t event;
        int32_t effect, volume;
    } cases[] = {{48, 25, 101}, {51, 46, 74}, {53, 33, 105}, {36, 26, 50}, {45, 45, 74}};
    for (auto c : cases) {
        heard_effects.clear();
        fire(c.event);
        ASSERT_EQ(heard_effects.size(), 1u) << int(c.event);
        EXPECT_EQ(heard_effects[0].effect, c.effect);
        EXPECT_EQ(heard_effects[0].volume, c.volume);
    }
    fire(37);
    EXPECT_EQ(crowd, 0);
}

TEST_F(Events, TurnsSetFacingSpeedAndPlayTheFollowOn)
{
    still(101, 10);
    struct {
        uint8_t event;
        int32_t turn;
        int16_t speed;
        uint32_t follow_on;
    } cases[] = {{6, -64, 0, 101}, {7, 64, 0, 101}, {9, -32, 22, 101}, {10, 32, 22, 101}, {11, -64, 22, 101}, {12, 64, 22, 101}};
    for (auto c : cases) {
        man->facing = 100;
        man->turning = 1;
        man->man_flags = MAN_BUSY;
        man->primary_animation = 100;
        man->follow_on_primary = c.follow_on;
        fire(c.event);
        EXPECT_EQ(man->facing, (100 + c.turn) & 255) << int(c.event);
        EXPECT_EQ(man->wanted_facing, man->facing);
        EXPECT_EQ(man->action_arg, man->facing);
        EXPECT_EQ(man->speed, c.speed);
        EXPECT_EQ(man->turning, 0u);
        EXPECT_EQ(man->man_flags & MAN_BUSY, 0);
        EXPECT_EQ(man->primary_animation, c.follow_on);
    }
}

TEST_F(Events, HandoverAndTackleChecks)
{
    PlayerSlot& holder = team_records[1].slots[2];
    match_globals.ball_holder = &holder;
    man->tackle_partner = &holder;
    fire(14);
    EXPECT_EQ(match_globals.pending_decision, 5) << "ball up";
    EXPECT_EQ(match_globals.offender, &holder);
    EXPECT_EQ(man->tackle_partner, nullptr);
    holder.man_flags2 = 0x0040;
    man->tackle_partner = &holder;
    match_globals.pending_decision = 0;
    fire(14);
    EXPECT_EQ(match_globals.pending_decision, 4) << "holding the ball";
    // The partner still holds the ball ungathered: the tackle holds on.
    man->tackle_partner = &holder;
    holder.man_flags2 = 0x0008;
    fire(33);
    EXPECT_EQ(man->tackle_partner, &holder);
    holder.man_flags = 0x0400;
    fire(33);
    EXPECT_EQ(man->tackle_partner, nullptr);
    EXPECT_EQ(holder.man_flags2 & 0x0008, 0);
}

TEST_F(Events, InjuryChoosesTheManToGoOffOnlyOnce)
{
    man->number = 9;
    team_records[0].key_men[0] = 1;
    fire(21);
    EXPECT_EQ(match_globals.injured_man, man);
    EXPECT_EQ(man->action, 26);
    EXPECT_GE(man->follow_on_primary, 285u);
    EXPECT_LE(man->follow_on_primary, 287u);
    EXPECT_EQ(team_records[0].injury_count, 1);
    EXPECT_EQ(heard_effects.back().effect, 41);
    // A second injured man gets up at once.
    PlayerSlot* other = &team_records[0].slots[10];
    man = other;
    man->man_flags2 = MAN2_NO_CONTEST;
    fire(21);
    EXPECT_EQ(other->follow_on_primary, 150u);
    EXPECT_EQ(other->man_flags2 & MAN2_NO_CONTEST, 0);
    EXPECT_EQ(team_records[0].injury_count, 1);
}

TEST_F(Events, InjuryEndOnlyForAnExcludedMan)
{
    man->facing = 10;
    fire(49);
    EXPECT_EQ(man->facing, 10);
    man->excluded = 1;
    fire(49);
    EXPECT_EQ(man->facing, 74);
    EXPECT_EQ(man->follow_on_primary, 150u);
    EXPECT_EQ(team_records[0].interchanges_used, 1);
    EXPECT_TRUE(man->man_flags & 0x0400);
}

TEST_F(Events, DescentRateSpreadsTheLastFrameOverTheFall)
{
    man->z = 100;
    man->velocity_z = 0;
    fire(24);
    // 100 units under gravity 42824/65536 a tick: 17 ticks (half-tick rule).
    int64_t h = 100LL << 16, vz = 0;
    int n = 0;
    while (h >= 0) vz -= 42824, h += vz - 21412, ++n;
    EXPECT_EQ(man->rate_override, (4 * 65536 - 65536) / n);
    man->z = -1;
    man->rate_override = 77;
    fire(24);
    EXPECT_EQ(man->rate_override, 77) << "already below the ground";
}

TEST_F(Events, OfficialsCountTheirSteps)
{
    PlayerSlot& ump = official_slots[0];
    ump.number = 64;
    man = &ump;
    ump.man_flags = MAN_BUSY;
    fire(22);
    EXPECT_EQ(ump.job_step, 1);
    EXPECT_EQ(ump.man_flags, 0);
    ump.official_job = 5;
    ump.action = 3;
    fire(26);
    EXPECT_EQ(ump.official_job, 0);
    EXPECT_EQ(ump.action, 0);
    EXPECT_EQ(ump.arrived, 1u);
    match_globals.end_side_word = 2;
    fire(45);
    EXPECT_EQ(official_slots[4].job_step, 1);
    ball_state.y = 0;
    fire(47);
    EXPECT_EQ(official_slots[2].job_step, 1);
    fire(35);
    EXPECT_EQ(match_globals.clock_enabled, 1);
}

TEST_F(Events, CoinTossAndCaptains)
{
    still(318, 10);
    team_records[0].captain = &team_records[0].slots[1];
    team_records[1].captain = &team_records[1].slots[1];
    fire(43);
    EXPECT_EQ(team_records[1].captain->primary_animation, 318u);
    EXPECT_TRUE(team_records[0].captain->man_flags & MAN_BUSY);
    man->arrived = 1;
    fire(42);
    EXPECT_TRUE(match_globals.flow_flags & 0x0200);
    EXPECT_EQ(man->arrived, 0u);
    ASSERT_FALSE(heard_commentary.empty());
    EXPECT_EQ(heard_commentary.back(), 94);
    team_records[0].captain->arrived = 1;
    fire(46);
    EXPECT_EQ(match_globals.flow_flags & 0x0300, 0x0100);
    EXPECT_EQ(team_records[0].captain->arrived, 0u);
}

TEST_F(Events, MarkSpoilEndPlaysOn)
{
    install(357, still_animation(4, 0), follow(-1), {0, 0, 0, 0});
    PlayerSlot& b = team_records[1].slots[4];
    match_globals.controlled_man_b = &b;
    b.secondary_animation = 356;
    match_globals.match_state = 41;
    fire(52);
    EXPECT_EQ(match_globals.match_state, 1);
    EXPECT_EQ(b.secondary_animation, 357u);
    EXPECT_EQ(b.secondary_rate, 4 * 21846);
}

TEST_F(Events, StepFacingByRow)
{
    struct {
        uint32_t row;
        uint8_t mirrored;
        uint16_t flags2;
        int32_t turn;
    } cases[] = {{269, 0, 0, -16}, {270, 0, 0, -80}, {271, 1, 0, 80}, {375, 0, 0, -64}, {268, 0, 0, 0},
                 {268, 0, 0x0800, -64}, {111, 0, 0, 0}};
    for (auto c : cases) {
        man->facing = 128;
        man->animation_flags = c.mirrored;
        man->man_flags2 = c.flags2;
        fire(31, c.row);
        EXPECT_EQ(man->facing, (128 + c.turn) & 255) << c.row;
    }
}

} // namespace
