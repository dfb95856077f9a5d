// The kick power and countdown bars, the 8-bit bar bitmaps and the text
// block formatter.
#include "display/hud.h"

#include "display/hud_draw.h"
#include "gl3d/sprite_queue.h"
#include "match/man_behaviours.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/match_watches.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "players/behaviour_handlers.h"
#include "screen/screen_flip.h"
#include "screen/surface.h"
#include "display/bar_models.h"

#include <algorithm>
#include <cstring>
#include <string>

PowerBar power_bar;
CountdownBar countdown_bar;
BarPlacement bar_placements[MAX_BAR_PLACEMENTS];
int32_t bar_placement_count;
int32_t power_marker_position;
HudBitmap powerbar_bitmaps[5];


void draw_run_up_bar(Surface* frame)
{
    const MatchGlobals& g = match_globals;
    if (!frame || g.meter_phase == 0 || g.meter_max <= 0)
        return;
    constexpr int32_t width = 240, height = 20, lead = 40, above_bottom = 50;
    constexpr uint8_t back = 7, fill = 0xA2;
    const int32_t run_up = std::clamp(g.meter_value, 0, g.meter_max);
    const int32_t filled = lead + static_cast<int32_t>(static_cast<int64_t>(width - lead) * run_up / g.meter_max);
    int32_t pitch = 0;
    uint8_t* pixels = lock_surface(frame, &pitch, nullptr);
    if (!pixels)
        return;
    const int32_t left = (frame->width - width) / 2, top = frame->height - above_bottom - height;
    for (int32_t y = std::max(0, top); y < top + height && y < frame->height; ++y)
        for (int32_t x = std::max(0, left); x < left + width && x < frame->width; ++x)
            pixels[y * pitch + x] = x - left < filled ? fill : back;
    unlock_surface(frame, pixels);
}

namespace {

const char* const powerbar_files[5] = {
    "game_gfx\\software\\powerbar_yellow.bmp",           "game_gfx\\software\\powerbar_orange.bmp",
    "game_gfx\\software\\powerbar_yellow_vert_ends.bmp", "game_gfx\\software\\powerbar_orange_vert_ends.bmp",
    "game_gfx\\software\\powerbar_marker.bmp",
};
enum { BAR_YELLOW, BAR_ORANGE, BAR_YELLOW_ENDS, BAR_ORANGE_ENDS, BAR_MARKER };

void place(int32_t bar, float x, float y, int32_t height, int32_t width, float fill)
{
    if (bar_placement_count < MAX_BAR_PLACEMENTS)
        bar_placements[bar_placement_count++] = {bar, x, y, height, width, fill};
}

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return le16(p) | static_cast<uint32_t>(le16(p + 2)) << 16; }

// The bars on the 8-bit screen from the bitmaps, at the same places.
void draw_software_bars()
{
    Surface* s = back_surface;
    if (!s || s->bits != 8) return;
    const int32_t w = s->width, h = s->height;
    for (int32_t i = 0; i < bar_placement_count; ++i) {
        const BarPlacement& p = bar_placements[i];
        int32_t which = p.height == 23 ? (p.bar == 0 ? BAR_YELLOW : BAR_ORANGE) : BAR_YELLOW_ENDS;
        HudBitmap b = powerbar_bitmaps[which];
        b.mirrored = p.bar == 0;
        const auto x = static_cast<int32_t>(320 - p.x), y = static_cast<int32_t>(240 - p.y);
        draw_bitmap_bar(b, s->pixels.data(), s->pitch, w, h, x, y, p.width, p.fill);
    }
}

} // namespace

void open_hud_panel()
{
    if (power_bar.open) return;
    power_bar = PowerBar{1, 640, 480};
    MatchGlobals& g = match_globals;
    g.meter_value = 0;
    g.meter_phase = 0;
    if (g.selected_man) g.meter_max = kick_range(g.selected_man);
}

void open_side_panel(int32_t length)
{
    if (countdown_bar.open) return;
    countdown_bar = CountdownBar{1, 160, 420, match_globals.period_clock, length};
}

