// The game's fonts and hardware sprite sets, drawn here: every font comes
// from the bitmap typeface in sources/fonts/glyphs.txt (hardware fonts as
// metrics files with glyph pages, software fonts as their three files), and
// the sprite sets' frames are simple shapes drawn in code.
#include "lib/font_write.h"
#include "lib/image_write.h"
#include "lib/kit.h"
#include "lib/lzss_write.h"

#include <cmath>
#include <string>

namespace {

struct HwFontRow {
    const char* name;
    uint32_t scale, line_height, space_width;
};
const HwFontRow k_hw_fonts[] = {
    {"front_en\\font\\hw\\NewSmall3.LKF", 1, 10, 4},
    {"front_en\\font\\hw\\newlarge2.lkf", 2, 18, 7},
    {"front_en\\font\\hw\\Smallest.LKF", 1, 9, 3},
    {"game_gfx\\hardware\\black.lkf", 2, 18, 7},
    {"game_gfx\\hardware\\alfont.lkf", 1, 9, 3},
};

struct SwFontRow {
    const char* name;
    uint32_t scale;
    uint8_t ink;
};
// Inks are palette indices of the menu palette: grey, white and cyan shades.
const SwFontRow k_sw_fonts[] = {
    {"front_en\\font\\sw\\Ns2g", 1, 7},   {"front_en\\font\\sw\\Ns2", 1, 15},  {"front_en\\font\\sw\\Ns2s", 1, 11},
    {"front_en\\font\\sw\\NewL2", 2, 15}, {"front_en\\font\\sw\\Smestg", 1, 7}, {"front_en\\font\\sw\\Smest", 1, 15},
    {"front_en\\font\\sw\\Smests", 1, 11}, {"game_gfx\\software\\black", 2, 1}, {"game_gfx\\software\\Smest", 1, 15},
    {"game_gfx\\software\\Ns2", 1, 15},  {"game_gfx\\software\\Tiny", 1, 15},
};

std::string stem_of(const char* name)
{
    std::string s = name;
    return s.substr(0, s.rfind('.'));
}

bool build_fonts(const KitContext& ctx, std::string& error)
{
    std::string source;
    std::vector<KitGlyphBitmap> glyphs;
    if (!kit_read_source(ctx, "fonts/glyphs.txt", source, error) || !kit_parse_glyphs(source, glyphs, error)) return false;
    for (const HwFontRow& row : k_hw_fonts) {
        KitHwFontBuild font = kit_build_hw_font(glyphs, 33, 126, row.scale, 128, row.line_height, row.space_width);
        if (!kit_write_file(ctx, row.name, kit_lkf(font.metrics), error)) return false;
        for (size_t p = 0; p < font.pages.size(); ++p) {
            std::string page = stem_of(row.name) + "_" + std::to_string(p) + ".tga";
            // Pages are read as their compressed twins once start-up turns those on.
            const KitPicture& picture = font.pages[p];
            const std::string twin = stem_of(row.name) + "_" + std::to_string(p) + ".lkz";
            if (!kit_write_file(ctx, page.c_str(), kit_tga(picture), error) ||
                !kit_write_file(ctx, twin.c_str(), kit_lkz_image(picture.width, picture.height, picture.pixels), error))
                return false;
        }
    }
    for (const SwFontRow& row : k_sw_fonts) {
        const uint8_t height = static_cast<uint8_t>(7 * row.scale);
        KitSwFont font = kit_build_sw_font(glyphs, row.scale, row.ink, height, static_cast<uint8_t>(height + 3),
                                           static_cast<uint8_t>(6 * row.scale), static_cast<uint8_t>(4 * row.scale));
        const std::string base = row.name;
        if (!kit_write_file(ctx, (base + ".SPR").c_str(), font.images, error) ||
            !kit_write_file(ctx, (base + ".DWD").c_str(), font.offsets, error) ||
            !kit_write_file(ctx, (base + ".WTH").c_str(), font.widths, error))
            return false;
    }
    // The software match's general sprites are measured by a widths table of
    // the same layout, loaded once at start.
    KitSwFont general = kit_build_sw_font(glyphs, 1, 15, 7, 10, 6, 4);
    return kit_write_file(ctx, "game_gfx\\software\\gen_spr.wth", general.widths, error);
}

// A shape drawn into a page cell and described by its frame record.
struct Shape {
    uint32_t width, height;
    int16_t x_offset, y_offset;
    uint32_t (*pixel)(uint32_t x, uint32_t y, uint32_t w, uint32_t h); // 0xAARRGGBB
};

uint32_t panel(uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    bool edge = x < 2 || y < 2 || x + 2 >= w || y + 2 >= h;
    return edge ? 0xFFF0D020 : 0xC0102040;
}

uint32_t ball(uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    double dx = (x + 0.5 - w / 2.0) / (w / 2.0), dy = (y + 0.5 - h / 2.0) / (h / 2.0);
    if (dx * dx + dy * dy > 1.0) return 0;
    return std::fabs(dx) < 0.12 ? 0xFFFFFFFF : 0xFFB02818;
}

uint32_t arrow(uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    // Pointing right: a shaft and a head.
    uint32_t mid = h / 2;
    bool shaft = x < w / 2 && y + 2 >= mid && y <= mid + 1;
    uint32_t reach = x >= w / 2 ? w - x : 0;
    bool head = x >= w / 2 && (y + reach >= mid && y <= mid + reach);
    return shaft || head ? 0xFFFFFFFF : 0;
}

uint32_t play(uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    uint32_t mid = h / 2, reach = (w - x) * mid / w;
    return y + reach >= mid && y <= mid + reach ? 0xFF40E040 : 0;
}

uint32_t pause_bars(uint32_t x, uint32_t, uint32_t w, uint32_t)
{
    return (x < w / 3 || x >= 2 * w / 3) ? 0xFFE0E040 : 0;
}

uint32_t stop_box(uint32_t, uint32_t, uint32_t, uint32_t) { return 0xFFE04040; }

bool write_sprite_set(const KitContext& ctx, const char* name, const std::vector<Shape>& shapes, std::string& error)
{
    const uint32_t page_size = 128;
    KitPicture page = kit_picture(page_size, page_size, 0);
    std::vector<KitSpriteFrame> frames;
    std::vector<uint32_t> offsets;
    uint32_t x = 0, y = 0, row = 0;
    for (const Shape& s : shapes) {
        if (x + s.width > page_size) x = 0, y += row + 1, row = 0;
        for (uint32_t py = 0; py < s.height; ++py)
            for (uint32_t px = 0; px < s.width; ++px) page.at(x + px, y + py) = s.pixel(px, py, s.width, s.height);
        KitSpriteFrame f;
        f.u_left = float(x) / page_size, f.u_right = float(x + s.width) / page_size;
        f.v_top = float(y) / page_size, f.v_bottom = float(y + s.height) / page_size;
        f.width = static_cast<uint16_t>(s.width), f.height = static_cast<uint16_t>(s.height);
        f.x_offset = s.x_offset, f.y_offset = s.y_offset;
        offsets.push_back(static_cast<uint32_t>(frames.size()) * 25);
        frames.push_back(f);
        x += s.width + 1;
        if (s.height > row) row = s.height;
    }
    std::string base = stem_of(name);
    return kit_write_file(ctx, name, kit_sph(frames), error) &&
           kit_write_file(ctx, (base + ".DWH").c_str(), kit_sprite_companion(offsets), error) &&
           kit_write_file(ctx, (base + "_000.tga").c_str(), kit_tga(page), error);
}

bool build_sprite_sets(const KitContext& ctx, std::string& error)
{
    const std::vector<Shape> panels = {
        {64, 24, 0, 0, panel}, {16, 10, 8, 5, ball}, {16, 16, 8, 8, arrow}, {96, 20, 0, 0, panel},
    };
    const std::vector<Shape> replay = {
        {16, 16, 8, 8, play}, {16, 16, 8, 8, pause_bars}, {12, 12, 6, 6, stop_box},
    };
    return write_sprite_set(ctx, "game_gfx\\hardware\\panels.sph", panels, error) &&
           write_sprite_set(ctx, "game_gfx\\hardware\\replaysp.sph", replay, error);
}

} // namespace

KIT_STEP(fonts, 40, build_fonts)
KIT_STEP(sprite_sets, 41, build_sprite_sets)
