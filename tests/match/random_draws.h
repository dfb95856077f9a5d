// The next n numbers the match's random sequence will give, without taking
// them: a test reads what a choice is about to draw.
#pragma once

#include "match/game_maths.h"
#include "match/match_records.h"

#include <cstdint>
#include <vector>

inline std::vector<uint32_t> peek_game_random(int n)
{
    const uint32_t a = match_globals.random_state_a, b = match_globals.random_state_b;
    std::vector<uint32_t> out;
    for (int i = 0; i < n; ++i) out.push_back(game_random());
    match_globals.random_state_a = a, match_globals.random_state_b = b;
    return out;
}
