#include "lib/font_write.h"

#include "lib/kit.h"

#include <cstring>
#include <sstream>

namespace {

void put_float(ByteWriter& w, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    w.u32(bits);
}

const KitGlyphBitmap* glyph_of(const std::vector<KitGlyphBitmap>& glyphs, int code)
{
    for (const KitGlyphBitmap& g : glyphs)
        if (g.code == code) return &g;
    return nullptr;
}

} // namespace

bool kit_parse_glyphs(const std::string& source, std::vector<KitGlyphBitmap>& glyphs, std::string& error)
{
    std::istringstream in(source);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        std::istringstream words(line);
        std::string ch, row;
        words >> ch;
        if (ch.size() != 1) {
            error = "glyph line " + std::to_string(number) + ": one character expected";
            return false;
        }
        KitGlyphBitmap g;
        g.code = static_cast<unsigned char>(ch[0]);
        while (words >> row) {
            if (g.height == 0) g.width = static_cast<uint32_t>(row.size());
            if (row.size() != g.width || row.find_first_not_of("#.") != std::string::npos) {
                error = "glyph line " + std::to_string(number) + ": rows of '#' and '.' of one width expected";
                return false;
            }
            for (char c : row) g.ink.push_back(c == '#');
            ++g.height;
        }
        if (glyph_of(glyphs, g.code)) {
            error = "glyph line " + std::to_string(number) + ": character given twice";
            return false;
        }
        glyphs.push_back(g);
    }
    return true;
}

std::vector<uint8_t> kit_lkf(const KitHwFont& font)
{
    ByteWriter w;
    w.u32(static_cast<uint32_t>(font.glyphs.size()));
    w.u32(font.page_count), w.u32(font.line_height), w.u32(font.space_width), w.u32(font.first);
    for (const KitHwGlyph& g : font.glyphs) {
        put_float(w, g.u_left), put_float(w, g.u_right), put_float(w, g.v_top), put_float(w, g.v_bottom);
        w.u8(g.page), w.u8(g.width), w.u8(g.height), w.u8(g.advance);
        w.u8(static_cast<uint8_t>(g.x_offset)), w.u8(static_cast<uint8_t>(g.y_offset));
    }
    return w.bytes;
}

KitHwFontBuild kit_build_hw_font(const std::vector<KitGlyphBitmap>& glyphs, int first, int last, uint32_t scale,
                                 uint32_t page_size, uint32_t line_height, uint32_t space_width)
{
    KitHwFontBuild b;
    b.metrics.first = static_cast<uint32_t>(first);
    b.metrics.line_height = line_height;
    b.metrics.space_width = space_width;
    uint32_t x = 0, y = 0, row_height = 0;
    auto new_page = [&] {
        b.pages.push_back(kit_picture(page_size, page_size, 0x00FFFFFF));
        x = y = row_height = 0;
    };
    new_page();
    for (int code = first; code <= last; ++code) {
        KitHwGlyph out;
        const KitGlyphBitmap* g = glyph_of(glyphs, code);
        if (!g || g->width == 0) {
            b.metrics.glyphs.push_back(out);
            continue;
        }
        const uint32_t w = g->width * scale, h = g->height * scale;
        // One pixel of paper round each glyph keeps filtering from its neighbours.
        if (x + w + 1 > page_size) x = 0, y += row_height + 1, row_height = 0;
        if (y + h + 1 > page_size) new_page();
        KitPicture& page = b.pages.back();
        for (uint32_t py = 0; py < h; ++py)
            for (uint32_t px = 0; px < w; ++px)
                if (g->ink[(py / scale) * g->width + px / scale]) page.at(x + px, y + py) = 0xFFFFFFFF;
        out.page = static_cast<uint8_t>(b.pages.size() - 1);
        out.width = static_cast<uint8_t>(w), out.height = static_cast<uint8_t>(h);
        out.advance = static_cast<uint8_t>(w + scale);
        out.u_left = static_cast<float>(x) / page_size, out.u_right = static_cast<float>(x + w) / page_size;
        out.v_top = static_cast<float>(y) / page_size, out.v_bottom = static_cast<float>(y + h) / page_size;
        b.metrics.glyphs.push_back(out);
        x += w + 1;
        if (h > row_height) row_height = h;
    }
    b.metrics.page_count = static_cast<uint32_t>(b.pages.size());
    return b;
}

