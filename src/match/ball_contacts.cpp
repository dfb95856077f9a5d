#include "match/ball_contacts.h"

#include "league/league_data.h"
#include "match/ball.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "model/anim_table.h"
#include "players/anim_driver.h"
#include "players/contact_planners.h"
#include "players/man_display.h"
#include "match/match_flow.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/occupancy.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

const uint8_t club_catch_ratings[16] = {97, 92, 88, 91, 82, 89, 97, 87, 70, 92, 93, 79, 96, 95, 91, 92};
CatchStats catch_stats;

namespace {

constexpr uint16_t CATCH_CHEST = 0x4000;
constexpr uint16_t CATCH_HANDS = 0x2000;
constexpr int32_t FIELD_UMPIRE_BALL_UP = 167;
constexpr int32_t BOUNCE_BALL = 193;
// The field umpire's throw-down starts here: match values nothing sets.
constexpr int32_t launch_spot[3] = {0, 0, 0};

bool is_official(const PlayerSlot* man) { return man->number & 0x40; }

void restart_tumble(BallState& b)
{
    b.bounce_count = 0;
    b.prev_bounce_phase = 0;
    b.tumble_countdown = 0;
    b.tumble_period = 0;
    b.tumble_phase = 0;
    b.tumble_dir = -1;
}

int32_t fixed_from_whole(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) << 16); }

int16_t scaled_256ths(int32_t v) { return static_cast<int16_t>(std::lrint(v * 2.56)); }

// Man contacts by his man_flags2: a catch, a spoil, or the planners.
void contact_man(PlayerSlot* man, bool may_spoil)
{
    BallState& b = ball_state;
    if (man->man_flags2 & 0x0001) {
        attempt_catch(man);
        return;
    }
    if (may_spoil && (man->man_flags2 & 0x0002)) {
        if (std::abs(whole(b.x) - man->x) <= 256 && std::abs(whole(b.y) - man->y) <= 256 && whole(b.z) <= 608 + 95)
            punch_ball_back(man);
        return;
    }
    if (!(man->man_flags & 0x0980) && !(man->man_flags2 & 0x0008))
        man_ai_update(man);
}

bool both_teams_human() { return team_records[0].human_count && team_records[1].human_count; }

int side_index(const PlayerSlot* man) { return man->side == 2 ? 0 : 1; }

void reverse_horizontal(BallState& b)
{
    b.vx = -b.vx;
    b.vy = -b.vy;
    b.heading = vector_angle(b.vx, b.vy);
}

bool in_box(int32_t v, int32_t centre, int32_t margin) { return v >= centre - margin && v <= centre + margin; }

bool outward_beyond_end(const BallState& b)
{
    return (b.x < 0 && b.vx < 0) || (b.x > 0 && b.vx > 0);
}

void mark_goal_or_behind(BallState& b)
{
    const int32_t ay = std::abs(whole(b.y));
    if (ay < 817)
        b.flight_flags |= FLIGHT_GOAL;
    else if (ay < 2455)
        b.flight_flags |= FLIGHT_BEHIND;
}

} // namespace

void check_ball_contacts()
{
    MatchGlobals& g = match_globals;
    clear_contact_plans();
    if (any_official_fetching_ball()) {
        if (g.ball_holder) {
            give_ball_to(nullptr);
            for (int i = 0; i < g.active_men_count; ++i)
                if (g.active_men[i] && !g.active_men[i]->busy_flag)
                    g.active_men[i]->ball_coming = 1;
        }
        officials_fetch_ball();
        return;
    }
    if (ball_contact_allowed())
        resolve_ball_contacts();
}

int32_t ball_contact_allowed()
{
    const MatchGlobals& g = match_globals;
    if (g.ball_holder || g.umpire_with_ball)
        return 0;
    const int s = g.match_state;
    if (s == 1 || s == 41 || s == 49 || (s >= 58 && s <= 73) || s == 100)
        return 1;
    if (s == 6 || s == 36)
        return g.ball_returned ? 1 : 0;
    if (s == 13 || s == 53 || s == 54)
        return ball_state.bounce_count < g.bounce_allowance || ball_state.vz > 0 ? 0 : 1;
    return 0;
}

