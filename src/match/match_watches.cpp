#include "match/match_watches.h"

#include "match/ball.h"
#include "match/banners.h"
#include "match/game_maths.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "match/officials.h"
#include "match/proposals.h"
#include "model/anim_table.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "players/anim_driver.h"
#include "match/match_flow.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "match/formation.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "match/set_kicks.h"
#include "match/stoppages.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include "match/set_play_director.h"
#include <cstdlib>
#include <iterator>

namespace {

MatchGlobals& g = match_globals;

constexpr int32_t GOAL_X = 24562;
constexpr uint32_t ANIM_MARK_STEP_OFF = 357;
constexpr uint32_t ANIM_MARK_STANCE = 355;

bool kicked_kick_out_state(int s) { return s >= 60 && s <= 72 && (s & 1) == 0; }

uint8_t other_side(uint8_t side) { return side == 1 ? 2 : 1; }

// The ball's spot on the ground, 1280 nearer the centre.
void mark_in_from_ball()
{
    int16_t x = whole(ball_state.x), y = whole(ball_state.y);
    const auto a = static_cast<uint8_t>(vector_angle(-x, -y));
    clamp_to_field(&x, &y);
    g.mark_x = clamp16(x + fixed_sin(a, 1280));
    g.mark_y = clamp16(y + fixed_cos(a, 1280));
}

bool period_run_out()
{
    if (g.flow_flags & TIME_ON)
        return g.period_clock >= g.stopped_time;
    return g.period_clock < 1 && g.stopped_time == 0;
}

void throw_in(bool bench)
{
    presentation::commentate(bench ? 42 : 41, -1, -1, -1, -1, 7);
    if (period_run_out()) {
        g.period_end_pending = 1;
        return;
    }
    g.restart_pending = 1;
    set_match_state(37);
    give_ball_to(nullptr);
    for (int i = 0; i < g.active_men_count; ++i)
        if (g.active_men[i] && !g.active_men[i]->busy_flag)
            g.active_men[i]->ball_coming = 1;
    flag_players_ball_coming();
    // The umpire of the mark's half: the throw-in waits on him, and only he
    // may keep the ball. Near an end the other line's umpire can stand nearer.
    set_official_job(&official_slots[g.mark_y < 1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1], 32);
}

void free_kick_against(PlayerSlot* offender, int32_t kind, int32_t event)
{
    presentation::commentate(event, -1, -1, -1, -1, 7);
    g.offender = offender;
    g.awarded_side = other_side(offender->side);
    g.offending_side = offender->side;
    award_free_kick(nullptr, kind);
}

TeamRecord* awarded_team() { return team_records[0].side == g.awarded_side ? &team_records[0] : &team_records[1]; }

void set_clock_mark(int32_t ticks)
{
    TeamRecord* t = awarded_team();
    t->clock_mark = (g.flow_flags & TIME_ON) ? g.period_clock + ticks : g.period_clock - ticks;
}

int32_t last_frame_of(uint32_t animation)
{
    const PafAnimation* data = animation < ANIM_ROW_COUNT ? animation_table[animation].data : nullptr;
    const int32_t frames = data ? static_cast<int32_t>(paf_length(data) / PAF_FRAME_US) : 30;
    return frames > 0 ? frames - 1 : 0;
}

} // namespace

void out_of_bounds_watch()
{
    const int s = g.match_state;
    if (s != 1 && !kicked_kick_out_state(s))
        return;
    BallState& b = ball_state;
    if (!(b.flags & BALL_WIDE_MARKS) && !(b.flight_flags & FLIGHT_BEHIND_POST))
        return;
    if (kicked_kick_out_state(g.previous_match_state) && g.last_ball_holder && g.kick_out_started &&
        b.bounce_count != 0) {
        PlayerSlot* holder = g.last_ball_holder;
        g.offender = holder;
        g.awarded_side = other_side(holder->side);
        g.offending_side = holder->side;
        mark_in_from_ball();
        award_free_kick(nullptr, 11);
        return;
    }
    if (b.flight_flags & FLIGHT_DEAD_BOUNCE) {
        mark_in_from_ball();
        award_ball_up(nullptr, 2);
        return;
    }
    int16_t x = whole(b.x), y = whole(b.y);
    if (b.flight_flags & FLIGHT_BEHIND_POST) {
        x = x < 0 ? -24818 : 24818;
        y = y < 0 ? -2816 : 2816;
        b.flight_flags &= static_cast<uint16_t>(~FLIGHT_BEHIND_POST);
    }
    if (std::abs(y) < 2816)
        y = y < 0 ? -2816 : 2816;
    clamp_to_field(&x, &y);
    g.mark_x = x;
    g.mark_y = y;
    const bool bench = std::abs(x - g.interchange_gate_x) <= 1792 && std::abs(y - g.interchange_gate_y) <= 1792 &&
                       game_random() % 3 == 0;
    const bool bounced = b.bounce_count != 0;
    if (b.flight_flags & FLIGHT_KICKED) {
        // Nobody to blame when the kicker is no longer known: throw it in.
        if (!bounced && g.last_kicker)
            free_kick_against(g.last_kicker, 6, bench ? 40 : 39);
        else
            throw_in(bench);
        return;
    }
    // No launch marks a flight with value 1, so a ball knocked out is thrown
    // in unless carried out deliberately.
    PlayerSlot* holder = g.ball_holder;
    if (holder && find_opponent(holder) > 2048)
        free_kick_against(holder, 11, 34);
    else
        throw_in(bench);
}

