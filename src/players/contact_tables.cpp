#include "players/contact_tables.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "players/anim_driver.h"
#include "model/anim_table.h"
#include "players/contact_planners.h"
#include "players/frame_events.h"
#include "players/man_display.h"
#include "model/rotation.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
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
#include <cstdlib>
#include <climits>
#include <cstring>

ContactRow pickup_rows[PICKUP_ROWS];
ContactRow catch_rows[CATCH_ROWS];
ContactRow ground_kick_row_data;
ContactRow slap_rows[SLAP_ROWS];

namespace {

constexpr int32_t GRAVITY = 42824;
const float kSizeScale[MAN_SIZES] = {0.9f, 1.0f, 1.1f};
const double kTwoPi = 6.283185307179586;

struct SlapSource {
    uint32_t animation;
    int32_t frame, mirrored, joint, direction;
};
// The slaps' contact frames are table data; some differ from their scripts.
const SlapSource kSlaps[SLAP_ROWS] = {
    {46, 9, 0, 14, 1},  {47, 9, 1, 14, 2},  {48, 15, 0, 14, 4}, {49, 9, 0, 14, 8},  {50, 9, 0, 14, 1},
    {51, 9, 1, 14, 2},  {52, 17, 0, 14, 4}, {53, 19, 0, 14, 8}, {54, 10, 1, 11, 1}, {55, 10, 0, 11, 2},
    {56, 5, 0, 11, 4},  {57, 6, 0, 11, 8},  {58, 9, 1, 11, 1},  {59, 9, 0, 11, 2},  {60, 10, 0, 14, 4},
    {61, 10, 0, 11, 8}, {62, 12, 0, 11, 8},
};

// The joint at time, whole units (halves away from zero), as stored: the
// row's own mirror undone, facing +z.
void contact_point(const SkeletonContext* ctx, uint32_t a, int32_t byte, int32_t joint, int32_t out[3])
{
    int32_t fine[3];
    float angles[3];
    SkeletonContext c = *ctx;
    const uint32_t t = byte > 0 ? static_cast<uint32_t>(byte) * PAF_FRAME_US : 0;
    eval_animation(&c, fine, angles, static_cast<int>(a), t, joint, 0);
    for (int i = 0; i < 3; ++i) out[i] = static_cast<int32_t>(std::round(fine[i] / 256.0));
    if (a < ANIM_ROW_COUNT && animation_table[a].mirror) out[0] = -out[0];
}

void fill_row(ContactRow& r, uint32_t a, int32_t byte, int32_t mirrored, int32_t joint, int32_t direction)
{
    r.animation = a;
    r.contact_frame = byte;
    r.mirrored = mirrored;
    r.joint = joint;
    r.direction = direction;
    for (int s = 0; s < MAN_SIZES; ++s) {
        SkeletonContext ctx = player_model.default_skeleton;
        ctx.height_factor = kSizeScale[s];
        contact_point(&ctx, a, byte, joint, r.point[s]);
    }
}

int64_t fixed_of(int16_t whole, uint16_t frac) { return static_cast<int64_t>(whole) * 65536 + frac; }

struct JumpAction {
    int32_t action;
    uint32_t contact; // animation whose joint meets the ball
    int32_t joint, frame;
    uint32_t first;   // run-up
    double ticks_per_frame;
    int32_t reach;
};
const JumpAction kJumps[] = {
    {57, 229, JOINT_BALL, 0, 227, 1.55, 9},  {58, 233, JOINT_BALL, 0, 231, 3.1, 12},
    {59, 221, JOINT_BALL, 0, 219, 1.55, 12}, {60, 225, JOINT_BALL, 0, 223, 3.1, 12},
    {62, 243, 11, 5, 242, 1.55, 18},         {63, 344, 14, 5, 343, 1.55, 18},
    {64, 347, 14, 5, 346, 1.55, 18},         {65, 350, 14, 5, 350, 1.55, 18},
    {66, 353, 14, 5, 353, 1.55, 18},         {67, 332, 11, 4, 331, 3.1, 18},
    {68, 335, 14, 4, 334, 3.1, 18},          {69, 338, 11, 4, 337, 3.1, 18},
    {70, 341, 11, 4, 340, 3.1, 18},          {71, 262, JOINT_BALL, 0, 260, 3.1, 15},
};

const JumpAction* jump_action(int32_t action)
{
    for (const JumpAction& j : kJumps)
        if (j.action == action) return &j;
    return nullptr; // 61 has no row: a failure
}

// The ball's predicted position at tick i, whole units {x, height, y}.
void path_at(int32_t i, int32_t out[3])
{
    if (i < 0) i = 0;
    if (i >= PREDICTED_STEPS) i = PREDICTED_STEPS - 1;
    out[0] = predicted_ball_path.position[i][0] >> 16;
    out[1] = predicted_ball_path.position[i][1] >> 16;
    out[2] = predicted_ball_path.position[i][2] >> 16;
}

} // namespace

