// The teams' set-play overlays: the option ring, the diagrams, the kick-out
// rows, the coin and the toss choice, the throw-in zones and the blink
// markers; animated per tick and drawn per frame by match state.
#include "display/hud.h"

#include "display/hud_draw.h"
#include "display/match_scene.h"
#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/officials.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

ThrowInZone throw_in_zones[2];
int32_t overlay_throw_angle;
int32_t coin_accumulator;
int32_t rows_ready[2];
BlinkMarker blink_markers[2];

namespace {

constexpr int32_t FIX = 65536;
constexpr int32_t RING_SPRITE = PANEL_RING, DIAGRAM_MARKER = PANEL_DIAGRAM_MARKER, KICKING_ROWS = PANEL_KICKING_ROWS,
                  OTHER_ROWS = PANEL_OTHER_ROWS, ROW_CORNER = PANEL_ROW_CORNER;
constexpr int32_t COIN_SPRITES = PANEL_COINS, TOSS_SPRITES = PANEL_TOSS, BLINK_SPRITE_2 = PANEL_BLINK_2,
                  BLINK_SPRITE_1 = PANEL_BLINK_1;

// Diagrams: points in 1/256 units, ended by -1.
constexpr int32_t DIAGRAM_END = -1;
const int32_t diagrams[4][15] = {
    {0, 5120, -2560, 2560, 2560, 2560, 0, 0, -1},
    {-3840, 3840, 3840, 3840, 0, 1280, 0, -2560, -1},
    {0, 6400, 0, 3200, -3200, 0, 3200, 0, -1},
    {-2560, 5120, 2560, 5120, -5120, 0, 5120, 0, 0, -2560, -1},
};
// Throw-in zones: points {x, y}, each list ended by (0, 0).
const int32_t zones[4][10] = {
    {1024, 512, -1024, 512, 0, 0},
    {1536, 1024, -1536, 256, 0, 0},
    {768, 1536, -768, 1536, 0, 0},
    {2048, 768, -2048, 768, 0, 0},
};

int32_t clamp_alpha(int32_t a) { return a < 0 ? 0 : (a > 255 ? 255 : a); }

int32_t wrap4(int32_t v) { return v < 0 ? 3 : (v > 3 ? 0 : v); }

bool kick_out_overlay_live()
{
    const MatchGlobals& g = match_globals;
    const PlayerSlot* c = g.controlled_man_a;
    return !message_banner.kind && !g.hud_hold && c && c == g.ball_holder && c->contest_group;
}

void zone_size(int32_t option, int32_t* w, int32_t* h)
{
    int32_t mx = 0, my = 0;
    for (int32_t k = 0; k + 1 < 10 && (zones[option][k] || zones[option][k + 1]); k += 2) {
        mx = std::max(mx, std::abs(zones[option][k]));
        my = std::max(my, std::abs(zones[option][k + 1]));
    }
    *w = mx + 256;
    *h = my + 768;
}

// Moves v toward target by step; true once there.
bool move_toward(int32_t* v, int32_t target, int32_t step)
{
    if (*v < target) *v = std::min(*v + step, target);
    else if (*v > target) *v = std::max(*v - step, target);
    return *v == target;
}

// A kick-out row towards its goal: the step an eighth of the distance,
// clamped; the unclamped step decides arrival.
bool slide_row(TeamOverlayState::Row& row, int32_t goal, int32_t lo, int32_t hi)
{
    const int32_t raw = (goal - row.y) / 8;
    if (raw == 0) {
        row.y = goal;
        return true;
    }
    int32_t step = std::abs(raw);
    step = std::max(lo, std::min(hi, step));
    if (row.y < goal) row.y = std::min(row.y + step, goal);
    else row.y = std::max(row.y - step, goal);
    return false;
}

void ring_phase(TeamRecord* team, int32_t n)
{
    TeamOverlayState& o = team->overlay;
    if (o.step == 0 || n <= 0) return;
    o.ring_angle += o.step;
    if (std::abs(o.ring_angle) < 256 / n) {
        arrange_overlay_ring(team, 0, o.selection, n);
        return;
    }
    o.ring_angle = 0;
    o.selection = static_cast<int8_t>(o.step < 0 ? wrap4(o.selection + 1) : wrap4(o.selection - 1));
    o.step = 0;
    arrange_overlay_ring(team, 0, o.selection, n);
}

void close_up_phase(TeamRecord* team, int32_t n)
{
    TeamOverlayState& o = team->overlay;
    if (!team->human_count || n < 1) return;
    for (int32_t k = 0; k < n && k < 8; ++k) {
        if (k == o.selection) continue;
        move_toward(&o.rows[k].y, 260, 4);
    }
    TeamOverlayState::Row& chosen = o.rows[o.selection & 7];
    chosen.depth = std::max(192, chosen.depth - 4);
    if (chosen.depth == 192 && o.diagram_index == 255) o.diagram_index = static_cast<uint8_t>(o.selection & 3);
}

void diagram_phase(TeamRecord* team)
{
    TeamOverlayState& o = team->overlay;
    o.diagram_growth = std::min(OVERLAY_SHOWN, o.diagram_growth + 11);
    const TeamOverlayState::Row& chosen = o.rows[o.selection & 7];
    const int32_t* d = diagrams[o.diagram_index & 3];
    int32_t n = 0;
    for (int32_t k = 0; d[k] != DIAGRAM_END && n < 15; k += 2, ++n) {
        o.diagram_points[n].x = chosen.x + static_cast<int32_t>(std::lround(d[k] / 256.0 * 4.2666667));
        o.diagram_points[n].y = chosen.y - static_cast<int32_t>(std::lround(d[k + 1] / 256.0 * 4.2666667));
        o.diagram_points[n].scale = 256;
    }
    o.diagram_points[n].x = -1;
}

void zone_phase(TeamRecord* team)
{
    MatchGlobals& g = match_globals;
    int32_t w_of[4], h_of[4];
    for (int32_t i = 0; i < 4; ++i) zone_size(i, &w_of[i], &h_of[i]);
    if (g.mark_x == 0) g.mark_x = 1;
    const int32_t X = g.mark_y, Y = g.mark_x;
    overlay_throw_angle = throw_in_angle_at(g.mark_x, g.mark_y);
    const auto A = static_cast<uint8_t>(overlay_throw_angle);
    TeamOverlayState& o = team->overlay;
    const int32_t i = wrap4(o.selection), j = wrap4(i + o.step);
    int32_t w = w_of[i], h = h_of[i];
    if (o.step != 0) {
        const int32_t p = o.ring_angle;
        const int32_t dw = std::abs(w_of[j] - w_of[i]), dh = std::abs(h_of[j] - h_of[i]);
        const double r = dw == 0 || dh == 0 ? 1.0 : static_cast<double>(dh) / dw;
        const bool w_there = move_toward(&w, w_of[j], p);
        const bool h_there = move_toward(&h, h_of[j], static_cast<int32_t>(std::lround(p * r)));
        o.ring_angle += 32;
        if (w_there && h_there) {
            o.selection = static_cast<int8_t>(o.step < 1 ? wrap4(i - 1) : wrap4(i + 1));
            o.step = 0;
            o.ring_angle = 0;
        }
    }
    const int32_t hh = h / 2;
    const auto b = static_cast<uint8_t>(std::lround(std::atan2(static_cast<double>(w), hh) * 256 / (2 * M_PI)));
    const int32_t cos_b = fixed_cos(b, 256), sin_b = fixed_sin(b, 256);
    const int32_t t = team == &team_records[0] ? 0 : 1;
    ThrowInZone& z = throw_in_zones[t];
    z.radius_x = cos_b ? w * 256 / cos_b : w;
    z.radius_y = sin_b ? h * 128 / sin_b : h;
    z.centre_x = Y + fixed_sin(A, hh + 1536);
    z.centre_y = X + fixed_cos(A, hh + 1536);
    z.kind = t == 0 ? 129 : 250;
}

void rows_in_phase(TeamRecord* team, int32_t n, int32_t goal, int32_t ready)
{
    TeamOverlayState& o = team->overlay;
    if (!kick_out_overlay_live() || !team->human_count || n < 1) return;
    int32_t arrived = 0;
    for (int32_t k = 0; k < n && k < 8; ++k) {
        TeamOverlayState::Row& row = o.rows[k];
        if (row.aux == -1) {
            row.y = goal;
            ++arrived;
        } else if (row.aux > 0) {
            --row.aux;
        } else if (slide_row(row, goal, FIX / 4, 4 * FIX)) {
            row.aux = -1;
        }
    }
    if (arrived == 8) rows_ready[ready] = 1;
}

void rows_out_phase(TeamRecord* team, int32_t n, int32_t goal)
{
    TeamOverlayState& o = team->overlay;
    if (!team->human_count || n < 1) return;
    int32_t gone = 0;
    for (int32_t k = 0; k < n && k < 8; ++k)
        if (slide_row(o.rows[k], goal, FIX * 3 / 8, 6 * FIX)) ++gone;
    // Both rows leaving clear the kicking team's ready flag.
    if (gone == 8) rows_ready[0] = 0;
}

void cursor_phase(TeamRecord* team)
{
    TeamOverlayState& o = team->overlay;
    if (team == kick_out_team())
        o.cursor.blink = o.cursor.blink ? 0 : 1;
    else
        o.cursor.blink = o.cursor.blink > 0 ? 0 : 2;
    o.cursor.x = o.rows[o.selection & 7].x;
    o.cursor.y = o.rows[o.selection & 7].y >> 16;
}

void panel_position(TeamRecord* team, int32_t x1)
{
    TeamOverlayState& o = team->overlay;
    if (team->side == 1)
        o.panel_x = x1, o.panel_y = 150;
    else
        o.panel_x = 100, o.panel_y = 250;
}

void coin_phase(TeamRecord* team)
{
    TeamOverlayState& o = team->overlay;
    o.stop_frame = 5;
    panel_position(team, 440);
    if (o.choice != 1 && o.choice != -1) return;
    coin_accumulator += match_globals.ticks_last_frame;
    while (coin_accumulator > 20) {
        coin_accumulator -= 20;
        o.coin_frame = o.choice == 1 ? (o.coin_frame + 1) % 11 : (o.coin_frame == 0 ? 10 : o.coin_frame - 1);
        if (o.coin_frame == o.stop_frame || o.coin_frame == 0) {
            o.choice = 0;
            coin_accumulator = 0;
            return;
        }
    }
}

void choice_phase(TeamRecord* team)
{
    TeamOverlayState& o = team->overlay;
    panel_position(team, 400);
    o.slide_timer = std::max(0, o.slide_timer - match_globals.ticks_last_frame);
    if (o.choice == 1) o.coin_frame = 1;
    else if (o.choice == 2) o.coin_frame = 0;
}

// One blink marker's frame; true while it shows.
bool step_blink(BlinkMarker& m, int32_t t)
{
    if (m.blinks <= 0) return false;
    if (m.on_time > 0) {
        m.on_time -= t;
        if (m.on_time <= 0) {
            m.on_time = 0;
            m.off_time = 2 * t;
        }
        return true;
    }
    m.off_time -= t;
    if (m.off_time <= 0) {
        m.off_time = 0;
        --m.blinks;
        m.on_time = 2 * t;
    }
    return false;
}

TeamRecord* home_club_team()
{
    TeamRecord& a = team_records[0];
    return a.club && a.club->number == game_settings.home_team ? &a : &team_records[1];
}

void draw_ring(const TeamRecord& team, bool use_alpha, bool scale_from_size)
{
    TeamRecord& t = const_cast<TeamRecord&>(team);
    TeamOverlayState& o = t.overlay;
    const int32_t flags = team.side == 1 ? 36 : 32;
    int32_t chosen_alpha = -1;
    if (use_alpha && match_globals.match_state == 57 && o.chosen)
        chosen_alpha = clamp_alpha(4 * o.rows[o.selection & 3].aux - 769);
    for (int32_t k = 0; k < 4; ++k) {
        TeamOverlayState::Row& r = o.rows[k];
        const int32_t d = r.depth;
        if (!use_alpha) {
            queue_hud_sprite(HUD_PANELS, RING_SPRITE + k, r.x, r.y, flags, 32764 - d, scale_from_size ? r.aux : d);
            r.aux = std::max(1, d);
            continue;
        }
        const int32_t alpha = chosen_alpha >= 0 ? chosen_alpha : std::min(255, std::max(0, (1024 - d) / 3));
        r.aux = d;
        if (chosen_alpha == 0) continue;
        queue_hud_sprite(HUD_PANELS, RING_SPRITE + k, r.x, r.y, flags, 32764 - d, d, alpha);
    }
}

void draw_centre_bounce(TeamRecord& team)
{
    TeamOverlayState& o = team.overlay;
    if (o.diagram_index == 255) {
        draw_ring(team, false, true);
        return;
    }
    TeamOverlayState::Row& r = o.rows[o.selection & 3];
    r.aux = std::max(1, r.depth);
    queue_hud_sprite(HUD_PANELS, RING_SPRITE + (o.selection & 3), r.x, r.y, team.side == 1 ? 36 : 32,
                     32764 - r.depth, r.aux);
    const int32_t g = o.diagram_growth;
    for (int32_t k = 0; k < 16 && o.diagram_points[k].x != -1; ++k) {
        const TeamOverlayState::Point& p = o.diagram_points[k];
        if (p.y < 260) {
            queue_hud_sprite(HUD_PANELS, DIAGRAM_MARKER, p.x, g, 33, 32764, 256, clamp_alpha(g + 91));
        } else {
            const int32_t y = std::max(356, 480 - g);
            queue_hud_sprite(HUD_PANELS, DIAGRAM_MARKER, p.x, y, 32, 32764, 256, clamp_alpha(611 - y));
        }
    }
}

void draw_rows(const TeamRecord& team, bool kicking)
{
    if (!team.human_count) return;
    for (int32_t k = 0; k < 8; ++k) {
        const TeamOverlayState::Row& r = team.overlay.rows[k];
        const int32_t y = r.y >> 16;
        const double a = kicking ? 255 - (y - 426) * 4.7222222 : (y + 48) * 4.7222222;
        queue_hud_sprite(HUD_PANELS, (kicking ? KICKING_ROWS : OTHER_ROWS) + k, r.x, y, 32, 256, 256,
                         clamp_alpha(static_cast<int32_t>(a)));
    }
}

void draw_selection_frame(const TeamRecord& team)
{
    const TeamOverlayState::Row& r = team.overlay.rows[team.overlay.selection & 7];
    const int32_t x = r.x, y = r.y >> 16;
    queue_hud_sprite(HUD_PANELS, ROW_CORNER, x, y, 32, 256, 256);
    queue_hud_sprite(HUD_PANELS, ROW_CORNER, x + 59, y, 36, 256, 256);
    queue_hud_sprite(HUD_PANELS, ROW_CORNER, x + 59, y + 41, 37, 256, 256);
    queue_hud_sprite(HUD_PANELS, ROW_CORNER, x, y + 41, 33, 256, 256);
}

} // namespace

