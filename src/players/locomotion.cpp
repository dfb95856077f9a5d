#include "players/locomotion.h"

#include "match/game_maths.h"
#include "match/ground.h"
#include "model/anim_table.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "model/skeleton.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/man_display.h"

#include <algorithm>
#include <cmath>

namespace {

struct CycleOffset {
    int32_t animation;
    int32_t offset;
};
constexpr CycleOffset cycle_offsets[] = {
    {1, 349000}, {2, 283000}, {3, 310000}, {4, 370000}, {6, 890000}, {7, 410000}, {8, 340000}, {9, 420000},
};

// Circles a player's heading is bent round; x = -32768 marks an empty entry,
// and every entry is empty.
struct Obstacle {
    int16_t x, y, radius;
};
constexpr Obstacle obstacles[4] = {{-32768, 0, 0}, {-32768, 0, 0}, {-32768, 0, 0}, {-32768, 0, 0}};

int32_t avoid_obstacles(int32_t w)
{
    for (const Obstacle& o : obstacles)
        if (o.x != -32768) return w;
    return w;
}

bool is_turn(uint32_t a) { return a >= ANIM_STANDING_TURN_LEFT_90 && a <= ANIM_RUNNING_TURN_180; }

bool keeps_own_gait(uint32_t a)
{
    switch (a) {
    case ANIM_WALK_BACKWARDS_NB:
    case ANIM_WALK_BACKWARDS_WB:
    case ANIM_BACKSTEP:
    case 145: // SIDESTEP_LEFT
    case 146: // SIDESTEP_RIGHT
    case ANIM_QUICKSTEP_LEFT:
    case ANIM_QUICKSTEP_RIGHT:
    case ANIM_BOUNCE_BALL:
        return true;
    default:
        return false;
    }
}

int32_t band_of_share(double s)
{
    if (s >= 70) return 4;
    if (s >= 50) return 3;
    if (s >= 25) return 2;
    if (s >= 1) return 1;
    return 0;
}

// The turn his current animation has made so far, in 8-bit angle units.
int32_t turn_so_far(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    if (a >= ANIM_ROW_COUNT || !animation_table[a].data) return 0;
    return anim_turn_at(static_cast<int>(a), man->primary_position >> 16) * 256 / 16384;
}

// Starts a turning animation when the wanted turn is large enough; true
// when one started.
bool start_turn(PlayerSlot* man, int32_t d)
{
    const int32_t ad = int_abs(d);
    const int32_t dist = man->target_distance;
    int32_t anim = -1;
    if (man->speed >= 23) {
        if (ad > 24 && ad < 40 && dist >= 1281)
            anim = d >= 0 ? ANIM_RUNNING_TURN_RIGHT_45 : ANIM_RUNNING_TURN_LEFT_45;
        else if (ad > 56 && ad < 72 && dist >= 769)
            anim = d >= 0 ? ANIM_RUNNING_TURN_RIGHT_90 : ANIM_RUNNING_TURN_LEFT_90;
        else if (ad >= 105 && dist >= 2560)
            anim = ANIM_RUNNING_TURN_180;
    } else if (man->speed == 0) {
        if (ad > 56 && ad < 72)
            anim = d >= 0 ? ANIM_STANDING_TURN_RIGHT_90 : ANIM_STANDING_TURN_LEFT_90;
        else if (ad >= 113)
            anim = ANIM_STANDING_TURN_180;
    }
    if (anim < 0) return false;
    play_man_animation(man, anim, 0, 1.0);
    man->turning = 1;
    return true;
}

void turning_step(PlayerSlot* man)
{
    if (man->man_flags & (MAN_CONTEST_A | MAN_OUT_OF_PLAY)) return;
    int32_t w = man->wanted_facing;
    if (!is_umpire(man)) w = avoid_obstacles(w);
    int32_t d = angle_diff(w, man->facing);
    const uint32_t a = man->primary_animation;
    if (man->secondary_animation == 0 && !holds_ball(man) && !man->turning && !(man->man_flags & MAN_BUSY) &&
        a != ANIM_WALK_BACKWARDS_NB && a != ANIM_WALK_BACKWARDS_WB && a != ANIM_BACKSTEP) {
        if (start_turn(man, d)) return;
    }
    if (man->turning) {
        const int32_t ad = int_abs(d);
        if ((a == ANIM_STANDING_TURN_180 || a == ANIM_RUNNING_TURN_180) && ad >= 96) return;
        if ((a == ANIM_STANDING_TURN_LEFT_90 || a == ANIM_STANDING_TURN_RIGHT_90 || a == ANIM_RUNNING_TURN_LEFT_90 ||
             a == ANIM_RUNNING_TURN_RIGHT_90) &&
            ad >= 56)
            return;
        if (a == ANIM_RUNNING_TURN_LEFT_45 || a == ANIM_RUNNING_TURN_RIGHT_45) return; // until their end
        man->facing = static_cast<uint8_t>(man->facing + (is_turn(a) ? turn_so_far(man) : 0));
        man->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
        man->turning = 0;
        d = angle_diff(w, man->facing);
    }
    if (d == 0) return;
    int32_t limit = 7;
    if (!man->arrived && man->target_distance < 1280) limit += (1280 - man->target_distance) / 128;
    if (holds_ball(man)) limit *= 2;
    d = std::clamp(d, -limit, limit);
    man->facing = static_cast<uint8_t>((man->facing + d) & 255);
}

void start_if_not_playing(PlayerSlot* man, int32_t anim)
{
    if (man->primary_animation == static_cast<uint32_t>(anim)) return;
    play_man_animation(man, anim, 0, 1.0);
}

void start_moving_anim(PlayerSlot* man, int32_t anim)
{
    if ((man->animation_flags & ANIM_KEEP) || man->primary_animation == static_cast<uint32_t>(anim)) return;
    const int32_t p = locomotion_phase_match(man, anim);
    play_man_animation(man, anim, 0, 1.0);
    man->primary_position = p;
}

void choose_locomotion(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    const int32_t base = holds_ball(man) || man == m.ball_contact_man ? ANIM_STAND_WITHBALL : ANIM_STAND;
    if (holds_ball(man) && !is_umpire(man)) {
        m.holder_speed_total += static_cast<uint32_t>(std::max<int16_t>(man->speed, 0));
        m.holder_distance_total += static_cast<uint32_t>(approx_vector_length(man->path_dx, man->path_dy));
    }
    const int32_t band = band_of_share(speed_share(man));
    if (band == 0)
        start_if_not_playing(man, base);
    else
        start_moving_anim(man, base + band);
}

// Every man further than 512 from his target is put 256 from it, on the
// line towards where he stands.
void close_in_during_cut(PlayerSlot* man)
{
    const int32_t dx = man->x - man->target_x, dy = man->y - man->target_y;
    const int32_t d = vector_length(dx, dy);
    if (d <= 512) return;
    man->x = clamp16(man->target_x + static_cast<int32_t>(static_cast<int64_t>(dx) * 256 / d));
    man->y = clamp16(man->target_y + static_cast<int32_t>(static_cast<int64_t>(dy) * 256 / d));
}

} // namespace

