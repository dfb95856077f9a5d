#include "match/ground.h"

#include "match/game_maths.h"
#include "platform/controllers.h"
#include "players/movement.h"
#include "platform/fatal_error.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int HALF_WIDTH_ENTRIES = 1537;  // |x| = 0, 16, .. 24576
constexpr int HALF_LENGTH_ENTRIES = 1025; // |y| = 0, 16, .. 16384
int16_t half_width_table[HALF_WIDTH_ENTRIES];
int16_t half_length_table[HALF_LENGTH_ENTRIES];

const bool tables_ready = (build_boundary_tables(), true);

// Two men closer than this are on top of each other.
constexpr int32_t CLEARANCE = 340;

DetourCandidates candidates;
int32_t meeting_x, meeting_y;
// Per-man avoidance words, cleared before a new pair of candidates.
int32_t avoidance_words[TEAM_SLOTS][2];

int32_t table_index(int32_t v, int32_t entries)
{
    const int32_t i = int_abs(v) >> 4;
    return i < entries ? i : entries - 1;
}

} // namespace

void build_boundary_tables()
{
    for (int i = 0; i < HALF_WIDTH_ENTRIES; ++i)
        half_width_table[i] = static_cast<int16_t>(
            std::lrint(16384.0 * std::sin(std::acos(16.0 * i / 24576.0))));
    for (int i = 0; i < HALF_LENGTH_ENTRIES; ++i)
        half_length_table[i] = static_cast<int16_t>(
            std::lrint(24576.0 * std::cos(std::asin(16.0 * i / 16384.0))));
}

// The boundary umpires follow the ball to the fence, past the oval's end, so
// the index is held to the table.
int16_t boundary_half_width(int32_t x) { return half_width_table[table_index(x, HALF_WIDTH_ENTRIES)]; }
int16_t boundary_half_length(int32_t y) { return half_length_table[table_index(y, HALF_LENGTH_ENTRIES)]; }

namespace {
int32_t inside_oval(int16_t x, int16_t y, double a, double b)
{
    const double dx = x, dy = y;
    return dy * dy * (1.0 / (b * b)) + dx * dx * (1.0 / (a * a)) <= 1.0 ? 1 : 0;
}
} // namespace

int32_t in_field(int16_t x, int16_t y) { return inside_oval(x, y, 24576.0, 16384.0); }
int32_t in_field_margin(int16_t x, int16_t y) { return inside_oval(x, y, 25856.0, 17664.0); }

void clamp_to_field(int16_t* x, int16_t* y)
{
    if (*y < -16383)
        *y = -16384;
    else if (*y >= 16384)
        *y = 16384;
    if (*x < -24575)
        *x = -24576;
    else if (*x >= 24576)
        *x = 24576;

    const auto clamp_x = [&] {
        const int16_t limit = boundary_half_length(*y);
        if (int_abs(*x) > limit)
            *x = static_cast<int16_t>(*x < 0 ? -limit : limit);
    };
    const auto clamp_y = [&] {
        const int16_t limit = boundary_half_width(*x);
        if (int_abs(*y) > limit)
            *y = static_cast<int16_t>(*y < 0 ? -limit : limit);
    };
    // Near the middle line the ends are steep in x, so x goes first there.
    if (int_abs(*y) < 8193) {
        clamp_x();
        clamp_y();
    } else {
        clamp_y();
        clamp_x();
    }
}

namespace {

bool within_radius(const PlayerSlot* man, int32_t tx, int32_t ty)
{
    return int_abs(tx - man->x) <= man->arrive_radius && int_abs(ty - man->y) <= man->arrive_radius;
}

PlayerSlot* first_controlled_man()
{
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i)
        if (controller_side(i) != 0)
            return controller_man(i);
    return nullptr;
}

void send_toward_target(PlayerSlot* man)
{
    man->move_dx = clamp16(man->target_x - man->x);
    man->move_dy = clamp16(man->target_y - man->y);
    set_heading_to_target(man);
}

} // namespace

