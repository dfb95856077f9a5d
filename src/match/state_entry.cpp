#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"
#include "platform/controllers.h"
#include "match/rule_queries.h"
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
#include "match/kick_out_positions.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <cstring>

namespace {

FormationSpots kickout_tables[2];

bool busy(const PlayerSlot* man) { return man->busy_flag != 0; }
bool out_of_play(const PlayerSlot* man) { return (man->man_flags & MAN_OUT_OF_PLAY) != 0; }

PlayerSlot* field_umpire() { return &official_slots[FIELD_UMPIRE]; }

// Both teams' default spots and their key men paired for a centre bounce.
void pair_key_men_for_bounce()
{
    use_default_formation_tables();
    PlayerSlot* out[4];
    collect_key_men(&team_records[0].slots[0], out);
    collect_key_men(&team_records[1].slots[0], out);
    match_key_men();
}

void injury_camera()
{
    PlayerSlot* man = match_globals.selected_man;
    if (man && !man->excluded) {
        match_globals.restart_countdown = 0;
        presentation::choose_automatic_camera(man, 310);
    }
}

void clear_stoppage_men_both()
{
    for (TeamRecord& team : team_records)
        clear_team_claims(&team);
}

void open_both_overlays()
{
    for (int t = 0; t < 2; ++t) {
        presentation::init_team_overlay(&team_records[t], 0, 4);
        presentation::arrange_overlay_ring(&team_records[t], 0, 0, 4);
    }
}

void drop_queued() { presentation::drop_queued_commentary(); }

void key_men_start_delay()
{
    for (TeamRecord& team : team_records)
        for (int k = 1; k <= 3; ++k) {
            if (team.key_men[k] >= GROUND_MEN)
                continue;
            PlayerSlot& man = team.slots[team.key_men[k]];
            man.action = 9;
            man.start_delay = static_cast<int32_t>(game_random() & 63);
        }
}

void reset_human_contests()
{
    for (TeamRecord& team : team_records)
        if (team.human_count)
            team_contests_reset(&team);
}

void fill_ball_up_lists()
{
    MatchGlobals& m = match_globals;
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        for (PlayerSlot*& p : m.ball_up_men[t])
            p = nullptr;
        int n = 0;
        for (int i = 0; i < m.active_men_count && n < 3; ++i) {
            PlayerSlot* man = m.active_men[i];
            if (man->team != &team || busy(man) || is_queued_for_interchange(man) || out_of_play(man) ||
                man->side != team.side || man->number == team.key_men[0])
                continue;
            m.ball_up_men[t][n++] = man;
            man->stoppage_man = 1;
        }
    }
}

void goal_entry()
{
    MatchGlobals& m = match_globals;
    m.time_off = 1;
    if (presentation::pending_commentary_event() == 12 || presentation::last_spoken_event() == 71)
        presentation::clear_pending_commentary();
    else if (presentation::last_spoken_event() == 12)
        drop_queued();
    m.scorer = m.last_kicker;
    m.end_side_word = ball_whole_x() < 1 ? 1 : 2;
    if (m.scorer)
        presentation::track_camera_target(m.scorer);
    set_official_job(field_umpire(), 27);
    set_official_job(&official_slots[m.end_side_word == 1 ? GOAL_UMPIRE_1 : GOAL_UMPIRE_2], 2);
    if (m.scorer) {
        play_man_animation(m.scorer, ANIM_CELEBRATE, 0, 1.0);
        m.scorer->man_flags |= MAN_BUSY;
    }
    presentation::crowd_react(0);
    int32_t kind = 1;
    if (m.scorer && m.scorer->team) {
        const TeamRecord* own = m.scorer->team;
        const int32_t d = own->other_team->points - own->points;
        const int32_t margin = score_margin_check(1);
        int32_t event = -1;
        if (d >= 1 && d <= 5) {
            event = 131;
            kind = 2;
        } else if (own->points == 0 && own->other_team->points == 0) {
            event = 130;
        } else if (d == 6) {
            event = 132;
        } else if (margin != m.stored_margin) {
            if (margin == 1) {
                event = 126;
                kind = 4;
            } else if (margin == -1 && m.stored_margin == 0) {
                event = 129;
                kind = 4;
            } else if (margin == 0 && m.stored_margin == -1) {
                event = 127;
                kind = 2;
            }
        }
        if (event >= 0 && !(m.flow_flags & SUDDEN_DEATH))
            presentation::set_pending_commentary(event, own->team_number, m.scorer->number, -1, -1, 250);
        m.stored_margin = margin;
    }
    adjust_confidence_by_event(2, kind);
    m.return_match_state = 0;
    pair_key_men_for_bounce();
}