void out_of_bounds_throw_in() { throw_in(false); }

void set_kick_time_limit()
{
    PlayerSlot* kicker = g.controlled_man_a;
    if (!kicker || !kicker->team || (kicker->man_flags & 0x0002) || g.time_limit_off)
        return;
    TeamRecord* team = kicker->team;
    const bool counting_up = g.flow_flags & TIME_ON;
    const bool reached = counting_up ? g.period_clock > team->clock_mark : g.period_clock < team->clock_mark;
    if (reached) {
        g.time_warning_given = 0;
        g.banner_blocked = 0;
        ++team->time_wasting;
        g.offending_side = kicker->side;
        g.awarded_side = other_side(kicker->side);
        check_period_end();
        g.return_match_state = 49;
        award_free_kick(g.controlled_man_b, 9);
        return;
    }
    if (!g.time_warning_given && std::abs(g.period_clock - team->clock_mark) <= 310) {
        presentation::schedule_effect(12, 0, 101, 0, 1, 0);
        g.time_warning_given = 1;
    }
}

int32_t play_on_test()
{
    PlayerSlot* kicker = g.controlled_man_a;
    if (!kicker)
        return 0;
    if (kicker->action == 11 && vector_length(kicker->x - g.mark_x, kicker->y - g.mark_y) > 1024) {
        g.played_on = 1;
        if (g.controlled_man_b && g.controlled_man_b->secondary_animation)
            set_man_animation(g.controlled_man_b, ANIM_MARK_STEP_OFF, 0, 6.0);
        return 1;
    }
    // A computer kicker may shoot from where he marked instead of waiting
    // for the set shot: once his kick has left his foot he has played on,
    // else the shot would fly with the match still waiting on the mark.
    if (g.match_state == MARK && g.current_kicker == kicker && !g.ball_holder && (ball_state.flight_flags & FLIGHT_KICKED))
        g.played_on = 1;
    int32_t reach = person_skill(kicker, 20) * 5120 / 255 + 7680;
    if (kicker->contest_group)
        reach += 1280;
    if (!in_goal_range(kicker, reach, g.mark_x, g.mark_y) && kicker->team && kicker->team->human_count == 0 &&
        !(kicker->man_flags2 & 0x0001)) {
        if (approx_vector_length(kicker->x - g.mark_x, kicker->y - g.mark_y) > 1280 && in_field(g.mark_x, g.mark_y)) {
            g.played_on = 1;
            if (is_walking_backwards(kicker))
                play_man_animation(kicker, 0, 0, 1.0);
        }
    }
    if (!g.played_on)
        return 0;
    kicker->man_flags &= static_cast<uint16_t>(~0x1000u);
    if (!(ball_state.flight_flags & FLIGHT_KICKED) && (game_random() & 3) == 0)
        presentation::commentate(76, kicker->team_index, kicker->number, -1, -1, 0);
    if (!is_kicking(kicker))
        set_match_state(1);
    return 1;
}

int32_t play_has_stopped()
{
    if (g.period_end_pending)
        return 0;
    if (presentation::message_banner_busy())
        return 1;
    const uint16_t ff = ball_state.flight_flags;
    if ((ff & FLIGHT_KICKED) && (ff & FLIGHT_MOVING))
        return 1;
    if ((g.ball_holder && (g.ball_holder->man_flags & MAN_BUSY)) ||
        (g.umpire_with_ball && (g.umpire_with_ball->man_flags & MAN_BUSY)))
        return 1;
    if (g.pending_pickup_man || g.pending_ground_kick_man)
        return 1;
    switch (g.match_state) {
    case 4:
    case 36:
    case 39:
    case 40:
    case 41:
    case 42:
    case 43:
    case 47:
    case 48:
    case 49:
    case 56: return 1;
    default: return g.match_state >= 59 && g.match_state <= 73;
    }
}

