#include "lib/anim_validator.h"
#include "host/host_test_hooks.h"

#include "host/process.h"
#include "model/anim_table.h"
#include "model/paf.h"
#include "app/startup.h"
#include "model/skeleton.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

const double kFineToGround = 1.0 / 256; // eval_animation's unit to ground units
const double kModelToGround = 2.56;

struct GameExit : std::runtime_error {
    using std::runtime_error::runtime_error;
};
[[noreturn]] void throw_exit(int code) { throw GameExit("the game's code ended with exit code " + std::to_string(code)); }

// Locomotion rows and their rate divisors: a gait travels divisor x 3.1
// ground units a frame.
struct Stride {
    int row, divisor;
};
const Stride kStrides[] = {{1, 8}, {6, 8}, {2, 18}, {3, 25}, {4, 25}, {7, 15}, {8, 26}, {9, 29}};

// Turns and the facing change (16384ths) their events give the man.
struct Turn {
    int row, yaw;
};
const Turn kTurns[] = {{121, -4096}, {122, 4096}, {123, 8192}, {124, -2048},
                       {125, 2048},  {126, -4096}, {127, 4096}, {128, 8192}};

// The slap contact table: frame, whether the planner mirrors it, the hand,
// and the way the ball goes (1 left, 2 right, 4 overhead, 8 forward).
struct Slap {
    int row, frame, mirrored, joint, direction;
};
const Slap kSlaps[] = {
    {46, 9, 0, 14, 1},  {47, 9, 1, 14, 2},  {48, 15, 0, 14, 4}, {49, 9, 0, 14, 8},  {50, 9, 0, 14, 1},
    {51, 9, 1, 14, 2},  {52, 17, 0, 14, 4}, {53, 19, 0, 14, 8}, {54, 10, 1, 11, 1}, {55, 10, 0, 11, 2},
    {56, 5, 0, 11, 4},  {57, 6, 0, 11, 8},  {58, 9, 1, 11, 1},  {59, 9, 0, 11, 2},  {60, 10, 0, 14, 4},
    {61, 10, 0, 11, 8}, {62, 12, 0, 11, 8},
};

// Catches and where the ball meets the hands (height band in ground units).
struct Catch {
    int row;
    double low, high;
};
const Catch kCatches[] = {{40, 250, 420}, {41, 420, 640}, {42, 80, 250},
                          {43, 250, 420}, {44, 420, 640}, {45, 80, 250}};
const int kPickups[] = {239, 240, 241};

struct Point {
    double x, y, z; // ground units: across, height, ahead
};
Point joint_at(int row, int frame, int joint)
{
    int32_t p[3];
    float a[3];
    eval_animation(nullptr, p, a, row, static_cast<uint32_t>(frame) * PAF_FRAME_US, joint, 0);
    return {p[0] * kFineToGround, p[1] * kFineToGround, p[2] * kFineToGround};
}
Point mid(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}; }
double dist(Point a, Point b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)); }

// Root travel over the ground between two frames, in ground units.
Point travel(int row, int f0, int f1)
{
    const AnimationRow& r = animation_table[row];
    float x, y, z;
    root_travel(r.data, static_cast<uint32_t>(f0) * PAF_FRAME_US, static_cast<uint32_t>(f1) * PAF_FRAME_US, &x, &y, &z,
                nullptr, r.mirror);
    return {x * kModelToGround, y * kModelToGround, z * kModelToGround};
}

struct Checker {
    std::vector<std::string>& problems;
    void fail(int row, const char* fmt, ...) __attribute__((format(printf, 3, 4)))
    {
        char text[300];
        int n = std::snprintf(text, sizeof text, "row %d (%s): ", row, animation_table[row].label);
        va_list args;
        va_start(args, fmt);
        std::vsnprintf(text + n, sizeof text - n, fmt, args);
        va_end(args);
        problems.push_back(text);
    }
};