void init_ball_contact_tables()
{
    const uint32_t pickups[PICKUP_ROWS] = {239, 240, 241};
    const uint32_t catches[CATCH_ROWS] = {40, 41, 42, 43, 44, 45};
    for (int i = 0; i < PICKUP_ROWS; ++i)
        fill_row(pickup_rows[i], pickups[i], animation_table[pickups[i]].contact_frame, 0, JOINT_BALL, 0);
    for (int i = 0; i < CATCH_ROWS; ++i)
        fill_row(catch_rows[i], catches[i], animation_table[catches[i]].contact_frame, 0, JOINT_BALL, 0);
    // The kick and slap columns hold the event frame; the contact is a frame
    // on, where the pick-up and catch rows' own bytes already are.
    fill_row(ground_kick_row_data, 142, 7 + 1, 0, JOINT_LEFT_FOOT, 0);
    for (int i = 0; i < SLAP_ROWS; ++i) {
        const SlapSource& s = kSlaps[i];
        fill_row(slap_rows[i], s.animation, s.frame + 1, s.mirrored, s.joint, s.direction);
    }
}

void get_animation_displacement(int32_t out[3], uint32_t animation, int32_t frame0, int32_t frame1, uint8_t heading)
{
    out[0] = out[1] = out[2] = 0;
    const PafAnimation* d = anim_data(animation);
    if (!d) return;
    float x, y, z;
    const uint32_t t0 = frame0 > 0 ? static_cast<uint32_t>(frame0) * PAF_FRAME_US : 0;
    const uint32_t t1 = frame1 > 0 ? static_cast<uint32_t>(frame1) * PAF_FRAME_US : 0;
    root_travel(d, t0, t1, &x, &y, &z, nullptr, animation_table[animation].mirror);
    rotate_vector(&x, &y, &z, static_cast<float>(-(heading * 64) * kTwoPi / 16384.0));
    out[0] = static_cast<int32_t>(std::lrint(x * 655.36));
    out[1] = static_cast<int32_t>(std::lrint(y * 655.36));
    out[2] = static_cast<int32_t>(std::lrint(z * 655.36));
}

namespace {
// A height the predicted ball never reaches has no index.
bool beyond_path(int64_t key)
{
    const BallPathBounds& b = ball_path_bounds;
    return b.valid && (key > b.highest || key < b.lowest);
}
} // namespace

int32_t find_sorted_index(int32_t h)
{
    const int64_t key = static_cast<int64_t>(h) * 65536;
    if (beyond_path(key)) return -1;
    for (int32_t k = 0; k < PREDICTED_STEPS; ++k) {
        const int64_t v = predicted_ball_path.position[k][1];
        if (v == key) return k;
        if (k > 0 && v <= key && predicted_ball_path.position[k - 1][1] > key) return k - 1;
    }
    return -1;
}

int32_t find_sorted_index_b(int32_t h)
{
    const int64_t key = static_cast<int64_t>(h) * 65536;
    if (beyond_path(key)) return -1;
    for (int32_t k = 0; k < PREDICTED_STEPS; ++k) {
        const int64_t v = predicted_ball_path.position[k][1];
        const bool falling = k > 0 && v < predicted_ball_path.position[k - 1][1];
        if (v == key && falling) return k;
        if (k > 0 && v <= key && predicted_ball_path.position[k - 1][1] > key) return k - 1;
    }
    return -1;
}

