#include "players/contact_planners.h"

#include "match/game_maths.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
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
#include <cstring>

ContactCandidate pickup_candidates[CANDIDATE_ROWS][PICKUP_ENTRIES];
ContactCandidate ground_kick_candidates[CANDIDATE_ROWS][GROUND_KICK_ENTRIES];
ContactCandidate slap_candidates[CANDIDATE_ROWS][SLAP_ENTRIES];
ContactCandidate catch_candidates[CANDIDATE_ROWS][CATCH_ENTRIES];
ContactCandidate official_candidates[OFFICIAL_CANDIDATE_ROWS][PICKUP_ENTRIES];

namespace {

const double kTwoPi = 6.283185307179586;

struct PlannerBounds {
    int32_t standing_reach;
    double time_lo, time_hi;
    double speed_lo, speed_hi;
    bool catch_travel; // own speed over the frames to k + 1, (length / k) / 3
    bool pickup_speed; // ((length / k) + 1) / 3
};

const PlannerBounds kPickup = {32, 1.3, 1.8, 0.0, 1.8, false, true};
const PlannerBounds kGroundKick = {32, 1.0, 1.5, 1.0, 1.5, false, false};
const PlannerBounds kSlap = {128, 0.75, 1.5, 0.75, 1.5, false, false};
const PlannerBounds kCatch = {256, 1.2, 3.0, 0.0, 1.6, true, false};
const PlannerBounds kImmediate = {32, 1.0, 1.5, 0.0, 1.4, false, true};

struct RowOut {
    ContactCandidate* row;
    int entries;
    int used;
};

bool ball_at_rest() { return ball_state.vx == 0 && ball_state.vy == 0 && ball_state.vz == 0; }

void write_entry(RowOut& out, const ContactCandidate& c)
{
    if (!out.row || out.used >= out.entries) return;
    out.row[out.used++] = c;
}

// One candidate animation; true when written.
bool plan_candidate(PlayerSlot* man, const ContactRow& r, const PlannerBounds& b, RowOut& out, bool slap_fallback)
{
    const uint32_t size = man->size_index < MAN_SIZES ? man->size_index : 1;
    const int32_t k = r.contact_frame > 0 ? r.contact_frame : 1;
    const int32_t ox = r.mirrored ? -r.point[size][0] : r.point[size][0];
    const int32_t oy = r.point[size][1], oz = r.point[size][2];
    int32_t i = find_sorted_index(oy);
    if (i < 1) {
        if (!ball_at_rest()) return false;
        i = k * 93 / 40;
        if (i < 1) i = 1;
    }
    const int32_t pi = i < PREDICTED_STEPS ? i : PREDICTED_STEPS - 1;
    const int64_t bx = predicted_ball_path.position[pi][0], by = predicted_ball_path.position[pi][2];
    const uint8_t a = static_cast<uint8_t>(vector_angle(static_cast<int32_t>((bx >> 16) - man->x),
                                                        static_cast<int32_t>((by >> 16) - man->y)));
    const int32_t facing_error = std::abs(angle_diff(man->facing, a));
    if (facing_error >= 33) return false;
    const double ang = a * kTwoPi / 256.0;
    const int32_t rx = static_cast<int32_t>(std::lrint(ox * std::cos(ang) + oz * std::sin(ang)));
    const int32_t rz = static_cast<int32_t>(std::lrint(-ox * std::sin(ang) + oz * std::cos(ang)));
    const int64_t mx = (static_cast<int64_t>(man->x + rx) << 16) | man->x_frac;
    const int64_t my = (static_cast<int64_t>(man->y + rz) << 16) | man->y_frac;
    const int32_t vx = static_cast<int32_t>((bx - mx) / i), vy = static_cast<int32_t>((by - my) / i);
    const double required = std::sqrt(static_cast<double>(vx) * vx + static_cast<double>(vy) * vy) / 65536.0;
    const bool standing = is_standing_anim(man) != 0;
    int32_t miss = facing_error;
    if (standing) {
        miss = vector_length(static_cast<int32_t>((bx - mx) >> 16), static_cast<int32_t>((by - my) >> 16));
        if (miss > b.standing_reach) return false;
    }
    int32_t disp[3];
    get_animation_displacement(disp, r.animation, 0, b.catch_travel ? k + 1 : k, a);
    const int32_t length = vector_length(disp[0] >> 8, disp[2] >> 8);
    const int32_t own = b.pickup_speed ? (length / k + 1) / 3 : (length / k) / 3;
    const double speed_ratio = standing ? 1.0 : (own > 0 ? required / own : 1e9);
    const double time_ratio = k * 3.1 / i;
    ContactCandidate c{};
    c.valid = 1;
    c.ticks = i;
    c.ball_key = predicted_ball_path.position[pi][1];
    c.contact_z = oy;
    c.animation = r.animation;
    c.vx = vx, c.vy = vy;
    c.approach_angle = a;
    c.facing_error = static_cast<uint32_t>(miss);
    c.speed_ratio = speed_ratio;
    c.time_ratio = time_ratio;
    const bool in_bounds = time_ratio >= b.time_lo && time_ratio <= b.time_hi && speed_ratio >= b.speed_lo &&
                           speed_ratio <= b.speed_hi;
    if (!in_bounds) {
        if (!slap_fallback || !(man->man_flags & MAN_IN_CONTEST)) return false;
        c.ticks = -1;
        c.ball_key = 0;
        c.vx = fixed_sin(a, own) << 16;
        c.vy = fixed_cos(a, own) << 16;
        c.speed_ratio = 1.0;
    }
    write_entry(out, c);
    return true;
}

void run_planner(PlayerSlot* man, ContactCandidate* row, int entries, const ContactRow* rows, int row_count,
                 const uint32_t* anims, int count, const PlannerBounds& b, bool slap_fallback)
{
    if (!row) return;
    RowOut out{row, entries, 0};
    while (out.used < entries && row[out.used].valid) ++out.used;
    for (int n = 0; n < count; ++n)
        for (int j = 0; j < row_count; ++j) {
            if (rows[j].animation != anims[n]) continue;
            plan_candidate(man, rows[j], b, out, slap_fallback);
            break;
        }
}


} // namespace

