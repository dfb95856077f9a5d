// Fonts and text drawing.
#include "screen/fonts.h"

#include "gl3d/hw_fonts.h"
#include "gl3d/sprite_queue.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "screen/screen.h"
#include "screen/screen_services.h"
#include "platform/language.h"

#include <algorithm>
#include <cstring>
#include <string>

const FontRow font_table[FONT_TABLE_ROWS] = {
    {"front_en\\font\\sw\\Ns2g", "front_en\\font\\hw\\NewSmall3.LKF", 0xFF555555},
    {"front_en\\font\\sw\\Ns2", "front_en\\font\\hw\\NewSmall3.LKF", 0xFFFFFFFF},
    {"front_en\\font\\sw\\Ns2s", "front_en\\font\\hw\\NewSmall3.LKF", 0xFF00FFFF},
    {"front_en\\font\\sw\\NewL2", "front_en\\font\\hw\\newlarge2.lkf", 0xFFFFFFFF},
    {nullptr, nullptr, 0},
    {"front_en\\font\\sw\\NewL2", "front_en\\font\\hw\\newlarge2.lkf", 0xFF00FFFF},
    {"front_en\\font\\sw\\Smestg", "front_en\\font\\hw\\Smallest.LKF", 0xFF555555},
    {"front_en\\font\\sw\\Smest", "front_en\\font\\hw\\Smallest.LKF", 0xFFFFFFFF},
    {"front_en\\font\\sw\\Smests", "front_en\\font\\hw\\Smallest.LKF", 0xFF00FFFF},
    {nullptr, nullptr, 0}, {nullptr, nullptr, 0}, {nullptr, nullptr, 0}, {nullptr, nullptr, 0},
    {nullptr, nullptr, 0}, {nullptr, nullptr, 0}, {nullptr, nullptr, 0},
    {"game_gfx\\software\\black", "game_gfx\\hardware\\black.lkf", 0xFFFFFFFF},
    {"game_gfx\\software\\Smest", "front_en\\font\\hw\\smallest.lkf", 0xFFFFFFFF},
    {"game_gfx\\software\\Smest", "front_en\\font\\hw\\smallest.lkf", 0xFF00C8FF},
    {"game_gfx\\software\\Ns2", "front_en\\font\\hw\\NewSmall3.lkf", 0xFFFFFFFF},
    {"game_gfx\\software\\Tiny", "game_gfx\\hardware\\alfont.lkf", 0xFFFFFFFF},
};

namespace {

struct FontStore {
    uint8_t* images = nullptr;
    uint32_t images_size = 0;
    uint8_t* offsets = nullptr;
    uint32_t offsets_size = 0;
    uint8_t* widths = nullptr;
    uint32_t widths_size = 0;
    int32_t hardware = -1;
    bool loaded = false;
};

FontStore g_store[FONT_NUMBERS];
int32_t g_font_slot[FONT_NUMBERS];
int32_t g_current = 0;
uint8_t g_attribute = 0;

struct CacheEntry {
    std::string text; // owned copy; empty: free
    bool used = false;
    int32_t x = 0, y = 0;
    uint16_t sum = 0;
    uint8_t check = 0;
    int32_t font = 0;
    uint32_t buffer_bits = 0, counter = 0;
    bool dirty = false, stale = false;
    Surface* surface = nullptr;
    int32_t width = 0, height = 0, clip = 0;
};
CacheEntry g_cache[TEXT_CACHE_ENTRIES];

bool hardware() { return screen.display_kind != 0; }
bool valid_storage(int32_t s) { return s >= 0 && s < FONT_NUMBERS; }

FontStore* store_of(int32_t storage) { return valid_storage(storage) && g_store[storage].loaded ? &g_store[storage] : nullptr; }

// The storage index of a font number, or -1 when none is loaded under it.
int32_t storage_of_number(int32_t number)
{
    if (number < 0 || number >= FONT_NUMBERS) return -1;
    int32_t s = g_font_slot[number];
    return store_of(s) ? s : -1;
}

uint16_t u16_at(std::string_view t, size_t i)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(t[i]) | static_cast<uint8_t>(t[i + 1]) << 8);
}

int32_t line_spacing(int32_t storage)
{
    FontStore* f = store_of(storage);
    if (!f) return 0;
    if (hardware()) return hw_font_height(f->hardware);
    return f->widths_size > 1 ? f->widths[1] : 0;
}

