#include "players/kicks.h"

#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "model/anim_table.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/man_display.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/match_setup.h"
#include "players/contest_groups.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/team_ai.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t LONG_KICK = 10240;
constexpr int32_t SHORT_KICK = 4608;
constexpr int32_t TACKLE_REACH = 385;
constexpr int32_t PENDING_KICK_EVENT = 10;

void count_man(PlayerSlot* man, ManStat s)
{
    uint8_t& b = man->match_stats[s];
    if (b < 255) ++b;
}

void remember_disposal(const PlayerSlot* a)
{
    DisposalRecord& d = match_globals.disposal;
    d.heading = static_cast<uint8_t>(a->move_heading);
    d.target_man = a->target_man;
    d.target_x = a->target_x;
    d.target_y = a->target_y;
    // Without a receiver a handball goes the way the target point points.
    d.dx = a->target_x;
    d.dy = a->target_y;
    d.argument = a->action_arg;
}

void set_pending_commentary(int32_t event, const PlayerSlot* a, const PlayerSlot* b, int32_t priority)
{
    presentation::set_pending_commentary(event, a->team_index, a->number, b ? b->team_index : -1,
                                         b ? b->number : -1, priority);
}

void commentate(int32_t event, const PlayerSlot* a, const PlayerSlot* b)
{
    presentation::commentate(event, a->team_index, a->number, b->team_index, b->number, 3);
}

void set_headings(PlayerSlot* man, int32_t d)
{
    man->wanted_facing = static_cast<int16_t>(d & 255);
    man->move_heading = static_cast<uint16_t>(d & 255);
}

void set_busy(PlayerSlot* man) { man->man_flags |= MAN_BUSY; }

} // namespace

int32_t kick_commentary_kind(const PlayerSlot* a, int32_t distance, int32_t tx, int32_t ty)
{
    if (distance > LONG_KICK) return 1;
    if (distance < 3840) return 2;
    const int32_t dx = tx - a->x, dy = ty - a->y;
    if (int_abs(dx) < int_abs(dy)) {
        if (int_abs(a->y) < int_abs(ty)) return 4;
        if (int_abs(a->y) > int_abs(ty)) return 9;
    }
    if ((dx > 0 && a->side == 2) || (dx < 0 && a->side == 1)) return 7;
    if ((dx < 0 && a->side == 2) || (dx > 0 && a->side == 1)) return 9;
    return 0;
}

int32_t choose_kick_animation(PlayerSlot* a, int32_t d, int32_t distance)
{
    const int32_t diff = angle_diff(a->facing, d);
    const int32_t t = int_abs(diff);
    if (a->speed < 18) {
        set_headings(a, d);
        set_man_velocity_fixed(a, 0, 0);
        set_man_speed_fixed(a, 0);
        set_man_step_fixed(a, 0, 0);
        return ANIM_STATIC_KICK;
    }
    if (t < 20 && distance < 7680) {
        set_headings(a, d);
        return ANIM_RUNNING_KICK;
    }
    if (t < 41) {
        if (diff >= 0) {
            set_headings(a, d + 20);
            return ANIM_RUNNING_KICK_LEFT;
        }
        set_headings(a, d - 20);
        return ANIM_RUNNING_KICK_RIGHT;
    }
    set_man_velocity_fixed(a, 0, 0);
    return ANIM_STATIC_KICK;
}

