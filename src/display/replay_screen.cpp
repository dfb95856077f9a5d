// The replay screen and its panel.
#include "display/replay_screen.h"

#include "display/camera_presets.h"
#include "display/match_sound.h"
#include "display/hud_draw.h"
#include "display/match_scene.h"
#include "display/screenshot.h"
#include "gl3d/display_device.h"
#include "gl3d/render_state.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/message_pump.h"
#include "platform/mouse.h"

#include <chrono>
#include <cmath>
#include <cstring>

ReplayScreen replay_screen;

namespace {

constexpr uint8_t KEY_R = 19, KEY_L = 38, KEY_B = 48, KEY_LCTRL = 29, KEY_RCTRL = 157;

struct ControlPlace {
    int32_t dx, dy, w, h;
};
// Positions from the panel origin, and the size the mouse answers to.
constexpr ControlPlace control_places[RC_COUNT] = {
    {12, 41, 24, 10},                                                     // leave
    {98, 3, 28, 10},  {98, 15, 28, 10}, {98, 27, 28, 10}, {98, 39, 28, 10}, // forward
    {67, 3, 28, 10},  {67, 15, 28, 10}, {67, 27, 28, 10}, {67, 39, 28, 10}, // backward
    {139, 3, 24, 8},  {139, 13, 24, 8}, {139, 23, 24, 8}, {139, 33, 24, 8}, {139, 43, 24, 8},
    {0, 0, 170, 56}, // the panel
    {12, 10, 8, 12},  {22, 10, 8, 12},  {32, 10, 8, 12},  {42, 10, 8, 12},
};
// The speed buttons' modes, by control.
constexpr int32_t control_mode[RC_COUNT] = {0, 1, 6, 3, 13, 2, 8, 14, 16};
// Where the highlight stands on a button.
constexpr int32_t HIGHLIGHT_DX = -4, HIGHLIGHT_DY = 0;

struct SavedMatch {
    BallState ball;
    PlayerSlot men[2][TEAM_SLOTS];
    PlayerSlot officials[OFFICIAL_COUNT];
    uint8_t state, previous_state;
    PlayerSlot* holder;
    PlayerSlot* controlled;
    PlayerSlot* official;
    int32_t view;
    CameraPreset cameras[CAMERA_PRESETS];
};
SavedMatch saved;

uint32_t now_ms()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool inside(int32_t control, int32_t x, int32_t y)
{
    const ReplayScreen& s = replay_screen;
    const ControlPlace& p = control_places[control];
    return x >= s.control_x[control] && x < s.control_x[control] + p.w && y >= s.control_y[control] &&
           y < s.control_y[control] + p.h;
}

void place_cameras_at_ball()
{
    for (CameraPreset& c : camera_presets) place_camera_at_ball(&c);
}

void highlight(int32_t control)
{
    ReplayScreen& s = replay_screen;
    s.highlight_x = s.control_x[control] + HIGHLIGHT_DX;
    s.highlight_y = s.control_y[control] + HIGHLIGHT_DY;
}

ReplayNode* first_of(ReplayNode* a, ReplayNode* b)
{
    for (ReplayNode* n = replay_buffer.head; n; n = n->next)
        if (n == a || n == b) return n;
    return nullptr;
}

} // namespace

void reset_replay_screen()
{
    replay_screen = ReplayScreen{};
    replay_playback = ReplayPlayback{};
    screenshot_state = 0;
}

double frames_per_tick_figure()
{
    const ReplayBuffer& b = replay_buffer;
    if (!b.head || !b.tail || b.count == 0) return 1;
    const double f = (static_cast<double>(frame_tick(b.tail->frame)) - frame_tick(b.head->frame)) / b.count;
    return f > 0 ? f : 1;
}

void layout_replay_panel()
{
    ReplayScreen& s = replay_screen;
    for (int32_t c = 0; c < RC_COUNT; ++c) {
        s.control_x[c] = s.panel_x + control_places[c].dx;
        s.control_y[c] = s.panel_y + control_places[c].dy;
    }
}

void move_replay_panel(int32_t dx, int32_t dy)
{
    replay_screen.panel_x += dx;
    replay_screen.panel_y += dy;
    replay_screen.highlight_x += dx;
    replay_screen.highlight_y += dy;
    layout_replay_panel();
}

