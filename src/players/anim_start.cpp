#include "players/anim_start.h"

#include "model/anim_table.h"

void run_on_start(PlayerSlot* man, uint32_t a)
{
    if (a >= ANIM_ROW_COUNT || !animation_table[a].on_start) return;
    const AnimStartEffect& e = *animation_table[a].on_start;
    if (e.follow_on >= 0) man->follow_on_primary = static_cast<uint32_t>(e.follow_on);
    if (e.follow_on_secondary >= 0) man->follow_on_secondary = static_cast<uint32_t>(e.follow_on_secondary);
    if (e.follow_on_catch >= 0) man->follow_on_catch = static_cast<uint32_t>(e.follow_on_catch);
    if (e.flags & START_MIRROR_SIDE) man->animation_flags |= 0x01;
    if (e.flags & START_STOP) {
        man->speed = 0;
        man->speed_frac = 0;
        man->velocity_x = man->velocity_y = 0;
        man->velocity_x_frac = man->velocity_y_frac = 0;
    }
    if (e.flags & START_STOP_WANTED) man->path_speed = 0;
}

bool anim_answer_no(const PlayerSlot*) { return false; }

uint32_t with_ball_animation(const PlayerSlot* man, uint32_t a)
{
    return a >= 1 && a <= 4 && man == match_globals.ball_holder ? a + 5 : a;
}

uint32_t holder_animation(const PlayerSlot* man, uint32_t a) { return man == match_globals.ball_holder ? a + 5 : a; }

const uint8_t* primary_event_string(const PlayerSlot* man)
{
    const uint32_t e = with_ball_animation(man, man->primary_animation);
    return e < ANIM_ROW_COUNT ? animation_table[e].events : nullptr;
}
