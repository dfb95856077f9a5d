#include "match/ball.h"

#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "match/match_flow.h"

#include <cmath>
#include <cstdlib>

PredictedBallPath predicted_ball_path;
BallPathBounds ball_path_bounds;

namespace {

constexpr int32_t HALF_GRAVITY = 21412;
constexpr double CATCH_HEIGHT_M = 2.986547085201794;
constexpr double ONE_OVER_G = 0.10191602119853242;
constexpr int32_t BOUNCE_EFFECT = 26;

struct GroundValues {
    float bounce, friction;
    int32_t rest;
};
constexpr GroundValues ground_values[4] = {{0.6f, 0.6f, 8}, {0.43f, 0.65f, 8}, {0.38f, 0.75f, 10}, {0.5f, 0.7f, 8}};

int32_t wrap_add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// The loss to friction is the low 16 bits of v x f: it can even add a little.
int32_t friction_loss(int32_t v, float f)
{
    const auto t = static_cast<int64_t>(static_cast<double>(v) * static_cast<double>(f));
    return static_cast<int16_t>(static_cast<uint16_t>(t));
}

PlayerSlot* first_of_side(PlayerSlot* const* list, const int32_t* distances, int count, bool same_team,
                          const PlayerSlot* kicker, int32_t* distance)
{
    for (int i = 0; i < count; ++i) {
        PlayerSlot* m = list[i];
        if (!m || m == kicker)
            continue;
        if ((m->team == kicker->team) == same_team) {
            *distance = distances[i];
            return m;
        }
    }
    *distance = 0x7fffffff;
    return nullptr;
}

int32_t man_index(const PlayerSlot* man) { return man ? man->number : -1; }
int32_t team_index(const PlayerSlot* man) { return man ? man->team_index : -1; }

void top_of_flight_commentary(BallState* ball)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* kicker = g.last_kicker;
    if (presentation::commentary_state() == 10 || !kicker || g.previous_match_state == 17 || ball->bounce_count != 0 ||
        !(ball->flight_flags & FLIGHT_KICKED))
        return;
    const int32_t goal_x = kicker->side == 2 ? 24562 : -24562;
    const int32_t bx = whole(ball->x), by = whole(ball->y);
    const int32_t to_goal = vector_angle(goal_x - kicker->x, 0 - kicker->y);
    const int32_t diff = angle_diff(to_goal, ball->heading);
    const int32_t ball_to_goal = vector_length(goal_x - bx, -by);
    const int32_t ball_to_landing = vector_length(ball->landing_x - bx, ball->landing_y - by);
    if (std::abs(diff) < 20 && ball_to_goal - ball_to_landing <= 2560)
        return;
    g.missed_kick = 1;
    const int count = g.active_men_count;
    int32_t mate_d, opp_d;
    PlayerSlot* mate = first_of_side(g.landing_men, g.landing_distance, count, true, kicker, &mate_d);
    first_of_side(g.landing_men, g.landing_distance, count, false, kicker, &opp_d);
    const bool first_is_mate = count > 0 && g.landing_men[0] && g.landing_men[0]->team == kicker->team;
    if (first_is_mate || mate_d <= 2560) {
        if (mate && mate_d < 1024 && opp_d >= 1537) {
            presentation::clear_pending_commentary();
            const uint32_t r = (game_random() & 0xffff) % 10;
            const int32_t event = r == 2 ? 11 : (r == 1 ? 68 : (r == 0 ? 69 : -1));
            if (event >= 0)
                presentation::commentate(event, team_index(kicker), man_index(kicker), team_index(mate),
                                         man_index(mate), 1);
        }
        return;
    }
    if (g.kick_remark_hold)
        return;
    if (game_random() & 1)
        return;
    presentation::commentate((game_random() & 1) ? 71 : 12, team_index(kicker), man_index(kicker), -1, -1, 4);
}