void check_keys(Checker& c, int row, int frames)
{
    const PafAnimation* a = animation_table[row].data;
    if (a->track_count != SKELETON_JOINTS) c.fail(row, "%d tracks, not %d", a->track_count, SKELETON_JOINTS);
    if (paf_length(a) != static_cast<uint32_t>(frames) * PAF_FRAME_US)
        c.fail(row, "length %u us, but its script runs %d frames", paf_length(a), frames);
    for (int t = 0; t < a->track_count; ++t) {
        const PafTrack& tr = a->tracks[t];
        bool keys_ok = tr.rot_count == static_cast<uint32_t>(frames) + 1 &&
                       (tr.pos_count == 0 || tr.pos_count == tr.rot_count);
        for (uint32_t k = 0; keys_ok && k < tr.rot_count; ++k)
            keys_ok = tr.rot[k].time == k * PAF_FRAME_US && (tr.pos_count == 0 || tr.pos[k].time == k * PAF_FRAME_US);
        if (!keys_ok) {
            c.fail(row, "track %d does not key every frame from 0 to %d", t, frames);
            return;
        }
        // Every value of every key, not only the angles the skeleton makes of them.
        for (uint32_t k = 0; k < tr.rot_count; ++k) {
            const PafRotKey& r = tr.rot[k];
            const bool pos_ok = tr.pos_count == 0 || (std::isfinite(tr.pos[k].x) && std::isfinite(tr.pos[k].y) &&
                                                      std::isfinite(tr.pos[k].z));
            if (!std::isfinite(r.w) || !std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z) || !pos_ok) {
                c.fail(row, "track %d key %u holds a value that is not a number", t, k);
                return;
            }
        }
    }
    if (a->tracks[0].pos_count == 0) c.fail(row, "the root has no position keys");
}

// Every joint at every frame is a number.
void check_finite(Checker& c, int row, int frames)
{
    for (int f = 0; f <= frames; ++f)
        for (int j = 0; j < SKELETON_JOINTS; ++j) {
            int32_t p[3];
            float a[3];
            eval_animation(nullptr, p, a, row, static_cast<uint32_t>(f) * PAF_FRAME_US, j, 0);
            if (!std::isfinite(a[0]) || !std::isfinite(a[1]) || !std::isfinite(a[2])) {
                c.fail(row, "joint %d has no angle at frame %d", j, f);
                return;
            }
        }
}

void check_strides(Checker& c)
{
    for (const Stride& s : kStrides) {
        int frames = animation_script(s.row, nullptr);
        Point t = travel(s.row, 0, frames);
        double per_frame = t.z / frames, want = s.divisor * 3.1;
        if (std::fabs(per_frame - want) > want * 0.02 || std::fabs(t.x) > 1)
            c.fail(s.row, "travels %.1f ground units a frame (%.1f across); its rate wants %.1f", per_frame, t.x, want);
        // The foot on the ground goes back under him as fast as he travels.
        int low = 0;
        for (int f = 1; f < frames; ++f)
            if (joint_at(s.row, f, JOINT_LEFT_FOOT).y < joint_at(s.row, low, JOINT_LEFT_FOOT).y) low = f;
        int before = low > 0 ? low - 1 : frames - 1, after = low + 1;
        double foot = (joint_at(s.row, after, JOINT_LEFT_FOOT).z - joint_at(s.row, before, JOINT_LEFT_FOOT).z) / 2;
        if (std::fabs(-foot - want) > want * 0.25)
            c.fail(s.row, "planted foot goes back %.1f a frame; the man travels %.1f", -foot, want);
    }
}

// The planners take a contact animation's own speed from its root travel up
// to the contact frame, a third of the travel a frame in whole units.
void check_contact_travel(Checker& c, int row)
{
    int k = animation_table[row].contact_frame;
    bool is_catch = row >= 40 && row <= 45;
    Point t = travel(row, 0, is_catch ? k + 1 : k);
    long length = std::lround(std::sqrt(t.x * t.x + t.z * t.z));
    long own = (row >= 239 && row <= 241) ? (length / k + 1) / 3 : (length / k) / 3;
    if (own < 1) c.fail(row, "root travel %ld to contact frame %d gives the planners no speed", length, k);
}

