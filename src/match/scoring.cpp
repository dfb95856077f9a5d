#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/rule_queries.h"
#include "platform/language.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/banners.h"
#include "match/interchange.h"
#include "match/match_watches.h"
#include "match/officials.h"
#include "match/proposals.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "match/formation.h"
#include "match/kick_outs.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "match/man_behaviours.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t BALL_KICKED = 64;
constexpr uint16_t BALL_OFF_BOOT = 1;
constexpr uint16_t MARK_POST = 4;
constexpr uint16_t MARK_GOAL = 8;
constexpr uint16_t MARK_BEHIND = 16;
constexpr int32_t END_BANNER_KIND = 2;

void say_scorer(int32_t event, int32_t priority)
{
    const PlayerSlot* s = match_globals.last_kicker;
    presentation::commentate(event, s ? s->team_index : -1, s ? s->number : -1, -1, -1, priority);
}

} // namespace

bool ball_is_down()
{
    const BallState& b = ball_state;
    return (b.flags & 2) || (b.flight_flags & 2) || (b.z >> 16) <= 256;
}

namespace {

void end_banner(uint16_t period_text)
{
    const uint16_t ids[] = {202, 169, period_text, 0xFFFF};
    show_banner_texts(END_BANNER_KIND, ids, nullptr);
}

void text_banner(uint16_t text)
{
    const uint16_t ids[] = {text, 0xFFFF};
    show_banner_texts(END_BANNER_KIND, ids, nullptr);
}

void siren_tail()
{
    MatchGlobals& m = match_globals;
    if (m.ball_holder) {
        ball_state.vx = ball_state.vy = ball_state.vz = 0;
        give_ball_to(nullptr);
    }
    m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~TIME_ON) | CLOCK_FROZEN);
    m.clock_display_mode = 3;
    presentation::play_effect(EFFECT_SIREN, 0, 127);
}

void start_time_on()
{
    MatchGlobals& m = match_globals;
    team_records[0].clock_mark = -team_records[0].clock_mark;
    team_records[1].clock_mark = -team_records[1].clock_mark;
    m.clock_display_mode = 3;
    m.period_clock = 0;
    m.flow_flags = static_cast<uint16_t>((m.flow_flags & 0x6FFF) + TIME_ON);
    if (m.flow_flags & QUARTER_1)
        m.ticks_played = 0;
}

void event65() { presentation::commentate(65, -1, -1, -1, -1, 500); }

void score_flash(const TeamRecord* team, int32_t mode)
{
    MatchGlobals& m = match_globals;
    m.score_flash_team = team ? team->team_number : 0;
    m.score_flash_mode = mode;
    m.score_flash_frames_a = 15;
    m.score_flash_frames_b = 10;
}

} // namespace

bool show_banner_texts(int32_t kind, const uint16_t* ids, const char* name)
{
    const int32_t handle = presentation::open_message_banner(kind);
    if (!handle)
        return false;
    char text[160] = "";
    for (int i = 0; ids[i] != 0xFFFF && i < 16; ++i) {
        const char* t = get_text(ids[i]);
        if (std::strlen(text) + std::strlen(t) + 1 < sizeof text)
            std::strcat(text, t);
    }
    if (name && std::strlen(text) + std::strlen(name) + 2 < sizeof text) {
        std::strcat(text, " ");
        std::strcat(text, name);
    }
    presentation::show_message(text, handle);
    return true;
}

void clear_ball_marks() { ball_state.flight_flags &= 0xF7E3; }

void watch_score()
{
    MatchGlobals& m = match_globals;
    BallState& b = ball_state;
    PlayerSlot* scorer = m.last_kicker;
    // 1. A post: a behind even when it goes on through.
    if (b.flight_flags & MARK_POST) {
        if (scorer) {
            presentation::commentate(-3, -1, -1, -1, -1, 0);
            presentation::clear_pending_commentary();
            say_scorer(55, 100);
        }
        set_match_state(BEHIND);
        return;
    }
    // 2.
    if (b.flight_flags & MARK_GOAL) {
        presentation::clear_pending_commentary();
        presentation::drop_queued_commentary();
        const bool off_boot = (b.flight_flags & (BALL_KICKED | BALL_OFF_BOOT)) != 0;
        if (!off_boot || !scorer || !(b.flags & 1)) {
            // Carried or knocked through.
            presentation::commentate(-3, -1, -1, -1, -1, 0);
            PlayerSlot* who = m.ball_holder ? m.ball_holder : m.last_ball_holder;
            if (who)
                presentation::commentate(54, who->team_index, who->number, -1, -1, 100);
            set_match_state(BEHIND);
        } else {
            const int32_t margin = score_margin_check(1);
            const int32_t bx = ball_whole_x();
            const bool negative_goal = bx < 0;
            const bool outward = negative_goal ? b.vx < 0 : b.vx > 0;
            const bool own_goal_end = scorer->side == 1 ? !negative_goal : negative_goal;
            if (!outward) {
                clear_ball_marks();
            } else if (own_goal_end) {
                set_match_state(BEHIND);
            } else if (m.return_match_state == FREE_KICK) {
                set_match_state(GOAL);
            } else {
                const int32_t club = scorer->team && scorer->team->club ? scorer->team->club->number : 0;
                if (presentation::find_player_name_sample(club, scorer->line_up_index) >= 0) {
                    if (game_random() & 1) {
                        say_scorer(49, 150);
                        say_scorer(298 + club, 150);
                    } else if (scorer->team && scorer == scorer->team->captain) {
                        say_scorer(57, 200);
                    } else {
                        say_scorer(56, 200);
                        say_scorer(217, 200);
                    }
                } else {
                    say_scorer(49, 150);
                    if (margin == m.stored_margin)
                        say_scorer((game_random() & 1) ? 214 : 218, 501);
                }
                set_match_state(GOAL);
            }
        }
    }
    // 3.
    if (b.flight_flags & MARK_BEHIND) {
        presentation::commentate(-3, -1, -1, -1, -1, 0);
        if (scorer)
            say_scorer(53, 100);
        set_match_state(BEHIND);
    }
}