int32_t font_height(int32_t storage)
{
    FontStore* f = store_of(storage);
    if (!f) return 0;
    if (hardware()) return hw_font_height(f->hardware);
    return f->widths_size > 0 ? f->widths[0] : 0;
}

// Walks a string's control bytes. on_glyph(code, pen x, pen y); new lines
// and font changes update the walker's pen and font.
struct Walker {
    std::string_view text;
    int32_t start_x, x, y, font;
    bool scale_x; // control 2 values are in 640 units
    bool scale_y;
    template <class Glyph> void run(Glyph on_glyph)
    {
        for (size_t i = 0; i < text.size(); ++i) {
            const uint8_t c = static_cast<uint8_t>(text[i]);
            if (c == 0) return;
            if (c == 1) {
                if (i + 1 >= text.size()) return;
                int32_t s = storage_of_number(static_cast<uint8_t>(text[++i]));
                if (s >= 0) font = s;
            } else if (c == 2 || c == 3) {
                if (i + 2 >= text.size()) return;
                int32_t v = static_cast<int16_t>(u16_at(text, i + 1));
                i += 2;
                if (c == 2) x = scale_x ? scale_x_from_640(v) : v;
                else y = scale_y ? scale_y_from_480(v) : v;
            } else if (c == 10 || c == 13) {
                if (i + 1 < text.size() && static_cast<uint8_t>(text[i + 1]) == (c == 10 ? 13 : 10)) ++i;
                x = start_x;
                y += line_spacing(font);
            } else if (c == ' ') {
                x += font_char_width(font, c);
            } else if (c > ' ') {
                on_glyph(c, x, y, font);
                x += font_char_width(font, c);
            }
        }
    }
};

void hw_draw(std::string_view text, int32_t x, int32_t y, int32_t storage, int32_t clip)
{
    FontStore* f = store_of(storage);
    if (!f) return;
    float point[2] = {static_cast<float>(x), static_cast<float>(y)};
    draw_hw_string(text, point, clip, f->hardware);
    text_pen_x = static_cast<int32_t>(point[0]);
    text_pen_y = static_cast<int32_t>(point[1]);
}

// One glyph at a sprite scale (256 natural, 128 twice the size), grown from
// its pen point as a sprite grows from its hot spot, and cut to the clip
// window as the software path's text sprite is.
void hw_draw_scaled(char c, int32_t x, int32_t y, int32_t storage, uint16_t scale, int32_t clip)
{
    FontStore* f = store_of(storage);
    if (!f || scale == 0) return;
    const float s = 256.0f / static_cast<float>(scale);
    const float matrix[9] = {s, 0, 0, 0, s, 0, 0, 0, 1};
    // The layout works about the screen's centre.
    const float origin[3] = {static_cast<float>(x - layer_screen_width() / 2),
                             static_cast<float>(y - layer_screen_height() / 2), 0.0f};
    float pen[3] = {static_cast<float>(x), static_cast<float>(y), 0.0f};
    draw_hw_text_turned(std::string_view(&c, 1), pen, f->hardware, origin, matrix, clip);
}

void release_entry(CacheEntry& e)
{
    if (e.surface) release_surface(e.surface);
    e = CacheEntry{};
}

// The sprite layer's software flush draws into the back buffer and blits
// the text images onto it.
uint8_t* g_locked = nullptr;

bool lock_screen(SoftwareScreen* out)
{
    g_locked = lock_screen_surface(0);
    if (!g_locked) return false;
    *out = SoftwareScreen{g_locked, static_cast<int32_t>(screen.pitch), static_cast<int32_t>(screen.width),
                          static_cast<int32_t>(screen.height)};
    return true;
}

void unlock_screen()
{
    unlock_screen_surface(0, g_locked);
    g_locked = nullptr;
}

// Puts the saved background back over a rectangle of the screen, cut to the
// clip window: where a text that is no longer drawn was.
void restore_background_rect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t clip)
{
    const uint8_t* background = sprite_background();
    ClipRect cr;
    if (!background || !read_clip_rect(clip, &cr)) return;
    const int32_t left = std::max({x, cr.left, 0}), top = std::max({y, cr.top, 0});
    const int32_t right = std::min({x + width, cr.right, static_cast<int32_t>(screen.width)});
    const int32_t bottom = std::min({y + height, cr.bottom, static_cast<int32_t>(screen.height)});
    if (left >= right || top >= bottom) return;
    uint8_t* pixels = lock_screen_surface(0);
    if (!pixels) return;
    for (int32_t r = top; r < bottom; ++r)
        std::memcpy(pixels + static_cast<size_t>(r) * screen.pitch + left,
                    background + static_cast<size_t>(r) * sprite_background_pitch() + left,
                    static_cast<size_t>(right - left));
    unlock_screen_surface(0, pixels);
}