void check_pickups_and_catches(Checker& c)
{
    for (int row : kPickups) {
        int k = animation_table[row].contact_frame;
        Point ball = joint_at(row, k, JOINT_BALL);
        Point hands = mid(joint_at(row, k, JOINT_LEFT_HAND), joint_at(row, k, JOINT_RIGHT_HAND));
        double reach = std::sqrt(ball.x * ball.x + ball.z * ball.z);
        if (ball.y >= 32) c.fail(row, "ball %.1f above the ground at contact frame %d", ball.y, k);
        if (ball.z <= 0 || reach > 160) c.fail(row, "ball out of reach at contact (%.1f across, %.1f ahead)", ball.x, ball.z);
        if (dist(ball, hands) >= 33) c.fail(row, "ball %.1f from the hands at contact", dist(ball, hands));
    }
    // A standing man is given the standing pick-up only within 32 of its
    // contact point, and nothing but its root carries him: it must not
    // carry him past the ball.
    {
        const int k = animation_table[239].contact_frame;
        const Point t = travel(239, 0, k);
        const double moved = std::sqrt(t.x * t.x + t.z * t.z);
        if (moved >= 32) c.fail(239, "travels %.1f to its contact frame, beyond the standing reach of 32", moved);
    }
    for (const Catch& k : kCatches) {
        int f = animation_table[k.row].contact_frame;
        Point ball = joint_at(k.row, f, JOINT_BALL);
        Point hands = mid(joint_at(k.row, f, JOINT_LEFT_HAND), joint_at(k.row, f, JOINT_RIGHT_HAND));
        if (dist(ball, hands) >= 32) c.fail(k.row, "ball %.1f from the hands at contact", dist(ball, hands));
        if (ball.y < k.low || ball.y > k.high)
            c.fail(k.row, "ball at height %.1f at contact, not within %.0f..%.0f", ball.y, k.low, k.high);
        if (ball.z <= 0) c.fail(k.row, "ball behind the man at contact");
    }
    int k = 7 + 1; // the ground kick meets the ball with the left foot
    Point foot = joint_at(142, k, JOINT_LEFT_FOOT);
    if (foot.y >= 33 || foot.z <= 0) c.fail(142, "left foot at height %.1f, %.1f ahead at contact", foot.y, foot.z);
}

// The jump actions' contact points: the catch parts at their frame 0, the
// spoiling hand at frame 4 or 5 (joint and frame as the planners take them).
struct JumpContact {
    int row, frame, joint;
    double low, high;
};
const JumpContact kJumps[] = {
    {221, 0, JOINT_BALL, 450, 700}, {225, 0, JOINT_BALL, 450, 700}, {229, 0, JOINT_BALL, 250, 420},
    {233, 0, JOINT_BALL, 250, 420}, {262, 0, JOINT_BALL, 450, 700}, {243, 5, 11, 450, 700},
    {344, 5, 14, 450, 700},         {347, 5, 14, 450, 700},         {350, 5, 14, 450, 700},
    {353, 5, 14, 450, 700},         {332, 4, 11, 450, 700},         {335, 4, 14, 450, 700},
    {338, 4, 11, 450, 700},         {341, 4, 11, 450, 700},
};

void check_jumps(Checker& c)
{
    for (const JumpContact& j : kJumps) {
        Point p = joint_at(j.row, j.frame, j.joint);
        if (p.y < j.low || p.y > j.high)
            c.fail(j.row, "joint %d at height %.1f at frame %d, not within %.0f..%.0f", j.joint, p.y, j.frame, j.low, j.high);
        if (j.joint == JOINT_BALL) {
            Point hands = mid(joint_at(j.row, j.frame, JOINT_LEFT_HAND), joint_at(j.row, j.frame, JOINT_RIGHT_HAND));
            if (dist(p, hands) >= 32) c.fail(j.row, "ball %.1f from the hands at frame %d", dist(p, hands), j.frame);
        }
    }
}

// At the release the ball leaves from the fist of a handball and from the
// foot of a kick.
void check_releases(Checker& c)
{
    for (int row : {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 237, 238}) {
        int f = animation_table[row].release_frame;
        if (!f) continue;
        Point ball = joint_at(row, f, JOINT_BALL);
        int joint = row <= 20 ? JOINT_RIGHT_HAND : JOINT_RIGHT_FOOT;
        double d = dist(ball, joint_at(row, f, joint));
        if (d >= 40) c.fail(row, "ball %.1f from joint %d at the release frame %d", d, joint, f);
    }
}