TeamRecord* kick_out_team()
{
    const PlayerSlot* c = match_globals.controlled_man_a;
    if (c && c->team) return c->team;
    const PlayerSlot* h = match_globals.ball_holder;
    return h && h->team ? h->team : &team_records[0];
}

void init_team_overlay(TeamRecord* team, int32_t kind, int32_t n)
{
    TeamOverlayState& o = team->overlay;
    o.selection = 0;
    o.chosen = 0;
    o.step = 0;
    o.ring_angle = 0;
    n = std::max(0, std::min(8, n));
    switch (kind) {
    case 6:
    case 7:
        for (int32_t k = 0; k < n; ++k) {
            o.rows[k].x = 6 + 80 * k;
            o.rows[k].y = (kind == 6 ? 480 : -48) * FIX;
            o.rows[k].aux = kind == 6 ? 10 * k : 10 * (n - 1 - k);
        }
        rows_ready[kind == 6 ? 0 : 1] = 0;
        o.kick_out_list = 0;
        break;
    case 13:
        o.coin_frame = 0;
        panel_position(team, 440);
        o.stop_frame = 5;
        o.choice = 0;
        o.toss_done = 0;
        break;
    case 14:
        o.toss_done = 0;
        panel_position(team, 400);
        o.coin_frame = 1;
        o.choice = 1;
        break;
    default:
        o.diagram_index = 255;
        o.diagram_growth = 0;
        o.set_play_done = 0;
        o.diagram_points[0].x = -1;
        arrange_overlay_ring(team, 0, 0, 4);
        break;
    }
}

