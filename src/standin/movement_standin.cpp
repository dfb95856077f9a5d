// STAND-IN for the movement layer's services: just enough for the animation
// driver and its tests. Replaced when the movement work lands.
#include "standin/movement_standin.h"

#include "frontend/league_data.h"
#include "match/game_maths.h"
#include "players/anim_table.h"

void locomotion_anim_for_speed(PlayerSlot* man, uint32_t a)
{
    const int32_t top = man->top_speed > 0 ? man->top_speed : 1;
    const double pct = man->speed * 100.0 / top;
    switch (a) {
    case 1: case 6: if (pct < 1.0) man->speed = 8; break;
    case 2: case 7: if (pct < 25.0) man->speed = 18; break;
    case 3: case 8: case 4: case 9:
        if (pct < (a == 3 || a == 8 ? 50.0 : 70.0)) man->speed = 25;
        break;
    case 147: man->speed = 0, man->speed_frac = 0; break;
    default: break;
    }
}

int32_t is_standing_anim(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == 0 || a == 5 || a == 82 || (a >= 121 && a <= 123) || a == 176 || (a >= 194 && a <= 218);
}

int32_t is_walking_backwards(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == 257 || a == 258 || a == 312;
}

int32_t is_picking_up(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a >= 239 && a <= 241;
}

uint8_t anim_facing_offset(const PlayerSlot* man)
{
    // A turn's root yaw at its last frame, 16384 to a turn, as an 8-bit angle.
    const uint32_t a = man->primary_animation;
    if (a >= ANIM_ROW_COUNT || !animation_table[a].data) return man->facing;
    const int32_t frames = static_cast<int32_t>(paf_length(animation_table[a].data) / PAF_FRAME_US);
    const int32_t yaw = anim_turn_at(static_cast<int>(a), frames);
    return static_cast<uint8_t>(man->facing + yaw / 64);
}

int32_t skill_value(const PlayerSlot* man, int32_t v, int32_t)
{
    const int32_t a = man->person ? (player_i16(man->person, PLAYER_SKILL) & 0xFF) : 0;
    return v * (255 - a) / 255;
}

void flag_players_ball_coming()
{
    const int32_t limit = vector_length(ball_state.vx >> 16, ball_state.vy >> 16) * 16;
    for (int i = 0; i < match_globals.active_men_count && i < MAX_ACTIVE_MEN; ++i) {
        PlayerSlot* m = match_globals.active_men[i];
        if (m && m->ball_distance <= limit) m->ball_coming = 1;
    }
}