void first_bounce_commentary(BallState* ball)
{
    MatchGlobals& g = match_globals;
    if (g.match_state != 1) {
        if (g.match_state == 13)
            presentation::crowd_react(0);
        return;
    }
    const bool kicked = ball->flight_flags & FLIGHT_KICKED;
    const bool scored = ball->flight_flags & (FLIGHT_GOAL | FLIGHT_BEHIND);
    const bool after_score = g.match_state == 4 || g.match_state == 36;
    PlayerSlot* nearest = g.active_men_count > 0 ? g.active_men[0] : nullptr;
    if (nearest && nearest->ball_distance < 1280 && (game_random() & 1)) {
        if (kicked)
            presentation::commentate(78, team_index(nearest), man_index(nearest), -1, -1, 1);
        return;
    }
    if (presentation::commentary_state() == 12 && (game_random() & 3) == 0) {
        if (!scored && !after_score)
            presentation::flush_pending_commentary();
        else
            presentation::clear_pending_commentary();
        return;
    }
    if (kicked && (game_random() & 3) == 0) {
        if (!scored && !after_score)
            presentation::commentate(12, -1, -1, -1, -1, 4);
        return;
    }
    presentation::clear_pending_commentary();
}

// The common tail of the four rules.
void finish_bounce(BallState* ball, int32_t v, int32_t s, int32_t h)
{
    if (v < 0)
        v = 0;
    ball->tumble_countdown = 0;
    if (s < 0) {
        s = -s;
        h = (h - 128) & 255;
    }
    ball->vx = static_cast<int32_t>(static_cast<uint32_t>(fixed_sin(static_cast<uint8_t>(h), s)) << 16);
    ball->vy = static_cast<int32_t>(static_cast<uint32_t>(fixed_cos(static_cast<uint8_t>(h), s)) << 16);
    ball->vz = v;
    ball->heading = static_cast<uint16_t>(h);
}

struct BounceStart {
    int16_t s, p;
    int32_t h, v;
};

BounceStart start_bounce(const BallState* ball, int32_t d)
{
    BounceStart b;
    b.s = static_cast<int16_t>(vector_length(ball->vx, ball->vy) >> 16);
    b.p = ball->tumble_period;
    if (b.s > 34)
        d >>= 1;
    b.h = (ball->heading + d) & 255;
    b.v = static_cast<int32_t>(std::lrint(-static_cast<double>(ball->vz) *
                                          static_cast<double>(match_globals.ground_bounce_factor)));
    return b;
}

int16_t i16(int32_t v) { return static_cast<int16_t>(v); }
int8_t halved_not_negative(int32_t p)
{
    const int32_t r = i16(p - (p >> 1));
    return static_cast<int8_t>(r < 0 ? 0 : r);
}

using BounceRule = void (*)(BallState*, int32_t);
constexpr BounceRule bounce_rules[8] = {bounce_rule_a, bounce_rule_b, bounce_rule_c, bounce_rule_d,
                                        bounce_rule_a, bounce_rule_d, bounce_rule_c, bounce_rule_b};

void clear_coming_and_flag4(PlayerSlot* m)
{
    m->ball_coming = 0;
    m->man_flags &= static_cast<uint16_t>(~0x0004u);
}

} // namespace

void set_ball_ground_values(uint8_t weather)
{
    const GroundValues& v = ground_values[weather & 3];
    match_globals.ground_bounce_factor = v.bounce;
    match_globals.ground_friction = v.friction;
    match_globals.ball_rest_threshold = v.rest;
}

void bounce_rule_a(BallState* ball, int32_t d)
{
    BounceStart b = start_bounce(ball, d);
    const int16_t s = b.s, p = b.p;
    b.v -= s * 2048;
    int32_t s2;
    if (ball->tumble_dir == 1) {
        s2 = i16(s - (s >> 4) - ((64 - p) >> 4));
        int8_t np = static_cast<int8_t>(p * 2);
        if (np > 4) {
            np = 2;
            ball->tumble_dir = -1;
        }
        ball->tumble_period = np;
    } else {
        s2 = i16(s - (s >> 4) + ((64 - p) >> 4));
        ball->tumble_period = halved_not_negative(p);
    }
    finish_bounce(ball, b.v, s2, b.h);
}

