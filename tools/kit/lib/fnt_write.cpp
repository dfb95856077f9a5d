#include "lib/fnt_write.h"

#include "lib/kit.h"

#include <algorithm>

std::vector<uint8_t> kit_fnt(const KitFnt& f)
{
    ByteWriter w;
    w.u8('F'), w.u8('N'), w.u8('T'), w.u8(f.version);
    w.u32(0);
    w.u16(100);
    w.u16(static_cast<uint32_t>(f.glyphs.size()));
    w.u32(f.flags);
    w.u8(static_cast<uint8_t>(f.x_offset)), w.u8(static_cast<uint8_t>(f.y_offset));
    w.u8(static_cast<uint8_t>(f.ascent)), w.u8(static_cast<uint8_t>(f.descent));
    const uint32_t table = 32;
    const uint32_t image = table + (f.glyphs.empty() ? 2 : 11 * static_cast<uint32_t>(f.glyphs.size()));
    w.u32(table), w.u32(0), w.u32(image);
    for (const KitFntGlyph& g : f.glyphs) {
        w.u16(g.code), w.u8(g.width), w.u8(g.height), w.u16(g.image_x), w.u16(g.image_y);
        w.u8(static_cast<uint8_t>(g.advance)), w.u8(static_cast<uint8_t>(g.x_offset));
        w.u8(static_cast<uint8_t>(g.y_offset));
    }
    // A font without glyphs still ends its header with the code bound.
    if (f.glyphs.empty()) w.u16(0);
    w.u32(f.image_type), w.u16(f.image_width), w.u16(f.image_height), w.u32(0), w.u32(0);
    w.raw(f.image.data(), f.image.size());
    return w.bytes;
}

namespace {

const KitGlyphBitmap* find(const std::vector<KitGlyphBitmap>& glyphs, int code)
{
    for (const KitGlyphBitmap& g : glyphs)
        if (g.code == code) return &g;
    return nullptr;
}

} // namespace

KitFnt kit_build_fnt(const std::vector<KitGlyphBitmap>& glyphs, int first, int last, int bits, uint32_t scale)
{
    KitFnt f;
    f.image_type = bits == 1 ? 0x79 : 0x7A;
    const int height = 7 * static_cast<int>(scale);
    f.ascent = static_cast<int8_t>(height);
    f.descent = static_cast<int8_t>(2 * scale);
    std::vector<std::pair<const KitGlyphBitmap*, uint32_t>> placed; // glyph, x in the image
    uint32_t x = 0;
    for (int code = first; code <= last; ++code) {
        const KitGlyphBitmap* g = find(glyphs, code);
        if (!g) continue;
        placed.emplace_back(g, x);
        uint32_t cell = (g->width + 1) * scale;
        if (bits == 1) cell = (cell + 7) & ~7u; // a 1-bit glyph starts on a byte
        else cell = (cell + 1) & ~1u;
        KitFntGlyph r;
        r.code = static_cast<uint16_t>(code);
        r.width = static_cast<uint8_t>(g->width * scale);
        r.height = static_cast<uint8_t>(g->height * scale);
        r.image_x = static_cast<uint16_t>(x);
        r.advance = static_cast<int8_t>((g->width + 1) * scale);
        r.y_offset = 0;
        f.glyphs.push_back(r);
        x += cell;
    }
    f.image_width = static_cast<uint16_t>(std::max<uint32_t>(x, 1));
    f.image_height = static_cast<uint16_t>(height);
    const uint32_t rowbytes = (f.image_width * static_cast<uint32_t>(bits) + 7) / 8;
    f.image.assign(size_t(rowbytes) * static_cast<uint32_t>(height), 0);
    std::vector<uint8_t> levels(size_t(f.image_width) * static_cast<uint32_t>(height), 0);
    for (const auto& [g, at] : placed)
        for (uint32_t y = 0; y < g->height * scale; ++y)
            for (uint32_t gx = 0; gx < g->width * scale; ++gx)
                if (g->ink[(y / scale) * g->width + gx / scale]) levels[size_t(y) * f.image_width + at + gx] = 15;
    if (bits == 4) {
        std::vector<uint8_t> soft = levels;
        for (int y = 0; y < height; ++y)
            for (int px = 0; px < f.image_width; ++px) {
                auto ink = [&](int xx, int yy) {
                    return xx >= 0 && yy >= 0 && xx < f.image_width && yy < height &&
                           levels[size_t(yy) * f.image_width + static_cast<size_t>(xx)] == 15;
                };
                if (ink(px, y)) continue;
                int sides = ink(px - 1, y) + ink(px + 1, y) + ink(px, y - 1) + ink(px, y + 1);
                if (sides >= 2) soft[size_t(y) * f.image_width + static_cast<size_t>(px)] = 5;
            }
        levels = soft;
    }
    for (uint32_t y = 0; y < static_cast<uint32_t>(height); ++y)
        for (uint32_t px = 0; px < f.image_width; ++px) {
            uint8_t v = levels[size_t(y) * f.image_width + px];
            if (!v) continue;
            uint8_t& byte = f.image[size_t(y) * rowbytes + (bits == 1 ? px / 8 : px / 2)];
            if (bits == 1) byte |= static_cast<uint8_t>(0x80 >> (px % 8));
            else byte |= static_cast<uint8_t>(px % 2 ? v : v << 4);
        }
    return f;
}

std::vector<uint8_t> kit_builtin_font_image(const std::vector<KitGlyphBitmap>& glyphs)
{
    std::vector<uint8_t> image(8 * 111, 0);
    for (int code = 32; code < 127; ++code) {
        const KitGlyphBitmap* g = find(glyphs, code);
        if (!g) continue;
        for (uint32_t y = 0; y < g->height && y < 8; ++y)
            for (uint32_t x = 0; x < g->width && x + 1 < 8; ++x)
                if (g->ink[y * g->width + x]) image[y * 111 + static_cast<uint32_t>(code - 32)] |= static_cast<uint8_t>(0x80 >> (x + 1));
    }
    return image;
}
