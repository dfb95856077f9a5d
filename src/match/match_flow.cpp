#include "match/match_flow.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/game_tick.h"
#include "match/man_models.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"
#include "platform/controllers.h"
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
#include "match/set_kicks.h"
#include "match/stoppages.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

namespace {

MatchGlobals& M() { return match_globals; }
PlayerSlot* field_umpire() { return &official_slots[FIELD_UMPIRE]; }
bool both_chosen() { return team_records[0].setup_chosen && team_records[1].setup_chosen; }
bool both_confirmed() { return team_records[0].option_chosen && team_records[1].option_chosen; }
bool human(const TeamRecord* t) { return t && t->human_count != 0; }
TeamRecord* awarded_team() { return team_of_side(M().awarded_side); }
// The boundary umpire of the ball's half.
PlayerSlot* boundary_umpire_of_ball()
{
    return &official_slots[ball_whole_y() > 0 ? BOUNDARY_UMPIRE_1 : BOUNDARY_UMPIRE_2];
}

void human_contest_upkeep(PlayerSlot* man)
{
    if (man && human(man->team))
        contest_upkeep(man);
}

void pick_disposal_target(PlayerSlot* kicker)
{
    if (!kicker)
        return;
    if (human(kicker->team))
        choose_disposal_target(kicker, 0);
    else
        choose_set_kick_target(kicker);
}

void reset_human_contests()
{
    for (TeamRecord& team : team_records)
        if (team.human_count)
            team_contests_reset(&team);
}

void start_both_overlays()
{
    for (int t = 0; t < 2; ++t) {
        presentation::init_team_overlay(&team_records[t], 0, 4);
        presentation::arrange_overlay_ring(&team_records[t], 0, 0, 4);
    }
}

void encroachment_check()
{
    MatchGlobals& m = M();
    for (int g = 0; g < CONTROLLER_RECORDS; ++g) {
        for (int k = 0; k < 3; ++k) {
            PlayerSlot* man = controllers[g].men[k];
            if (!man || !man->team || man->team->human_count >= 2 || !encroaches(man))
                continue;
            m.awarded_side = static_cast<int16_t>(man->side == 1 ? 2 : 1);
            m.offending_side = man->side;
            m.offender = man;
            check_period_end();
            m.return_match_state = FREE_KICK;
            award_free_kick(nullptr, 14);
            break;
        }
    }
    const uint8_t s = m.match_state;
    if (s == KICK_PENDING || s == MARK_KICK_PENDING || (s >= KICK_OUT_SETUP && s <= KICK_OUT_PLAN_7))
        set_kick_time_limit();
}

void play_on_tick()
{
    MatchGlobals& m = M();
    m.restart_in_progress = 0;
    judge_pending_infringement();
    watch_score();
    out_of_bounds_watch();
    PlayerSlot* holder = m.ball_holder;
    if (holder && m.match_state == PLAY_ON &&
        approx_vector_length(holder->x - m.pickup_x, holder->y - m.pickup_y) > 4096 &&
        holder->primary_animation != ANIM_BOUNCE_BALL && !(holder->man_flags & MAN_BUSY)) {
        m.awarded_side = static_cast<int16_t>(holder->side == 1 ? 2 : 1);
        m.offending_side = holder->side;
        m.mark_x = holder->x;
        m.mark_y = holder->y;
        award_free_kick(nullptr, 7);
    }
}

void quarter_start_tick()
{
    if (!(M().flow_flags & ~CLOCK_FROZEN))
        return;
    start_period();
}

void fight_tick()
{
    MatchGlobals& m = M();
    PlayerSlot* a = m.fight_pair[0];
    PlayerSlot* b = m.fight_pair[1];
    if (m.match_state == FIGHT && !(a && b && a->fight_opponent == b && b->fight_opponent == a)) {
        clear_player_links();
        set_match_state(m.return_match_state);
        return;
    }
    if (!a || !b)
        return;
    const int32_t d = vector_length(a->x - b->x, a->y - b->y);
    const int32_t mx = (a->x + b->x) / 2, my = (a->y + b->y) / 2;
    const int32_t height = presentation::use_3d_hardware() ? 384 : 3968;
    if (d <= 1280) {
        presentation::set_camera_look_at(mx, height, my);
        presentation::set_camera_for_situation(mx, height, my, 20, 7);
    } else if (d > 5120) {
        clear_player_links();
        m.restart_countdown = 0;
        set_match_state(m.return_match_state);
    } else {
        presentation::set_camera_for_situation(mx, height, my, 30, 7);
    }
}

void set_kick_start_tick()
{
    MatchGlobals& m = M();
    PlayerSlot* kicker = m.controlled_man_a;
    human_contest_upkeep(kicker);
    human_contest_upkeep(m.controlled_man_b);
    if (!kicker || !kicker->arrived || !men_in_place_for_state(SET_KICK_START))
        return;
    give_ball_action(43, 0);
    pick_disposal_target(kicker);
    presentation::setup_all_camera_presets(kicker->x, kicker->z, kicker->y);
    set_match_state(awarded_team()->setup_choice == 1 ? KICK_OUT_FORMING_FIRST : KICK_PENDING);
}

void kick_pending_tick()
{
    MatchGlobals& m = M();
    if (!m.ball_holder) {
        set_match_state(SET_KICK_FLIGHT);
        return;
    }
    encroachment_check();
    set_kick_time_limit();
}

void set_kick_flight_tick()
{
    MatchGlobals& m = M();
    encroachment_check();
    if (m.match_state != SET_KICK_FLIGHT)
        return;
    const BallState& b = ball_state;
    const bool wide = (b.flags & (4 | 8 | 64 | 128)) != 0;
    if ((!wide && (b.z >> 16) > 608) || (!wide && m.ball_holder && m.ball_holder != m.last_kicker)) {
        presentation::set_camera_view(3);
        m.restart_countdown = 0;
        set_match_state(PLAY_ON);
    } else if (b.bounce_count && wide) {
        const int16_t a = m.awarded_side;
        m.awarded_side = m.offending_side;
        m.offending_side = a;
        award_free_kick(nullptr, 6);
    }
}

void centre_bounce_setup_tick()
{
    MatchGlobals& m = M();
    reset_human_contests();
    set_contest_flag_all();
    if (!m.umpire_has_ball)
        return;
    if (m.siren_pending)
        m.restart_countdown = 0;
    PlayerSlot* u = field_umpire();
    if (u->facing == static_cast<uint8_t>(u->wanted_facing) && u->job_step > 3 && is_standing_anim(u)) {
        m.restart_pending = 0;
        start_both_overlays();
        // The first quarter's bounce does not wait for the men.
        if (!m.siren_pending || men_in_place_for_state(CENTRE_BOUNCE_SETUP) || (m.flow_flags & QUARTER_1)) {
            u->official_job = 0;
            u->job_step = 0;
            set_match_state(CENTRE_BOUNCE_READY);
        }
    }
}

void centre_bounce_ready_tick()
{
    MatchGlobals& m = M();
    if ((m.flow_flags & QUARTER_1) && m.siren_pending && presentation::queued_commentary_event() == -1 &&
        presentation::pending_commentary_event() != 259)
        presentation::set_pending_commentary(259, -1, -1, -1, -1, 10);
    else if (presentation::pending_commentary_event() == 259 && presentation::queued_commentary_event() == -1)
        presentation::flush_pending_commentary();
    if (both_chosen()) {
        for (TeamRecord& team : team_records) {
            team.option_chosen = 0;
            team.option_choice = 255;
        }
        set_match_state(BOUNCE_SIREN);
    } else {
        presentation::update_team_overlay(&team_records[0], 1, 4);
        presentation::update_team_overlay(&team_records[1], 1, 4);
    }
}

void centre_bounce_tick()
{
    MatchGlobals& m = M();
    umpire_launch_ball(0, 0);
    set_match_state(BOUNCE_IN_AIR);
    clear_contest_flag_all();
    m.bounce_launched = 1;
}

void bounce_in_air_tick()
{
    MatchGlobals& m = M();
    const BallState& b = ball_state;
    if (m.ball_holder || (b.flight_flags & 0x200) || b.bounce_count > m.bounce_allowance) {
        set_match_state(PLAY_ON);
        return;
    }
    if (b.bounce_count != 0)
        return;
    for (int i = m.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* man = m.active_men[i];
        if (approx_vector_length(man->x, man->y) < 384) {
            m.awarded_side = static_cast<int16_t>(man->side == 1 ? 2 : 1);
            m.offending_side = man->side;
            m.offender = man;
            award_free_kick(nullptr, 16);
            return;
        }
    }
}

void break_or_full_time_tick()
{
    MatchGlobals& m = M();
    if (presentation::message_banner_busy() || presentation::commentary_within_phrase() || m.restart_countdown != 0)
        return;
    presentation::flush_pending_commentary();
    presentation::set_camera_for_situation(0, 256, 0, 25, 7);
    const bool full_time = m.match_state == FULL_TIME;
    if (presentation::commentary_speaks() && presentation::commentary_within_phrase())
        m.restart_countdown = presentation::phrase_remaining_ticks() + 310;
    else
        m.restart_countdown = full_time && !presentation::commentary_speaks() ? 930 : 310;
    set_match_state(full_time ? FULL_TIME_EXIT : BREAK_EXIT);
}

void exit_tick()
{
    MatchGlobals& m = M();
    if (m.restart_countdown >= 93 || (m.flow_flags & LEAVE))
        return;
    const bool full_time = m.match_state == FULL_TIME_EXIT;
    if (!presentation::use_3d_hardware()) {
        presentation::fade_palette_out();
        m.flow_flags |= LEAVE | CLOCK_FROZEN;
        if (full_time)
            m.flow_flags |= LEAVE_OVER;
    } else {
        start_screen_transition(4, 1000, nullptr);
        m.leave_flags = full_time ? CLOCK_FROZEN + CLOCK_STOPPED : CLOCK_FROZEN;
    }
    m.ticks_halted = 1;
    m.init_mode = full_time ? 0 : 2;
    m.leave_exit_code = m.init_mode;
}

void pre_match_tick()
{
    MatchGlobals& m = M();
    presentation::set_camera_for_situation(0, 256, 0, 25, 7);
    int32_t event = 232;
    if (m.game_type == GAME_FINAL_8) {
        switch (game_settings.finals_week) {
        case 2: event = 233; break;
        case 3: event = 234; break;
        case 4: event = 235; break;
        case 5: event = 236; break;
        default: break;
        }
    }
    if (presentation::last_spoken_event() != event && presentation::pending_commentary_event() != event)
        presentation::set_pending_commentary(event, -1, -1, -1, -1, 500);
    if (men_in_place_for_state(PRE_MATCH)) {
        m.flow_flags = static_cast<uint16_t>(m.flow_flags & ~FLOW_KEEP_A);
        set_match_state(CAPTAINS_MEET);
    }
}

void end_of_period_tick()
{
    if (!presentation::message_banner_busy() && !(field_umpire()->man_flags & MAN_BUSY))
        set_match_state(NEXT_PERIOD);
}

TeamRecord* home_team_record()
{
    return team_records[0].club && team_records[0].club->number == game_settings.home_team ? &team_records[0]
                                                                                          : &team_records[1];
}

void captains_meet_tick()
{
    MatchGlobals& m = M();
    TeamRecord* home = home_team_record();
    if (human(home) && m.pre_match_skipped) {
        set_match_state(COIN_TOSS_WAIT);
        return;
    }
    const PlayerSlot* a = team_records[0].captain;
    const PlayerSlot* b = team_records[1].captain;
    if (a && b && a->job_step > 3 && b->job_step > 3 && (!human(home) || home->end_choice))
        set_match_state(COIN_TOSS_WAIT);
}

void coin_toss_tick()
{
    MatchGlobals& m = M();
    TeamRecord* toss = &team_records[m.toss_winner & 1];
    TeamRecord* other = toss->other_team;
    int32_t drawn = 0;
    const bool chooses = human(toss) && !m.pre_match_skipped;
    if (chooses) {
        if (toss->end_choice) {
            toss->side = static_cast<uint8_t>(toss->end_choice);
            other->side = toss->end_choice == 1 ? 2 : 1;
            copy_team_sides();
        }
    } else {
        drawn = (game_random() & 1) ? 2 : 1;
        toss->side = static_cast<uint8_t>(drawn);
        other->side = drawn == 1 ? 2 : 1;
        copy_team_sides();
    }
    PlayerSlot* captain = toss->captain;
    if (!(chooses && toss->end_choice) && !drawn)
        return;
    if (captain) {
        const bool facing_in = captain->facing >= 33 && captain->facing <= 159;
        uint32_t anim = 0;
        if (toss->toss_call == 2 || drawn == 2)
            anim = facing_in ? 174 : 175;
        else if (toss->toss_call == 1 || drawn == 1)
            anim = facing_in ? 175 : 174;
        if (anim)
            play_man_animation(captain, anim, 0, 40.0);
        captain->man_flags |= MAN_BUSY;
    }
    if (other->captain)
        play_man_animation(other->captain, 147, 0, 1.0);
    copy_team_sides();
    set_match_state(AFTER_TOSS);
}

void after_toss_tick()
{
    MatchGlobals& m = M();
    const int32_t last = presentation::last_spoken_event();
    if (last == 261)
        presentation::set_pending_commentary(266, -1, -1, -1, -1, 501);
    else if (last == 262)
        presentation::set_pending_commentary(265, -1, -1, -1, -1, 501);
    if (presentation::queued_commentary_event() == -1)
        presentation::flush_pending_commentary();
    const TeamRecord& toss = team_records[m.toss_winner & 1];
    if (toss.captain && (toss.captain->man_flags & MAN_BUSY))
        return;
    for (const TeamRecord& team : team_records) {
        if (team.captain && !team.captain->arrived)
            return;
        if (team.vice_captain && !team.vice_captain->arrived)
            return;
    }
    set_match_state(CENTRE_BOUNCE_SETUP);
}

void out_of_bounds_tick()
{
    MatchGlobals& m = M();
    reset_human_contests();
    set_contest_flag_all();
    if (boundary_umpire_of_ball()->job_step <= 2)
        return;
    if (m.previous_match_state == FIGHT && m.match_state == m.return_match_state &&
        !men_in_place_for_state(m.return_match_state))
        return;
    set_match_state(THROW_IN_SETUP);
}

void throw_in_setup_tick()
{
    if (!face_away_from_throw(boundary_umpire_of_ball()))
        return;
    for (TeamRecord& team : team_records) {
        team.setup_chosen = 0;
        team.setup_choice = 0;
        fill_stoppage_men(&team);
    }
    set_match_state(THROW_IN_READY);
}

void throw_in_ready_tick()
{
    if (!both_chosen())
        return;
    set_official_job(field_umpire(), 23);
    set_official_job(boundary_umpire_of_ball(), 37);
    clear_contest_flag_all();
    set_match_state(THROW_IN_IN_AIR);
}

void mark_tick()
{
    MatchGlobals& m = M();
    PlayerSlot* kicker = m.controlled_man_a;
    human_contest_upkeep(kicker);
    if (play_on_test()) {
        set_official_job(field_umpire(), 20);
        set_match_state(PLAY_ON);
        return;
    }
    if (kicker && kicker->arrived && !(kicker->man_flags & 0x06)) {
        const bool human_holder = m.ball_holder && human(m.ball_holder->team);
        if (!(human_holder && !m.play_on_prompt)) {
            m.restart_pending = 0;
            pick_disposal_target(kicker);
            m.kick_direction = static_cast<uint8_t>(vector_angle(m.mark_x - kicker->x, m.mark_y - kicker->y));
            set_match_state(MARK_KICK_PENDING);
            give_ball_action(43, 0);
        }
    }
    encroachment_check();
}

void advantage_tick()
{
    if (!play_on_test())
        kick_pending_tick();
}

void ball_up_setup_tick()
{
    reset_human_contests();
    set_contest_flag_all();
    if (men_in_place_for_state(BALL_UP_SETUP)) {
        start_both_overlays();
        set_match_state(BALL_UP_READY);
    }
}

void ball_up_tick()
{
    MatchGlobals& m = M();
    if (!men_in_place_for_state(BALL_UP))
        return;
    presentation::play_effect(EFFECT_WHISTLE_LONG, 0, 101);
    umpire_launch_ball(m.mark_x, m.mark_y);
    clear_contest_flag_all();
    set_match_state(BALL_UP_IN_AIR);
}

void free_kick_tick()
{
    MatchGlobals& m = M();
    PlayerSlot* kicker = m.controlled_man_a;
    PlayerSlot* on_mark = m.controlled_man_b;
    human_contest_upkeep(on_mark);
    human_contest_upkeep(kicker);
    // No man on the mark stands nowhere: only the kicker is waited for.
    if (kicker && (!on_mark || on_mark->arrived) && m.ball_holder == kicker && kicker->action != 4 && kicker->arrived) {
        m.restart_pending = 0;
        give_ball_action(43, 0);
        pick_disposal_target(kicker);
        set_match_state(MARK_KICK_PENDING);
    }
}

void bounce_siren_tick()
{
    MatchGlobals& m = M();
    if (both_confirmed()) {
        if (m.siren_pending) {
            presentation::play_effect(EFFECT_SIREN, 0, 127);
            m.siren_pending = 0;
        }
        if ((m.flow_flags & QUARTER_1) && m.clock_enabled == 0) {
            presentation::set_pending_commentary((game_random() & 1) ? 58 : 66, -1, -1, -1, -1, 102);
            presentation::flush_pending_commentary();
            if (!field_umpire()->official_job)
                set_official_job(field_umpire(), 11);
        }
    }
    if (men_in_place_for_state(BOUNCE_SIREN) && !(field_umpire()->man_flags & MAN_BUSY) && run_interchanges() == 1)
        set_match_state(CENTRE_BOUNCE);
}

void in_air_tick()
{
    MatchGlobals& m = M();
    const BallState& b = ball_state;
    if (!m.ball_holder && !(b.flight_flags & 0x200)) {
        if (b.bounce_count > m.bounce_allowance)
            set_match_state(PLAY_ON);
    } else {
        set_match_state(PLAY_ON);
    }
}

void ball_up_ready_tick()
{
    MatchGlobals& m = M();
    if (!both_chosen())
        return;
    for (TeamRecord& team : team_records) {
        team.option_chosen = 0;
        team.option_choice = 255;
    }
    presentation::update_team_overlay(&team_records[0], 0, 4);
    presentation::update_team_overlay(&team_records[1], 0, 4);
    PlayerSlot* u = field_umpire();
    if (men_in_place_for_state(BALL_UP_READY) && m.umpire_has_ball &&
        u->facing == static_cast<uint8_t>(u->wanted_facing)) {
        u->official_job = 0;
        u->job_step = 0;
        m.restart_pending = 0;
        set_match_state(BALL_UP);
    }
}

void kick_out_setup_tick()
{
    MatchGlobals& m = M();
    encroachment_check();
    set_kick_time_limit();
    if (m.match_state != KICK_OUT_SETUP)
        return;
    PlayerSlot* kicker = m.controlled_man_a;
    TeamRecord* kicking = awarded_team();
    m.kick_out_human = human(kicking) ? 1 : 0;
    human_contest_upkeep(kicker);
    human_contest_upkeep(m.controlled_man_b);
    if (m.ball_holder && m.ball_holder != kicker)
        give_ball_to(nullptr);
    const int32_t end = kicking->side == 1 ? 1 : -1;
    if (m.restart_countdown == 0)
        presentation::set_camera_look_at(end * 22002, 0, 0);
    if (!kicking->setup_chosen)
        return;
    presentation::set_camera_position(end * 27122, 4352, 0);
    for (TeamRecord& team : team_records)
        team.option_chosen = 0;
    if (!m.kick_out_human)
        m.kick_out_kick_time = m.flow_flags & TIME_ON ? m.period_clock + 248 : m.period_clock - 248;
    const int32_t plan = kicking->setup_choice;
    if (plan >= 0 && plan <= 6) {
        TeamRecord* other = kicking->other_team;
        choose_kickout_positions(kicking, plan);
        choose_oppose_kickout_positions(other, plan);
        int32_t n = 0;
        const FormationSpot* spots = kickout_spot_list(1, plan, &n);
        install_kickout_spots(kicking, spots, n);
        spots = kickout_spot_list(0, plan, &n);
        install_kickout_spots(other, spots, n);
        const int32_t dir = kicking->side == 2 ? 1 : -1;
        if (kicker && (plan == 0 || plan == 3)) {
            if (!m.kick_out_human) {
                m.kick_target_x = clamp16(kicker->x + dir * 8960);
                m.kick_target_y = 0;
                m.kick_speed = 32;
                m.kicker_ball_action = plan == 0 ? 43 : 42;
            } else {
                give_ball_action(43, 0);
                presentation::set_aiming_panel(kicking->side == 2 ? 64 : 192, 8960);
            }
        } else if (kicker && plan == 2) {
            const FormationSpot& s = kicking->formation_spots->spot[kicker->spot_index % TEAM_SLOTS];
            const uint8_t angle = static_cast<uint8_t>(vector_angle(s.x - kicker->x, s.y - kicker->y));
            const int32_t distance = vector_length(s.x - kicker->x, s.y - kicker->y);
            if (!m.kick_out_human) {
                m.kicker_ball_action = 43;
                m.kick_target_x = clamp16(kicker->x + fixed_sin(angle, distance));
                m.kick_target_y = clamp16(kicker->y + fixed_cos(angle, distance));
                m.kick_speed = 32;
            } else {
                give_ball_action(43, 0);
                presentation::set_aiming_panel(angle, distance);
            }
        } else if (!m.kick_out_human) {
            m.kicker_ball_action = 42;
        }
        kicking->option_choice = 0;
        kicking->option_chosen = 0;
        m.kick_out_started = 1;
        static const uint8_t forming[7] = {71, 59, 61, 63, 65, 67, 69};
        set_match_state(forming[plan]);
    } else if (plan == 7) {
        m.kick_out_started = 0;
        set_match_state(KICK_OUT_PLAN_7);
    } else {
        if (m.kick_out_human)
            give_ball_action(43, 0);
        m.restart_countdown = 0;
        set_match_state(SET_KICK_START);
    }
}

void kick_out_forming_tick()
{
    MatchGlobals& m = M();
    encroachment_check();
    set_kick_time_limit();
    out_of_bounds_watch();
    const uint8_t s = m.match_state;
    if (s < KICK_OUT_FORMING_FIRST || s > 71 || !(s & 1))
        return;
    if (!men_in_place_for_state(s)) {
        m.kick_out_formed = 0;
        return;
    }
    m.kick_out_formed = 1;
    // Once: given again each tick it would stop the meter of a kicker who
    // has started his kick.
    if (m.kick_out_human && m.controlled_man_a && m.controlled_man_a->set_action != 42)
        give_ball_action(42, 1);
    TeamRecord* awarded = awarded_team();
    if (!awarded->option_chosen)
        return;
    if (s == 59 || s == 65 || s == 67 || s == 69) {
        // The chosen option's point; the receiver's run-up is timed to it.
        const int32_t plan = awarded->setup_choice;
        const FormationSpot point = kickout_option_point(plan, awarded->option_choice);
        const int32_t sign = awarded->side == 1 ? -1 : 1;
        const int32_t x = sign * point.x, y = sign * point.y;
        if (PlayerSlot* receiver = kickout_receiver(awarded, plan, awarded->option_choice))
            kick_out_slack(receiver, point.x, point.y);
        if (!m.kick_out_human) {
            m.kick_clock_start = m.period_clock;
            m.kick_target_x = clamp16(x);
            m.kick_target_y = clamp16(y);
        } else {
            presentation::open_side_panel(x, y);
        }
    } else if (human(awarded)) {
        presentation::open_hud_panel();
    } else if (s == 71) {
        choose_set_kick_target(m.controlled_man_a);
    }
    set_match_state(s + 1);
}

void kick_out_kicked_tick()
{
    MatchGlobals& m = M();
    m.time_off = 1;
    encroachment_check();
    set_kick_time_limit();
    out_of_bounds_watch();
    const BallState& b = ball_state;
    if (b.flight_flags & 64)
        presentation::set_camera_look_at(b.landing_x, 0, b.landing_y);
    else
        set_kick_time_limit();
    if (b.bounce_count && !m.ball_holder && m.match_state >= 60 && m.match_state <= 72)
        set_match_state(PLAY_ON);
}

void kick_out_plan_7_tick()
{
    M().time_off = 1;
    encroachment_check();
    set_kick_time_limit();
    out_of_bounds_watch();
}

} // namespace