int32_t test_ball_action(PlayerSlot* man, int32_t action, PlayerSlot* target, int32_t commit)
{
    if (man->man_flags & MAN_BUSY) return 0;
    man->speed_burst = static_cast<int16_t>(skill_value(man, 50 + static_cast<int32_t>(game_random() & 31), 12));
    const JumpAction* j = jump_action(action);
    if (!j) return 0;
    const int32_t first_frames = anim_last_frame(j->first) + 1;
    if (first_frames <= 0 || !anim_data(j->contact)) return 0;
    const int32_t frames = first_frames + 1;
    const int32_t ticks = static_cast<int32_t>(std::nearbyint(frames * j->ticks_per_frame + 0.5));
    int32_t c[3], run[3];
    get_joint_position(c, man, j->contact, 0, j->frame, man->facing, j->joint);
    get_animation_displacement(run, j->first, 0, frames, man->facing);
    // The ball must come down through the contact height no sooner than
    // the run-up and the jump can bring the hands there.
    const int32_t contact_h = man->z + run[1] / 256 + c[1];
    const int32_t fall = find_sorted_index(contact_h);
    if (fall < 1 || fall < ticks) return 0;
    int32_t ball[3];
    path_at(fall, ball);
    const int32_t px = man->x + run[0] / 256 + c[0], py = man->y + run[2] / 256 + c[2];
    const int32_t need_x = (ball[0] - px) / fall, need_y = (ball[2] - py) / fall;
    if (std::abs(need_x) > j->reach || std::abs(need_y) > j->reach) return 0;
    const uint8_t angle = static_cast<uint8_t>(vector_angle(ball[0] - man->x, ball[2] - man->y));
    if (!man->contest_group) {
        // His attribute 25 is how far off his facing he can still go up.
        const int32_t allowance = man->person ? (player_i16(man->person, 2 * 25) & 0xFF) : 0;
        if (std::abs(angle_diff(angle, man->facing)) > allowance) return 0;
    }
    // Vertical take-off speed to rise to the contact over the jump's ticks.
    const int32_t jump_ticks = ticks - static_cast<int32_t>(std::nearbyint(first_frames * j->ticks_per_frame));
    const int32_t jt = jump_ticks < 1 ? 1 : jump_ticks;
    const int64_t vz = (static_cast<int64_t>(c[1]) * 65536 + static_cast<int64_t>(GRAVITY) * jt * jt / 2) / jt;
    if (vz < -6 * 65536) return 0;
    if (!commit) return 1;
    man->plan_active = 1;
    man->plan_target_man = target;
    man->plan_angle = angle;
    man->plan_vx = need_x * 65536;
    man->plan_vy = need_y * 65536;
    man->plan_vz = static_cast<int32_t>(vz);
    man->plan_z = static_cast<uint16_t>(contact_h);
    man->plan_action = static_cast<uint16_t>(action);
    if (target) {
        man->plan_target_x = static_cast<uint16_t>(target->x);
        man->plan_target_y = static_cast<uint16_t>(target->y);
        man->plan_target_facing = target->facing;
    }
    man->spoil_countdown = fall + ticks;
    man->plan_ticks = fall;
    man->plan_frames = frames;
    return 1;
}

bool predict_contact(PlayerSlot* man, uint32_t animation, int32_t frame, int32_t joint, int32_t* ticks,
                     int32_t velocity[3])
{
    int32_t c[3];
    get_joint_position(c, man, animation, 0, frame, man->facing, joint);
    const int32_t t = find_sorted_index(man->z + c[1]);
    if (t < 1) return false;
    int32_t ball[3];
    path_at(t, ball);
    velocity[0] = static_cast<int32_t>((static_cast<int64_t>(ball[0] - man->x - c[0]) << 16) / t);
    velocity[1] = static_cast<int32_t>((static_cast<int64_t>(ball[2] - man->y - c[2]) << 16) / t);
    velocity[2] = man->plan_vz;
    *ticks = t;
    return true;
}

