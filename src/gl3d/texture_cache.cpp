// Texture cache and the TGA picture object.
#include "gl3d/texture_cache.h"

#include "gl3d/gl.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_manager.h"
#include "host/paths.h"
#include "platform/files.h"
#include "platform/lzss.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct CacheEntry {
    uint32_t use_count;
    int32_t id;   // the index while live, -1 once freed, 0 never used
    char* name;   // owned; null unless live
};

CacheEntry g_entries[TEXTURE_CACHE_SIZE];
int32_t g_count = 0;
int32_t g_current = NO_TEXTURE;
int32_t g_lkz_mode = 0;
uint32_t g_alpha_serial = 0;

CacheEntry* live(int32_t id)
{
    if (id < 0 || id >= TEXTURE_CACHE_SIZE || !g_entries[id].name) return nullptr;
    return &g_entries[id];
}

void onto_device(const CacheEntry& e) { gl_restore_texture(e.name); }

void off_device(int32_t id)
{
    gl_release_texture_by_name(g_entries[id].name);
    if (g_current == id) g_current = NO_TEXTURE;
}

int32_t format_argument()
{
    uint32_t bits = 0, alpha_mode = 0;
    get_texture_format(&bits, &alpha_mode);
    int32_t mode = static_cast<int32_t>(alpha_mode);
    if (mode == 1) return 16;
    if (mode >= 2) return 8;
    return 0;
}

int32_t find_entry(const char* name)
{
    int32_t seen = 0;
    for (int32_t i = 0; i < TEXTURE_CACHE_SIZE && seen < g_count; ++i) {
        if (!g_entries[i].name) continue;
        ++seen;
        if (std::strcmp(g_entries[i].name, name) == 0) return i;
    }
    return NO_TEXTURE;
}

// A new live entry for the name, or -1 when the table is full.
int32_t take_entry(const char* name)
{
    int32_t index = NO_TEXTURE;
    for (int32_t i = 0; i < g_count && i < TEXTURE_CACHE_SIZE; ++i)
        if (!g_entries[i].name) {
            index = i;
            break;
        }
    if (index < 0) index = g_count;
    if (index >= TEXTURE_CACHE_SIZE || g_entries[index].name) return NO_TEXTURE;
    CacheEntry& e = g_entries[index];
    e.id = index;
    size_t n = std::strlen(name) + 1;
    e.name = static_cast<char*>(std::malloc(n));
    std::memcpy(e.name, name, n);
    e.use_count = 1;
    ++g_count;
    return index;
}

// Finds or makes the entry; a new one gets its texture from make().
template <class Make> int32_t find_or_make(const char* name, Make make)
{
    if (!name) return NO_TEXTURE;
    int32_t found = find_entry(name);
    if (found >= 0) {
        if (++g_entries[found].use_count == 1) onto_device(g_entries[found]);
        return found;
    }
    int32_t index = take_entry(name);
    if (index < 0) return NO_TEXTURE;
    // Without pixels the entry stays, untextured.
    if (make()) onto_device(g_entries[index]);
    return index;
}

} // namespace

int32_t find_or_load_texture(const char* name)
{
    // The picture is read before an entry is taken, so that a damaged one
    // ends the game with nothing half made.
    uint32_t w = 0, h = 0;
    uint32_t* pixels = name && find_entry(name) < 0 ? load_image_file(name, &w, &h) : nullptr;
    int32_t id = find_or_make(name, [&] {
        if (!pixels) return false;
        TextureImage image{0, w, h, w * 4, 1, 32, pixels};
        return gl_create_texture_image(name, 0, static_cast<uint32_t>(format_argument()), &image) == 0;
    });
    std::free(pixels);
    return id;
}

namespace {
int32_t create_from_image(const char* name, const TextureImage* image, uint32_t format)
{
    return find_or_make(name, [&] { return image && image->pixels && gl_create_texture_image(name, 0, format, image) == 0; });
}
} // namespace

int32_t create_texture_from_image(const char* name, const TextureImage* image) { return create_from_image(name, image, 0); }

int32_t add_texture_ref(int32_t id)
{
    CacheEntry* e = live(id);
    if (!e) return 0;
    if (++e->use_count == 1) onto_device(*e);
    return 1;
}

