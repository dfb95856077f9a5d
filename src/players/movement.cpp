#include "players/movement.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/man_display.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/match_setup.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t ONE = 65536;

int32_t fixed_of(int16_t whole, uint16_t frac)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(whole)) << 16 | frac);
}

// Effort caps by turn band (16 angle units a band); the stand-alone form has
// a tenth band.
constexpr int32_t turn_caps[10] = {100, 70, 55, 55, 35, 35, 35, 25, 10, 10};

constexpr int32_t FULL_EFFORT_DISTANCE = 1536;
constexpr int32_t NEAR_TARGET = 1537;
constexpr int32_t MELEE_TOP_SPEED = 18;
constexpr int32_t CUT_EFFORT = 400;
// A standing man this near a runner's target stands on it: the runner could
// not reach it past him (bodies keep 169 apart) however he came round.
constexpr int32_t ON_TARGET = 224;
// Two men this near are touching.
constexpr int32_t BODY_CONTACT = 256;

bool in_state(uint8_t s, std::initializer_list<uint8_t> states)
{
    return std::find(states.begin(), states.end(), s) != states.end();
}

int32_t turn_band(int32_t a, int32_t b)
{
    int32_t t = int_abs(angle_diff(a, b)); // folded: 0..128
    return t / 16;
}

} // namespace

int32_t man_speed_fixed(const PlayerSlot* man) { return fixed_of(man->speed, man->speed_frac); }

void set_man_speed_fixed(PlayerSlot* man, int32_t speed)
{
    man->speed = static_cast<int16_t>(speed >> 16);
    man->speed_frac = static_cast<uint16_t>(speed & 0xFFFF);
}

void set_man_velocity_fixed(PlayerSlot* man, int32_t vx, int32_t vy)
{
    man->velocity_x = static_cast<int16_t>(vx >> 16);
    man->velocity_x_frac = static_cast<uint16_t>(vx & 0xFFFF);
    man->velocity_y = static_cast<int16_t>(vy >> 16);
    man->velocity_y_frac = static_cast<uint16_t>(vy & 0xFFFF);
}

void set_man_step_fixed(PlayerSlot* man, int32_t sx, int32_t sy)
{
    man->path_dx = static_cast<int16_t>(sx >> 16);
    man->path_x_frac = static_cast<uint16_t>(sx & 0xFFFF);
    man->path_dy = static_cast<int16_t>(sy >> 16);
    man->path_y_frac = static_cast<uint16_t>(sy & 0xFFFF);
}

int32_t man_step_x_fixed(const PlayerSlot* man) { return fixed_of(man->path_dx, man->path_x_frac); }
int32_t man_step_y_fixed(const PlayerSlot* man) { return fixed_of(man->path_dy, man->path_y_frac); }

void clear_man_motion(PlayerSlot* man)
{
    set_man_speed_fixed(man, 0);
    man->path_speed = 0;
    set_man_velocity_fixed(man, 0, 0);
    set_man_step_fixed(man, 0, 0);
    man->move_dx = man->move_dy = 0;
}

int32_t profile_word(const PlayerSlot* man, int n) { return man->person ? player_i16(man->person, 2 * n) : 0; }

int64_t profile_acceleration(const PlayerSlot* man)
{
    // The 32-bit value after the sixteen attribute words.
    return man->person ? static_cast<int64_t>(player_i32(man->person, 64)) : 0;
}

uint8_t profile_stamina(const PlayerSlot* man) { return man->person ? player_u8(man->person, 58) : 0; }


bool ball_in_free_flight()
{
    return (ball_state.flight_flags & 0x60) == 0x60 && match_globals.ball_holder == nullptr;
}

void set_target_offset(PlayerSlot* man)
{
    man->move_dx = clamp16(man->target_x - man->x);
    man->move_dy = clamp16(man->target_y - man->y);
}

void set_heading_to_target(PlayerSlot* man)
{
    if (man->move_dx == 0 && man->move_dy == 0) return;
    const uint16_t a = vector_angle(man->move_dx, man->move_dy);
    man->move_heading = a;
    man->wanted_facing = static_cast<int16_t>(a);
}

