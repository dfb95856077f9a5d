#include "match/interchange.h"
#include "match/match_hooks.h"
#include "two_teams.h"

#include <gtest/gtest.h>

namespace {

class Interchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(22);
        clear_match_hooks();
        match_globals.interchange_count = 4;
        match_globals.match_state = 1;
        reset_interchange_queues();
        for (TeamRecord& t : team_records) {
            for (int i = 0; i < 4; ++i)
                t.key_men[i] = 255;
            for (int n = FIRST_BENCH_SLOT; n < TEAM_SLOTS; ++n)
                t.slots[n].busy_flag = 1;
        }
    }
    void TearDown() override { clear_match_hooks(); }
    static TeamRecord& home() { return team_records[0]; }
    static PlayerSlot& man(int n) { return home().slots[n]; }
};

TEST_F(Interchange, QueueTestsRefuseTheBenchNumbersButTwentyTwo)
{
    struct Case {
        uint8_t number;
        int32_t allowed;
    };
    const Case cases[] = {{0, 1}, {17, 1}, {18, 0}, {19, 0}, {20, 0}, {21, 0}, {22, 1}, {23, 0}};
    for (const Case c : cases) {
        PlayerSlot probe = man(0);
        probe.number = c.number;
        EXPECT_EQ(can_queue_interchange(&probe), c.allowed) << int(c.number);
    }
    match_globals.men_per_team = 24;
    PlayerSlot& twenty_two = man(22);
    twenty_two.busy_flag = 0;
    EXPECT_EQ(find_interchange_partner(&twenty_two, &man(18)), 1);
    EXPECT_EQ(find_interchange_partner(&man(21), &man(19)), 0);
}

TEST_F(Interchange, PairsAreLimitedAndNeverRepeatAMan)
{
    EXPECT_EQ(find_interchange_partner(&man(1), &man(18)), 1);
    EXPECT_EQ(find_interchange_partner(&man(1), &man(19)), 0); // going off already
    EXPECT_EQ(find_interchange_partner(&man(2), &man(18)), 0); // coming on already
    EXPECT_FALSE(can_queue_interchange_off(&man(1)));
    EXPECT_FALSE(can_bench_player_come_on(&man(18)));
    EXPECT_TRUE(can_bench_player_come_on(&man(19)));
    EXPECT_EQ(find_interchange_partner(&man(2), &man(19)), 1);
    EXPECT_EQ(find_interchange_partner(&man(3), &man(20)), 1);
    EXPECT_EQ(find_interchange_partner(&man(4), &man(21)), 1);
    EXPECT_EQ(home().queued_interchange_count, 4);
    man(23).busy_flag = 1;
    EXPECT_EQ(find_interchange_partner(&man(5), &man(23)), 0); // a fifth
    EXPECT_TRUE(is_queued_for_interchange(&man(4)));
    EXPECT_TRUE(is_queued_for_interchange(&man(21)));
    EXPECT_FALSE(is_queued_for_interchange(&man(5)));
    EXPECT_FALSE(is_queued_for_interchange(&team_records[1].slots[4]));
}

TEST_F(Interchange, BenchManMustBeOnTheBenchAndFitAndTheLimitHolds)
{
    man(18).busy_flag = 0;
    EXPECT_EQ(find_interchange_partner(&man(1), &man(18)), 0);
    man(18).busy_flag = 1;
    man(18).excluded = 1;
    EXPECT_EQ(find_interchange_partner(&man(1), &man(18)), 0);
    man(18).excluded = 0;
    home().interchanges_used = 4;
    EXPECT_FALSE(interchanges_left(&man(1)));
    EXPECT_EQ(find_interchange_partner(&man(1), &man(18)), 0);
    home().interchanges_used = 3;
    EXPECT_EQ(find_interchange_partner(&man(1), &man(18)), 1);
}

