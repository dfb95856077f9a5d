#include "players/anim_driver.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "players/anim_start.h"
#include "model/anim_table.h"
#include "players/frame_events.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/kick_outs.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/phase_cut.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <cmath>

namespace {

const uint32_t kNineIdles[9] = {214, 208, 196, 195, 200, 214, 196, 195, 200};
const uint32_t kTwoIdles[2] = {210, 211};

// The idle window before the first bounce: ticks_played counts whole ticks,
// so in practice it never closes.
const int32_t kIdleWindowTicks = 620 * 65536;

// Primary animations kept while the secondary channel runs on.
bool keeps_secondary(uint32_t a)
{
    return (a >= 5 && a <= 9) || a == 121 || a == 122 || a == 123 || a == ANIM_WALK_BACKWARDS ||
           a == ANIM_BACKSTEP || a == ANIM_QUICKSTEP_LEFT || a == ANIM_QUICKSTEP_RIGHT;
}

bool in(uint32_t a, uint32_t lo, uint32_t hi) { return a >= lo && a <= hi; }

bool is_jump_spoil_run_up(uint32_t a)
{
    switch (a) {
    case 331: case 332: case 334: case 335: case 337: case 338: case 340: case 341: return true;
    default: return false;
    }
}

// Whole frame of the primary channel below the animation's last frame.
bool primary_mid_cycle(const PlayerSlot* man)
{
    return (man->primary_position >> 16) < anim_last_frame(man->primary_animation);
}

void stop_secondary(PlayerSlot* man)
{
    man->secondary_animation = 0;
    man->secondary_data = nullptr;
    man->secondary_position = 0;
}

// Picks the idle that a STAND request plays; false when the request is
// answered by leaving the current animation alone.
bool choose_stand(PlayerSlot* man, uint32_t& a)
{
    const MatchGlobals& g = match_globals;
    const uint32_t cur = man->primary_animation;
    const bool umpire = is_umpire(man);
    if (!man->secondary_data && !umpire) {
        const uint8_t ms = g.match_state;
        if ((ms == 0 || ms == 19 || ms == 20) && man != g.ball_holder && man != g.umpire_with_ball &&
            (ms == 20 || g.ticks_played < kIdleWindowTicks)) {
            if (in(cur, 194, 215) && primary_mid_cycle(man)) return false;
            a = 195 + (game_random() & 31);
            if (a > 215) a = 195 + (game_random() & 15);
        } else {
            if (in(cur, 194, 218) && primary_mid_cycle(man)) return false;
            if (man->man_flags2 & 0x0010)
                a = kTwoIdles[game_random() & 1];
            else
                a = kNineIdles[(game_random() & 0xFFFF) % 9];
        }
        if (a == cur && primary_mid_cycle(man)) return false;
    } else if (umpire && man == g.umpire_with_ball) {
        a = ANIM_STAND_WITHBALL;
        if (cur == ANIM_STAND_WITHBALL && primary_mid_cycle(man)) return false;
    } else if (umpire) {
        if (man->secondary_animation == 0) a = kNineIdles[(game_random() & 0xFFFF) % 9];
        if (in(cur, 194, 218) && primary_mid_cycle(man)) return false;
    }
    return true;
}

void refresh_primary_slot(PlayerSlot* man)
{
    set_anim_slot(&man->model, static_cast<int32_t>(man->primary_animation),
                  anim_position_time(man->primary_position), SLOT_SET_PRIMARY);
}

void refresh_blend_slot(PlayerSlot* man)
{
    set_anim_slot(&man->model, static_cast<int32_t>(man->secondary_animation),
                  anim_position_time(man->secondary_position), SLOT_SET_BLEND);
}

// Starts animation a on the secondary channel from frame 0.
void start_secondary(PlayerSlot* man, uint32_t a, int32_t rate)
{
    man->secondary_animation = a;
    man->follow_on_secondary = 0;
    man->secondary_flags = 0;
    man->secondary_position = 0;
    man->secondary_data = anim_data(a);
    run_on_start(man, a);
    man->secondary_rate = rate;
}

bool root_moves(const PlayerSlot* man)
{
    const PafAnimation* d = anim_data(man->primary_animation);
    return d && d->root_motion == 1 && (man->man_flags & 0x0900) == 0 &&
           !in(man->secondary_animation, ANIM_DO_TACKLE, ANIM_DO_FAIL_TACKLE);
}

int32_t primary_rate(PlayerSlot* man)
{
    int32_t r;
    if (man->primary_rate_factor != 1.0) {
        r = static_cast<int32_t>(std::nearbyint(man->primary_rate_factor * PRIMARY_BASE_RATE + 0.5));
    } else {
        const int32_t s = man->speed;
        switch (man->primary_animation) {
        case 1: case 6: r = s * PRIMARY_BASE_RATE / 8; break;
        case 2: r = s * PRIMARY_BASE_RATE / 18; break;
        case 3: case 4: r = s * PRIMARY_BASE_RATE / 25; break;
        case 7: r = s * PRIMARY_BASE_RATE / 15; break;
        case 8: r = s * PRIMARY_BASE_RATE / 26; break;
        case 9: r = s * PRIMARY_BASE_RATE / 29; break;
        case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19: case 20: r = 31712; break;
        case ANIM_STATIC_KICK: r = 31711; break;
        case 121: case 122: case 123: r = 84564; break;
        case 157: case 158: case 159: case 160: case 161: case 162: case 163: case 164: case 179: case 219:
        case 222: case 227: case 230: case 242: case 264: case 265: case 266: case 267: case 268: case 269:
        case 270: case 271: case 272: case 343: case 346: case 349: case 352: r = 42282; break;
        case ANIM_BOUNCE_BALL:
            man->rate_override += (PRIMARY_BASE_RATE - man->rate_override) / 8;
            r = man->rate_override;
            break;
        case ANIM_QUICKSTEP_LEFT: case ANIM_QUICKSTEP_RIGHT: r = 63423; break;
        default: r = PRIMARY_BASE_RATE; break;
        }
    }
    if (man->man_flags2 & 0x0001) r = man->rate_override;
    return r;
}

// Steps a channel by rate r, a frame at a time, so every crossed frame fires.
template <class Step, class Stop> void run_channel(PlayerSlot* man, int32_t r, Step step, Stop stopped)
{
    const int64_t n = (static_cast<int64_t>(r) + 65535) >> 16;
    int64_t remaining = r;
    for (int64_t i = 0; i < n; ++i) {
        if (remaining <= FRAME_ONE) {
            step(man, static_cast<int32_t>(remaining));
            return;
        }
        step(man, FRAME_ONE);
        remaining -= FRAME_ONE;
        if (stopped()) return;
    }
}

} // namespace