namespace {

bool within(const PlayerSlot* man, int32_t r) { return int_abs(man->move_dx) <= r && int_abs(man->move_dy) <= r; }

void stop_at_target(PlayerSlot* man)
{
    man->target_x = man->x;
    man->target_y = man->y;
    man->arrived = 1;
    man->move_dx = man->move_dy = 0;
    man->velocity_x = man->velocity_y = 0;
}

void end_run_action(PlayerSlot* man)
{
    if (man->action != ACT_LEAD && man->action != ACT_SHORT_OPTION) man->action = 0;
}

// A blocked man standing close to his target waits for the man who ran
// into him to clear.
bool waits_blocked(PlayerSlot* man)
{
    return man->blocked && is_standing_anim(man) && int_abs(man->move_dx) < 129 && int_abs(man->move_dy) < 129;
}

} // namespace

void arrive_at_target(PlayerSlot* man)
{
    stop_at_target(man);
    if (holds_ball(man))
        man->wanted_facing = man->side == 1 ? 192 : 64;
    else if (man != match_globals.ball_contact_man && man->official_job == 0)
        man->wanted_facing = man->angle_to_ball;
}

void run_to_point(PlayerSlot* man, int32_t r)
{
    man->arrived = 0;
    man->arrive_radius = r;
    set_target_offset(man);
    if (within(man, r)) {
        arrive_at_target(man);
        end_run_action(man);
        return;
    }
    if (waits_blocked(man)) return;
    set_heading_to_target(man);
}

void walk_to_point(PlayerSlot* man, int32_t r)
{
    set_target_offset(man);
    const auto a = static_cast<uint16_t>((vector_angle(man->move_dx, man->move_dy) + 128) & 255);
    man->move_heading = a;
    man->wanted_facing = static_cast<int16_t>(a);
    if (man->arrived || (man->man_flags & MAN_BUSY)) return;
    if (within(man, r)) {
        arrive_at_target(man);
        return;
    }
    play_man_animation(man, 316, 0, 1.0); // GOALJUDGE_WALK_BACKWARDS
    man->man_flags |= MAN_BUSY;
}

void run_to_waypoint(PlayerSlot* man, int32_t r)
{
    man->arrived = 0;
    man->arrive_radius = r;
    set_target_offset(man);
    if (within(man, r)) {
        if (!man->waypoint_pending) {
            stop_at_target(man);
            if (!holds_ball(man) && man != match_globals.ball_contact_man) man->wanted_facing = man->angle_to_ball;
            end_run_action(man);
            return;
        }
        // The route re-planning hook gives no route: the waypoint is the last leg.
        man->target_x = man->waypoint_x;
        man->target_y = man->waypoint_y;
        man->waypoint_pending = 0;
        set_target_offset(man);
        set_heading_to_target(man);
        return;
    }
    if (waits_blocked(man)) return;
    set_heading_to_target(man);
}

int32_t cap_by_ball_distance(PlayerSlot* man, int32_t p)
{
    if (man->waypoint_pending || man->action == ACT_TIMED_RUN) return man->effort;
    if (!is_umpire(man)) {
        if (man->melee) return p;
        const uint8_t mode = man->team ? man->team->team_mode : 0;
        if (mode != 4 && mode != 7 && mode != 8 && mode != 11 && (man->action == 2 || man->action == 4)) return p;
    }
    const int32_t d = man->target_distance;
    if (d >= FULL_EFFORT_DISTANCE) return p;
    const int32_t band = d / 220;
    return std::min(p, 20 + 10 * band);
}

int32_t cap_by_turn_angle(int32_t value, int32_t a, int32_t b) { return std::min(value, turn_caps[turn_band(a, b)]); }

