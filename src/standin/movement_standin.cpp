// STAND-IN for locomotion and the action executor: men step straight onto
// their targets. Delete when the movement module lands.
#include "standin/movement_standin.h"

void apply_pending_phase() {}
void schedule_phase_cut() {}

namespace {
void walk(PlayerSlot* man)
{
    if (man->x != man->target_x || man->y != man->target_y) {
        man->x = man->target_x;
        man->y = man->target_y;
    }
    man->arrived = 1;
}
} // namespace

void update_locomotion_all()
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (!match_globals.active_men[i]->busy_flag)
            walk(match_globals.active_men[i]);
}

void update_umpire_locomotion()
{
    for (PlayerSlot& u : official_slots) {
        walk(&u);
        u.facing = static_cast<uint8_t>(u.wanted_facing);
    }
}

void update_player_effort() {}

// Animations the rules start end on the next tick.
void update_all_men()
{
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        PlayerSlot* man = match_globals.active_men[i];
        const uint32_t a = man->primary_animation;
        if (a == 174 || a == 175 || a == 147 || a == 319) {
            man->primary_animation = 0;
            man->man_flags = static_cast<uint16_t>(man->man_flags & ~MAN_BUSY);
        }
    }
}

int32_t is_standing_anim(const PlayerSlot*) { return 1; }
void flag_players_ball_coming() {}
PlayerSlot* nearest_player(const PlayerSlot*) { return nullptr; }
