// Named texture manager.
#include "gl3d/texture_manager.h"

#include "gl3d/d3d.h"
#include "gl3d/texture_cache.h"
#include "host/paths.h"
#include "host/process.h"
#include "host/render_device.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

namespace {

named_texture* g_head = nullptr;
char g_media_dir[8] = "MEDIA\\";

constexpr uint32_t k_texcaps_pow2 = 0x2;
constexpr uint32_t k_texcaps_square_only = 0x20;
constexpr uint32_t k_pf_palette8 = 0x20;
constexpr uint32_t k_pf_skipped = 0xE0000; // luminance and bump-map formats

bool same_name(const std::string& a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// At the end of the program the records go; the device textures go with
// the device (which may already be gone), so they are not touched.
void free_list_at_exit()
{
    while (g_head) {
        named_texture* t = g_head;
        g_head = t->next;
        delete t->bitmap;
        delete t;
    }
}

void link_at_head(named_texture* t)
{
    static const bool freed_at_exit = (std::atexit(free_list_at_exit), true);
    (void)freed_at_exit;
    t->previous = nullptr;
    t->next = g_head;
    if (g_head) g_head->previous = t;
    g_head = t;
}

void unlink(named_texture* t)
{
    if (t->previous) t->previous->next = t->next;
    else g_head = t->next;
    if (t->next) t->next->previous = t->previous;
    t->previous = t->next = nullptr;
}

void drop_surface(named_texture* t)
{
    if (t->surface && t->owner) t->owner->release_texture(t->surface);
    t->surface = nullptr;
    t->owner = nullptr;
}

void free_record(named_texture* t)
{
    drop_surface(t);
    delete t->bitmap;
    delete t;
}

bool has_extension(const std::string& ext, const char* wanted) { return same_name(ext, wanted); }

// The texture caps of the framework's device when it is the one asked for.
uint32_t texture_caps(HostRenderDevice* device)
{
    d3d_framework* f = d3d_current_framework();
    return f && f->device == device ? f->description.tri_texture_caps : 0;
}

struct Channel {
    uint32_t shift = 0, scale = 1, bits = 0, mask = 0;
    uint16_t pack(uint32_t value) const { return mask ? static_cast<uint16_t>(((value / scale) << shift) & mask) : 0; }
    uint32_t max() const { return mask >> shift; }
};

Channel channel_of(uint32_t mask)
{
    Channel c;
    c.mask = mask;
    if (!mask) return c;
    while (!((mask >> c.shift) & 1)) ++c.shift;
    c.scale = 255 / (mask >> c.shift);
    if (c.scale == 0) c.scale = 1;
    for (uint32_t m = mask >> c.shift; m; m >>= 1) c.bits += m & 1;
    return c;
}

struct FormatSearch {
    uint32_t bits;
    bool alpha, palette, found;
    HostPixelFormat format;
};

bool format_accepted(FormatSearch& s, const HostPixelFormat& f)
{
    if (f.flags & k_pf_skipped) return false;
    if (s.palette) {
        if (!(f.flags & k_pf_palette8)) return false;
    } else {
        if (f.bits < 16) return false;
        const bool has_alpha = (f.flags & HOST_PF_ALPHAPIXELS) != 0;
        if (s.alpha != has_alpha || f.bits != s.bits) return false;
    }
    s.format = f;
    s.found = true;
    return true;
}

void enumerate_formats(HostRenderDevice* device, FormatSearch& s)
{
    for (int i = 0; i < device->texture_format_count(); ++i)
        if (format_accepted(s, device->texture_format(i))) return;
}

// Blue, green, red, alpha of one bitmap pixel; `has_alpha` tells whether
// the source carries an alpha of its own.
struct SourcePixel {
    uint8_t b, g, r, a;
    bool has_alpha;
};

SourcePixel source_pixel(const DibSection& dib, int32_t x, int32_t y)
{
    const uint8_t* row = dib.row(y);
    switch (dib.bits) {
    case 32: return {row[x * 4], row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3], true};
    case 24: return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 255, false};
    case 8: {
        uint32_t c = row[x] < dib.palette.size() ? dib.palette[row[x]] : 0;
        return {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16), 255, false};
    }
    default: return {0, 0, 0, 255, false};
    }
}

