// The engine library's own font files, drawn from the game's typeface in
// sources/fonts/glyphs.txt: a small 1-bit font and a 4-bit one at twice the
// size with soft edges.
#include "lib/fnt_write.h"
#include "lib/kit.h"

namespace {

bool build_engine_fonts(const KitContext& ctx, std::string& error)
{
    std::string source;
    std::vector<KitGlyphBitmap> glyphs;
    if (!kit_read_source(ctx, "fonts/glyphs.txt", source, error) || !kit_parse_glyphs(source, glyphs, error)) return false;
    return kit_write_file(ctx, "engine\\font\\kobsmall.fnt", kit_fnt(kit_build_fnt(glyphs, 32, 126, 1, 1)), error) &&
           kit_write_file(ctx, "engine\\font\\koblarge.fnt", kit_fnt(kit_build_fnt(glyphs, 32, 126, 4, 2)), error);
}

} // namespace

KIT_STEP(engine_fonts, 40, build_engine_fonts)