std::vector<uint8_t> kit_sw_sprite(uint32_t width, uint32_t height, int32_t x_offset, int32_t y_offset,
                                   const std::vector<int16_t>& pixels, bool long_header)
{
    const uint32_t groups = (width + 7) / 8;
    ByteWriter w;
    if (long_header) {
        w.u8(0x80 | groups), w.u16(height), w.u16(static_cast<uint32_t>(x_offset)), w.u16(static_cast<uint32_t>(y_offset)), w.u16(width);
    } else {
        w.u8(groups), w.u8(height), w.u8(static_cast<uint32_t>(x_offset)), w.u8(static_cast<uint32_t>(y_offset)), w.u8(width);
    }
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t g = 0; g < groups; ++g) {
            uint8_t mask = 0;
            std::vector<uint8_t> bytes;
            for (uint32_t b = 0; b < 8; ++b) {
                uint32_t x = g * 8 + b;
                if (x < width && pixels[size_t(r) * width + x] >= 0) {
                    mask |= 0x80 >> b;
                    bytes.push_back(static_cast<uint8_t>(pixels[size_t(r) * width + x]));
                }
            }
            w.u8(mask);
            w.raw(bytes.data(), bytes.size());
        }
    return w.bytes;
}

KitSwFont kit_build_sw_font(const std::vector<KitGlyphBitmap>& glyphs, uint32_t scale, uint8_t ink, uint8_t height,
                            uint8_t spacing, uint8_t fixed_width, uint8_t space_width)
{
    KitSwFont f;
    ByteWriter offsets, widths;
    widths.u8(height), widths.u8(spacing), widths.u8(fixed_width), widths.u8(space_width);
    for (int code = 33; code <= 126; ++code) {
        offsets.u32(static_cast<uint32_t>(f.images.size()));
        const KitGlyphBitmap* g = glyph_of(glyphs, code);
        const uint32_t w = g ? g->width * scale : 1, h = g ? g->height * scale : 1;
        std::vector<int16_t> pixels(size_t(w) * h, -1);
        if (g)
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    if (g->ink[(y / scale) * g->width + x / scale]) pixels[size_t(y) * w + x] = ink;
        std::vector<uint8_t> sprite = kit_sw_sprite(w, h, 0, 0, pixels);
        f.images.insert(f.images.end(), sprite.begin(), sprite.end());
        widths.u8(g ? w + scale : 0);
    }
    f.offsets = offsets.bytes;
    f.widths = widths.bytes;
    return f;
}

bool KitSpritePacker::place(uint32_t w, uint32_t h, uint32_t& at_x, uint32_t& at_y, KitSpriteFrame& frame)
{
    if (w > page_size || h > page_size) return false;
    if (x + w > page_size) x = 0, y += row + 1, row = 0;
    if (y + h > page_size) {
        if (pages >= max_pages) return false;
        ++pages, x = 0, y = 0, row = 0;
    }
    frame.page = static_cast<uint8_t>(pages - 1);
    frame.u_left = float(x) / page_size, frame.u_right = float(x + w) / page_size;
    frame.v_top = float(y) / page_size, frame.v_bottom = float(y + h) / page_size;
    frame.width = static_cast<uint16_t>(w), frame.height = static_cast<uint16_t>(h);
    at_x = x, at_y = y;
    x += w + 1;
    if (h > row) row = h;
    return true;
}

std::vector<uint8_t> kit_sph(const std::vector<KitSpriteFrame>& frames)
{
    ByteWriter w;
    w.u32(static_cast<uint32_t>(frames.size()));
    for (const KitSpriteFrame& f : frames) {
        put_float(w, f.u_left), put_float(w, f.u_right), put_float(w, f.v_top), put_float(w, f.v_bottom);
        w.u8(f.page), w.u16(f.width), w.u16(f.height);
        w.u16(static_cast<uint16_t>(f.x_offset)), w.u16(static_cast<uint16_t>(f.y_offset));
    }
    return w.bytes;
}

std::vector<uint8_t> kit_sprite_companion(const std::vector<uint32_t>& offsets, const std::vector<uint8_t>& data)
{
    ByteWriter w;
    for (uint32_t o : offsets) w.u32(o);
    w.raw(data.data(), data.size());
    return w.bytes;
}