void resolve_ball_contacts()
{
    MatchGlobals& g = match_globals;
    BallState& b = ball_state;
    const bool kicked_flight =
        (b.flight_flags & FLIGHT_KICKED) && (b.flight_flags & FLIGHT_MOVING) && g.match_state == 1;
    PlayerSlot* const* list = kicked_flight ? g.landing_men : g.active_men;
    const int count = g.active_men_count < 4 ? g.active_men_count : 4;
    const bool plain_flight = static_cast<int16_t>(b.flight_flags) < 128;
    PlayerSlot* receiver = g.pass_receiver;
    bool receiver_seen = false;
    for (int i = 0; i < count; ++i) {
        if (!(b.flags & BALL_FREE) || g.ball_holder)
            break;
        PlayerSlot* m = list[i];
        if (!m || m->busy_flag || m->excluded || m->ball_coming || (m->man_flags2 & 0x0800))
            continue;
        if (plain_flight) {
            if (m == receiver)
                receiver_seen = true;
        } else if (receiver) {
            if (m->team == receiver->team && m != receiver)
                continue;
            if (m == receiver)
                receiver_seen = true;
        }
        contact_man(m, true);
    }
    if (receiver && !receiver_seen && !receiver->busy_flag && !receiver->ball_coming && !receiver->excluded &&
        (b.flags & BALL_FREE) && !g.ball_holder)
        contact_man(receiver, false);

    if (g.ball_holder || g.match_state != 1)
        return;
    const int pickers = g.active_men_count < 3 ? g.active_men_count : 3;
    for (int i = 0; i < pickers; ++i) {
        if (!(b.flags & BALL_FREE))
            break;
        PlayerSlot* m = g.active_men[i];
        if (!m)
            continue;
        if (m->contest_group && is_standing_anim(m) && (both_teams_human() || g.difficulty > 40))
            continue;
        if (static_cast<int16_t>(b.flight_flags) >= 128 && m != receiver && b.bounce_count == 0)
            continue;
        if (m->ball_coming || (m->man_flags & 0x0080) || m == g.pending_pickup_man || g.ball_holder || !m->person)
            continue;
        const int32_t h = player_i32(m->person, PLAYER_HEIGHT);
        if (whole(b.z) < h - h / 6 && std::abs(whole(b.x) - m->x) <= 128 && std::abs(whole(b.y) - m->y) <= 128 &&
            !(m->man_flags & 0x0800) && !is_picking_up(m)) {
            give_ball_to(m);
            return;
        }
    }
}

void attempt_catch(PlayerSlot* man)
{
    if (man->ball_coming)
        return;
    const MatchGlobals& g = match_globals;
    const BallState& b = ball_state;
    const int32_t dx = man->x + man->catch_offset[0] - whole(b.x);
    const int32_t dy = man->y + man->catch_offset[1] - whole(b.y);
    const int32_t dz = man->z + man->catch_offset[2] - whole(b.z);
    int32_t threshold;
    const TeamRecord* team = man->team;
    if (team && team->human_count == 0 && team->other_team && team->other_team->human_count)
        threshold = static_cast<int32_t>(game_random() & 255) + 50 - g.difficulty;
    else
        threshold = static_cast<int32_t>(game_random() & 255) - 80;
    const uint16_t kind = (man->man_flags2 & CATCH_CHEST) ? CATCH_CHEST : (man->man_flags2 & CATCH_HANDS);
    if (!kind || std::abs(dx) >= 64 || std::abs(dy) >= 64 || std::abs(dz) >= 64)
        return;
    int32_t rating = 0; // a club beyond the table has no safe hands
    if (team && team->club && team->club->number < 16)
        rating = club_catch_ratings[team->club->number];
    const int32_t catching = man->person ? player_i16(man->person, PLAYER_MARKING) : 0;
    const int32_t skill = rating * catching / 100;
    const int s = side_index(man);
    if (skill <= threshold && !man->contest_group) {
        ++catch_stats.spilled[s];
        spill_ball(man, kind);
        return;
    }
    ++catch_stats.clean[s];
    if (kind == CATCH_CHEST) {
        play_man_animation(man, man->follow_on_catch, 0, 1.0);
        give_ball_to(man);
    } else {
        presentation::flush_pending_commentary();
        give_ball_to(man);
        play_man_animation(man, man->follow_on_catch, 0, 1.0);
    }
}