void update_collision_avoidance()
{
    MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* man = m.active_men[i];
        man->heading_to_target = static_cast<int16_t>(vector_angle(man->target_x - man->x, man->target_y - man->y));
        const auto heading = static_cast<uint8_t>(man->heading_to_target);
        man->reach_x = int_abs(fixed_sin(heading, man->arrive_radius));
        man->reach_y = int_abs(fixed_cos(heading, man->arrive_radius));
    }

    const int half = m.active_men_count / 2;
    const int checked = m.match_state == 4 ? m.active_men_count : half;
    const PlayerSlot* human = first_controlled_man();
    for (int i = 0; i < checked; ++i) {
        PlayerSlot* man = m.active_men[i];
        man->avoiding = 0;
        if (man->action == 4 || man->action == 5 || man->action == 86 || (man->man_flags & MAN_BUSY) ||
            man == human || (man->move_dx == 0 && man->move_dy == 0) ||
            within_radius(man, man->target_x, man->target_y))
            continue;

        bool clash = false;
        for (int j = 0; j < half && !clash; ++j) {
            const PlayerSlot* other = m.active_men[j];
            if (j == i || (j < i && !other->avoiding))
                continue;
            const int32_t ox = other->arrived ? other->x : other->target_x - other->reach_x;
            const int32_t oy = other->arrived ? other->y : other->target_y - other->reach_y;
            const int32_t sx = int_abs(man->target_x - ox) + man->reach_x;
            const int32_t sy = int_abs(man->target_y - oy) + man->reach_y;
            clash = sx < 241 && sy < 241 && vector_length(sx, sy) < 241;
        }
        if (!clash)
            continue;

        const auto away = static_cast<uint8_t>(((man->heading_to_target - 128) & 255) + m.detour_angle_offset);
        const int32_t step = 280 - man->arrive_radius;
        man->target_x = clamp16(man->target_x + fixed_sin(away, step));
        man->target_y = clamp16(man->target_y + fixed_cos(away, step));
        man->avoiding = 1;
        if (within_radius(man, man->target_x, man->target_y)) {
            man->target_x = man->x;
            man->target_y = man->y;
            man->arrived = 1;
            man->move_dx = man->move_dy = man->path_dx = man->path_dy = 0;
            if (man == m.ball_holder)
                man->wanted_facing = man->side == 2 ? 64 : 192;
            else if (man != m.umpire_with_ball && man->official_job == 0)
                man->wanted_facing = man->angle_to_ball;
        } else {
            send_toward_target(man);
        }
    }
}

void set_detour_waypoints(PlayerSlot* man, const PlayerSlot* obstacle, int32_t px, int32_t py)
{
    std::memset(avoidance_words, 0, sizeof avoidance_words);
    meeting_x = px;
    meeting_y = py;
    if (!obstacle) {
        candidates = {};
        return;
    }
    const auto a = static_cast<uint8_t>(vector_angle(px - man->x, py - man->y));
    const auto w1 = static_cast<uint8_t>(a - 64), w2 = static_cast<uint8_t>(a + 64);
    candidates.x[0] = px + fixed_sin16(w1, CLEARANCE);
    candidates.y[0] = py + fixed_cos16(w1, CLEARANCE);
    candidates.x[1] = px + fixed_sin16(w2, CLEARANCE);
    candidates.y[1] = py + fixed_cos16(w2, CLEARANCE);
}

const DetourCandidates& last_detour_candidates() { return candidates; }