void close_hud_panels()
{
    power_bar.open = 0;
    countdown_bar.open = 0;
}

void run_bar_pass()
{
    MatchGlobals& g = match_globals;
    bar_placement_count = 0;
    if (power_bar.open) {
        if (g.meter_phase != 0) set_team_clock_mark_15s();
        const double maximum = g.meter_max > 0 ? g.meter_max : 1;
        const double p1 = g.meter_value / maximum * 100;
        place(0, 87.0f, -208.0f, 23, 240, static_cast<float>(p1));
        if (g.meter_phase == -2) {
            const double s = g.meter_stored;
            const double p2 = (s - g.meter_value) / maximum * 100;
            const double x = 87.0 - s / maximum * 240;
            place(1, static_cast<float>(x), -208.0f, 23, 304, static_cast<float>(p2));
            power_marker_position = static_cast<int32_t>((320 - x) - (p2 * 3.04 + 201.0));
        }
    } else if (countdown_bar.open) {
        set_team_clock_mark_20s();
        if (countdown_bar.length != 0) {
            double p = (countdown_bar.start_clock - g.period_clock) * 0.5 / countdown_bar.length * 100;
            if (p > 100) {
                p = 100;
                if (g.selected_man) set_restart_target(g.selected_man);
            }
            place(0, 118.0f, -209.0f, 10, 235, static_cast<float>(p));
            place(1, -116.0f, -220.0f, 10, 235, static_cast<float>(p));
        }
    }
    if (presentation::use_3d_hardware()) {
        for (int32_t i = 0; i < bar_placement_count; ++i) {
            const BarPlacement& p = bar_placements[i];
            const float point[2] = {p.x, p.y};
            place_screen_model(p.bar, point, p.height, p.width, p.fill);
        }
        draw_side_bars();
    } else {
        draw_software_bars();
    }
}

namespace {

void bar_callback(intptr_t, int16_t, int16_t, float) { run_bar_pass(); }

} // namespace

void draw_power_bar_any()
{
    if (presentation::use_3d_hardware())
        queue_sprite_callback(bar_callback, 0, 0, 0, 0, 1, 0);
    else
        run_bar_pass();
}

void draw_bitmap_bar(const HudBitmap& b, uint8_t* screen, int32_t pitch, int32_t screen_w, int32_t screen_h,
                     int32_t x, int32_t y, int32_t full_length, double percent)
{
    if (!b.pixels || b.width <= 0 || b.height <= 0) return;
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    int32_t length = static_cast<int32_t>(percent * 0.01 * full_length);
    if (length > b.width) length = b.width;
    for (int32_t row = 0; row < b.height; ++row) {
        const int32_t sy = y + row;
        if (sy < 0 || sy >= screen_h) continue;
        for (int32_t i = 0; i < length; ++i) {
            // Leftward from the point unless mirrored.
            const int32_t sx = b.mirrored ? x + i : x - i;
            const int32_t bx = b.mirrored ? i : b.width - 1 - i;
            if (sx < 0 || sx >= screen_w) continue;
            const uint8_t v = b.pixels[row * b.width + bx];
            if (v) screen[sy * pitch + sx] = v;
        }
    }
}

