// The message banner, the clock and score panels and the HUD text pass.
#include "display/hud.h"

#include "display/hud_draw.h"
#include "display/replay_screen.h"
#include "gl3d/sprite_queue.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "league/league_data.h"
#include "model/anim_table.h"
#include "platform/language.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

HudTextSlot hud_text_slots[HUD_SLOTS];
MessageBanner message_banner;
ClockPanel clock_panel;
int32_t hud_pause_remembered;

namespace {

constexpr int32_t BANNER_DOWN = 80;
constexpr int32_t HOLD_PER_SECOND = 15360; // 60 ticks of 256
constexpr int32_t SCORE_PANEL_SPRITE = PANEL_SCORE;
constexpr int32_t BANNER_LEFT_SPRITE = PANEL_BANNER_LEFT, BANNER_RIGHT_SPRITE = PANEL_BANNER_RIGHT;
constexpr int32_t FIRST_BADGE_SPRITE = PANEL_BADGES;
// The score panel and the club banner carry texts: they go to the overlay
// queue, which is drawn before the texts, so the texts stand on them.
constexpr int32_t UNDER_TEXT = 32 | SPRITE_TO_OVERLAY;

// A copy that always fits the slot.
void copy_slot_text(int32_t slot, const char* text)
{
    std::snprintf(hud_text_slots[slot].text, HUD_TEXT_SIZE, "%s", text ? text : "");
}

int32_t frame_ticks() { return match_globals.ticks_last_frame; }

bool in_playback() { return replay_screen.playback || presentation::replay_playback_active(); }

} // namespace

void reset_hud()
{
    std::memset(hud_text_slots, 0, sizeof hud_text_slots);
    message_banner = MessageBanner{};
    clock_panel = ClockPanel{};
    hud_pause_remembered = 0;
}

// ---- Banner ----

namespace {

int32_t open_banner(int32_t duration, int32_t kind)
{
    MessageBanner& b = message_banner;
    if (b.kind) return 0;
    b.kind = kind;
    b.step = 1;
    b.offset = BANNER_DOWN;
    b.hold = 0;
    b.duration = duration;
    copy_slot_text(1, "");
    copy_slot_text(2, "");
    return 1;
}

} // namespace

int32_t open_message_banner(int32_t duration) { return open_banner(duration, 1); }
int32_t open_message_banner2(int32_t duration) { return open_banner(duration, 2); }

void clear_message_banner()
{
    message_banner.kind = message_banner.step = message_banner.hold = 0;
    copy_slot_text(1, "");
    copy_slot_text(2, "");
}

void blank_message_banner()
{
    if (!message_banner.kind) return;
    for (int32_t slot = 1; slot <= 2; ++slot) {
        // As many blanks as the slot holds.
        std::memset(hud_text_slots[slot].text, ' ', HUD_TEXT_SIZE - 1);
        hud_text_slots[slot].text[HUD_TEXT_SIZE - 1] = 0;
        hud_text_slots[slot].x = hud_text_slots[slot].y = 0;
    }
}

int32_t message_banner_busy() { return message_banner.kind != 0; }

void set_hud_text(int32_t x, int32_t y, const char* text, int32_t slot)
{
    if (!message_banner.kind || slot < 0 || slot >= HUD_SLOTS) return;
    copy_slot_text(slot, text);
    hud_text_slots[slot].x = x;
    hud_text_slots[slot].y = y;
}

void show_message(const char* text)
{
    TextBlock block{};
    const int32_t h = format_text_block(&block, text, 463);
    if (message_banner.kind && block.count > 0) {
        const int32_t w1 = hud_text_width(block.lines[0]);
        if (block.count >= 2) {
            const int32_t w2 = hud_text_width(block.lines[1]);
            set_hud_text((463 - w1) / 2 + 100, 413, block.lines[0], 1);
            set_hud_text((463 - w2) / 2 + 100, 413 + h, block.lines[1], 2);
        } else {
            set_hud_text((463 - w1) / 2 + 100, 413 + h / 2, block.lines[0], 1);
        }
    }
    release_text_block(&block);
}

void place_centred_hud_text(const char* text, int32_t line)
{
    if (!message_banner.kind) return;
    const int32_t h = hud_text_height("Very silly indeed");
    const int32_t w = hud_text_width(text);
    const int32_t screen_w = layer_screen_width();
    const bool wide = screen_w == 0 || screen_w == 640; // headless counts as the game's screen
    const int32_t x = wide ? (463 - w) / 2 + 100 : (230 - w) / 2 + 49;
    const int32_t top = wide ? 413 : 166;
    if (line == 'E')
        set_hud_text(x, h / 2 + top, text, 1);
    else if (line == 1 || line == 2)
        set_hud_text(x, (line - 1) * h + top, text, line);
}