int32_t candidate_index(const PlayerSlot* man)
{
    if (!man || !man->team || is_umpire(man) || man->number >= GROUND_MEN) return -1;
    const int32_t team = man->team == &team_records[1] ? 1 : 0;
    return team * GROUND_MEN + man->number;
}

ContactCandidate* pickup_row(const PlayerSlot* man)
{
    if (man && is_umpire(man)) return official_candidates[man->number & 7];
    const int32_t i = candidate_index(man);
    return i < 0 ? nullptr : pickup_candidates[i];
}
ContactCandidate* ground_kick_row(const PlayerSlot* man)
{
    const int32_t i = candidate_index(man);
    return i < 0 ? nullptr : ground_kick_candidates[i];
}
ContactCandidate* slap_row(const PlayerSlot* man)
{
    const int32_t i = candidate_index(man);
    return i < 0 ? nullptr : slap_candidates[i];
}
ContactCandidate* catch_row(const PlayerSlot* man)
{
    const int32_t i = candidate_index(man);
    return i < 0 ? nullptr : catch_candidates[i];
}

void clear_candidate_row(ContactCandidate* row, int entries)
{
    if (row) std::memset(static_cast<void*>(row), 0, sizeof(ContactCandidate) * static_cast<size_t>(entries));
}

namespace {
// Only valid entries hold anything (a planner writes whole entries, a clear
// zeroes them), so emptying the valid ones empties the table.
template <size_t Rows, size_t Entries>
void clear_valid_entries(ContactCandidate (&table)[Rows][Entries])
{
    for (auto& row : table)
        for (ContactCandidate& e : row)
            if (e.valid) e = ContactCandidate{};
}
} // namespace

void clear_contact_plans()
{
    clear_valid_entries(pickup_candidates);
    clear_valid_entries(ground_kick_candidates);
    clear_valid_entries(slap_candidates);
    clear_valid_entries(catch_candidates);
    clear_valid_entries(official_candidates);
}

void ball_contact_planner_c(PlayerSlot* man)
{
    static const uint32_t standing[] = {239, 240}, moving[] = {241};
    const bool s = is_standing_anim(man) != 0;
    run_planner(man, pickup_row(man), PICKUP_ENTRIES, pickup_rows, PICKUP_ROWS, s ? standing : moving, s ? 2 : 1, kPickup, false);
}

void ball_contact_planner_e(PlayerSlot* man)
{
    static const uint32_t kick[] = {142};
    run_planner(man, ground_kick_row(man), GROUND_KICK_ENTRIES, &ground_kick_row_data, 1, kick, 1, kGroundKick, false);
}

void ball_contact_planner_a(PlayerSlot* man)
{
    static uint32_t all[SLAP_ROWS];
    for (int i = 0; i < SLAP_ROWS; ++i) all[i] = 46 + static_cast<uint32_t>(i);
    const bool s = is_standing_anim(man) != 0;
    run_planner(man, slap_row(man), SLAP_ENTRIES, slap_rows, SLAP_ROWS, s ? all : all + 8, s ? SLAP_ROWS : 9, kSlap, true);
}

void ball_contact_planner_b(PlayerSlot* man)
{
    static const uint32_t standing[] = {40, 41, 42}, moving[] = {43, 44, 45};
    const bool s = is_standing_anim(man) != 0;
    const int count = man == match_globals.pass_receiver ? 2 : 3;
    run_planner(man, catch_row(man), CATCH_ENTRIES, catch_rows, CATCH_ROWS, s ? standing : moving, count, kCatch, false);
}

void ball_contact_planner_d(PlayerSlot* man)
{
    static const uint32_t all[] = {239, 240, 241};
    run_planner(man, pickup_row(man), PICKUP_ENTRIES, pickup_rows, PICKUP_ROWS, all, 3, kImmediate, false);
}

void man_ai_update(PlayerSlot* man)
{
    ball_contact_planner_c(man);
    ball_contact_planner_e(man);
    ball_contact_planner_a(man);
    ball_contact_planner_b(man);
}
