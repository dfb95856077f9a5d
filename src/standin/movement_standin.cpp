// STAND-IN: the movement layer's queries, answered from the animation
// numbers the real ones read; locomotion steps men straight onto their
// targets.
#include "standin/movement_standin.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "model/anim_table.h"
#include "model/skeleton.h"
#include "match/match_flow.h"

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
    return a == 147 || a == 257 || a == 258 || a == 312;
}

int32_t wants_to_fight(const PlayerSlot*, const PlayerSlot*) { return 0; }

void locomotion_anim_for_speed(PlayerSlot* man, uint32_t a)
{
    const int32_t top = man->top_speed > 0 ? man->top_speed : 1;
    const double pct = man->speed * 100.0 / top;
    switch (a) {
    case 1: case 6: if (pct < 1.0) man->speed = 8; break;
    case 2: case 7: if (pct < 25.0) man->speed = 18; break;
    case 3: case 8: if (pct < 50.0) man->speed = 25; break;
    case 4: case 9: if (pct < 70.0) man->speed = 25; break;
    case 147: man->speed = 0, man->speed_frac = 0; break;
    default: break;
    }
}

uint8_t anim_facing_offset(const PlayerSlot* man)
{
    // A turn's root yaw at its end, 16384 to a turn, as an 8-bit angle.
    const uint32_t a = man->primary_animation;
    if (a >= ANIM_ROW_COUNT || !animation_table[a].data) return man->facing;
    const int32_t frames = static_cast<int32_t>(paf_length(animation_table[a].data) / PAF_FRAME_US);
    return static_cast<uint8_t>(man->facing + anim_turn_at(static_cast<int>(a), frames) / 64);
}

int32_t skill_value(const PlayerSlot* man, int32_t v, int32_t)
{
    const int32_t a = man->person ? (player_i16(man->person, PLAYER_SKILL) & 0xFF) : 0;
    return v * (255 - a) / 255;
}
void apply_pending_phase() {}
void schedule_phase_cut() {}

namespace {
void walk(PlayerSlot* man)
{
    man->x = man->target_x;
    man->y = man->target_y;
    man->facing = static_cast<uint8_t>(man->wanted_facing);
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
    // The field umpire's bounce: its first frame starts the clock, and the
    // ball leaves his hands as the animation ends.
    PlayerSlot& field = official_slots[0];
    if (field.primary_animation == 167) {
        match_globals.clock_enabled = 1;
        field.primary_animation = 0;
        field.man_flags = static_cast<uint16_t>(field.man_flags & ~MAN_BUSY);
        if (match_globals.umpire_with_ball == &field)
            give_ball_to(nullptr);
    }
    for (PlayerSlot& u : official_slots) {
        // Action 1 fetches the ball when nobody holds it.
        if (u.action == 1 && !match_globals.ball_holder && match_globals.umpire_with_ball != &u) {
            u.target_x = u.x = ball_whole_x();
            u.target_y = u.y = ball_whole_y();
            give_ball_to(&u);
        }
        // Walking backwards steps away from his facing.
        if (is_walking_backwards(&u)) {
            u.x = static_cast<int16_t>(u.x - fixed_sin(u.facing, 64));
            u.y = static_cast<int16_t>(u.y - fixed_cos(u.facing, 64));
            u.target_x = u.x;
            u.target_y = u.y;
        }
        walk(&u);
        u.facing = static_cast<uint8_t>(u.wanted_facing);
        u.moving = 0;
        // A signal ends on the next tick, as its last frame's event would
        // end it: no longer busy, the job a step on.
        if ((u.man_flags & MAN_BUSY) && !is_walking_backwards(&u)) {
            u.man_flags = static_cast<uint16_t>(u.man_flags & ~MAN_BUSY);
            // The field umpire's turning signals count twice.
            const uint8_t j = u.official_job;
            const bool twice = &u == &official_slots[0] && (j == 23 || (j >= 27 && j <= 30));
            u.job_step = static_cast<uint8_t>(u.job_step + (twice ? 2 : 1));
            u.primary_animation = 0;
        }
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

PlayerSlot* nearest_player(const PlayerSlot*) { return nullptr; }