void behind_entry()
{
    MatchGlobals& m = match_globals;
    BallState& b = ball_state;
    m.time_off = 1;
    m.end_side_word = ball_whole_x() < 0 ? 1 : 2;
    const bool kicked = (b.flight_flags & 64) != 0;
    const bool in_hands = (b.flags & 2) != 0;
    if (!kicked)
        m.scorer = m.ball_holder ? m.ball_holder : (in_hands ? m.ball_holder : m.last_ball_holder);
    else
        m.scorer = m.last_kicker;
    if (ball_whole_x() < 1) {
        m.awarded_side = 2;
        m.offending_side = 1;
        m.mark_x = -22514;
    } else {
        m.awarded_side = 1;
        m.offending_side = 2;
        m.mark_x = 22514;
    }
    m.mark_y = 0;
    // The point goes to the team attacking this end: the awarded side
    // defends it.
    TeamRecord* scoring = team_of_side(m.offending_side);
    scoring->points += 1;
    scoring->behinds += 1;
    if (m.scorer && m.scorer->team == scoring)
        ++m.scorer->behinds_kicked;
    if (b.flight_flags & (4 | 0x800)) {
        set_official_job(field_umpire(), 30);
        set_official_job(&official_slots[m.end_side_word == 1 ? GOAL_UMPIRE_1 : GOAL_UMPIRE_2], 5);
    } else if (!kicked || in_hands) {
        set_official_job(field_umpire(), 29);
        set_official_job(&official_slots[m.end_side_word == 1 ? GOAL_UMPIRE_1 : GOAL_UMPIRE_2], 9);
    } else {
        set_official_job(field_umpire(), 28);
        set_official_job(&official_slots[m.end_side_word == 1 ? GOAL_UMPIRE_1 : GOAL_UMPIRE_2], 3);
    }
    // The kick-out taker.
    TeamRecord* awarded = team_of_side(m.awarded_side);
    PlayerSlot* taker = awarded->key_man_e < GROUND_MEN ? &awarded->slots[awarded->key_man_e] : nullptr;
    if (!taker || out_of_play(taker) || taker->stoppage_man || taker->spot_assigned || taker == m.selected_man)
        taker = best_man_by_attribute(awarded, kick_range_of);
    m.controlled_man_a = taker;
    adjust_confidence_by_event(1, 1);
}

void full_time_entry()
{
    MatchGlobals& m = match_globals;
    const int32_t margin = score_margin_check(0);
    presentation::clear_pending_commentary();
    drop_queued();
    if (m.restart_countdown > 0)
        m.restart_countdown = 62;
    const bool finals = m.game_type == GAME_FINAL_8;
    const uint8_t week = game_settings.finals_week;
    int32_t event;
    if (finals && week >= 2 && week <= 4)
        event = margin == -1 ? 277 : margin == 0 ? 275 : margin == 1 ? 276 : 274;
    else if (finals && week == 5) {
        const TeamRecord& a = team_records[0];
        const TeamRecord& b = team_records[1];
        const TeamRecord& leader = a.points >= b.points ? a : b;
        event = margin == -1 ? 270 : margin == 0 ? (leader.human_count ? 284 : 270) : margin == 1 ? 284 : 274;
    } else
        event = margin == -1 ? 281 : margin == 0 ? 279 : margin == 1 ? 280 : (finals ? 281 : 280);
    presentation::set_pending_commentary(event, -1, -1, -1, -1, 500);
}

void after_toss_entry()
{
    MatchGlobals& m = match_globals;
    presentation::commentate(-3, -1, -1, -1, -1, 0);
    static const struct {
        uint8_t variant;
        int32_t first, second;
    } remarks[5] = {{4, 242, 237}, {3, 244, 238}, {2, 243, 239}, {0, 245, 240}, {1, 246, 241}};
    int32_t first = 258, second = 257;
    for (const auto& r : remarks)
        if (r.variant == m.kick_off_variant) {
            first = r.first;
            second = r.second;
        }
    const int32_t event = m.time_of_day == 0 || m.time_of_day == 2 ? first : second;
    presentation::set_pending_commentary(event, -1, -1, -1, -1, 10);
    presentation::choose_situation_remark();
    m.restart_in_progress = 1;
    if (!presentation::message_banner_busy()) {
        const TeamRecord& toss = team_records[m.toss_winner & 1];
        const uint16_t club_text = static_cast<uint16_t>((toss.club ? toss.club->number : 0) + 20);
        const uint16_t ids[] = {club_text, 169, 164, 169, 166, 348, static_cast<uint16_t>(toss.side == 1 ? 349 : 350),
                                0xFFFF};
        show_banner_texts(10, ids, nullptr);
    }
}

// What a person presses at a choice the overlays show and the rules wait
// on: a banner of our own when a team has a human controller and no other
// banner shows.
void prompt_choice(uint16_t text)
{
    if ((team_records[0].human_count || team_records[1].human_count) && !presentation::message_banner_busy()) {
        const uint16_t ids[] = {text, 0xFFFF};
        show_banner_texts(3, ids, nullptr);
    }
}

constexpr uint16_t TEXT_CHOOSE_SETUP = 357, TEXT_CHOOSE_OPTION = 358, TEXT_CHOOSE_KICK_OUT = 359,
                   TEXT_CHOOSE_THROW_IN = 360;