// A block without a picture gives the background back (the text it stood
// for is gone from this buffer).
void blit_text_block(void* picture, int16_t x, int16_t y, int16_t width, int16_t height, uint8_t clip)
{
    auto* surface = static_cast<Surface*>(picture);
    if (!surface) {
        restore_background_rect(x, y, width, height, clip);
        return;
    }
    ClipRect cr;
    if (!read_clip_rect(clip, &cr)) return;
    uint8_t* pixels = lock_screen_surface(0);
    if (!pixels) return;
    for (int32_t r = 0; r < height && r < surface->height; ++r)
        for (int32_t c = 0; c < width && c < surface->width; ++c) {
            const int32_t sx = x + c, sy = y + r;
            if (sx < cr.left || sx >= cr.right || sy < cr.top || sy >= cr.bottom || sx < 0 || sy < 0 ||
                sx >= static_cast<int32_t>(screen.width) || sy >= static_cast<int32_t>(screen.height))
                continue;
            pixels[static_cast<size_t>(sy) * screen.pitch + sx] = surface->pixels[static_cast<size_t>(r) * surface->pitch + c];
        }
    unlock_screen_surface(0, pixels);
}

const SoftwareScreenAccess k_screen_access = {lock_screen, unlock_screen, blit_text_block};
const bool screen_access_installed = (set_software_screen_access(&k_screen_access), true);

// A software font whose three files do not fit together ends the game: its
// widths must hold the three sizes, and every offset must land on a whole
// glyph image.
void refuse_damaged_font(const FontStore& f, const std::string& base)
{
    if (f.widths_size < 3) refuse_data_file("load_font", (base + ".WTH").c_str(), "shorter than its three sizes");
    const std::string offsets = base + ".DWD";
    if (f.offsets_size % 4) refuse_data_file("load_font", offsets.c_str(), "not whole 32-bit offsets");
    for (uint32_t at = 0; at < f.offsets_size; at += 4) {
        const uint8_t* p = f.offsets + at;
        const uint32_t offset = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        if (offset >= f.images_size || software_sprite_size(f.images + offset, f.images_size - offset) == 0)
            refuse_data_file("load_font", offsets.c_str(),
                             "the glyph of character " + std::to_string(at / 4 + 33) + " is not a whole image of " + base + ".SPR");
    }
}

} // namespace

void load_font(int32_t storage, int32_t number)
{
    if (number < 0 || number >= FONT_NUMBERS || !valid_storage(storage)) return;
    // Numbers without a row in the table have no files to load.
    if (number >= FONT_TABLE_ROWS || !font_table[number].software) return;
    const FontRow& row = font_table[number];
    free_font(storage);
    g_font_slot[number] = storage;
    FontStore& f = g_store[storage];
    if (hardware()) {
        f.hardware = create_hw_font(row.hardware);
        if (f.hardware < 0) return;
        set_hw_font_colour(f.hardware, row.colour);
    } else {
        std::string base = row.software;
        f.images = load_file((base + ".SPR").c_str(), &f.images_size);
        f.offsets = load_file((base + ".DWD").c_str(), &f.offsets_size);
        f.widths = load_file((base + ".WTH").c_str(), &f.widths_size);
        refuse_damaged_font(f, base);
    }
    f.loaded = true;
}

void free_font(int32_t storage)
{
    if (!valid_storage(storage)) return;
    FontStore& f = g_store[storage];
    if (f.images) free_mem(f.images);
    if (f.offsets) free_mem(f.offsets);
    if (f.widths) free_mem(f.widths);
    if (f.hardware >= 0) free_hw_font(f.hardware);
    f = FontStore{};
}

void free_all_fonts()
{
    for (int32_t s = 0; s < FONT_NUMBERS; ++s) free_font(s);
}

void select_font(int16_t number)
{
    int32_t s = storage_of_number(number);
    if (s >= 0) g_current = s;
}