uint32_t anim_position_time(int32_t position)
{
    if (position <= 0) return 0;
    // llrint rounds as nearbyint does, in one instruction rather than a call.
    return static_cast<uint32_t>(std::llrint(position * (50000.0 / 65536.0)));
}

PafAnimation* anim_data(uint32_t a) { return a < ANIM_ROW_COUNT ? animation_table[a].data : nullptr; }

uint32_t anim_length(uint32_t a)
{
    const PafAnimation* d = anim_data(a);
    return d ? paf_length(d) : 0;
}

int32_t anim_last_frame(uint32_t a)
{
    const PafAnimation* d = anim_data(a);
    return d ? static_cast<int32_t>(paf_length(d) / PAF_FRAME_US) - 1 : -1;
}

bool holds_ball(const PlayerSlot* man)
{
    return man == match_globals.ball_holder || man == match_globals.umpire_with_ball;
}

void play_man_animation(PlayerSlot* man, uint32_t a, int32_t frame, double rate_factor)
{
    locomotion_anim_for_speed(man, a);
    const MatchGlobals& g = match_globals;
    const bool umpire = is_umpire(man);
    if (a == ANIM_WALK_BACKWARDS) {
        a = holds_ball(man) ? ANIM_WALK_BACKWARDS_WB : ANIM_WALK_BACKWARDS_NB;
    } else if (a == ANIM_CELEBRATE && !man->secondary_data && !umpire) {
        static const uint32_t kCelebrations[5] = {328, 329, 327, 323, 326};
        a = kCelebrations[(game_random() & 0xFFFF) % 5];
    } else if (a == ANIM_ARGUE_PROTEST && !man->secondary_data && !umpire) {
        const int16_t person = man->person ? player_i16(man->person, 2 * 28) : 0;
        a = person > 85 ? 362 : person > 70 ? 364 : person > 55 ? 361 : person > 40 ? 360 : 363;
    }
    if (a != man->primary_animation) {
        if (a == ANIM_STAND && !choose_stand(man, a)) return;
        if (man->turning && !in(a, 121, 128)) man->turning = 0;
        man->animation_flags &= ANIM_HOLD;
        const bool holder = man == g.ball_holder;
        run_on_start(man, a >= 1 && a <= 4 && holder ? a + 5 : a);
        if (a <= 4) {
            if (holder) a += 5;
        } else if (!keeps_secondary(a)) {
            stop_secondary(man);
        }
        man->primary_rate_factor = rate_factor;
        man->primary_animation = a;
        man->primary_position = static_cast<int32_t>(static_cast<uint32_t>(frame) << 16);
    }
    refresh_primary_slot(man);
}