void spill_ball(PlayerSlot* man, uint16_t kind)
{
    BallState& b = ball_state;
    man->ball_coming = 1;
    const auto r1 = static_cast<int32_t>(game_random() & 7);
    const auto r2 = static_cast<int32_t>(game_random() & 7);
    const auto r3 = static_cast<int32_t>(game_random() & 7);
    const int32_t vx = whole(b.vx), vy = whole(b.vy), vz = whole(b.vz);
    int32_t nx, ny;
    if (kind == CATCH_HANDS) { // off the hands and back
        nx = 3 - vx / 4 - r1;
        ny = 3 - vy / 4 - r2;
    } else {
        nx = r1 + vx / 4 - 3;
        ny = r2 + vy / 4 - 3;
    }
    b.vx = fixed_from_whole(nx);
    b.vy = fixed_from_whole(ny);
    b.vz = fixed_from_whole(r3 + vz / 4 - 3);
    b.gravity = BALL_GRAVITY;
    b.heading = vector_angle(b.vx, b.vy);
    b.flight_flags &= FLIGHT_KEPT_BY_LAUNCH;
    restart_tumble(b);
}

void launch_ball_to_point(PlayerSlot* man, int32_t elevation, int32_t dx, int32_t dy, uint8_t heading,
                          int32_t distance, int16_t height_tag, uint16_t kind)
{
    BallState& b = ball_state;
    if (!is_official(man))
        man->ball_coming = 1;
    if (elevation == 0 || elevation == 64 || distance == 0)
        return;
    const int32_t S = sine_table[elevation & 255];
    const int32_t C = sine_table[(elevation & 255) + 64];
    if (S * C <= 0) // straight up or down, or backwards: no range to solve for
        return;
    if (kind != FLIGHT_HANDPASSED) {
        b.launch_x = whole(b.x);
        b.launch_y = whole(b.y);
        game_random();
    }
    if (kind == FLIGHT_THROWN) {
        b.landing_x = static_cast<int16_t>(man->x + 7 * dx / 8);
        b.landing_y = static_cast<int16_t>(man->y + 7 * dy / 8);
    } else {
        b.landing_x = static_cast<int16_t>(whole(b.x) + dx);
        b.landing_y = static_cast<int16_t>(whole(b.y) + dy);
    }
    const int64_t q = 2511LL * distance / (2LL * S * C);
    const auto s = static_cast<int64_t>(std::llrint(std::sqrt(static_cast<double>(q)) * 16777216.0));
    const int64_t h = s * C / 256 / distance;
    b.vx = static_cast<int32_t>(dx * h / 62);
    b.vy = static_cast<int32_t>(dy * h / 62);
    b.vz = static_cast<int32_t>(s * S / 256 / 62);
    b.gravity = BALL_GRAVITY;
    b.launch_height = height_tag;
    b.heading = heading;
    restart_tumble(b);
    b.flight_flags = static_cast<uint16_t>((b.flight_flags & FLIGHT_KEPT_BY_LAUNCH) | kind);
    if (kind == FLIGHT_KICKED && !is_official(man))
        match_globals.last_kicker = man;
}