void kick_out_setup_entry()
{
    MatchGlobals& m = match_globals;
    m.kick_out_started = 1;
    m.kick_out_formed = 0;
    m.mark_x = static_cast<int16_t>(m.mark_x > 0 ? m.mark_x - 2048 : m.mark_x + 2048);
    if (team_of_side(m.awarded_side)->human_count)
        m.flow_flags |= CLOCK_STOPPED;
    injury_camera();
    m.restart_in_progress = 1;
    for (TeamRecord& team : team_records) {
        team.setup_choice = 0;
        team.setup_chosen = 0;
    }
    init_kickout_slots_all();
    choose_kickout_positions(&team_records[0], 0);
    choose_kickout_positions(&team_records[1], 0);
    // The kicker may go for the ball at once when he fetches it himself;
    // otherwise the goal umpire's return of it lets him.
    m.ball_returned = m.taker_fetches_ball ? 1 : 0;
    if (m.taker_fetches_ball) {
        if (m.controlled_man_a)
            m.controlled_man_a->job_step = 0;
    } else {
        const int32_t bx = ball_whole_x(), by = ball_whole_y();
        const PlayerSlot& g1 = official_slots[GOAL_UMPIRE_1];
        const PlayerSlot& g2 = official_slots[GOAL_UMPIRE_2];
        const int32_t d1 = approx_vector_length(g1.x - bx, g1.y - by);
        const int32_t d2 = approx_vector_length(g2.x - bx, g2.y - by);
        set_official_job(&official_slots[d1 < d2 ? GOAL_UMPIRE_1 : GOAL_UMPIRE_2], 36);
    }
}

void play_on_entry()
{
    MatchGlobals& m = match_globals;
    clear_stoppage_men_both();
    m.dead_ball = 0;
    m.restart_in_progress = 0;
    use_default_formation_tables();
    m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~CLOCK_STOPPED) | CLOCK_RUNNING);
    init_kickout_slots();
    presentation::close_hud_panels();
    reset_officials();
    if ((m.previous_match_state == MARK || m.previous_match_state == ADVANTAGE) && m.played_on)
        set_official_job(field_umpire(), 20);
    m.bounce_launched = 0;
    m.controlled_man_a = nullptr;
    PlayerSlot* b = m.controlled_man_b;
    if (b && b->secondary_animation != 0 && b->secondary_animation != ANIM_STEP_OFF_MARK) {
        step_off_mark(b, nullptr);
        m.controlled_man_b = nullptr;
    }
    if (m.previous_match_state == BOUNCE_IN_AIR && (game_random() & 1)) {
        const TeamRecord& first = team_records[0];
        presentation::commentate(31, 0, first.key_men[0], -1, -1, 7);
    }
}

void set_kick_clock_mark()
{
    MatchGlobals& m = match_globals;
    m.restart_countdown = 0;
    presentation::clear_pending_commentary();
    const int32_t q = presentation::queued_commentary_event();
    if (q != 37 && q != 46)
        drop_queued();
    team_of_side(m.awarded_side)->clock_mark = clock_mark_after(930);
}

void mark_or_free_kick_entry(int32_t n)
{
    MatchGlobals& m = match_globals;
    if (n == FREE_KICK) {
        injury_camera();
        presentation::clear_pending_commentary();
    }
    m.restart_in_progress = 0;
    m.play_on_warning_a = m.play_on_warning_b = 0;
    m.kick_display_mark = clock_mark_after(248);
    if (n != MARK)
        return;
    PlayerSlot* kicker = m.controlled_man_a;
    const PlayerSlot* last = m.last_ball_holder;
    if (!kicker || !last || last->team == kicker->team || m.free_kick_kind == 6)
        return;
    const int32_t bx = ball_whole_x();
    const bool deep = (m.awarded_side == 1 && bx > 12800) || (m.awarded_side == 2 && bx < -12800);
    PlayerSlot* near = nearest_player(kicker);
    if (deep && near && near->team && near->team != kicker->team)
        raise_grudge(near, kicker, 6);
}