// Fills the 16-bit texels of a w x h texture from the record's bitmap.
void convert(const named_texture& t, const HostPixelFormat& f, uint32_t w, uint32_t h, std::vector<uint16_t>& texels,
             bool& keyed, uint16_t& key)
{
    const Channel red = channel_of(f.red_mask), green = channel_of(f.green_mask), blue = channel_of(f.blue_mask),
                  alpha = channel_of(f.alpha_mask);
    const bool format_alpha = f.alpha_mask != 0;
    const bool gdi_copy = (t.flags & (TEX_WHITE_TRANSPARENT | TEX_BLACK_TRANSPARENT)) != 0;
    key = tex_colour_key(f.red_mask, f.blue_mask);
    keyed = !gdi_copy && !format_alpha && (t.flags & TEX_ALPHA_TO_KEY) && t.source_kind == TEX_SOURCE_IMAGE;
    const DibSection& dib = *t.bitmap;
    texels.assign(static_cast<size_t>(w) * h, 0); // padding beyond the bitmap stays zero
    for (int32_t y = 0; y < dib.height && static_cast<uint32_t>(y) < h; ++y) {
        for (int32_t x = 0; x < dib.width && static_cast<uint32_t>(x) < w; ++x) {
            SourcePixel p = source_pixel(dib, x, y);
            uint16_t colour = red.pack(p.r) | green.pack(p.g) | blue.pack(p.b);
            uint16_t& out = texels[static_cast<size_t>(y) * w + x];
            if (gdi_copy) {
                if (format_alpha) {
                    const uint32_t rgb_masks = f.red_mask | f.green_mask | f.blue_mask;
                    const uint16_t key_colour = (t.flags & TEX_WHITE_TRANSPARENT) ? static_cast<uint16_t>(rgb_masks) : 0;
                    out = colour == key_colour ? colour : static_cast<uint16_t>(colour | f.alpha_mask);
                } else {
                    out = colour;
                }
                continue;
            }
            // PPM bitmaps carry no alpha (their fourth byte is 0): opaque.
            const bool source_alpha = p.has_alpha && t.source_kind != TEX_SOURCE_PPM;
            if (format_alpha) {
                out = colour | alpha.pack(source_alpha ? p.a : 255);
            } else if (keyed) {
                if (source_alpha && p.a <= 128) {
                    out = key;
                } else {
                    if (colour == key) {
                        uint32_t b = (colour & f.blue_mask) >> blue.shift;
                        b = b == blue.max() ? b - 1 : b + 1;
                        colour = static_cast<uint16_t>((colour & ~f.blue_mask) | (b << blue.shift));
                    }
                    out = colour;
                }
            } else {
                out = colour;
            }
        }
    }
}