void avoid_man_in_way(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (man->arrived || man->speed == 0 || (man->man_flags & (MAN_BUSY | MAN_OUT_OF_PLAY)) ||
        (man->move_dx == 0 && man->move_dy == 0))
        return;
    const auto heading = static_cast<uint8_t>(vector_angle(man->target_x - man->x, man->target_y - man->y));
    PlayerSlot* nearest = nullptr;
    int32_t best = 2561;
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* o = m.active_men[i];
        if (!o || o == man || (o->man_flags & MAN_OUT_OF_PLAY)) continue;
        // The length is never shorter than either side: most men are ruled
        // out without it (and without reading the busy flag, further along
        // the record).
        if (int_abs(o->x - man->x) >= best || int_abs(o->y - man->y) >= best || o->busy_flag) continue;
        const int32_t d = vector_length(o->x - man->x, o->y - man->y);
        if (d >= best) continue;
        if (!can_reach_path(man, o, man->target_x, man->target_y, heading)) continue;
        best = d;
        nearest = o;
    }
    if (!nearest) return;
    // Closer than the ground's planning reach, a man standing in the way
    // would stop him for good (body contact only pushes him back): he goes
    // round him as he would have from farther off.
    if (best < 512) {
        // Only round a man who does not stand on the target: round one who
        // stands at it he would circle for ever. A target a body's width
        // beyond him (a marker's place at his man's shoulder) is reached
        // from the side.
        const int32_t to_target = vector_length(man->target_x - man->x, man->target_y - man->y);
        const int32_t beyond = vector_length(man->target_x - nearest->x, man->target_y - nearest->y);
        if (nearest->speed != 0) return;
        if (to_target > best + 340 || beyond > ON_TARGET) {
            detour_round_man(man, nearest);
        } else if (best <= BODY_CONTACT) {
            // Against the man who stands on his spot he is as near as he can
            // come: pushing on, he would never arrive and his set play never
            // start.
            arrive_at_target(man);
            end_run_action(man);
        }
        return;
    }
    avoid_collision_with(man, nearest);
}

void update_motion_limits(PlayerSlot* man)
{
    if (man->action == ACT_RECEIVE_HANDBALL) return; // his action sets his speed
    MatchGlobals& m = match_globals;
    man->man_flags2 &= static_cast<uint16_t>(~MAN2_NEAR_TARGET);
    const int32_t d = approx_vector_length(man->move_dx, man->move_dy);
    man->target_distance = clamp16(d);
    if (d < NEAR_TARGET) man->man_flags2 |= MAN2_NEAR_TARGET;
    if (d == 0) {
        set_man_velocity_fixed(man, 0, 0);
        man->path_speed = 0;
        return;
    }
    int64_t top = man->top_speed;
    if (in_state(m.match_state, {10, 37, 47})) top = official_slots[0].top_speed;
    if (m.match_state == 3 && man->melee) top = MELEE_TOP_SPEED;
    int32_t p = cap_by_ball_distance(man, man->effort);
    const int32_t band = turn_band(man->wanted_facing, man->facing);
    if (band >= 1) p = std::min(p, turn_caps[band]);

    int64_t s;
    if (man->action == ACT_MEET_BALL && ball_in_free_flight()) {
        s = static_cast<int64_t>(man->path_speed) * ONE;
    } else if (!m.positioning_phase) {
        if (in_state(m.match_state, {1, 41, 45}))
            s = skill_value(man, static_cast<int32_t>(top * ONE * p / 100), 4);
        else if ((m.match_state == 22 || m.match_state == 23) && man->team &&
                 (man == man->team->stage_men[0] || man == man->team->stage_men[1]))
            s = static_cast<int64_t>(18) * ONE * p / 100;
        else
            s = top * ONE * p / 100;
    } else {
        s = static_cast<int64_t>(25) * ONE * p / 100;
    }
    if ((man->man_flags & MAN_SPEED_LOCKED) || man->action == ACT_MEET_BALL)
        s = static_cast<int64_t>(man->path_speed) * ONE;
    else
        man->path_speed = clamp16(static_cast<int32_t>(s >> 16));
    if ((man->action == ACT_LEAD || man->action == ACT_SHORT_OPTION) && m.ball_holder) {
        man->path_speed = std::max(m.ball_holder->top_speed, m.ball_holder->path_speed);
        s = static_cast<int64_t>(man->path_speed) * ONE;
    }
    const auto sf = static_cast<int32_t>(std::clamp<int64_t>(s, INT32_MIN, INT32_MAX));
    set_man_velocity_fixed(man, fixed_sin(man->facing, sf), fixed_cos(man->facing, sf));
}