TEST_F(Interchange, SelectedManTakesTheFirstFreeBenchMan)
{
    man(18).excluded = 1;
    match_globals.selected_man = &man(7);
    queue_interchange_for_selected();
    EXPECT_EQ(home().queued_interchanges[0].man_on, 19);
    EXPECT_EQ(home().queued_interchanges[0].man_off, 7);
}

// A man who is going off walks to his bench spot; there, facing the ground's
// way, the two slots change places.
TEST_F(Interchange, CarriedOutAtTheBenchSpot)
{
    PlayerSlot& going = man(5);
    going.x = 3000;
    going.y = 2000;
    going.person = reinterpret_cast<league_player*>(&going); // any identity to follow
    league_player* going_person = going.person;
    PlayerSlot& opponent = team_records[1].slots[5];
    opponent.spot = &man(19);
    going.spot = &opponent;
    going.spot_assigned = 1;
    ASSERT_EQ(find_interchange_partner(&going, &man(19)), 1);
    ASSERT_EQ(find_interchange_partner(&man(6), &man(20)), 1);
    int banners = 0;
    static int* banner_count;
    banner_count = &banners;
    match_hooks.message_banner_busy = [] { return 0; };
    match_hooks.open_message_banner = [](int32_t kind) {
        ++*banner_count;
        return kind == 6 ? 1 : 0;
    };

    update_interchanges();
    EXPECT_EQ(going.target_x, 512);
    EXPECT_EQ(going.target_y, BENCH_LINE_Y);
    EXPECT_EQ(going.arrived, 0u);
    EXPECT_EQ(going.interchanging, 1u);
    EXPECT_EQ(home().queued_interchange_count, 2);
    EXPECT_GT(banners, 0);

    going.x = 512 + 40;
    going.y = BENCH_LINE_Y - 43;
    going.facing = 3;
    update_interchanges();
    EXPECT_EQ(going.arrived, 1u);
    EXPECT_EQ(going.person, going_person); // not facing yet
    going.facing = 0;
    match_globals.controlled_man_a = &man(6); // the second pair must wait
    update_interchanges();
    EXPECT_EQ(man(19).person, going_person);
    EXPECT_EQ(man(19).number, 19);
    EXPECT_EQ(man(5).number, 5);
    EXPECT_EQ(man(19).busy_flag, 1u);
    EXPECT_EQ(man(5).busy_flag, 0u);
    EXPECT_EQ(man(5).effort, 100);
    EXPECT_EQ(man(5).spot, &opponent); // the opponent's match-up moves with the field slot
    EXPECT_EQ(man(5).spot_assigned, 1u);
    EXPECT_EQ(man(19).spot, nullptr);
    EXPECT_EQ(opponent.spot, &man(5));
    ASSERT_EQ(home().queued_interchange_count, 1);
    EXPECT_EQ(home().queued_interchanges[0].man_off, 6);
    EXPECT_EQ(home().queued_interchanges[0].pending, 1u);
    EXPECT_EQ(home().queued_interchanges[1].pending, 0u);
    // A new pair goes behind the waiting one.
    ASSERT_EQ(find_interchange_partner(&man(8), &man(21)), 1);
    EXPECT_EQ(home().queued_interchanges[1].man_off, 8);
}