void bounce_rule_b(BallState* ball, int32_t d)
{
    BounceStart b = start_bounce(ball, d);
    const int16_t s = b.s, p = b.p;
    b.v += b.v >> 4;
    int32_t s2;
    if (ball->tumble_dir == 1) {
        s2 = i16(s - (s >> 1) - 2 - ((64 - p) >> 3));
        ball->tumble_period = halved_not_negative(p);
    } else {
        s2 = i16(s - (s >> 2) + ((64 - p) >> 3));
        ball->tumble_period = static_cast<int8_t>(p - (p >> 2));
    }
    finish_bounce(ball, b.v, s2, b.h);
}

void bounce_rule_c(BallState* ball, int32_t d)
{
    BounceStart b = start_bounce(ball, d);
    const int16_t s = b.s, p = b.p;
    const int16_t s1 = i16(s - (s >> 3));
    b.v += s1 * 2048;
    const int32_t s2 = i16(s1 - ((64 - p) >> 3));
    if (ball->tumble_dir == 1) {
        int8_t np = static_cast<int8_t>(p + (p >> 1));
        if (np > 4) {
            np = static_cast<int8_t>(np - 2);
            ball->tumble_dir = -1;
        }
        ball->tumble_period = np;
    } else {
        ball->tumble_period = halved_not_negative(p);
    }
    finish_bounce(ball, b.v, s2, b.h);
}

void bounce_rule_d(BallState* ball, int32_t d)
{
    BounceStart b = start_bounce(ball, d);
    const int16_t s = b.s, p = b.p;
    b.v -= b.v >> 4;
    int32_t s2;
    if (ball->tumble_dir == 1) {
        int16_t s1 = i16(s + (s >> 5));
        int8_t np = static_cast<int8_t>(p + (p >> 1));
        if (np > 4) {
            np = static_cast<int8_t>(np - 2);
            ball->tumble_dir = -1;
            b.v += b.v >> 4;
        }
        ball->tumble_period = np;
        if (ball->tumble_phase == ball->prev_bounce_phase - 4) {
            b.v += b.v >> 2;
            s1 = i16(s1 - (s1 >> 1));
        }
        s2 = i16(s1 - ((64 - p) >> 3));
    } else {
        s2 = i16(s + (s >> 5) - ((64 - p) >> 3));
        ball->tumble_period = halved_not_negative(p);
    }
    finish_bounce(ball, b.v, s2, b.h);
}

void set_ball_landing_point(BallState* ball)
{
    const double u = -(static_cast<double>(ball->vz) * 62.0 / 16777216.0);
    const double h = static_cast<double>(ball->z) / 16777216.0;
    const double disc = u * u - 19.624 * (CATCH_HEIGHT_M - h);
    int64_t t;
    if (disc >= 0) {
        const double root = std::sqrt(disc);
        const double t1 = (root - u) * ONE_OVER_G;
        const double t2 = (-u - root) * ONE_OVER_G;
        t = std::llrint((t1 > t2 ? t1 : t2) * 62.0);
    } else {
        t = 2 * static_cast<int64_t>(ball->vz) / BALL_GRAVITY;
    }
    ball->landing_x = static_cast<int16_t>((static_cast<int64_t>(ball->vx) * t + ball->x) >> 16);
    ball->landing_y = static_cast<int16_t>((static_cast<int64_t>(ball->vy) * t + ball->y) >> 16);
}

