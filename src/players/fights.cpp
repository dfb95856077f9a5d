#include "players/fights.h"

#include "match/game_maths.h"
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
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <vector>

namespace {

constexpr BlowRow blow_rows[14] = {
    {13, 11}, {21, 11}, {14, 11}, {10, 11}, {11, 11}, {33, 3}, {33, 3},
    {27, 8},  {33, 8},  {19, 3},  {24, 3},  {29, 3},  {14, 11}, {14, 11},
};

constexpr int32_t SQUARE_UP = 352; // nearer than this the fighters stand off
constexpr int32_t STAND_OFF = 320;
constexpr int32_t RACK_OFF_GAP = 256;
constexpr int32_t BLOW_FIT = 127;

int32_t distance_to(const PlayerSlot* a, const PlayerSlot* o) { return vector_length(o->x - a->x, o->y - a->y); }
int32_t angle_to(const PlayerSlot* a, const PlayerSlot* o) { return vector_angle(o->x - a->x, o->y - a->y); }

void set_headings(PlayerSlot* man, int32_t d)
{
    man->wanted_facing = static_cast<int16_t>(d & 255);
    man->move_heading = static_cast<uint16_t>(d & 255);
}

void stand_still(PlayerSlot* man)
{
    man->target_x = man->x;
    man->target_y = man->y;
    clear_man_motion(man);
}

void play(PlayerSlot* man, int32_t anim, int32_t frame, bool busy)
{
    play_man_animation(man, anim, frame, 1.0);
    if (busy) man->man_flags |= MAN_BUSY;
}

void drop_to_stand(PlayerSlot* man)
{
    play_man_animation(man, ANIM_STAND, 0, 1.0);
    man->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
}

// O throws a fight move aimed within 12 of straight at A.
bool blow_aimed_at(const PlayerSlot* a, const PlayerSlot* o)
{
    return is_fight_move(o) && int_abs(angle_diff(o->facing - a->facing, 128)) <= 12;
}

// Blow rows: `point` the offset of the target from the man.
bool blow_fits(PlayerSlot* a, int32_t anim, int32_t dx, int32_t dy)
{
    int32_t land[2];
    blow_landing(a, anim, land);
    return int_abs(dx - land[0]) <= BLOW_FIT && int_abs(dy - land[1]) <= BLOW_FIT;
}

int32_t blow_reach(PlayerSlot* a, int32_t anim)
{
    int32_t land[2];
    blow_landing(a, anim, land);
    return vector_length(land[0], land[1]);
}

void end_fight_for(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (man != m.fight_pair[0] && man != m.fight_pair[1]) return;
    m.restart_countdown = 0;
    clear_player_links();
    set_match_state(m.fight_return_state);
}

} // namespace

const BlowRow& blow_row(int32_t animation)
{
    static constexpr BlowRow none{0, 0};
    if (animation < static_cast<int32_t>(ANIM_UPPERCUT) || animation > static_cast<int32_t>(ANIM_LOW_PUNCH_NOSTEP)) return none;
    return blow_rows[animation - ANIM_UPPERCUT];
}

void blow_landing(PlayerSlot* man, int32_t animation, int32_t out[2])
{
    const BlowRow& row = blow_row(animation);
    int32_t travel[3], joint[3];
    get_animation_displacement(travel, static_cast<uint32_t>(animation), 0, row.contact_frame, man->facing);
    get_joint_position(joint, man, static_cast<uint32_t>(animation), 0, row.contact_frame, man->facing, row.joint);
    // The travel comes in 24.8 units.
    out[0] = (travel[0] >> 8) + joint[0];
    out[1] = (travel[2] >> 8) + joint[2];
}

bool choose_fight_blow(PlayerSlot* a, PlayerSlot* o)
{
    std::vector<int32_t> candidates;
    if (o->man_flags & MAN_IN_BOTH_GRIDS)
        candidates = {ANIM_DIRTY_GROUND_KICK, ANIM_DIRTY_BIG_GROUND_KICK};
    else
        candidates = {296, 297, 298, 299, 300, 301, 302, 303, 304, 308, 309};
    std::vector<int32_t> fit;
    const int32_t dx = o->x - a->x, dy = o->y - a->y;
    for (int32_t c : candidates)
        if (blow_fits(a, c, dx, dy)) fit.push_back(c);
    if (fit.empty()) return false;
    int32_t blow = fit[0];
    if (fit.size() > 1) {
        uint32_t k;
        do
            k = game_random() & 15;
        while (k >= fit.size());
        blow = fit[k];
    }
    int32_t land[2];
    blow_landing(a, blow, land);
    if (int_abs(angle_diff(vector_angle(land[0], land[1]), angle_to(a, o))) > 64)
        play_man_animation(a, ANIM_WALK_BACKWARDS, 0, 1.0);
    a->fight_stage = FIGHT_CLOSE_IN;
    a->chosen_blow = static_cast<uint16_t>(blow);
    return true;
}