void drag_replay_panel(int32_t mouse_x, int32_t mouse_y, uint8_t buttons)
{
    ReplayScreen& s = replay_screen;
    if (!s.dragging) return;
    if (!(buttons & MOUSE_LEFT)) {
        s.dragging = 0;
        return;
    }
    move_replay_panel(mouse_x - s.drag_x, mouse_y - s.drag_y);
    s.drag_x = mouse_x;
    s.drag_y = mouse_y;
}

int32_t compare_controls_yx(int32_t a, int32_t b)
{
    const ReplayScreen& s = replay_screen;
    if (s.control_y[a] != s.control_y[b]) return s.control_y[a] < s.control_y[b] ? -1 : 1;
    if (s.control_x[a] != s.control_x[b]) return s.control_x[a] < s.control_x[b] ? -1 : 1;
    return 0;
}

void select_replay_mode(int32_t mode)
{
    ReplayPlayback& p = replay_playback;
    // A second press of a running speed pauses; the single steps always step.
    if (mode != 3 && mode != 14 && p.mode == mode)
        p.mode = 0;
    else
        p.mode = mode;
    if (p.mode == 0 || p.mode == 3 || p.mode == 14) p.accumulator = 0;
}

void set_replay_in_mark()
{
    ReplayScreen& s = replay_screen;
    s.in_mark = replay_buffer.current;
    s.in_set = s.in_mark != nullptr;
}

void set_replay_out_mark()
{
    ReplayScreen& s = replay_screen;
    s.out_mark = replay_buffer.current;
    s.out_set = s.out_mark != nullptr;
}

void press_replay_control(int32_t c)
{
    ReplayScreen& s = replay_screen;
    switch (c) {
    case RC_LEAVE: s.playback = 0; break;
    case RC_PLAY_FORWARD: case RC_FAST_FORWARD: case RC_STEP_FORWARD: case RC_SLOW_FORWARD:
    case RC_PLAY_BACKWARD: case RC_FAST_BACKWARD: case RC_STEP_BACKWARD: case RC_SLOW_BACKWARD:
        select_replay_mode(control_mode[c]);
        highlight(c);
        break;
    case RC_IN_MARK:
        if (s.in_set) s.in_set = 0, s.in_mark = nullptr;
        else set_replay_in_mark();
        highlight(c);
        break;
    case RC_OUT_MARK:
        if (s.out_set) s.out_set = 0, s.out_mark = nullptr;
        else set_replay_out_mark();
        highlight(c);
        break;
    case RC_CUT_BETWEEN:
        s.cut_between = !s.cut_between;
        if (s.cut_between) s.cut_outside = 0;
        break;
    case RC_CUT_OUTSIDE:
        s.cut_outside = !s.cut_outside;
        if (s.cut_outside) s.cut_between = 0;
        break;
    case RC_CUT: cut_replay(); break;
    case RC_PANEL:
        s.dragging = 1;
        s.drag_x = mouse_state.x;
        s.drag_y = mouse_state.y;
        break;
    default: break;
    }
}

bool replay_control_lit(int32_t c)
{
    const ReplayScreen& s = replay_screen;
    if (c >= RC_PLAY_FORWARD && c <= RC_SLOW_BACKWARD) return replay_playback.mode == control_mode[c];
    switch (c) {
    case RC_IN_MARK: return s.in_set;
    case RC_OUT_MARK: return s.out_set;
    case RC_CUT_BETWEEN: return s.cut_between;
    case RC_CUT_OUTSIDE: return s.cut_outside;
    case RC_CUT: return s.edited;
    default: return false;
    }
}

void update_replay_clock()
{
    ReplayScreen& s = replay_screen;
    const int32_t p = static_cast<int32_t>(replay_position() / frames_per_tick_figure());
    const int32_t sec = p % 60, min = p / 60;
    s.digits[0] = min / 10;
    s.digits[1] = min % 10;
    s.digits[2] = sec / 10;
    s.digits[3] = sec % 10;
}

void blink_replay_indicator()
{
    ReplayScreen& s = replay_screen;
    if (s.indicator_lit) queue_hud_sprite(HUD_REPLAY, RS_INDICATOR, 10, 10, 32, 125, 256);
    if (replay_countdowns[0] <= 0) {
        s.indicator_lit = !s.indicator_lit;
        replay_countdowns[0] = s.indicator_lit ? 31 : 15;
    }
}