namespace {
void step_ball(BallState* ball, int32_t predicting, bool fence)
{
    if (!(ball->flags & BALL_FREE) || !(ball->flight_flags & FLIGHT_MOVING))
        return;
    MatchGlobals& g = match_globals;
    for (int i = 0; i < 3; ++i)
        ball->spin_angle[i] = wrap_add(ball->spin_angle[i], ball->spin_rate[i]);
    if (--ball->tumble_countdown < 0) {
        ball->tumble_countdown = ball->tumble_period;
        int32_t phase = ball->tumble_phase + ball->tumble_dir;
        if (phase > 15)
            phase = 0;
        else if (phase < 0)
            phase = 15;
        ball->tumble_phase = static_cast<int8_t>(phase);
    }
    ball->prev_x = whole(ball->x);
    ball->prev_y = whole(ball->y);
    ball->prev_z = whole(ball->z);
    ball->x = wrap_add(ball->x, ball->vx);
    ball->y = wrap_add(ball->y, ball->vy);
    ball->z = wrap_add(ball->z, ball->vz - HALF_GRAVITY);

    const bool at_rest = ball->flight_flags & FLIGHT_AT_REST;
    if (whole(ball->z) >= 0) {
        if (!at_rest) {
            const int32_t old_vz = ball->vz;
            ball->vz -= ball->gravity;
            if (!predicting && old_vz >= 0 && ball->vz < 0) {
                top_of_flight_commentary(ball);
                if (g.match_state == 1 && presentation::commentary_state() != 12)
                    presentation::flush_pending_commentary();
                if (ball->flight_flags & FLIGHT_KICKED) {
                    for_each_active([](PlayerSlot* m) { m->ball_coming = 0; });
                    g.ball_coming_mark = 0;
                }
            }
        }
    } else if (!at_rest) {
        if (!predicting) {
            int32_t volume = 55 - whole(ball->vz);
            if (volume > 127) // the effects scale would wrap a louder one
                volume = 127;
            presentation::play_effect(BOUNCE_EFFECT, 21922 + static_cast<int32_t>(game_random() & 255), volume);
        }
        ball->vx -= friction_loss(ball->vx, g.ground_friction);
        ball->vy -= friction_loss(ball->vy, g.ground_friction);
        int32_t d;
        if (ball->bounce_count > 0) {
            d = 63 - static_cast<int32_t>(game_random_b() & 127);
        } else {
            if (!predicting) {
                first_bounce_commentary(ball);
                for_each_active([](PlayerSlot* m) {
                    clear_coming_and_flag4(m);
                    if (m->action == 23)
                        m->action = 0;
                });
            }
            ball->tumble_period = 0;
            ball->tumble_countdown = 0;
            d = 31 - static_cast<int32_t>(game_random_b() & 63);
        }
        if ((ball->flight_flags & FLIGHT_DEAD_BOUNCE) && ball->bounce_count == 0)
            ball->vz = -(ball->vz / 2);
        else
            bounce_rules[(ball->tumble_phase >> 1) & 7](ball, d);

        const int32_t speed = std::abs(whole(ball->vx)) + std::abs(whole(ball->vy)) + std::abs(whole(ball->vz));
        if (speed <= g.ball_rest_threshold && ball->bounce_count >= 2) {
            ball->tumble_phase = 12;
            ball->flight_flags = static_cast<uint16_t>((ball->flight_flags & ~FLIGHT_MOVING) | FLIGHT_AT_REST);
            ball->z = ball->vx = ball->vy = ball->vz = 0;
            if (!predicting)
                for_each_active(clear_coming_and_flag4);
        } else {
            if (!predicting) {
                for_each_active([](PlayerSlot* m) { m->contact_claim = 0; });
                g.pass_receiver = nullptr;
            }
            ++ball->bounce_count;
            ball->z = ball->vz;
            if (ball->tumble_period < 0)
                ball->tumble_period = 0;
            else if (ball->tumble_period > 64)
                ball->tumble_period = 64;
            ball->prev_bounce_phase = ball->tumble_phase;
            if (!(ball->flight_flags & FLIGHT_DEAD_BOUNCE)) {
                const auto r = static_cast<int16_t>(
                    approx_vector_length(whole(ball->vx), whole(ball->vy)) * whole(ball->vz));
                const auto h = static_cast<uint8_t>(ball->heading);
                ball->landing_x = static_cast<int16_t>(whole(ball->x) + fixed_sin16(h, r));
                ball->landing_y = static_cast<int16_t>(whole(ball->y) + fixed_cos16(h, r));
            } else {
                set_ball_landing_point(ball);
            }
        }
    }

    const int16_t bx = whole(ball->x), by = whole(ball->y);
    if (!fence || in_field(bx, by))
        return;
    const double ex = bx / 26624.0, ey = by / 17920.0;
    if (ex * ex + ey * ey > 1.0) {
        ball->x = wrap_add(ball->x, -ball->vx);
        ball->y = wrap_add(ball->y, -ball->vy);
        ball->vz = 0;
        ball->vx = -ball->x / 2000;
        ball->vy = -ball->y / 2000;
        ball->heading = vector_angle(ball->vx, ball->vy);
        ball->flags |= BALL_FREE;
        ball->flight_flags = static_cast<uint16_t>((ball->flight_flags & ~FLIGHT_AT_REST) | FLIGHT_MOVING);
    }
}
} // namespace

