// The families of motion. Each gives the pose at any frame from its
// parameters; frames run from 0 to the rows' script length.
#include "anim_motion.h"

#include <cmath>

namespace {

const float kPi = 3.14159265f;
const float kGroundPerModel = 2.56f;
const float kLegLength = 86; // hip to ankle

enum Joint {
    ROOT, L_HIP, L_KNEE, L_FOOT, R_HIP, R_KNEE, R_FOOT, TORSO, HEAD,
    L_SHOULDER, L_ELBOW, L_HAND, R_SHOULDER, R_ELBOW, R_HAND, BALL
};

float rad(float degrees) { return degrees * kPi / 180; }

Pose stand(bool umpire = false)
{
    Pose p;
    p.rz[L_SHOULDER] = -0.12f, p.rz[R_SHOULDER] = 0.12f;
    p.rx[L_ELBOW] = p.rx[R_ELBOW] = -0.25f;
    p.rx[TORSO] = umpire ? 0 : 0.04f;
    return p;
}

// The right arm as the mirror image of the left.
void mirror_left_arm(Pose& p)
{
    p.rx[R_SHOULDER] = p.rx[L_SHOULDER], p.rz[R_SHOULDER] = -p.rz[L_SHOULDER], p.ry[R_SHOULDER] = -p.ry[L_SHOULDER];
    p.rx[R_ELBOW] = p.rx[L_ELBOW], p.rz[R_ELBOW] = -p.rz[L_ELBOW];
    p.rx[R_HAND] = p.rx[L_HAND];
}

// Both hands brought to (x = +-spread, y, z) relative to the root.
void both_hands_to(Pose& p, float y, float z, float spread)
{
    const float target[3] = {-spread, y, z};
    IkFreedom free[] = {{&p.rx[L_SHOULDER], -3.1f, 0.8f}, {&p.rz[L_SHOULDER], -1.6f, 0.9f},
                        {&p.rx[L_ELBOW], -2.3f, 0}, {&p.ry[L_SHOULDER], -0.8f, 0.8f}};
    solve_reach(p, EFF_LEFT_HAND, target, free, 4);
    mirror_left_arm(p);
}

// Arms holding the ball in front of the chest, solved once.
const Pose& holding_arms()
{
    static Pose hold;
    static bool made = false;
    if (!made) {
        hold = stand();
        both_hands_to(hold, 118, 26, 7);
        made = true;
    }
    return hold;
}

void copy_arms(Pose& to, const Pose& from)
{
    for (int j : {L_SHOULDER, L_ELBOW, L_HAND, R_SHOULDER, R_ELBOW, R_HAND}) {
        to.rx[j] = from.rx[j], to.ry[j] = from.ry[j], to.rz[j] = from.rz[j];
    }
}

// Gait of one cycle over `cycle` frames: legs, arms and bob; travel apart.
struct Gait {
    float swing, knee, bob, lean;
};
Gait gait_for(float travel)
{
    if (travel < 35) return {0.38f, 0.55f, 1.5f, 0.05f};
    if (travel < 60) return {0.55f, 1.0f, 3, 0.12f};
    return {0.72f, 1.35f, 4, 0.2f};
}

void gait_legs(Pose& p, const Gait& g, float phase, bool with_ball)
{
    float s = std::sin(phase);
    p.rx[L_HIP] = -g.swing * s;
    p.rx[R_HIP] = g.swing * s;
    // Each knee bends as its foot swings forward and straightens under him.
    p.rx[L_KNEE] = g.knee * (0.5f + 0.5f * std::cos(phase));
    p.rx[R_KNEE] = g.knee * (0.5f - 0.5f * std::cos(phase));
    p.rx[L_FOOT] = -0.3f * p.rx[L_KNEE];
    p.rx[R_FOOT] = -0.3f * p.rx[R_KNEE];
    p.height = -g.bob * (0.5f + 0.5f * std::cos(2 * phase)) - g.knee * 2;
    p.rx[TORSO] = g.lean;
    if (with_ball) {
        copy_arms(p, holding_arms());
    } else {
        p.rx[L_SHOULDER] = 0.8f * g.swing * s;
        p.rx[R_SHOULDER] = -0.8f * g.swing * s;
        p.rx[L_ELBOW] = p.rx[R_ELBOW] = -0.4f - g.knee * 0.5f;
        p.rz[L_SHOULDER] = -0.1f, p.rz[R_SHOULDER] = 0.1f;
    }
}

Pose running_pose(float travel_per_frame, float frame, bool with_ball)
{
    Pose p = stand();
    float cycle = travel_per_frame > 60 ? 12 : travel_per_frame > 35 ? 15 : 20;
    gait_legs(p, gait_for(travel_per_frame), 2 * kPi * frame / cycle, with_ball);
    return p;
}

// Travel over `frame` frames at `before` a frame up to `until`, `after` beyond.
float travel_along(float frame, float until, float before, float after)
{
    float d = before * std::fmin(frame, until);
    if (frame > until) d += after * (frame - until);
    return d / kGroundPerModel;
}

Pose idle(const Motion& m, const MotionContext& c, float f)
{
    Pose p = stand(m.flags & UMPIRE);
    float phase = 2 * kPi * (m.b > 0 ? m.b : 1) * f / c.frames;
    p.rz[TORSO] = m.a * std::sin(phase);
    p.roll = -0.5f * m.a * std::sin(phase);
    p.ry[HEAD] = 1.5f * m.a * std::sin(phase * 0.5f + m.d);
    p.rx[HEAD] = 0.05f * std::sin(phase + 1);
    p.rx[L_SHOULDER] = 0.6f * m.a * std::sin(phase + 0.5f);
    p.rx[R_SHOULDER] = -0.6f * m.a * std::sin(phase + 0.5f);
    if (m.flags & WITH_BALL) copy_arms(p, holding_arms());
    return p;
}

Pose gait(const Motion& m, const MotionContext& c, float f)
{
    Pose p = stand();
    bool back = m.flags & BACKWARDS;
    float phase = 2 * kPi * f / c.frames * (back ? -1 : 1);
    // The planted foot, at the bottom of its swing, goes back as fast as the
    // root travels: hip swing x leg length x 2 pi / cycle = travel a frame.
    Gait g = gait_for(m.a);
    float reach = m.a / kGroundPerModel * c.frames / (2 * kPi * kLegLength);
    g.swing = std::asin(std::fmin(reach, 0.95f));
    gait_legs(p, g, phase, m.flags & WITH_BALL);
    p.travel_z = (back ? -1 : 1) * m.a * f / kGroundPerModel;
    return p;
}

Pose turn(const Motion& m, const MotionContext& c, float f)
{
    bool running = m.b > 0;
    Pose p = running ? running_pose(m.b, f, m.flags & WITH_BALL) : stand();
    float total = rad(m.a);
    p.yaw = total * smooth(f / c.frames);
    if (!running) {
        float step = std::sin(2 * kPi * 2 * f / c.frames);
        p.rx[L_HIP] = -0.25f * std::fmax(0.0f, step), p.rx[R_HIP] = -0.25f * std::fmax(0.0f, -step);
        p.rx[L_KNEE] = 0.5f * std::fmax(0.0f, step), p.rx[R_KNEE] = 0.5f * std::fmax(0.0f, -step);
    }
    // Travel follows the turning body, frame by frame; a running turn slows
    // by the share c in its middle (a planted cut), so that it comes round
    // within the distance at which the men start it.
    for (int k = 1; k <= static_cast<int>(f); ++k) {
        float u = (k - 0.5f) / c.frames;
        float yaw = total * smooth(u);
        float travel = m.b * (1 - m.c * std::sin(kPi * u));
        p.travel_x += std::sin(yaw) * travel / kGroundPerModel;
        p.travel_z += std::cos(yaw) * travel / kGroundPerModel;
    }
    return p;
}

Pose step(const Motion& m, const MotionContext& c, float f)
{
    Pose p = stand();
    float u = f / c.frames;
    float steps = m.d > 0 ? m.d : 2;
    float s = std::sin(kPi * steps * u);
    float side = m.a < 0 ? -1 : m.a > 0 ? 1 : 0;
    p.rz[L_HIP] = 0.2f * side * std::fmax(0.0f, s) - 0.05f;
    p.rz[R_HIP] = 0.2f * side * std::fmax(0.0f, -s) + 0.05f;
    p.rx[L_HIP] = m.b < 0 ? 0.3f * std::fmax(0.0f, s) : -0.2f * std::fmax(0.0f, s);
    p.rx[R_HIP] = m.b < 0 ? 0.3f * std::fmax(0.0f, -s) : -0.2f * std::fmax(0.0f, -s);
    p.rx[L_KNEE] = 0.4f * std::fmax(0.0f, s), p.rx[R_KNEE] = 0.4f * std::fmax(0.0f, -s);
    p.squat = 0.12f;
    if (m.flags & WITH_BALL) copy_arms(p, holding_arms());
    p.travel_x = m.a * smooth(u) / kGroundPerModel;
    p.travel_z = m.b * smooth(u) / kGroundPerModel;
    return p;
}

// The pose at the moment of contact: the effector on the target.
Pose reach_pose(const Motion& m, const Pose& from)
{
    Pose p = from;
    const float target[3] = {m.tx, m.ty, m.tz};
    float low = m.ty < 90 ? 1.0f : 0.3f;
    if (m.effector == EFF_HANDS) {
        // Symmetric: the left hand to its side of the point, the right mirrored.
        const float left[3] = {m.tx - 6, m.ty, m.tz};
        IkFreedom free[] = {{&p.squat, 0, 0.9f * low},
                            {&p.rx[TORSO], -0.3f, 1.5f * low},
                            {&p.rx[L_SHOULDER], -3.1f, 0.8f},
                            {&p.rz[L_SHOULDER], -1.2f, 0.6f},
                            {&p.rx[L_ELBOW], -2.3f, 0}};
        solve_reach(p, EFF_LEFT_HAND, left, free, 5);
        mirror_left_arm(p);
        (void)target;
    } else if (m.effector == EFF_LEFT_HAND || m.effector == EFF_RIGHT_HAND) {
        bool left = m.effector == EFF_LEFT_HAND;
        int sh = left ? L_SHOULDER : R_SHOULDER, el = left ? L_ELBOW : R_ELBOW;
        IkFreedom free[] = {{&p.squat, 0, 0.6f * low},    {&p.rx[TORSO], -0.3f, 1.2f * low},
                            {&p.rz[TORSO], -0.5f, 0.5f},  {&p.rx[sh], -3.1f, 1.0f},
                            {&p.rz[sh], -3.0f, 3.0f},     {&p.rx[el], -2.3f, 0}};
        solve_reach(p, m.effector, target, free, 6);
    } else {
        bool left = m.effector == EFF_LEFT_FOOT;
        int hip = left ? L_HIP : R_HIP, knee = left ? L_KNEE : R_KNEE;
        IkFreedom free[] = {{&p.rx[hip], -1.8f, 0.6f}, {&p.rz[hip], -0.6f, 0.6f}, {&p.rx[knee], 0, 2.2f},
                            {&p.squat, 0, 0.4f}};
        solve_reach(p, m.effector, target, free, 4);
    }
    return p;
}

// Start, contact and end of the reach family, with running legs for the
// running rows; the contact pose is met exactly at the contact frame + 1.
Pose reach(const Motion& m, const MotionContext& c, float f)
{
    bool running = m.flags & RUNNING;
    float hit = static_cast<float>(c.contact_frame + 1);
    float after = m.b > 0 ? m.b : m.a;
    auto base = [&](float frame, bool ball) {
        Pose p = running ? running_pose(after, frame, ball) : stand();
        if (!running && ball) copy_arms(p, holding_arms());
        return p;
    };
    // The contact pose is solved once a file.
    static const char* cached_file = nullptr;
    static Pose contact;
    if (cached_file != m.file) {
        contact = reach_pose(m, base(hit, false));
        cached_file = m.file;
    }
    // c: the frame the reach arrives, where a planner looks earlier than the event.
    float arrive = m.c > 0 && m.c < hit ? m.c : hit;
    Pose p;
    if (f <= arrive) {
        p = blend(base(f, false), contact, smooth(f / arrive));
    } else if (f <= hit) {
        p = contact;
    } else {
        float hold = hit + 2;
        float u = c.frames > hold ? (f - hold) / (c.frames - hold) : 1;
        p = blend(contact, base(f, m.flags & WITH_BALL), smooth(u));
    }
    p.travel_z = travel_along(f, hit, m.a, after);
    return p;
}

Pose kick(const Motion& m, const MotionContext& c, float f)
{
    bool running = m.a > 20;
    float r = static_cast<float>(c.contact_frame + 1);
    Pose p = running ? running_pose(m.a, f, true) : stand();
    if (!running) copy_arms(p, holding_arms());
    // Ball dropped two frames before the foot meets it; arms out for balance.
    float drop = smooth((f - (r - 4)) / 3);
    Pose arms = stand();
    arms.rz[L_SHOULDER] = -1.1f, arms.rx[L_SHOULDER] = -0.4f;
    arms.rz[R_SHOULDER] = 0.7f, arms.rx[R_SHOULDER] = 0.5f;
    Pose with_arms = p;
    copy_arms(with_arms, arms);
    p = blend(p, with_arms, drop);
    float u = f - r;
    float hip, knee;
    if (u < -6) hip = 0, knee = 0;
    else if (u < -2) hip = 0.6f * smooth((u + 6) / 4), knee = 1.3f * smooth((u + 6) / 4);
    else if (u < 0) hip = 0.6f - 2.0f * smooth((u + 2) / 2), knee = 1.3f * (1 - smooth((u + 2) / 2));
    else if (u < 3) hip = -1.4f - 0.5f * smooth(u / 3), knee = 0.2f * smooth(u / 3);
    else hip = -1.9f * (1 - smooth((u - 3) / 6)), knee = 0.2f * (1 - smooth((u - 3) / 6));
    p.rx[R_HIP] = hip;
    p.rx[R_KNEE] = knee;
    p.rx[TORSO] = 0.1f - 0.15f * smooth(u / 3);
    // Dropped from the hands, the ball meets the foot at the release.
    p.ball_to_foot = smooth((f - (r - 3)) / 3) * (1 - smooth((f - r - 1) / 2));
    float approach = running ? m.a : 8;
    p.travel_z = travel_along(f, r + 3, approach, running ? m.a * 0.5f : 0);
    return p;
}

// The left hand holds the ball at the waist; the right fist, drawn back,
// meets it at the release and follows through.
Pose handball(const Motion& m, const MotionContext& c, float f)
{
    bool running = m.a > 0;
    float r = static_cast<float>(c.contact_frame + 1);
    static const char* cached_file = nullptr;
    static Pose hold, strike;
    if (cached_file != m.file) {
        hold = stand();
        const float ball[3] = {-4, 105, 30};
        IkFreedom left[] = {{&hold.rx[L_SHOULDER], -2.0f, 0.5f}, {&hold.rz[L_SHOULDER], -0.5f, 1.2f},
                            {&hold.rx[L_ELBOW], -2.3f, 0}};
        solve_reach(hold, EFF_LEFT_HAND, ball, left, 3);
        strike = hold;
        const float fist[3] = {-2, 103, 28};
        IkFreedom right[] = {{&strike.rx[R_SHOULDER], -2.5f, 0.5f}, {&strike.rz[R_SHOULDER], -1.5f, 0.5f},
                             {&strike.rx[R_ELBOW], -2.3f, 0}};
        solve_reach(strike, EFF_RIGHT_HAND, fist, right, 3);
        cached_file = m.file;
    }
    Pose drawn = hold;
    drawn.rx[R_SHOULDER] = 0.7f, drawn.rx[R_ELBOW] = -1.4f;
    Pose through = strike;
    through.rx[R_SHOULDER] -= 0.6f;
    Pose arms;
    if (f <= r - 4) arms = blend(hold, drawn, smooth(f / (r - 4)));
    else if (f <= r) arms = blend(drawn, strike, smooth((f - r + 4) / 4));
    else if (f <= r + 3) arms = blend(strike, through, smooth((f - r) / 3));
    else arms = blend(through, stand(), smooth((f - r - 3) / (c.frames - r - 3)));
    Pose p = running ? running_pose(m.a, f, false) : stand();
    copy_arms(p, arms);
    p.ry[TORSO] = rad(m.b) * smooth(f / r) * (1 - smooth((f - r - 4) / 10));
    p.travel_z = running ? travel_along(f, r, m.a, m.a) : 0;
    return p;
}

Pose jump(const Motion& m, const MotionContext& c, float f)
{
    int part = static_cast<int>(m.a);
    bool running = m.flags & RUNNING;
    float u = f / c.frames;
    Pose air = stand();
    air.squat = 0.35f;
    air.height = 0;
    air.rx[L_HIP] = air.rx[R_HIP] = -0.5f;
    air.rx[L_KNEE] = air.rx[R_KNEE] = 0.9f;
    Pose hands = air;
    both_hands_to(hands, m.b, 25, 6);
    Pose p;
    switch (part) {
    case 1: { // crouch and spring
        Pose crouch = running ? running_pose(60, f, false) : stand();
        crouch.squat = 0.55f;
        crouch.rx[L_SHOULDER] = crouch.rx[R_SHOULDER] = 0.6f;
        Pose up = running ? running_pose(60, f, false) : stand();
        up.rx[L_SHOULDER] = up.rx[R_SHOULDER] = -2.0f;
        p = u < 0.6f ? blend(running ? running_pose(60, f, false) : stand(), crouch, smooth(u / 0.6f))
                     : blend(crouch, up, smooth((u - 0.6f) / 0.4f));
        break;
    }
    case 2: p = blend(air, hands, smooth(u)); break;
    case 3:
        p = hands;
        if (m.c > 0) { // missed: hands part and drop
            Pose miss = air;
            miss.rz[L_SHOULDER] = -1.3f, miss.rz[R_SHOULDER] = 1.3f;
            p = blend(hands, miss, smooth(u));
        }
        break;
    default: { // land and stand, with the ball when the catch held
        Pose land = stand();
        land.squat = 0.6f;
        if (m.flags & WITH_BALL) copy_arms(land, holding_arms());
        Pose end = stand();
        if (m.flags & WITH_BALL) copy_arms(end, holding_arms());
        Pose from = m.c > 0 ? air : hands;
        p = u < 0.3f ? blend(from, land, smooth(u / 0.3f)) : blend(land, end, smooth((u - 0.3f) / 0.7f));
        break;
    }
    }
    if (running) p.travel_z = 40 * f / kGroundPerModel;
    return p;
}

// A spoil: one arm up and out at the contact frame + 1.
Pose spoil(const Motion& m, const MotionContext& c, float f)
{
    Motion r = m;
    r.family = FAM_REACH;
    MotionContext rc = c;
    if (rc.contact_frame < 0) rc.contact_frame = c.frames / 2;
    return reach(r, rc, f);
}

Pose lying(float face_down)
{
    Pose p = stand();
    p.pitch = face_down * kPi / 2;
    p.height = -80;
    p.rz[L_SHOULDER] = -1.2f, p.rz[R_SHOULDER] = 1.2f;
    p.rz[L_HIP] = -0.15f, p.rz[R_HIP] = 0.15f;
    return p;
}

Pose fall(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose start = stand();
    Pose down = lying(m.a);
    Pose p = u < 0.25f ? start : blend(start, down, smooth((u - 0.25f) / 0.4f));
    p.rz[L_SHOULDER] -= 0.6f * std::sin(kPi * smooth(u / 0.65f));
    p.rz[R_SHOULDER] += 0.6f * std::sin(kPi * smooth(u / 0.65f));
    p.roll = rad(m.c) * smooth(u / 0.65f);
    p.travel_z = m.a * m.b * smooth(u / 0.65f) / kGroundPerModel;
    return p;
}

Pose ground(const Motion& m, const MotionContext& c, float f)
{
    Pose p = lying(m.a);
    float phase = 2 * kPi * 3 * f / c.frames;
    p.rx[L_HIP] = -0.3f - 0.3f * std::sin(phase), p.rx[R_HIP] = -0.3f + 0.3f * std::sin(phase);
    p.rx[L_KNEE] = 0.8f + 0.3f * std::sin(phase), p.rx[R_KNEE] = 0.8f - 0.3f * std::sin(phase);
    p.rx[L_SHOULDER] = -1.2f + 0.3f * std::sin(phase * 0.5f);
    p.rx[R_SHOULDER] = -1.2f - 0.3f * std::sin(phase * 0.5f);
    p.roll = 0.15f * std::sin(phase * 0.5f);
    return p;
}

Pose getup(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose down = lying(m.a);
    Pose kneel = stand();
    kneel.squat = 0.9f;
    kneel.pitch = 0.3f * m.a;
    kneel.rx[TORSO] = 0.4f;
    return u < 0.5f ? blend(down, kneel, smooth(u / 0.5f)) : blend(kneel, stand(), smooth((u - 0.5f) / 0.5f));
}

Pose tackle(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose wrap = stand();
    wrap.rx[TORSO] = 0.5f;
    wrap.rx[L_SHOULDER] = wrap.rx[R_SHOULDER] = -1.5f;
    wrap.rz[L_SHOULDER] = 0.5f, wrap.rz[R_SHOULDER] = -0.5f;
    wrap.rx[L_ELBOW] = wrap.rx[R_ELBOW] = -1.3f;
    int stage = static_cast<int>(m.a);
    if (stage == 0) return blend(stand(), wrap, smooth(u * 1.5f));
    if (stage == 1) {
        Pose p = wrap;
        p.rz[TORSO] = 0.1f * std::sin(2 * kPi * 4 * u);
        return p;
    }
    return blend(wrap, stand(), smooth(u));
}

Pose signal(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose base = stand(true);
    Pose sig = base;
    sig.rz[L_SHOULDER] = -rad(m.a), sig.rx[L_SHOULDER] = -rad(m.b);
    sig.rz[R_SHOULDER] = rad(m.c), sig.rx[R_SHOULDER] = -rad(m.d);
    sig.rx[L_ELBOW] = sig.rx[R_ELBOW] = -0.1f;
    float w = u < 0.15f ? smooth(u / 0.15f) : u > 0.85f ? 1 - smooth((u - 0.85f) / 0.15f) : 1;
    Pose p = blend(base, sig, w);
    // A little life in the held pose.
    p.rz[TORSO] = 0.03f * std::sin(2 * kPi * 2 * u);
    if (m.flags & WITH_BALL) {
        float r = c.contact_frame >= 0 ? static_cast<float>(c.contact_frame + 1) / c.frames : 0.5f;
        Pose held = base;
        copy_arms(held, holding_arms());
        Pose up = base;
        both_hands_to(up, 205, 10, 6);
        p = u < r ? blend(held, up, smooth(u / r)) : blend(up, base, smooth((u - r) / (1 - r)));
    }
    return p;
}

Pose blow(const Motion& m, const MotionContext& c, float f)
{
    // A row without a blow event strikes half-way.
    float r = static_cast<float>(c.contact_frame >= 0 ? c.contact_frame + 1 : c.frames / 2);
    Pose guard = stand();
    guard.rx[L_SHOULDER] = guard.rx[R_SHOULDER] = -0.9f;
    guard.rx[L_ELBOW] = guard.rx[R_ELBOW] = -1.9f;
    guard.rz[L_SHOULDER] = 0.2f, guard.rz[R_SHOULDER] = -0.2f;
    guard.squat = 0.15f;
    Pose strike = guard;
    switch (static_cast<int>(m.a)) {
    case 0: strike.rx[R_SHOULDER] = -1.5f, strike.rx[R_ELBOW] = -0.1f; break;          // jab
    case 1: strike.rz[R_SHOULDER] = -0.9f, strike.rx[R_SHOULDER] = -1.4f, strike.ry[TORSO] = -0.5f; break; // hook
    case 2: strike.rx[R_SHOULDER] = -2.2f, strike.rx[R_ELBOW] = -1.2f; break;          // uppercut
    case 3: strike.rx[R_SHOULDER] = -1.0f, strike.rx[R_ELBOW] = -0.2f, strike.squat = 0.4f; break; // low punch
    case 4: strike.rx[R_HIP] = -1.2f, strike.rx[R_KNEE] = 0.2f; break;                 // kick
    case 5: strike.rx[R_HIP] = -1.3f, strike.rx[R_KNEE] = 1.8f; break;                 // knee
    case 6: strike.rx[TORSO] = 0.5f, strike.rx[HEAD] = 0.4f; break;                    // headbutt
    case 7: strike.rx[R_HIP] = -0.9f, strike.rx[TORSO] = 0.3f; break;                  // kick on the ground
    default: strike.rx[R_HIP] = -0.8f, strike.rx[R_KNEE] = 1.2f, strike.rx[TORSO] = 0.3f; break; // stamp
    }
    Pose p = f <= r ? blend(blend(stand(), guard, smooth(f / 4)), strike, smooth((f - r + 4) / 4))
                    : blend(strike, guard, smooth((f - r) / 6));
    if (f > r + 6) p = blend(guard, stand(), smooth((f - r - 6) / (c.frames - r - 6)));
    p.travel_z = m.b * smooth(f / r) / kGroundPerModel;
    return p;
}

Pose take_blow(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose hit = stand();
    hit.rx[HEAD] = -0.5f, hit.rx[TORSO] = -0.3f;
    hit.rz[L_SHOULDER] = -0.8f, hit.rz[R_SHOULDER] = 0.8f;
    if (m.b > 0) { // doubled over, or down and out
        hit.rx[TORSO] = 0.9f, hit.rx[HEAD] = 0.3f, hit.squat = 0.4f;
    }
    Pose p = u < 0.2f ? blend(stand(), hit, smooth(u / 0.2f)) : blend(hit, stand(), smooth((u - 0.4f) / 0.6f));
    if (m.b > 1) p = u < 0.2f ? blend(stand(), hit, smooth(u / 0.2f)) : blend(hit, lying(-1), smooth((u - 0.2f) / 0.5f));
    p.travel_z = -m.a * smooth(u / 0.6f) / kGroundPerModel;
    return p;
}

Pose celebrate(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose p = m.a > 0 ? running_pose(m.a, f, false) : stand();
    Pose arms = p;
    float beat = std::sin(2 * kPi * 3 * u);
    switch (static_cast<int>(m.b)) {
    case 0: arms.rx[L_SHOULDER] = arms.rx[R_SHOULDER] = -2.8f, arms.rz[L_SHOULDER] = -0.3f, arms.rz[R_SHOULDER] = 0.3f; break;
    case 1: arms.rx[R_SHOULDER] = -2.9f + 0.3f * beat, arms.rx[R_ELBOW] = -0.8f - 0.6f * beat; break;
    case 2: both_hands_to(arms, 140 + 10 * beat, 25, 4 + 8 * (0.5f + 0.5f * beat)); break;
    case 3: arms.rx[L_SHOULDER] = arms.rx[R_SHOULDER] = -1.4f, arms.rz[L_SHOULDER] = 0.6f, arms.rz[R_SHOULDER] = -0.6f; break;
    case 4: arms.rx[R_SHOULDER] = -1.8f + 0.2f * beat, arms.rx[R_ELBOW] = -0.9f; break;
    case 5: arms.rx[R_SHOULDER] = -0.9f, arms.rx[R_ELBOW] = -0.5f - 0.2f * beat; break;
    default: arms.rx[HEAD] = -0.5f; break;
    }
    float w = smooth(u / 0.2f) * (1 - smooth((u - 0.8f) / 0.2f));
    Pose r = blend(p, arms, w);
    copy_arms(p, r);
    p.rx[HEAD] = r.rx[HEAD];
    p.yaw = rad(m.c) * smooth(u);
    p.travel_z = m.a * f / kGroundPerModel;
    return p;
}

Pose gesture(const Motion& m, const MotionContext& c, float f)
{
    float u = f / c.frames;
    Pose p = stand();
    float k = m.b;
    float wave = std::sin(2 * kPi * (2 + std::fmod(k, 3)) * u + k);
    float w = smooth(u / 0.15f) * (1 - smooth((u - 0.85f) / 0.15f));
    p.rx[L_SHOULDER] += w * (-0.6f - 0.3f * std::fmod(k, 2) + 0.35f * wave);
    p.rx[R_SHOULDER] += w * (-0.9f - 0.2f * std::fmod(k, 4) - 0.35f * wave);
    p.rz[L_SHOULDER] += w * -0.3f * std::fmod(k, 3);
    p.rx[L_ELBOW] += w * (-0.8f + 0.3f * wave);
    p.rx[R_ELBOW] += w * (-1.0f - 0.3f * wave);
    p.ry[TORSO] = w * 0.2f * std::sin(2 * kPi * u + k);
    p.rx[HEAD] = w * 0.15f * wave;
    return p;
}

Pose bounce(const Motion& m, const MotionContext&, float f)
{
    Pose p = running_pose(m.a, f, true);
    // One bounce: down between frames 3 and 8, back in the hands by 12.
    float down = f < 3 ? 0 : f < 8 ? smooth((f - 3) / 5) : f < 12 ? 1 - smooth((f - 8) / 4) : 0;
    p.ball_drop = 105 * down;
    p.rx[R_SHOULDER] -= 0.3f * down;
    p.travel_z = m.a * f / kGroundPerModel;
    return p;
}

} // namespace

