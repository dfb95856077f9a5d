// Sprite sets, fonts and the drawn log of the HUD.
#include "display/hud_draw.h"

#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "match/match_hooks.h"
#include "platform/files.h"
#include "screen/fonts.h"

#include <cstring>

bool hud_capture;
std::vector<HudDrawn> hud_drawn;

namespace {

struct LoadedSet {
    int32_t slot = -1;
    uint8_t companion[4096];
};
LoadedSet sets[2];
bool fonts_loaded;
int32_t font_slot_selected;

constexpr int32_t MATCH_FONT_FIRST = 16;
constexpr int32_t MATCH_FONT_SLOTS = 5;

} // namespace

void reset_hud_draw()
{
    hud_drawn.clear();
    hud_capture = false;
    font_slot_selected = 0;
}

int32_t load_hud_sprite_set(int32_t set, const char* hardware_name, const char* software_name)
{
    free_hud_sprite_set(set);
    const bool hardware = presentation::use_3d_hardware() != 0;
    // The sprite layer reads the kind of set its switch names: a bank on the
    // texture path (or the reverse) would be read as the wrong format.
    if (hardware != (get_sprite_set_mode() != 0)) return -1;
    const char* name = hardware ? hardware_name : software_name;
    // Without the set (a data set without HUD pictures) nothing is drawn.
    if (!file_exists(name)) return -1;
    sets[set].slot = load_sprite_set(name, sets[set].companion, sizeof sets[set].companion);
    return sets[set].slot;
}

void free_hud_sprite_set(int32_t set)
{
    if (sets[set].slot >= 0) free_sprite_set(sets[set].slot);
    sets[set].slot = -1;
}

void load_panels() { load_hud_sprite_set(HUD_PANELS, "game_gfx\\hardware\\panels.sph", "game_gfx\\software\\panels.spr"); }
void free_panels() { free_hud_sprite_set(HUD_PANELS); }

void load_match_fonts()
{
    for (int32_t s = 0; s < MATCH_FONT_SLOTS; ++s) load_font(s, MATCH_FONT_FIRST + s);
    select_font(0);
    fonts_loaded = true;
}

void free_match_fonts()
{
    for (int32_t s = 0; s < MATCH_FONT_SLOTS; ++s) free_font(s);
    fonts_loaded = false;
}

void queue_hud_sprite(int32_t set, int32_t sprite, int32_t x, int32_t y, int32_t flags, int32_t depth,
                      int32_t scale, int32_t alpha)
{
    if (hud_capture) hud_drawn.push_back({set, sprite, x, y, flags, depth, scale, alpha, {}});
    const int32_t slot = sets[set].slot;
    if (slot < 0 || sprite < 0) return;
    const void* frame = presentation::use_3d_hardware()
                            ? static_cast<const void*>(sprite_set_record(slot, static_cast<uint32_t>(sprite)))
                            : static_cast<const void*>(sprite_bank_sprite(slot, static_cast<uint32_t>(sprite)));
    if (!frame) return;
    const auto x16 = static_cast<int16_t>(x), y16 = static_cast<int16_t>(y);
    if (alpha < 0)
        queue_sprite_if_enabled(frame, x16, y16, static_cast<uint16_t>(flags), static_cast<int16_t>(depth),
                                static_cast<uint16_t>(scale), 0);
    else
        queue_sprite_ex_if_enabled(frame, x16, y16, static_cast<uint16_t>(flags), static_cast<int16_t>(depth),
                                   static_cast<uint16_t>(scale), 0, static_cast<uint8_t>(alpha));
}

void select_hud_font(int32_t slot)
{
    font_slot_selected = slot;
    if (fonts_loaded && !hud_capture) select_font(static_cast<int16_t>(slot));
}

void draw_hud_text(const char* text, int32_t x, int32_t y, int32_t slot)
{
    if (hud_capture) {
        hud_drawn.push_back({-1, slot, x, y, 0, 0, 0, 0, text});
        return;
    }
    if (fonts_loaded) draw_string(text, x, y, slot, 0);
}

int32_t hud_text_width(const char* text)
{
    if (hud_capture || !fonts_loaded) return 8 * static_cast<int32_t>(std::strlen(text));
    return string_width(text);
}

int32_t hud_text_height(const char* text)
{
    if (hud_capture || !fonts_loaded) return 16;
    return string_height(text);
}
