// The game's fonts, drawn here: every font comes from the bitmap typeface in
// sources/fonts/glyphs.txt (hardware fonts as metrics files with glyph
// pages, software fonts as their three files).
#include "lib/font_write.h"
#include "lib/image_write.h"
#include "lib/kit.h"
#include "lib/lzss_write.h"

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

} // namespace

KIT_STEP(fonts, 40, build_fonts)