int32_t release_texture(int32_t id, int32_t mode)
{
    CacheEntry* e = live(id);
    if (!e) return 0;
    if (e->use_count >= 2) {
        --e->use_count;
        return 1;
    }
    if (mode == 0) {
        if (e->use_count == 1) off_device(id);
    } else if (mode == 1) {
        if (g_current == id) g_current = NO_TEXTURE;
        named_texture* t = tex_find_by_name(e->name);
        if (t) gl_destroy_texture(t);
        std::free(e->name);
        e->name = nullptr;
        e->id = -1;
        --g_count;
    }
    if (e->use_count != 0) --e->use_count;
    return 1;
}

int32_t release_texture_range(int32_t first, int32_t last, int32_t mode)
{
    for (int32_t id = last; id >= first; --id) release_texture(id, mode);
    return 1;
}

void bind_texture(int32_t id)
{
    // An id without a live entry stands for none.
    CacheEntry* e = live(id);
    const int32_t target = e ? id : NO_TEXTURE;
    if (target == g_current) return;
    gl_bind_named_texture(0, e ? e->name : nullptr);
    g_current = target;
}

uint32_t get_texture_use_count(int32_t id)
{
    CacheEntry* e = live(id);
    return e ? e->use_count : 0;
}

uint32_t* load_image_file(const char* name, uint32_t* width, uint32_t* height)
{
    if (!name) return nullptr;
    if (g_lkz_mode) {
        std::string lkz = name;
        size_t dot = lkz.rfind('.');
        lkz = (dot == std::string::npos ? lkz : lkz.substr(0, dot)) + ".lkz";
        std::FILE* f = std::fopen(host_data_file(lkz.c_str()).c_str(), "rb");
        if (!f) return nullptr;
        uint32_t w = 0, h = 0;
        uint8_t* bytes = load_lkz_image(f, &w, &h); // closes the file
        if (!bytes) refuse_data_file("load_image_file", lkz.c_str(), "not a packed picture, or cut short");
        // Little-endian words: blue, green, red, alpha.
        uint32_t* pixels = reinterpret_cast<uint32_t*>(bytes);
        for (uint64_t i = 0; i < uint64_t(w) * h; ++i) {
            const uint8_t* b = bytes + i * 4;
            pixels[i] = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        }
        if (width) *width = w;
        if (height) *height = h;
        return pixels;
    }
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (!f) return nullptr;
    // A missing picture leaves its texture out; one that is there but cannot
    // be read is refused, not drawn as blank quads.
    TgaImage image;
    std::string fault;
    bool ok = image.read(f, &fault);
    std::fclose(f);
    if (!ok) refuse_data_file("load_image_file", name, fault);
    size_t bytes = image.pixels.size() * sizeof(uint32_t);
    uint32_t* pixels = static_cast<uint32_t*>(std::malloc(bytes ? bytes : 4));
    if (!pixels) return nullptr;
    if (bytes) std::memcpy(pixels, image.pixels.data(), bytes);
    if (width) *width = image.width;
    if (height) *height = image.height;
    return pixels;
}

int32_t create_alpha_texture(uint32_t argb)
{
    // Names by serial number: two calls never share one.
    char name[32];
    std::snprintf(name, sizeof name, "alphatex%08u", ++g_alpha_serial);
    uint32_t bits = 0, alpha_mode = 0;
    get_texture_format(&bits, &alpha_mode);
    set_texture_format(16, 2);
    TextureImage image{0, 1, 1, 4, 1, 32, &argb};
    int32_t id = create_from_image(name, &image, 8);
    set_texture_format(bits, alpha_mode);
    return id;
}

void set_lkz_image_mode(int32_t on) { g_lkz_mode = on; }
int32_t get_lkz_image_mode() { return g_lkz_mode; }
int32_t current_bound_texture() { return g_current; }
void texture_cache_forget_bound() { g_current = NO_TEXTURE; }
const char* texture_cache_name(int32_t id)
{
    CacheEntry* e = live(id);
    return e ? e->name : nullptr;
}
int32_t texture_cache_count() { return g_count; }

void reset_texture_cache()
{
    for (CacheEntry& e : g_entries) {
        if (e.name) {
            tex_destroy(e.name);
            std::free(e.name);
        }
        e = CacheEntry{0, 0, nullptr};
    }
    g_count = 0;
    g_current = NO_TEXTURE;
    g_lkz_mode = 0;
    g_alpha_serial = 0;
}