void set_man_animation(PlayerSlot* man, uint32_t a, int32_t frame, double rate)
{
    if (a != man->secondary_animation) {
        man->secondary_animation = a;
        man->follow_on_secondary = 0;
        man->secondary_flags = 0;
        man->secondary_data = anim_data(a);
        man->secondary_position = static_cast<int32_t>(static_cast<uint32_t>(frame) << 16);
        run_on_start(man, a);
        man->secondary_rate = static_cast<int32_t>(std::nearbyint(rate * SECONDARY_BASE_RATE));
    }
    refresh_blend_slot(man);
}

void advance_man_animation(PlayerSlot* man)
{
    if (!anim_data(man->primary_animation)) return;
    if (man->primary_rate_factor == 0.0) man->primary_rate_factor = 1.0;
    if (is_jump_spoil_run_up(man->primary_animation)) --man->spoil_countdown;
    const int32_t r = primary_rate(man);
    const uint32_t started = man->primary_animation;
    run_channel(man, r, step_primary_animation, [&] { return man->primary_animation != started; });
    if (man->secondary_data)
        run_channel(man, man->secondary_rate, step_secondary_animation, [&] { return !man->secondary_data; });
}

void step_primary_animation(PlayerSlot* man, int32_t d)
{
    const int32_t f = man->primary_position & 0xFFFF;
    if (root_moves(man)) apply_root_motion(man, f + d >= FRAME_ONE ? FRAME_ONE - f : d);
    if (f + d < FRAME_ONE) {
        man->primary_position += d;
        return;
    }
    man->primary_position &= ~0xFFFF;
    if (!(man->animation_flags & ANIM_HOLD) && !man->secondary_data) {
        const uint32_t e = man->primary_animation >= 1 && man->primary_animation <= 4 &&
                                   man == match_globals.ball_holder
                               ? man->primary_animation + 5
                               : man->primary_animation;
        fire_frame_event(man, e, man->primary_position >> 16);
    }
    man->primary_position += FRAME_ONE;
    if (anim_position_time(man->primary_position) < anim_length(man->primary_animation)) {
        man->primary_position += f + d - FRAME_ONE;
        if (root_moves(man)) apply_root_motion(man, man->primary_position & 0xFFFF);
        return;
    }
    if (man->animation_flags & ANIM_HOLD) return;
    const int32_t last = anim_last_frame(man->primary_animation);
    if (man->primary_animation != man->follow_on_primary) {
        man->primary_position = static_cast<int32_t>(static_cast<uint32_t>(last) << 16);
    } else if (in(man->follow_on_primary, ANIM_INJURY1, ANIM_INJURY3)) {
        if (--man->injury_repeats == 0) {
            man->follow_on_primary = ANIM_GETUP_FACEUP;
            man->primary_position = static_cast<int32_t>(static_cast<uint32_t>(last) << 16);
        } else {
            man->primary_position = 0;
        }
    } else {
        man->primary_position = 0;
    }
    play_man_animation(man, man->follow_on_primary, 0, 1.0);
}