uint32_t restore(named_texture* t, HostRenderDevice* device)
{
    drop_surface(t);
    if (!device) return TEX_E_FAIL;
    if (!t->bitmap) return TEX_E_FAIL;
    const uint32_t caps = texture_caps(device);
    uint32_t w = static_cast<uint32_t>(t->bitmap->width), h = static_cast<uint32_t>(t->bitmap->height);
    if (caps & k_texcaps_pow2) {
        uint32_t pw = 1, ph = 1;
        while (pw < w) pw <<= 1;
        while (ph < h) ph <<= 1;
        w = pw, h = ph;
    }
    if (caps & k_texcaps_square_only) w = h = w > h ? w : h;
    FormatSearch s{(t->flags & TEX_WANT_32_BIT) ? 32u : 16u, (t->flags & TEX_WANT_ALPHA) != 0, t->bitmap->bits <= 8, false, {}};
    if ((t->flags & (TEX_WHITE_TRANSPARENT | TEX_BLACK_TRANSPARENT)) && s.palette) {
        s.alpha = true;
        s.palette = (caps & HOST_TEXCAPS_ALPHAPALETTE) != 0;
    }
    enumerate_formats(device, s);
    if (!s.found && s.palette) {
        s.bits = 16;
        s.palette = false;
        enumerate_formats(device, s);
    }
    // The device takes 16-bit texels only.
    if (!s.found || s.format.bits != 16) return TEX_E_FAIL;
    HostTexture* surface = device->create_texture(w, h, s.format);
    if (!surface) return TEX_E_FAIL;
    std::vector<uint16_t> texels;
    bool keyed = false;
    uint16_t key = 0;
    convert(*t, s.format, w, h, texels, keyed, key);
    device->write_texture(surface, texels.data());
    if (keyed) device->set_colour_key(surface, key);
    t->surface = surface;
    t->owner = device;
    return TEX_OK;
}

// The first readable place of a name: the data directory, then USR1.
std::string find_file(const char* name)
{
    std::string path = host_data_file(name);
    if (can_open_for_reading(path.c_str())) return path;
    if (const char* dir = std::getenv("USR1")) {
        path = host_resolve_path(dir, name);
        if (can_open_for_reading(path.c_str())) return path;
    }
    return {};
}

} // namespace

uint16_t tex_colour_key(uint32_t red_mask, uint32_t blue_mask) { return static_cast<uint16_t>(red_mask | blue_mask); }

named_texture* tex_find_by_name(const char* name)
{
    if (!name) return nullptr;
    for (named_texture* t = g_head; t; t = t->next)
        if (same_name(t->name, name)) return t;
    return nullptr;
}

uint32_t tex_create_from_file(const char* name, uint32_t stage, uint32_t flags)
{
    if (!name) return TEX_E_FAIL;
    if (tex_find_by_name(name)) return TEX_OK;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return TEX_E_FAIL;
    std::string path = find_file(name);
    if (path.empty()) return TEX_E_FAIL;
    auto* t = new (std::nothrow) named_texture{};
    if (!t) return TEX_E_OUTOFMEMORY;
    t->name = name;
    t->stage = stage;
    t->flags = flags;
    std::string ext = dot;
    uint32_t code;
    if (has_extension(ext, ".bmp")) {
        t->source_kind = TEX_SOURCE_BITMAP;
        code = load_bmp_dib(path.c_str(), &t->bitmap);
    } else if (has_extension(ext, ".ppm")) {
        t->source_kind = TEX_SOURCE_PPM;
        code = load_ppm_dib(path.c_str(), &t->bitmap);
    } else if (has_extension(ext, ".tga")) {
        t->source_kind = TEX_SOURCE_IMAGE;
        code = load_tga_dib(path.c_str(), &t->bitmap);
    } else {
        // Found under its own name, read from its ".tga" twin beside it.
        std::filesystem::path found(path);
        std::string twin = found.stem().string() + ".tga";
        std::string twin_path = host_resolve_path(found.parent_path().string(), twin.c_str());
        t->source_kind = TEX_SOURCE_BITMAP;
        code = load_tga_dib(twin_path.c_str(), &t->bitmap);
    }
    if (code != TEX_OK || !t->bitmap) {
        free_record(t);
        return TEX_E_FAIL;
    }
    link_at_head(t);
    return TEX_OK;
}