void run_entry_actions(int32_t n)
{
    MatchGlobals& m = match_globals;
    switch (n) {
    case PLAY_ON:
        play_on_entry();
        break;
    case QUARTER_START:
        adjust_confidence_by_event(4, 1);
        m.flow_flags = static_cast<uint16_t>(m.flow_flags & ~(TIME_ON | CLOCK_FROZEN));
        if (m.flow_flags & QUARTER_1)
            m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~QUARTER_1) | QUARTER_2);
        else if (m.flow_flags & QUARTER_2)
            m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~QUARTER_2) | QUARTER_3);
        else if (m.flow_flags & QUARTER_3)
            m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~QUARTER_3) | QUARTER_4);
        swap_team_ends();
        break;
    case FIGHT:
        break;
    case GOAL:
        goal_entry();
        break;
    case 5:
        m.time_off = 1;
        break;
    case SET_KICK_START:
        presentation::play_effect(EFFECT_WHISTLE, 0, 101);
        m.set_kick_start_mark = clock_mark_after(124);
        break;
    case KICK_PENDING:
        m.restart_in_progress = 1;
        set_kick_clock_mark();
        break;
    case MARK_KICK_PENDING:
    case ADVANTAGE:
        set_kick_clock_mark();
        break;
    case SET_KICK_FLIGHT:
        m.restart_in_progress = 0;
        break;
    case CENTRE_BOUNCE_SETUP:
        injury_camera();
        m.scorer = nullptr;
        m.restart_in_progress = 1;
        pair_key_men_for_bounce();
        break;
    case CENTRE_BOUNCE_READY:
    case BALL_UP_READY:
        if (n == BALL_UP_READY)
            m.restart_countdown = 0;
        m.dead_ball = 1;
        if (n == CENTRE_BOUNCE_READY && (team_records[0].human_count || team_records[1].human_count))
            m.flow_flags = static_cast<uint16_t>((m.flow_flags | CLOCK_STOPPED) & ~CLOCK_RUNNING);
        m.restart_in_progress = 1;
        presentation::clear_pending_commentary();
        drop_queued();
        open_both_overlays();
        prompt_choice(TEXT_CHOOSE_SETUP);
        break;
    case CENTRE_BOUNCE:
        m.restart_in_progress = 0;
        presentation::mark_remark_time();
        break;
    case BOUNCE_IN_AIR:
    case BALL_UP_IN_AIR:
        m.dead_ball = 1;
        m.bounce_allowance = 1;
        m.restart_in_progress = 0;
        key_men_start_delay();
        break;
    case THROW_IN_IN_AIR:
        m.dead_ball = 1;
        m.restart_in_progress = 0;
        if (game_random() & 1)
            presentation::commentate(43, -1, -1, -1, -1, 7);
        reset_human_contests();
        m.bounce_allowance = 0;
        key_men_start_delay();
        break;
    case BOUNCE_SIREN:
        m.dead_ball = 1;
        m.restart_in_progress = 1;
        presentation::clear_pending_commentary();
        drop_queued();
        prompt_choice(TEXT_CHOOSE_OPTION);
        break;
    case BREAK:
        presentation::clear_pending_commentary();
        drop_queued();
        break;
    case FULL_TIME:
        full_time_entry();
        break;
    case FULL_TIME_EXIT:
        presentation::clear_pending_commentary();
        presentation::mute_commentary();
        break;
    case COIN_TOSS_WAIT:
        m.restart_in_progress = 1;
        set_official_job(field_umpire(), 10);
        break;
    case END_OF_PERIOD:
        set_official_job(field_umpire(), 15);
        presentation::close_hud_panels();
        break;
    case CAPTAINS_MEET:
        if (presentation::use_3d_hardware())
            presentation::reload_overlay_model();
        m.restart_in_progress = 1;
        for (TeamRecord& team : team_records)
            if (team.captain) {
                team.captain->job_step = 0;
                team.captain->arrived = 0;
            }
        if (team_records[0].human_count && !presentation::message_banner_busy()) {
            const uint16_t ids[] = {351, 352, 0xFFFF};
            show_banner_texts(3, ids, nullptr);
        }
        break;
    case COIN_TOSS:
        if (presentation::use_3d_hardware())
            presentation::pop_texture_slot();
        m.restart_in_progress = 1;
        if (team_records[0].human_count && team_records[m.toss_winner & 1].human_count && !presentation::message_banner_busy()) {
            const uint16_t ids[] = {353, 354, 0xFFFF};
            show_banner_texts(3, ids, nullptr);
        }
        break;
    case AFTER_TOSS:
        after_toss_entry();
        break;
    case BEHIND:
        behind_entry();
        break;
    case OUT_OF_BOUNDS: {
        m.dead_ball = 1;
        injury_camera();
        presentation::clear_pending_commentary();
        m.restart_in_progress = 1;
        m.time_off = 1;
        PlayerSlot* own_umpire = &official_slots[m.mark_y < 1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1];
        if (m.ball_holder || (m.umpire_with_ball && m.umpire_with_ball != own_umpire))
            give_ball_to(nullptr);
        // The umpire throws back in along it; the overlays draw the zones by it.
        m.throw_in_angle = throw_in_angle_at(m.mark_x, m.mark_y);
        break;
    }
    case THROW_IN_READY:
        m.dead_ball = 1;
        if (team_records[0].human_count || team_records[1].human_count)
            m.flow_flags = static_cast<uint16_t>((m.flow_flags | CLOCK_STOPPED) & ~CLOCK_RUNNING);
        prompt_choice(TEXT_CHOOSE_THROW_IN);
        break;
    case MARK:
    case FREE_KICK:
        mark_or_free_kick_entry(n);
        break;
    case BALL_UP_SETUP:
        clear_stoppage_men_both();
        m.dead_ball = 1;
        injury_camera();
        m.restart_in_progress = 1;
        if (m.ball_holder || (m.umpire_with_ball && m.umpire_with_ball != field_umpire()))
            give_ball_to(nullptr);
        fill_ball_up_lists();
        match_key_men();
        break;
    case KICK_OUT_SETUP:
        kick_out_setup_entry();
        prompt_choice(TEXT_CHOOSE_KICK_OUT);
        break;
    default:
        break;
    }
}