int32_t encroaches(const PlayerSlot* man)
{
    const PlayerSlot* kicker = g.controlled_man_a;
    if (!kicker || man->side == g.awarded_side || man == g.controlled_man_b || !man->contest_group ||
        man->ball_distance > 5120)
        return 0;
    const int32_t goal_x = kicker->side == 2 ? GOAL_X : -GOAL_X;
    const int32_t to_man = vector_angle(man->x - g.mark_x, man->y - g.mark_y);
    const int32_t to_goal = vector_angle(goal_x - g.mark_x, -g.mark_y);
    if (std::abs(angle_diff(to_man, to_goal)) < 64)
        return 0;
    if (approx_vector_length(kicker->x - man->x, kicker->y - man->y) > 768)
        return 0;
    const int32_t to_kicker = vector_angle(kicker->x - man->x, kicker->y - man->y);
    const auto kept = static_cast<int32_t>(man->contest_group->group_words[0] & 255);
    return std::abs(angle_diff(to_kicker, kept)) < 32;
}

void update_text_banner(int32_t force)
{
    if ((force || g.score_banner_wanted == 1) && g.banner_blocked == 0)
        presentation::show_score_banner();
}

void set_team_clock_mark_15s() { set_clock_mark(930); }
void set_team_clock_mark_20s() { set_clock_mark(1240); }

int32_t match_quit_requested()
{
    if (g.closing_transition_running || g.ticks_halted || presentation::hw_transition_running() ||
        g.pending_cut_state != -1)
        return 0;
    if (key_state[KEY_ESCAPE] & 0x80) {
        const int s = g.match_state;
        if (s == 16 || s == 17 || s == 21) {
            const int32_t shortest = s == 21 ? 61 : 93;
            if (g.restart_countdown > shortest)
                g.restart_countdown = shortest;
            return 0;
        }
        return 1;
    }
    if (g.game_type == 0)
        for (const controller_record& c : controllers)
            if ((c.buttons | c.prev_buttons) & 0x0F)
                return 1;
    return 0;
}

void set_focus_player(PlayerSlot* man)
{
    PlayerSlot* old = g.controlled_man_b;
    if (old && old != man && old->secondary_animation != 0 && old->secondary_animation != ANIM_MARK_STEP_OFF) {
        int32_t frame = 0;
        if (old->secondary_animation == ANIM_MARK_STANCE) {
            // Step off from the mirrored frame of the stance, never outside 357.
            const int32_t last = last_frame_of(ANIM_MARK_STEP_OFF);
            frame = last - (old->secondary_position >> 16);
            frame = frame < 0 ? 0 : (frame > last ? last : frame);
        }
        set_man_animation(old, ANIM_MARK_STEP_OFF, frame, 4.0);
    }
    g.controlled_man_b = man;
}

void place_men_for_period_end()
{
    const bool walk_to_spots = g.flow_flags & (QUARTER_1 | QUARTER_3);
    for_each_active([walk_to_spots](PlayerSlot* m) {
        const bool free = !m->busy_flag && !(m->man_flags2 & MAN2_NO_CONTEST);
        if (free) {
            m->arrived = 0;
            m->spot_assigned = 0;
            if (walk_to_spots) {
                if (m->team && m->team->formation_spots)
                    run_to_table_spot(m, m->team->formation_spots->spot);
            } else {
                const int16_t y = std::abs(m->x) >= 512 ? 25088 : PERIOD_END_BREAK_Y;
                post_man_message(m, 27, nullptr, 0, m->side == 2 ? -256 : 256, y, 255);
            }
        }
        if (walk_to_spots)
            m->ball_coming = 1;
    });
}

void collect_key_men(PlayerSlot* first_slot, PlayerSlot* out[4])
{
    TeamRecord* team = first_slot->team;
    for (int i = 0; i < men_in_use(); ++i)
        first_slot[i].key_man_mark = 0;
    if (!team)
        return;
    for (int i = 0; i < GROUND_MEN; ++i)
        for (int k = 0; k < 4; ++k)
            if (first_slot[i].number == team->key_men[k]) {
                out[k] = &first_slot[i];
                first_slot[i].key_man_mark = 1;
            }
}

void running_rule_check()
{
    PlayerSlot* h = g.ball_holder;
    if (!h || approx_vector_length(h->x - g.pickup_x, h->y - g.pickup_y) <= 4096 || h->primary_animation == 193 ||
        (h->man_flags & MAN_BUSY))
        return;
    g.offender = h;
    g.awarded_side = other_side(h->side);
    g.offending_side = h->side;
    g.mark_x = h->x;
    g.mark_y = h->y;
    award_free_kick(nullptr, 7);
}