void act_fight(PlayerSlot* a)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* p0 = m.fight_pair[0];
    PlayerSlot* p1 = m.fight_pair[1];
    if (!p0 || !p1 || p0->fight_opponent != p1 || p1->fight_opponent != p0) return;
    PlayerSlot* o = a->fight_opponent;
    if (!o) return;

    if (a->contest_group) {
        if (a->queued_blow) {
            play(a, a->queued_blow, a->queued_blow == ANIM_LOW_KICK ? 8 : 0, true);
            a->man_flags2 &= static_cast<uint16_t>(~MAN2_AT_SPOT);
            a->action = 0;
            a->queued_blow = 0;
            clear_man_motion(a);
        } else if (is_standing_anim(a)) {
            a->wanted_facing = static_cast<int16_t>(angle_to(a, o));
        }
        return;
    }
    if (a->fight_stage == FIGHT_BLOW_DELIVERED && !(a->man_flags & MAN_BUSY)) {
        a->fight_stage = FIGHT_STEP_IN;
        stand_still(a);
    }
    if (a->queued_blow) {
        play(a, a->queued_blow, 0, true);
        a->fight_stage = FIGHT_BLOW_DELIVERED;
        a->queued_blow = 0;
        clear_man_motion(a);
    }
    const int32_t dir = angle_to(a, o);
    if (a->fight_stage != FIGHT_STEP_IN) a->wanted_facing = static_cast<int16_t>(dir);
    const int32_t dist = distance_to(a, o);

    switch (a->fight_stage) {
    case FIGHT_APPROACH:
        a->speed = 0;
        if (dist < SQUARE_UP) {
            a->wanted_facing = static_cast<int16_t>(dir);
            if (a->facing == dir && is_standing_anim(o)) a->fight_stage = FIGHT_WAIT;
        } else {
            a->fight_stage = FIGHT_STEP_IN;
        }
        if (blow_aimed_at(a, o)) a->fight_stage = FIGHT_DEFEND;
        break;
    case FIGHT_STEP_IN: {
        if (a->turning) break;
        const int32_t back = angle_to(o, a);
        a->target_x = clamp16(o->x + fixed_sin(static_cast<uint8_t>(back), STAND_OFF));
        a->target_y = clamp16(o->y + fixed_cos(static_cast<uint8_t>(back), STAND_OFF));
        set_headings(a, dir);
        if (dist >= STAND_OFF) {
            if (a->primary_animation == ANIM_BACKSTEP) drop_to_stand(a);
        } else if (int_abs(angle_diff(dir, a->facing)) <= 48) {
            play(a, ANIM_BACKSTEP, 0, true);
        }
        if (dist < SQUARE_UP) {
            stand_still(a);
            a->arrived = 1;
            // A backstep started this tick gives way at once; busy stays.
            play_man_animation(a, ANIM_STAND, 0, 1.0);
            a->fight_stage = FIGHT_APPROACH;
        } else {
            a->arrived = 0;
        }
        if (blow_aimed_at(a, o) && !(o->primary_animation >= 301 && o->primary_animation <= 304))
            a->fight_stage = FIGHT_DEFEND;
        break;
    }
    case FIGHT_WAIT:
        a->fight_timer = static_cast<int16_t>(a->fight_timer - match_tick_record.period);
        if (a->fight_timer > 0) {
            if (a->facing == dir && o->speed == 0 && within_blow_reach(a, o, STAND_OFF) && is_fight_move(o))
                a->fight_stage = FIGHT_DEFEND;
            break;
        }
        a->fight_timer = 0;
        if (!choose_fight_blow(a, o)) a->fight_stage = FIGHT_STEP_IN;
        break;
    case FIGHT_DEFEND: {
        const uint32_t anim = a->primary_animation;
        if (anim == ANIM_BACKSTEP || anim == ANIM_QUICKSTEP_LEFT || anim == ANIM_QUICKSTEP_RIGHT) {
            if (!is_hit_by_blow(a)) play_man_animation(a, ANIM_STAND, 0, 1.0);
            break;
        }
        if (is_hit_by_blow(a) && int_abs(angle_diff(o->facing, angle_to(o, a))) <= 12) {
            const uint32_t r = game_random() & 3;
            if (r == 2)
                play(a, ANIM_QUICKSTEP_LEFT, 5, true);
            else if (r == 3)
                play(a, ANIM_QUICKSTEP_RIGHT, 5, true);
            else if (dist <= 384 && o->primary_animation != ANIM_UPPERCUT)
                play(a, ANIM_BACKSTEP, 0, true);
            else
                play(a, r == 1 ? ANIM_QUICKSTEP_LEFT : ANIM_QUICKSTEP_RIGHT, 5, true);
            break;
        }
        a->fight_stage = FIGHT_STEP_IN;
        a->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
        break;
    }
    case FIGHT_CLOSE_IN:
        if (dist >= blow_reach(a, a->chosen_blow)) {
            a->queued_blow = a->chosen_blow;
            a->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
        } else {
            play_man_animation(a, ANIM_WALK_BACKWARDS, 0, 1.0);
        }
        a->fight_stage = FIGHT_WAIT;
        break;
    default:
        break;
    }
}