// States whose entry leaves time_off as it was, and those with their own.
bool keeps_time_off(int32_t n)
{
    switch (n) {
    case QUARTER_START:
    case CENTRE_BOUNCE_SETUP:
    case FULL_TIME_EXIT:
    case THROW_IN_READY:
    case BALL_UP_SETUP:
    case NEXT_PERIOD:
    case GOAL:
    case 5:
    case BEHIND:
    case OUT_OF_BOUNDS:
        return true;
    default:
        return false;
    }
}

void draw_controller_order()
{
    MatchGlobals& m = match_globals;
    for (int t = 0; t < 2; ++t) {
        const int count = team_records[t].human_count > 18 ? 18 : team_records[t].human_count;
        if (count < 2)
            continue;
        bool taken[32] = {};
        for (int place = 0; place < count;) {
            const uint32_t v = game_random() & 31;
            if (v < static_cast<uint32_t>(count) && !taken[v]) {
                taken[v] = true;
                m.controller_order[t][place++] = static_cast<uint8_t>(v);
            }
        }
    }
}

// What is said and heard as a man catches the ball before it bounces.
void catch_commentary(PlayerSlot* man, int32_t d, bool kicked)
{
    MatchGlobals& m = match_globals;
    const PlayerSlot* last = m.last_ball_holder;
    const int32_t team = man->team_index, number = man->number;
    presentation::play_effect(EFFECT_CATCH, 0, 101);
    const bool team_mate = last && last->team == man->team;
    const bool long_kick = kicked && d > 2560 && m.match_state == PLAY_ON;
    auto spectacular = [&] {
        presentation::play_effect(static_cast<int32_t>(1 + (game_random() & 7)), 0, 105);
        const int32_t club = man->team && man->team->club ? man->team->club->number : 0;
        if (presentation::find_player_name_sample(club, man->line_up_index) >= 0)
            presentation::commentate(75, team, number, -1, -1, 500);
        else
            presentation::commentate(game_random() % 3 ? 74 : 295, team, number, -1, -1, 500);
        presentation::crowd_react_to_play(0, team);
    };
    if (!kicked || team_mate) {
        if (!kicked) {
            const bool from_hands = (ball_state.flight_flags & FLIGHT_HANDPASSED) != 0;
            presentation::commentate(from_hands && game_random() % 5 == 0 ? 22 : -1, team, number, -1, -1, 2);
        } else if (long_kick) {
            presentation::schedule_effect(EFFECT_WHISTLE, 0, 101, 0, 1, 31);
            if (find_opponent(man) <= 1024)
                ++man->contested_marks;
            else
                ++man->uncontested_marks;
            if (man->primary_animation == 262) {
                spectacular();
            } else {
                const uint32_t r = game_random() % 10;
                if (r == 2)
                    presentation::commentate(69, team, number, -1, -1, 1);
                else if (r == 1)
                    presentation::commentate(68, team, number, -1, -1, 1);
                else
                    presentation::commentate(73, team, number, -1, -1, 50);
                const bool forward = man->side == 2 ? man->x > 10240 : man->x < -10240;
                if (forward)
                    presentation::crowd_react_to_play(0, team);
            }
        } else if (game_random() & 1) {
            presentation::commentate(-1, team, number, -1, -1, 2);
        }
        return;
    }
    // An intercept.
    if (long_kick) {
        presentation::schedule_effect(EFFECT_WHISTLE, 0, 101, 0, 1, 31);
        if (man->primary_animation == 262)
            spectacular();
        return;
    }
    const PlayerSlot* chaser = nullptr;
    for (int i = 0; i < m.active_men_count; ++i) {
        const PlayerSlot* o = m.active_men[i];
        if (o->team != man->team && !busy(o) && !o->excluded && !out_of_play(o)) {
            chaser = o;
            break;
        }
    }
    if (chaser && chaser->ball_distance < 768) {
        presentation::commentate(77, team, number, -1, -1, 5);
        presentation::crowd_react_to_play(0, team);
        return;
    }
    presentation::crowd_react(2);
    switch (game_random() % 3) {
    case 0:
        presentation::commentate(12, team, number, last ? last->team_index : -1, last ? last->number : -1, 4);
        break;
    case 1:
        presentation::commentate(71, team, number, -1, -1, 4);
        break;
    default:
        break;
    }
}

} // namespace

TeamRecord* team_of_side(int32_t side) { return team_records[0].side == side ? &team_records[0] : &team_records[1]; }

void use_default_formation_tables()
{
    team_records[0].formation_spots = &formation_tables[0];
    team_records[1].formation_spots = &formation_tables[1];
}

void install_kickout_spots(TeamRecord* team, const FormationSpot* spots, int32_t count)
{
    const int t = team->team_number & 1;
    FormationSpots& table = kickout_tables[t];
    // Places past the list read the team's own spots, never past its end.
    table = formation_tables[t];
    const int32_t sign = team->side == 1 ? -1 : 1;
    for (int i = 0; i < count && i < TEAM_SLOTS; ++i)
        table.spot[i] = {sign * spots[i].x, sign * spots[i].y};
    team->formation_spots = &table;
}