int32_t animation_length(int32_t animation)
{
    if (animation < 0 || animation >= ANIM_ROW_COUNT || !animation_table[animation].data) return 0;
    return static_cast<int32_t>(paf_length(animation_table[animation].data));
}

int32_t cycle_offset(int32_t animation)
{
    for (const CycleOffset& c : cycle_offsets)
        if (c.animation == animation) return c.offset;
    return 0;
}

double speed_share(const PlayerSlot* man)
{
    if (man->top_speed == 0) return 0;
    return static_cast<double>(man->speed) / man->top_speed * 100.0;
}

int32_t locomotion_anim_by_speed(const PlayerSlot* man) { return band_of_share(speed_share(man)); }

int32_t locomotion_phase_match(PlayerSlot* man, int32_t animation)
{
    const auto current = static_cast<int32_t>(man->primary_animation);
    const int32_t l_old = animation_length(current), l_new = animation_length(animation);
    const int32_t o_old = cycle_offset(current);
    double phase = 0.5;
    if (o_old != 0 && l_old != 0) {
        // llrint rounds as nearbyint does, in one instruction rather than a call.
        const auto t = static_cast<double>(std::llrint(static_cast<double>(man->primary_position) * 50000.0 / 65536.0));
        phase = (t - o_old) / l_old + 0.05;
    }
    int64_t t = cycle_offset(animation) + static_cast<int64_t>(std::llrint(l_new * phase));
    if (t < 0) t += l_new;
    if (t > l_new) t -= l_new;
    return static_cast<int32_t>(t / 50000) * 65536;
}