void centre_square_check()
{
    for (int i = g.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* m = g.active_men[i];
        if (m && approx_vector_length(m->x, m->y) <= 384) {
            g.offender = m;
            g.awarded_side = other_side(m->side);
            g.offending_side = m->side;
            award_free_kick(nullptr, 16);
            return;
        }
    }
}

void period_end_next()
{
    if (!presentation::message_banner_busy() && !(official_slots[0].man_flags & MAN_BUSY))
        set_match_state(55);
}

void face_ball_all()
{
    const int16_t bx = whole(ball_state.x), by = whole(ball_state.y);
    for_each_active([bx, by](PlayerSlot* m) {
        m->facing = static_cast<uint8_t>(vector_angle(bx - m->x, by - m->y));
        m->wanted_facing = m->facing;
    });
}

void clear_job_steps()
{
    for_each_active([](PlayerSlot* m) { m->job_step = 0; });
}

void set_match_sides(TeamRecord* team, int32_t flag)
{
    const uint8_t side = flag ? 2 : 1;
    team->side = side;
    if (team->other_team)
        team->other_team->side = other_side(side);
    g.awarded_side = side;
    g.offending_side = other_side(side);
    for (TeamRecord& t : team_records)
        for (PlayerSlot& m : t.slots)
            m.side = t.side;
}

void resume_play_from_hands()
{
    BallState& b = ball_state;
    if (b.flight_flags & 0x4000)
        presentation::play_effect(10, 0, 105);
    b.flight_flags |= FLIGHT_MOVING;
    g.ball_holder = nullptr;
    g.umpire_with_ball = nullptr;
    b.flags = static_cast<uint16_t>((b.flags & ~BALL_HELD) | BALL_FREE);
}

void snap_men_to_targets()
{
    const auto snap = [](PlayerSlot* m) {
        m->x = m->target_x;
        m->y = m->target_y;
        m->move_dx = m->move_dy = m->path_dx = m->path_dy = 0;
        m->velocity_x = m->velocity_y = 0;
        m->moving = 0;
        m->action = 0;
        m->effort = 0;
        m->proposal_count = 0;
        m->secondary_animation = 0;
        m->man_flags &= MAN_IN_CONTEST;
        m->arrived = 1;
        m->ball_coming = 1;
        play_man_animation(m, 0, 0, 1.0);
    };
    for_each_active(snap);
    for (PlayerSlot& u : official_slots)
        snap(&u);
    const int16_t bx = whole(ball_state.x), by = whole(ball_state.y);
    for_each_active([](PlayerSlot* m) { m->facing = static_cast<uint8_t>(m->angle_to_ball); });
    for (PlayerSlot& u : official_slots)
        if (&u != g.umpire_with_ball)
            u.facing = static_cast<uint8_t>(vector_angle(bx - u.x, by - u.y));
}

void umpire_takes_ball()
{
    give_ball_to(&official_slots[0]);
    snap_men_to_targets();
}

int32_t always_one_a() { return 1; }
int32_t always_one_b() { return 1; }

namespace {

// The line-ups a team can be stood in, by the value that picks them: the
// home formation (0) and the line-up before a quarter (its state, 19). The
// spots are the first team record's; a man of side 1 takes them mirrored.
struct LineUpEntry {
    int32_t value;
    bool formation; // else the line-up spots
};
constexpr LineUpEntry line_up_entries[] = {{0, true}, {PRE_MATCH, false}};

} // namespace

int32_t select_line_up(TeamRecord* team, int32_t id)
{
    if (!team)
        return -1;
    int32_t chosen = 0;
    for (int32_t e = 1; e < static_cast<int32_t>(std::size(line_up_entries)); ++e)
        if (std::abs(line_up_entries[e].value - id) < std::abs(line_up_entries[chosen].value - id))
            chosen = e;
    const LineUpEntry& entry = line_up_entries[chosen];
    const FormationSpots* home = &default_formation_spots[team_index_of(team)];
    for (int i = 0; i < men_in_use(); ++i) {
        PlayerSlot* man = &team->slots[i];
        const int n = man->number % TEAM_SLOTS;
        FormationSpot spot;
        if (entry.formation) {
            spot = spot_for_man(man, home, n);
        } else {
            spot = line_up_spots[n];
            if (man->side != 2)
                spot = {-spot.x, -spot.y};
        }
        man->target_x = clamp16(spot.x);
        man->target_y = clamp16(spot.y);
        man->arrived = 0;
    }
    return chosen;
}

void match_frame_hook(int32_t ticks)
{
    g.frame_drawing_off = 10;
    for (int32_t i = 0; i < ticks; ++i) {
        g.tick_done = 1;
        game_tick(match_tick_record.tick_number++);
    }
    g.ticks_last_frame = static_cast<uint16_t>(ticks);
}