void set_match_state(int32_t n)
{
    MatchGlobals& m = match_globals;
    draw_controller_order();
    for (int i = 0; i < m.active_men_count; ++i)
        m.active_men[i]->job_step = 0;
    if (n == m.match_state)
        return;
    m.previous_match_state = m.match_state;
    if (n == m.return_match_state && m.match_state == FIGHT)
        clear_all_arrived();
    // A kick-out's spot lists serve only while the kick-out runs.
    const bool was_kick_out = m.match_state >= KICK_OUT_SETUP && m.match_state <= KICK_OUT_PLAN_7;
    m.match_state = static_cast<uint8_t>(n);
    if (was_kick_out && !(n >= KICK_OUT_SETUP && n <= KICK_OUT_PLAN_7))
        use_default_formation_tables();
    presentation::say_unless_speaking(0);
    presentation::service_deferred_remarks();
    if (game_settings.skip_entry_actions)
        return;
    if (!keeps_time_off(n))
        m.time_off = 0;
    run_entry_actions(n);
}

void give_ball_to(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    BallState& b = ball_state;
    m.time_warning_given = 0;
    if (m.ball_holder)
        m.last_ball_holder = m.ball_holder;
    if (man && (man->number & 0x40)) {
        m.umpire_has_ball = 1;
        b.flight_flags &= 0x381C;
        m.umpire_with_ball = man;
        m.ball_holder = nullptr;
        b.vx = b.vy = b.vz = 0;
        b.flags = static_cast<uint16_t>((b.flags & ~1) | 2);
        b.x = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(man->x)) << 16);
        b.y = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(man->y)) << 16);
        b.z = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(man->z)) << 16);
        team_tick_upkeep();
        return;
    }
    m.ball_holder = man;
    m.umpire_with_ball = nullptr;
    m.umpire_has_ball = 0;
    if (!man) {
        const uint8_t s = m.match_state;
        if ((s >= 60 && s <= 72 && s % 2 == 0) || s == KICK_OUT_PLAN_7) {
            m.restart_countdown = 0;
            presentation::reset_cameras(7);
        }
        flag_players_ball_coming();
        PlayerSlot* last = m.last_ball_holder;
        if (last && last->reaction_delay == 0)
            last->reaction_delay = static_cast<int32_t>((game_random() & 31) + 39);
        b.flight_flags |= 0x20;
        b.flags = static_cast<uint16_t>((b.flags & ~2) | 1);
        if (b.flight_flags & 64)
            set_ball_landing_point(&b);
        // The last holder follows the ball into a contest: his own when it
        // was not kicked, else the first free man's of his side.
        if (last && last->contest_group) {
            PlayerSlot* first = last;
            if (b.flight_flags & 64)
                for (int i = 0; i < m.active_men_count; ++i) {
                    PlayerSlot* o = m.active_men[i];
                    if (o->side == last->side && !busy(o) && !(o->man_flags & MAN_BUSY) && !o->contest_group) {
                        first = o;
                        break;
                    }
                }
            contest_join(last, first, 3, 0);
        }
        return;
    }
    const int32_t d = approx_vector_length(man->x - b.launch_x, man->y - b.launch_y);
    m.kick_out_started = 0;
    man->possession_time = 0;
    if (man->team && man->team->human_count)
        contest_restart_with(man);
    presentation::clear_pending_commentary();
    presentation::commentate(-3, -1, -1, -1, -1, 0);
    m.cycle_counter = (m.cycle_counter + 1) & 3;
    m.pickup_x = man->x;
    m.pickup_y = man->y;
    const bool kicked = (b.flight_flags & 64) != 0;
    const PlayerSlot* kicker = m.last_kicker;
    const bool clean = b.bounce_count == 0;
    if (clean)
        catch_commentary(man, d, kicked);
    const uint8_t s = m.match_state;
    const bool mark_state = s == PLAY_ON || s == 60 || s == 62 || s == 64 || (s >= 66 && s <= 72);
    const bool same_side = kicker && kicker->side == man->side;
    const bool far_from_launch = int_abs(man->x - b.launch_x) >= 1024 || int_abs(man->y - b.launch_y) >= 1024;
    if (kicked && clean && d > 2560 && mark_state && (same_side || far_from_launch)) {
        // The ball comes into his hands before the award judges it.
        b.bounce_count = 0;
        b.flight_flags &= 0x381C;
        b.flags = static_cast<uint16_t>((b.flags & ~1) | 2);
        award_mark();
    }
    b.bounce_count = 0;
    b.flight_flags &= 0x381C;
    b.flags = static_cast<uint16_t>((b.flags & ~1) | 2);
    b.vx = b.vy = b.vz = 0;
    b.x = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(man->x)) << 16);
    b.y = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(man->y)) << 16);
    b.z = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(man->z)) << 16);
    // A human team's man in no contest takes over its strongest leader's.
    if (!man->contest_group && !(man->man_flags2 & 4) && man->team && man->team->human_count)
        for (int c = 0; c < CONTROLLER_RECORDS; ++c) {
            PlayerSlot* leader = controllers[c].men[0];
            if (!leader || leader->team != man->team ||
                (leader == m.last_ball_holder && man->team->human_count == 1))
                continue;
            contest_join(leader, man, 3, 0);
            break;
        }
    if (!(man->man_flags & MAN_IN_CONTEST) && !m.hands_off) {
        const int32_t v = man->person ? player_i16(man->person, PLAYER_HANDBALL) : 0;
        man->ball_handling = v - v / 4;
    }
    m.possession_team = man->team;
    team_tick_upkeep();
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* other = m.active_men[i];
        if (busy(other) || out_of_play(other))
            continue;
        other->ball_coming = 0;
        if (other->action == 23)
            other->action = 0;
        other->man_flags = static_cast<uint16_t>(other->man_flags & ~(2 | 4));
    }
    man->hold_countdown = 20;
}