int32_t current_font() { return g_current; }
bool font_loaded(int32_t storage) { return store_of(storage) != nullptr; }
void set_text_attribute(uint8_t attribute) { g_attribute = attribute; }
uint8_t text_attribute() { return g_attribute; }

const uint8_t* font_glyph(int32_t storage, uint8_t c)
{
    FontStore* f = store_of(storage);
    if (!f || !f->offsets || c < 33) return nullptr;
    const uint32_t word = c - 33u;
    if (uint64_t(word) * 4 + 4 > f->offsets_size) return nullptr;
    const uint8_t* p = f->offsets + word * 4;
    const uint32_t offset = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    if (offset >= f->images_size) return nullptr;
    if (software_sprite_size(f->images + offset, f->images_size - offset) == 0) return nullptr;
    return f->images + offset;
}

int32_t font_char_width(int32_t storage, uint8_t c)
{
    FontStore* f = store_of(storage);
    if (!f) return 0;
    if (hardware()) return hw_char_width(c, f->hardware);
    if (!text_proportional) return f->widths_size > 2 ? f->widths[2] : 0;
    if (c < 32) return 0;
    const uint32_t at = c - 29u;
    // A character without a glyph (or past the widths) has no width.
    if (at >= f->widths_size || (c != ' ' && !font_glyph(storage, c))) return 0;
    return static_cast<int8_t>(f->widths[at]);
}

void draw_string(std::string_view text, int32_t x, int32_t y, int32_t storage, int32_t clip)
{
    if (hardware()) {
        hw_draw(text, x, y, storage, clip);
        return;
    }
    // The first drawable glyph's offsets place the whole string.
    int32_t offset_x = 0, offset_y = 0;
    bool found = false;
    Walker probe{text, x, x, y, g_current, false, false};
    probe.run([&](uint8_t c, int32_t, int32_t, int32_t font) {
        const uint8_t* g = font_glyph(font, c);
        if (found || !g) return;
        found = true;
        offset_x = sprite_x_offset(g), offset_y = sprite_y_offset(g);
    });
    Walker w{text, x, x, y, g_current, false, false};
    w.run([&](uint8_t c, int32_t px, int32_t py, int32_t font) {
        if (const uint8_t* g = font_glyph(font, c))
            queue_sprite(g, static_cast<int16_t>(px + offset_x), static_cast<int16_t>(py + offset_y), 250, 32, 256,
                         static_cast<uint8_t>(clip));
    });
    text_pen_x = w.x, text_pen_y = w.y;
}

uint8_t draw_string_cb(std::string_view text, int32_t x, int32_t y, GlyphCallback callback, int32_t clip)
{
    uint8_t flag = 1;
    int32_t index = 0;
    Walker w{text, x, x, y, g_current, false, false};
    w.run([&](uint8_t c, int32_t px, int32_t py, int32_t font) {
        // The hardware path has no glyph images: the character stands for its glyph.
        const void* g = hardware() ? static_cast<const void*>(&text[0]) : font_glyph(font, c);
        if (!g) return;
        int16_t gx = static_cast<int16_t>(px), gy = static_cast<int16_t>(py);
        uint16_t scale = 256;
        if (callback) callback(&g, &gx, &gy, &scale, &flag, index);
        ++index;
        // A callback may hide a glyph for now.
        if (!g) return;
        if (hardware()) {
            const char one[1] = {static_cast<char>(c)};
            if (scale == 256) hw_draw(std::string_view(one, 1), gx, gy, font, clip);
            else hw_draw_scaled(one[0], gx, gy, font, scale, clip);
        } else {
            queue_text_sprite(g, gx, gy, scale, static_cast<uint8_t>(clip));
        }
    });
    text_pen_x = w.x, text_pen_y = w.y;
    return flag;
}

void draw_char(uint8_t c, int32_t x, int32_t y, int32_t clip)
{
    if (hardware()) {
        char one[1] = {static_cast<char>(c)};
        hw_draw(std::string_view(one, 1), x, y, g_current, clip);
        return;
    }
    if (c > ' ')
        if (const uint8_t* g = font_glyph(g_current, c))
            queue_text_sprite(g, static_cast<int16_t>(x), static_cast<int16_t>(y), 256, static_cast<uint8_t>(clip));
    text_pen_x = x + (c >= ' ' ? font_char_width(g_current, c) : 0);
    text_pen_y = y;
}