Pose motion_pose(const Motion& m, const MotionContext& c, float f)
{
    switch (m.family) {
    case FAM_STAND: {
        Pose p = stand(m.flags & UMPIRE);
        p.rx[TORSO] += 0.02f * std::sin(2 * kPi * f / (c.frames > 1 ? c.frames : 1));
        if (m.flags & WITH_BALL) copy_arms(p, holding_arms());
        return p;
    }
    case FAM_IDLE: return idle(m, c, f);
    case FAM_GAIT: return gait(m, c, f);
    case FAM_TURN: return turn(m, c, f);
    case FAM_STEP: return step(m, c, f);
    case FAM_REACH: return reach(m, c, f);
    case FAM_KICK: return kick(m, c, f);
    case FAM_HANDBALL: return handball(m, c, f);
    case FAM_JUMP: return m.effector == EFF_HANDS ? jump(m, c, f) : spoil(m, c, f);
    case FAM_FALL: return fall(m, c, f);
    case FAM_GROUND: return ground(m, c, f);
    case FAM_GETUP: return getup(m, c, f);
    case FAM_TACKLE: return tackle(m, c, f);
    case FAM_SIGNAL: return signal(m, c, f);
    case FAM_BLOW: return blow(m, c, f);
    case FAM_TAKE_BLOW: return take_blow(m, c, f);
    case FAM_CELEBRATE: return celebrate(m, c, f);
    case FAM_GESTURE: return gesture(m, c, f);
    case FAM_BOUNCE: return bounce(m, c, f);
    }
    return stand();
}