void check_period_clock()
{
    MatchGlobals& m = match_globals;
    if ((m.flow_flags & CLOCK_FROZEN) || m.match_state == FULL_TIME_EXIT || m.match_state == BREAK_EXIT)
        return;
    const bool time_on = (m.flow_flags & TIME_ON) != 0;
    const bool expired = time_on ? m.period_clock >= m.stopped_time : m.period_clock <= 0;
    const bool sudden_death = (m.flow_flags & SUDDEN_DEATH) != 0;
    if (expired || (sudden_death && team_records[0].points != team_records[1].points)) {
        if (m.game_type == GAME_DEMO) {
            m.flow_flags = MATCH_PLAYED;
        } else if (sudden_death) {
            handle_time_up();
        } else if (play_has_stopped()) {
            if (!time_on && m.stopped_time != 0)
                handle_time_up();
        } else if (m.match_state != BREAK && m.match_state != FULL_TIME && m.match_state != END_OF_PERIOD) {
            if (!(!time_on && m.stopped_time != 0))
                m.siren_pending = 1;
            handle_time_up();
        }
    }
    switch (m.match_state) {
    case 11: case 14: case 15: case 16: case 17: case 19: case 20: case 22: case 23: case 24: case 39: case 52:
    case 57: case 58:
        if (m.flow_flags & CLOCK_RUNNING)
            m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~CLOCK_RUNNING) | CLOCK_STOPPED);
        break;
    default:
        if (!presentation::hud_paused() && (m.flow_flags & CLOCK_STOPPED))
            m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~CLOCK_STOPPED) | CLOCK_RUNNING);
        break;
    }
}

void check_fight_interrupt()
{
    MatchGlobals& m = match_globals;
    if (m.pending_cut_state != -1 || m.closing_transition_running || m.opening_transition_running || m.ticks_halted)
        return;
    if (m.match_state == FIGHT) {
        PlayerSlot* a = m.fight_pair[0];
        PlayerSlot* b = m.fight_pair[1];
        if (!(a && b && a->fight_opponent == b && b->fight_opponent == a))
            set_match_state(m.return_match_state);
        return;
    }
    if (m.match_state == OUT_OF_BOUNDS || m.match_state == BALL_UP_SETUP || m.match_state == FREE_KICK) {
        if (m.previous_match_state == FIGHT || m.previous_match_state == FIGHT_PENDING)
            return;
        if (find_fight_pairs()) {
            m.restart_countdown = 0;
            m.return_match_state = m.match_state;
            set_match_state(FIGHT_PENDING);
        }
    }
}

void handle_injury_at_stoppage()
{
    MatchGlobals& m = match_globals;
    const uint8_t s = m.match_state;
    if (s != 10 && s != 37 && s != 47 && s != 49 && s != 58)
        return;
    PlayerSlot* man = m.selected_man;
    if (!man || man->excluded || !man->team)
        return;
    if (!presentation::message_banner_busy()) {
        const uint16_t ids[] = {169, 355, 0xFFFF};
        if (man->person)
            show_banner_texts(4, ids, player_name(man->person));
    }
    TeamRecord* team = man->team;
    const bool left = team->interchanges_used < (game_settings.interchange_limit > 0
                                                     ? static_cast<uint32_t>(game_settings.interchange_limit)
                                                     : 255u);
    if (!team->human_count) {
        if (left)
            queue_interchange_for_selected();
    } else if (m.restart_countdown == 0) {
        presentation::commentate((game_random() & 1) ? 85 : 289, team->team_number, man->number, -1, -1, 250);
    } else if (left) {
        queue_interchange_for_selected();
    }
    if (m.restart_countdown > 0)
        return;
    man->excluded = 1;
    // His key role passes to the best man left.
    if (man->number == team->key_men[0]) {
        if (PlayerSlot* best = best_man_by_attribute(team, ruck_value_of))
            team->key_men[0] = best->number;
    }
    for (int k = 1; k < 4; ++k)
        if (man->number == team->key_men[k])
            if (PlayerSlot* best = best_man_by_attribute(team, kick_range_of))
                team->key_men[k] = best->number;
    if (man->number == team->key_man_e)
        if (PlayerSlot* best = best_man_by_attribute(team, kick_range_of))
            team->key_man_e = best->number;
}