// --- TGA picture object ---

namespace {

bool read_exact(std::FILE* f, uint8_t* out, size_t n) { return std::fread(out, 1, n, f) == n; }

} // namespace

bool TgaImage::read(std::FILE* file, std::string* fault)
{
    id_text.clear();
    pixels.clear();
    auto fail = [&](const std::string& why) {
        pixels.clear();
        if (fault) *fault = why;
        return false;
    };
    uint8_t h[18];
    if (!file || !read_exact(file, h, sizeof h)) return fail("the file is shorter than a TGA header (18 bytes)");
    auto u16 = [&](int at) { return static_cast<uint32_t>(h[at] | h[at + 1] << 8); };
    id_length = h[0], colour_map_type = h[1], image_type = h[2];
    map_first = u16(3), map_length = u16(5), map_entry_size = h[7];
    x_origin = u16(8), y_origin = u16(10), width = u16(12), height = u16(14);
    depth = h[16], descriptor = h[17];
    if ((depth != 24 && depth != 32) || (image_type != 2 && image_type != 10))
        return fail("not a true-colour TGA of 24 or 32 bits (type " + std::to_string(image_type) + ", " +
                    std::to_string(depth) + " bits)");
    id_text.resize(id_length);
    if (id_length && !read_exact(file, id_text.data(), id_length)) return fail("the file ends inside its id text");
    // A colour map, though unused, lies between the id text and the pixels.
    const uint32_t map_bytes = map_length * ((map_entry_size + 7) / 8);
    if (colour_map_type != 0 && map_bytes && std::fseek(file, map_bytes, SEEK_CUR) != 0)
        return fail("the file ends inside its colour map");
    const uint64_t count = uint64_t(width) * height;
    const std::string size_text = std::to_string(width) + " x " + std::to_string(height);
    if (count * 4 > (256u << 20)) return fail("a picture of " + size_text + " is larger than 256 MB");
    pixels.assign(static_cast<size_t>(count), 0);
    const uint32_t size = depth / 8;
    auto pixel_of = [&](const uint8_t* b, uint32_t alpha24) {
        return size == 4 ? uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24
                         : uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | alpha24 << 24;
    };
    // Stored bottom row first, whatever the descriptor says.
    auto at = [&](uint64_t n) -> uint32_t& {
        uint64_t row = n / width, column = n % width;
        return pixels[static_cast<size_t>((height - 1 - row) * width + column)];
    };
    const std::string short_file = "the file ends before the " + size_text + " picture's last pixel";
    uint8_t b[4];
    if (image_type == 2) {
        for (uint64_t n = 0; n < count; ++n) {
            if (!read_exact(file, b, size)) return fail(short_file);
            at(n) = pixel_of(b, 0);
        }
        return true;
    }
    uint64_t n = 0;
    while (n < count) {
        int packet = std::fgetc(file);
        if (packet == EOF) return fail(short_file);
        uint32_t run = (static_cast<uint32_t>(packet) & 127) + 1;
        if (n + run > count) return fail("a run-length packet runs past the " + size_text + " picture");
        if (packet >= 128) {
            if (!read_exact(file, b, size)) return fail(short_file);
            uint32_t p = pixel_of(b, 255);
            for (uint32_t k = 0; k < run; ++k) at(n++) = p;
        } else {
            for (uint32_t k = 0; k < run; ++k) {
                if (!read_exact(file, b, size)) return fail(short_file);
                at(n++) = pixel_of(b, 255);
            }
        }
    }
    return true;
}