void cut_replay()
{
    ReplayScreen& s = replay_screen;
    ReplayBuffer& b = replay_buffer;
    s.edited = 1;
    // Marks left over from before a reset point at pooled nodes: cut only
    // when both still stand in the list.
    if (s.in_set && s.out_set && (s.cut_between || s.cut_outside) && replay_node_listed(s.in_mark) &&
        replay_node_listed(s.out_mark)) {
        ReplayNode* first = first_of(s.in_mark, s.out_mark);
        ReplayNode* second = first == s.in_mark ? s.out_mark : s.in_mark;
        const bool was_current_listed = b.current != nullptr;
        int32_t phase = 0; // 0 before the first mark, 1 between, 2 after the second
        for (ReplayNode* n = b.head; n;) {
            ReplayNode* next = n->next;
            bool remove = false;
            if (n == first) {
                phase = first == second ? 2 : 1;
            } else if (n == second) {
                phase = 2;
            } else {
                remove = (phase == 1 && s.cut_between) || (phase != 1 && s.cut_outside);
            }
            if (remove) release_replay_node(n);
            n = next;
        }
        if (was_current_listed && !b.current && b.head) {
            b.current = b.head;
            apply_current_replay_frame();
            place_cameras_at_ball();
        }
    }
    forget_replay_marks();
}

void forget_replay_marks()
{
    ReplayScreen& s = replay_screen;
    s.in_set = s.out_set = 0;
    s.in_mark = s.out_mark = nullptr;
    s.cut_between = s.cut_outside = 0;
}

int32_t load_replay_sprites()
{
    return load_hud_sprite_set(HUD_REPLAY, "game_gfx\\hardware\\replaysp.sph", "game_gfx\\software\\replaysp.spr");
}
void free_replay_sprites() { free_hud_sprite_set(HUD_REPLAY); }

void open_replay_screen()
{
    ReplayScreen& s = replay_screen;
    MatchGlobals& g = match_globals;
    saved.ball = ball_state;
    for (int t = 0; t < 2; ++t) std::memcpy(saved.men[t], team_records[t].slots, sizeof saved.men[t]);
    std::memcpy(saved.officials, official_slots, sizeof saved.officials);
    load_replay_sprites();
    s.panel_x = s.panel_y = 50;
    layout_replay_panel();
    saved.state = g.match_state;
    saved.previous_state = g.previous_match_state;
    saved.holder = g.ball_holder;
    saved.controlled = g.selected_man;
    saved.official = g.umpire_with_ball;
    saved.view = camera_view;
    replay_buffer.current = replay_buffer.head;
    replay_playback = ReplayPlayback{};
    s.playback = 1;
    highlight(RC_PLAY_FORWARD);
    s.frames_per_tick = frames_per_tick_figure();
    mouse_state.x = 320;
    mouse_state.y = 240;
    if (camera_view == 1) camera_view = 9;
    apply_current_replay_frame();
    place_cameras_at_ball();
    update_match_camera();
    s.in_replay = 1;
}

void close_replay_screen()
{
    ReplayScreen& s = replay_screen;
    MatchGlobals& g = match_globals;
    ball_state = saved.ball;
    for (int t = 0; t < 2; ++t) std::memcpy(team_records[t].slots, saved.men[t], sizeof saved.men[t]);
    std::memcpy(official_slots, saved.officials, sizeof saved.officials);
    for (PlayerSlot* group : {team_records[0].slots, team_records[1].slots})
        for (int i = 0; i < TEAM_SLOTS; ++i) group[i].model.primary.animation = group[i].model.blend.animation = -1;
    for (PlayerSlot& o : official_slots) o.model.primary.animation = o.model.blend.animation = -1;
    g.match_state = saved.state;
    g.previous_match_state = saved.previous_state;
    g.ball_holder = saved.holder;
    g.selected_man = saved.controlled;
    g.umpire_with_ball = saved.official;
    if (camera_view == 9) camera_view = 1;
    replay_playback.mode = 0;
    replay_buffer.current = replay_buffer.tail;
    s.playback = 0;
    s.in_replay = 0;
    free_replay_sprites();
}

bool mouse_on_replay_panel(int32_t x, int32_t y) { return !replay_screen.panel_hidden && inside(RC_PANEL, x, y); }