int32_t men_in_place_for_state(int32_t s)
{
    MatchGlobals& m = match_globals;
    if (s >= KICK_OUT_FORMING_FIRST && s <= KICK_OUT_PLAN_7)
        return kick_out_men_in_place();
    int32_t count = m.selected_man ? 1 : 0;
    for (int i = 0; i < m.active_men_count; ++i) {
        const PlayerSlot* man = m.active_men[i];
        if (busy(man))
            continue;
        if (out_of_play(man) && !man->arrived)
            ++count;
        if (man->arrived) {
            ++count;
        } else if (man->action == 52) {
            if (man->target_man && approx_vector_length(man->target_man->x - man->x, man->target_man->y - man->y) <= 768)
                ++count;
        } else if (!(man->man_flags & MAN_IN_CONTEST) && !out_of_play(man) && s != 52 && s != 11 && s != 39 &&
                   man != m.selected_man) {
            return 0;
        }
    }
    // The first three of a list: the ball-up men, or a throw-in's.
    auto three_arrived = [](PlayerSlot* const* list) {
        for (int k = 0; k < 3; ++k)
            if (list[k] && !list[k]->arrived)
                return false;
        return true;
    };
    switch (s) {
    case 2:
    case 10:
    case 55:
        return count >= 35;
    case 11:
        return 1;
    case 14:
    case 15:
        return count >= 1;
    case 19:
        return count >= 36;
    case 37:
    case 39:
        return three_arrived(m.stoppage_men[0]);
    case 47:
    case 48:
    case 57:
        return three_arrived(m.ball_up_men[0]) && three_arrived(m.ball_up_men[1]);
    case 52:
        for (const TeamRecord& team : team_records)
            for (uint8_t k : team.key_men)
                if (k < GROUND_MEN && !team.slots[k].arrived)
                    return 0;
        return 1;
    default: {
        const int32_t humans = team_records[0].human_count + team_records[1].human_count;
        const int32_t queued = team_records[0].queued_interchange_count + team_records[1].queued_interchange_count;
        return count >= 36 - humans - queued;
    }
    }
}

int32_t kick_out_men_in_place()
{
    MatchGlobals& m = match_globals;
    const PlayerSlot* kicker = m.controlled_man_a;
    if (!kicker || !kicker->team)
        return 0;
    const TeamRecord* team = kicker->team;
    // The plan's key men stand when every man given a spot of the list has
    // arrived; the receivers come first in the list.
    switch (m.match_state) {
    case 63: case 64: case 71: case 72:
        for (int i = 0; i < GROUND_MEN; ++i) {
            const PlayerSlot& man = team->slots[i];
            if (approx_vector_length(man.target_x - kicker->x, man.target_y - kicker->y) <= 15360 && !man.arrived)
                return 0;
        }
        return 1;
    case 59: case 60: case 61: case 62: case 65: case 66: case 67: case 68: case 69: case 70:
        for (int i = 0; i < GROUND_MEN; ++i) {
            const PlayerSlot& man = team->slots[i];
            if (man.stoppage_man && !man.arrived)
                return 0;
        }
        return 1;
    default:
        return 1;
    }
}

void start_period()
{
    MatchGlobals& m = match_globals;
    if (!m.flow_flags)
        return;
    place_ball(0, 0);
    if (!(m.flow_flags & (QUARTER_2 | QUARTER_3 | QUARTER_4 | FLOW_KEEP_A)))
        set_match_state(PRE_MATCH);
    else
        set_match_state(CENTRE_BOUNCE_SETUP);
}

void run_coin_toss_wait()
{
    MatchGlobals& m = match_globals;
    for (int u = GOAL_UMPIRE_1; u <= GOAL_UMPIRE_2; ++u) {
        PlayerSlot& g = official_slots[u];
        g.arrived = 1;
        g.move_dx = g.move_dy = g.path_dx = g.path_dy = 0;
        g.velocity_x = g.velocity_y = 0;
    }
    if (!(m.flow_flags & FLOW_KEEP_A))
        return;
    TeamRecord& toss = team_records[m.toss_winner & 1];
    if (toss.human_count && !m.pre_match_skipped) {
        // The winner now chooses an end, starting from the first; the call it
        // may have made is spent.
        toss.end_choice = 0;
        toss.toss_call = 1;
        toss.overlay.toss_done = 0;
        toss.overlay.slide_timer = 0;
        presentation::init_team_overlay(&toss, 14, 2);
    }
    set_match_state(COIN_TOSS);
}

void reset_men_marks()
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < men_in_use(); ++i) {
            PlayerSlot& man = team.slots[i];
            man.target_x = clamp16(team.formation_spots->spot[i].x);
            man.target_y = clamp16(team.formation_spots->spot[i].y);
            man.move_dx = man.move_dy = man.path_dx = man.path_dy = 0;
            man.arrived = 1;
        }
}