void drop_ball_from_hands(PlayerSlot* man, int32_t elevation, int32_t dx, int32_t dy, int32_t heading,
                          int32_t distance, int32_t height_tag, int32_t kind)
{
    MatchGlobals& g = match_globals;
    if (man != g.ball_holder && man != g.umpire_with_ball)
        return; // nothing in his hands to let go
    BallState& b = ball_state;
    int32_t hand[3];
    get_limb_position(hand, man, man->primary_animation, man->primary_position >> 16, man->facing, 0);
    const int32_t x = man->x + hand[0], z = man->z + hand[1], y = man->y + hand[2];
    b.x = fixed_from_whole(clamp16(x));
    b.y = fixed_from_whole(clamp16(y));
    b.z = fixed_from_whole(clamp16(z < 0 ? 0 : z));
    b.prev_x = whole(b.x), b.prev_y = whole(b.y), b.prev_z = whole(b.z);
    give_ball_to(nullptr);
    launch_ball_to_point(man, elevation, dx, dy, static_cast<uint8_t>(heading), distance,
                         static_cast<int16_t>(height_tag), static_cast<uint16_t>(kind));
}

void umpire_launch_ball(int16_t target_x, int16_t target_y)
{
    BallState& b = ball_state;
    for (int i = 0; i < 4; ++i)
        game_random();
    b.launch_x = scaled_256ths(launch_spot[0]);
    b.launch_y = scaled_256ths(launch_spot[2]);
    b.launch_height = 63;
    b.landing_x = target_x;
    b.landing_y = target_y;
    b.vx = 102400;
    b.vy = 0;
    b.vz = -6765006; // thrown down hard
    b.gravity = BALL_GRAVITY;
    b.x = fixed_from_whole(scaled_256ths(launch_spot[0]));
    b.z = fixed_from_whole(scaled_256ths(launch_spot[1]));
    b.y = fixed_from_whole(scaled_256ths(launch_spot[2]));
    b.heading = vector_angle(b.vx, b.vy);
    restart_tumble(b);
    b.flight_flags = static_cast<uint16_t>((b.flight_flags & FLIGHT_KEPT_BY_LAUNCH) | FLIGHT_DEAD_BOUNCE);
    PlayerSlot& umpire = official_slots[0];
    play_man_animation(&umpire, FIELD_UMPIRE_BALL_UP, 0, 1.0);
    umpire.man_flags |= MAN_BUSY;
}

namespace {
int32_t raw_deflection(int32_t bias)
{
    const auto r = static_cast<int32_t>(game_random() & 0x3ff);
    if (bias > 0)
        return r + 512 + bias;
    if (bias < 0)
        return -512 - r + bias;
    return (game_random() & 1) ? r + 512 : -(r + 512);
}
} // namespace

void deflect_ball_random(PlayerSlot* at_man, const PlayerSlot* toucher)
{
    BallState& b = ball_state;
    int32_t bx = 0, by = 0;
    if (toucher && (toucher->velocity_x || toucher->velocity_y)) {
        bx = toucher->velocity_x * 16;
        by = toucher->velocity_y * 16;
    }
    const int32_t rx = raw_deflection(bx);
    const int32_t ry = raw_deflection(by);
    const auto rz = static_cast<int32_t>(game_random() & 0x1ff);
    b.launch_x = at_man->x;
    b.launch_y = at_man->y;
    b.launch_height = 384;
    b.vx = static_cast<int32_t>((static_cast<int64_t>(rx) << 16) / 62);
    b.vy = static_cast<int32_t>((static_cast<int64_t>(ry) << 16) / 62);
    b.vz = static_cast<int32_t>((static_cast<int64_t>(rz) << 16) / 62);
    b.gravity = BALL_GRAVITY;
    b.heading = vector_angle(b.vx, b.vy);
    b.flight_flags &= FLIGHT_KEPT_BY_LAUNCH;
    restart_tumble(b);
    b.z = 384 << 16;
}

void start_bounce_ball(PlayerSlot* man)
{
    man->next_bounce_distance = man->speed * 261 * 81 / 20;
    if (man->speed_burst == 0) {
        man->speed = 20;
        play_man_animation(man, BOUNCE_BALL, 0, 1.0);
    } else {
        play_man_animation(man, BOUNCE_BALL, 0, 2.0);
    }
}

