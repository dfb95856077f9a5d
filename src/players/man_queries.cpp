#include "players/man_queries.h"

#include "match/formation.h"
#include "match/game_maths.h"
#include "model/anim_table.h"
#include "players/locomotion.h"
#include "players/movement.h"
#include "model/skeleton.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/proposals.h"
#include "players/contact_tables.h"
#include "match/match_flow.h"
#include "match/match_setup.h"

#include <algorithm>
#include <iterator>

namespace {

bool between(uint32_t a, uint32_t lo, uint32_t hi) { return a >= lo && a <= hi; }

constexpr uint32_t jumpspoil_contacts[] = {332, 335, 338, 341, 344, 347, 350, 353};

bool is_jumpspoil_part(uint32_t a)
{
    return std::find(std::begin(jumpspoil_contacts), std::end(jumpspoil_contacts), a) != std::end(jumpspoil_contacts);
}

constexpr uint8_t STRIKE_EVENT = '&';
constexpr int32_t NEAR = 169; // search box and contact reach

bool in_play_other(const PlayerSlot* man, const PlayerSlot* other) { return other && other != man; }

} // namespace

bool is_standing_anim(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == 0 || a == 5 || a == 82 || between(a, 121, 123) || a == 176 || between(a, 194, 218);
}

bool is_walking_backwards(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == ANIM_WALK_BACKWARDS_NB || a == ANIM_WALK_BACKWARDS_WB || a == ANIM_BACKSTEP;
}

bool is_kick_along_ground(const PlayerSlot* man) { return between(man->primary_animation, 142, 143); }
bool is_picking_up(const PlayerSlot* man) { return between(man->primary_animation, 239, 241); }
bool is_running_slap(const PlayerSlot* man) { return between(man->primary_animation, 54, 62); }

bool is_sidestepping(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    return a == 145 || a == 146 || a == ANIM_QUICKSTEP_LEFT || a == ANIM_QUICKSTEP_RIGHT;
}

bool is_fight_move(const PlayerSlot* man) { return between(man->primary_animation, 296, 309); }
bool is_kicking(const PlayerSlot* man) { return between(man->primary_animation, 21, 24); }

bool is_jumpspoil_contact(const PlayerSlot* man)
{
    return (man->man_flags & MAN_CONTEST_A) && is_jumpspoil_part(man->primary_animation);
}

bool is_action_57_71(const PlayerSlot* man) { return man->action >= 57 && man->action <= 71; }

int32_t strike_frame(int32_t animation)
{
    uint8_t script[256];
    const int n = animation_script(animation, script);
    int i = 0;
    while (i < n && script[i] != STRIKE_EVENT) ++i;
    if (i == n) return animation_length(animation) / 50000; // no strike: its frame count
    while (i + 1 < n && script[i + 1] == STRIKE_EVENT) ++i;
    return i;
}

bool is_hit_by_blow(const PlayerSlot* man)
{
    const PlayerSlot* o = man->fight_opponent;
    if (!o || !is_fight_move(o)) return false;
    const auto a = static_cast<int32_t>(o->primary_animation);
    const int32_t frame = o->primary_position >> 16;
    if (animation_length(a) < 50000) return frame == 0;
    return frame <= strike_frame(a);
}

uint8_t anim_facing_offset(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    int32_t turn = 0;
    if (a < ANIM_ROW_COUNT && animation_table[a].data)
        turn = anim_turn_at(static_cast<int>(a), man->primary_position >> 16) * 256 / 16384;
    return static_cast<uint8_t>(man->facing + turn);
}

bool check_ball_touch(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (m.ball_touched) return true;
    if (is_standing_anim(man) && int_abs(man->x - m.ball_spot_x) <= 42 && int_abs(man->y - m.ball_spot_y) <= 42) {
        m.ball_touched = 1;
        return true;
    }
    return false;
}

namespace {

template <typename Accept>
PlayerSlot* nearest_by_length(PlayerSlot* man, Accept accept)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* best = nullptr;
    int32_t best_d = INT32_MAX;
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* o = m.active_men[i];
        if (!in_play_other(man, o) || !accept(o)) continue;
        const int32_t d = vector_length(o->x - man->x, o->y - man->y);
        if (d < best_d) {
            best_d = d;
            best = o;
        }
    }
    return best;
}

} // namespace

PlayerSlot* nearest_player(PlayerSlot* man)
{
    PlayerSlot* o = nearest_by_length(man, [](const PlayerSlot*) { return true; });
    return o ? o : man;
}