uint32_t tex_create_dib(const char* name, uint32_t stage, uint32_t flags, const TextureImage* image)
{
    if (!name || !image) return TEX_E_INVALIDARG;
    if (tex_find_by_name(name)) return TEX_OK;
    auto* t = new (std::nothrow) named_texture{};
    if (!t) return TEX_E_OUTOFMEMORY;
    t->name = name;
    t->stage = stage;
    t->flags = flags;
    t->source_kind = TEX_SOURCE_IMAGE;
    t->bitmap = image->pixels ? create_dib_section(static_cast<int32_t>(image->width), static_cast<int32_t>(image->height)) : nullptr;
    if (!t->bitmap || image->pitch < image->width * 4) {
        tex_error_box();
        free_record(t);
        return TEX_E_FAIL;
    }
    const uint8_t* source = reinterpret_cast<const uint8_t*>(image->pixels);
    for (uint32_t y = 0; y < image->height; ++y) {
        uint8_t* row = t->bitmap->row(static_cast<int32_t>(y));
        const uint32_t* from = reinterpret_cast<const uint32_t*>(source + static_cast<size_t>(y) * image->pitch);
        for (uint32_t x = 0; x < image->width; ++x) {
            uint32_t p = from[x];
            row[x * 4] = static_cast<uint8_t>(p), row[x * 4 + 1] = static_cast<uint8_t>(p >> 8);
            row[x * 4 + 2] = static_cast<uint8_t>(p >> 16), row[x * 4 + 3] = static_cast<uint8_t>(p >> 24);
        }
    }
    link_at_head(t);
    return TEX_OK;
}

uint32_t tex_restore_one(const char* name, HostRenderDevice* device)
{
    if (!device) return TEX_E_INVALIDARG;
    named_texture* t = tex_find_by_name(name);
    if (!t) return TEX_E_NOTFOUND;
    return restore(t, device);
}

uint32_t tex_restore_all(HostRenderDevice* device)
{
    if (!device) return g_head ? TEX_E_INVALIDARG : TEX_OK;
    uint32_t result = TEX_OK;
    for (named_texture* t = g_head; t; t = t->next)
        if (restore(t, device) != TEX_OK) result = TEX_E_FAIL;
    return result;
}

uint32_t tex_invalidate_all()
{
    for (named_texture* t = g_head; t; t = t->next) drop_surface(t);
    texture_cache_forget_bound();
    return TEX_OK;
}

uint32_t tex_release_by_name(const char* name)
{
    named_texture* t = tex_find_by_name(name);
    if (!t) return TEX_E_NOTFOUND;
    drop_surface(t);
    return TEX_OK;
}

uint32_t tex_destroy(const char* name)
{
    named_texture* t = tex_find_by_name(name);
    if (!t) return TEX_E_NOTFOUND;
    unlink(t);
    free_record(t);
    return TEX_OK;
}

void tex_destroy_all()
{
    while (g_head) {
        named_texture* t = g_head;
        unlink(t);
        free_record(t);
    }
}

HostTexture* tex_get_dd_surface(const char* name)
{
    named_texture* t = tex_find_by_name(name);
    return t ? t->surface : nullptr;
}

HostTexture* tex_get_surface(const char* name) { return tex_get_dd_surface(name); }

BitmapInfo tex_get_bitmap_info(const char* name)
{
    named_texture* t = tex_find_by_name(name);
    if (!t || !t->bitmap) return BitmapInfo{-1, 0, 0, 0, 0, 0, nullptr};
    const DibSection& d = *t->bitmap;
    return BitmapInfo{0, d.width, d.height, static_cast<int32_t>(d.stride), 1, d.bits, d.pixels.data()};
}

void tex_set_media_dir(const char* dir)
{
    if (!dir) dir = "";
    std::strncpy(g_media_dir, dir, sizeof g_media_dir - 1);
    g_media_dir[sizeof g_media_dir - 1] = 0;
}

const char* tex_media_dir() { return g_media_dir; }

void tex_error_box() { host_message_box("Error", "Not enough memory is available to make the picture.", HOST_MB_OK, false); }

named_texture* tex_list_head() { return g_head; }

int32_t tex_list_count()
{
    int32_t n = 0;
    for (named_texture* t = g_head; t; t = t->next) ++n;
    return n;
}