void update_match_flow()
{
    MatchGlobals& m = M();
    if (m.frames_for_ms_running)
        return;
    check_period_clock();
    handle_injury_at_stoppage();
    check_fight_interrupt();
    PlayerSlot* u = field_umpire();
    if ((m.flow_flags & TIME_ON) && m.match_state != PLAY_ON && !(u->man_flags & MAN_BUSY) && !m.umpire_with_ball &&
        !m.time_on_signalled && !play_has_stopped()) {
        set_official_job(u, 14);
        m.time_on_signalled = 1;
    }
    const uint8_t s = m.match_state;
    switch (s) {
    case PLAY_ON: play_on_tick(); break;
    case QUARTER_START: quarter_start_tick(); break;
    case FIGHT:
    case FIGHT_PENDING: fight_tick(); break;
    case GOAL:
    case GOAL_B: finish_goal(); break;
    case SET_KICK_START: set_kick_start_tick(); break;
    case KICK_PENDING:
    case MARK_KICK_PENDING: kick_pending_tick(); break;
    case SET_KICK_FLIGHT: set_kick_flight_tick(); break;
    case CENTRE_BOUNCE_SETUP: centre_bounce_setup_tick(); break;
    case CENTRE_BOUNCE_READY: centre_bounce_ready_tick(); break;
    case CENTRE_BOUNCE: centre_bounce_tick(); break;
    case BOUNCE_IN_AIR: bounce_in_air_tick(); break;
    case BREAK:
    case FULL_TIME: break_or_full_time_tick(); break;
    case FULL_TIME_EXIT:
    case BREAK_EXIT: exit_tick(); break;
    case PRE_MATCH: pre_match_tick(); break;
    case COIN_TOSS_WAIT: run_coin_toss_wait(); break;
    case END_OF_PERIOD: end_of_period_tick(); break;
    case CAPTAINS_MEET: captains_meet_tick(); break;
    case COIN_TOSS: coin_toss_tick(); break;
    case AFTER_TOSS: after_toss_tick(); break;
    case BEHIND:
        finish_behind_banner();
        if (m.match_state == BEHIND && ball_is_down())
            handle_behind();
        break;
    case OUT_OF_BOUNDS: out_of_bounds_tick(); break;
    case THROW_IN_SETUP: throw_in_setup_tick(); break;
    case THROW_IN_READY: throw_in_ready_tick(); break;
    case MARK: mark_tick(); break;
    case ADVANTAGE: advantage_tick(); break;
    case BALL_UP_SETUP: ball_up_setup_tick(); break;
    case BALL_UP: ball_up_tick(); break;
    case FREE_KICK: free_kick_tick(); break;
    case BOUNCE_SIREN: bounce_siren_tick(); break;
    case BALL_UP_IN_AIR: in_air_tick(); break;
    case THROW_IN_IN_AIR:
        if (boundary_umpire_of_ball()->job_step >= 2)
            in_air_tick();
        break;
    case NEXT_PERIOD: set_match_state(QUARTER_START); break;
    case BALL_UP_READY: ball_up_ready_tick(); break;
    case KICK_OUT_SETUP: kick_out_setup_tick(); break;
    case KICK_OUT_PLAN_7: kick_out_plan_7_tick(); break;
    default:
        if (s >= KICK_OUT_FORMING_FIRST && s <= KICK_OUT_KICKED_LAST)
            (s & 1) ? kick_out_forming_tick() : kick_out_kicked_tick();
        break;
    }
}