void draw_control_string(std::string_view text, int32_t x, int32_t y, int32_t clip)
{
    if (hardware()) {
        draw_string(text, x, y, g_current, clip);
        return;
    }
    // Leading controls: font, x and y in 640 x 480 units.
    size_t i = 0;
    int32_t font = g_current;
    while (i < text.size() && static_cast<uint8_t>(text[i]) < 32 && text[i] != 0) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == 1 && i + 1 < text.size()) {
            int32_t s = storage_of_number(static_cast<uint8_t>(text[i + 1]));
            if (s >= 0) font = s;
            i += 2;
        } else if ((c == 2 || c == 3) && i + 2 < text.size()) {
            int32_t v = static_cast<int16_t>(u16_at(text, i + 1));
            if (c == 2) x = scale_x_from_640(v);
            else y = scale_y_from_480(v);
            i += 3;
        } else {
            break;
        }
    }
    std::string_view rest = text.substr(i);
    size_t end = rest.find('\0');
    if (end != std::string_view::npos) rest = rest.substr(0, end);
    uint16_t sum = 0;
    for (char c : rest) sum = static_cast<uint16_t>(sum + static_cast<int8_t>(c));
    uint8_t check = 0;
    for (uint32_t n = 1; n <= rest.size() + 1; ++n) check = static_cast<uint8_t>(((check + n) & 255) ^ n);
    const uint32_t bit = screen.display_buffer == 2 ? 2 : 1;
    for (CacheEntry& e : g_cache) {
        // The key narrows the search; the string itself decides.
        if (!e.used || e.stale || e.x != x || e.y != y || e.font != font || e.sum != sum || e.check != check || e.text != rest)
            continue;
        e.dirty = false;
        if (e.buffer_bits == 1 || e.buffer_bits == 2) {
            e.buffer_bits |= bit;
            queue_text_block(e.surface, static_cast<int16_t>(e.x), static_cast<int16_t>(e.y), static_cast<int16_t>(e.width),
                             static_cast<int16_t>(e.height), 0, static_cast<uint8_t>(e.clip));
        }
        return;
    }
    CacheEntry* free_entry = nullptr;
    for (CacheEntry& e : g_cache)
        if (!e.used) {
            free_entry = &e;
            break;
        }
    const int32_t saved = g_current;
    g_current = font;
    if (!free_entry) {
        // A full cache: the string is drawn uncached.
        draw_string(rest, x, y, font, clip);
        g_current = saved;
        return;
    }
    CacheEntry& e = *free_entry;
    e = CacheEntry{};
    e.used = true;
    e.text = std::string(rest);
    e.x = x, e.y = y, e.font = font, e.sum = sum, e.check = check, e.clip = clip, e.buffer_bits = bit;
    int32_t lines = 0;
    for (size_t k = 0; k < rest.size(); ++k)
        if (rest[k] == 10 || rest[k] == 13) {
            ++lines;
            if (k + 1 < rest.size() && rest[k + 1] == (rest[k] == 10 ? 13 : 10)) ++k;
        }
    e.width = string_width(rest);
    e.height = font_height(font) + lines * line_spacing(font);
    if (e.width > 0 && e.height > 0) {
        create_surface(&e.surface, e.width, e.height, 0);
        if (e.surface && e.surface->pitch != e.width) {
            const int32_t pitch = e.surface->pitch;
            release_surface(e.surface);
            e.surface = nullptr;
            create_surface(&e.surface, pitch, e.height, 0);
            e.width = pitch;
        }
    }
    if (e.surface) {
        queue_text_block(e.surface, static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(e.width),
                         static_cast<int16_t>(e.height), 0, static_cast<uint8_t>(clip));
        // The screen's pixels under the text, cut to the clip window, then the glyphs.
        ClipRect cr{0, 0, static_cast<int32_t>(screen.width), static_cast<int32_t>(screen.height)};
        read_clip_rect(clip, &cr);
        if (uint8_t* pixels = lock_screen_surface(0)) {
            for (int32_t r = 0; r < e.height; ++r)
                for (int32_t c = 0; c < e.width; ++c) {
                    int32_t sx = x + c, sy = y + r;
                    if (sx >= cr.left && sx < cr.right && sy >= cr.top && sy < cr.bottom && sx >= 0 && sy >= 0 &&
                        sx < static_cast<int32_t>(screen.width) && sy < static_cast<int32_t>(screen.height))
                        e.surface->pixels[static_cast<size_t>(r) * e.surface->pitch + c] =
                            pixels[static_cast<size_t>(sy) * screen.pitch + sx];
                }
            unlock_screen_surface(0, pixels);
        }
        SoftwareScreen target{e.surface->pixels.data(), e.surface->pitch, e.width, e.height};
        const ClipRect all{0, 0, e.width, e.height};
        Walker w{rest, 0, 0, 0, font, true, false};
        w.run([&](uint8_t c, int32_t px, int32_t py, int32_t f) {
            if (const uint8_t* g = font_glyph(f, c)) draw_sprite_clipped(g, px, py, 0, 256, all, target);
        });
    }
    g_current = saved;
}