namespace {

bool cut_pending_in_dark()
{
    const MatchGlobals& m = match_globals;
    const bool running = presentation::hw_transition_running() != 0;
    return (m.pending_cut_state != -1 || m.closing_transition_running) && !running;
}

// The effort that brings the man to his target as the ball comes down:
// 100 x distance / (ticks x top), guarded against empty ticks and speeds.
int32_t timed_effort(const PlayerSlot* man, int32_t steps)
{
    const double ticks = std::max(steps, 1);
    const double top = std::max<int32_t>(man->top_speed, 1);
    return static_cast<int32_t>(std::nearbyint(100.0 * man->target_distance / (ticks * top)));
}

int32_t effort_by_action(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    const uint16_t a = man->action;
    if (a < 2 || a > 87) return 90;
    switch (a) {
    case 2:
    case 4:
    case 5: {
        const uint8_t mode = man->team ? man->team->team_mode : 0;
        const bool computer = man->team && man->team->human_count == 0;
        if ((mode == 0 || mode == 6 || mode == 12 || mode == 13) && computer && man->speed_burst == 0 &&
            man->rest_ticks == 0)
            man->speed_burst = static_cast<uint16_t>(skill_value(man, 50 + static_cast<int32_t>(game_random() & 31), 12));
        return 90;
    }
    case 6:
    case 7:
        if (m.match_state == 1) return 80;
        if (in_state(m.match_state, {60, 62, 64, 66, 68, 70, 72})) return m.ball_holder ? 100 : 80;
        return 100;
    case 48: {
        const TeamRecord* team = man->team;
        const uint8_t mode = team ? team->set_play_mode : 0;
        if (mode == 1) {
            if (team && man == team->set_play_man) return 70;
            const bool high_or_falling =
                (ball_state.flight_flags & 0x20) && ((ball_state.z >> 16) > 1024 || ball_state.vz < 0);
            return high_or_falling ? 90 : 10;
        }
        if (mode == 2) {
            const int32_t k = find_sorted_index_b(768);
            if (k >= 0) return std::min(timed_effort(man, k), 100);
            return team && team->set_play_man && (team->set_play_man->man_flags & MAN_CONTEST_A) ? 70 : 25;
        }
        return 70;
    }
    case 53:
        return 25;
    case ACT_TIMED_RUN: {
        const int32_t k = find_sorted_index_b(1536);
        if (k >= 0) return std::clamp(timed_effort(man, k), 0, 65535);
        return 35;
    }
    case ACT_MEET_BALL:
        return man->effort;
    default:
        return 90;
    }
}

} // namespace

void update_player_effort()
{
    const MatchGlobals& m = match_globals;
    const bool fast_forward = cut_pending_in_dark();
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* man = m.active_men[i];
        if (fast_forward) {
            man->effort = CUT_EFFORT;
            continue;
        }
        if (man->number >= FIRST_BENCH_SLOT && man->number < TEAM_SLOTS) {
            man->effort = m.match_state == 52 ? 200 : 100;
            continue;
        }
        if (holds_ball(man) && !(man->man_flags2 & MAN2_AT_SPOT)) {
            if (man->speed_burst == 0) man->effort = 90;
            continue;
        }
        if (man->busy_flag) continue;
        if (in_state(m.match_state, {58, 59, 61, 63, 65, 67, 69, 71})) {
            man->effort = CUT_EFFORT;
            continue;
        }
        man->effort = static_cast<uint16_t>(effort_by_action(man));
    }
}

