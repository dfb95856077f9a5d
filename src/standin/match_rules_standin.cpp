// STAND-IN: the rules operations another engineer is building. Only what the
// callers here need to see happen; the real ones do much more.
#include "standin/match_rules_standin.h"

void give_ball_to(PlayerSlot* man)
{
    MatchGlobals& g = match_globals;
    if (g.ball_holder && g.ball_holder != man)
        g.last_ball_holder = g.ball_holder;
    g.ball_holder = man;
    if (man) {
        ball_state.flags = static_cast<uint16_t>((ball_state.flags & ~1u) | 2u);
        ball_state.flight_flags &= static_cast<uint16_t>(~0x20u);
    } else {
        ball_state.flags = static_cast<uint16_t>((ball_state.flags & ~2u) | 1u);
    }
}

void set_match_state(int32_t n)
{
    MatchGlobals& g = match_globals;
    g.previous_match_state = g.match_state;
    g.match_state = static_cast<uint8_t>(n);
    g.flow_flags &= static_cast<uint16_t>(~(TIME_ON | CLOCK_FROZEN));
}

void award_free_kick(PlayerSlot* man, int32_t kind)
{
    match_globals.free_kick_kind = static_cast<uint8_t>(kind);
    match_globals.controlled_man_a = man;
}

void award_ball_up(PlayerSlot*, int32_t) {}

void clear_player_links()
{
    for (TeamRecord& team : team_records)
        for (PlayerSlot& m : team.slots) {
            m.fight_opponent = nullptr;
            m.fight_link = 0;
        }
    match_globals.fight_pair[0] = match_globals.fight_pair[1] = nullptr;
}