std::vector<uint8_t> TgaImage::convert(int format) const
{
    std::vector<uint8_t> out;
    if (format == 32) {
        out.reserve(pixels.size() * 4);
        for (uint32_t p : pixels)
            for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(p >> (8 * k)));
        return out;
    }
    if (format != 16 && format != 15 && format != 555 && format != 565) return out;
    out.reserve(pixels.size() * 2);
    for (uint32_t p : pixels) {
        uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF, a = p >> 24;
        uint16_t v;
        if (format == 565) v = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
        else v = static_cast<uint16_t>((format == 16 ? (a ? 0x8000 : 0) : 0x8000) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

bool TgaImage::write(std::FILE* file, int format) const
{
    if (!file || format == 565) return false;
    std::vector<uint8_t> data = convert(format);
    if (data.empty() && !pixels.empty()) return false;
    const uint32_t size = format == 32 ? 4 : 2;
    std::vector<uint8_t> out;
    const uint32_t id_size = static_cast<uint32_t>(id_text.size()) + 1;
    out.push_back(static_cast<uint8_t>(id_size));
    out.push_back(0);
    out.push_back(2);
    out.insert(out.end(), 9, 0);
    out.push_back(static_cast<uint8_t>(width)), out.push_back(static_cast<uint8_t>(width >> 8));
    out.push_back(static_cast<uint8_t>(height)), out.push_back(static_cast<uint8_t>(height >> 8));
    out.push_back(static_cast<uint8_t>(size * 8));
    out.push_back(0);
    out.insert(out.end(), id_text.begin(), id_text.end());
    out.push_back(0);
    // Bottom row first, each pixel low byte first as TGA stores it.
    for (uint32_t row = height; row-- > 0;) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = data.data() + (size_t(row) * width + x) * size;
            if (size == 4) out.insert(out.end(), p, p + 4);
            else out.push_back(p[1]), out.push_back(p[0]);
        }
    }
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

bool TgaImage::find_sub_image(const TgaImage& other, int32_t* x, int32_t* y) const
{
    if (other.width > width || other.height > height || other.pixels.empty()) return false;
    for (uint32_t ox = 0; ox + other.width <= width; ++ox)
        for (uint32_t oy = 0; oy + other.height <= height; ++oy) {
            bool match = true;
            for (uint32_t r = 0; match && r < other.height; ++r)
                match = std::memcmp(&pixels[(oy + r) * width + ox], &other.pixels[r * other.width], other.width * 4) == 0;
            if (match) {
                if (x) *x = static_cast<int32_t>(ox);
                if (y) *y = static_cast<int32_t>(oy);
                return true;
            }
        }
    return false;
}

bool TgaImage::copy_rectangle(const TgaImage& from, int32_t from_x, int32_t from_y, int32_t w, int32_t h, int32_t to_x,
                              int32_t to_y)
{
    if (from_x < 0 || from_y < 0 || to_x < 0 || to_y < 0 || w < 0 || h < 0) return false;
    if (uint64_t(from_x) + uint32_t(w) > from.width || uint64_t(from_y) + uint32_t(h) > from.height) return false;
    if (uint64_t(to_x) + uint32_t(w) > width || uint64_t(to_y) + uint32_t(h) > height) return false;
    for (int32_t r = 0; r < h; ++r)
        std::memcpy(&pixels[size_t(to_y + r) * width + to_x], &from.pixels[size_t(from_y + r) * from.width + from_x],
                    size_t(w) * 4);
    return true;
}

void TgaImage::crop(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    auto clamp = [](int32_t v, uint32_t hi) { return v < 0 ? 0u : (uint32_t(v) > hi ? hi : uint32_t(v)); };
    uint32_t l = clamp(left, width), t = clamp(top, height), r = clamp(right, width), b = clamp(bottom, height);
    if (r < l) r = l;
    if (b < t) b = t;
    std::vector<uint32_t> kept;
    kept.reserve(size_t(r - l) * (b - t));
    for (uint32_t y = t; y < b; ++y)
        kept.insert(kept.end(), pixels.begin() + size_t(y) * width + l, pixels.begin() + size_t(y) * width + r);
    pixels.swap(kept);
    width = r - l;
    height = b - t;
    x_origin += l;
    y_origin += t;
}

bool TgaImage::opaque_bounds(int32_t* first_column, int32_t* last_column, int32_t* first_row, int32_t* last_row) const
{
    int32_t c0 = INT32_MAX, c1 = -1, r0 = INT32_MAX, r1 = -1;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            if (pixels[size_t(y) * width + x] >> 24) {
                c0 = std::min<int32_t>(c0, x), c1 = std::max<int32_t>(c1, x);
                r0 = std::min<int32_t>(r0, y), r1 = std::max<int32_t>(r1, y);
            }
    if (c1 < 0) return false;
    if (first_column) *first_column = c0;
    if (last_column) *last_column = c1;
    if (first_row) *first_row = r0;
    if (last_row) *last_row = r1;
    return true;
}