void update_man_speed(PlayerSlot* man)
{
    const uint32_t anim = man->primary_animation;
    if (anim == 145 || anim == 146 || anim == 193) return; // sidesteps and the bounce carry themselves
    const MatchGlobals& m = match_globals;

    if ((man->man_flags & 0x0F80) || (man->man_flags2 & MAN2_IN_AIR)) {
        bool landed = false;
        if ((man->man_flags2 & MAN2_IN_AIR) || (man->man_flags & MAN_OUT_OF_PLAY)) {
            if (man->air_timer > 0) --man->air_timer;
            if (man->man_flags2 & MAN2_IN_AIR) {
                const int32_t vz = fixed_of(man->velocity_z, man->velocity_z_frac) - 42824;
                man->velocity_z = static_cast<int16_t>(vz >> 16);
                man->velocity_z_frac = static_cast<uint16_t>(vz & 0xFFFF);
                int32_t z = fixed_of(man->z, man->z_frac) + vz - 21412;
                if (z < 0) {
                    landed = true;
                    man->man_flags2 &= static_cast<uint16_t>(~0x7001);
                    man->man_flags &= static_cast<uint16_t>(~MAN_CONTEST_A);
                    man->action = 0;
                    man->target_x = man->x;
                    man->target_y = man->y;
                    man->z = 0;
                    man->z_frac = 0;
                    man->velocity_z = 0;
                    man->velocity_z_frac = 0;
                    if (man == m.controlled_man_a) {
                        man->arrived = 0;
                        int16_t cx = man->x, cy = man->y;
                        clamp_to_field(&cx, &cy);
                        match_globals.controlled_point_x = cx;
                        match_globals.controlled_point_y = cy;
                    }
                } else {
                    man->z = static_cast<int16_t>(z >> 16);
                    man->z_frac = static_cast<uint16_t>(z & 0xFFFF);
                }
            }
        }
        if (!landed) {
            const int32_t x = fixed_of(man->x, man->x_frac) + man_step_x_fixed(man);
            const int32_t y = fixed_of(man->y, man->y_frac) + man_step_y_fixed(man);
            man->x = static_cast<int16_t>(x >> 16);
            man->x_frac = static_cast<uint16_t>(x & 0xFFFF);
            man->y = static_cast<int16_t>(y >> 16);
            man->y_frac = static_cast<uint16_t>(y & 0xFFFF);
        }
        return;
    }

    const bool lead = man->action == ACT_LEAD || man->action == ACT_SHORT_OPTION;
    const int32_t d = vector_length(man->target_x - man->x, man->target_y - man->y);
    // Slowing to a stop never drops a man still on his way below a walk (one
    // hundredth of his top speed): under it he would stand, and standing
    // carries nobody the last units to his target.
    const int32_t walk = man->arrived || d == 0 || man->top_speed <= 0 ? 0 : (man->top_speed + 99) / 100;
    const int32_t near_cap = std::max(d / 16, walk);
    man->path_speed = static_cast<int16_t>(std::min<int32_t>(man->path_speed, near_cap));
    int64_t a = skill_value(man, static_cast<int32_t>(std::clamp<int64_t>(profile_acceleration(man), INT32_MIN,
                                                                          INT32_MAX)),
                            11);
    if (!lead) a -= man->fatigue;
    int64_t speed = std::min<int64_t>(man_speed_fixed(man), static_cast<int64_t>(near_cap) * ONE);
    const int64_t target = static_cast<int64_t>(man->path_speed) * ONE;
    const bool holder = holds_ball(man);
    if (speed < target) {
        int64_t inc;
        if (man->action == ACT_RECEIVE_HANDBALL)
            inc = 8 * a;
        else if (holder || man->speed_burst || lead)
            inc = 4 * a;
        else if (man->melee)
            inc = 2 * a;
        else
            inc = 6 * a / 10;
        const int32_t cap_low = man->path_speed & ~3;
        if (speed < ONE && cap_low > 0) speed = static_cast<int64_t>(cap_low) * ONE / 4;
        speed = std::min(speed + inc, target);
    } else if (speed > target) {
        int64_t dec = 2 * a;
        if (man->man_flags2 & MAN2_NEAR_TARGET) dec = 8 * a;
        if (holder) dec = 4 * a;
        speed = std::max(speed - dec, target);
    }
    speed = std::clamp<int64_t>(speed, 0, INT32_MAX);
    set_man_speed_fixed(man, static_cast<int32_t>(speed));
    const auto sf = static_cast<int32_t>(speed);
    set_man_step_fixed(man, fixed_sin(man->facing, sf), fixed_cos(man->facing, sf));

    const int32_t w24 = profile_word(man, 24);
    if (man->speed < 9) {
        man->fatigue = static_cast<int16_t>(std::max(0, man->fatigue - (w24 + 1) / 8));
    } else {
        const int32_t shift = std::clamp((w24 + 1) / 4 + 2, 0, 31);
        man->fatigue = static_cast<int16_t>(std::min(8160, man->fatigue + (man->speed >> shift)));
    }
}