namespace {

// The triangle runner, other, meeting point by the law of sines. A is the
// angle at the runner, `a` the bearing runner -> other, d their distance.
// Returns false when the two never meet within range; otherwise the legs of
// both to the meeting point.
bool legs_by_law_of_sines(int32_t A, int32_t a, uint8_t h1, int32_t d, int32_t* runner_leg, int32_t* other_leg)
{
    const int32_t B = int_abs(angle_diff(h1 - a + 128, 0));
    const auto M = static_cast<uint8_t>(-128 - A - B);
    if (M == 0)
        return false;
    const int64_t sin_a = fixed_sin(static_cast<uint8_t>(A), 65536);
    const int64_t sin_b = fixed_sin(static_cast<uint8_t>(B), 65536);
    const int64_t sin_m = fixed_sin(M, 256);
    if (sin_m == 0)
        fatal_error_sub(FATAL_MATHS, 0, "Sin C = 0", 0);
    const int64_t leg_other = (sin_a / sin_m * d) >> 8;
    const int64_t leg_runner = (sin_b / sin_m * d) >> 8;
    *other_leg = static_cast<int32_t>(leg_other < 0 ? -leg_other : leg_other);
    *runner_leg = static_cast<int32_t>(leg_runner < 0 ? -leg_runner : leg_runner);
    return *other_leg < 2560 && *runner_leg < 2560;
}

// Whether both reach the meeting point within CLEARANCE / s0 ticks of each
// other (times in 16.16).
bool arrive_together(int32_t runner_leg, int32_t s0, int32_t other_leg, int32_t s1)
{
    const int64_t t_other = (static_cast<int64_t>(other_leg) << 16) / s1;
    const int64_t t_runner = (static_cast<int64_t>(runner_leg) << 16) / s0;
    const int64_t gap = t_other > t_runner ? t_other - t_runner : t_runner - t_other;
    return gap <= (static_cast<int64_t>(CLEARANCE) << 16) / s0;
}

int32_t distance(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { return vector_length(x1 - x0, y1 - y0); }

void take_detour(PlayerSlot* man)
{
    const int32_t via0 = distance(man->x, man->y, candidates.x[0], candidates.y[0]) +
                         distance(candidates.x[0], candidates.y[0], man->target_x, man->target_y);
    const int32_t via1 = distance(man->x, man->y, candidates.x[1], candidates.y[1]) +
                         distance(candidates.x[1], candidates.y[1], man->target_x, man->target_y);
    const int k = via0 < via1 ? 0 : 1;
    man->detour_x = candidates.x[k];
    man->detour_y = candidates.y[k];
    if (!man->detour_active) {
        man->saved_target_x = man->target_x;
        man->saved_target_y = man->target_y;
    }
    man->target_x = clamp16(man->detour_x);
    man->target_y = clamp16(man->detour_y);
    send_toward_target(man);
    update_motion_limits(man);
    man->detour_active = 1;
}

} // namespace

void detour_round_man(PlayerSlot* man, const PlayerSlot* other)
{
    man->detour_x = 0x7FFFFFFF;
    set_detour_waypoints(man, other, other->x, other->y);
    take_detour(man);
}

void avoid_collision_with(PlayerSlot* man, PlayerSlot* other)
{
    const int32_t dx = other->x - man->x, dy = other->y - man->y;
    const int32_t d = vector_length(dx, dy);
    const auto a = static_cast<int32_t>(vector_angle(dx, dy));
    const auto h0 = static_cast<uint8_t>(man->wanted_facing);
    const auto h1 = static_cast<uint8_t>(other->wanted_facing);
    const int32_t s0 = man->speed, s1 = other->speed;
    if ((man->man_flags & MAN_BUSY) || s0 == 0 || d < 512 || d > 2560)
        return;

    int32_t mx = other->x, my = other->y;
    bool crossing = false;
    const int32_t A = int_abs(angle_diff(h0, a));
    if (s1 != 0) {
        const int32_t to_target = distance(man->x, man->y, man->target_x, man->target_y);
        if (A == 0 && h0 == h1) {
            // Following him.
            if (s0 <= s1)
                return;
            const int32_t gap = d - CLEARANCE;
            if (gap < 1)
                return;
            if (s0 == 0)
                fatal_error_sub(FATAL_MATHS, 0, "No velocity in collision check, cant divide.", 0);
            const int32_t t = gap / (s0 - s1);
            if (t >= (to_target - 42) / s0)
                return;
            if (distance(man->target_x, man->target_y, other->x, other->y) <=
                distance(other->target_x, other->target_y, man->x, man->y)) {
                if (gap < 1024) { // fall in behind him
                    man->locomotion = other->locomotion;
                    man->effort = other->effort;
                }
                return;
            }
            mx += fixed_sin(h1, t * s1);
            my += fixed_cos(h1, t * s1);
        } else if (A == 0 && h0 == static_cast<uint8_t>(h1 - 128)) {
            // Head on.
            if (int_abs(angle_diff(a, h0)) >= 64 || to_target - 42 < d - CLEARANCE || s0 + s1 <= 0)
                return;
            const int64_t t16 = (static_cast<int64_t>(d - CLEARANCE) << 16) / (s0 + s1);
            const auto run = static_cast<int32_t>((t16 * s1) >> 16);
            mx += fixed_sin(h1, run);
            my += fixed_cos(h1, run);
        } else {
            // Crossing paths: only when they converge.
            const int32_t e = angle_diff(a, h0), f = angle_diff(a - 128, h1), g = angle_diff(h0, h1);
            if (e < 0 ? !(f >= 0 && g < 0) : !(f < 0 && g >= 1))
                return;
            int32_t man_leg, other_leg;
            if (!legs_by_law_of_sines(A, a, h1, d, &man_leg, &other_leg))
                return;
            if (s0 == 0)
                fatal_error_sub(FATAL_MATHS, 0, "Cannot calculate intercept time, one or both of the players have no velocity", 0);
            if (!arrive_together(man_leg, s0, other_leg, s1))
                return;
            mx += fixed_sin(h1, other_leg);
            my += fixed_cos(h1, other_leg);
            crossing = true;
        }
    }
    if (!crossing)
        man->detour_x = 0x7FFFFFFF;
    set_detour_waypoints(man, other, mx, my);
    take_detour(man);
}

int32_t can_reach_path(const PlayerSlot* runner, const PlayerSlot* other, int32_t px, int32_t py, uint8_t heading)
{
    // A man beyond the point is never in the way: his bearing is not needed.
    if (distance(runner->x, runner->y, other->x, other->y) > distance(runner->x, runner->y, px, py) + CLEARANCE)
        return 0;
    const int32_t a = vector_angle(other->x - runner->x, other->y - runner->y);
    const int32_t r = angle_diff(a, heading);
    if (int_abs(r) >= 64)
        return 0;
    const auto side = static_cast<uint8_t>(r >= 0 ? a - 64 : a + 64);
    const int32_t qx = other->x + fixed_sin(side, CLEARANCE), qy = other->y + fixed_cos(side, CLEARANCE);
    const int32_t q = vector_angle(qx - runner->x, qy - runner->y);
    return int_abs(angle_diff(a, q)) > int_abs(r) ? 1 : 0;
}

// A slower man straight ahead of the runner is not timed here.
PlayerSlot* find_intercepting_player(const PlayerSlot* runner, const PlayerSlot* excluded, int32_t px, int32_t py)
{
    const int32_t s0 = runner->speed;
    if (s0 == 0)
        fatal_error_sub(FATAL_MATHS, 0, "Cannot calculate intercept time, one or both of the players have 0 velocity", 0);
    const auto h = static_cast<uint8_t>(vector_angle(px - runner->x, py - runner->y));
    const int32_t to_point = distance(runner->x, runner->y, px, py);
    int64_t best = 0x7FFFFFFF;
    PlayerSlot* found = nullptr;
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        PlayerSlot* other = match_globals.active_men[i];
        if (other == runner || other == excluded)
            continue;
        const int32_t dx = other->x - runner->x, dy = other->y - runner->y;
        const int32_t d = vector_length(dx, dy);
        const int32_t a = vector_angle(dx, dy);
        int32_t measure, mx, my;
        if (other->speed == 0) {
            if (!can_reach_path(runner, other, px, py, h))
                continue;
            measure = d;
            mx = other->x;
            my = other->y;
        } else {
            const int32_t A = int_abs(angle_diff(h, a));
            if (A < 16)
                continue;
            const auto h1 = static_cast<uint8_t>(other->wanted_facing);
            int32_t runner_leg, other_leg;
            if (!legs_by_law_of_sines(A, a, h1, d, &runner_leg, &other_leg) ||
                !arrive_together(runner_leg, s0, other_leg, other->speed) || runner_leg >= to_point)
                continue;
            measure = runner_leg;
            mx = other->x + fixed_sin(h1, other_leg);
            my = other->y + fixed_cos(h1, other_leg);
        }
        if (measure < best) {
            best = measure;
            found = other;
            meeting_x = mx;
            meeting_y = my;
        }
    }
    return found;
}

void clear_contest_links()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < men_in_use(); ++i)
            team.slots[i].contest_group = nullptr;
}

int32_t return_not(void*, int32_t second) { return second ? 0 : 1; }
int32_t return_fourth(void*, void*, void*, int32_t fourth) { return fourth; }
void* return_null() { return nullptr; }