void finish_goal()
{
    MatchGlobals& m = match_globals;
    m.time_off = 1;
    switch (presentation::queued_commentary_event()) {
    case 1: case 2: case 4: case 7: case 9: case 10: case 11: case 12:
        break;
    default:
        presentation::flush_pending_commentary();
    }
    m.end_side_word = ball_whole_x() < 1 ? 1 : 2;
    if (!ball_is_down())
        return;
    PlayerSlot* scorer = m.scorer;
    if (scorer) {
        m.offending_side = scorer->side;
        m.awarded_side = static_cast<int16_t>(scorer->side == 1 ? 2 : 1);
    }
    m.mark_x = m.mark_y = 0;
    if (scorer && scorer->team) {
        scorer->team->points += 6;
        scorer->team->goals += 1;
        ++scorer->goals_kicked;
        clear_ball_marks();
        if (!presentation::message_banner_busy()) {
            const uint16_t ids[] = {169, 169, 169, 182, 176, 199, 0xFFFF};
            if (show_banner_texts(2, ids, scorer->person ? player_name(scorer->person) : nullptr))
                score_flash(scorer->team, 6);
        }
    }
    m.restart_pending = 1;
    place_ball(0, 0);
    set_match_state(CENTRE_BOUNCE_SETUP);
}

void finish_behind_banner()
{
    MatchGlobals& m = match_globals;
    m.time_off = 1;
    m.end_side_word = ball_whole_x() < 1 ? 1 : 2;
    PlayerSlot* scorer = m.scorer;
    if (scorer && scorer->side == 2 && m.end_side_word == 1) {
        const uint8_t p = m.previous_match_state;
        PlayerSlot* near = nearest_player(scorer);
        const bool clear =
            !near || near == scorer || approx_vector_length(near->x - scorer->x, near->y - scorer->y) >= 401;
        if (p != 8 && p != 42 && p != 56 && clear && (game_random() & 1))
            presentation::commentate(12, scorer->team_index, scorer->number, -1, -1, 4);
    }
    if (!ball_is_down())
        return;
    bool rushed;
    if (ball_whole_x() < 1) {
        m.awarded_side = 2;
        m.offending_side = 1;
        m.mark_x = -22514;
        rushed = scorer && scorer->side != 1;
    } else {
        m.awarded_side = 1;
        m.offending_side = 2;
        m.mark_x = 22514;
        rushed = scorer && scorer->side != 2;
    }
    m.mark_y = 0;
    if (!rushed && !presentation::message_banner_busy()) {
        const uint16_t ids[] = {169, 169, 169, 332, 176, 199, 0xFFFF};
        if (show_banner_texts(2, ids, scorer && scorer->person ? player_name(scorer->person) : nullptr))
            score_flash(scorer ? scorer->team : nullptr, 1);
    }
    clear_ball_marks();
}