void start_kick(PlayerSlot* a)
{
    MatchGlobals& m = match_globals;
    remember_disposal(a);
    m.disposal.extra = 0;
    m.current_kicker = a;
    if (a->target_man) {
        a->target_x = a->target_man->x;
        a->target_y = a->target_man->y;
    }
    const int32_t d = vector_angle(a->target_x - a->x, a->target_y - a->y);
    if (a->turning) a->facing = anim_facing_offset(a);
    // Measured for every kick: the animation choice needs it too.
    const int32_t distance = vector_length(a->target_x - a->x, a->target_y - a->y);
    int32_t anim;
    if (a->action == 43) {
        const bool played_on =
            m.match_state == 42 &&
            int_abs(angle_diff(vector_angle(m.ball_spot_x - a->x, m.ball_spot_y - a->y),
                               vector_angle(m.disposal.target_x - a->x, m.disposal.target_y - a->y))) > 32 &&
            vector_length(a->x - a->mark_spot_x, a->y - a->mark_spot_y) > 384;
        if (played_on) {
            m.play_on = 1;
            m.set_shot = 0;
            PlayerSlot* b = m.controlled_man_b;
            if (b && b->secondary_animation) {
                set_man_animation(b, ANIM_FINISH_MARK_SPOIL, 0, 6.0);
                b->action = 0;
            }
        } else {
            m.set_shot = 1;
        }
        set_headings(a, d);
        set_man_velocity_fixed(a, 0, 0);
        anim = ANIM_KICKSET;
    } else {
        if (presentation::pending_commentary_event() != PENDING_KICK_EVENT) {
            if (a->team) ++a->team->kicks_attempted;
            count_man(a, MAN_STAT_KICKS);
            PlayerSlot* target = a->target_man;
            if (!target) {
                count_man(a, MAN_STAT_CLEARANCES);
            } else {
                if (a->team) ++a->team->aimed_kicks;
                if (distance > LONG_KICK) count_man(a, MAN_STAT_LONG_KICKS);
                if (distance < SHORT_KICK) count_man(a, MAN_STAT_SHORT_KICKS);
                if (game_random() & 1) {
                    const int32_t kind = kick_commentary_kind(a, distance, a->target_x, a->target_y);
                    if (kind) set_pending_commentary(kind, a, target, 1);
                }
            }
        }
        anim = choose_kick_animation(a, d, distance);
    }
    play_man_animation(a, anim, 0, 1.0);
    a->man_flags |= MAN_BUSY | MAN_KICKING;
    a->action = 0;
}

namespace {

struct HandballCandidate {
    int32_t offset;
    int32_t still, running;
};
constexpr HandballCandidate handball_candidates[3] = {{0, 11, 16}, {-64, 12, 17}, {64, 13, 18}};

int32_t hand_flag(int32_t anim) { return anim == ANIM_STATIC_HANDBALL_RIGHT || anim == ANIM_RUN_HANDBALL_LEFT ? 1 : 0; }

int32_t release_ticks(int32_t anim)
{
    const double r = animation_table[anim].release_frame * 3.1 * 2.0 / 3.0;
    return static_cast<int32_t>(std::nearbyint(r));
}

int32_t advance16(int32_t v, int32_t ticks) { return static_cast<int32_t>((static_cast<int64_t>(v) * ticks) >> 16); }

int32_t fixed_velocity(int16_t whole, uint16_t frac)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(whole)) << 16 | frac);
}

struct HandballChoice {
    int32_t animation;
    int32_t path; // the ball's time from release to the receiver
};

