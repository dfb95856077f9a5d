// The HUD's, the replay's and the match sound's entries in the match's hook
// table.
#include "display/commentary.h"
#include "display/hud.h"
#include "display/hud_draw.h"
#include "display/match_sound.h"
#include "display/replay.h"
#include "display/replay_screen.h"
#include "league/league_data.h"
#include "match/match_hooks.h"
#include "match/match_records.h"

namespace {

// The team highlight panel's values, stored for the panel that shows them.
struct TeamHighlight {
    int32_t team, a, b, c, d;
} team_highlight;

void record_unless_replaying(uint32_t tick)
{
    if (!replay_screen.playback) record_replay_frame(tick);
}
int32_t playback_active() { return replay_match_playback; }
void banner_text(const char* text, int32_t) { show_message(text); }
int32_t pause_remembered() { return hud_pause_remembered; }
int32_t power_bar_open() { return power_bar.open; }
int32_t countdown_open() { return countdown_bar.open; }
void panel_sprite(int32_t sprite, int32_t x, int32_t y, int32_t flags, int32_t depth, int32_t scale, int32_t alpha)
{
    queue_hud_sprite(HUD_PANELS, sprite, x, y, flags, depth, scale, alpha);
}
void store_highlight(int32_t team, int32_t a, int32_t b, int32_t c, int32_t d) { team_highlight = {team, a, b, c, d}; }
void ring(TeamRecord* team, int32_t busy, int32_t first, int32_t n) { arrange_overlay_ring(team, busy, first, n); }

int32_t pending_group() { return pending_commentary.group; }
int32_t waiting_group() { return commentary.waiting_priority >= 0 ? commentary.waiting_group : -1; }
void drop_waiting() { commentary.waiting_priority = -1; }
int32_t last_group() { return commentary.last_group; }
int32_t speaks() { return commentary.loaded && !commentary.muted; }
int32_t within_phrase() { return commentary_within_phrase() ? 1 : 0; }
int32_t remaining_ticks()
{
    const int32_t left = commentary.phrase_length - commentary.phrase_clock;
    return left > 0 ? left : 0;
}
void stamp_remark_time() { commentary.last_remark_time = match_globals.ticks_played; }
// The match names a man by his place in his club's list.
int32_t named_by_list_place(int32_t club, int32_t place)
{
    const league_team* team = league_team_at(club);
    if (!team || place < 0 || place >= LEAGUE_PLAYERS || !team->players[place]) return -1;
    return named_player_position(club, team->players[place]->bytes[PLAYER_GUERNSEY]);
}

} // namespace

void install_hud_hooks()
{
    MatchHooks& h = match_hooks;
    h.record_replay_frame = record_unless_replaying;
    h.enter_replay = enter_replay;
    h.replay_playback_active = playback_active;
    h.set_replay_playback = set_replay_match_playback;
    h.start_replay_playback = replay_match_tick;
    h.reset_replay = reset_replay;
    h.crowd_react = crowd_react;
    h.crowd_react_to_play = crowd_react_to_play;
    h.play_effect = play_effect;
    h.schedule_effect = schedule_effect;
    h.service_scheduled_effect = service_scheduled_effect;
    h.update_message_banner = update_message_banner;
    h.message_banner_busy = message_banner_busy;
    h.open_message_banner = open_message_banner;
    h.open_message_banner2 = open_message_banner2;
    h.show_message = banner_text;
    h.step_hud_panel_timer = step_banner_hold;
    h.clear_message_banner = clear_message_banner;
    h.draw_score_clock = draw_score_clock;
    h.pause_hud_flag = pause_hud_flag;
    h.resume_hud_flag = resume_hud_flag;
    h.hud_paused = pause_remembered;
    h.start_team_highlight = store_highlight;
    h.init_team_overlay = init_team_overlay;
    h.arrange_overlay_ring = ring;
    h.update_team_overlay = update_team_overlay;
    h.open_hud_panel = open_hud_panel;
    h.close_hud_panels = close_hud_panels;
    h.kick_panel_open = power_bar_open;
    h.second_panel_open = countdown_open;
    h.draw_power_bar = draw_power_bar_any;
    h.queue_sprite = panel_sprite;
    h.reset_commentary = reset_commentary;
    h.commentate = commentate;
    h.set_pending_commentary = set_pending_commentary;
    h.flush_pending_commentary = flush_pending_commentary;
    h.clear_pending_commentary = clear_pending_commentary;
    h.pending_commentary_event = pending_group;
    h.commentary_state = pending_group;
    h.queued_commentary_event = waiting_group;
    h.drop_queued_commentary = drop_waiting;
    h.last_spoken_event = last_group;
    h.commentary_speaks = speaks;
    h.swap_name_sample_entries = swap_name_sample_entries;
    h.commentary_within_phrase = within_phrase;
    h.phrase_remaining_ticks = remaining_ticks;
    h.say_unless_speaking = say_unless_speaking;
    h.service_deferred_remarks = service_deferred_remarks;
    h.mute_commentary = mute_commentary;
    h.unmute_commentary = unmute_commentary;
    h.commentary_fill_silence = commentary_fill_silence;
    h.choose_situation_remark = choose_situation_remark;
    h.mark_remark_time = stamp_remark_time;
    h.find_player_name_sample = named_by_list_place;
}