TEST_F(Interchange, HolderControlledOrBlockedMenWait)
{
    ASSERT_EQ(find_interchange_partner(&man(5), &man(18)), 1);
    const auto waits = [this](auto setup, auto undo) {
        setup();
        man(5).x = 100;
        update_interchanges();
        const bool waited = man(5).interchanging == 0;
        undo();
        return waited;
    };
    EXPECT_TRUE(waits([] { match_globals.ball_holder = &team_records[0].slots[5]; },
                      [] { match_globals.ball_holder = nullptr; }));
    EXPECT_TRUE(waits([] { match_globals.controlled_man_b = &team_records[0].slots[5]; },
                      [] { match_globals.controlled_man_b = nullptr; }));
    EXPECT_TRUE(waits([] { team_records[0].slots[5].block_word = 1; }, [] { team_records[0].slots[5].block_word = 0; }));
    EXPECT_TRUE(waits([] { team_records[0].slots[5].man_flags = 0x0400; },
                      [] { team_records[0].slots[5].man_flags = 0; }));
    EXPECT_TRUE(waits(
        [] {
            match_globals.match_state = 13;
            team_records[0].key_men[2] = 5;
        },
        [] {
            match_globals.match_state = 1;
            team_records[0].key_men[2] = 255;
        }));
    EXPECT_TRUE(waits([] { match_globals.match_init_restart = 1; }, [] { match_globals.match_init_restart = 0; }));
    update_interchanges();
    EXPECT_EQ(man(5).interchanging, 1u);
}

// With four interchange men the bench slots 22 and 23 are not in use: the
// centre bounce must not wait for them.
TEST_F(Interchange, BenchReadyWithFourInterchangeMen)
{
    for (TeamRecord& t : team_records)
        for (int n = FIRST_BENCH_SLOT; n < TEAM_SLOTS; ++n)
            t.slots[n].busy_flag = 0;
    set_all_player_flags(0);
    for (const TeamRecord& t : team_records) {
        EXPECT_EQ(t.slots[21].busy_flag, 1u);
        EXPECT_EQ(t.slots[22].busy_flag, 0u);
    }
    set_all_player_flags(1);
    EXPECT_EQ(team_records[1].slots[18].busy_flag, 0u);
    // Everyone on the bench line, arrived and facing the way he wants.
    for (TeamRecord& t : team_records)
        for (int n = FIRST_BENCH_SLOT; n < 22; ++n) {
            PlayerSlot& m = t.slots[n];
            m.x = bench_spot_x(m.number, m.side);
            m.y = BENCH_LINE_Y;
            m.arrived = 1;
        }
    list_active_men(22);
    EXPECT_EQ(run_interchanges(), 1);
    EXPECT_EQ(team_records[0].slots[18].busy_flag, 1u);
    EXPECT_EQ(team_records[0].slots[18].proposals[0].action, 20);
    EXPECT_EQ(team_records[0].slots[18].proposals[0].priority, 10000);
    EXPECT_EQ(team_records[1].slots[20].proposals[0].x, -768);
    // One still on the ground holds the bounce up.
    team_records[1].slots[19].y = 0;
    for (TeamRecord& t : team_records)
        for (PlayerSlot& m : t.slots)
            m.proposal_count = 0;
    EXPECT_EQ(run_interchanges(), 0);
    EXPECT_EQ(team_records[1].slots[19].effort, 100);
}

TEST_F(Interchange, BenchManOffTheLineWaitsUnlessQueued)
{
    for (TeamRecord& t : team_records)
        for (int n = FIRST_BENCH_SLOT; n < 22; ++n) {
            PlayerSlot& m = t.slots[n];
            m.x = bench_spot_x(m.number, m.side);
            m.y = BENCH_LINE_Y;
            m.arrived = 1;
            m.facing = 40; // not yet turned
            m.wanted_facing = 0;
        }
    EXPECT_EQ(run_interchanges(), 0);
    for (TeamRecord& t : team_records)
        for (int n = FIRST_BENCH_SLOT; n < 22; ++n)
            t.slots[n].busy_flag = n == 18 ? 0 : 1;
    team_records[1].slots[18].busy_flag = 1;
    // The one not parked is coming on: ready.
    team_records[0].queued_interchange_count = 1;
    team_records[0].queued_interchanges[0] = {18, 3, 1};
    for (TeamRecord& t : team_records)
        for (int n = FIRST_BENCH_SLOT; n < 22; ++n)
            t.slots[n].x = 30000;
    list_active_men(0);
    EXPECT_EQ(run_interchanges(), 1);
}

} // namespace