void spoil_ball(PlayerSlot* man)
{
    BallState& b = ball_state;
    PlayerSlot* at = man->plan_target_man;
    const int32_t tx = at ? at->x : static_cast<int16_t>(man->plan_target_x);
    const int32_t ty = at ? at->y : static_cast<int16_t>(man->plan_target_y);
    const int32_t bx = b.x >> 16, by = b.y >> 16, bz = b.z >> 16;
    const int32_t distance = vector_length(tx - bx, ty - by);
    const int32_t own = vector_length(vector_length(man->velocity_x, man->velocity_y), man->velocity_z);
    const int32_t ball_speed = vector_length(vector_length(b.vx >> 16, b.vy >> 16), b.vz >> 16);
    int32_t speed = own + ball_speed / 2 + (at ? distance / 256 : 0);
    if (speed < 1) speed = 1;
    const int32_t ticks = (distance + speed - 1) / speed < 1 ? 1 : (distance + speed - 1) / speed;
    b.vx = static_cast<int32_t>((static_cast<int64_t>(tx - bx) << 16) / ticks);
    b.vy = static_cast<int32_t>((static_cast<int64_t>(ty - by) << 16) / ticks);
    const int32_t arrive_h = at ? at->z : 0;
    b.vz = static_cast<int32_t>(((static_cast<int64_t>(arrive_h - bz) << 16) +
                                 static_cast<int64_t>(GRAVITY) * ticks * ticks / 2 + GRAVITY / 2) / ticks);
    if (at) {
        at->effort = 100;
        at->man_flags |= 0x0880;
        at->action = 23;
    }
    b.gravity = GRAVITY;
    b.heading = static_cast<uint16_t>(vector_angle(b.vx, b.vy));
    b.flight_flags = static_cast<uint16_t>((b.flight_flags & 0x383C) | 0x0200);
    flag_players_ball_coming();
}

int32_t lead_time(uint8_t a, int32_t d)
{
    const int32_t c = fixed_cos(a, 2511);
    if (c == 0) return 1;
    const int64_t q = 7688LL * fixed_sin(a, d) / c;
    return static_cast<int32_t>(std::sqrt(static_cast<double>(q < 0 ? 0 : q) + 0.5)) + 1;
}

int32_t pass_flight_time(PlayerSlot* thrower, PlayerSlot* receiver, uint32_t animation, int32_t b, int32_t delay,
                         int32_t from_ball)
{
    int32_t sx, sy;
    if (!from_ball) {
        const int32_t release = anim_release_frame(animation);
        int32_t limb[3], run[3];
        get_limb_position(limb, thrower, animation, release, thrower->facing, b);
        get_animation_displacement(run, animation, 0, release, thrower->facing);
        sx = thrower->x + limb[0] + (run[0] >> 8);
        sy = thrower->y + limb[2] + (run[2] >> 8);
    } else {
        sx = static_cast<int32_t>((ball_state.x + static_cast<int64_t>(delay) * ball_state.vx) >> 16);
        sy = static_cast<int32_t>((ball_state.y + static_cast<int64_t>(delay) * ball_state.vy) >> 16);
    }
    const int64_t pdx = fixed_of(receiver->path_dx, 0), pdy = fixed_of(receiver->path_dy, 0);
    const int32_t rx = static_cast<int32_t>((static_cast<int64_t>(receiver->x) * 65536 + pdx * delay) >> 16);
    const int32_t ry = static_cast<int32_t>((static_cast<int64_t>(receiver->y) * 65536 + pdy * delay) >> 16);
    uint8_t a = 18;
    if (receiver->path_speed == 0) return lead_time(a, vector_length(receiver->x - sx, receiver->y - sy));
    int32_t dx = rx - sx, dy = ry - sy;
    if (vector_length(dx, dy) < 512) a = 30;
    for (int i = 0; i < 16; ++i) {
        const int32_t t = lead_time(a, vector_length(dx, dy));
        dx = rx + static_cast<int32_t>((pdx * t) >> 16) - sx;
        dy = ry + static_cast<int32_t>((pdy * t) >> 16) - sy;
    }
    return lead_time(a, vector_length(dx, dy));
}

