#include "players/phase_cut.h"

#include "match/game_maths.h"
#include "match/game_tick.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "players/movement.h"
#include "players/contest_groups.h"

namespace {

struct CutRow {
    uint8_t state;
    int32_t pending_state;
    int32_t fade_in_kind;
};
// The pre-match scenes up to the centre bounce, quarter's end, throw-in and
// ball-up.
constexpr CutRow cut_rows[] = {{PRE_MATCH, CENTRE_BOUNCE_READY, 5}, {21, 11, 0}, {37, 39, 5}, {47, 57, 5}};

bool transition_running() { return presentation::hw_transition_running() != 0; }

bool human_team_in_contest()
{
    return (team_records[0].human_count || team_records[1].human_count) && any_contest_active();
}

void set_queues(bool on) { presentation::set_sprite_queues(on); }

} // namespace

// A contest is active when the device of a group with a man in it has had
// one of its four action buttons come on this read.
bool any_contest_active()
{
    for (int g = 0; g < CONTEST_GROUPS; ++g) {
        const PlayerSlot* first = contest_group_record(g).men[0];
        if (first && first->contest_group && (first->contest_group->pressed & 0x0F)) return true;
    }
    return false;
}

void schedule_phase_cut()
{
    MatchGlobals& m = match_globals;
    if (transition_running() || m.pending_cut_state != -1) return;
    const CutRow* row = nullptr;
    for (const CutRow& r : cut_rows)
        if (r.state == m.match_state) row = &r;
    if (!row) return;
    const bool due = row->state == 21 ? m.restart_countdown < 60 : human_team_in_contest();
    if (!due) return;
    if (row->state == PRE_MATCH) m.pre_match_skipped = 1;
    if (presentation::use_3d_hardware()) {
        if (!m.closing_transition_running) {
            presentation::mute_commentary();
            presentation::pause_hud_flag();
            presentation::crowd_react(-1);
            start_screen_transition(0, 1000, nullptr);
        }
        m.cut_fade_in_kind = row->fade_in_kind;
        m.pending_cut_state = row->pending_state;
        return;
    }
    presentation::mute_commentary();
    presentation::fade_palette_out();
    m.cut_saved_speed = match_tick_record.speed_percent;
    m.cut_fast_forward = 1;
    m.pending_cut_state = row->pending_state;
    match_tick_record.speed_percent = CUT_TICK_SPEED;
}

void apply_pending_phase()
{
    MatchGlobals& m = match_globals;
    if (!presentation::use_3d_hardware()) {
        if (m.pending_cut_state == -1 || m.match_state != m.pending_cut_state) return;
        m.pending_cut_state = -1;
        if (m.cut_fast_forward) match_tick_record.speed_percent = m.cut_saved_speed;
        m.cut_fast_forward = 0;
        m.closing_transition_running = 0;
        m.opening_transition_running = 0;
        presentation::fade_palette_in();
        presentation::unmute_commentary();
        return;
    }
    if (transition_running() || m.pending_cut_state == -1) return;
    if (m.match_state != m.pending_cut_state) {
        if (!m.closing_transition_running) return;
        // The fade-out is over: fast-forward in the dark.
        set_queues(false);
        m.closing_transition_running = 0;
        m.cut_saved_speed = match_tick_record.speed_percent;
        m.cut_fast_forward = 1;
        match_tick_record.speed_percent = CUT_TICK_SPEED;
        return;
    }
    if (m.opening_transition_running) return;
    presentation::unmute_commentary();
    presentation::crowd_react(3);
    presentation::clear_message_banner();
    start_screen_transition_b(m.cut_fade_in_kind);
    m.pending_cut_state = -1;
    set_queues(true);
    m.closing_transition_running = 0;
    // Only a cut whose fast-forward began has a speed to give back.
    if (m.cut_fast_forward) match_tick_record.speed_percent = m.cut_saved_speed;
    m.cut_fast_forward = 0;
}

void flag_players_ball_coming()
{
    const MatchGlobals& m = match_globals;
    const int32_t s = 16 * approx_vector_length(ball_state.vx >> 16, ball_state.vy >> 16);
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* man = m.active_men[i];
        if (man->busy_flag || (man->man_flags2 & MAN2_INJURED)) continue;
        if (man->ball_distance > s) return;
        man->ball_coming = 1;
    }
}