PlayerSlot* nearest_opponent(PlayerSlot* man)
{
    PlayerSlot* o = nearest_by_length(man, [man](const PlayerSlot* x) { return x->side != man->side; });
    return o ? o : man;
}

PlayerSlot* nearest_player_ahead(PlayerSlot* man, int32_t* side)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* best = nullptr;
    int32_t best_d = INT32_MAX;
    int32_t s = 0;
    for (int i = 0; i < m.active_men_count / 2; ++i) {
        PlayerSlot* o = m.active_men[i];
        if (!in_play_other(man, o)) continue;
        const int32_t dx = o->x - man->x, dy = o->y - man->y;
        if (int_abs(dx) > NEAR || int_abs(dy) > NEAR) continue;
        const int32_t diff = angle_diff(vector_angle(dx, dy), man->facing);
        if (int_abs(diff) > 63) continue;
        const int32_t d = approx_vector_length(dx, dy);
        if (d >= best_d) continue;
        best_d = d;
        best = o;
        if (int_abs(fixed_sin(static_cast<uint8_t>(diff), d)) < 256) s = diff >= 0 ? -1 : 1;
    }
    if (side) *side = s;
    return best;
}

PlayerSlot* nearest_player_behind(PlayerSlot* man)
{
    const bool high = man->z >= 85;
    return nearest_by_length(man, [man, high](const PlayerSlot* o) {
        const int32_t dx = o->x - man->x, dy = o->y - man->y;
        if (int_abs(dx) > NEAR || int_abs(dy) > NEAR) return false;
        if (high && o->z < 85) return false;
        return int_abs(angle_diff(man->facing + 128, vector_angle(dx, dy))) < 64;
    });
}

namespace {

constexpr int32_t SQUARE = 6144;
constexpr int32_t SPOT_STEP = 384;
constexpr int32_t CORNER = 5888;

bool spot_taken(const PlayerSlot* man, int32_t x, int32_t y)
{
    const MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i) {
        const PlayerSlot* o = m.active_men[i];
        if (o != man && int_abs(o->target_x - x) <= 191 && int_abs(o->target_y - y) <= 191) return true;
    }
    return false;
}

// One step round the square's edge.
void next_edge_spot(int32_t& x, int32_t& y)
{
    if (int_abs(x) > CORNER && int_abs(y) > CORNER) {
        if (x < 0 && y > 0) x += SPOT_STEP;
        else if (x > 0 && y > 0) y -= SPOT_STEP;
        else if (x > 0 && y < 0) x -= SPOT_STEP;
        else y += SPOT_STEP;
    } else if (int_abs(y) == SQUARE) {
        x += y >= 0 ? SPOT_STEP : -SPOT_STEP;
    } else {
        y += x >= 0 ? -SPOT_STEP : SPOT_STEP;
    }
}

} // namespace

void run_to_free_boundary_spot(PlayerSlot* man)
{
    const TeamRecord* team = man->team;
    if (!team || !team->formation_spots || man->number >= TEAM_SLOTS) return;
    const FormationSpot& home = team->formation_spots->spot[man->number];
    const int32_t x = home.x, y = home.y;
    if (int_abs(x) >= SQUARE || int_abs(y) >= SQUARE) {
        run_to_table_spot(man, team->formation_spots->spot);
        return;
    }
    int32_t sx, sy;
    if (int_abs(y) > int_abs(x)) {
        sx = x / SPOT_STEP * SPOT_STEP;
        sy = y < 0 ? -SQUARE : SQUARE;
    } else {
        sy = y / SPOT_STEP * SPOT_STEP;
        sx = x < 0 ? -SQUARE : SQUARE;
    }
    // The edge holds 128 spots; a full edge leaves the last one tried.
    for (int n = 0; n < 128 && spot_taken(man, sx, sy); ++n) next_edge_spot(sx, sy);
    post_man_message(man, 20, nullptr, man->facing, clamp16(sx), clamp16(sy), 255);
}

void push_man(PlayerSlot* man, const PlayerSlot* from, int32_t a, int32_t d)
{
    man->x = clamp16(from->x + fixed_sin(static_cast<uint8_t>(a), d));
    man->y = clamp16(from->y + fixed_cos(static_cast<uint8_t>(a), d));
}

