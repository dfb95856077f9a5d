// The HUD's, the replay's and the match sound's entries in the match's hook
// table.
#include "display/commentary.h"
#include "display/hud.h"
#include "display/hud_draw.h"
#include "display/match_sound.h"
#include "display/replay.h"
#include "display/replay_screen.h"
#include "match/match_hooks.h"

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
}
