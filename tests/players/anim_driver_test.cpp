// The animation driver on synthetic rows: starts and substitutions, rates,
// frame events, follow-ons, root motion and the holding tackle.
#include "driver_fixture.h"

#include "league/league_data.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/match_records.h"

#include <algorithm>

namespace {

class Driver : public DriverTest {};

TEST_F(Driver, RatesByAnimationSpeedAndFactor)
{
    struct Case {
        uint32_t animation;
        int16_t speed;
        double factor;
        int32_t per_tick;
    } cases[] = {
        {1, 8, 1.0, 21141},      // a walk at its own speed
        {1, 0, 1.0, 0},          // a walk at no speed stands still
        {2, 9, 1.0, 9 * 21141 / 18},
        {3, 25, 1.0, 21141},
        {8, 13, 1.0, 13 * 21141 / 26},
        {9, 29, 1.0, 21141},
        {3, 10, 1.5, 31712},     // a factor other than 1 wins over the speed
        {11, 0, 1.0, 31712},     // handballs
        {21, 0, 1.0, 31711},     // the static kick alone is one less
        {121, 0, 1.0, 84564},    // standing turns cross frames in one tick
        {349, 0, 1.0, 42282},
        {372, 0, 1.0, 63423},
        {100, 0, 1.0, 21141},
    };
    for (const Case& c : cases) {
        still(c.animation, 40);
        PlayerSlot& m = team_records[1].slots[5];
        man = &m;
        m.primary_animation = 999;
        play_man_animation(&m, c.animation, 0, c.factor);
        m.speed = c.speed;
        ticks(1);
        EXPECT_EQ(m.primary_position, c.per_tick) << "animation " << c.animation;
    }
}

TEST_F(Driver, RateOverrideFlagAndTheEasedBounce)
{
    still(193, 40);
    play_man_animation(man, 193, 0, 1.0);
    man->rate_override = 42282;
    ticks(1);
    EXPECT_EQ(man->rate_override, 42282 + (21141 - 42282) / 8);
    EXPECT_EQ(man->primary_position, man->rate_override);
    still(100, 40);
    play_man_animation(man, 100, 0, 1.0);
    man->man_flags2 |= 0x0001;
    man->rate_override = 1000;
    ticks(1);
    EXPECT_EQ(man->primary_position, 1000);
}

TEST_F(Driver, PlayingTheSameAnimationOnlyRefreshesThePose)
{
    still(100, 10, 7);
    play_man_animation(man, 100, 2, 2.0);
    man->follow_on_primary = 55;
    man->animation_flags = ANIM_MIRRORED;
    man->model.primary.animation = -1;
    play_man_animation(man, 100, 5, 1.0);
    EXPECT_EQ(man->primary_position, 2 << 16);
    EXPECT_EQ(man->follow_on_primary, 55u) << "the on-start callback ran again";
    EXPECT_EQ(man->primary_rate_factor, 2.0);
    EXPECT_EQ(man->animation_flags, ANIM_MIRRORED);
    EXPECT_EQ(man->model.primary.animation, 100);
}

TEST_F(Driver, BallHolderPlaysTheWithBallRowsButStandCallsRowZero)
{
    for (uint32_t a : {0u, 2u, 5u, 7u}) still(a, 10, static_cast<int16_t>(a + 100));
    match_globals.ball_holder = man;
    play_man_animation(man, 2, 0, 1.0);
    EXPECT_EQ(man->primary_animation, 7u);
    EXPECT_EQ(man->follow_on_primary, 107u);
    // With a secondary animation running, a STAND request stays STAND.
    still(360, 30);
    set_man_animation(man, 360, 0, 1.0);
    play_man_animation(man, 0, 0, 1.0);
    EXPECT_EQ(man->primary_animation, 5u);
    EXPECT_EQ(man->follow_on_primary, 100u);
    EXPECT_NE(man->secondary_data, nullptr) << "the secondary channel runs on under a with-ball row";
}

TEST_F(Driver, StandLeavesARunningIdleAloneAndPicksAnIdleOtherwise)
{
    for (uint32_t a = 194; a <= 218; ++a) still(a, 20);
    still(100, 20);
    play_man_animation(man, 100, 0, 1.0);
    play_man_animation(man, 0, 0, 1.0);
    const uint32_t idle = man->primary_animation;
    const uint32_t nine[] = {214, 208, 196, 195, 200};
    EXPECT_NE(std::find(std::begin(nine), std::end(nine), idle), std::end(nine)) << idle;
    man->primary_position = 5 << 16;
    man->model.primary.time = 12345;
    play_man_animation(man, 0, 0, 1.0);
    EXPECT_EQ(man->primary_animation, idle);
    EXPECT_EQ(man->primary_position, 5 << 16);
    EXPECT_EQ(man->model.primary.time, 12345u) << "no pose refresh";
    // At its last frame the request picks again.
    man->primary_position = 19 << 16;
    man->man_flags2 |= 0x0010;
    play_man_animation(man, 0, 0, 1.0);
    EXPECT_TRUE(man->primary_animation == 210 || man->primary_animation == 211) << man->primary_animation;
    // Before the match the idles come from 195..215.
    match_globals.match_state = 19;
    man->primary_position = 19 << 16;
    play_man_animation(man, 0, 0, 1.0);
    EXPECT_GE(man->primary_animation, 195u);
    EXPECT_LE(man->primary_animation, 215u);
}

TEST_F(Driver, Substitutions)
{
    for (uint32_t a : {257u, 258u, 323u, 326u, 327u, 328u, 329u, 360u, 361u, 362u, 363u, 364u}) still(a, 10);
    play_man_animation(man, 147, 0, 1.0);
    EXPECT_EQ(man->primary_animation, 257u);
    match_globals.ball_holder = man;
    play_man_animation(man, 147, 0, 1.0);
    EXPECT_EQ(man->primary_animation, 258u);
    match_globals.ball_holder = nullptr;
    play_man_animation(man, 319, 0, 1.0);
    EXPECT_TRUE(man->primary_animation >= 323 && man->primary_animation <= 329) << man->primary_animation;
    league_player person{};
    man->person = &person;
    struct {
        int16_t value;
        uint32_t protest;
    } protests[] = {{86, 362}, {85, 364}, {71, 364}, {70, 361}, {56, 361}, {55, 360}, {41, 360}, {40, 363}, {-5, 363}};
    for (auto p : protests) {
        set_player_i16(&person, 56, p.value);
        man->primary_animation = 0;
        play_man_animation(man, 358, 0, 1.0);
        EXPECT_EQ(man->primary_animation, p.protest) << p.value;
    }
}

TEST_F(Driver, FrameEventsFireOncePerCrossedFrameInOrder)
{
    // A standing turn crosses more than a frame a tick.
    install(121, still_animation(8, 0), follow(0), {48, 53, 0, 51, 45, 48, 53, 0});
    still(0, 20);
    play_man_animation(man, 121, 0, 1.0);
    ticks(1); // 84564: frame 0 crossed
    ASSERT_EQ(heard_effects.size(), 1u);
    ticks(3); // to 338256: frames 1 to 4 crossed
    std::vector<int32_t> got;
    for (const HeardEffect& e : heard_effects) got.push_back(e.effect);
    EXPECT_EQ(got, (std::vector<int32_t>{25, 33, 46, 45}));
}

TEST_F(Driver, HoldStopsEventsAndTheEnd)
{
    install(100, still_animation(3, 0), follow(0), {48, 48, 48});
    still(0, 10);
    play_man_animation(man, 100, 0, 1.0);
    man->animation_flags |= ANIM_HOLD;
    ticks(30);
    EXPECT_TRUE(heard_effects.empty());
    EXPECT_EQ(man->primary_animation, 100u);
    EXPECT_GT(man->primary_position >> 16, 3) << "the position runs on past the end";
}

TEST_F(Driver, ASecondaryAnimationSilencesThePrimaryButNotItsEnd)
{
    install(100, still_animation(3, 0), follow(101), {48, 48, 48});
    still(101, 10);
    install(360, still_animation(30, 0), {-1, 360, -1, 0}, std::vector<uint8_t>(30, 0));
    play_man_animation(man, 100, 0, 1.0);
    set_man_animation(man, 360, 0, 1.0);
    ticks(12);
    EXPECT_TRUE(heard_effects.empty());
    EXPECT_EQ(man->primary_animation, 101u);
}

TEST_F(Driver, AnAnimationFollowingItselfLoopsWithoutItsCallback)
{
    install(100, still_animation(2, 0), {100, -1, -1, START_MIRROR_SIDE}, {0, 0});
    play_man_animation(man, 100, 0, 2.0);
    EXPECT_TRUE(man->animation_flags & ANIM_MIRRORED);
    man->animation_flags = 0;
    const int32_t rate = 42282; // 2.0 x 21141 + 0.5, to even
    ticks(3);
    EXPECT_EQ(man->primary_position, 3 * rate);
    ticks(1); // the end: back to frame 0, the overshoot dropped
    EXPECT_EQ(man->primary_animation, 100u);
    EXPECT_EQ(man->animation_flags, 0) << "the callback ran on the loop";
    EXPECT_EQ(man->primary_rate_factor, 2.0);
    EXPECT_EQ(man->primary_position, 0);
    ticks(1);
    EXPECT_EQ(man->primary_position, rate);
}

TEST_F(Driver, InjuryRepeatsThenGetsUp)
{
    install(285, still_animation(2, 0), follow(285), {0, 0});
    still(150, 10);
    play_man_animation(man, 285, 0, 1.0);
    man->injury_repeats = 2;
    man->primary_rate_factor = 65536.0 / 21141; // a frame a tick
    ticks(2);
    EXPECT_EQ(man->primary_animation, 285u);
    EXPECT_EQ(man->injury_repeats, 1);
    ticks(2);
    EXPECT_EQ(man->primary_animation, 150u);
    EXPECT_EQ(man->injury_repeats, 0);
}

TEST_F(Driver, ARowWithoutDataFreezesBothChannels)
{
    still(360, 30);
    set_man_animation(man, 360, 0, 1.0);
    man->primary_animation = 27;
    ticks(5);
    EXPECT_EQ(man->secondary_position, 0);
    EXPECT_EQ(man->primary_position, 0);
}

TEST_F(Driver, ScriptsShorterThanTheAnimationFireNothingPastTheirEnd)
{
    // The with-ball row's script is a frame shorter than the walk it runs on.
    install(1, still_animation(4, 0), follow(1), {48, 48, 48, 48});
    install(6, still_animation(4, 0), follow(1), {53, 53, 53});
    match_globals.ball_holder = man;
    man->primary_animation = 1;
    man->follow_on_primary = 1;
    man->primary_rate_factor = 65536.0 / 21141;
    ticks(4);
    std::vector<int32_t> got;
    for (const HeardEffect& e : heard_effects) got.push_back(e.effect);
    EXPECT_EQ(got, (std::vector<int32_t>{33, 33, 33})) << "frame 3 reads the end byte";
    heard_effects.clear();
    // A start before frame 0 fires nothing until it reaches the script.
    match_globals.ball_holder = nullptr;
    play_man_animation(man, 1, 0, 1.0);
    man->primary_position = -2 << 16;
    man->primary_rate_factor = 65536.0 / 21141;
    ticks(3);
    ASSERT_EQ(heard_effects.size(), 1u);
}

TEST_F(Driver, AOneFrameRowFiresItsOnlyFrame)
{
    install(96, still_animation(1, 0), follow(0), {2});
    still(0, 10);
    man->man_flags = 0x0100;
    man->man_flags2 = 0x0008;
    play_man_animation(man, 96, 0, 1.0);
    man->primary_rate_factor = 65536.0 / 21141;
    ticks(1);
    EXPECT_EQ(man->man_flags & 0x0700, 0x0400) << "landed standing";
    EXPECT_EQ(man->man_flags2 & 0x0008, 0);
    // Event 1 there: no speed (no earlier frame), but the marks.
    install(10, still_animation(1, 0), follow(0), {1});
    man->man_flags = MAN_BUSY | 0x0008;
    man->speed = 12;
    play_man_animation(man, 10, 0, 1.0);
    man->primary_rate_factor = 65536.0 / 21141;
    ticks(1);
    EXPECT_EQ(man->speed, 12);
    EXPECT_EQ(man->man_flags & MAN_BUSY, 0) << "0x8077 keeps nothing of busy";
    EXPECT_EQ(man->decision_mark, 1);
    EXPECT_EQ(man->phase_mark, 2);
}

TEST_F(Driver, RootMotionCarriesTheManAlongHisFacing)
{
    // 10 model units forward a frame.
    PafFileData walk = still_animation(4, 1);
    for (size_t k = 0; k < walk.tracks[0].pos.size(); ++k) walk.tracks[0].pos[k].z = k ? 10.0f : 0.0f;
    install(100, walk, follow(100), {0, 0, 0, 0});
    man->x = 1000, man->y = -500, man->facing = 64; // along +x
    play_man_animation(man, 100, 0, 1.0);
    man->primary_rate_factor = 65536.0 / 21141;
    ticks(2);
    EXPECT_EQ(man->y, -500);
    EXPECT_NEAR(man->x + man->x_frac / 65536.0, 1000 + 2 * 10 * 2.56, 0.01);
    // Airborne men and tackled men keep their place.
    man->man_flags |= 0x0100;
    const int16_t x = man->x;
    ticks(2);
    EXPECT_EQ(man->x, x);
    man->man_flags = 0;
    install(281, still_animation(30, 0), follow(-1), std::vector<uint8_t>(30, 0));
    set_man_animation(man, 281, 0, 1.0);
    ticks(2);
    EXPECT_EQ(man->x, x);
}

TEST_F(Driver, HoldingTackleRunsItsStagesAndKeepsHimOnThePartner)
{
    for (uint32_t a : {281u, 282u, 283u}) install(a, still_animation(2, 0), follow(-1), {0, 0});
    still(100, 40);
    play_man_animation(man, 100, 0, 1.0);
    PlayerSlot& partner = team_records[1].slots[3];
    partner.x = 2000, partner.y = 100, partner.facing = 40, partner.speed = 10;
    man->facing = 0;
    man->tackle_state = 1;
    man->tackle_partner = &partner;
    man->tackle_animation = 281;
    set_man_animation(man, 281, 0, 1.5);
    update_holding_tackle(man);
    EXPECT_EQ(man->facing, 5) << "an eighth of the gap";
    int32_t c[3];
    rotate_offset_by_facing(c, OffsetPoint{0, 0, 65, 0}, 5);
    EXPECT_EQ(man->x, 2000 - c[0]);
    EXPECT_EQ(man->y, 100 - c[2]);
    // The tackle ends on the secondary channel: the hold starts.
    ticks(5);
    ASSERT_EQ(man->secondary_data, nullptr);
    update_holding_tackle(man);
    EXPECT_EQ(man->secondary_animation, 282u);
    EXPECT_EQ(man->secondary_rate, 43692);
    EXPECT_EQ(man->tackle_animation, 282);
    // The partner breaks free: the end.
    man->tackle_partner = nullptr;
    update_holding_tackle(man);
    EXPECT_EQ(man->secondary_animation, 283u);
    EXPECT_EQ(man->secondary_rate, 32769);
    EXPECT_EQ(man->tackle_state, 0u);
}

TEST_F(Driver, TackleTurnTakesTheShortWayAndAtMostTen)
{
    install(281, still_animation(20, 0), follow(-1), std::vector<uint8_t>(20, 0));
    PlayerSlot& partner = team_records[1].slots[3];
    partner.speed = 5;
    struct {
        uint8_t own, theirs, after;
    } cases[] = {{0, 8, 1}, {0, 4, 1}, {0, 127, 10}, {0, 200, 249}, {250, 10, 252}, {10, 250, 8}, {5, 5, 5}};
    for (auto c : cases) {
        man->tackle_state = 1;
        man->tackle_partner = &partner;
        man->tackle_animation = 281;
        set_man_animation(man, 281, 0, 1.0);
        man->facing = c.own;
        partner.facing = c.theirs;
        update_holding_tackle(man);
        EXPECT_EQ(man->facing, c.after) << int(c.own) << " to " << int(c.theirs);
    }
}

} // namespace
