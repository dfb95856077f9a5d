// A headless match for the rules tests: set up from the league with a fixed
// seed, no presentation, no keys held.
#pragma once

#include "match/match_driver.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "players/man_queries.h"

#include <gtest/gtest.h>

#include <cstring>

class HeadlessMatch : public ::testing::Test {
protected:
    void SetUp() override { start(MatchRunSettings{}); }
    void TearDown() override
    {
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
    }

    void start(const MatchRunSettings& s)
    {
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        for (controller_record& c : controllers)
            c.side = 0;
        headless_match_setup(s);
    }

    // One tick; then the men the rules wait for are put where they were
    // going, so the rules are tested apart from how well men run.
    static void tick()
    {
        headless_match_tick();
        for (int i = 0; i < match_globals.active_men_count; ++i)
            settle(match_globals.active_men[i]);
        for (int i = 0; i < OFFICIAL_COUNT; ++i) {
            PlayerSlot& u = official_slots[i];
            settle(&u);
            end_signal(u, busy_ticks[i]);
        }
        ready_field_umpire();
    }
    // The kit's data set has no umpire signals yet, so a signal never ends by
    // its own frame event: end it as that event would, a few ticks on (the
    // field umpire's turning signals count twice).
    static void end_signal(PlayerSlot& u, int& busy_for)
    {
        // The coin toss has its animation in the kit: its own events end it.
        if (!(u.man_flags & MAN_BUSY) || is_walking_backwards(&u) || u.official_job == 10) {
            busy_for = 0;
            return;
        }
        if (++busy_for < 8)
            return;
        busy_for = 0;
        u.man_flags = static_cast<uint16_t>(u.man_flags & ~MAN_BUSY);
        const uint8_t j = u.official_job;
        const bool twice = &u == &official_slots[0] && (j == 23 || (j >= 27 && j <= 30));
        u.job_step = static_cast<uint8_t>(u.job_step + (twice ? 2 : 1));
    }
    static inline int busy_ticks[OFFICIAL_COUNT] = {};
    // The field umpire brings the ball to a bounce and stands ready.
    static void ready_field_umpire()
    {
        const uint8_t s = match_globals.match_state;
        // He lets the ball go at a bounce.
        if ((s == BOUNCE_IN_AIR || s == BALL_UP_IN_AIR) && match_globals.umpire_with_ball == &official_slots[0])
            give_ball_to(nullptr);
        if (s != CENTRE_BOUNCE_SETUP && s != BALL_UP_READY)
            return;
        PlayerSlot& u = official_slots[0];
        if (!match_globals.umpire_has_ball)
            give_ball_to(&u);
        u.facing = static_cast<uint8_t>(u.wanted_facing);
        if (u.job_step <= 3)
            u.job_step = 4;
        u.man_flags = static_cast<uint16_t>(u.man_flags & ~MAN_BUSY);
    }
    static void settle(PlayerSlot* man)
    {
        // While a bounced ball is in the air the men run for themselves:
        // put at once where the ruckmen meet it, they would stand in the
        // centre square before it bounced.
        const uint8_t s = match_globals.match_state;
        if (man->arrived || man->busy_flag || s == BOUNCE_IN_AIR || s == BALL_UP_IN_AIR)
            return;
        man->x = man->target_x;
        man->y = man->target_y;
        man->arrived = 1;
    }

    // Ticks until the state is `state`, at most `cap` ticks; whether it came.
    bool tick_until_state(uint8_t state, int cap = 20000)
    {
        for (int i = 0; i < cap; ++i) {
            if (match_globals.match_state == state)
                return true;
            tick();
        }
        return match_globals.match_state == state;
    }

    static TeamRecord& team_on_side(int side) { return *team_of_side(side); }
};
