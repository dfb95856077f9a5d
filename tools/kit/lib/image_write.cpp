#include "lib/image_write.h"

#include "lib/kit.h"

KitPicture kit_picture(uint32_t width, uint32_t height, uint32_t fill)
{
    KitPicture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(size_t(width) * height, fill);
    return p;
}

namespace {

void put_pixel(ByteWriter& w, uint32_t p, uint32_t depth)
{
    w.u8(p), w.u8(p >> 8), w.u8(p >> 16);
    if (depth == 32) w.u8(p >> 24);
}

} // namespace

std::vector<uint8_t> kit_tga(const KitPicture& picture, const KitTgaOptions& o)
{
    ByteWriter w;
    w.u8(static_cast<uint32_t>(o.id.size()));
    w.u8(o.colour_map_entries ? 1 : 0);
    w.u8(o.run_length ? 10 : 2);
    w.u16(0), w.u16(o.colour_map_entries), w.u8(o.colour_map_entries ? 24 : 0);
    w.u16(0), w.u16(0), w.u16(picture.width), w.u16(picture.height);
    w.u8(o.depth), w.u8(o.descriptor);
    w.raw(o.id.data(), o.id.size());
    for (uint32_t i = 0; i < o.colour_map_entries; ++i) w.u8(0xAB), w.u8(0xCD), w.u8(0xEF);
    // Bottom row first.
    std::vector<uint32_t> order;
    order.reserve(picture.pixels.size());
    for (uint32_t r = picture.height; r-- > 0;)
        for (uint32_t x = 0; x < picture.width; ++x) order.push_back(picture.at(x, r));
    if (!o.run_length) {
        for (uint32_t p : order) put_pixel(w, p, o.depth);
        return w.bytes;
    }
    const uint32_t mask = o.depth == 32 ? 0xFFFFFFFF : 0x00FFFFFF;
    size_t i = 0;
    while (i < order.size()) {
        size_t run = 1;
        while (i + run < order.size() && run < 128 && (order[i + run] & mask) == (order[i] & mask)) ++run;
        if (run >= 2) {
            w.u8(0x80 | (run - 1));
            put_pixel(w, order[i], o.depth);
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < order.size() && literal < 128 &&
               !(i + literal + 1 < order.size() && (order[i + literal] & mask) == (order[i + literal + 1] & mask)))
            ++literal;
        w.u8(static_cast<uint32_t>(literal - 1));
        for (size_t k = 0; k < literal; ++k) put_pixel(w, order[i + k], o.depth);
        i += literal;
    }
    return w.bytes;
}

std::vector<uint8_t> kit_bmp(const KitPicture& picture, uint32_t bits, const std::vector<uint32_t>& palette)
{
    const uint32_t stride = (picture.width * bits / 8 + 3) & ~3u;
    const uint32_t colours = bits == 8 ? static_cast<uint32_t>(palette.size()) : 0;
    const uint32_t offset = 14 + 40 + colours * 4;
    ByteWriter w;
    w.u8('B'), w.u8('M'), w.u32(offset + stride * picture.height), w.u16(0), w.u16(0), w.u32(offset);
    w.u32(40), w.u32(picture.width), w.u32(picture.height), w.u16(1), w.u16(bits), w.u32(0);
    w.u32(stride * picture.height), w.u32(2835), w.u32(2835), w.u32(colours), w.u32(0);
    for (uint32_t c : palette) w.u32(c & 0xFFFFFF);
    for (uint32_t r = picture.height; r-- > 0;) {
        size_t start = w.bytes.size();
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint32_t p = picture.at(x, r);
            if (bits == 8) w.u8(p);
            else put_pixel(w, p, bits);
        }
        while (w.bytes.size() - start < stride) w.u8(0);
    }
    return w.bytes;
}

std::vector<uint8_t> kit_ppm(const KitPicture& picture, uint32_t max, const std::string& comment)
{
    std::string header = "P6\n";
    if (!comment.empty()) header += "#" + comment + "\n";
    header += std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n" + std::to_string(max) + "\n";
    ByteWriter w;
    w.raw(header.data(), header.size());
    for (uint32_t p : picture.pixels) w.u8(p >> 16), w.u8(p >> 8), w.u8(p);
    return w.bytes;
}