void locomotion_anim_for_speed(PlayerSlot* man, int32_t animation)
{
    const double s = speed_share(man);
    int32_t floor = -1;
    switch (animation) {
    case ANIM_WALK:
    case ANIM_WALK + 5:
        if (s < 1) floor = 8;
        break;
    case ANIM_JOG:
    case ANIM_JOG + 5:
        if (s < 25) floor = 18;
        break;
    case ANIM_RUN:
    case ANIM_RUN + 5:
        if (s < 50) floor = 25;
        break;
    case ANIM_SPRINT:
    case ANIM_SPRINT + 5:
        if (s < 70) floor = 25;
        break;
    case ANIM_WALK_BACKWARDS:
        floor = 0;
        break;
    default:
        break;
    }
    if (floor >= 0) set_man_speed_fixed(man, floor * 65536);
}

void start_locomotion_anim(PlayerSlot* man, int32_t animation)
{
    if (locomotion_anim_by_speed(man) == 0)
        start_if_not_playing(man, animation);
    else
        start_moving_anim(man, animation);
}

void pick_locomotion_anim(PlayerSlot* man, const int32_t list[5])
{
    const int32_t band = locomotion_anim_by_speed(man);
    if (band == 0)
        start_if_not_playing(man, list[0]);
    else
        start_moving_anim(man, list[band]);
}

void pick_locomotion_for_speed(PlayerSlot* man) { choose_locomotion(man); }

int32_t skill_value(const PlayerSlot* man, int32_t v, int32_t kind)
{
    if (is_umpire(man)) return v;
    const TeamRecord* team = man->team;
    if (team && team->human_count == 0 && team->other_team && team->other_team->human_count > 0) {
        const float scale = static_cast<float>(80 + match_globals.difficulty / 2) / 100.0f;
        v = static_cast<int32_t>(std::nearbyint(static_cast<float>(v) * scale));
    }
    const int8_t* r = man->skills;
    int32_t rating;
    switch (kind) {
    case 0: case 1: case 2: case 3: case 9: rating = (r[3] + r[4]) / 2; break;
    case 4: case 5: rating = (r[2] + 2 * r[6] + r[5]) / 4; break;
    case 6: rating = (r[1] + r[6] + r[5] + r[2]) / 4; break;
    case 7: rating = (r[1] + r[5] + r[4] + r[3] + r[2]) / 5; break;
    case 8: case 11: case 12: rating = (r[1] + r[5] + r[2]) / 3; break;
    case 10: rating = (r[0] + r[7]) / 2; break;
    default: rating = 0; break;
    }
    rating = std::clamp(rating, 0, 255);
    return static_cast<int32_t>(static_cast<int64_t>(v) * (255 - rating) / 255);
}

void update_man_locomotion(PlayerSlot* man)
{
    const bool had_contest_bit = (man->man_flags & MAN_IN_BOTH_GRIDS) != 0;
    update_stamina(man);
    turning_step(man);
    if (man->turning || man->action == 9) return;
    if (!had_contest_bit) {
        update_man_speed(man);
        if (match_globals.pending_cut_state != -1 && !match_globals.closing_transition_running) close_in_during_cut(man);
    }
    if (keeps_own_gait(man->primary_animation) || (man->man_flags & MAN_BUSY)) return;
    choose_locomotion(man);
}

void update_locomotion_all()
{
    MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i)
        if (!m.active_men[i]->arrived) m.active_men[i]->blocked = 0;
    for (TeamRecord& team : team_records) {
        for (int i = 0; i < m.active_men_count; ++i) {
            PlayerSlot* man = m.active_men[i];
            if (man->team != &team) continue;
            if (!(m.controlled_man_b && m.match_state != 1) &&
                (man->secondary_animation == ANIM_START_MARK_SPOIL || man->secondary_animation == ANIM_HOLD_MARK_SPOIL))
                set_man_animation(man, ANIM_FINISH_MARK_SPOIL, 0, 4.0);
            update_man_locomotion(man);
            advance_man_animation(man);
            if (!man->busy_flag) {
                decide_bump(man);
                update_holding_tackle(man);
            }
            if (m.match_state == 3 && (man == m.fight_pair[0] || man == m.fight_pair[1]) && !in_field(man->x, man->y))
                clamp_to_field(&man->x, &man->y);
        }
    }
}

void update_umpire_locomotion()
{
    for (PlayerSlot& official : official_slots) {
        update_man_locomotion(&official);
        advance_man_animation(&official);
    }
}