void update_message_banner()
{
    MessageBanner& b = message_banner;
    const int32_t t = frame_ticks();
    switch (b.step) {
    case 1:
        if (b.offset > 0) b.offset = b.offset - 2 * t < 0 ? 0 : b.offset - 2 * t;
        if (b.offset <= 0) {
            b.hold = b.duration * HOLD_PER_SECOND;
            b.step = 2;
        }
        break;
    case 2:
        if (b.hold == 0 && match_globals.match_state != 20) b.step = 3;
        break;
    case 3:
        b.offset += 2 * t;
        if (b.offset >= BANNER_DOWN) {
            b.offset = BANNER_DOWN;
            b.step = 0;
            b.kind = 0;
            copy_slot_text(1, "");
            copy_slot_text(2, "");
        }
        break;
    default: break;
    }
}

void step_banner_hold() { message_banner.hold = message_banner.hold > 256 ? message_banner.hold - 256 : 0; }

void draw_message_banner()
{
    const MessageBanner& b = message_banner;
    if (b.kind == 1) {
        select_hud_font(1);
        for (int32_t slot = 1; slot <= 2; ++slot) {
            const HudTextSlot& s = hud_text_slots[slot];
            draw_hud_text(s.text, 320 - hud_text_width(s.text) / 2, s.y + b.offset, 1);
        }
    } else if (b.kind == 2) {
        draw_team_names();
    }
}

// ---- Clock, score and period texts ----

void init_clock_panel()
{
    clock_panel.offset = -80;
    clock_panel.shown = 1;
    clock_panel.step = 1;
}

void clock_text(char* out, int32_t size)
{
    const MatchGlobals& g = match_globals;
    const double length = g.quarter_ticks > 0 ? g.quarter_ticks : 1;
    const int32_t v = static_cast<int32_t>(std::lround(g.period_clock / length * 74400.0));
    std::snprintf(out, static_cast<size_t>(size), "%d%s%02d", v / 3720, ":", (v / 62) % 60);
}

void draw_clock_text()
{
    char text[32];
    clock_text(text, sizeof text);
    draw_hud_text(text, 80, clock_panel.offset + 60, 1);
}

void format_clock_text()
{
    ClockPanel& c = clock_panel;
    const uint16_t flags = match_globals.flow_flags;
    if (flags & SUDDEN_DEATH) return;
    const int32_t t = frame_ticks();
    const bool time_on = flags & TIME_ON;
    switch (c.step) {
    case 0: c.shown = 0; break;
    case 1:
        if (c.offset >= 0) {
            c.offset = 0;
            c.step = 2;
        } else {
            const int32_t o = c.offset + (time_on ? 4 : 2) * t;
            c.offset = static_cast<int16_t>(o > 0 ? 0 : o);
        }
        break;
    case 3:
        if (c.offset >= -79) {
            const int32_t o = c.offset - 2 * t;
            c.offset = static_cast<int16_t>(o < -80 ? -80 : o);
        }
        if (c.offset < -79) {
            c.offset = -80;
            c.step = time_on && !(flags & CLOCK_FROZEN) ? 1 : 0;
        }
        break;
    default: break;
    }
    draw_clock_text();
}

void club_abbreviation(int32_t club, char* out, int32_t size)
{
    const char* name = club >= 0 && club < 16 ? get_text(static_cast<uint16_t>(club)) : "";
    int32_t n = 0;
    for (const char* p = name ? name : ""; *p && n < 3 && n < size - 1; ++p)
        if (std::isalpha(static_cast<unsigned char>(*p))) out[n++] = static_cast<char>(std::toupper(*p));
    out[n] = 0;
}

void format_score_text()
{
    const int32_t state = match_globals.match_state;
    if (in_playback() || (state >= 58 && state <= 72)) return;
    const int32_t o = clock_panel.offset;
    queue_hud_sprite(HUD_PANELS, SCORE_PANEL_SPRITE, 80, o + 4, UNDER_TEXT, 200, 256);
    char text[24];
    for (int32_t t = 0; t < 2; ++t) {
        const TeamRecord& team = team_records[t];
        std::snprintf(text, sizeof text, "%03d", team.points);
        draw_hud_text(text, 90, o + 8 + 24 * t, 1);
        club_abbreviation(team.club ? team.club->number : -1, text, sizeof text);
        draw_hud_text(text, 2, o + 6 + 24 * t, 1);
    }
}