void receiver_lead(PlayerSlot* thrower, PlayerSlot* receiver, int16_t* elevation, int32_t* dx, int32_t* dy)
{
    int32_t p[3];
    const int32_t bx = ball_state.x >> 16, by = ball_state.y >> 16;
    if (receiver->path_speed == 0) {
        const uint8_t to_thrower = static_cast<uint8_t>(vector_angle(thrower->x - receiver->x, thrower->y - receiver->y));
        get_limb_position(p, receiver, 41, anim_contact_frame(41), to_thrower, 0);
        *dx = receiver->x + p[0] - bx;
        *dy = receiver->y + p[2] - by;
        return;
    }
    const int32_t vx = fixed_sin(receiver->facing, receiver->path_speed);
    const int32_t vy = fixed_cos(receiver->facing, receiver->path_speed);
    get_limb_position(p, receiver, 44, anim_contact_frame(44), receiver->facing, 0);
    const int32_t px = receiver->x + p[0], py = receiver->y + p[2];
    int32_t ddx = px - ball_state.launch_x, ddy = py - ball_state.launch_y;
    if (vector_length(ddx, ddy) < 512) *elevation = 30;
    for (int i = 0; i < 16; ++i) {
        const int32_t t = lead_time(static_cast<uint8_t>(*elevation), vector_length(ddx, ddy));
        ddx = static_cast<int16_t>(px + vx * t) - ball_state.launch_x;
        ddy = static_cast<int16_t>(py + vy * t) - ball_state.launch_y;
    }
    *dx = ddx, *dy = ddy;
}

void kick_lead(PlayerSlot* kicker, PlayerSlot* receiver, int32_t* dx, int32_t* dy, int32_t, int32_t kx, int32_t ky)
{
    const uint8_t a = static_cast<uint8_t>(vector_angle(receiver->x - kx, receiver->y - ky));
    const int16_t bx = static_cast<int16_t>(receiver->x - fixed_sin(a, 512));
    const int16_t by = static_cast<int16_t>(receiver->y - fixed_cos(a, 512));
    if (receiver->speed == 0 && receiver->speed_frac == 0) {
        *dx = bx - kx, *dy = by - ky;
        return;
    }
    const uint8_t h = receiver->turning ? anim_facing_offset(receiver) : receiver->facing;
    const int32_t d = approx_vector_length(receiver->x - kx, receiver->y - ky);
    const bool human = kicker->team && kicker->team->human_count > 0;
    const int32_t lead = human ? 0 : receiver->speed * d / 180;
    const int16_t x = clamp_field_coordinate(bx + fixed_sin(h, lead));
    const int16_t y = clamp_to_boundary_width(by + fixed_cos(h, lead), x);
    kicker->target_x = x, kicker->target_y = y;
    *dx = x - kx, *dy = y - ky;
}