void step_secondary_animation(PlayerSlot* man, int32_t d)
{
    const int32_t f = man->secondary_position & 0xFFFF;
    if (f + d < FRAME_ONE) {
        man->secondary_position += d;
        return;
    }
    man->secondary_position &= ~0xFFFF;
    fire_frame_event(man, man->secondary_animation, man->secondary_position >> 16);
    man->secondary_position += FRAME_ONE;
    if (anim_position_time(man->secondary_position) < anim_length(man->secondary_animation)) {
        man->secondary_position += f + d - FRAME_ONE;
        return;
    }
    const uint32_t g = man->follow_on_secondary;
    man->secondary_animation = 0;
    if (g == 0) {
        man->secondary_data = nullptr;
        man->secondary_position = 0;
        return;
    }
    start_secondary(man, g, SECONDARY_BASE_RATE);
    set_anim_slot(&man->model, static_cast<int32_t>(g), 0, SLOT_SET_BLEND);
}

void apply_root_motion(PlayerSlot* man, int32_t d)
{
    FigurePose& m = man->model;
    m.x = man->x * 256 + man->x_frac / 256;
    m.height = man->z * 256 + man->z_frac / 256;
    m.y = man->y * 256 + man->y_frac / 256;
    m.heading = -(man->facing * 64);
    m.primary.animation = static_cast<int32_t>(man->primary_animation);
    const uint32_t t0 = anim_position_time(man->primary_position & ~0xFFFF);
    const uint32_t t1 = t0 + static_cast<uint32_t>(std::llrint(d * (50000.0 / 65536.0)));
    advance_root_motion(&m, t0, t1);
    const uint32_t x = static_cast<uint32_t>(m.x) << 8;
    const uint32_t y = static_cast<uint32_t>(m.y) << 8;
    man->x = static_cast<int16_t>(x >> 16);
    man->x_frac = static_cast<uint16_t>(x);
    man->y = static_cast<int16_t>(y >> 16);
    man->y_frac = static_cast<uint16_t>(y);
}

void update_holding_tackle(PlayerSlot* man)
{
    if (man->tackle_state != 1) return;
    PlayerSlot* partner = man->tackle_partner;
    auto start = [&](uint32_t a, int32_t rate) {
        if (man->secondary_animation != a) start_secondary(man, a, rate);
        refresh_blend_slot(man);
    };
    if (!partner) {
        if (man->secondary_data && man->secondary_animation != ANIM_HOLD_TACKLE) return;
        start(ANIM_END_TACKLE, 32769);
        man->tackle_animation = ANIM_END_TACKLE;
        man->tackle_state = 0;
        return;
    }
    if (!man->secondary_data) {
        if (man->tackle_animation == ANIM_DO_TACKLE) {
            start(ANIM_HOLD_TACKLE, 43692);
            man->tackle_animation = ANIM_HOLD_TACKLE;
        } else if (man->tackle_animation == ANIM_HOLD_TACKLE || man->tackle_animation == ANIM_DO_FAIL_TACKLE) {
            start(ANIM_END_TACKLE, 32769);
            man->tackle_animation = ANIM_END_TACKLE;
            man->tackle_state = 0;
        }
    }
    const uint16_t t = man->tackle_animation;
    if (t != ANIM_DO_TACKLE && t != ANIM_HOLD_TACKLE && t != ANIM_DO_FAIL_TACKLE) return;
    if (partner->speed != 0) {
        const int32_t diff = static_cast<int16_t>(static_cast<uint16_t>(partner->facing - man->facing));
        // The shorter way round, an eighth of the gap a tick, 1 to 10.
        int32_t mag = 0, dir = 0;
        if (diff >= 1 && diff <= 128) mag = diff / 8, dir = 1;
        else if (diff > 128) mag = (256 - diff) / 8, dir = -1;
        else if (diff >= -128 && diff <= -1) mag = -diff / 8, dir = -1;
        else if (diff < -128) mag = (diff + 256) / 8, dir = 1;
        if (dir != 0) {
            mag = mag < 1 ? 1 : (mag > 10 ? 10 : mag);
            man->facing = static_cast<uint8_t>((man->facing + dir * mag) & 255);
            man->wanted_facing = man->facing;
        }
    }
    int32_t c[3];
    rotate_offset_by_facing(c, OffsetPoint{0, 0, 65, man->animation_flags}, man->facing);
    man->x = static_cast<int16_t>(partner->x - c[0]);
    man->y = static_cast<int16_t>(partner->y - c[2]);
}