int32_t string_width(std::string_view text)
{
    int32_t widest = 0, line = 0, font = g_current;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == 0) break;
        if (c == 1) {
            if (i + 1 >= text.size()) break;
            int32_t s = storage_of_number(static_cast<uint8_t>(text[++i]));
            if (s >= 0) font = s;
        } else if (c == 2) {
            if (i + 2 >= text.size()) break;
            line = scale_x_from_640(static_cast<int16_t>(u16_at(text, i + 1)));
            i += 2;
        } else if (c == 3) {
            i += 2;
        } else if (c == 10 || c == 13) {
            if (i + 1 < text.size() && static_cast<uint8_t>(text[i + 1]) == (c == 10 ? 13 : 10)) ++i;
            line = 0;
        } else if (c >= 32) {
            line += font_char_width(font, c);
        }
        if (line > widest) widest = line;
    }
    return widest;
}

int32_t string_height(std::string_view text)
{
    int32_t height = 0, font = g_current;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == 0) break;
        if (c == 1) {
            if (i + 1 >= text.size()) break;
            int32_t s = storage_of_number(static_cast<uint8_t>(text[++i]));
            if (s >= 0) font = s;
        } else if (c == 2 || c == 3) {
            i += 2;
        } else if (c == 10 || c == 13) {
            if (i + 1 < text.size() && static_cast<uint8_t>(text[i + 1]) == (c == 10 ? 13 : 10)) ++i;
            height += line_spacing(font);
        }
    }
    return height + font_height(font);
}

int32_t string_width(const char* text) { return text ? string_width(std::string_view(text, control_string_length(text))) : 0; }
int32_t string_height(const char* text) { return text ? string_height(std::string_view(text, control_string_length(text))) : 0; }

void font_metrics(int32_t number, int32_t* height, int32_t* spacing)
{
    int32_t s = number < 0 ? g_current : storage_of_number(number);
    if (height) *height = font_height(s);
    if (spacing) *spacing = line_spacing(s);
}

void clear_text_sprites()
{
    if (hardware()) return;
    for (CacheEntry& e : g_cache) release_entry(e);
}

void invalidate_text_sprites()
{
    if (hardware()) return;
    for (CacheEntry& e : g_cache)
        if (e.used) e.dirty = true;
}

void redraw_text_sprites()
{
    if (hardware()) return;
    const uint32_t bit = screen.display_buffer == 2 ? 2 : 1;
    for (CacheEntry& e : g_cache) {
        if (!e.used || !e.dirty) continue;
        e.stale = true;
        if (e.surface) {
            release_surface(e.surface);
            e.surface = nullptr;
            restore_background_rect(e.x, e.y, e.width, e.height, e.clip);
        }
        if (e.buffer_bits & bit) {
            e.buffer_bits &= ~bit;
            queue_text_block_second(nullptr, static_cast<int16_t>(e.x), static_cast<int16_t>(e.y),
                                    static_cast<int16_t>(e.width), static_cast<int16_t>(e.height),
                                    static_cast<uint8_t>(e.counter), static_cast<uint8_t>(e.clip));
            ++e.counter;
            if (e.buffer_bits == 0) release_entry(e);
        }
    }
}

int32_t text_cache_used()
{
    int32_t n = 0;
    for (const CacheEntry& e : g_cache) n += e.used;
    return n;
}

void install_text_measure()
{
    set_text_measure(TextMeasure{select_font, [](const char* text) { return string_width(text); },
                                 [](const char* text) { return string_height(text); }});
}

void reset_fonts()
{
    install_text_measure();
    clear_text_sprites();
    for (CacheEntry& e : g_cache) release_entry(e);
    free_all_fonts();
    for (int32_t& s : g_font_slot) s = -1;
    g_current = 0;
    g_attribute = 0;
}