namespace {

bool in_ground_class(const PlayerSlot* o) { return is_picking_up(o) || is_running_slap(o) || is_kick_along_ground(o); }

int32_t man_acceleration(const PlayerSlot* man)
{
    return skill_value(man, static_cast<int32_t>(std::clamp<int64_t>(profile_acceleration(man), INT32_MIN, INT32_MAX)),
                       11);
}

// Eases the speed towards the crossing cap by band x acceleration; a
// negative band steps away from it. Never below 0.
void ease_speed(PlayerSlot* man, int32_t band, int32_t accel)
{
    constexpr int64_t cap = 40 * 65536;
    const int64_t step = static_cast<int64_t>(band) * accel;
    int64_t s = man_speed_fixed(man);
    if (s < cap)
        s = std::min(s + step, cap);
    else if (s > cap)
        s = std::max(s - step, cap);
    set_man_speed_fixed(man, static_cast<int32_t>(std::clamp<int64_t>(s, 0, INT32_MAX)));
}

} // namespace

bool decide_bump(PlayerSlot* man)
{
    if (is_umpire(man) || (man->man_flags2 & MAN2_TACKLED) || (man->man_flags & MAN_OUT_OF_PLAY)) return false;
    const bool backwards = is_walking_backwards(man);
    if (!backwards && !is_fight_move(man) && (is_standing_anim(man) || man->speed == 0)) return false;
    int32_t search_side = 0;
    PlayerSlot* o = backwards ? nearest_player_behind(man) : nearest_player_ahead(man, &search_side);
    if (!o) return false;
    const int32_t dx = o->x - man->x, dy = o->y - man->y;
    if (approx_vector_length(dx, dy) > NEAR || ((man->man_flags & MAN_CONTEST_A) && is_jumpspoil_part(man->primary_animation))) {
        man->separation_side = 0;
        return false;
    }
    const int32_t a_man = man_acceleration(man), a_o = man_acceleration(o);
    if (o->action == ACT_SHEPHERD && o->side != man->side && man->speed > 14) set_man_speed_fixed(man, 14 * 65536);
    o->blocked = 1;

    const int32_t to_o = vector_angle(dx, dy);
    int32_t sep = 0;
    if (!is_fight_move(man)) {
        if (search_side == 0) {
            const int32_t to_target = vector_angle(man->target_x - o->x, man->target_y - o->y);
            sep = angle_diff(to_target - to_o - 128, 0) >= 0 ? 3 : -3;
        } else {
            sep = 3 * search_side;
        }
    }
    if (man->separation_side == 0) man->separation_side = static_cast<int16_t>(sep);

    if (backwards) {
        push_man(o, man, to_o, 180);
        man->separation_side = 0;
        return false;
    }
    // A team-mate standing or walking steps aside off the runner's line
    // rather than stop him dead: on a line-up 256 apart a man whose spot lies
    // beyond one, or two men walking the last units head on, could never
    // pass, and the men would never all arrive.
    if (o->side == man->side && (is_standing_anim(o) || o->primary_animation == ANIM_WALK) && !holds_ball(o) &&
        o->action != ACT_RECEIVE_HANDBALL && !(man->man_flags & (MAN_BUSY | MAN_OUT_OF_PLAY))) {
        push_man(o, man, to_o + (man->separation_side < 0 ? -32 : 32), 180);
        return false;
    }
    if (in_ground_class(o)) {
        if (in_ground_class(man) && man->ball_distance < o->ball_distance) {
            push_man(o, man, to_o, 180);
            return false;
        }
    } else if (o->action != ACT_RECEIVE_HANDBALL) {
        if (!(man->man_flags & (MAN_BUSY | MAN_OUT_OF_PLAY)) && !is_standing_anim(o)) {
            const int32_t band = 5 - int_abs(angle_diff(man->facing, o->facing)) / 16;
            ease_speed(man, band, a_man);
            ease_speed(o, band, a_o);
            const bool both_contest = (man->man_flags & MAN_CONTEST_A) && (o->man_flags & MAN_CONTEST_A);
            if (holds_ball(man) && both_contest) {
                push_man(o, man, to_o, 180);
            } else {
                push_man(man, o, to_o - 128 + man->separation_side, 175);
                if (o->action != ACT_SHEPHERD && !(o->man_flags2 & MAN2_TACKLED))
                    push_man(o, man, to_o + man->separation_side, 180);
            }
            return true;
        }
    } else if (man->action == ACT_RECEIVE_HANDBALL && man->ball_distance < o->ball_distance) {
        push_man(o, man, to_o, 180);
        return false;
    }
    push_man(man, o, to_o + 128, 180);
    return false;
}
