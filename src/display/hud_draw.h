// What the HUD draws with: the panel and replay sprite sets, the five match
// font slots, and a log of what was queued, kept while a test asks for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum HudSpriteSet : int32_t { HUD_PANELS = 0, HUD_REPLAY = 1 };

// The panel sprite set's frames the HUD draws; frames 0 to 15 are the match
// screen's radar, bottom bar and pause plate (its OverlaySprite numbers), and
// the numbers between are kept free.
enum HudPanelSprite : int32_t {
    PANEL_RING = 19,           // the four set-play options on the ring
    PANEL_DIAGRAM_MARKER = 23, // a chosen diagram's point at the screen edge
    PANEL_KICKING_ROWS = 24,   // the kicking team's eight kick-out options
    PANEL_OTHER_ROWS = 32,     // the other team's eight
    PANEL_ROW_CORNER = 40,     // a corner of the selection frame
    PANEL_SCORE = 41,
    PANEL_BANNER_LEFT = 42,
    PANEL_BANNER_RIGHT = 43,
    PANEL_COINS = 58, // eleven turns of the coin; at rest on 0 and 5
    PANEL_TOSS = 69,  // the toss winner's choice: choice 2, then choice 1
    PANEL_BLINK_2 = 71,
    PANEL_BLINK_1 = 72,
    PANEL_BADGES = 73, // one a club
    PANEL_FRAME_COUNT = PANEL_BADGES + 16
};

// alpha -1: the plain queue operation.
void queue_hud_sprite(int32_t set, int32_t sprite, int32_t x, int32_t y, int32_t flags, int32_t depth,
                      int32_t scale, int32_t alpha = -1);
// Text in one of the five match font slots.
void draw_hud_text(const char* text, int32_t x, int32_t y, int32_t slot);
int32_t hud_text_width(const char* text);
int32_t hud_text_height(const char* text);
void select_hud_font(int32_t slot);

void load_panels();
void free_panels();
int32_t load_hud_sprite_set(int32_t set, const char* hardware_name, const char* software_name);
void free_hud_sprite_set(int32_t set);
void load_match_fonts();
void free_match_fonts();

// The log: every queued sprite and drawn text while capture is on.
struct HudDrawn {
    int32_t set; // -1 for text
    int32_t sprite;
    int32_t x, y, flags, depth, scale, alpha;
    std::string text;
};
extern bool hud_capture;
extern std::vector<HudDrawn> hud_drawn;
// Text widths while capturing: 8 pixels a character, 16 high.
void reset_hud_draw();