// The handball that sends the ball nearest the receiver's lead: each of
// forward, left and right is timed to its release and the receiver carried on
// at his running speed; without a receiver, the target point's coordinates
// taken as a direction.
HandballChoice choose_handball(PlayerSlot* a, PlayerSlot* r)
{
    const bool still = a->speed < 2;
    const auto candidate = [still](int i) { return still ? handball_candidates[i].still : handball_candidates[i].running; };
    HandballChoice best{candidate(0), 0};
    int32_t best_err = INT32_MAX;
    if (!r) {
        const int32_t aim = vector_angle(a->target_x, a->target_y);
        for (int i = 0; i < 3; ++i) {
            const int32_t err = int_abs(angle_diff(a->facing + handball_candidates[i].offset, aim));
            if (err < best_err) {
                best_err = err;
                best.animation = candidate(i);
            }
        }
        return best;
    }
    const int32_t rs = is_standing_anim(r) ? 0 : man_speed_fixed(r);
    const int32_t rvx = fixed_sin(r->facing, rs), rvy = fixed_cos(r->facing, rs);
    const int32_t avx = fixed_velocity(a->velocity_x, a->velocity_x_frac);
    const int32_t avy = fixed_velocity(a->velocity_y, a->velocity_y_frac);
    for (int i = 0; i < 3; ++i) {
        const int32_t anim = candidate(i);
        const int32_t rel = release_ticks(anim);
        const int32_t path = pass_flight_time(a, r, anim, hand_flag(anim), rel, 0);
        const int32_t flight = rel + path;
        const int32_t lx = r->x + advance16(rvx, flight) - (a->x + advance16(avx, rel));
        const int32_t ly = r->y + advance16(rvy, flight) - (a->y + advance16(avy, rel));
        const int32_t err = int_abs(angle_diff(a->facing + handball_candidates[i].offset, vector_angle(lx, ly)));
        if (err < best_err) {
            best_err = err;
            best = {anim, path};
        }
    }
    return best;
}

void stop_turn_for_pass(PlayerSlot* r)
{
    const uint32_t a = r->primary_animation;
    if (a >= ANIM_RUNNING_TURN_LEFT_45 && a <= ANIM_RUNNING_TURN_180) {
        play_man_animation(r, ANIM_RUN, 0, 1.0);
        set_man_speed_fixed(r, 22 * 65536);
    } else if (a >= ANIM_STANDING_TURN_LEFT_90 && a <= ANIM_STANDING_TURN_180) {
        play_man_animation(r, ANIM_STAND, 0, 1.0);
        set_man_speed_fixed(r, 0);
    }
    r->turning = 0;
}

} // namespace

int32_t chase_target(PlayerSlot* man) { return choose_handball(man, man->target_man).animation; }

int32_t handball_release_ticks(int32_t animation) { return release_ticks(animation); }

void start_handball(PlayerSlot* a)
{
    MatchGlobals& m = match_globals;
    if (a->man_flags & 0x0604) {
        a->action = 0;
        return;
    }
    remember_disposal(a);
    if (a->team) ++a->team->handballs_attempted;
    count_man(a, MAN_STAT_HANDBALLS);
    PlayerSlot* r = a->target_man;
    if (r) {
        if (a->team) ++a->team->handballs_completed;
        count_man(a, MAN_STAT_HANDBALLS_AIMED);
        r->effort = 120;
        update_motion_limits(r);
        r->action = ACT_RECEIVE_HANDBALL;
        r->support_mode = 1;
        if (r->speed != 0) {
            if (r->turning) stop_turn_for_pass(r);
            r->target_x = clamp16(r->x + fixed_sin(r->facing, 7680));
            r->target_y = clamp16(r->y + fixed_cos(r->facing, 7680));
        } else {
            r->target_x = r->x;
            r->target_y = r->y;
            r->wanted_facing = r->facing;
        }
    } else {
        set_pending_commentary(22, a, nullptr, 2);
    }

    a->man_flags &= static_cast<uint16_t>(~0x1000);
    a->action = 0;
    const int32_t base = holds_ball(a) ? ANIM_STAND_WITHBALL : ANIM_STAND;
    if (is_walking_backwards(a))
        play_man_animation(a, ANIM_STAND, 0, 1.0);
    else if (a->primary_animation == ANIM_BOUNCE_BALL || a->turning)
        play_man_animation(a, base + locomotion_anim_by_speed(a), 0, 1.0);
    a->turning = 0;

    if (r) {
        const int32_t rs = is_standing_anim(r) ? 0 : man_speed_fixed(r);
        set_man_velocity_fixed(r, fixed_sin(r->facing, rs), fixed_cos(r->facing, rs));
    }
    const HandballChoice choice = choose_handball(a, r);
    if (r) m.handball_path_ticks = choice.path;
    const int32_t anim = choice.animation;
    play_man_animation(a, anim, anim == ANIM_RUN_HANDBALL_FORWARD ? 3 : 0, 1.0);
    a->man_flags |= MAN_BUSY | MAN_HANDBALLING;
    m.handballer = a;
    m.receiver = r;
}