void update_stamina(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (man->speed_burst >= 1) {
        if (man->stamina > 0) --man->stamina;
    } else if (man->stamina < profile_stamina(man)) {
        ++man->stamina;
    }
    if (m.match_state != 1) return;
    if (man->rest_ticks != 0) {
        --man->rest_ticks;
        return;
    }
    if (man->speed_burst == 0) return;
    --man->speed_burst;
    if (man->speed_burst > 0) {
        const TeamRecord* team = man->team;
        const bool human = team && team->human_count > 0;
        const bool other_human = team && team->other_team && team->other_team->human_count > 0;
        int32_t e;
        if (human)
            e = other_human ? 110 : 125 - m.difficulty / 5;
        else
            e = 100 + m.difficulty / 5;
        if (holds_ball(man)) e += 10;
        man->effort = static_cast<uint16_t>(e);
        return;
    }
    int32_t rest = 317 - profile_word(man, 24);
    if (!(man->man_flags & MAN_IN_CONTEST)) rest += static_cast<int32_t>(game_random() & 7);
    man->rest_ticks = static_cast<uint16_t>(std::max(rest, 0));
    if (man->man_flags & MAN_IN_CONTEST) man->effort = holds_ball(man) ? 70 : 90;
}

void tick_bench_counters()
{
    const int bench = men_in_use() - FIRST_BENCH_SLOT;
    for (TeamRecord& team : team_records)
        for (int i = 0; i < bench; ++i) {
            PlayerSlot& man = team.slots[FIRST_BENCH_SLOT + i];
            if (man.fatigue > 0) --man.fatigue;
        }
}

namespace {

constexpr int32_t MEDIC_SPACING = 512;

void put_second_medic(PlayerSlot* lead, PlayerSlot* second, int32_t angle)
{
    second->x = clamp16(lead->x + fixed_sin(static_cast<uint8_t>(angle), MEDIC_SPACING));
    second->y = clamp16(lead->y + fixed_cos(static_cast<uint8_t>(angle), MEDIC_SPACING));
    second->target_x = second->x;
    second->target_y = second->y;
    second->arrived = 1;
    clear_man_motion(second);
}

} // namespace

void follow_lead_medic()
{
    MatchGlobals& m = match_globals;
    PlayerSlot* lead = m.lead_medic[0];
    PlayerSlot* second = m.lead_medic[1];
    if (!lead || !second) return;
    // Behind the lead: opposite his direction of travel.
    const int32_t wanted = (lead->move_heading + 128) & 255;
    const int32_t d = std::clamp(angle_diff(wanted, m.lead_medic_angle), -2, 2);
    m.lead_medic_angle = static_cast<int16_t>((m.lead_medic_angle + d) & 255);
    put_second_medic(lead, second, m.lead_medic_angle);
}

void place_second_medic(int32_t angle)
{
    MatchGlobals& m = match_globals;
    m.lead_medic_angle = static_cast<int16_t>(angle & 255);
    if (m.lead_medic[0] && m.lead_medic[1]) put_second_medic(m.lead_medic[0], m.lead_medic[1], angle);
}
