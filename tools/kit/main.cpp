// kobkit: builds the game's data set.
//   kobkit --sources tools/kit/sources --out build/release/data [--only STEP]
//   kobkit --sources tools/kit/sources --builtin-font src/font/builtin_glyphs.inc
// The second form writes the engine library's built-in font image as C++
// initialiser text, from the same typeface.
#include "lib/fnt_write.h"
#include "lib/kit.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

int main(int argc, char** argv)
{
    KitContext ctx;
    const char* only = nullptr;
    const char* builtin = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--sources") && i + 1 < argc)
            ctx.sources = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
            ctx.out = argv[++i];
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
            only = argv[++i];
        else if (!std::strcmp(argv[i], "--builtin-font") && i + 1 < argc)
            builtin = argv[++i];
        else {
            std::fprintf(stderr, "usage: kobkit --sources DIR --out DIR [--only STEP]\n");
            return 2;
        }
    }
    if (builtin && !ctx.sources.empty()) {
        std::string source, error;
        std::vector<KitGlyphBitmap> glyphs;
        if (!kit_read_source(ctx, "fonts/glyphs.txt", source, error) || !kit_parse_glyphs(source, glyphs, error)) {
            std::fprintf(stderr, "kobkit: %s\n", error.c_str());
            return 1;
        }
        std::vector<uint8_t> image = kit_builtin_font_image(glyphs);
        FILE* out = std::fopen(builtin, "w");
        if (!out) {
            std::fprintf(stderr, "kobkit: cannot write %s\n", builtin);
            return 1;
        }
        std::fprintf(out, "// Made by kobkit --builtin-font from tools/kit/sources/fonts/glyphs.txt.\n");
        for (size_t i = 0; i < image.size(); ++i)
            std::fprintf(out, "0x%02x,%s", image[i], i % 16 == 15 ? "\n" : " ");
        std::fprintf(out, "\n");
        return std::fclose(out) == 0 ? 0 : 1;
    }
    if (ctx.sources.empty() || ctx.out.empty()) {
        std::fprintf(stderr, "usage: kobkit --sources DIR --out DIR [--only STEP]\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(ctx.out, ec);
    int failed = 0;
    for (const KitStep& step : kit_steps()) {
        if (only && std::strcmp(only, step.name)) continue;
        std::string error;
        if (!step.run(ctx, error)) {
            std::fprintf(stderr, "kobkit: %s: %s\n", step.name, error.c_str());
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