int32_t tackle_score(PlayerSlot* a, PlayerSlot* t, int32_t d)
{
    const auto P = [a](int n) { return profile_word(a, n); };
    const auto Q = [t](int n) { return profile_word(t, n); };
    int32_t score = holds_ball(a) ? P(19) + ((768 - d) >> 4) : P(19) + ((384 - d) >> 7);
    score += P(21) + P(23) - ((Q(17) - 128) >> 1) - Q(21) - Q(23);
    score += 16 - static_cast<int32_t>(game_random() & 32);
    score = static_cast<int16_t>(score);
    if (a->team && a->team->human_count && !holds_ball(a)) {
        score = static_cast<int16_t>(score - (score >> 2));
        if (match_globals.tackle_rule == 0) score = static_cast<int16_t>(score - (score >> 1));
    }
    if (t->speed_burst && t->effort > 55) score = static_cast<int16_t>(score - (std::min(t->effort - 55, 42496) >> 9));
    if (!holds_ball(t)) score = static_cast<int16_t>(score * 8);
    if (t->speed == 0) score = static_cast<int16_t>(score + static_cast<int32_t>(game_random() & 63) + 100);
    return score;
}

void act_tackle(PlayerSlot* a)
{
    PlayerSlot* t = a->target_man;
    if (holds_ball(a) || a->primary_animation == ANIM_RUNNING_FORWARDS_BUMP || a->primary_animation == 375 ||
        (a->man_flags & 0x0580) || !t || (t->man_flags & (MAN_BUSY | MAN_OUT_OF_PLAY | MAN_CONTEST_A | 0x0400)))
        return;
    const int32_t d = approx_vector_length(t->x - a->x, t->y - a->y);
    const int32_t ang = vector_angle(t->x - a->x, t->y - a->y);
    a->wanted_facing = static_cast<int16_t>(ang);
    const int32_t turn = int_abs(angle_diff(a->facing, ang));
    const int32_t score = tackle_score(a, t, d);
    for (int g = 0; g < CONTEST_GROUPS; ++g) {
        PlayerSlot* first = contest_group_record(g).men[0];
        if (first == a)
            contest_group_ticks[g] = 0;
        else if (first && first->team == a->team && !a->contest_group)
            contest_group_ticks[g] = static_cast<uint8_t>((contest_group_ticks[g] + 1) % 30);
    }
    if (d < TACKLE_REACH && turn < 120) {
        decide_tackle_outcome(a, holds_ball(a) ? score + 40 : score);
        return;
    }
    a->move_heading = static_cast<uint16_t>(ang);
    a->target_x = t->x;
    a->target_y = t->y;
    // Keeps closing on where the man is now, not where he was.
    set_target_offset(a);
    if (a->move_dx || a->move_dy) set_headings(a, vector_angle(a->move_dx, a->move_dy));
}

