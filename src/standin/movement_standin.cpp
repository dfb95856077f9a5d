// STAND-IN: the movement layer's queries, answered from the animation
// numbers the real ones read.
#include "standin/movement_standin.h"

#include "match/game_maths.h"

void flag_players_ball_coming() {}

void act_go_for_ball(PlayerSlot*) {}

int32_t is_standing_anim(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == 0 || a == 5 || a == 82 || (a >= 121 && a <= 123) || a == 176 || (a >= 194 && a <= 218);
}

int32_t is_picking_up(const PlayerSlot* man)
{
    return man->primary_animation >= 239 && man->primary_animation <= 241;
}

int32_t is_kicking(const PlayerSlot* man) { return man->primary_animation >= 21 && man->primary_animation <= 24; }

int32_t is_walking_backwards(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == 147 || a == 257 || a == 258;
}

int32_t wants_to_fight(const PlayerSlot*, const PlayerSlot*) { return 0; }
