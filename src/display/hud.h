// The match HUD: the message banner, the clock and score panels, the period
// notices, the kick power and countdown bars, the text block formatter, and
// the set-play overlays drawn by match state.
#pragma once

#include <cstdint>

struct Surface;

struct TeamRecord;

// ---- Banner, clock and score ----

constexpr int32_t HUD_TEXT_SIZE = 64;
constexpr int32_t HUD_SLOTS = 3;

struct HudTextSlot {
    char text[HUD_TEXT_SIZE];
    int32_t x, y;
};
extern HudTextSlot hud_text_slots[HUD_SLOTS];

struct MessageBanner {
    int32_t kind;   // 0 none, 1 text lines, 2 club scores
    int32_t step;   // 0 idle, 1 sliding up, 2 holding, 3 sliding down
    int32_t offset; // 80 down, 0 up
    int32_t hold;
    int32_t duration; // seconds
};
extern MessageBanner message_banner;

struct ClockPanel {
    int32_t shown;
    int32_t step;   // 0 hidden, 1 sliding in, 2 in place, 3 sliding out
    int16_t offset; // -80 out of sight, 0 in place
};
extern ClockPanel clock_panel;

// The HUD pause pair's remembered flag.
extern int32_t hud_pause_remembered;

void reset_hud();

int32_t open_message_banner(int32_t duration);
int32_t open_message_banner2(int32_t duration);
void clear_message_banner();
void blank_message_banner();
void set_hud_text(int32_t x, int32_t y, const char* text, int32_t slot);
void show_message(const char* text);
void place_centred_hud_text(const char* text, int32_t line);
void update_message_banner();
void draw_message_banner();
void step_banner_hold(); // per game tick
int32_t message_banner_busy();

void init_clock_panel();
void format_clock_text();
void draw_clock_text();
// "mm:ss" of the period clock shown as twenty minutes.
void clock_text(char* out, int32_t size);
void format_score_text();
void draw_score_clock();
void draw_team_names();
void draw_anim_names(const char* const* options, int32_t first);
void pause_hud_flag();
void resume_hud_flag();
void clear_period_end_state();
int32_t int_to_text(int32_t value, char* out);
int32_t printable_length(const char* text);
void reverse_printable(char* text);
// The club's short name as the score panel shows it.
void club_abbreviation(int32_t club, char* out, int32_t size);

// ---- Bars and the formatter ----

struct PowerBar {
    int32_t open;
    int32_t base_w, base_h;
};
struct CountdownBar {
    int32_t open;
    int32_t base_w, base_h;
    int32_t start_clock, length;
};
extern PowerBar power_bar;
extern CountdownBar countdown_bar;

// One bar placed for the frame: which model, its point, size and fill.
struct BarPlacement {
    int32_t bar; // 0 left to right, 1 right to left
    float x, y;
    int32_t height, width;
    float fill;
};
constexpr int32_t MAX_BAR_PLACEMENTS = 4;
extern BarPlacement bar_placements[MAX_BAR_PLACEMENTS];
extern int32_t bar_placement_count;
extern int32_t power_marker_position; // for the match core

void open_hud_panel();
void open_side_panel(int32_t length);
void close_hud_panels();
void draw_power_bar_any();
void run_bar_pass();
// The software screen's run-up bar of a set kick: 240 x 20 pixels across the
// middle of the frame surface, 50 rows above its bottom edge; colour 7
// behind, the first 40 pixels colour 0xA2 and then the run-up's share of the
// rest. Nothing while no set kick runs (the kick meter is still). Nothing in
// the match draws it.
void draw_run_up_bar(Surface* frame);

struct HudBitmap {
    uint8_t* pixels;
    int32_t width, height;
    int32_t mirrored;
};
extern HudBitmap powerbar_bitmaps[5];
void load_powerbar_bitmaps();
void free_powerbar_bitmaps();
// 1 and the 8-bit pixels (rows top first) of a BMP, 0 when the file is
// missing or no BMP ("BM"); a BMP that is not a whole 8-bit one ends the
// game (fatal 202, naming the file).
int32_t bitmap_to_surface(const char* path, uint8_t** pixels, int32_t* width, int32_t* height);
int32_t bitmap_from_memory(const uint8_t* data, uint32_t size, uint8_t** pixels, int32_t* width, int32_t* height);
// Copies percent of a bar onto an 8-bit screen, 0 transparent.
void draw_bitmap_bar(const HudBitmap& b, uint8_t* screen, int32_t pitch, int32_t screen_w, int32_t screen_h,
                     int32_t x, int32_t y, int32_t full_length, double percent);

constexpr int32_t TEXT_BLOCK_LINES = 500;
constexpr int32_t TEXT_BLOCK_LINE_SIZE = 1280;
struct TextBlock {
    char* lines[TEXT_BLOCK_LINES];
    int32_t count;
};
// Word-wraps into balanced lines no wider than width; the line height, 0
// for an empty text. The caller releases the block.
int32_t format_text_block(TextBlock* block, const char* text, int32_t width);
void release_text_block(TextBlock* block);

// ---- The set-play overlays ----

struct ThrowInZone {
    int32_t centre_x, centre_y, radius_x, radius_y, kind;
};
extern ThrowInZone throw_in_zones[2];
extern int32_t overlay_throw_angle;
extern int32_t coin_accumulator;
extern int32_t rows_ready[2]; // the kicking team's rows, the other team's
struct BlinkMarker {
    int32_t blinks, on_time, off_time;
};
extern BlinkMarker blink_markers[2];

void init_team_overlay(TeamRecord* team, int32_t kind, int32_t n);
int32_t arrange_overlay_ring(TeamRecord* team, int32_t busy, int32_t first, int32_t n);
void update_team_overlay(TeamRecord* team, int32_t phase, int32_t n);
void update_hud_countdown();
// A blink marker started: blinks, off-time 0, on-time 2t.
void start_blink_marker(int32_t marker, int32_t blinks);
void project_diagram_point(int32_t x, int32_t y, int32_t* sx, int32_t* sy);
void project_diagram_point_half(int32_t x, int32_t y, int32_t* sx, int32_t* sy);
// The overlay's drawing by match state (the HUD pass's last step).
void draw_overlay_by_state();
// The kicking team in the kick-out states: the team of the controlled man.
TeamRecord* kick_out_team();

void install_hud_hooks();