void act_rack_off(PlayerSlot* a)
{
    MatchGlobals& m = match_globals;
    PlayerSlot* o = a->fight_opponent;
    if (!o || (o->fight_opponent && o->fight_opponent != a)) {
        a->action = 0;
        end_fight_for(a);
        return;
    }
    const int32_t anim = profile_word(a, 28) < 51 ? ANIM_AGGRO_RACK_OFF_MATE_1 : ANIM_AGGRO_RACK_OFF_MATE_2;
    const int32_t dir = angle_to(a, o);
    const int32_t dist = distance_to(a, o);
    switch (a->stage) {
    case 0: {
        if (m.ball_holder == a || m.ball_holder == o) give_ball_to(nullptr);
        a->wanted_facing = o->wanted_facing = static_cast<int16_t>(dir);
        const int32_t back = angle_to(o, a);
        a->target_x = clamp16(o->x + fixed_sin(static_cast<uint8_t>(back), RACK_OFF_GAP));
        a->target_y = clamp16(o->y + fixed_cos(static_cast<uint8_t>(back), RACK_OFF_GAP));
        if (dist >= RACK_OFF_GAP) {
            if (a->primary_animation == ANIM_BACKSTEP) {
                play_man_animation(a, ANIM_STAND, 0, 1.0);
                a->man_flags = 0;
            }
        } else if (int_abs(angle_diff(dir, a->facing)) <= 48) {
            play(a, ANIM_BACKSTEP, 0, true);
        }
        if (dist < 288) a->stage = 1;
        break;
    }
    case 1: {
        const bool pair_man = a == m.fight_pair[0] || a == m.fight_pair[1];
        PlayerSlot* other_pair = a == m.fight_pair[0] ? m.fight_pair[1] : m.fight_pair[0];
        if (pair_man && a->fight_opponent != other_pair) {
            clear_player_links();
            m.restart_countdown = 0;
            set_match_state(m.fight_return_state);
            break;
        }
        stand_still(a);
        a->arrived = 1;
        play(a, anim, 0, true);
        ++a->rack_offs;
        a->stage = 2;
        break;
    }
    case 2: {
        const int32_t face_a = angle_to(o, a);
        o->wanted_facing = static_cast<int16_t>(face_a);
        if (o->facing != face_a) break;
        if (rack_off_turns_to_fight(a, o)) {
            o->fight_opponent = a;
            o->fight_stage = 1;
            a->stage = 3;
            break;
        }
        if (a->team && a->number < TEAM_SLOTS && o->number < TEAM_SLOTS)
            a->team->pairings[a->number][o->number] = static_cast<uint8_t>(a->team->pairings[a->number][o->number] / 2);
        const int32_t frames_left = animation_length(ANIM_ARGUE_HUH) / 50000 - (o->primary_position >> 16);
        if (o->primary_animation == ANIM_ARGUE_HUH && frames_left <= 8) {
            a->action = o->action = 0;
            a->fight_opponent = o->fight_opponent = nullptr;
            if (m.rack_off_count > 0) --m.rack_off_count;
            m.restart_countdown = 0;
            if (o == m.fight_pair[0] || o == m.fight_pair[1]) {
                m.fight_pair[0] = m.fight_pair[1] = nullptr;
                set_match_state(m.fight_return_state);
            }
        }
        break;
    }
    case 3:
        if (!(o->man_flags & MAN_BUSY)) {
            start_animation_by_id(o, ANIM_HEADBUTT);
            a->stage = 4;
        }
        break;
    default:
        break;
    }
}