void replay_panel_pass(int32_t mx, int32_t my, uint8_t buttons, uint8_t clicked)
{
    ReplayScreen& s = replay_screen;
    queue_hud_sprite(HUD_REPLAY, RS_POINTER, mx, my, 32, 250, 256);
    if (!s.panel_hidden) {
        drag_replay_panel(mx, my, buttons);
        // The buttons take the click before the panel under them.
        int32_t pressed = -1;
        for (int32_t c = 0; c < RC_COUNT; ++c) {
            int32_t state = replay_control_lit(c) ? 1 : 0;
            if (inside(c, mx, my)) {
                state = clicked & MOUSE_LEFT ? 3 : (buttons & MOUSE_LEFT ? 4 : 2);
                if (clicked & MOUSE_LEFT && pressed < 0 && c != RC_PANEL) pressed = c;
            }
            s.control_state[c] = state;
        }
        if (pressed < 0 && clicked & MOUSE_LEFT && inside(RC_PANEL, mx, my)) pressed = RC_PANEL;
        if (pressed >= 0) press_replay_control(pressed);
        queue_hud_sprite(HUD_REPLAY, RS_PANEL, s.control_x[RC_PANEL], s.control_y[RC_PANEL], 32, 125, 256);
        for (int32_t c = 0; c < RC_PANEL; ++c)
            queue_hud_sprite(HUD_REPLAY, RS_BUTTONS + c * RS_BUTTON_STATES + s.control_state[c], s.control_x[c],
                             s.control_y[c], 32, 125, 256);
        for (int32_t d = 0; d < 4; ++d)
            if (s.digits[d] >= 0 && s.digits[d] <= 9)
                queue_hud_sprite(HUD_REPLAY, RS_DIGITS + s.digits[d], s.control_x[RC_DIGIT_0 + d],
                                 s.control_y[RC_DIGIT_0 + d], 32, 125, 256);
        queue_hud_sprite(HUD_REPLAY, RS_HIGHLIGHT, s.highlight_x, s.highlight_y, 32, 124, 256);
    }
    blink_replay_indicator();
}

int32_t replay_screen_frame(uint32_t now)
{
    ReplayScreen& s = replay_screen;
    apply_current_replay_frame();
    update_replay_clock();
    if (key_state[KEY_ESCAPE]) {
        key_state[KEY_ESCAPE] = 0;
        s.playback = 0;
    } else if (key_state[KEY_B]) {
        key_state[KEY_B] = 0;
        if (current_camera) place_camera_at_ball(current_camera);
    }
    const bool ctrl = key_state[KEY_LCTRL] || key_state[KEY_RCTRL];
    if (ctrl && key_state[KEY_R]) key_state[KEY_R] = 0, s.diagnostic_a = !s.diagnostic_a;
    if (ctrl && key_state[KEY_L]) key_state[KEY_L] = 0, s.diagnostic_b = !s.diagnostic_b;
    const uint32_t elapsed = static_cast<uint32_t>(s.carried_ms) + (now - s.stamp_a);
    s.stamp_a = now;
    const int32_t k = static_cast<int32_t>(elapsed / REPLAY_TICK_MS);
    s.carried_ms = static_cast<int32_t>(elapsed - k * REPLAY_TICK_MS);
    if (k > 0) step_replay(k, 0);
    return s.playback;
}

void run_replay_screen()
{
    ReplayScreen& s = replay_screen;
    crowd_react(-1);
    open_replay_screen();
    s.stamp_a = s.stamp_b = now_ms();
    while (s.playback) {
        pump_messages();
        poll_live_input();
        poll_mouse();
        if (!replay_screen_frame(now_ms())) break;
        if (screenshot_state == 1) {
            screenshot_state = 2;
        } else if (screenshot_state == 2) {
            take_screenshot();
            screenshot_state = 0;
            continue;
        }
        replay_panel_pass(mouse_state.x, mouse_state.y, mouse_state.buttons, mouse_state.new_buttons);
        begin_scene();
        draw_3d_frame();
        end_scene();
        present_and_clear();
    }
    close_replay_screen();
    crowd_react(3);
    rebase_timer(&match_tick_record);
}

void enter_replay()
{
    MatchGlobals& g = match_globals;
    if (!key_state[KEY_R]) return;
    if (key_state[KEY_LCTRL] || key_state[KEY_RCTRL]) return;
    if (g.game_type == GAME_DEMO || g.closing_transition_running || g.opening_transition_running ||
        g.pending_cut_state != -1)
        return;
    key_state[KEY_R] = 0;
    // Nothing recorded yet: nothing to look back on.
    if (!replay_buffer.head) return;
    presentation::fade_palette_out();
    replay_screen.entered_from_match = 1;
    std::memcpy(saved.cameras, camera_presets, sizeof saved.cameras);
    run_replay_screen();
    std::memcpy(camera_presets, saved.cameras, sizeof saved.cameras);
    camera_view = saved.view;
    auto_camera_active = 0;
    update_match_camera();
    presentation::fade_palette_in();
    replay_screen.entered_from_match = 0;
}
