// A headless match for the rules tests: set up from the league with a fixed
// seed, no presentation, no keys held.
#pragma once

#include "match/match_driver.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"

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

    // Ticks until the state is `state`, at most `cap` ticks; whether it came.
    bool tick_until_state(uint8_t state, int cap = 20000)
    {
        for (int i = 0; i < cap; ++i) {
            if (match_globals.match_state == state)
                return true;
            headless_match_tick();
        }
        return match_globals.match_state == state;
    }

    static TeamRecord& team_on_side(int side) { return *team_of_side(side); }
};