void check_score()
{
    if (match_globals.match_state != 1)
        return;
    BallState& b = ball_state;
    const bool marked = b.flight_flags & FLIGHT_SCORE_MARKS;
    if (!marked && (b.flags & BALL_FREE)) {
        const int32_t z = whole(b.z);
        const int32_t ax = std::abs(whole(b.x)), ay = std::abs(whole(b.y));
        uint16_t hit = 0;
        if (z < 2048) {
            const int32_t m = z < 333 ? 61 + 23 : 36 + 23;
            if (in_box(ax, 24207, m) && in_box(ay, 2455, m))
                hit = FLIGHT_BEHIND_POST;
        }
        if (!hit && z < 3123) {
            const int32_t m = z <= 512 ? 120 : 95;
            if (in_box(ax, 24448, m) && in_box(ay, 817, m))
                hit = FLIGHT_POST;
        }
        if (hit) {
            b.flight_flags |= hit;
            presentation::play_effect(9, 0, 105);
            reverse_horizontal(b);
            b.x += 2 * b.vx;
            b.y += 2 * b.vy;
            b.prev_bounce_phase = b.tumble_phase;
            b.tumble_period = 0;
            b.tumble_countdown = 0;
            b.tumble_dir = static_cast<int8_t>(-b.tumble_dir);
            return;
        }
    }
    if (marked || in_field(whole(b.x), whole(b.y)))
        return;
    if (b.flags & BALL_FREE) {
        if (outward_beyond_end(b))
            mark_goal_or_behind(b);
    } else if (outward_beyond_end(b) || (b.flags & BALL_HELD)) {
        mark_goal_or_behind(b);
    }
}

void ball_wide_test()
{
    BallState& b = ball_state;
    if (in_field(whole(b.x), whole(b.y)))
        b.flags &= static_cast<uint16_t>(~BALL_WIDE_MARKS);
    else if (std::abs(whole(b.y)) >= 2491)
        b.flags |= BALL_WIDE_MARKS;
}

int32_t ball_is_loose_in_air()
{
    const MatchGlobals& g = match_globals;
    const int32_t z = whole(ball_state.z);
    return !g.ball_holder && !g.umpire_with_ball && !(ball_state.flags & BALL_HELD) && z >= 512 && z <= 6400;
}

void get_limb_position(int32_t out[3], PlayerSlot* man, int32_t animation, int32_t frame, int32_t, int32_t)
{
    const PafAnimation* data =
        animation >= 0 && animation < ANIM_ROW_COUNT ? animation_table[animation].data : nullptr;
    if (data && data->separate_ball == 1) {
        out[0] = out[1] = out[2] = 0;
        return;
    }
    get_joint_position(out, man, static_cast<uint32_t>(animation), 0, frame, man->facing, 15);
}

void rotate_offset_by_facing(int32_t out[3], const OffsetPoint& point, uint8_t facing)
{
    const int32_t steps = ((facing - 128) & 255) * 64; // 16384 to a turn
    const double a = -steps * (2.0 * std::numbers::pi / 16384.0);
    const double x = (point.flags & 1) ? -point.x : point.x;
    const double z = point.z;
    const double rx = x * std::cos(a) + z * std::sin(a);
    const double rz = z * std::cos(a) - x * std::sin(a);
    out[0] = static_cast<int32_t>(std::round(rx * 2.56));
    out[1] = static_cast<int32_t>(std::round(-point.y * 2.56));
    out[2] = static_cast<int32_t>(std::round(rz * 2.56));
}

void throw_in_ball()
{
    BallState& b = ball_state;
    if (game_random() & 1)
        presentation::commentate(43, -1, -1, -1, -1, 7);
    PlayerSlot* umpire = &official_slots[whole(b.y) < 0 ? 2 : 1];
    const uint8_t angle = match_globals.throw_in_angle;
    const int32_t dx = fixed_sin(angle, 2560), dy = fixed_cos(angle, 2560);
    launch_ball_to_point(umpire, 53, dx, dy, angle, 2560, 512, FLIGHT_THROWN);
    play_man_animation(umpire, 191, 0, 1.0);
    umpire->man_flags |= MAN_BUSY;
}