void decide_tackle_outcome(PlayerSlot* a, int32_t score)
{
    PlayerSlot* t = a->target_man;
    if (!t || (ball_state.flags & 0x0C) || (t->man_flags2 & MAN2_TACKLED)) return;
    if (!holds_ball(t)) {
        play_tackle_outcome(a, t, 1, TACKLE_NO_BALL);
        return;
    }
    const int32_t ang = vector_angle(t->x - a->x, t->y - a->y);
    a->facing = static_cast<uint8_t>(ang);
    a->wanted_facing = static_cast<int16_t>(ang);
    if (t->man_flags & MAN_HANDBALLING) {
        play_tackle_outcome(a, t, 1, TACKLE_HANDBALL);
        return;
    }
    if (t->man_flags & MAN_KICKING) {
        const int32_t s = angle_diff(t->facing, ang) / 3;
        match_globals.disposal.extra = static_cast<int16_t>(s);
        t->wanted_facing = static_cast<int16_t>((t->wanted_facing + s) & 255);
        play_tackle_outcome(a, t, 1, TACKLE_MISS);
        return;
    }
    if (score > 240 && a->team && a->team->interchanges_used < men_in_use() - 1) {
        if (static_cast<int32_t>(game_random() & 255) - 80 > profile_word(t, 17)) {
            play_tackle_outcome(a, t, 0, TACKLE_KEEP);
            return;
        }
        if (a->pairing_value > 50 && game_random() % 3 == 0 && t->team && t->team->injury_count < 2)
            pair_value_by_number(t, a, 7);
        play_tackle_outcome(a, t, 0, TACKLE_RELEASE);
        return;
    }
    play_tackle_outcome(a, t, 1, score > 100 ? TACKLE_KEEP : TACKLE_MISS);
}

namespace {

struct TackleRow {
    int32_t victim; // -1: he plays nothing
    int32_t tackler;
};
constexpr TackleRow tackle_rows[6] = {
    {ANIM_TACKLED_STAND_NO_BALL, ANIM_DO_TACKLE},      {ANIM_TACKLED_STAND_RELEASE_BALL, ANIM_DO_TACKLE},
    {ANIM_TACKLED_STAND_KEEP_BALL, ANIM_DO_TACKLE},    {-1, ANIM_TACKLE_NO_CALLBACK},
    {ANIM_TACKLED_GROUND_INJURED, ANIM_TACKLE_STAND}, {-1, ANIM_DO_TACKLE},
};

} // namespace

void play_tackle_outcome(PlayerSlot* a, PlayerSlot* t, int32_t held, int32_t kind)
{
    if (kind < 0 || kind > 5) return;
    const TackleRow& row = tackle_rows[kind];
    if (row.victim >= 0) {
        play_man_animation(t, row.victim, 0, 1.0);
        set_busy(t);
        t->man_flags &= static_cast<uint16_t>(~MAN_OUT_OF_PLAY);
        t->path_speed = 0;
        set_man_speed_fixed(t, 0);
        t->action = 0;
        if (held) t->man_flags2 |= MAN2_HELD_TACKLED;
        if (a->team) ++a->team->tackles;
        count_man(a, MAN_STAT_TACKLES);
    }
    switch (kind) {
    case TACKLE_NO_BALL:
        commentate(45, a, t);
        pair_value_by_number(a, t, 7);
        break;
    case TACKLE_RELEASE:
        deflect_ball_random(t, a);
        a->man_flags2 |= MAN2_TACKLED;
        t->man_flags2 |= MAN2_TACKLED;
        if (!(speed_share(a) < 21 && speed_share(t) < 21)) commentate(80, a, t);
        break;
    case TACKLE_INJURE:
        t->man_flags2 |= MAN2_INJURED;
        deflect_ball_random(t, a);
        break;
    default:
        break;
    }
    if (kind == TACKLE_MISS) {
        play_man_animation(a, row.tackler, 0, 1.0);
    } else {
        set_man_speed_fixed(a, man_speed_fixed(t));
        pick_locomotion_for_speed(a);
        set_man_animation(a, row.tackler, 0, 1.5);
        a->tackle_animation = static_cast<uint16_t>(row.tackler);
        a->tackle_state = 1;
        a->tackle_partner = t;
        t->man_flags2 |= MAN2_TACKLED;
    }
    a->turning = 0;
    if (t->turning) {
        const uint8_t f = anim_facing_offset(t);
        t->facing = f;
        t->wanted_facing = f;
        t->turning = 0;
    }
    set_busy(a);
    a->action = 0;
    t->man_flags &= static_cast<uint16_t>(~MAN_OUT_OF_PLAY);
    if (game_random() & 8) presentation::play_effect(static_cast<int32_t>(game_random() & 7) + 1, 0, 105);
}