void ball_step(BallState* ball, int32_t predicting) { step_ball(ball, predicting, true); }

void note_ball_path_bounds()
{
    int32_t lo = predicted_ball_path.position[0][1], hi = lo;
    for (const auto& p : predicted_ball_path.position) {
        lo = p[1] < lo ? p[1] : lo;
        hi = p[1] > hi ? p[1] : hi;
    }
    ball_path_bounds = {1, lo, hi};
}

void forget_ball_path_bounds() { ball_path_bounds.valid = 0; }

void update_ball(BallState* ball, int32_t predict)
{
    ball_step(ball, 0);
    if (predict != 1)
        return;
    forget_ball_path_bounds();
    const uint32_t saved = match_globals.random_state_b;
    BallState copy = *ball;
    for (int k = 0; k < PREDICTED_STEPS; ++k) {
        predicted_ball_path.position[k][0] = copy.x;
        predicted_ball_path.position[k][1] = copy.z;
        predicted_ball_path.position[k][2] = copy.y;
        for (int i = 0; i < 3; ++i)
            predicted_ball_path.spin[k][i] = copy.spin_angle[i];
        ball_step(&copy, 1);
    }
    match_globals.random_state_b = saved;
}

namespace {
void reset_ball_at(int16_t x, int16_t y, int32_t spin_x, int32_t spin_z)
{
    BallState& b = ball_state;
    b.x = static_cast<int32_t>(static_cast<uint32_t>(x) << 16);
    b.y = static_cast<int32_t>(static_cast<uint32_t>(y) << 16);
    b.z = b.vx = b.vy = b.vz = 0;
    b.gravity = BALL_GRAVITY;
    b.tumble_phase = b.tumble_period = b.tumble_countdown = 0;
    b.bounce_count = 0;
    b.tumble_dir = -1;
    b.flags = BALL_FREE;
    b.flight_flags = FLIGHT_AT_REST;
    b.spin_rate[0] = spin_x;
    b.spin_rate[1] = 0;
    b.spin_rate[2] = spin_z;
    b.spin_angle[0] = b.spin_angle[1] = b.spin_angle[2] = 0;
    match_globals.umpire_with_ball = nullptr;
    const int n = men_in_use();
    for (TeamRecord& team : team_records)
        for (int i = 0; i < n; ++i) {
            PlayerSlot& m = team.slots[i];
            m.ball_coming = 0;
            if (m.action == 23) {
                m.action = 0;
                m.man_flags &= static_cast<uint16_t>(~0x0800u);
            }
            m.man_flags &= static_cast<uint16_t>(~0x0004u);
            m.man_flags2 &= static_cast<uint16_t>(~(0x0040u | 0x0008u | 0x0800u));
        }
}
} // namespace

void place_ball(int16_t x, int16_t y)
{
    give_ball_to(nullptr);
    reset_ball_at(x, y, 1024, 512);
}

void place_ball_clear_holder(int16_t x, int16_t y)
{
    give_ball_to(nullptr);
    match_globals.ball_holder = nullptr;
    match_globals.last_ball_holder = nullptr;
    reset_ball_at(x, y, 0, 0);
}

void rebound_ball_vertical(BallState* ball)
{
    ball->vz = static_cast<int32_t>(
        std::lrint(-static_cast<double>(ball->vz) * static_cast<double>(match_globals.ground_bounce_factor)));
}

void ball_step_plain(BallState* ball) { step_ball(ball, 1, false); }

void ball_wind_drift(BallState* ball, int32_t wind_on, int16_t wind_x, int16_t wind_y)
{
    if (!wind_on || whole(ball->z) <= 1024)
        return;
    if (whole(ball->vx) <= wind_x)
        ball->vx += 65536;
    if (whole(ball->vy) <= wind_y)
        ball->vy += 65536;
    ball->heading = vector_angle(ball->vx, ball->vy);
}

void ball_offset_step(BallState* ball, int32_t dx, int32_t dy, int32_t dz)
{
    ball->x = wrap_add(ball->x, dx);
    ball->y = wrap_add(ball->y, dy);
    ball->z = wrap_add(ball->z, dz);
}