void check_slaps(Checker& c)
{
    for (const Slap& s : kSlaps) {
        Point h = joint_at(s.row, s.frame + 1, s.joint);
        // The planner mirrors the rows its table marks, where the row itself does not.
        if (s.mirrored && !animation_table[s.row].mirror) h.x = -h.x;
        bool ok = (s.direction == 1 && h.x <= -20) || (s.direction == 2 && h.x >= 20) ||
                  (s.direction == 4 && (h.z < 0 || h.y > 500)) || (s.direction == 8 && h.z >= 20);
        if (!ok) c.fail(s.row, "slap hand %d at (%.1f, %.1f, %.1f) does not go its way (%d)", s.joint, h.x, h.y, h.z, s.direction);
        // A standing man is offered a slap only for a ball within 32 of the
        // 256 steps of a turn from his facing.
        const double off = std::atan2(std::fabs(h.x), h.z) * 128.0 / 3.141592653589793;
        if (s.row <= 53 && off >= 33)
            c.fail(s.row, "slap hand %d at (%.1f, %.1f, %.1f) lies %.0f steps off his facing", s.joint, h.x, h.y, h.z, off);
        if (animation_table[s.row].contact_frame != 0 && animation_table[s.row].contact_frame - 1 < s.frame - 2)
            c.fail(s.row, "contact event at frame %d, before the slap table's %d", animation_table[s.row].contact_frame - 1, s.frame);
    }
}

void check_turns(Checker& c)
{
    for (const Turn& t : kTurns) {
        int frames = animation_script(t.row, nullptr);
        int yaw = anim_turn_at(t.row, frames);
        bool half = std::abs(t.yaw) == 8192;
        bool ok = half ? std::abs(std::abs(yaw) - 8192) <= 16 : std::abs(yaw - t.yaw) <= 16;
        if (!ok) c.fail(t.row, "turns %d by its last frame; its event turns the man %d", yaw, t.yaw);
    }
}

void report_row(std::string& out, int row)
{
    const AnimationRow& r = animation_table[row];
    char line[400];
    const char* name = animation_name(row);
    if (!r.data) {
        std::snprintf(line, sizeof line, "%3d %-40s no animation\n", row, name ? name : "-");
        out += line;
        return;
    }
    int frames = animation_script(row, nullptr);
    int at = r.contact_frame ? r.contact_frame : r.release_frame;
    Point l = joint_at(row, at, JOINT_LEFT_HAND), rh = joint_at(row, at, JOINT_RIGHT_HAND), b = joint_at(row, at, JOINT_BALL);
    std::snprintf(line, sizeof line,
                  "%3d %-40s %-36s frames %3d contact %3d release %3d turn %6d | at %3d: hand11 (%6.1f %6.1f %6.1f) "
                  "hand14 (%6.1f %6.1f %6.1f) ball (%6.1f %6.1f %6.1f)\n",
                  row, name ? name : "-", r.label, frames, r.contact_frame, r.release_frame, anim_turn_at(row, frames), at,
                  l.x, l.y, l.z, rh.x, rh.y, rh.z, b.x, b.y, b.z);
    out += line;
}

struct ValidateArgs {
    std::vector<std::string>* problems;
    std::string* report;
};

void validate_loaded(void* arg)
{
    ValidateArgs& v = *static_cast<ValidateArgs*>(arg);
    load_player_model();
    load_animations();
    Checker c{*v.problems};
    const PafAnimation* seen[ANIM_PLAYED_ROWS] = {};
    int seen_count = 0;
    for (int row = 0; row < ANIM_PLAYED_ROWS; ++row) {
        const AnimationRow& r = animation_table[row];
        if (!r.data) continue;
        int frames = animation_script(row, nullptr);
        check_keys(c, row, frames);
        bool again = false;
        for (int i = 0; i < seen_count && !again; ++i) again = seen[i] == r.data;
        if (!again) {
            seen[seen_count++] = r.data;
            check_finite(c, row, frames);
        }
        if (r.contact_frame) check_contact_travel(c, row);
    }
    check_strides(c);
    check_pickups_and_catches(c);
    check_slaps(c);
    check_jumps(c);
    check_releases(c);
    check_turns(c);
    if (v.report)
        for (int row = 0; row < ANIM_PLAYED_ROWS; ++row) report_row(*v.report, row);
    free_animations();
    free_player_model();
}

} // namespace

bool run_game_code(void (*fn)(void*), void* arg, std::string& error)
{
    host_set_exit_hook(throw_exit);
    try {
        fn(arg);
    } catch (const GameExit& e) {
        error = e.what();
        host_set_exit_hook(nullptr);
        return false;
    }
    host_set_exit_hook(nullptr);
    return true;
}

void validate_animations(std::vector<std::string>& problems, std::string* report)
{
    use_3d_hardware = 1; // the kit's figures and animations are the hardware path's
    ValidateArgs args{&problems, report};
    std::string error;
    if (!run_game_code(validate_loaded, &args, error)) problems.push_back(error);
}