void draw_team_names()
{
    if (!presentation::use_3d_hardware()) return;
    const int32_t o = message_banner.offset;
    queue_hud_sprite(HUD_PANELS, BANNER_LEFT_SPRITE, 110, o + 414, UNDER_TEXT, 200, 256);
    queue_hud_sprite(HUD_PANELS, BANNER_RIGHT_SPRITE, 287, o + 414, UNDER_TEXT, 200, 256);
    char text[24];
    for (int32_t t = 0; t < 2; ++t) {
        const TeamRecord& team = team_records[t];
        const int32_t club = team.club ? team.club->number : 0;
        const int32_t row = t == 0 ? 427 : 451;
        queue_hud_sprite(HUD_PANELS, FIRST_BADGE_SPRITE + (club & 15), 179, o + (t == 0 ? 425 : 450), UNDER_TEXT, 200,
                         256);
        draw_hud_text(get_text(static_cast<uint16_t>(club & 15)), 214, o + row, 4);
        std::snprintf(text, sizeof text, "%d", team.goals);
        draw_hud_text(text, 353, o + row, 0);
        std::snprintf(text, sizeof text, "%d", team.behinds);
        draw_hud_text(text, 391, o + row, 0);
        std::snprintf(text, sizeof text, "%d", team.goals * 6 + team.behinds);
        draw_hud_text(text, 431, o + row, 0);
    }
}

void draw_score_clock()
{
    const MatchGlobals& g = match_globals;
    update_hud_countdown();
    if (!in_playback()) {
        format_score_text();
        if (message_banner.kind && message_banner.step) draw_message_banner();
        if (!(g.match_state >= 58 && g.match_state <= 72)) {
            const uint16_t f = g.flow_flags;
            if (clock_panel.shown) format_clock_text();
            if (f & TIME_ON) draw_hud_text("TIME ON", 10, 455, 2);
            const int32_t y = (f & TIME_ON) && !(f & CLOCK_FROZEN) ? 60 : clock_panel.offset + 60;
            if ((f & EXTRA_TIME) && !(f & SUDDEN_DEATH))
                draw_hud_text("EXT", 20, y, 2);
            else if (!(f & (EXTRA_TIME | SUDDEN_DEATH)))
                draw_hud_text(f & QUARTER_1 ? "1ST" : f & QUARTER_2 ? "2ND" : f & QUARTER_3 ? "3RD" : "4TH", 20, y, 2);
            if ((f & SUDDEN_DEATH) && !(f & CLOCK_FROZEN)) draw_hud_text("SUDDEN DEATH", 10, 10, 2);
        }
    }
    draw_overlay_by_state();
}

void pause_hud_flag()
{
    uint16_t& f = match_globals.flow_flags;
    if (!(f & CLOCK_RUNNING)) return;
    hud_pause_remembered = 1;
    f = static_cast<uint16_t>((f & ~CLOCK_RUNNING) | CLOCK_STOPPED);
}

void resume_hud_flag()
{
    if (!hud_pause_remembered) return;
    hud_pause_remembered = 0;
    uint16_t& f = match_globals.flow_flags;
    f = static_cast<uint16_t>((f & ~CLOCK_STOPPED) | CLOCK_RUNNING);
}

void clear_period_end_state()
{
    MatchGlobals& g = match_globals;
    g.period_end_pending = 0;
    g.end_side_word = 0;
    g.siren_pending = 0;
    g.time_on_signalled = 0;
}

int32_t int_to_text(int32_t value, char* out)
{
    if (value < 0) value = 0;
    return std::snprintf(out, 12, "%d", value);
}

int32_t printable_length(const char* text)
{
    int32_t n = 0;
    for (; text[n] && static_cast<unsigned char>(text[n]) >= 32; ++n) {}
    return n;
}

void reverse_printable(char* text)
{
    for (int32_t i = 0, j = printable_length(text) - 1; i < j; ++i, --j) std::swap(text[i], text[j]);
}

void draw_anim_names(const char* const* options, int32_t first)
{
    (void)options;
    for (int32_t k = -3; k <= 3; ++k) {
        int32_t row = first + k;
        row = row < 0 ? 0 : (row > ANIM_ROW_COUNT - 1 ? ANIM_ROW_COUNT - 1 : row);
        const char* name = animation_name(row);
        char text[64];
        std::snprintf(text, sizeof text, "%d %s", row, name ? name : "");
        draw_hud_text(text, 10, 200 + 16 * k, 0);
    }
}