int32_t arrange_overlay_ring(TeamRecord* team, int32_t busy, int32_t first, int32_t n)
{
    if (busy || n <= 0) return n;
    TeamOverlayState& o = team->overlay;
    for (int32_t i = 0; i < n && i < 8; ++i) {
        const auto a = static_cast<uint8_t>(std::lround(i * 256.0 / n) + o.ring_angle);
        TeamOverlayState::Row& r = o.rows[((first + i) % n + n) % n];
        r.x = team->side == 2 ? 110 : 530;
        r.y = 260 + fixed_sin(a, 140);
        r.depth = 512 - fixed_cos(a, 256);
    }
    return n;
}

void update_team_overlay(TeamRecord* team, int32_t phase, int32_t n)
{
    switch (phase) {
    case 0: ring_phase(team, n); break;
    case 1: close_up_phase(team, n); break;
    case 4: diagram_phase(team); break;
    case 5: zone_phase(team); break;
    case 6: rows_in_phase(team, n, 426 * FIX, 0); break;
    case 7: rows_in_phase(team, n, 6 * FIX, 1); break;
    case 10: rows_out_phase(team, n, 640 * FIX); break;
    case 11: rows_out_phase(team, n, -80 * FIX); break;
    case 12: cursor_phase(team); break;
    case 13: coin_phase(team); break;
    case 14: choice_phase(team); break;
    default: break;
    }
}