int32_t evaluate_lead_targets(PlayerSlot* man)
{
    // Pairs of a slap and a mate who can run onto where it lands; room for
    // 17 slaps x 18 mates.
    struct Pair {
        PlayerSlot* mate;
        int32_t ticks, slap;
        int32_t land_x, land_y, mate_x, mate_y;
    };
    static Pair pairs[306];
    std::memset(static_cast<void*>(pairs), 0, sizeof pairs);
    int count = 0;
    const int32_t index = candidate_index(man);
    if (index < 0 || man->excluded) return -1;
    const int32_t goal_dir = man->side == 2 ? 1 : -1;
    for (int s = 0; s < SLAP_ENTRIES; ++s) {
        const ContactCandidate& c = slap_candidates[index][s];
        if (!c.valid) continue;
        // Where the slap sends the ball: 288 along its direction from the contact.
        const int32_t t = c.ticks < 0 ? 0 : c.ticks;
        int32_t dir = 8;
        for (const ContactRow& r : slap_rows)
            if (r.animation == c.animation) dir = r.direction;
        int32_t heading = man->facing + (dir == 1 ? -64 : dir == 2 ? 64 : dir == 4 ? 128 : 0);
        const int32_t i = t < PREDICTED_STEPS ? t : PREDICTED_STEPS - 1;
        const int32_t land_x = (predicted_ball_path.position[i][0] >> 16) + fixed_sin(static_cast<uint8_t>(heading), 288);
        const int32_t land_y = (predicted_ball_path.position[i][2] >> 16) + fixed_cos(static_cast<uint8_t>(heading), 288);
        for (int m = 0; m < match_globals.active_men_count && m < MAX_ACTIVE_MEN && count < 306; ++m) {
            PlayerSlot* mate = match_globals.active_men[m];
            if (!mate || mate == man || mate->side != man->side || mate->busy_flag) continue;
            if ((mate->man_flags & 0x0D90) || (mate->man_flags2 & 0x080B)) continue;
            const int32_t d = vector_length(mate->x - man->x, mate->y - man->y);
            if (d < 1536 || d > 5120) continue;
            const int32_t ticks = t + lead_time(18, vector_length(land_x - man->x, land_y - man->y));
            const int32_t px = mate->x + mate->path_dx * ticks, py = mate->y + mate->path_dy * ticks;
            if (!in_field(clamp16(px), clamp16(py))) continue;
            if (vector_length(px - land_x, py - land_y) > 5120) continue;
            const int32_t diff = angle_diff(vector_angle(px - land_x, py - land_y), man->facing);
            const int32_t ad = diff < 0 ? -diff : diff;
            const int32_t bits = ad <= 32 ? 8 : ad > 96 ? 4 : diff < 0 ? 2 : 1;
            if (!(bits & dir)) continue;
            pairs[count++] = {mate, ticks, s, land_x, land_y, px, py};
        }
    }
    if (count == 0) return -1;
    if (count == 1) {
        const int32_t lost = (man->x - pairs[0].land_x) * goal_dir;
        return lost > 1280 ? -1 : 0;
    }
    int32_t best = 0, best_score = INT32_MIN;
    for (int p = 0; p < count; ++p) {
        const Pair& q = pairs[p];
        int32_t score = (q.land_x - man->x) * goal_dir;
        if (q.mate_x * goal_dir > 11763) score -= std::abs(q.mate_y);
        int32_t nearest = INT32_MAX;
        for (int m = 0; m < match_globals.active_men_count && m < MAX_ACTIVE_MEN; ++m) {
            const PlayerSlot* o = match_globals.active_men[m];
            if (!o || o->side == man->side) continue;
            const int32_t d = std::abs(o->x - q.mate->x) + std::abs(o->y - q.mate->y);
            if (d < nearest) nearest = d;
        }
        if (nearest != INT32_MAX) score += nearest;
        if (score > best_score) best_score = score, best = p;
    }
    return best;
}

int32_t kick_out_slack(PlayerSlot* man, int32_t x, int32_t y)
{
    const uint8_t ms = match_globals.match_state;
    if (ms != 59 && ms != 65 && ms != 67 && ms != 69) return 0;
    if (man->side == 1) x = -x, y = -y;
    const int64_t distance = vector_length(x - man->x, y - man->y);
    // A slow man's divisor is held to 1.
    int64_t top = static_cast<int64_t>(man->top_speed) * (ms == 65 ? 80 : 55) / 100;
    if (top < 1) top = 1;
    const int32_t run = static_cast<int32_t>(std::nearbyint(static_cast<double>(distance * 65536) / (top * 65536.0)));
    PlayerSlot* kicker = match_globals.controlled_man_a ? match_globals.controlled_man_a : man;
    const uint8_t toward = static_cast<uint8_t>(vector_angle(x - kicker->x, y - kicker->y));
    int32_t travel[3];
    get_animation_displacement(travel, 24, 0, anim_release_frame(24), toward);
    const int32_t kx = kicker->x + (travel[0] >> 8), ky = kicker->y + (travel[2] >> 8);
    const int32_t flight = lead_time(32, vector_length(x - kx, y - ky)) + 1;
    if (ms != 65) {
        match_globals.kick_out_spot_x = static_cast<int16_t>(kicker->side == 1 ? -x : x);
        match_globals.kick_out_spot_y = static_cast<int16_t>(kicker->side == 1 ? -y : y);
    }
    return run - flight;
}