void rebound_ball_off_man(PlayerSlot* man)
{
    BallState& b = ball_state;
    PlayerSlot* target = man->target_man;
    if (target) {
        int32_t speed = approx_vector_length(whole(b.vx), whole(b.vy));
        bool send = true;
        if (!man->contest_group && man->person) // an unskilled man may fumble it
            send = static_cast<int32_t>(game_random() & 255) < player_i16(man->person, PLAYER_MARKING);
        if (send) {
            if (speed < 8)
                speed = (4 + static_cast<int32_t>(game_random() & 7)) * 256 / 62;
            const uint8_t h = static_cast<uint8_t>(vector_angle(target->x - whole(b.x), target->y - whole(b.y)));
            b.vx = fixed_from_whole(fixed_sin(h, speed));
            b.vy = fixed_from_whole(fixed_cos(h, speed));
            b.vz = -1;
        }
    } else {
        const bool own_end = (man->side == 2 && man->x < -22002) || (man->side != 2 && man->x >= 22003);
        const bool moving_away = man->side == 2 ? b.vx > 0 : b.vx < 0;
        if (own_end || moving_away) {
            b.vz -= b.vz / 4;
        } else {
            b.vx = -b.vx;
            b.vy = -b.vy;
            b.vz = -1;
        }
    }
    b.heading = vector_angle(b.vx, b.vy);
    b.flight_flags &= 0x383c;
    presentation::play_effect(11, 0, 105);
    flag_players_ball_coming();
}

void punch_ball_back(PlayerSlot* man)
{
    reverse_ball();
    flag_players_ball_coming();
    presentation::play_effect(11, 0, 105);
    man->man_flags2 &= static_cast<uint16_t>(~0x0002u);
    presentation::commentate(32, man->team_index, man->number, -1, -1, 6);
}

void reverse_ball()
{
    BallState& b = ball_state;
    b.vx = -b.vx;
    b.vy = -b.vy;
    b.vz = -1;
    b.gravity = BALL_GRAVITY;
    b.heading = vector_angle(b.vx, b.vy);
    b.flight_flags &= 0x383c;
}

int32_t time_to_height(int32_t height)
{
    const BallState& b = ball_state;
    const double u = -(static_cast<double>(b.vz) * 62.0 / 16777216.0);
    const double h = static_cast<double>(b.z) / 16777216.0;
    const double target = height / 256.0;
    const double disc = u * u - 19.624 * (target - h);
    if (disc < 0)
        return 0;
    const double root = std::sqrt(disc);
    const double t1 = (root - u) * 0.10191602119853242, t2 = (-u - root) * 0.10191602119853242;
    return static_cast<int32_t>(std::lrint((t1 > t2 ? t1 : t2) * 62.0));
}

int32_t nearest_opponent_distance(const PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* m = g.landing_men[i];
        if (m && !m->busy_flag && !m->excluded && !(m->man_flags2 & 0x0800) && m->side != man->side)
            return g.landing_distance[i];
    }
    return 0x7fff; // nobody near: as far as a distance goes
}

int32_t kick_on_target(const PlayerSlot* man, uint8_t heading)
{
    const BallState& b = ball_state;
    const int32_t goal_x = man->side == 2 ? 24562 : -24562;
    const int32_t to_goal = vector_angle(goal_x - man->x, -man->y);
    const int32_t bx = whole(b.x), by = whole(b.y);
    return std::abs(angle_diff(to_goal, heading)) < 20 &&
           vector_length(goal_x - bx, -by) - vector_length(b.landing_x - bx, b.landing_y - by) <= 2560;
}

int32_t any_official_fetching_ball()
{
    for (const PlayerSlot& u : official_slots)
        if (u.action == 1)
            return 1;
    return 0;
}

void officials_fetch_ball()
{
    for (PlayerSlot& u : official_slots) {
        if (u.action != 1)
            continue;
        if (match_globals.umpire_with_ball) {
            u.action = 0;
            continue;
        }
        act_go_for_ball(&u);
        ball_contact_planner_d(&u);
        nearest_option_action1(&u);
    }
}