void start_blink_marker(int32_t marker, int32_t blinks)
{
    const int32_t t = match_globals.ticks_last_frame;
    blink_markers[marker & 1] = BlinkMarker{blinks, 2 * t, 0};
}

void update_hud_countdown()
{
    const int32_t state = match_globals.match_state;
    if (step_blink(blink_markers[0], match_globals.ticks_last_frame)) {
        const int32_t y = state == 58 || (state >= 61 && state <= 73) ? 380 : 420;
        queue_hud_sprite(HUD_PANELS, BLINK_SPRITE_1, 580, y, 32, 256, 128, 192);
    }
}

void project_diagram_point(int32_t x, int32_t y, int32_t* sx, int32_t* sy)
{
    const auto d = static_cast<int16_t>(x - y), s = static_cast<int16_t>(x + y);
    *sx = d / 16 + 1544;
    *sy = 472 - s / 64;
}

void project_diagram_point_half(int32_t x, int32_t y, int32_t* sx, int32_t* sy)
{
    const auto d = static_cast<int16_t>(x - y), s = static_cast<int16_t>(x + y);
    *sx = d / 32 + 1544;
    *sy = 472 - s / 128;
}

void draw_overlay_by_state()
{
    const MatchGlobals& g = match_globals;
    const int32_t state = g.match_state;
    const bool hardware = presentation::use_3d_hardware() != 0;
    if (state == 11 || state == 57) {
        for (TeamRecord& t : team_records)
            if (t.human_count) draw_ring(t, true, false);
    } else if (state == 22) {
        TeamRecord* t = home_club_team();
        if (!t->human_count || t->overlay.toss_done || g.pending_cut_state != -1) return;
        if (hardware)
            activate_coin_model(200.0f, 0, 0, static_cast<float>(t->overlay.coin_frame * 0.1 * 2 * M_PI));
        else
            queue_hud_sprite(HUD_PANELS, COIN_SPRITES + t->overlay.coin_frame, t->overlay.panel_x,
                             t->overlay.panel_y, 288, 32764, 256);
    } else if (state == 23) {
        if (g.toss_winner < 0 || g.toss_winner > 1) return;
        TeamRecord& t = team_records[g.toss_winner];
        if (!t.human_count || t.overlay.toss_done) return;
        if (hardware)
            place_pointer_arrow(t.overlay.choice, t.side);
        else
            queue_hud_sprite(HUD_PANELS, TOSS_SPRITES + (t.overlay.coin_frame & 1), t.overlay.panel_x,
                             t.overlay.panel_y, 32, 32764, 256);
    } else if (state == 52) {
        if (team_records[0].overlay.set_play_done == 1 && team_records[1].overlay.set_play_done == 1) return;
        for (TeamRecord& t : team_records)
            if (t.human_count) draw_centre_bounce(t);
    } else if (state >= 58 && state <= 73) {
        if (!kick_out_overlay_live()) return;
        if (step_blink(blink_markers[1], g.ticks_last_frame))
            queue_hud_sprite(HUD_PANELS, BLINK_SPRITE_2, 10, 350, 32, 256, 128, 192);
        TeamRecord* kicking = kick_out_team();
        TeamRecord* other = kicking->other_team ? kicking->other_team
                                                : &team_records[kicking == &team_records[0] ? 1 : 0];
        draw_rows(*kicking, true);
        draw_rows(*other, false);
        if (!kicking->overlay.chosen)
            draw_selection_frame(*kicking);
        else if (!other->overlay.chosen)
            draw_selection_frame(*other);
    }
}