void handle_behind()
{
    MatchGlobals& m = match_globals;
    clear_ball_marks();
    m.play_on_warning_a = m.play_on_warning_b = 0;
    m.banner_blocked = 0;
    if (((m.flow_flags & TIME_ON) && m.period_clock >= m.stopped_time) || (m.period_clock < 1 && m.stopped_time == 0))
        m.period_end_pending = 1;
    m.restart_pending = 1;
    TeamRecord* awarded = team_of_side(m.awarded_side);
    if (!presentation::message_banner_busy()) {
        const uint16_t ids[] = {316, 169, club_text_id(awarded), 0xFFFF};
        show_banner_texts(2, ids, nullptr);
    }
    m.mark_y = 0;
    m.mark_x = awarded->side == 1 ? 20978 : -20978;
    // The man on the mark: the scoring team's man whose spot lies nearest
    // the goal square he attacks.
    TeamRecord* scoring = awarded->other_team;
    PlayerSlot* best = nullptr;
    int32_t best_d = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* man = &scoring->slots[i];
        if (man->busy_flag || is_queued_for_interchange(man) || (man->man_flags & MAN_OUT_OF_PLAY))
            continue;
        const int32_t gx = man->side == 2 ? 20480 : -20480;
        const FormationSpot& s = scoring->formation_spots->spot[i];
        const int32_t d = vector_length(s.x - gx, s.y);
        if (!best || d < best_d) {
            best = man;
            best_d = d;
        }
    }
    step_off_mark(m.controlled_man_b, best);
    m.controlled_man_b = best;
    m.cycle_counter = (m.cycle_counter + 1) & 3;
    const BallState& b = ball_state;
    if ((b.z >> 16) < 512 && static_cast<uint8_t>(b.tumble_phase) < 50 && (b.flight_flags & 2 || b.flags & 2 ||
                                                                           !(b.flight_flags & 32))) {
        const PlayerSlot* taker = m.controlled_man_a;
        const int32_t bx = ball_whole_x(), by = ball_whole_y();
        bool fetch = false;
        if (taker) {
            const int32_t dt = approx_vector_length(taker->x - bx, taker->y - by);
            const int32_t goal_x = awarded->side == 2 ? -24562 : 24562;
            const int32_t dg1 = approx_vector_length(official_slots[GOAL_UMPIRE_1].x - bx, official_slots[GOAL_UMPIRE_1].y - by);
            const int32_t dg2 = approx_vector_length(official_slots[GOAL_UMPIRE_2].x - bx, official_slots[GOAL_UMPIRE_2].y - by);
            fetch = dt <= 2560 || approx_vector_length(goal_x - bx, by) <= 3840 || dt <= dg1 || dt <= dg2;
        }
        m.taker_fetches_ball = fetch ? 1 : 0;
        set_match_state(KICK_OUT_SETUP);
    }
    awarded->clock_mark = m.flow_flags & TIME_ON ? m.period_clock + 1240 : m.period_clock - 1240;
}

void handle_time_up()
{
    MatchGlobals& m = match_globals;
    const uint16_t f = m.flow_flags;
    const bool owed = m.stopped_time != 0;
    const bool level = team_records[0].points == team_records[1].points;
    if (f & TIME_ON) {
        end_banner(203);
        presentation::drop_queued_commentary();
        event65();
        set_match_state(FULL_TIME);
        return;
    }
    if (f & QUARTER_1) {
        if (f & SUDDEN_DEATH) {
            set_match_state(FULL_TIME);
            end_banner(203);
            presentation::drop_queued_commentary();
            event65();
            m.flow_flags = static_cast<uint16_t>((m.flow_flags | CLOCK_FROZEN) & ~TIME_ON);
            presentation::commentate(59, -1, -1, -1, -1, 500);
            siren_tail();
        } else if (owed) {
            start_time_on();
        } else if (f & EXTRA_TIME) {
            text_banner(345);
            set_match_state(END_OF_PERIOD);
            presentation::commentate(59, -1, -1, -1, -1, 500);
            siren_tail();
        } else {
            for (int twice = 0; twice < 2; ++twice) {
                end_banner(203);
                event65();
                set_match_state(FULL_TIME);
            }
            presentation::commentate(59, -1, -1, -1, -1, 500);
            siren_tail();
        }
    } else if (f & QUARTER_2) {
        if (owed) {
            start_time_on();
        } else if ((f & EXTRA_TIME) && !level) {
            presentation::drop_queued_commentary();
            event65();
            end_banner(203);
            set_match_state(FULL_TIME);
            presentation::commentate(61, -1, -1, -1, -1, 500);
            siren_tail();
        } else if (f & EXTRA_TIME) {
            m.flow_flags |= SUDDEN_DEATH;
            text_banner(346);
            set_match_state(BREAK);
            presentation::commentate(61, -1, -1, -1, -1, 500);
            siren_tail();
        } else {
            end_banner(207);
            set_match_state(BREAK);
            presentation::commentate(61, -1, -1, -1, -1, 500);
            siren_tail();
        }
    } else if (f & QUARTER_3) {
        if (owed) {
            start_time_on();
        } else {
            end_banner(339);
            set_match_state(END_OF_PERIOD);
            presentation::commentate(63, -1, -1, -1, -1, 500);
            siren_tail();
        }
    } else if (f & QUARTER_4) {
        if (owed) {
            start_time_on();
        } else if (m.draw_not_allowed && level) {
            text_banner(347);
            m.flow_flags |= EXTRA_TIME;
            set_match_state(BREAK);
            siren_tail();
        } else {
            end_banner(203);
            set_match_state(FULL_TIME);
            presentation::drop_queued_commentary();
            event65();
            siren_tail();
        }
    }
}

void show_score_banner()
{
    if (presentation::message_banner_busy())
        return;
    const int32_t handle = presentation::open_message_banner2(3);
    if (!handle)
        return;
    char text[128];
    std::snprintf(text, sizeof text, "%s %d\n%s %d", get_text(club_text_id(&team_records[0])), team_records[0].points,
                  get_text(club_text_id(&team_records[1])), team_records[1].points);
    presentation::show_message(text, handle);
}