int32_t bitmap_from_memory(const uint8_t* d, uint32_t size, uint8_t** pixels, int32_t* width, int32_t* height)
{
    *pixels = nullptr;
    *width = *height = 0;
    if (size < 26 || d[0] != 'B' || d[1] != 'M') return 0;
    const uint32_t data_offset = le32(d + 10), header = le32(d + 14);
    int32_t w, h;
    uint32_t bits;
    if (header == 12) {
        w = le16(d + 18);
        h = static_cast<int16_t>(le16(d + 20));
        bits = le16(d + 24);
    } else if (header >= 40 && size >= 54) {
        w = static_cast<int32_t>(le32(d + 18));
        h = static_cast<int32_t>(le32(d + 22));
        bits = le16(d + 28);
        if (le32(d + 30) != 0) return 0; // compressed
    } else {
        return 0;
    }
    const bool top_down = h < 0;
    if (h == INT32_MIN) return 0; // no height to turn it into
    if (top_down) h = -h;
    // Only 8-bit bitmaps make bars.
    if (bits != 8 || w <= 0 || h <= 0 || w > 4096 || h > 4096) return 0;
    const uint32_t stride = (static_cast<uint32_t>(w) + 3) & ~3u;
    if (data_offset > size || static_cast<uint64_t>(stride) * h > size - data_offset) return 0;
    auto* out = static_cast<uint8_t*>(alloc_mem(static_cast<uint32_t>(w * h), "powerbar bitmap"));
    for (int32_t row = 0; row < h; ++row) {
        const int32_t src = top_down ? row : h - 1 - row;
        std::memcpy(out + row * w, d + data_offset + static_cast<size_t>(src) * stride, static_cast<size_t>(w));
    }
    *pixels = out;
    *width = w;
    *height = h;
    return 1;
}

int32_t bitmap_to_surface(const char* path, uint8_t** pixels, int32_t* width, int32_t* height)
{
    *pixels = nullptr;
    *width = *height = 0;
    if (!file_exists(path)) return 0;
    uint32_t size = 0;
    uint8_t* data = load_file(path, &size);
    const int32_t ok = bitmap_from_memory(data, size, pixels, width, height);
    const bool bitmap = size >= 2 && data[0] == 'B' && data[1] == 'M';
    free_mem(data);
    // A missing bar, or a file that is no bitmap at all, is left undrawn; a
    // bitmap that cannot be a bar is refused.
    if (!ok && bitmap)
        refuse_data_file("bitmap_to_surface", path, "not an uncompressed 8-bit bitmap of at most 4096 x 4096 whose rows the file holds");
    return ok;
}

void load_powerbar_bitmaps()
{
    free_powerbar_bitmaps();
    for (int32_t i = 0; i < 5; ++i) {
        HudBitmap& b = powerbar_bitmaps[i];
        bitmap_to_surface(powerbar_files[i], &b.pixels, &b.width, &b.height);
    }
}

void free_powerbar_bitmaps()
{
    for (HudBitmap& b : powerbar_bitmaps) {
        if (b.pixels) free_mem(b.pixels);
        b = HudBitmap{};
    }
}

// ---- The formatter ----

void release_text_block(TextBlock* block)
{
    for (char*& line : block->lines) {
        if (line) free_mem(line);
        line = nullptr;
    }
    block->count = 0;
}

int32_t format_text_block(TextBlock* block, const char* text, int32_t width)
{
    std::memset(block->lines, 0, sizeof block->lines);
    block->count = 0;
    if (!text || !*text) return 0;
    const int32_t total = hud_text_width(text);
    int32_t balance = total;
    for (int32_t k = 2; balance > width && width > 0; ++k) balance = total / k;
    auto new_line = [block] {
        char* line = static_cast<char*>(alloc_mem(TEXT_BLOCK_LINE_SIZE, "format_array"));
        line[0] = 0;
        block->lines[block->count++] = line;
        return line;
    };
    char* line = new_line();
    size_t used = 0;
    const char* p = text;
    while (*p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        const char* end = p;
        while (*end && *end != ' ') ++end;
        std::string word(p, end);
        const char* rest = end;
        while (*rest == ' ') ++rest;
        if (*rest) word += ' ';
        if (used > 0) {
            const int32_t line_w = hud_text_width(line);
            if ((line_w + hud_text_width(word.c_str()) > width || line_w > balance) && block->count < TEXT_BLOCK_LINES) {
                line = new_line();
                used = 0;
            }
        }
        // A line keeps what fits its buffer.
        const size_t room = TEXT_BLOCK_LINE_SIZE - 1 - used;
        const size_t n = word.size() < room ? word.size() : room;
        std::memcpy(line + used, word.data(), n);
        used += n;
        line[used] = 0;
        p = end;
    }
    return hud_text_height(text);
}
